// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "base/FileIO.h"
#include "base/Logging.h"
#include "history/HistorySettings.h"
#include "structure/Evaluation.h"
#include "structure/PointMatching.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimeZone>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>

namespace zentrova {

namespace {

// The instrument's quantity numbers the archive looks at itself.
constexpr long QuantityRiso = 1;
constexpr long QuantityRlim = 16;
constexpr long QuantityTemperature = 19;

// Text times: ISO 8601 wall-clock time without a zone, so that they sort as text.
QString timeText(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

QDateTime timeOf(const QVariant& v)
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
QString storedText(const QString& s)
{
    if (!s.contains(QChar(0)))
        return s;
    QString kept = s;
    kept.replace(QChar(0), QChar(0xFFFD));
    return kept;
}

QVariant nullableText(const QString& s)
{
    return s.isNull() ? QVariant(QMetaType::fromType<QString>()) : QVariant(storedText(s));
}

// Text for a NOT NULL column: a null text is stored empty.
QVariant textOf(const QString& s)
{
    return s.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(storedText(s));
}

MeasuredValue valueOf(const QVariant& number, const QVariant& baseUnit, const QVariant& bound, const QVariant& flagged)
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

int boundNumber(ValueBound b)
{
    return b == ValueBound::AtMost ? 1 : b == ValueBound::AtLeast ? 2 : 0;
}

// One step of the schema. Each runs once, in a transaction, in number order;
// "{ID}" stands for the engine's own kind of generated key.
struct Migration {
    int version;
    std::vector<const char*> statements;
};

const std::vector<Migration>& migrations()
{
    static const std::vector<Migration> all = {
        {1,
         {
             "CREATE TABLE installations (id {ID}, site TEXT NOT NULL UNIQUE, created_at TEXT NOT NULL)",
             "CREATE TABLE inspections (id {ID},"
             " installation_id BIGINT NOT NULL REFERENCES installations(id),"
             " taken_at TEXT NOT NULL, first_measured_at TEXT, last_measured_at TEXT, imported_at TEXT NOT NULL,"
             " source TEXT NOT NULL, instrument TEXT NOT NULL, serial_number TEXT NOT NULL,"
             " site_lines TEXT NOT NULL, object_names TEXT NOT NULL,"
             " fingerprint TEXT NOT NULL UNIQUE, measurement_count INTEGER NOT NULL)",
             "CREATE INDEX inspections_installation ON inspections(installation_id, taken_at)",
             // A measuring point of an installation; its numbers and names are
             // those of the latest inspection that measured it.
             "CREATE TABLE points (id {ID},"
             " installation_id BIGINT NOT NULL REFERENCES installations(id),"
             " object_no BIGINT NOT NULL, block_no BIGINT NOT NULL, element_no BIGINT NOT NULL,"
             " block_name TEXT NOT NULL, element_name TEXT NOT NULL, last_taken_at TEXT NOT NULL)",
             "CREATE INDEX points_installation ON points(installation_id)",
             "CREATE TABLE measurements ("
             " inspection_id BIGINT NOT NULL REFERENCES inspections(id), row_no INTEGER NOT NULL,"
             " point_id BIGINT NOT NULL REFERENCES points(id),"
             " object_no BIGINT NOT NULL, block_no BIGINT NOT NULL, element_no BIGINT NOT NULL,"
             " block_name TEXT NOT NULL, element_name TEXT NOT NULL,"
             " function_code INTEGER NOT NULL, function_no INTEGER NOT NULL, function_name TEXT NOT NULL,"
             " date_text TEXT NOT NULL, time_text TEXT NOT NULL, measured_at TEXT,"
             " PRIMARY KEY (inspection_id, row_no))",
             "CREATE INDEX measurements_point ON measurements(point_id)",
             // Every item of a measurement: the text as it came and, for a
             // coded item, the number in its base unit. `quantity` and `unit`
             // are the instrument's numbers (the language files name them at
             // the family's base plus the number).
             "CREATE TABLE items ("
             " inspection_id BIGINT NOT NULL, row_no INTEGER NOT NULL, seq INTEGER NOT NULL,"
             " kind INTEGER NOT NULL, quantity INTEGER NOT NULL, occurrence INTEGER NOT NULL, unit INTEGER NOT NULL,"
             " quantity_name TEXT NOT NULL, unit_name TEXT NOT NULL, text TEXT NOT NULL,"
             " value DOUBLE PRECISION, base_unit TEXT NOT NULL, bound INTEGER NOT NULL, flagged INTEGER NOT NULL,"
             " PRIMARY KEY (inspection_id, row_no, seq),"
             " FOREIGN KEY (inspection_id, row_no) REFERENCES measurements(inspection_id, row_no))",
         }},
        {2,
         {
             // Every number and name a point was stored under, and those the
             // user linked to it: a later inspection naming a point so is
             // matched to it.
             "CREATE TABLE point_names (point_id BIGINT NOT NULL REFERENCES points(id),"
             " object_no BIGINT NOT NULL, block_no BIGINT NOT NULL, element_no BIGINT NOT NULL,"
             " block_name TEXT NOT NULL, element_name TEXT NOT NULL, linked INTEGER NOT NULL,"
             " PRIMARY KEY (point_id, object_no, block_no, element_no, block_name, element_name))",
             "INSERT INTO point_names (point_id, object_no, block_no, element_no, block_name, element_name, linked)"
             " SELECT DISTINCT point_id, object_no, block_no, element_no, block_name, element_name, 0 FROM "
             "measurements",
         }},
        {3,
         {
             // A server indexes a few kilobytes of a row at most, and the key
             // of version 2 held whole names, so that a point named at length
             // could not be stored. The names are looked up by their point,
             // which is all the index needs; the program adds each name once.
             "CREATE TABLE point_names_3 (point_id BIGINT NOT NULL REFERENCES points(id),"
             " object_no BIGINT NOT NULL, block_no BIGINT NOT NULL, element_no BIGINT NOT NULL,"
             " block_name TEXT NOT NULL, element_name TEXT NOT NULL, linked INTEGER NOT NULL)",
             "INSERT INTO point_names_3 (point_id, object_no, block_no, element_no, block_name, element_name, linked)"
             " SELECT point_id, object_no, block_no, element_no, block_name, element_name, linked FROM point_names",
             "DROP TABLE point_names",
             "ALTER TABLE point_names_3 RENAME TO point_names",
             "CREATE INDEX point_names_point ON point_names(point_id)",
             "CREATE INDEX point_names_numbers ON point_names(block_no, element_no)",
         }},
        {4,
         {
             // An inspection's measurements in the order the export writes
             // them, read without sorting them all.
             "CREATE INDEX measurements_order ON measurements(inspection_id, block_no, element_no, row_no)",
         }},
        {5,
         {
             // Each link of two measuring points, so that it can be undone:
             // the measurements and names the linked point brought carry it.
             "CREATE TABLE point_links (id {ID}, point_id BIGINT NOT NULL REFERENCES points(id),"
             " linked_at TEXT NOT NULL)",
             "CREATE INDEX point_links_point ON point_links(point_id)",
             "ALTER TABLE measurements ADD COLUMN link_id BIGINT",
             "ALTER TABLE point_names ADD COLUMN link_id BIGINT",
         }},
        {6,
         {
             // What a measuring point is (history/EquipmentData): the type of
             // its equipment, rated voltage, thermal class, the temperature of
             // results that came without one, and the user's own minimum. It
             // goes with its point.
             "CREATE TABLE point_equipment ("
             " point_id BIGINT NOT NULL PRIMARY KEY REFERENCES points(id) ON DELETE CASCADE,"
             " equipment_type TEXT NOT NULL, rated_kv DOUBLE PRECISION, thermal_class TEXT,"
             " test_temperature DOUBLE PRECISION, own_minimum_mohm DOUBLE PRECISION, changed_at TEXT NOT NULL)",
         }},
    };
    return all;
}

std::atomic<int> connectionCounter{0};

// What a first, read-only look at an SQLite file found.
enum class SqliteContent { Archive, Empty, Foreign };

// A message of an engine as one line, and not too long a one: a server
// quotes the statement it failed on, which for an import can be megabytes.
QString oneLineReason(const QString& text)
{
    constexpr qsizetype MaxReasonLength = 300;
    QString line = text.simplified();
    if (line.size() > MaxReasonLength)
        line = line.left(MaxReasonLength - 1) + QChar(0x2026);
    return line;
}

QString newerSchema(int version)
{
    return QStringLiteral("the archive was written by a newer version of the program (schema %1, this "
                          "program knows %2); it is left as it is")
        .arg(version)
        .arg(migrations().back().version);
}

struct Numbers {
    long object, block, element;
    auto operator<=>(const Numbers&) const = default;
};
using Names = std::pair<QString, QString>;

} // namespace

QString ArchiveLocation::describe() const
{
    if (engine == Engine::SQLite)
        return QDir::toNativeSeparators(path);
    return QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

bool parseArchiveLocation(const QString& text, ArchiveLocation& out, QString* error)
{
    out = ArchiveLocation();
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) &&
        !trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive)) {
        out.engine = ArchiveLocation::Engine::SQLite;
        out.path = trimmed.isEmpty() ? defaultArchivePath() : trimmed;
        return true;
    }
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString database = url.path().mid(1);
    if (!url.isValid() || url.host().isEmpty() || database.isEmpty() || database.contains(u'/')) {
        if (error)
            *error = QStringLiteral("\"%1\" is no server address of the form postgresql://USER@HOST:PORT/DATABASE")
                         .arg(maskedArchiveAddress(trimmed));
        return false;
    }
    out.engine = ArchiveLocation::Engine::PostgreSQL;
    out.host = url.host();
    out.port = url.port(5432);
    out.database = database;
    out.user = url.userName();
    out.password = url.password();
    return true;
}

