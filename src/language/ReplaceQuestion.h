// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

namespace zentrova {

struct LanguageContext;

// Asks whether the existing file `path` is to be replaced (a warning with
// Yes, No and Cancel: the name, "AlreadyExists_40", "ReplaceIt_40").
// MbYes when there is nothing to ask: the file cannot be read (is not there).
unsigned askToReplace(const LanguageContext& ctx, const QString& path);

struct FileDialogRequest;

// Every save dialog of a file the program writes: asks for a file, completes the chosen name
// (`completeName`, e.g. an extension for a name without one), asks before
// replacing a file that is there (No asks again, Cancel gives up) and says
// so when a file is there but cannot be read. The path, or nothing when the
// user gave up.
std::optional<QString> chooseFileToWrite(const LanguageContext& ctx, FileDialogRequest request,
                                         const std::function<QString(const QString&)>& completeName);

// `name`, with "." and `extension` appended when its file-name part (not
// its folders) has no "." of its own: what the save dialogs complete.
QString withExtensionWhenNone(const QString& name, const QString& extension);

// Writes `bytes` to `path` safely; a failure is shown with the path and the
// system's reason. True when written.
bool writeChosenFile(const LanguageContext& ctx, const QString& path, std::string_view bytes);

} // namespace zentrova
