// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QIcon>

namespace zentrova {

// The tool bar's pictures, drawn by the program itself.
enum class ToolIcon { Open, Save, Receive, Print, New, SendStructure, Calibrate };
QIcon toolIcon(ToolIcon which);

} // namespace zentrova