QSqlDatabase addArchiveConnection(const ArchiveLocation& where, const QString& name)
{
    const bool sqlite = where.engine == ArchiveLocation::Engine::SQLite;
    QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
    if (sqlite) {
        db.setDatabaseName(where.path);
    } else {
        db.setHostName(where.host);
        db.setPort(where.port);
        db.setDatabaseName(where.database);
        db.setUserName(where.user);
        db.setPassword(where.password);
    }
    return db;
}

QString boundedSite(const QString& site)
{
    if (site.size() <= MaxSiteLength)
        return site;
    qsizetype cut = MaxSiteLength - 1;
    if (site.at(cut).isLowSurrogate())
        --cut; // not half a character
    return site.left(cut) + QChar(0x2026);
}

QString defaultArchivePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zentrova/history.sqlite");
}

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
    static QString reason(const QSqlQuery& q) { return oneLineReason(q.lastError().text()); }

    // A new connection; for reading an SQLite file, read-only, and as a file
    // that does not change when `immutable`.
    bool connect(const ArchiveLocation& where, bool readOnly, bool immutable, QString* error);
    void disconnect();
    // Whose tables an SQLite file holds, and the schema version of ours.
    bool lookAtSqliteFile(SqliteContent& content, QString* error);

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

HistoryArchive::HistoryArchive() : d(new Private)
{
}

HistoryArchive::~HistoryArchive()
{
    close();
    delete d;
}

