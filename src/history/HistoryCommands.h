// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "history/HistoryArchive.h"

#include <QStringList>

#include <functional>
#include <optional>
#include <string>

namespace zentrova {

struct StructureContext;
class Settings;
class Progress;

// How adding the open document to the history ended.
struct HistoryAddOutcome {
    enum class Status { Added, AlreadyStored, NoMeasurements, NoSite, Failed };
    Status status = Status::Failed;
    ImportOutcome import;
    std::string message; // what the user is told, in the language's code page
};

// Whether a good outcome is told in a message box too, or only failures
// (the automatic addition after a download, which the status bar reports).
enum class HistoryTelling { Always, FailuresOnly };

// Asks which installation a document that names no test site belongs to:
// `known` are the archive's installations, `proposed` the file's name (empty
// for a download not saved). The name given, or nothing when the user declines.
using InstallationQuestion = std::function<std::optional<QString>(const QStringList& known, const QString& proposed)>;

// File > Add to history: stores the open document in the archive the
// settings name. A saved structure file is stored with its name and time, a
// download with no file and the current time. The user hears through
// ctx.language.prompts that it was added (with how many measurements and new
// measuring points), that it is in the history already, or why nothing was
// stored; a document without measurements is refused before the archive is
// opened. A document whose heading names no test site is stored under the
// installation `askInstallation` names; without it, or when the user
// declines, nothing is stored (without a question: told so). The progress
// dialog shows the import.
HistoryAddOutcome addDocumentToHistory(StructureContext& ctx, Progress& progress,
                                       HistoryTelling telling = HistoryTelling::Always,
                                       const InstallationQuestion& askInstallation = {});

// Whether the archive at `where` can be used, tried as the settings dialog
// tries an address before keeping it: a server is connected to, an SQLite
// file is read as an archive, and a file not made yet needs a folder that is
// there and can be written to (the default file's folder is made for it).
// False with the reason.
bool tryArchiveLocation(const ArchiveLocation& where, QString* error);

// The archive the settings name, opened for reading (the history window:
// linking points there opens it for writing); false with the reason (a
// server address that does not read, a file that is no archive, a server
// that does not answer). An SQLite file not made yet is shown as an empty
// archive, and not created, unless its folder is missing or cannot be
// written to: then nothing could ever be added there, and that is the reason.
bool openConfiguredArchive(const Settings& settings, HistoryArchive& archive, QString* error);

// The files an SQLite archive at `where` is kept in, which no output may
// replace: the file, and those SQLite keeps beside it while it writes
// ("-wal", "-shm", "-journal"), also beside the file a link names. None for a
// server.
QStringList archiveFiles(const ArchiveLocation& where);
// archiveFiles of the archive the settings name (the default file when they
// name none); none for a server address, also one that does not read.
QStringList configuredArchiveFiles(const Settings& settings);

} // namespace zentrova
