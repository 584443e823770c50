// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/EquipmentData.h"

#include "history/HistoryArchive.h"

#include "base/FileIO.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Replaces the data of points, with its statements prepared once for a
// whole list.
class EquipmentWriter {
public:
    explicit EquipmentWriter(const QSqlDatabase& db) : remove_(db), insert_(db) {}

    bool store(qint64 point, const EquipmentData& data, QString* error)
    {
        if (!prepared_) {
            if (!remove_.prepare("DELETE FROM point_equipment WHERE point_id = ?"))
                return failed(remove_, error);
            if (!insert_.prepare("INSERT INTO point_equipment (point_id, equipment_type, rated_kv, thermal_class,"
                                 " test_temperature, own_minimum_mohm, changed_at) VALUES (?, ?, ?, ?, ?, ?, ?)"))
                return failed(insert_, error);
            prepared_ = true;
            changedAt_ = QDateTime::currentDateTime().toString(Qt::ISODate);
        }
        remove_.bindValue(0, point);
        if (!remove_.exec())
            return failed(remove_, error);
        insert_.bindValue(0, point);
        insert_.bindValue(1, QString::fromLatin1(equipmentTypeName(data.type)));
        insert_.bindValue(2, optionalNumber(data.ratedKv));
        insert_.bindValue(3, data.thermalClass ? QVariant(QString::fromLatin1(thermalClassName(*data.thermalClass)))
                                               : QVariant(QMetaType(QMetaType::QString)));
        insert_.bindValue(4, optionalNumber(data.testTemperature));
        insert_.bindValue(5, optionalNumber(data.ownMinimumMOhm));
        insert_.bindValue(6, changedAt_);
        return insert_.exec() || failed(insert_, error);
    }

private:
    QSqlQuery remove_, insert_;
    bool prepared_ = false;
    QString changedAt_;
};

// The records of a CSV text fed piece by piece, each with the line it
// starts on: fields may be quoted ("" inside for a quote) and then hold the
// separator or line ends. A record keeps at most MaxCells cells of at most
// MaxCellBytes bytes each, and counts the rest: no cell of a valid list
// comes near, and a list that is one unclosed quote stays small.
struct CsvRecord {
    // Asset lists kept for other purposes run to a hundred columns and more.
    static constexpr size_t MaxCells = 256;
    static constexpr size_t MaxCellBytes = 4096;
    int line = 0;
    std::vector<QString> fields;
    size_t cellCount = 0;         // cells of the record, those not kept included
    std::vector<size_t> cutCells; // kept cells cut at MaxCellBytes, by index
};

class CsvRecordReader {
public:
    explicit CsvRecordReader(char separator) : separator_(separator) {}

    // Reads `bytes` on from where the last piece ended; `record` is called
    // with each record completed.
    template <class RecordHandler>
    void feed(std::string_view bytes, RecordHandler&& record)
    {
        for (const char c : bytes) {
            if (afterCr_) {
                afterCr_ = false;
                if (c == '\n')
                    continue; // CR LF ends one line
            }
            if (quoted_) {
                if (quoteInQuoted_) {
                    quoteInQuoted_ = false;
                    if (c == '"') {
                        append('"');
                        continue;
                    }
                    quoted_ = false; // that quote closed the field: c is read as outside it
                } else if (c == '"') {
                    quoteInQuoted_ = true;
                    continue;
                } else {
                    if (c == '\n')
                        ++line_;
                    append(c);
                    continue;
                }
            }
            if (c == '"' && !fieldStarted_) {
                quoted_ = fieldStarted_ = true;
                quoteLine_ = line_;
            } else if (c == separator_) {
                endField();
            } else if (c == '\n' || c == '\r') {
                afterCr_ = c == '\r';
                ++line_;
                endRecord(record);
            } else {
                append(c);
                fieldStarted_ = true;
            }
        }
    }

    // Ends the text: the last record may lack its line end. False when a
    // quote was left open (the record it began is dropped).
    template <class RecordHandler>
    bool finish(RecordHandler&& record)
    {
        if (quoted_ && !quoteInQuoted_)
            return false;
        quoted_ = false;
        if (fieldStarted_ || !field_.empty() || !current_.fields.empty())
            endRecord(record);
        return true;
    }

    // The line a quote left open began on.
    int quoteLine() const { return quoteLine_; }

private:
    void append(char c)
    {
        if (field_.size() < CsvRecord::MaxCellBytes)
            field_ += c;
        else
            fieldCut_ = true;
    }

