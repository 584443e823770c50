// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/EquipmentData.h"

#include "history/HistoryArchive.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>

namespace zentrova {

namespace {

QVariant optionalNumber(const std::optional<double>& v)
{
    return v ? QVariant(*v) : QVariant(QMetaType(QMetaType::Double));
}

std::optional<double> numberOf(const QVariant& v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

bool failed(const QSqlQuery& q, QString* error)
{
    if (error)
        *error = q.lastError().text().simplified();
    return false;
}

bool readRow(const QSqlQuery& q, int first, EquipmentData& data)
{
    EquipmentType type;
    if (!parseEquipmentType(q.value(first).toString().toStdString(), type))
        return false;
    data.type = type;
    data.ratedKv = numberOf(q.value(first + 1));
    ThermalClass c;
    if (!q.value(first + 2).isNull() && parseThermalClass(q.value(first + 2).toString().toStdString(), c))
        data.thermalClass = c;
    data.testTemperature = numberOf(q.value(first + 3));
    data.ownMinimumMOhm = numberOf(q.value(first + 4));
    return true;
}

constexpr const char* EquipmentColumns =
    "e.equipment_type, e.rated_kv, e.thermal_class, e.test_temperature, e.own_minimum_mohm";

bool storeEquipment(QSqlDatabase db, qint64 point, const EquipmentData& data, QString* error)
{
    QSqlQuery q(db);
    q.prepare("DELETE FROM point_equipment WHERE point_id = ?");
    q.addBindValue(point);
    if (!q.exec())
        return failed(q, error);
    q.prepare("INSERT INTO point_equipment (point_id, equipment_type, rated_kv, thermal_class, test_temperature,"
              " own_minimum_mohm, changed_at) VALUES (?, ?, ?, ?, ?, ?, ?)");
    q.addBindValue(point);
    q.addBindValue(QString::fromLatin1(equipmentTypeName(data.type)));
    q.addBindValue(optionalNumber(data.ratedKv));
    q.addBindValue(data.thermalClass ? QVariant(QString::fromLatin1(thermalClassName(*data.thermalClass)))
                                     : QVariant(QMetaType(QMetaType::QString)));
    q.addBindValue(optionalNumber(data.testTemperature));
    q.addBindValue(optionalNumber(data.ownMinimumMOhm));
    q.addBindValue(QDateTime::currentDateTime().toString(Qt::ISODate));
    return q.exec() || failed(q, error);
}

// The records of a CSV text, each with the line it starts on: fields may be
// quoted ("" inside for a quote) and then hold the separator or line ends.
struct CsvRecord {
    int line = 0;
    std::vector<QString> fields;
};

std::vector<CsvRecord> csvRecords(std::string_view text, char separator)
{
    std::vector<CsvRecord> records;
    CsvRecord current;
    std::string field;
    bool quoted = false, fieldStarted = false;
    int line = 1;
    current.line = 1;
    auto endField = [&] {
        current.fields.push_back(QString::fromUtf8(field.data(), qsizetype(field.size())));
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&](int nextLine) {
        endField();
        const bool blank = current.fields.size() == 1 && current.fields[0].trimmed().isEmpty();
        if (!blank)
            records.push_back(std::move(current));
        current = CsvRecord{};
        current.line = nextLine;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++line;
                field += c;
            }
        } else if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            ++line;
            endRecord(line);
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.empty() || !current.fields.empty())
        endRecord(line);
    return records;
}

bool pointNumbers(const QString& text, long& block, long& element)
{
    const QStringList parts = text.split(u'/');
    bool blockOk = false, elementOk = false;
    if (parts.size() == 2) {
        block = parts[0].trimmed().toLong(&blockOk);
        element = parts[1].trimmed().toLong(&elementOk);
    }
    return blockOk && elementOk && block >= 0 && element >= 0;
}

struct CheckedRow {
    int line = 0;
    qint64 point = 0;
    EquipmentData data;
};

} // namespace

