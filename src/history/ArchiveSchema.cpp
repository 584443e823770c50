// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/ArchiveInternal.h"

#include "base/Logging.h"

#include <vector>

namespace zentrova {

namespace {

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
        {7,
         {
             // The correction rule set an installation's points of an
             // equipment type are corrected by, in place of the one the
             // settings choose (history/SiteRules). It goes with its
             // installation.
             "CREATE TABLE installation_rules ("
             " installation_id BIGINT NOT NULL REFERENCES installations(id) ON DELETE CASCADE,"
             " equipment_type TEXT NOT NULL, correction_rule_set TEXT NOT NULL, changed_at TEXT NOT NULL,"
             " PRIMARY KEY (installation_id, equipment_type))",
         }},
    };
    return all;
}

} // namespace

namespace archive {

QString newerSchema(int version)
{
    return QStringLiteral("the archive was written by a newer version of the program (schema %1, this "
                          "program knows %2); it is left as it is")
        .arg(version)
        .arg(migrations().back().version);
}

} // namespace archive

using namespace archive;

int HistoryArchive::latestSchemaVersion()
{
    return migrations().back().version;
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

} // namespace zentrova
