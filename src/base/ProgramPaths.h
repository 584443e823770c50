// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>

namespace zentrova {

// Where an installed program finds its files, the same for the windows and
// the command-line tool.

// The folder with the language files and help pages, with a trailing "/":
// the program's own folder when it holds them (the build folder, a portable
// copy), else ../share/zentrova beside it (an installation under any
// prefix). When neither holds them, the program's own folder, so that the
// error names the place a portable copy would use.
QString programDataDir(const QString& executableDir);

// The settings file: ZENTRO.INI in the program's own folder when there is
// one there (the build folder, a portable copy), else ZENTRO.INI in the
// user's configuration folder ($XDG_CONFIG_HOME/zentrova, by default
// ~/.config/zentrova), which the first written setting creates.
QString settingsFilePath(const QString& executableDir);

} // namespace zentrova