bool readPointEquipment(HistoryArchive& archive, qint64 point, std::optional<EquipmentData>& out, QString* error)
{
    out.reset();
    QSqlQuery q(archive.database());
    q.prepare(
        QStringLiteral("SELECT %1 FROM point_equipment e WHERE e.point_id = ?").arg(QLatin1String(EquipmentColumns)));
    q.addBindValue(point);
    if (!q.exec())
        return failed(q, error);
    if (q.next()) {
        EquipmentData data;
        if (readRow(q, 0, data))
            out = data;
    }
    return true;
}

bool writePointEquipment(HistoryArchive& archive, qint64 point, const EquipmentData& data, QString* error)
{
    QSqlDatabase db = archive.database();
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text().simplified();
        return false;
    }
    if (!storeEquipment(db, point, data, error)) {
        db.rollback();
        return false;
    }
    if (db.commit())
        return true;
    if (error)
        *error = db.lastError().text().simplified();
    db.rollback();
    return false;
}

bool deletePointEquipment(HistoryArchive& archive, qint64 point, bool& deleted, QString* error)
{
    deleted = false;
    QSqlQuery q(archive.database());
    q.prepare("DELETE FROM point_equipment WHERE point_id = ?");
    q.addBindValue(point);
    if (!q.exec())
        return failed(q, error);
    deleted = q.numRowsAffected() > 0;
    return true;
}

bool installationEquipment(HistoryArchive& archive, qint64 installation, std::vector<PointEquipmentEntry>& out,
                           QString* error)
{
    out.clear();
    QSqlQuery q(archive.database());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT p.id, p.block_no, p.element_no, p.block_name, p.element_name, %1"
                             " FROM point_equipment e JOIN points p ON p.id = e.point_id"
                             " WHERE p.installation_id = ? ORDER BY p.block_no, p.element_no, p.id")
                  .arg(QLatin1String(EquipmentColumns)));
    q.addBindValue(installation);
    if (!q.exec())
        return failed(q, error);
    while (q.next()) {
        PointEquipmentEntry e;
        e.point = q.value(0).toLongLong();
        e.block = long(q.value(1).toLongLong());
        e.element = long(q.value(2).toLongLong());
        e.blockName = q.value(3).toString();
        e.elementName = q.value(4).toString();
        if (readRow(q, 5, e.data))
            out.push_back(std::move(e));
    }
    return true;
}