int HistoryArchive::latestSchemaVersion()
{
    return migrations().back().version;
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

namespace {

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

bool HistoryArchive::Private::lookAtSqliteFile(SqliteContent& content, QString* error)
{
    QSqlQuery tables(db());
    if (!tables.exec("SELECT SUM(name = 'schema_migrations'), COUNT(*) FROM sqlite_master WHERE type = 'table'") ||
        !tables.next()) {
        if (error)
            *error = reason(tables);
        return false;
    }
    const bool ours = tables.value(0).toInt() > 0;
    content = ours                          ? SqliteContent::Archive
              : tables.value(1).toInt() > 0 ? SqliteContent::Foreign
                                            : SqliteContent::Empty;
    tables.finish();
    version = 0;
    if (!ours)
        return true;
    QSqlQuery q(db());
    if (!q.exec("SELECT COALESCE(MAX(version), 0) FROM schema_migrations") || !q.next()) {
        if (error)
            *error = reason(q);
        return false;
    }
    version = q.value(0).toInt();
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

bool HistoryArchive::Private::migrate(int upTo, QString* error)
{
    if (!begin(error))
        return false;
    // Two programs opening a new server archive at once: the second waits
    // here until the first has made the schema.
    if (!sqlite() && !exec("SELECT pg_advisory_xact_lock(7438001)", error)) {
        rollback();
        return false;
    }
    if (sqlite()) {
        // A file of another program's is not made into an archive.
        QSqlQuery tables(db());
        if (!tables.exec("SELECT SUM(name = 'schema_migrations'), COUNT(*) FROM sqlite_master WHERE type = 'table'") ||
            !tables.next()) {
            if (error)
                *error = reason(tables);
            rollback();
            return false;
        }
        if (tables.value(0).toInt() == 0 && tables.value(1).toInt() > 0) {
            if (error)
                *error = QStringLiteral("the file holds tables of another program; it is no history archive");
            tables.finish();
            rollback();
            return false;
        }
    }
    if (!exec("CREATE TABLE IF NOT EXISTS schema_migrations (version INTEGER PRIMARY KEY, applied_at TEXT NOT NULL)",
              error)) {
        rollback();
        return false;
    }
    QSqlQuery q(db());
    if (!q.exec("SELECT COALESCE(MAX(version), 0) FROM schema_migrations") || !q.next()) {
        if (error)
            *error = reason(q);
        rollback();
        return false;
    }
    version = q.value(0).toInt();
    q.finish();
    if (version > latestSchemaVersion()) {
        if (error)
            *error = newerSchema(version);
        rollback();
        return false;
    }
    for (const Migration& m : migrations()) {
        if (m.version <= version || m.version > upTo)
            continue;
        for (const char* statement : m.statements)
            if (!exec(ddl(statement), error)) {
                rollback();
                return false;
            }
        QSqlQuery record(db());
        record.prepare("INSERT INTO schema_migrations (version, applied_at) VALUES (?, ?)");
        record.addBindValue(m.version);
        record.addBindValue(timeText(QDateTime::currentDateTime()));
        if (!record.exec()) {
            if (error)
                *error = reason(record);
            rollback();
            return false;
        }
        version = m.version;
        qCInfo(logHistory) << "schema migrated to version" << version;
    }
    return commit(error);
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

namespace {

// "head VALUES (?, ..., ?)": an INSERT of one row of `columns` values.
QString oneRowInsert(const char* head, int columns)
{
    QString row = QStringLiteral("(") + QStringLiteral("?,").repeated(columns);
    row.back() = u')';
    return QString::fromLatin1(head) + QStringLiteral(" VALUES ") + row;
}

// Where the rows of an import go, value by value: a row is the values given
// since the last endRow. Rows may be held back until flush().
class RowWriter {
public:
    virtual ~RowWriter() = default;
    virtual void integer(qint64 v) = 0;
    virtual void number(const MeasuredValue& v) = 0; // NULL without a finite number
    virtual void text(const QString& v) = 0;         // a null text is stored empty
    virtual void utf8Text(const std::string& v) { text(QString::fromStdString(v)); }
    virtual void textOrNull(const QString& v) = 0; // an empty text is stored as NULL
    // False with the reason when the row could not be written.
    virtual bool endRow(QString* error) = 0;
    virtual bool flush(QString* error) = 0;
    // True when rows wait to be written.
    virtual bool holdsRows() const = 0;
    virtual bool full() const = 0;
    // The key the last row written was given, where the writer reads it.
    virtual qint64 insertedId() const { return 0; }
};

// Rows a server is sent at most in one statement.
constexpr int BatchRows = 5000;

// "unnest(CAST(? AS t1[]), CAST(? AS t2[]), ...)": the rows of arrays bound
// one a column, as the columns' types `types` name them.
QString unnestOf(const std::vector<const char*>& types)
{
    QString sql = QStringLiteral("unnest(");
    for (size_t i = 0; i < types.size(); ++i) {
        if (i)
            sql += QStringLiteral(", ");
        sql += QStringLiteral("CAST(? AS %1[])").arg(QLatin1String(types[i]));
    }
    return sql + u')';
}

// Rows for a server gathered column by column, each column sent as one
// array that the statement reads back into rows with unnest():
//   INSERT INTO t (a, b) SELECT * FROM unnest(CAST(? AS bigint[]), CAST(? AS text[]))
// Qt writes every bound value into the text of the statement it executes;
// a few long array texts cost it next to nothing where thousands of single
// values cost it most of an import, and the server takes thousands of rows
// a statement.
class ArrayWriter : public RowWriter {
public:
    // `head` is "INSERT INTO table (columns...)", `types` the columns' types
    // as the server names them, in the same order; `tail` may follow, as a
    // RETURNING clause.
    ArrayWriter(QSqlDatabase db, const char* head, const std::vector<const char*>& types, const char* tail = "")
        : ArrayWriter(
              db, QString::fromLatin1(head) + QStringLiteral(" SELECT * FROM ") + unnestOf(types) + QLatin1String(tail),
              types.size())
    {
    }
    // Any statement whose `columns` parameters are the arrays, in order.
    ArrayWriter(QSqlDatabase db, const QString& statement, size_t columns)
        : query_(db), sql_(statement), columns_(columns)
    {
        query_.setForwardOnly(true);
        restart();
    }

    // Given each row the statement returns, as each batch is written.
    void readReturnedRows(std::function<void(const QSqlQuery&)> reader) { reader_ = std::move(reader); }

    void integer(qint64 v) override
    {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
        element().append(QLatin1StringView(digits, end - digits));
    }
    void number(const MeasuredValue& v) override
    {
        if (!v.hasNumber || !std::isfinite(v.number)) {
            element().append(QLatin1StringView("NULL"));
            return;
        }
        // The shortest digits that read back as the same double.
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, v.number).ptr;
        element().append(QLatin1StringView(digits, end - digits));
    }
    void text(const QString& v) override
    {
        const QString kept = storedText(v);
        quoted(element(), kept.constData(), kept.size());
    }
    void utf8Text(const std::string& v) override { text(QString::fromStdString(v)); }
    void textOrNull(const QString& v) override
    {
        if (v.isEmpty())
            element().append(QLatin1StringView("NULL"));
        else
            text(v);
    }
    bool endRow(QString* error) override
    {
        if (column_ != columns_.size()) {
            if (error)
                *error = QStringLiteral("a row of %1 values for %2 columns").arg(column_).arg(columns_.size());
            return false;
        }
        column_ = 0;
        ++rows_;
        return true;
    }
    bool holdsRows() const override { return rows_ > 0; }
    bool full() const override { return rows_ >= BatchRows; }

    bool flush(QString* error) override
    {
        if (rows_ == 0)
            return true;
        if (!prepared_) {
            if (!query_.prepare(sql_))
                return failed(error);
            prepared_ = true;
        }
        for (size_t i = 0; i < columns_.size(); ++i) {
            columns_[i].append(u'}');
            query_.bindValue(int(i), columns_[i]);
        }
        const bool ok = query_.exec();
        if (ok && reader_)
            while (query_.next())
                reader_(query_);
        query_.finish();
        restart();
        return ok || failed(error);
    }

private:
    // The array the next value goes into, its separator written.
    QString& element()
    {
        QString& a = columns_[column_++ % columns_.size()];
        if (rows_ > 0)
            a.append(u',');
        return a;
    }

    // An array element always in double quotes, so that no text reads as
    // NULL or splits at a comma or brace; inside, a backslash makes the
    // next character plain.
    static void quoted(QString& to, const QChar* text, qsizetype size)
    {
        to.append(u'"');
        const QChar* run = text;
        for (const QChar* c = text; c != text + size; ++c)
            if (*c == u'"' || *c == u'\\') {
                to.append(run, c - run);
                to.append(u'\\');
                run = c;
            }
        to.append(run, text + size - run);
        to.append(u'"');
    }

    void restart()
    {
        for (QString& a : columns_) {
            // The bound values still share the last batch's texts: new ones,
            // as large as those were.
            const qsizetype last = a.size();
            a = QString();
            a.reserve(std::max<qsizetype>(last, 64));
            a.append(u'{');
        }
        column_ = 0;
        rows_ = 0;
    }

    bool failed(QString* error)
    {
        if (error)
            *error = oneLineReason(query_.lastError().text());
        return false;
    }

    QSqlQuery query_;
    QString sql_;
    std::function<void(const QSqlQuery&)> reader_;
    std::vector<QString> columns_;
    size_t column_ = 0;
    int rows_ = 0;
    bool prepared_ = false;
};

// One prepared statement of SQLite's own, stepped once a row: an SQLite
// file is in this process, so there is no round trip to save, and going
// past Qt's binding of every value makes a large import several times as
// fast. The connection is Qt's (the same library, the same transaction).
class SqliteRowWriter : public RowWriter {
public:
    SqliteRowWriter(QSqlDatabase db, const QString& statement)
    {
        const QVariant handle = db.driver()->handle();
        if (qstrcmp(handle.typeName(), "sqlite3*") == 0 && handle.data())
            db_ = *static_cast<sqlite3* const*>(handle.data());
        if (db_) {
            const QByteArray sql = statement.toUtf8();
            if (sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &statement_, nullptr) != SQLITE_OK)
                prepareError_ = QString::fromUtf8(sqlite3_errmsg(db_));
        } else {
            prepareError_ = QStringLiteral("the SQLite connection is not reachable");
        }
    }
    ~SqliteRowWriter() override { sqlite3_finalize(statement_); }

    void integer(qint64 v) override { sqlite3_bind_int64(statement_, ++column_, v); }
    void number(const MeasuredValue& v) override
    {
        if (v.hasNumber && std::isfinite(v.number))
            sqlite3_bind_double(statement_, ++column_, v.number);
        else
            sqlite3_bind_null(statement_, ++column_);
    }
    void text(const QString& v) override
    {
        // Into the column's own buffer, which lives until the row is written.
        std::string& buffer = buffer_[size_t(column_ % MaxColumns)];
        buffer.clear();
        const QByteArray utf8 = storedText(v).toUtf8();
        buffer.append(utf8.constData(), size_t(utf8.size()));
        sqlite3_bind_text(statement_, ++column_, buffer.data(), int(buffer.size()), SQLITE_STATIC);
    }
    void utf8Text(const std::string& v) override
    {
        sqlite3_bind_text(statement_, ++column_, v.data(), int(v.size()), SQLITE_TRANSIENT);
    }
    void textOrNull(const QString& v) override
    {
        if (v.isEmpty())
            sqlite3_bind_null(statement_, ++column_);
        else
            text(v);
    }
    bool endRow(QString* error) override
    {
        column_ = 0;
        if (!statement_) {
            if (error)
                *error = prepareError_;
            return false;
        }
        const int rc = sqlite3_step(statement_);
        if (rc != SQLITE_DONE && error)
            *error = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_reset(statement_);
        if (rc == SQLITE_DONE)
            lastId_ = sqlite3_last_insert_rowid(db_);
        return rc == SQLITE_DONE;
    }
    qint64 insertedId() const override { return lastId_; }
    bool flush(QString*) override { return true; }
    bool holdsRows() const override { return false; }
    bool full() const override { return false; }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
    QString prepareError_;
    int column_ = 0;
    qint64 lastId_ = 0;
    static constexpr int MaxColumns = 16;
    std::array<std::string, MaxColumns> buffer_;
};

// A point of the archive as a new inspection's point is matched to it.
struct KnownName {
    qint64 point;
    Numbers numbers;
    Names names;
};

PointIdentity identityOf(const Numbers& numbers, const Names& names, PointNames<QString>& pointNames)
{
    return {numbers.object, numbers.block, numbers.element, pointNames.numberOf(names.first, names.second)};
}

} // namespace

ImportOutcome HistoryArchive::importInspection(const Inspection& in, const std::function<bool(int)>& interrupt)
{
    ImportOutcome out;
    // Every way out is logged with what it brought.
    struct LogOnReturn {
        const Inspection& in;
        const ImportOutcome& out;
        ~LogOnReturn()
        {
            if (out.status == ImportOutcome::Status::Added)
                qCInfo(logHistory).noquote() << "inspection of" << in.site << "added:" << out.measurements
                                             << "measurements," << out.newPoints << "new points";
            else if (out.status == ImportOutcome::Status::AlreadyStored)
                qCInfo(logHistory).noquote() << "inspection of" << in.site << "is stored already, as" << out.inspection;
            else
                qCInfo(logHistory).noquote() << "inspection of" << in.site << "not added:" << out.error;
        }
    } logOnReturn{in, out};
    // Inspections without a site would all fall into one nameless installation.
    if (in.site.trimmed().isEmpty()) {
        out.error = QStringLiteral("the inspection names no installation (test site)");
        return out;
    }
    if (!writableNow(&out.error))
        return out;
    QSqlDatabase db = d->db();
    auto fail = [&](const QString& why) {
        d->rollback();
        out = ImportOutcome();
        out.error = why;
        return out;
    };
    auto storedAlready = [&](qint64& id) {
        QSqlQuery q(db);
        q.prepare("SELECT id FROM inspections WHERE fingerprint = ?");
        q.addBindValue(QString::fromLatin1(in.fingerprint));
        if (q.exec() && q.next()) {
            id = q.value(0).toLongLong();
            return true;
        }
        return false;
    };
    QString error;
    if (!d->begin(&error))
        return fail(error);
    if (qint64 id = 0; storedAlready(id)) {
        d->rollback();
        out.status = ImportOutcome::Status::AlreadyStored;
        out.inspection = id;
        return out;
    }

    // The installation, locked until the end of the import, so that two
    // programs adding to one installation match its points one after the other.
    qint64 installation = 0;
    const QString site = boundedSite(in.site);
    {
        QSqlQuery q(db);
        q.prepare(d->sqlite()
                      ? "INSERT OR IGNORE INTO installations (site, created_at) VALUES (?, ?)"
                      : "INSERT INTO installations (site, created_at) VALUES (?, ?) ON CONFLICT (site) DO NOTHING");
        q.addBindValue(textOf(site));
        q.addBindValue(timeText(QDateTime::currentDateTime()));
        if (!q.exec())
            return fail(Private::reason(q));
        q.prepare(d->sqlite() ? "SELECT id FROM installations WHERE site = ?"
                              : "SELECT id FROM installations WHERE site = ? FOR UPDATE");
        q.addBindValue(textOf(site));
        if (!q.exec() || !q.next())
            return fail(Private::reason(q));
        installation = q.value(0).toLongLong();
    }

    // The names the installation's points were stored under.
    std::vector<KnownName> known;
    std::map<qint64, QString> lastSeen;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(
            "SELECT n.point_id, n.object_no, n.block_no, n.element_no, n.block_name, n.element_name, p.last_taken_at"
            " FROM point_names n JOIN points p ON p.id = n.point_id WHERE p.installation_id = ?");
        q.addBindValue(installation);
        if (!q.exec())
            return fail(Private::reason(q));
        while (q.next()) {
            known.push_back(
                {q.value(0).toLongLong(),
                 {long(q.value(1).toLongLong()), long(q.value(2).toLongLong()), long(q.value(3).toLongLong())},
                 {q.value(4).toString(), q.value(5).toString()}});
            lastSeen[known.back().point] = q.value(6).toString();
        }
    }

    // The inspection's points, each with the first of its measurements.
    struct NewPoint {
        Numbers numbers;
        Names names;
        qint64 point = 0;
    };
    std::vector<NewPoint> newPoints;
    std::map<std::pair<Numbers, Names>, size_t> pointIndex;
    std::vector<size_t> pointOfMeasurement;
    for (const InspectionMeasurement& m : in.measurements) {
        const Numbers n{m.object, m.block, m.element};
        // As stored, so that they compare with the names the archive holds.
        const Names names{storedText(m.blockName), storedText(m.elementName)};
        auto [it, added] = pointIndex.emplace(std::make_pair(n, names), newPoints.size());
        if (added)
            newPoints.push_back({n, names, 0});
        pointOfMeasurement.push_back(it->second);
    }

    // Matching, as two inspections are compared (matchPoints): the names the
    // installation's points were stored under are the known points.
    {
        PointNames<QString> pointNames;
        std::vector<KnownPoint> knownPoints;
        knownPoints.reserve(known.size());
        for (const KnownName& k : known)
            knownPoints.push_back({identityOf(k.numbers, k.names, pointNames), k.point});
        std::vector<PointIdentity> wanted;
        wanted.reserve(newPoints.size());
        for (const NewPoint& p : newPoints)
            wanted.push_back(identityOf(p.numbers, p.names, pointNames));
        const std::vector<PointFound> found = matchPoints(knownPoints, wanted);
        for (size_t i = 0; i < newPoints.size(); ++i)
            newPoints[i].point = found[i].point;
    }

    const QString takenAt = timeText(in.takenAt);
    {
        const char* addPointSql = "INSERT INTO points (installation_id, object_no, block_no, element_no, block_name,"
                                  " element_name, last_taken_at) VALUES (?, ?, ?, ?, ?, ?, ?)";
        const char* renameSql = "UPDATE points SET object_no = ?, block_no = ?, element_no = ?, block_name = ?,"
                                " element_name = ?, last_taken_at = ? WHERE id = ?";
        const char* addNameSql = "INSERT INTO point_names (point_id, object_no, block_no, element_no, block_name,"
                                 " element_name, linked)";
        std::unique_ptr<RowWriter> addPoint, rename, addName;
        if (d->sqlite()) {
            addPoint = std::make_unique<SqliteRowWriter>(db, addPointSql);
            rename = std::make_unique<SqliteRowWriter>(db, renameSql);
            addName = std::make_unique<SqliteRowWriter>(db, oneRowInsert(addNameSql, 7));
        } else {
            // A batch of new points gives back their keys with their numbers
            // and names, which tell the inspection's points apart.
            auto add = std::make_unique<ArrayWriter>(
                db,
                "INSERT INTO points (installation_id, object_no, block_no, element_no, block_name, element_name,"
                " last_taken_at)",
                std::vector{"bigint", "bigint", "bigint", "bigint", "text", "text", "text"},
                " RETURNING id, object_no, block_no, element_no, block_name, element_name");
            add->readReturnedRows([&](const QSqlQuery& q) {
                const Numbers n{long(q.value(1).toLongLong()), long(q.value(2).toLongLong()),
                                long(q.value(3).toLongLong())};
                if (const auto it = pointIndex.find({n, {q.value(4).toString(), q.value(5).toString()}});
                    it != pointIndex.end())
                    newPoints[it->second].point = q.value(0).toLongLong();
            });
            addPoint = std::move(add);
            rename = std::make_unique<ArrayWriter>(
                db,
                QStringLiteral("UPDATE points SET object_no = u.object_no, block_no = u.block_no,"
                               " element_no = u.element_no, block_name = u.block_name, element_name = u.element_name,"
                               " last_taken_at = u.last_taken_at FROM ") +
                    unnestOf({"bigint", "bigint", "bigint", "text", "text", "text", "bigint"}) +
                    QStringLiteral(" AS u(object_no, block_no, element_no, block_name, element_name, last_taken_at, id)"
                                   " WHERE points.id = u.id"),
                7);
            addName = std::make_unique<ArrayWriter>(
                db, addNameSql, std::vector{"bigint", "bigint", "bigint", "bigint", "text", "text", "integer"});
        }
        // The points first; their names, which refer to them, once every
        // point has its key.
        std::vector<bool> added(newPoints.size(), false);
        for (size_t i = 0; i < newPoints.size(); ++i) {
            NewPoint& p = newPoints[i];
            if (!p.point) {
                RowWriter& w = *addPoint;
                w.integer(installation);
                w.integer(p.numbers.object);
                w.integer(p.numbers.block);
                w.integer(p.numbers.element);
                w.text(p.names.first);
                w.text(p.names.second);
                w.text(takenAt);
                if (!w.endRow(&error))
                    return fail(error);
                // 0 from a writer holding the row back: the batch's rows get
                // their keys as it is written.
                p.point = w.insertedId();
                added[i] = true;
                ++out.newPoints;
                if (w.full() && !w.flush(&error))
                    return fail(error);
            } else if (takenAt >= lastSeen[p.point]) {
                // The latest inspection names the point.
                RowWriter& w = *rename;
                w.integer(p.numbers.object);
                w.integer(p.numbers.block);
                w.integer(p.numbers.element);
                w.text(p.names.first);
                w.text(p.names.second);
                w.text(takenAt);
                w.integer(p.point);
                if (!w.endRow(&error) || (w.full() && !w.flush(&error)))
                    return fail(error);
            }
        }
        if (!addPoint->flush(&error) || !rename->flush(&error))
            return fail(error);
        for (size_t i = 0; i < newPoints.size(); ++i)
            if (added[i] && !newPoints[i].point)
                return fail(QStringLiteral("the archive gave no key for the new measuring point %1/%2")
                                .arg(newPoints[i].numbers.block)
                                .arg(newPoints[i].numbers.element));
        std::set<std::pair<Numbers, Names>> knownNames;
        for (const KnownName& k : known)
            knownNames.insert({k.numbers, k.names});
        for (const NewPoint& p : newPoints)
            if (knownNames.insert({p.numbers, p.names}).second) {
                RowWriter& w = *addName;
                w.integer(p.point);
                w.integer(p.numbers.object);
                w.integer(p.numbers.block);
                w.integer(p.numbers.element);
                w.text(p.names.first);
                w.text(p.names.second);
                w.integer(0);
                if (!w.endRow(&error) || (w.full() && !w.flush(&error)))
                    return fail(error);
            }
        if (!addName->flush(&error))
            return fail(error);
    }

    qint64 inspection = 0;
    {
        QSqlQuery q(db);
        q.prepare("INSERT INTO inspections (installation_id, taken_at, first_measured_at, last_measured_at,"
                  " imported_at, source, instrument, serial_number, site_lines, object_names, fingerprint,"
                  " measurement_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id");
        for (const QVariant& v :
             {QVariant(installation), QVariant(takenAt), nullableText(timeText(in.firstMeasuredAt)),
              nullableText(timeText(in.lastMeasuredAt)), QVariant(timeText(QDateTime::currentDateTime())),
              textOf(in.source), textOf(in.instrument), textOf(in.serialNumber), textOf(in.siteLines.join(u'\n')),
              textOf(in.objectNames.join(u'\n')), QVariant(QString::fromLatin1(in.fingerprint)),
              QVariant(int(in.measurements.size()))})
            q.addBindValue(v);
        if (!q.exec() || !q.next()) {
            const QString why = Private::reason(q);
            d->rollback();
            // Another program stored the same download a moment ago.
            if (qint64 id = 0; storedAlready(id)) {
                out = ImportOutcome();
                out.status = ImportOutcome::Status::AlreadyStored;
                out.inspection = id;
                return out;
            }
            out = ImportOutcome();
            out.error = why;
            return out;
        }
        inspection = q.value(0).toLongLong();
    }

    const char* measurementInsert = "INSERT INTO measurements (inspection_id, row_no, point_id, object_no, block_no,"
                                    " element_no, block_name, element_name, function_code, function_no,"
                                    " function_name, date_text, time_text, measured_at)";
    const char* itemInsert = "INSERT INTO items (inspection_id, row_no, seq, kind, quantity, occurrence, unit,"
                             " quantity_name, unit_name, text, value, base_unit, bound, flagged)";
    constexpr int ReportEvery = 100; // measurements between two calls of `interrupt`
    std::unique_ptr<RowWriter> measurements, items;
    if (d->sqlite()) {
        measurements = std::make_unique<SqliteRowWriter>(db, oneRowInsert(measurementInsert, 14));
        items = std::make_unique<SqliteRowWriter>(db, oneRowInsert(itemInsert, 14));
    } else {
        measurements = std::make_unique<ArrayWriter>(db, measurementInsert,
                                                     std::vector{"bigint", "integer", "bigint", "bigint", "bigint",
                                                                 "bigint", "text", "text", "integer", "integer", "text",
                                                                 "text", "text", "text"});
        items = std::make_unique<ArrayWriter>(db, itemInsert,
                                              std::vector{"bigint", "integer", "integer", "integer", "integer",
                                                          "integer", "integer", "text", "text", "text",
                                                          "double precision", "text", "integer", "integer"});
    }
    // Items refer to their measurement: held-back measurements go first.
    auto flushBoth = [&] { return measurements->flush(&error) && items->flush(&error); };
    const long functionBase =
        in.measurements.empty() ? 0 : in.measurements.front().functionCode - in.measurements.front().function;
    int written = 0;
    for (size_t i = 0; i < in.measurements.size(); ++i) {
        const InspectionMeasurement& m = in.measurements[i];
        RowWriter& w = *measurements;
        w.integer(inspection);
        w.integer(m.row);
        w.integer(newPoints[pointOfMeasurement[i]].point);
        w.integer(m.object);
        w.integer(m.block);
        w.integer(m.element);
        w.text(m.blockName);
        w.text(m.elementName);
        w.integer(m.functionCode);
        w.integer(m.function);
        w.text(m.functionName);
        w.text(m.dateText);
        w.text(m.timeText);
        w.textOrNull(timeText(m.measuredAt));
        if (!w.endRow(&error))
            return fail(error);
        for (const InspectionItem& item : m.items) {
            // The quantity and unit as the instrument numbers them, whatever
            // the language's base.
            RowWriter& iw = *items;
            iw.integer(inspection);
            iw.integer(m.row);
            iw.integer(item.sequence);
            iw.integer(int(item.kind));
            iw.integer(item.quantity ? item.quantity - functionBase : 0);
            iw.integer(item.occurrence);
            iw.integer(item.quantity ? item.unit - functionBase : 0);
            iw.text(item.quantityName);
            iw.text(item.unitName);
            iw.text(item.text);
            iw.number(item.value);
            iw.utf8Text(item.value.baseUnit);
            iw.integer(boundNumber(item.value.bound));
            iw.integer(item.value.flagged ? 1 : 0);
            if (!iw.endRow(&error) || (iw.full() && !flushBoth()))
                return fail(error);
        }
        ++written;
        if (written % ReportEvery == 0 || i + 1 == in.measurements.size()) {
            if (!flushBoth())
                return fail(error);
            if (interrupt && interrupt(written))
                return fail(QStringLiteral("the import was stopped after %1 of %2 measurements")
                                .arg(written)
                                .arg(in.measurements.size()));
        }
    }
    measurements.reset();
    items.reset();
    if (!d->commit(&error))
        return fail(error);
    // A server plans its queries from what it knows of the tables; after a
    // large import that is out of date until its own analysis comes round,
    // and a trend could take a thousand times as long meanwhile. Not being
    // allowed to analyse is no failure of the import.
    if (!d->sqlite() && written >= 1000)
        d->exec("ANALYZE inspections, points, point_names, measurements, items", nullptr);
    out.status = ImportOutcome::Status::Added;
    out.inspection = inspection;
    out.measurements = written;
    return out;
}

std::vector<InstallationEntry> HistoryArchive::installations(QString* error)
{
    std::vector<InstallationEntry> list;
    QSqlQuery q(d->db());
    if (!q.exec("SELECT s.id, s.site, COUNT(i.id), MIN(i.taken_at), MAX(i.taken_at) FROM installations s"
                " LEFT JOIN inspections i ON i.installation_id = s.id GROUP BY s.id, s.site ORDER BY s.site")) {
        if (error)
            *error = Private::reason(q);
        return list;
    }
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt(), timeOf(q.value(3)),
                        timeOf(q.value(4))});
    return list;
}

