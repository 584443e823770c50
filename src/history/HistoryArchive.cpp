// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "base/FileIO.h"
#include "base/Logging.h"
#include "history/ArchiveInternal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>

#include <libpq-fe.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
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

namespace archive {

SqliteConnection sqliteReadingOf(const QString& path)
{
    // Bytes 18 and 19 of the header are 2 in write-ahead-log mode.
    QFile file(path);
    QByteArray header;
    if (file.open(QIODevice::ReadOnly))
        header = file.read(20);
    const bool walMode = header.size() == 20 && header[18] == 2 && header[19] == 2;
    if (!walMode)
        return SqliteConnection::ReadOnly;
    const QByteArray folder = fileNameToSystem(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK) == 0)
        return SqliteConnection::QueryOnly;
    return QFileInfo::exists(path + QStringLiteral("-wal")) ? SqliteConnection::ReadOnly : SqliteConnection::Immutable;
}

namespace {

std::int64_t steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

ServerWatchdog::ServerWatchdog(pg_conn* connection, int limitMilliseconds)
    : connection_(connection), socket_(PQsocket(connection)), limit_(limitMilliseconds), thread_([this] { watch(); })
{
}

ServerWatchdog::~ServerWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::int64_t ServerWatchdog::silence() const
{
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(socket_, IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return -1;
    return info.tcpi_last_data_recv;
}

void ServerWatchdog::watch()
{
    std::int64_t underWaySince = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, std::chrono::milliseconds(200));
        if (stop_)
            return;
        // A statement is under way from the moment libpq sends it until
        // the server says it is ready for the next.
        if (paused_ || PQtransactionStatus(connection_) != PQTRANS_ACTIVE) {
            underWaySince = 0;
            continue;
        }
        const std::int64_t now = steadyMilliseconds();
        if (underWaySince == 0)
            underWaySince = now;
        const std::int64_t heardFrom = silence();
        if (now - underWaySince <= limit_ || (heardFrom >= 0 && heardFrom <= limit_))
            continue;
        // Marked before the socket goes: the call it frees asks at once why.
        fired_ = true;
        ::shutdown(socket_, SHUT_RDWR);
        qCInfo(logHistory) << "the server did not answer: its connection is shut down";
        return;
    }
}

} // namespace archive

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
    if (openWith(where, access, latestSchemaVersion(), false, &why)) {
        qCInfo(logHistory).noquote() << "opened" << where.describe()
                                     << (access == ArchiveAccess::Write ? "for writing" : "for reading") << "at schema"
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
    return openWith(where, ArchiveAccess::Write, version, false, error);
}

void HistoryArchive::setServerTimeouts(int statementMilliseconds, int lockMilliseconds)
{
    d->statementTimeout = statementMilliseconds;
    d->lockTimeout = lockMilliseconds;
}

bool HistoryArchive::openWith(const ArchiveLocation& where, ArchiveAccess access, int version, bool forWriting,
                              QString* error)
{
    close();
    d->location = where;
    d->access = access;
    d->upTo = version;
    const bool sqlite = where.engine == ArchiveLocation::Engine::SQLite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    auto refuse = [&](const QString& why) {
        if (error)
            *error = why.startsWith(where.describe()) ? why : QStringLiteral("%1: %2").arg(where.describe(), why);
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
        if (!d->connect(where, SqliteConnection::ReadWrite, &why) || !d->migrate(version, &why))
            return refuse(why);
        return true;
    }
    // The empty archive shown before the first inspection is added: in
    // memory, nothing on the disk.
    if (where.path == QLatin1String(":memory:")) {
        QString why;
        if (!d->connect(where, SqliteConnection::ReadWrite, &why) || !d->migrate(version, &why))
            return refuse(why);
        return true;
    }
    const bool readOnly = access != ArchiveAccess::Write && !forWriting;

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
        if (access != ArchiveAccess::Write)
            return refuse(
                QStringLiteral("no history archive is there (adding an inspection to the history makes one)"));
        const QFileInfo file(where.path);
        if (!QDir().mkpath(file.absolutePath()))
            return refuse(QStringLiteral("%1: the folder cannot be made").arg(file.absolutePath()));
    } else {
        // A first look, read-only: a file of another program is refused as
        // it is, before its journal mode or anything else of it changes.
        // The archive keeps a rollback journal, so that a reader takes a
        // shared lock on the file alone and makes nothing beside it.
        const SqliteConnection reading = sqliteReadingOf(where.path);
        QString why;
        if (!d->connect(where, reading, &why))
            return refuse(why);
        SqliteContent content = SqliteContent::Empty;
        if (!d->lookAtSqliteFile(content, &why))
            return refuse(why);
        if (content == SqliteContent::Foreign)
            return refuse(QStringLiteral("the file holds tables of another program; it is no history archive"));
        if (d->version > latestSchemaVersion())
            return refuse(newerSchema(d->version));
        if (access != ArchiveAccess::Write && content == SqliteContent::Empty)
            return refuse(QStringLiteral("the file holds no history archive yet"));
        if (readOnly && d->version >= std::min(version, latestSchemaVersion()))
            return true;
        // To be created or brought up to date: opened again for writing.
        d->disconnect();
    }
    QString why;
    if (!d->connect(where, SqliteConnection::ReadWrite, &why))
        return refuse(why);
    if (!d->useRollbackJournal(&why) || !d->migrate(version, &why))
        return refuse(why);
    d->writable = true;
    return true;
}

