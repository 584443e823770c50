// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// What the archive's own files share: how values are stored, and the open
// connection behind a HistoryArchive. Not for the archive's callers.
#pragma once
#include "history/HistoryArchive.h"

#include <QSqlError>
#include <QSqlQuery>

#include <compare>
#include <utility>

namespace zentrova {

namespace archive {

// The instrument's quantity numbers the archive looks at itself.
inline constexpr long QuantityRiso = 1;
inline constexpr long QuantityRlim = 16;
inline constexpr long QuantityTemperature = 19;

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

    // A query that failed: the reason, with the engine's words.
    static QString reason(const QSqlQuery& q) { return archive::oneLineReason(q.lastError().text()); }

    // A new connection; for reading an SQLite file, read-only, and as a file
    // that does not change when `immutable`.
    bool connect(const ArchiveLocation& where, bool readOnly, bool immutable, QString* error);
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
