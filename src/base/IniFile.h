// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <SimpleIni.h>

#include <QString>

#include <string>
#include <string_view>

namespace zentrova {

// Loads the INI file `path` (the system's bytes) into `ini`, which keeps its
// bytes unconverted. Only a regular file is read: a folder or a device under
// that name is refused before any byte is taken, as SimpleIni would take the
// size such a file reports at face value. False when the file is missing,
// unreadable or not a regular file; `error` then holds the reason. A damaged
// line hides nothing after it: a NUL byte is skipped and a "[" line without
// "]" reads as blank, as withIniValue sees them.
bool loadIniFile(CSimpleIniA& ini, const std::string& path, QString* error = nullptr);

// What SimpleIni is given of the INI file `bytes`: every NUL byte left out,
// a line opening a section with "[" but no "]" turned into blanks.
std::string iniTextToParse(std::string_view bytes);

// The INI file `bytes` with [section] key set to `value`, every other byte
// as it was. The changed or added line takes the form of the file's own
// lines: its line end and its spacing around "="; a file without lines of
// its own gets LF and "key = value", as SimpleIni writes them. Sections and
// keys are found as SimpleIni finds them (ASCII case ignored, blanks around
// names and values ignored); of a key given twice the last one is changed,
// being the one SimpleIni reads. A missing key goes after the last key of
// its section, a missing section at the end. Every other byte is kept, a
// NUL or a damaged line included.
std::string withIniValue(std::string_view bytes, std::string_view section, std::string_view key,
                         std::string_view value);

} // namespace zentrova