    void endField()
    {
        if (current_.fields.size() < CsvRecord::MaxCells) {
            // A cell cut inside a character loses that character only.
            current_.fields.push_back(QString::fromUtf8(field_.data(), qsizetype(field_.size())));
            if (fieldCut_)
                current_.cutCells.push_back(current_.fields.size() - 1);
        }
        ++current_.cellCount;
        field_.clear();
        fieldStarted_ = fieldCut_ = false;
    }

    template <class RecordHandler>
    void endRecord(RecordHandler&& record)
    {
        endField();
        const bool blank = current_.cellCount == 1 && current_.fields[0].trimmed().isEmpty();
        if (!blank)
            record(current_);
        current_ = CsvRecord{};
        current_.line = line_;
    }

    char separator_;
    CsvRecord current_{1, {}, 0, {}};
    std::string field_;
    bool quoted_ = false, quoteInQuoted_ = false, fieldStarted_ = false, fieldCut_ = false, afterCr_ = false;
    int line_ = 1, quoteLine_ = 0;
};

// A cell's text inside a message: quoted, and cut to about 80 characters.
QString quotedCell(const QString& text)
{
    constexpr qsizetype Shown = 80;
    if (text.size() <= Shown)
        return u'"' + text + u'"';
    qsizetype end = Shown;
    if (text[end - 1].isHighSurrogate())
        --end;
    return u'"' + text.left(end) + QStringLiteral("\u2026\"");
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
    if (!EquipmentWriter(db).store(point, data, error)) {
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

namespace {

constexpr const char* ColumnList = "(site, point, type, rated_kv, class, temp, limit_mohm)";

// Checks an asset list's rows and stores them, one record after the other.
class AssetListImporter {
public:
    AssetListImporter(HistoryArchive& archive, const QString& defaultSite, AssetListImport& result)
        : archive_(archive), db_(archive.database()), writer_(db_), defaultSite_(defaultSite), result_(result)
    {
    }

    // Reads the heading. False with the reason, for a heading the list cannot go by.
    bool heading(const CsvRecord& rec)
    {
        static const QStringList known = {QStringLiteral("site"),      QStringLiteral("point"), QStringLiteral("type"),
                                          QStringLiteral("rated_kv"),  QStringLiteral("class"), QStringLiteral("temp"),
                                          QStringLiteral("limit_mohm")};
        const QString line = QString::number(rec.line);
        for (size_t i = 0; i < rec.fields.size(); ++i) {
            const QString name = rec.fields[i].trimmed().toLower();
            // Asset lists kept for other purposes carry many more columns:
            // those the import does not know are left out, and named once.
            if (!known.contains(name)) {
                const QString shown = name.isEmpty() ? QStringLiteral("column %1").arg(i + 1) : rec.fields[i].trimmed();
                if (!result_.leftOutColumns.contains(shown, Qt::CaseInsensitive))
                    result_.leftOutColumns << shown;
                continue;
            }
            if (!column_.emplace(name, i).second)
                return listFault(QStringLiteral("line %1: the column %2 is named twice").arg(line, quotedCell(name)));
        }
        for (const char* needed : {"point", "type"})
            if (!column_.count(QString::fromLatin1(needed)))
                return listFault(QStringLiteral("line %1: the heading has no column \"%2\" %3")
                                     .arg(line, QLatin1String(needed), QLatin1String(ColumnList)));
        if (!column_.count(QStringLiteral("site")) && defaultSite_.isEmpty())
            return listFault(
                QStringLiteral("line %1: the heading has no column \"site\"; name the installation with --site")
                    .arg(line));
        if (rec.cellCount > rec.fields.size())
            result_.leftOutColumns << QStringLiteral("columns %1 to %2").arg(rec.fields.size() + 1).arg(rec.cellCount);
        columns_ = rec.cellCount;
        return true;
    }

    // Checks a row, and stores it while no row was refused. False when the
    // archive cannot be read or written.
    bool row(const CsvRecord& rec)
    {
        ++result_.rows;
        if (!begun_) {
            if (!db_.transaction())
                return archiveFault(db_.lastError().text().simplified());
            begun_ = true;
        }
        EquipmentData data;
        qint64 point = 0;
        if (!check(rec, data, point))
            return true;
        QString why;
        if (result_.refusedRows == 0 && !writer_.store(point, data, &why))
            return archiveFault(QStringLiteral("line %1: %2").arg(QString::number(rec.line), why));
        return true;
    }

    // Commits what was stored, or rolls it back after a refusal or a fault.
    void finish()
    {
        if (!begun_)
            return;
        if (result_.fault != AssetListFault::None || result_.refusedRows > 0) {
            db_.rollback();
            return;
        }
        if (!db_.commit()) {
            archiveFault(db_.lastError().text().simplified());
            db_.rollback();
            return;
        }
        result_.stored = true;
    }

    bool listFault(const QString& why)
    {
        result_.fault = AssetListFault::List;
        result_.error = why;
        return false;
    }

private:
    bool archiveFault(const QString& why)
    {
        result_.fault = AssetListFault::Archive;
        result_.error = why;
        return false;
    }

    void refuse(int line, const QString& why)
    {
        if (result_.refused.size() < AssetListImport::NamedRefusals)
            result_.refused.push_back({line, why});
        ++result_.refusedRows;
    }

    bool readColumn(size_t index) const
    {
        return std::any_of(column_.begin(), column_.end(), [index](const auto& c) { return c.second == index; });
    }

    QString cell(const CsvRecord& rec, const char* name) const
    {
        const auto c = column_.find(QString::fromLatin1(name));
        return c == column_.end() || c->second >= rec.fields.size() ? QString() : rec.fields[c->second].trimmed();
    }

    bool number(const CsvRecord& rec, const char* name, std::optional<double>& out, double low, double high)
    {
        QString text = cell(rec, name);
        if (text.isEmpty())
            return true;
        if (separator == ';')
            text.replace(u',', u'.');
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !(v >= low && v <= high)) {
            refuse(rec.line, QStringLiteral("%1 %2 is no number from %3 to %4")
                                 .arg(QLatin1String(name), quotedCell(cell(rec, name)), QString::number(low),
                                      QString::number(high)));
            return false;
        }
        out = v;
        return true;
    }

    // The installation of `site`, found once for each spelling; 0 after refusing the row.
    qint64 installation(const CsvRecord& rec, const QString& site)
    {
        // Bounded: a list of many spellings asks the archive again for those past it.
        constexpr size_t RememberedSites = 256;
        auto known = installations_.find(site);
        if (known == installations_.end()) {
            QString why;
            const qint64 id = archive_.findInstallation(site, &why);
            if (!id && why.isEmpty())
                why = QStringLiteral("no installation's site is %1").arg(quotedCell(site));
            // The archive's reason names the site whole; a long one is named cut.
            if (!id && site.size() > 80)
                why = QStringLiteral("no installation of the archive is named %1").arg(quotedCell(site));
            if (installations_.size() >= RememberedSites)
                installations_.clear();
            known = installations_.emplace(site, std::pair{id, why}).first;
        }
        if (!known->second.first)
            refuse(rec.line, known->second.second);
        return known->second.first;
    }

    // The row's point and data; false after refusing the row.
    bool check(const CsvRecord& rec, EquipmentData& data, qint64& point)
    {
        if (rec.cellCount > columns_) {
            refuse(rec.line, QStringLiteral("more cells than the heading has columns"));
            return false;
        }
        if (std::any_of(rec.cutCells.begin(), rec.cutCells.end(), [this](size_t i) { return readColumn(i); })) {
            refuse(rec.line, QStringLiteral("a cell is longer than %1 bytes").arg(CsvRecord::MaxCellBytes));
            return false;
        }
        const QString site =
            column_.count(QStringLiteral("site")) && !cell(rec, "site").isEmpty() ? cell(rec, "site") : defaultSite_;
        long block = 0, element = 0;
        if (site.isEmpty()) {
            refuse(rec.line, QStringLiteral("no site"));
            return false;
        }
        if (!pointNumbers(cell(rec, "point"), block, element)) {
            refuse(
                rec.line,
                QStringLiteral("point %1 is not B/E (block and element numbers)").arg(quotedCell(cell(rec, "point"))));
            return false;
        }
        EquipmentType type;
        if (!parseEquipmentType(cell(rec, "type").toStdString(), type)) {
            refuse(rec.line, QStringLiteral("type %1 is none of %2")
                                 .arg(quotedCell(cell(rec, "type")), QString::fromStdString(equipmentTypeNames())));
            return false;
        }
        data.type = type;
        if (!cell(rec, "class").isEmpty()) {
            ThermalClass c;
            if (!parseThermalClass(cell(rec, "class").toStdString(), c)) {
                refuse(rec.line, QStringLiteral("class %1 is none of A, B, F, H").arg(quotedCell(cell(rec, "class"))));
                return false;
            }
            data.thermalClass = c;
        }
        if (!number(rec, "rated_kv", data.ratedKv, 0.001, 1000) ||
            !number(rec, "temp", data.testTemperature, -60, 250) ||
            !number(rec, "limit_mohm", data.ownMinimumMOhm, 0, 1e9))
            return false;
        const qint64 siteId = installation(rec, site);
        if (!siteId)
            return false;
        QString why;
        point = archive_.findPoint(siteId, block, element, &why);
        if (!point) {
            refuse(rec.line, why);
            return false;
        }
        if (const auto [earlier, added] = lineOfPoint_.emplace(point, rec.line); !added) {
            refuse(rec.line,
                   QStringLiteral("point %1/%2 is listed on line %3 already")
                       .arg(QString::number(block), QString::number(element), QString::number(earlier->second)));
            return false;
        }
        return true;
    }

public:
    char separator = ',';

private:
    HistoryArchive& archive_;
    QSqlDatabase db_;
    EquipmentWriter writer_;
    QString defaultSite_;
    AssetListImport& result_;
    std::map<QString, size_t> column_;
    size_t columns_ = 0;
    bool begun_ = false;
    // Keyed by the archive's points: as many as the archive holds at most.
    std::map<qint64, int> lineOfPoint_;
    std::map<QString, std::pair<qint64, QString>> installations_;
};

// The separator of a list whose first line (or its start) is `firstLine`.
char separatorOf(std::string_view firstLine)
{
    return firstLine.find(';') != std::string_view::npos && firstLine.find(',') == std::string_view::npos ? ';' : ',';
}

} // namespace

AssetListImport importAssetList(HistoryArchive& archive, const AssetListSource& source, const QString& defaultSite)
{
    AssetListImport result;
    AssetListImporter importer(archive, defaultSite, result);
    // The separator is known once the first line is, or its first 64 KiB.
    constexpr size_t HeadingBytes = 64 * 1024;
    std::string start, chunk;
    std::optional<CsvRecordReader> reader;
    bool headingRead = false, stop = false, markChecked = false;
    auto record = [&](const CsvRecord& rec) {
        if (stop)
            return;
        if (!headingRead) {
            headingRead = true;
            stop = !importer.heading(rec);
        } else {
            stop = !importer.row(rec);
        }
    };
    bool ended = false;
    while (!stop) {
        QString why;
        chunk.clear();
        if (!source(chunk, &why)) {
            importer.listFault(why);
            break;
        }
        ended = chunk.empty();
        if (!reader) {
            start += chunk;
            if (!markChecked && (start.size() >= 3 || ended)) {
                markChecked = true;
                if (start.compare(0, 3, "\xEF\xBB\xBF") == 0)
                    start.erase(0, 3);
            }
            const size_t lineEnd = start.find_first_of("\r\n");
            if (lineEnd == std::string::npos && start.size() < HeadingBytes && !ended)
                continue;
            importer.separator = separatorOf(std::string_view(start).substr(0, lineEnd));
            reader.emplace(importer.separator);
            chunk = std::move(start);
            start.clear();
        }
        reader->feed(chunk, record);
        if (ended) {
            if (!stop && !reader->finish(record))
                importer.listFault(
                    QStringLiteral("line %1: the quote that opens here is never closed").arg(reader->quoteLine()));
            break;
        }
    }
    if (result.fault == AssetListFault::None && !headingRead)
        importer.listFault(QStringLiteral("the file holds no heading line %1").arg(QLatin1String(ColumnList)));
    else if (result.fault == AssetListFault::None && result.rows == 0)
        importer.listFault(QStringLiteral("the file holds no rows below its heading"));
    importer.finish();
    return result;
}

AssetListImport importAssetList(HistoryArchive& archive, std::string_view csv, const QString& defaultSite)
{
    constexpr size_t PieceSize = 256 * 1024;
    size_t at = 0;
    return importAssetList(
        archive,
        [&](std::string& chunk, QString*) {
            chunk.assign(csv.substr(at, PieceSize));
            at += chunk.size();
            return true;
        },
        defaultSite);
}

AssetListImport importAssetListFile(HistoryArchive& archive, const QString& path, const QString& defaultSite)
{
    const int fd = ::open(fileNameToSystem(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    QString openError;
    if (fd < 0)
        openError = QString::fromLocal8Bit(std::strerror(errno));
    else if (::fstat(fd, &st) != 0)
        openError = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISREG(st.st_mode))
        openError = QStringLiteral("not a regular file");
    if (!openError.isEmpty()) {
        if (fd >= 0)
            ::close(fd);
        AssetListImport result;
        result.fault = AssetListFault::List;
        result.error = openError;
        return result;
    }
    constexpr size_t PieceSize = 256 * 1024;
    AssetListImport result = importAssetList(
        archive,
        [fd](std::string& chunk, QString* error) {
            chunk.resize(PieceSize);
            for (;;) {
                const ssize_t n = ::read(fd, chunk.data(), chunk.size());
                if (n >= 0) {
                    chunk.resize(size_t(n));
                    return true;
                }
                if (errno != EINTR) {
                    if (error)
                        *error = QString::fromLocal8Bit(std::strerror(errno));
                    chunk.clear();
                    return false;
                }
            }
        },
        defaultSite);
    ::close(fd);
    return result;
}

} // namespace zentrova
