// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
// The names a realistic result table needs, as the language files give them.
#include "language/Language.h"

namespace zentrova::bench {

// Function names at the codes rows hold (500 + the instrument's function
// byte), and the quantities and units of insulation results.
inline void addInsulationNames(NameTables& names)
{
    names.setEntry("funkcija500", "Insulation resistance");
    names.setEntry("funkcija501", "Diagnostic test (DAR, PI)");
    names.setEntry("funkcija502", "Dielectric discharge (DD)");
    names.setEntry("velicina501", "Riso");
    names.setEntry("velicina506", "DAR");
    names.setEntry("velicina507", "PI");
    names.setEntry("velicina509", "Ut");
    names.setEntry("enota507", "MOhm");
    names.setEntry("enota508", "GOhm");
    names.setEntry("enota501", "V");
}

} // namespace zentrova::bench
