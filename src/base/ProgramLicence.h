// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once

namespace zentrova {

// What every program's --version prints under its name and version, as GNU
// programs do: the copyright, the licence and the absence of warranty.
constexpr const char* LicenceNotice =
    "Copyright (C) 2026 The Zentrova developers\n"
    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

} // namespace zentrova