AssetListImport importAssetList(HistoryArchive& archive, std::string_view csv, const QString& defaultSite)
{
    AssetListImport result;
    if (csv.substr(0, 3) == "\xEF\xBB\xBF")
        csv.remove_prefix(3);
    const std::string_view firstLine = csv.substr(0, csv.find('\n'));
    const char separator =
        firstLine.find(';') != std::string_view::npos && firstLine.find(',') == std::string_view::npos ? ';' : ',';
    std::vector<CsvRecord> records = csvRecords(csv, separator);
    if (records.empty()) {
        result.error = QStringLiteral("the file holds no heading line (site, point, type, rated_kv, class, temp, "
                                      "limit_mohm)");
        return result;
    }
    // The heading names the columns.
    std::map<QString, size_t> column;
    static const QStringList known = {QStringLiteral("site"),      QStringLiteral("point"), QStringLiteral("type"),
                                      QStringLiteral("rated_kv"),  QStringLiteral("class"), QStringLiteral("temp"),
                                      QStringLiteral("limit_mohm")};
    for (size_t i = 0; i < records[0].fields.size(); ++i) {
        const QString name = records[0].fields[i].trimmed().toLower();
        if (!known.contains(name)) {
            result.error = QStringLiteral("line %1: unknown column \"%2\" (site, point, type, rated_kv, class, temp, "
                                          "limit_mohm)")
                               .arg(records[0].line)
                               .arg(records[0].fields[i]);
            return result;
        }
        if (!column.emplace(name, i).second) {
            result.error = QStringLiteral("line %1: the column \"%2\" is named twice").arg(records[0].line).arg(name);
            return result;
        }
    }
    for (const char* needed : {"point", "type"})
        if (!column.count(QString::fromLatin1(needed))) {
            result.error = QStringLiteral("line %1: the heading has no column \"%2\"")
                               .arg(records[0].line)
                               .arg(QLatin1String(needed));
            return result;
        }
    if (!column.count(QStringLiteral("site")) && defaultSite.isEmpty()) {
        result.error = QStringLiteral("line %1: the heading has no column \"site\"; name the installation with --site")
                           .arg(records[0].line);
        return result;
    }

    std::vector<CheckedRow> rows;
    std::map<qint64, int> lineOfPoint;
    std::map<QString, qint64> installations;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& rec = records[r];
        ++result.rows;
        auto cell = [&](const char* name) {
            const auto c = column.find(QString::fromLatin1(name));
            return c == column.end() || c->second >= rec.fields.size() ? QString() : rec.fields[c->second].trimmed();
        };
        auto refuse = [&](const QString& why) { result.refused.push_back({rec.line, why}); };
        auto number = [&](const char* name, std::optional<double>& out, double low, double high) {
            QString text = cell(name);
            if (text.isEmpty())
                return true;
            if (separator == ';')
                text.replace(u',', u'.');
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (!ok || !(v >= low && v <= high)) {
                refuse(QStringLiteral("%1 \"%2\" is no number from %3 to %4")
                           .arg(QLatin1String(name), cell(name))
                           .arg(low)
                           .arg(high));
                return false;
            }
            out = v;
            return true;
        };
        if (rec.fields.size() > records[0].fields.size()) {
            refuse(QStringLiteral("more cells than the heading has columns"));
            continue;
        }
        CheckedRow row;
        row.line = rec.line;
        const QString site =
            column.count(QStringLiteral("site")) && !cell("site").isEmpty() ? cell("site") : defaultSite;
        long block = 0, element = 0;
        if (site.isEmpty()) {
            refuse(QStringLiteral("no site"));
            continue;
        }
        if (!pointNumbers(cell("point"), block, element)) {
            refuse(QStringLiteral("point \"%1\" is not B/E (block and element numbers)").arg(cell("point")));
            continue;
        }
        EquipmentType type;
        if (!parseEquipmentType(cell("type").toStdString(), type)) {
            refuse(QStringLiteral("type \"%1\" is none of form-wound, random-wound, pre-1970-or-field, cable, "
                                  "transformer, other")
                       .arg(cell("type")));
            continue;
        }
        row.data.type = type;
        if (!cell("class").isEmpty()) {
            ThermalClass c;
            if (!parseThermalClass(cell("class").toStdString(), c)) {
                refuse(QStringLiteral("class \"%1\" is none of A, B, F, H").arg(cell("class")));
                continue;
            }
            row.data.thermalClass = c;
        }
        if (!number("rated_kv", row.data.ratedKv, 0.001, 1000) || !number("temp", row.data.testTemperature, -60, 250) ||
            !number("limit_mohm", row.data.ownMinimumMOhm, 0, 1e9))
            continue;
        auto known = installations.find(site);
        if (known == installations.end()) {
            QString why;
            known = installations.emplace(site, archive.findInstallation(site, &why)).first;
            if (!known->second) {
                refuse(why);
                continue;
            }
        }
        if (!known->second) {
            refuse(QStringLiteral("no installation's site is \"%1\"").arg(site));
            continue;
        }
        QString why;
        row.point = archive.findPoint(known->second, block, element, &why);
        if (!row.point) {
            refuse(why);
            continue;
        }
        if (const auto [earlier, added] = lineOfPoint.emplace(row.point, rec.line); !added) {
            refuse(QStringLiteral("point %1/%2 is listed on line %3 already")
                       .arg(block)
                       .arg(element)
                       .arg(earlier->second));
            continue;
        }
        rows.push_back(std::move(row));
    }
    if (!result.refused.empty())
        return result;

    QSqlDatabase db = archive.database();
    if (!db.transaction()) {
        result.error = db.lastError().text().simplified();
        return result;
    }
    for (const CheckedRow& row : rows)
        if (!storeEquipment(db, row.point, row.data, &result.error)) {
            db.rollback();
            result.error = QStringLiteral("line %1: %2").arg(row.line).arg(result.error);
            return result;
        }
    if (!db.commit()) {
        result.error = db.lastError().text().simplified();
        db.rollback();
        return result;
    }
    result.stored = true;
    return result;
}

} // namespace zentrova