std::vector<InspectionEntry> HistoryArchive::inspections(qint64 installation, QString* error)
{
    std::vector<InspectionEntry> list;
    QSqlQuery q(d->db());
    q.prepare("SELECT i.id, i.installation_id, s.site, i.taken_at, i.imported_at, i.source, i.instrument,"
              " i.serial_number, i.object_names, i.measurement_count FROM inspections i"
              " JOIN installations s ON s.id = i.installation_id"
              " WHERE ? = 0 OR i.installation_id = ? ORDER BY s.site, i.taken_at, i.id");
    q.addBindValue(installation);
    q.addBindValue(installation);
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return list;
    }
    while (q.next()) {
        InspectionEntry e;
        e.id = q.value(0).toLongLong();
        e.installation = q.value(1).toLongLong();
        e.site = q.value(2).toString();
        e.takenAt = timeOf(q.value(3));
        e.importedAt = timeOf(q.value(4));
        e.source = q.value(5).toString();
        e.instrument = q.value(6).toString();
        e.serialNumber = q.value(7).toString();
        e.objectNames = q.value(8).toString().split(u'\n', Qt::SkipEmptyParts);
        e.measurementCount = q.value(9).toInt();
        list.push_back(std::move(e));
    }
    return list;
}

int HistoryArchive::inspectionCount(QString* error)
{
    QSqlQuery q(d->db());
    if (!q.exec("SELECT COUNT(*) FROM inspections") || !q.next()) {
        if (error)
            *error = Private::reason(q);
        return -1;
    }
    return q.value(0).toInt();
}

