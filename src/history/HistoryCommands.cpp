// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryCommands.h"

#include "base/FileIO.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "history/HistorySettings.h"
#include "history/Inspection.h"
#include "structure/StructureContext.h"
#include "structure/StructureFile.h"

#include <QFileInfo>

#include <cstdlib>

namespace zentrova {

namespace {

bool openConfigured(const StructureContext& ctx, HistoryArchive& archive, ArchiveAccess access, QString* error)
{
    ArchiveLocation where;
    const HistorySettings history = loadHistorySettings(ctx.language.settings);
    applyServerTimeouts(history, archive);
    return parseArchiveLocation(history.database, where, error) && archive.open(where, access, error);
}

// Whether an archive file not made yet could be made at `path`.
bool newArchiveFolderUsable(const QString& path, QString* error)
{
    const QFileInfo file(path);
    // The program's own folder is made with the first inspection.
    if (file.absoluteFilePath() == QFileInfo(defaultArchivePath()).absoluteFilePath())
        return true;
    const QString folder = file.absolutePath();
    const QFileInfo info(folder);
    QString why;
    if (!info.exists())
        why = QStringLiteral("the folder %1 does not exist");
    else if (!info.isDir())
        why = QStringLiteral("%1 is not a folder");
    else if (!info.isWritable())
        why = QStringLiteral("the folder %1 cannot be written to");
    if (why.isEmpty())
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(path, why.arg(folder));
    return false;
}

} // namespace

bool tryArchiveLocation(const ArchiveLocation& where, QString* error)
{
    if (where.engine == ArchiveLocation::Engine::SQLite && !QFileInfo::exists(where.path))
        return newArchiveFolderUsable(where.path, error);
    HistoryArchive archive;
    return archive.open(where, ArchiveAccess::Read, error);
}

bool openConfiguredArchive(const Settings& settings, HistoryArchive& archive, QString* error)
{
    ArchiveLocation where;
    const HistorySettings history = loadHistorySettings(settings);
    applyServerTimeouts(history, archive);
    if (!parseArchiveLocation(history.database, where, error))
        return false;
    // Before the first inspection is added there is no file yet: the history
    // is shown empty, and nothing is made on the disk for it.
    if (where.engine == ArchiveLocation::Engine::SQLite && !QFileInfo::exists(where.path)) {
        if (!newArchiveFolderUsable(where.path, error))
            return false;
        ArchiveLocation empty;
        empty.path = QStringLiteral(":memory:");
        return archive.open(empty, ArchiveAccess::Write, error);
    }
    return archive.open(where, ArchiveAccess::Read, error);
}

namespace {

// The installations the configured archive holds, to offer them; none when it
// cannot be read (adding then says why).
QStringList knownInstallations(const Settings& settings)
{
    HistoryArchive archive;
    QStringList sites;
    if (openConfiguredArchive(settings, archive, nullptr))
        for (const InstallationEntry& e : archive.installations())
            sites << e.site;
    return sites;
}

} // namespace

HistoryAddOutcome addDocumentToHistory(StructureContext& ctx, Progress& progress, HistoryTelling telling,
                                       const InstallationQuestion& askInstallation)
{
    using Status = HistoryAddOutcome::Status;
    HistoryAddOutcome outcome;
    auto tell = [&](MsgType type, std::string message) {
        outcome.message = std::move(message);
        if (telling == HistoryTelling::Always || type == MsgType::Error || type == MsgType::Warning)
            ctx.language.prompts->message(type, outcome.message, MbOK);
        return outcome;
    };
    auto failed = [&](const QString& reason) {
        outcome.status = Status::Failed;
        return tell(MsgType::Error, ctx.language.texts.text("HistoryNotAdded_50") + "\r" + ctx.language.encode(reason));
    };

    // A saved file is known by its name and time; a download by the time it is added.
    QString source;
    QDateTime time = QDateTime::currentDateTime();
    if (hasOwnFileName(ctx)) {
        const QFileInfo file(ctx.document.fileName);
        if (file.isFile()) {
            source = file.absoluteFilePath();
            time = file.lastModified();
        }
    }
    Inspection inspection = inspectionFromDocument(ctx.language, ctx.document, source, time);
    if (inspection.measurements.empty()) {
        outcome.status = Status::NoMeasurements;
        return tell(MsgType::Warning, ctx.language.texts.text("HistoryNoResults_60"));
    }
    if (inspection.site.isEmpty()) {
        outcome.status = Status::NoSite;
        if (!askInstallation)
            return tell(MsgType::Warning, ctx.language.texts.text("HistoryNoSite_60"));
        const std::optional<QString> named =
            askInstallation(knownInstallations(ctx.language.settings),
                            source.isEmpty() ? QString() : QFileInfo(source).completeBaseName());
        if (!named || named->trimmed().isEmpty())
            return outcome;
        inspection.site = boundedSite(named->simplified());
    }

    progress.show(ctx.language.texts.text("History_30"), ctx.language.texts.text("HistoryAdding_40"), false);
    progress.setPosition(0);
    HistoryArchive archive;
    QString error;
    if (!openConfigured(ctx, archive, ArchiveAccess::Write, &error)) {
        progress.hide();
        return failed(error);
    }
    const double total = double(inspection.measurements.size());
    outcome.import = archive.importInspection(inspection, [&](int written) {
        progress.setPosition(int(100 * written / total));
        return false;
    });
    progress.setPosition(100);
    progress.hide();

    switch (outcome.import.status) {
    case ImportOutcome::Status::Added: {
        outcome.status = Status::Added;
        std::string added = ctx.language.texts.text("HistoryAdded_50");
        if (!inspection.site.isEmpty())
            added += ": " + ctx.language.encode(inspection.site);
        return tell(MsgType::Information, added + "\r" + ctx.language.texts.text("Measurements_30") + ": " +
                                              std::to_string(outcome.import.measurements) + "\r" +
                                              ctx.language.texts.text("HistoryNewPoints_30") + ": " +
                                              std::to_string(outcome.import.newPoints));
    }
    case ImportOutcome::Status::AlreadyStored:
        outcome.status = Status::AlreadyStored;
        return tell(MsgType::Information, ctx.language.texts.text("HistoryAlreadyStored_60"));
    case ImportOutcome::Status::Failed:
        break;
    }
    return failed(outcome.import.error);
}

QStringList archiveFiles(const ArchiveLocation& where)
{
    if (where.engine != ArchiveLocation::Engine::SQLite || where.path.isEmpty())
        return {};
    QStringList names{where.path};
    // SQLite opens the file a link names, and keeps its journals beside that.
    if (char* real = ::realpath(fileNameToSystem(where.path).constData(), nullptr)) {
        names << fileNameFromSystem(QByteArray(real));
        std::free(real);
    }
    QStringList files;
    for (const QString& name : names)
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            files << name + QLatin1String(suffix);
    return files;
}

QStringList configuredArchiveFiles(const Settings& settings)
{
    ArchiveLocation where;
    return parseArchiveLocation(loadHistorySettings(settings).database, where, nullptr) ? archiveFiles(where)
                                                                                        : QStringList();
}

} // namespace zentrova
