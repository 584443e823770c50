// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "base/FileIO.h"
#include "base/Logging.h"
#include "history/ArchiveInternal.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>

#include <sys/stat.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace zentrova {

using namespace archive;

namespace {

std::atomic<int> connectionCounter{0};

// "file:PATH?mode=ro...": an SQLite file opened read-only through a URI,
// every byte of the name but the plain ones written as %XX, so that any
// name, also one that is not UTF-8, reaches the file it names.
QString readOnlyUri(const QString& path, bool immutable)
{
    const QByteArray name = fileNameToSystem(QFileInfo(path).absoluteFilePath());
    QString uri = QStringLiteral("file:");
    for (const char c : name) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || std::strchr("/-._~", c))
            uri += QLatin1Char(c);
        else
            uri += QStringLiteral("%%1").arg(uint(b), 2, 16, QLatin1Char('0'));
    }
    return uri + (immutable ? QStringLiteral("?mode=ro&immutable=1") : QStringLiteral("?mode=ro"));
}

} // namespace

HistoryArchive::HistoryArchive() : d(std::make_unique<Private>())
{
}

HistoryArchive::~HistoryArchive()
{
    close();
}

bool HistoryArchive::open(const ArchiveLocation& where, ArchiveAccess access, QString* error)
{
    // The location describes itself without a password: a log can be sent.
    QString why;
    if (openWith(where, access, latestSchemaVersion(), &why)) {
        qCInfo(logHistory).noquote() << "opened" << where.describe()
                                     << (access == ArchiveAccess::Read ? "for reading" : "for writing") << "at schema"
                                     << d->version;
        return true;
    }
    qCInfo(logHistory).noquote() << "not opened:" << why;
    if (error)
        *error = why;
    return false;
}

bool HistoryArchive::openAtVersion(const ArchiveLocation& where, int version, QString* error)
{
    return openWith(where, ArchiveAccess::Write, version, error);
}

void HistoryArchive::setServerTimeouts(int statementMilliseconds, int lockMilliseconds)
{
    d->statementTimeout = statementMilliseconds;
    d->lockTimeout = lockMilliseconds;
}

bool HistoryArchive::openWith(const ArchiveLocation& where, ArchiveAccess access, int version, QString* error)
{
    close();
    d->location = where;
    d->access = access;
    d->upTo = version;
    const bool sqlite = where.engine == ArchiveLocation::Engine::SQLite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    auto refuse = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(where.describe(), why);
        close();
        return false;
    };
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        if (error)
            *error =
                sqlite
                    ? QStringLiteral("the SQLite driver of Qt is not installed (Debian package libqt6sql6-sqlite)")
                    : QStringLiteral("the PostgreSQL driver of Qt is not installed (Debian package libqt6sql6-psql)");
        return false;
    }
    if (!sqlite) {
        QString why;
        if (!d->connect(where, false, false, &why) || !d->migrate(version, &why))
            return refuse(why);
        return true;
    }

    // An SQLite file: a device, a pipe or a folder is no archive, and a
    // journal must never be made beside one.
    const QByteArray systemPath = fileNameToSystem(where.path);
    struct stat st {};
    const bool exists = ::stat(systemPath.constData(), &st) == 0;
    if (!exists && errno != ENOENT)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (exists && !S_ISREG(st.st_mode))
        return refuse(QStringLiteral("not a regular file, so no history archive"));
    if (!exists) {
        if (access == ArchiveAccess::Read)
            return refuse(
                QStringLiteral("no history archive is there (adding an inspection to the history makes one)"));
        const QFileInfo file(where.path);
        if (!QDir().mkpath(file.absolutePath()))
            return refuse(QStringLiteral("%1: the folder cannot be made").arg(file.absolutePath()));
    } else {
        // A first look, read-only: a file of another program is refused as
        // it is, before its journal mode or anything else of it changes.
        // While no program writes the archive it has no write-ahead log
        // beside it, and it is read as a file that does not change, which
        // needs no side files: a shared archive in a folder the user cannot
        // write to can be read.
        const bool beingWritten = QFileInfo::exists(where.path + QStringLiteral("-wal"));
        QString why;
        if (!d->connect(where, true, !beingWritten, &why))
            return refuse(why);
        SqliteContent content = SqliteContent::Empty;
        if (!d->lookAtSqliteFile(content, &why))
            return refuse(why);
        if (content == SqliteContent::Foreign)
            return refuse(QStringLiteral("the file holds tables of another program; it is no history archive"));
        if (d->version > latestSchemaVersion())
            return refuse(newerSchema(d->version));
        if (access == ArchiveAccess::Read && content == SqliteContent::Empty)
            return refuse(QStringLiteral("the file holds no history archive yet"));
        if (access == ArchiveAccess::Read && d->version >= std::min(version, latestSchemaVersion()))
            return true;
        // To be created or brought up to date: opened again for writing.
        d->disconnect();
    }
    QString why;
    if (!d->connect(where, false, false, &why))
        return refuse(why);
    if (!d->exec("PRAGMA journal_mode = WAL", &why) || !d->exec("PRAGMA synchronous = NORMAL", &why) ||
        !d->migrate(version, &why))
        return refuse(why);
    d->writable = true;
    return true;
}

bool HistoryArchive::Private::connect(const ArchiveLocation& where, bool readOnly, bool immutable, QString* error)
{
    const bool sqlite = where.engine == ArchiveLocation::Engine::SQLite;
    connection = QStringLiteral("zentrova-history-%1").arg(++connectionCounter);
    QSqlDatabase db = addArchiveConnection(where, connection);
    // Another program writing waits its turn rather than failing; a server
    // that does not answer is given up after a while.
    if (sqlite && readOnly) {
        db.setDatabaseName(readOnlyUri(where.path, immutable));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000;QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    } else {
        db.setConnectOptions(sqlite ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000")
                                    : QStringLiteral("connect_timeout=10"));
    }
    QString why;
    bool ok = db.open();
    if (!ok)
        why = oneLineReason(db.lastError().text());
    // The server's notices (a table that exists already) are no news; a
    // statement or a lock that takes too long fails rather than waits.
    if (ok && !sqlite)
        ok = exec("SET client_min_messages TO WARNING", &why) &&
             exec(QStringLiteral("SET statement_timeout = %1").arg(statementTimeout), &why) &&
             exec(QStringLiteral("SET lock_timeout = %1").arg(lockTimeout), &why);
    if (ok && sqlite)
        ok = exec("PRAGMA foreign_keys = ON", &why);
    if (!ok) {
        if (error)
            *error = why;
        db = QSqlDatabase(); // the connection is removed next, with no handle left on it
        disconnect();
        return false;
    }
    writable = !readOnly;
    return true;
}

bool HistoryArchive::writableNow(QString* error)
{
    if (!isOpen()) {
        if (error)
            *error = QStringLiteral("the history archive is not open");
        return false;
    }
    if (d->writable)
        return true;
    // Opened for reading: the same archive again, for writing.
    const ArchiveLocation where = d->location;
    return openWith(where, ArchiveAccess::Write, d->upTo, error);
}

void HistoryArchive::close()
{
    d->disconnect();
}

void HistoryArchive::Private::disconnect()
{
    if (connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    connection.clear();
    version = 0;
    writable = false;
}

bool HistoryArchive::isOpen() const
{
    return !d->connection.isEmpty() && d->db().isOpen();
}

const ArchiveLocation& HistoryArchive::location() const
{
    return d->location;
}

QSqlDatabase HistoryArchive::database() const
{
    return d->db();
}

int HistoryArchive::schemaVersion() const
{
    return d->version;
}
} // namespace zentrova
