// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QIcon>
#include <vector>

namespace zentrova {

// The tree's sixteen images, in list order: HISA, BLOK, STRELA, GIP, FUSE,
// STEBER, CONN1, CONN2, GND, RCD, CANCEL, BLUE_KROG, GREEN_KROG, RED_KROG,
// KVADRAT, GREEN_SMALL_KROG. Drawn by the program at 16 x 16.
const std::vector<QIcon>& treeImages();

} // namespace zentrova
