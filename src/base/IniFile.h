#pragma once
#include <SimpleIni.h>

#include <QString>

#include <string>

namespace zentrova {

// Loads the INI file `path` (the system's bytes) into `ini`, which keeps its
// bytes unconverted. Only a regular file is read: a folder or a device under
// that name is refused before any byte is taken, as SimpleIni would take the
// size such a file reports at face value. False when the file is missing,
// unreadable or not a regular file; `error` then holds the reason.
bool loadIniFile(CSimpleIniA& ini, const std::string& path, QString* error = nullptr);

} // namespace zentrova