namespace {

// The rows of a value query, measurement by measurement: per inspection the
// last measurement holding the quantity, with the Rlim of that measurement.
struct ValueRow {
    qint64 point, inspection;
    int row;
    QDateTime takenAt, measuredAt;
    long quantity;
    QString text, unitName, quantityName;
    MeasuredValue value;
};

// Which item of an inspection speaks for a quantity: a result (0) before a
// sub-result (1) before a test parameter (2).
int itemRank(int kind)
{
    return kind == int(StoredItemKind::Result) ? 0 : kind == int(StoredItemKind::SubResult) ? 1 : 2;
}

void fillFlags(PointEntry& p)
{
    const MeasuredValue &o = p.previous, &n = p.last;
    if (p.hasLast && p.hasPrevious && fellToLessThanHalf(o, n))
        p.fellByHalf = true;
    if (p.hasLast && p.hasLimit && n.hasNumber && n.bound != ValueBound::AtLeast && n.number < p.limit)
        p.belowLimit = true;
}

} // namespace

std::vector<PointEntry> HistoryArchive::points(qint64 installation, QString* error)
{
    std::vector<PointEntry> list;
    std::map<qint64, size_t> index;
    QSqlDatabase db = d->db();
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare("SELECT p.id, p.object_no, p.block_no, p.element_no, p.block_name, p.element_name,"
                  " (SELECT COUNT(DISTINCT m.inspection_id) FROM measurements m WHERE m.point_id = p.id)"
                  " FROM points p WHERE p.installation_id = ?");
        q.addBindValue(installation);
        if (!q.exec()) {
            if (error)
                *error = Private::reason(q);
            return list;
        }
        while (q.next()) {
            PointEntry p;
            p.id = q.value(0).toLongLong();
            p.installation = installation;
            p.object = long(q.value(1).toLongLong());
            p.block = long(q.value(2).toLongLong());
            p.element = long(q.value(3).toLongLong());
            p.blockName = q.value(4).toString();
            p.elementName = q.value(5).toString();
            p.inspectionCount = q.value(6).toInt();
            index[p.id] = list.size();
            list.push_back(std::move(p));
        }
    }
    {
        // Each point's insulation resistances, newest inspection first.
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(
            "SELECT m.point_id, m.inspection_id, m.row_no, it.quantity, it.value, it.base_unit, it.bound,"
            " it.flagged, it.kind FROM measurements m JOIN inspections i ON i.id = m.inspection_id"
            " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
            // The instrument sends the limit Rlim as a test parameter.
            " WHERE i.installation_id = ? AND it.quantity IN (?, ?) AND it.occurrence = 1 AND it.kind IN (4, 5, 6)"
            " ORDER BY m.point_id, i.taken_at DESC, i.id DESC, m.row_no DESC");
        q.addBindValue(installation);
        q.addBindValue(qint64(QuantityRiso));
        q.addBindValue(qint64(QuantityRlim));
        if (!q.exec()) {
            if (error)
                *error = Private::reason(q);
            return {};
        }
        // The rows of one measurement come together. Per point the newest
        // inspection gives the last value and its limit, the next one the
        // previous value; within an inspection a result counts before a
        // sub-result (the resistance a discharge test also reports), and a
        // later measurement before an earlier one.
        struct Group {
            qint64 point = -1, inspection = -1;
            int row = -1;
            int rank = 3;
            bool hasLimit = false;
            MeasuredValue resistance;
            double limit = 0;
        } group;
        std::map<qint64, std::vector<Group>> chosen; // per point, up to two inspections, newest first
        auto finishGroup = [&]() {
            if (group.rank > 2)
                return;
            std::vector<Group>& seen = chosen[group.point];
            if (seen.empty() || seen.back().inspection != group.inspection) {
                if (seen.size() < 2)
                    seen.push_back(group);
            } else if (group.rank < seen.back().rank) {
                seen.back() = group;
            }
        };
        while (q.next()) {
            const qint64 p = q.value(0).toLongLong(), i = q.value(1).toLongLong();
            const int row = q.value(2).toInt();
            if (p != group.point || i != group.inspection || row != group.row) {
                finishGroup();
                group = Group();
                group.point = p;
                group.inspection = i;
                group.row = row;
            }
            if (long(q.value(3).toLongLong()) == QuantityRlim) {
                if (!q.value(4).isNull()) {
                    group.hasLimit = true;
                    group.limit = q.value(4).toDouble();
                }
            } else if (group.rank > 2) {
                group.rank = itemRank(q.value(8).toInt());
                group.resistance = valueOf(q.value(4), q.value(5), q.value(6), q.value(7));
            }
        }
        finishGroup();
        for (const auto& [point, seen] : chosen) {
            const auto it = index.find(point);
            if (it == index.end())
                continue;
            PointEntry& e = list[it->second];
            e.hasLast = true;
            e.last = seen[0].resistance;
            e.hasLimit = seen[0].hasLimit;
            e.limit = seen[0].limit;
            if (seen.size() > 1) {
                e.hasPrevious = true;
                e.previous = seen[1].resistance;
            }
        }
    }
    for (PointEntry& p : list)
        fillFlags(p);
    std::stable_sort(list.begin(), list.end(), [](const PointEntry& a, const PointEntry& b) {
        if (a.needsAttention() != b.needsAttention())
            return a.needsAttention();
        return std::tie(a.object, a.block, a.element, a.id) < std::tie(b.object, b.block, b.element, b.id);
    });
    return list;
}

