// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// What the archive's own files share: how values are stored, and the open
// connection behind a HistoryArchive. Not for the archive's callers.
#pragma once
#include "history/HistoryArchive.h"

#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <compare>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

struct pg_conn;

namespace zentrova {

namespace archive {

// The instrument's quantity numbers the archive looks at itself.
inline constexpr long QuantityRiso = 1;
inline constexpr long QuantityRlim = 16;
inline constexpr long QuantityTemperature = 19;
inline constexpr long QuantityDuration = 15; // the test's, in s

// Text times: ISO 8601 wall-clock time without a zone, so that they sort as text.
inline QString timeText(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

inline QDateTime timeOf(const QVariant& v)
{
    const QString text = v.toString();
    if (text.isEmpty())
        return {};
    QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    t.setTimeSpec(Qt::UTC);
    return t;
}

// A text as the archive stores it. A server's text cannot hold the byte 0,
// which a name in a structure file may: on both engines it is kept as
// U+FFFD, the character that stands for one that cannot be shown, so that
// both take every file and give the same back.
inline QString storedText(const QString& s)
{
    if (!s.contains(QChar(0)))
        return s;
    QString kept = s;
    kept.replace(QChar(0), QChar(0xFFFD));
    return kept;
}

inline QVariant nullableText(const QString& s)
{
    return s.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(storedText(s));
}

// Text for a NOT NULL column: a null text is stored empty.
inline QVariant textOf(const QString& s)
{
    return s.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(storedText(s));
}

inline MeasuredValue valueOf(const QVariant& number, const QVariant& baseUnit, const QVariant& bound,
                             const QVariant& flagged)
{
    MeasuredValue v;
    v.hasNumber = !number.isNull();
    v.number = number.toDouble();
    v.baseUnit = baseUnit.toString().toStdString();
    const int b = bound.toInt();
    v.bound = b == 1 ? ValueBound::AtMost : b == 2 ? ValueBound::AtLeast : ValueBound::Exact;
    v.flagged = flagged.toInt() != 0;
    return v;
}

inline int boundNumber(ValueBound b)
{
    return b == ValueBound::AtMost ? 1 : b == ValueBound::AtLeast ? 2 : 0;
}

// A message of an engine as one line, and not too long a one: a server
// quotes the statement it failed on, which for an import can be megabytes.
inline QString oneLineReason(const QString& text)
{
    constexpr qsizetype MaxReasonLength = 300;
    QString line = text.simplified();
    if (line.size() > MaxReasonLength)
        line = line.left(MaxReasonLength - 1) + QChar(0x2026);
    return line;
}

// How a connection to an SQLite file is opened.
enum class SqliteConnection {
    // Reads and writes; the archive keeps a rollback journal, so that after
    // every commit the file alone holds everything.
    ReadWrite,
    // Reads only, under SQLite's shared lock: a writer's commit waits for
    // it, and it waits for a commit (busy time-out). Makes nothing beside
    // the file.
    ReadOnly,
    // An archive an earlier version left in write-ahead-log mode, in a
    // folder that can be written: opened for writing, with writing turned
    // off, so that the last program to close it moves the log into the file
    // and deletes it, as a read-only connection cannot.
    QueryOnly,
    // The same in a folder this user cannot write: the file read as one
    // that does not change, which needs no side files.
    Immutable,
};

// How an SQLite file that exists is read: by its journal mode (the file's
// header) and whether its folder can be written.
SqliteConnection sqliteReadingOf(const QString& path);

// What a first, read-only look at an SQLite file found.
enum class SqliteContent { Archive, Empty, Foreign };

// A measuring point's numbers and names, as an inspection gives them.
struct Numbers {
    long object, block, element;
    auto operator<=>(const Numbers&) const = default;
};
using Names = std::pair<QString, QString>;

// Why an archive of a later schema is left alone.
QString newerSchema(int version);

// Gives up on a server that stopped answering. libpq waits for a reply with
// no time-out of its own, and a server's statement_timeout runs on the
// server: a server stopped or frozen holds the program for ever, and TCP's
// keepalives do not help, since a stopped process's kernel still answers
// them. A thread of its own looks at the connection a few times a second:
// once a statement has been under way longer than `limit` and the server
// has sent nothing for as long (over TCP; a local socket tells nothing of
// that), the connection's socket is shut down, and the call that waits
// returns with an error.
class ServerWatchdog {
public:
    ServerWatchdog(pg_conn* connection, int limitMilliseconds);
    ~ServerWatchdog();
    ServerWatchdog(const ServerWatchdog&) = delete;
    ServerWatchdog& operator=(const ServerWatchdog&) = delete;

    // While the program itself is busy between the rows of a long result
    // (a slow reader of an export's output), the server's silence is no
    // fault; each row must come within the limit again after resume().
    void pause() { paused_ = true; }
    void resume() { paused_ = false; }
    // The socket was shut down: the server did not answer.
    bool fired() const { return fired_; }

private:
    void watch();
    // Milliseconds since the server last sent anything; -1 when not known.
    std::int64_t silence() const;

    pg_conn* const connection_;
    const int socket_;
    const int limit_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> fired_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace archive

struct HistoryArchive::Private {
    ArchiveLocation location;
    ArchiveAccess access = ArchiveAccess::Read;
    int upTo = 0;          // the schema version it was opened at
    bool writable = false; // the connection may write
    QString connection;
    int version = 0;
    // A server's limits, in milliseconds: no statement of the program's
    // takes minutes, and a writer waits its turn at most as long as on an
    // SQLite file.
    int statementTimeout = 300000;
    int lockTimeout = 30000;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
    bool sqlite() const { return location.engine == ArchiveLocation::Engine::SQLite; }

    // Set while connected to a server.
    std::unique_ptr<archive::ServerWatchdog> watchdog;
    // How long past its time-out a statement may wait for the server.
    static constexpr int WatchdogMargin = 5000;

    // A query that failed: the reason, with the engine's words, or that the
    // server stopped answering.
    QString reason(const QSqlQuery& q) const
    {
        return watchdog && watchdog->fired() ? serverGaveNoAnswer() : archive::oneLineReason(q.lastError().text());
    }
    QString serverGaveNoAnswer() const;
    // Around the program's own work between the rows of a result.
    void pauseWatchdog()
    {
        if (watchdog)
            watchdog->pause();
    }
    void resumeWatchdog()
    {
        if (watchdog)
            watchdog->resume();
    }

    // A new connection; an SQLite file's as `mode` says (a server's reads
    // and writes).
    bool connect(const ArchiveLocation& where, archive::SqliteConnection mode, QString* error);
    // The journal a writer keeps: a rollback journal (see SqliteConnection).
    bool useRollbackJournal(QString* error);
    void disconnect();
    // Whose tables an SQLite file holds, and the schema version of ours.
    bool lookAtSqliteFile(archive::SqliteContent& content, QString* error);

    bool exec(const QString& sql, QString* error)
    {
        QSqlQuery q(db());
        if (q.exec(sql))
            return true;
        if (error)
            *error = reason(q);
        return false;
    }

    // SQLite takes the write lock at once, so that two writers wait for each
    // other instead of failing half-way.
    bool begin(QString* error) { return exec(sqlite() ? "BEGIN IMMEDIATE" : "BEGIN", error); }
    bool commit(QString* error) { return exec("COMMIT", error); }
    void rollback() { exec("ROLLBACK", nullptr); }

    QString ddl(const char* statement) const
    {
        QString s = QString::fromLatin1(statement);
        s.replace(QLatin1String("{ID}"), sqlite()
                                             ? QLatin1String("INTEGER PRIMARY KEY")
                                             : QLatin1String("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
        return s;
    }

    bool migrate(int upTo, QString* error);
};

} // namespace zentrova