bool HistoryArchive::Private::connect(const ArchiveLocation& where, SqliteConnection mode, QString* error)
{
    const bool sqlite = where.engine == ArchiveLocation::Engine::SQLite;
    connection = QStringLiteral("zentrova-history-%1").arg(++connectionCounter);
    QSqlDatabase db = addArchiveConnection(where, connection);
    // Another program writing waits its turn rather than failing; a server
    // that does not answer is given up after a while.
    const bool readOnly = sqlite && (mode == SqliteConnection::ReadOnly || mode == SqliteConnection::Immutable);
    if (readOnly) {
        db.setDatabaseName(readOnlyUri(where.path, mode == SqliteConnection::Immutable));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000;QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    } else {
        // The address's own parameters come last: libpq takes the last of a key.
        db.setConnectOptions(sqlite ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000")
                                    : (QStringList{QStringLiteral("connect_timeout=10")} + where.options).join(u';'));
    }
    QString why;
    bool ok = db.open();
    if (!ok)
        why = oneLineReason(db.lastError().text());
    if (ok && !sqlite) {
        const QVariant handle = db.driver()->handle();
        // The driver names the type by libpq's struct behind PGconn.
        if (qstrcmp(handle.typeName(), "pg_conn*") == 0 || qstrcmp(handle.typeName(), "PGconn*") == 0)
            if (PGconn* server = *static_cast<PGconn* const*>(handle.data()); server && PQsocket(server) >= 0)
                watchdog = std::make_unique<ServerWatchdog>(server, statementTimeout + WatchdogMargin);
    }
    // The server's notices (a table that exists already) are no news; a
    // statement or a lock that takes too long fails rather than waits.
    if (ok && !sqlite)
        ok = exec("SET client_min_messages TO WARNING", &why) &&
             exec(QStringLiteral("SET statement_timeout = %1").arg(statementTimeout), &why) &&
             exec(QStringLiteral("SET lock_timeout = %1").arg(lockTimeout), &why);
    if (ok && sqlite)
        ok = exec("PRAGMA foreign_keys = ON", &why);
    if (ok && sqlite && mode == SqliteConnection::QueryOnly)
        ok = exec("PRAGMA query_only = ON", &why);
    if (!ok) {
        if (error)
            *error = why;
        db = QSqlDatabase(); // the connection is removed next, with no handle left on it
        disconnect();
        return false;
    }
    writable = !sqlite || mode == SqliteConnection::ReadWrite;
    return true;
}

bool HistoryArchive::Private::useRollbackJournal(QString* error)
{
    // An archive an earlier version kept in write-ahead-log mode is changed
    // over here; while another program still has it open that cannot be
    // done, and it is done by the next writer. Each commit is synced whole:
    // the archive is what a user cannot make again.
    QSqlQuery q(db());
    if (!q.exec("PRAGMA journal_mode = DELETE") || !q.next()) {
        const QString why = reason(q);
        if (!why.contains(QLatin1String("locked"))) {
            if (error)
                *error = why;
            return false;
        }
    }
    if (q.isValid() && q.value(0).toString() != QLatin1String("delete"))
        qCInfo(logHistory) << "the write-ahead log stays while another program has the archive open";
    q.finish();
    // A large import held in memory rather than written out early: a
    // writer that spills takes the file's exclusive lock before its commit,
    // and readers then wait for the rest of the import.
    return exec("PRAGMA synchronous = FULL", error) && exec("PRAGMA cache_size = -65536", error);
}

bool HistoryArchive::openForWriting(QString* error)
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
    return openWith(where, d->access, d->upTo, true, error);
}

void HistoryArchive::close()
{
    d->disconnect();
}

QString HistoryArchive::Private::serverGaveNoAnswer() const
{
    return QStringLiteral("%1: the server did not answer within %2 seconds, and the program stopped waiting "
                          "(the time-out is StatementTimeout in [HISTORY] of the settings)")
        .arg(location.describe())
        .arg((statementTimeout + WatchdogMargin) / 1000);
}

void HistoryArchive::Private::disconnect()
{
    // Before the socket closes: its number may be another file's next.
    watchdog.reset();
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