qint64 HistoryArchive::findInstallation(const QString& site, QString* error)
{
    QString why;
    const std::vector<InstallationEntry> all = installations(&why);
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return 0;
    }
    const QString wanted = site.simplified();
    std::vector<const InstallationEntry*> containing;
    for (const InstallationEntry& e : all) {
        if (e.site == wanted)
            return e.id;
        if (e.site.contains(wanted, Qt::CaseInsensitive))
            containing.push_back(&e);
    }
    if (containing.size() == 1)
        return containing.front()->id;
    if (error) {
        QStringList names;
        for (const InstallationEntry* e : containing.empty() ? std::vector<const InstallationEntry*>() : containing)
            names << QStringLiteral("\"%1\"").arg(e->site);
        *error = containing.empty() ? QStringLiteral("no installation of the archive is named \"%1\"").arg(wanted)
                                    : QStringLiteral("\"%1\" names several installations: %2")
                                          .arg(wanted, names.join(QStringLiteral(", ")));
    }
    return 0;
}

qint64 HistoryArchive::findPoint(qint64 installation, long block, long element, QString* error)
{
    QSqlQuery q(d->db());
    q.prepare("SELECT id FROM points WHERE installation_id = ? AND block_no = ? AND element_no = ? ORDER BY id");
    q.addBindValue(installation);
    q.addBindValue(qint64(block));
    q.addBindValue(qint64(element));
    std::vector<qint64> found;
    if (q.exec())
        while (q.next())
            found.push_back(q.value(0).toLongLong());
    if (found.empty()) {
        // Numbers it had in an earlier inspection.
        q.prepare("SELECT DISTINCT n.point_id FROM point_names n JOIN points p ON p.id = n.point_id"
                  " WHERE p.installation_id = ? AND n.block_no = ? AND n.element_no = ?");
        q.addBindValue(installation);
        q.addBindValue(qint64(block));
        q.addBindValue(qint64(element));
        if (q.exec())
            while (q.next())
                found.push_back(q.value(0).toLongLong());
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = Private::reason(q);
        return 0;
    }
    if (found.size() == 1)
        return found.front();
    if (error)
        *error = found.empty() ? QStringLiteral("the installation has no measuring point %1/%2").arg(block).arg(element)
                               : QStringLiteral("several measuring points were numbered %1/%2").arg(block).arg(element);
    return 0;
}

std::vector<std::pair<long, QString>> HistoryArchive::quantitiesOfPoint(qint64 point, QString* error)
{
    std::vector<std::pair<long, QString>> list;
    QSqlQuery q(d->db());
    q.prepare("SELECT it.quantity, MAX(it.quantity_name) FROM measurements m"
              " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
              " WHERE m.point_id = ? AND it.quantity <> 0 GROUP BY it.quantity ORDER BY it.quantity");
    q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return list;
    }
    while (q.next())
        list.emplace_back(long(q.value(0).toLongLong()), q.value(1).toString());
    return list;
}

long HistoryArchive::quantityByName(const QString& name, QString* error)
{
    QSqlQuery q(d->db());
    q.prepare("SELECT quantity FROM items WHERE LOWER(quantity_name) = LOWER(?) AND quantity <> 0 LIMIT 1");
    q.addBindValue(name.trimmed());
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return 0;
    }
    return q.next() ? long(q.value(0).toLongLong()) : 0;
}

