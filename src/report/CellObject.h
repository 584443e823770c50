// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once

namespace zentrova {

// An object a grid or result cell may carry; freed with the cell's row.
struct CellObject {
    virtual ~CellObject() = default;
};

} // namespace zentrova
