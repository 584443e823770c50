// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <QStringList>

namespace zentrova {

class Settings;

// What the program remembers of the files the user worked with, kept in the
// settings file between runs: the recent structure files ([RECENT] File1 ..
// File6, the latest first) and the folder the file dialogs last showed
// ([WINDOW] Folder). File names are stored as the system's bytes.
namespace file_history {
inline constexpr int MaxRecentFiles = 6;
} // namespace file_history

// The recent structure files, the latest first, without gaps or repeats.
QStringList recentFiles(const Settings& settings);
// Puts `path` first in the list; an earlier entry of the same file goes, and
// the oldest falls off past file_history::MaxRecentFiles.
void addRecentFile(const Settings& settings, const QString& path);
// Takes `path` out of the list (a file that is gone).
void removeRecentFile(const Settings& settings, const QString& path);

// Where a file dialog starts: `proposed` itself when it names a folder or an
// absolute path; otherwise the proposed name inside the folder the dialogs
// last showed, when that still exists.
QString dialogStartPath(const Settings& settings, const QString& proposed);
// Remembers the folder of a file the user chose in a dialog.
void rememberDialogFolder(const Settings& settings, const QString& chosen);

} // namespace zentrova