bool HistoryArchive::trend(qint64 point, long quantity, Trend& out, QString* error)
{
    out = Trend();
    out.quantity = quantity;
    QSqlDatabase db = d->db();
    {
        QSqlQuery q(db);
        q.prepare("SELECT installation_id, object_no, block_no, element_no, block_name, element_name FROM points"
                  " WHERE id = ?");
        q.addBindValue(point);
        if (!q.exec() || !q.next()) {
            if (error)
                *error = q.lastError().isValid() ? Private::reason(q) : QStringLiteral("no such measuring point");
            return false;
        }
        out.point.id = point;
        out.point.installation = q.value(0).toLongLong();
        out.point.object = long(q.value(1).toLongLong());
        out.point.block = long(q.value(2).toLongLong());
        out.point.element = long(q.value(3).toLongLong());
        out.point.blockName = q.value(4).toString();
        out.point.elementName = q.value(5).toString();
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT m.inspection_id, i.taken_at, m.measured_at, m.row_no, it.quantity, it.text, it.unit_name,"
              " it.value, it.base_unit, it.bound, it.flagged, it.quantity_name, it.kind FROM measurements m"
              " JOIN inspections i ON i.id = m.inspection_id"
              " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
              " WHERE m.point_id = ? AND it.quantity IN (?, ?) AND it.occurrence = 1"
              " ORDER BY i.taken_at, i.id, m.row_no, it.seq");
    q.addBindValue(point);
    q.addBindValue(qint64(quantity));
    q.addBindValue(qint64(QuantityRlim));
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return false;
    }
    // Per measurement the quantity's item and its limit; per inspection the
    // last measurement holding the quantity as a result counts, else the last
    // holding it as a sub-result, else as a test parameter.
    struct Pending {
        qint64 inspection = -1;
        int row = -1;
        int rank = 3;
        bool has = false;
        TrendSample sample;
        bool limitSeen = false;
        double limit = 0;
    } current;
    int sampleRank = 3; // of the last sample
    auto finishMeasurement = [&]() {
        if (!current.has)
            return;
        current.sample.hasLimit = current.limitSeen && quantity != QuantityRlim;
        current.sample.limit = current.limit;
        if (out.samples.empty() || out.samples.back().inspection != current.sample.inspection) {
            out.samples.push_back(current.sample);
            sampleRank = current.rank;
        } else if (current.rank <= sampleRank) {
            out.samples.back() = current.sample;
            sampleRank = current.rank;
        }
    };
    while (q.next()) {
        const qint64 inspection = q.value(0).toLongLong();
        const int row = q.value(3).toInt();
        if (inspection != current.inspection || row != current.row) {
            finishMeasurement();
            current = Pending();
            current.inspection = inspection;
            current.row = row;
        }
        const long itemQuantity = long(q.value(4).toLongLong());
        if (itemQuantity == QuantityRlim && !q.value(7).isNull()) {
            current.limitSeen = true;
            current.limit = q.value(7).toDouble();
        }
        if (itemQuantity == quantity && !current.has) {
            current.has = true;
            current.rank = itemRank(q.value(12).toInt());
            TrendSample& s = current.sample;
            s.inspection = inspection;
            s.row = row;
            s.takenAt = timeOf(q.value(1));
            s.measuredAt = timeOf(q.value(2));
            s.text = q.value(5).toString();
            s.unitName = q.value(6).toString();
            s.value = valueOf(q.value(7), q.value(8), q.value(9), q.value(10));
            if (out.quantityName.isEmpty())
                out.quantityName = q.value(11).toString();
        }
    }
    finishMeasurement();
    out.rated = ratingKindOfQuantity(out.quantityName.toStdString(), out.ratingKind);
    if (out.rated)
        for (TrendSample& s : out.samples)
            s.rating = rateMeasuredValue(out.ratingKind, s.value);
    return true;
}

namespace {

// A point keeps the numbers and names of its latest inspection (":earlier").
const char* const LatestNamesOfPoint =
    "UPDATE points SET object_no = m.object_no, block_no = m.block_no, element_no = m.element_no,"
    " block_name = m.block_name, element_name = m.element_name, last_taken_at = m.taken_at"
    " FROM (SELECT m.object_no, m.block_no, m.element_no, m.block_name, m.element_name, i.taken_at"
    " FROM measurements m JOIN inspections i ON i.id = m.inspection_id WHERE m.point_id = :earlier"
    " ORDER BY i.taken_at DESC, i.id DESC, m.row_no DESC LIMIT 1) AS m WHERE points.id = :earlier";

// Runs `sql` with the named values it uses. False with the engine's reason.
bool runNamed(const QSqlDatabase& db, const char* sql, const std::map<QString, qint64>& values, QString* why)
{
    QSqlQuery q(db);
    const QString text = QString::fromLatin1(sql);
    q.prepare(text);
    for (const auto& [name, value] : values)
        if (text.contains(name))
            q.bindValue(name, value);
    if (q.exec())
        return true;
    *why = oneLineReason(q.lastError().text());
    return false;
}

} // namespace

const char* linkRefusalKey(LinkRefusal refusal)
{
    switch (refusal) {
    case LinkRefusal::None:
        break;
    case LinkRefusal::SamePoint:
        return "HistLinkSamePoint_60";
    case LinkRefusal::NoSuchPoint:
        return "HistLinkNoSuchPoint_60";
    case LinkRefusal::OtherInstallations:
        return "HistLinkOtherInstallations_60";
    case LinkRefusal::MeasuredTogether:
        return "HistLinkMeasuredTogether_60";
    }
    return nullptr;
}

bool HistoryArchive::linkPoints(qint64 renamed, qint64 earlier, QString* error, LinkRefusal* refusal)
{
    if (refusal)
        *refusal = LinkRefusal::None;
    if (renamed == earlier) {
        if (error)
            *error = QStringLiteral("a measuring point cannot be linked to itself");
        if (refusal)
            *refusal = LinkRefusal::SamePoint;
        return false;
    }
    QString why;
    auto fail = [&](const QString& reason) {
        d->rollback();
        if (error)
            *error = reason;
        return false;
    };
    auto refuse = [&](LinkRefusal reason, const QString& text) {
        if (refusal)
            *refusal = reason;
        return fail(text);
    };
    if (!writableNow(error))
        return false;
    if (!d->begin(&why))
        return fail(why);
    QSqlDatabase db = d->db();
    QSqlQuery q(db);
    q.prepare("SELECT COUNT(DISTINCT installation_id), COUNT(*) FROM points WHERE id IN (?, ?)");
    q.addBindValue(renamed);
    q.addBindValue(earlier);
    if (!q.exec() || !q.next())
        return fail(Private::reason(q));
    if (q.value(1).toInt() != 2)
        return refuse(LinkRefusal::NoSuchPoint, QStringLiteral("no such measuring point"));
    if (q.value(0).toInt() != 1)
        return refuse(LinkRefusal::OtherInstallations,
                      QStringLiteral("the measuring points belong to different installations"));
    q.prepare("SELECT COUNT(*) FROM measurements a JOIN measurements b ON a.inspection_id = b.inspection_id"
              " WHERE a.point_id = ? AND b.point_id = ?");
    q.addBindValue(renamed);
    q.addBindValue(earlier);
    if (!q.exec() || !q.next())
        return fail(Private::reason(q));
    if (q.value(0).toInt() > 0)
        return refuse(
            LinkRefusal::MeasuredTogether,
            QStringLiteral("both measuring points were measured in one inspection, so they are not the same"));
    QSqlQuery added(db);
    added.prepare("INSERT INTO point_links (point_id, linked_at) VALUES (?, ?) RETURNING id");
    added.addBindValue(earlier);
    added.addBindValue(timeText(QDateTime::currentDateTime()));
    if (!added.exec() || !added.next())
        return fail(Private::reason(added));
    const qint64 link = added.value(0).toLongLong();
    added.finish();
    // What the renamed point brought with an earlier link stays undoable on its own.
    const char* steps[] = {
        "UPDATE point_links SET point_id = :earlier WHERE point_id = :renamed",
        "UPDATE measurements SET point_id = :earlier, link_id = COALESCE(link_id, :link) WHERE point_id = :renamed",
        "INSERT INTO point_names (point_id, object_no, block_no, element_no, block_name, element_name, linked,"
        " link_id) SELECT :earlier, object_no, block_no, element_no, block_name, element_name, 1,"
        " COALESCE(link_id, :link) FROM point_names WHERE point_id = :renamed",
        "DELETE FROM point_names WHERE point_id = :renamed",
        "DELETE FROM points WHERE id = :renamed",
        LatestNamesOfPoint,
    };
    for (const char* step : steps)
        if (!runNamed(db, step, {{":earlier", earlier}, {":renamed", renamed}, {":link", link}}, &why))
            return fail(why);
    if (!d->commit(&why))
        return fail(why);
    return true;
}

std::vector<qint64> HistoryArchive::linkablePoints(qint64 point, QString* error)
{
    std::vector<qint64> ids;
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare("SELECT p.id FROM points p WHERE p.installation_id = (SELECT installation_id FROM points WHERE id = ?)"
              " AND p.id <> ? AND NOT EXISTS (SELECT 1 FROM measurements a JOIN measurements b"
              " ON a.inspection_id = b.inspection_id WHERE a.point_id = p.id AND b.point_id = ?) ORDER BY p.id");
    for (int i = 0; i < 3; ++i)
        q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return ids;
    }
    while (q.next())
        ids.push_back(q.value(0).toLongLong());
    return ids;
}

