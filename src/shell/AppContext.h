// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/StructureContext.h"

namespace zentrova {

// The program-wide state: one instance owns it for the run and is passed by
// reference; tests make a fresh one for each case. The layers below see only
// their own part of it: its language, or the open Document and the language
// tables a function uses.
struct AppContext : StructureContext {
    using StructureContext::StructureContext;
};

} // namespace zentrova