bool HistoryArchive::latestLink(qint64 point, PointLink& out, QString* error)
{
    out = PointLink();
    QSqlQuery q(d->db());
    q.prepare("SELECT l.id, m.block_no, m.element_no, m.block_name, m.element_name FROM point_links l"
              " JOIN measurements m ON m.link_id = l.id AND m.point_id = l.point_id"
              " JOIN inspections i ON i.id = m.inspection_id WHERE l.point_id = ?"
              " ORDER BY l.id DESC, i.taken_at DESC, i.id DESC, m.row_no DESC LIMIT 1");
    q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return false;
    }
    if (!q.next())
        return false;
    out.id = q.value(0).toLongLong();
    out.block = long(q.value(1).toLongLong());
    out.element = long(q.value(2).toLongLong());
    out.blockName = q.value(3).toString();
    out.elementName = q.value(4).toString();
    q.finish();
    QSqlQuery kept(d->db());
    kept.prepare(
        "SELECT m.block_no, m.element_no, m.block_name, m.element_name FROM measurements m"
        " JOIN inspections i ON i.id = m.inspection_id WHERE m.point_id = ?"
        " AND (m.link_id IS NULL OR m.link_id <> ?) ORDER BY i.taken_at DESC, i.id DESC, m.row_no DESC LIMIT 1");
    kept.addBindValue(point);
    kept.addBindValue(out.id);
    if (!kept.exec()) {
        if (error)
            *error = Private::reason(kept);
        return false;
    }
    if (kept.next()) {
        out.keptBlock = long(kept.value(0).toLongLong());
        out.keptElement = long(kept.value(1).toLongLong());
        out.keptBlockName = kept.value(2).toString();
        out.keptElementName = kept.value(3).toString();
    }
    return true;
}

qint64 HistoryArchive::unlinkPoint(qint64 point, QString* error)
{
    QString why;
    auto fail = [&](const QString& reason) {
        d->rollback();
        if (error)
            *error = reason;
        return qint64(0);
    };
    if (!writableNow(error))
        return 0;
    if (!d->begin(&why))
        return fail(why);
    PointLink link;
    if (!latestLink(point, link, &why))
        return fail(why.isEmpty() ? QStringLiteral("the measuring point was not linked to another") : why);
    QSqlDatabase db = d->db();
    QSqlQuery made(db);
    made.prepare("INSERT INTO points (installation_id, object_no, block_no, element_no, block_name, element_name,"
                 " last_taken_at) SELECT installation_id, 0, 0, 0, '', '', '' FROM points WHERE id = ? RETURNING id");
    made.addBindValue(point);
    if (!made.exec() || !made.next())
        return fail(Private::reason(made));
    const qint64 separated = made.value(0).toLongLong();
    made.finish();
    const char* steps[] = {
        "UPDATE measurements SET point_id = :separated, link_id = NULL WHERE point_id = :point AND link_id = :link",
        "UPDATE point_names SET point_id = :separated, linked = 0, link_id = NULL"
        " WHERE point_id = :point AND link_id = :link",
        "DELETE FROM point_links WHERE id = :link",
    };
    const std::map<QString, qint64> values{{":point", point}, {":separated", separated}, {":link", link.id}};
    for (const char* step : steps)
        if (!runNamed(db, step, values, &why))
            return fail(why);
    for (const qint64 each : {point, separated})
        if (!runNamed(db, LatestNamesOfPoint, {{":earlier", each}}, &why))
            return fail(why);
    if (!d->commit(&why))
        return fail(why);
    return separated;
}

bool HistoryArchive::exportItems(qint64 installation, const std::function<bool(const ExportedItem&)>& each,
                                 QString* error)
{
    // The sites first, then each site's items in one ordered query, read
    // forward only: a server sends them row by row, and no site's name is
    // read again for each of its rows.
    std::vector<std::pair<qint64, QString>> sites;
    {
        QSqlQuery q(d->db());
        q.setForwardOnly(true);
        q.prepare("SELECT id, site FROM installations WHERE ? = 0 OR id = ? ORDER BY site");
        q.addBindValue(installation);
        q.addBindValue(installation);
        if (!q.exec()) {
            if (error)
                *error = Private::reason(q);
            return false;
        }
        while (q.next())
            sites.emplace_back(q.value(0).toLongLong(), q.value(1).toString());
    }
    for (const auto& [id, site] : sites) {
        QSqlQuery q(d->db());
        q.setForwardOnly(true);
        // SQLite takes CROSS JOIN as the order to join in: inspections by
        // their index, each one's measurements by theirs, then their items,
        // so that only each measurement's few items are sorted. A server
        // plans the join itself.
        const QString join = d->sqlite() ? QStringLiteral(" CROSS JOIN ") : QStringLiteral(", ");
        q.prepare(QStringLiteral("SELECT i.taken_at, i.source, m.block_no, m.element_no, m.block_name, m.element_name,"
                                 " m.function_name, m.date_text, m.time_text, it.quantity_name, it.unit_name, it.text,"
                                 " it.value, it.base_unit, it.bound, it.flagged FROM inspections i") +
                  join + QStringLiteral("measurements m") + join +
                  QStringLiteral("items it WHERE m.inspection_id = i.id AND it.inspection_id = m.inspection_id"
                                 " AND it.row_no = m.row_no AND i.installation_id = ? AND it.quantity <> 0"
                                 " ORDER BY i.taken_at, i.id, m.block_no, m.element_no, m.row_no, it.seq"));
        q.addBindValue(id);
        if (!q.exec()) {
            if (error)
                *error = Private::reason(q);
            return false;
        }
        ExportedItem e;
        e.site = site;
        // Reading a time is costly; an inspection's rows share theirs.
        QString takenAtText;
        while (q.next()) {
            if (const QString text = q.value(0).toString(); text != takenAtText || takenAtText.isNull()) {
                takenAtText = text;
                e.takenAt = timeOf(text);
            }
            e.source = q.value(1).toString();
            e.block = long(q.value(2).toLongLong());
            e.element = long(q.value(3).toLongLong());
            e.blockName = q.value(4).toString();
            e.elementName = q.value(5).toString();
            e.functionName = q.value(6).toString();
            e.dateText = q.value(7).toString();
            e.timeText = q.value(8).toString();
            e.quantityName = q.value(9).toString();
            e.unitName = q.value(10).toString();
            e.text = q.value(11).toString();
            e.value = valueOf(q.value(12), q.value(13), q.value(14), q.value(15));
            if (!each(e))
                return false;
        }
        if (q.lastError().isValid()) {
            if (error)
                *error = Private::reason(q);
            return false;
        }
    }
    return true;
}

bool HistoryArchive::latestReadings(qint64 point, std::vector<ResultReadings>& out, QString* error)
{
    out.clear();
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare("SELECT m.row_no, m.function_no, it.quantity, it.value, it.base_unit, it.bound, it.flagged"
              " FROM measurements m JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
              " WHERE m.point_id = ? AND m.inspection_id = (SELECT l.inspection_id FROM measurements l"
              " JOIN inspections i ON i.id = l.inspection_id WHERE l.point_id = ?"
              " ORDER BY i.taken_at DESC, i.id DESC LIMIT 1)"
              " ORDER BY m.row_no, it.seq");
    q.addBindValue(point);
    q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = Private::reason(q);
        return false;
    }
    while (q.next()) {
        const int row = q.value(0).toInt();
        if (out.empty() || out.back().row != row) {
            ResultReadings r;
            r.row = row;
            r.function = long(q.value(1).toLongLong());
            out.push_back(std::move(r));
        }
        if (const char* symbol = quantitySymbol(long(q.value(2).toLongLong())))
            out.back().readings.push_back({symbol, valueOf(q.value(3), q.value(4), q.value(5), q.value(6))});
    }
    return true;
}

bool HistoryArchive::sampleTemperatures(const Trend& trend, std::vector<std::optional<double>>& out, QString* error)
{
    out.assign(trend.samples.size(), std::nullopt);
    QSqlQuery q(d->db());
    q.prepare("SELECT value, base_unit, bound FROM items WHERE inspection_id = ? AND row_no = ? AND quantity = ?"
              " AND occurrence = 1");
    for (size_t i = 0; i < trend.samples.size(); ++i) {
        q.addBindValue(trend.samples[i].inspection);
        q.addBindValue(trend.samples[i].row);
        q.addBindValue(qint64(QuantityTemperature));
        if (!q.exec()) {
            if (error)
                *error = Private::reason(q);
            return false;
        }
        if (q.next() && !q.value(0).isNull() && q.value(1).toString() == QLatin1String("degC") &&
            q.value(2).toInt() == 0)
            out[i] = q.value(0).toDouble();
        q.finish();
    }
    return true;
}

} // namespace zentrova
