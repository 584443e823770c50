// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "base/Logging.h"
#include "history/ArchiveInternal.h"
#include "history/ArchiveWriters.h"
#include "structure/PointMatching.h"

#include <QSqlQuery>

#include <functional>
#include <map>
#include <memory>
#include <set>

namespace zentrova {

using namespace archive;

QString boundedSite(const QString& site)
{
    if (site.size() <= MaxSiteLength)
        return site;
    qsizetype cut = MaxSiteLength - 1;
    if (site.at(cut).isLowSurrogate())
        --cut; // not half a character
    return site.left(cut) + QChar(0x2026);
}

namespace {

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

// The reason a statement failed, in the engine's words.
QString reasonOf(const QSqlQuery& q)
{
    return oneLineReason(q.lastError().text());
}

// Measurements written between two calls of an import's `interrupt`.
constexpr int ReportEvery = 100;

// One inspection on its way into the archive, step by step inside the
// import's transaction; each step is false with the reason when it failed.
class InspectionImport {
public:
    InspectionImport(QSqlDatabase db, bool sqlite, const Inspection& in)
        : db_(std::move(db)), sqlite_(sqlite), in_(in), takenAt_(timeText(in.takenAt))
    {
    }

    // The inspection that holds the same download already; 0 for none.
    qint64 storedAlready() const;
    // The installation, locked until the end of the import, so that two
    // programs adding to one installation match its points one after the other.
    bool lockInstallation(QString* error);
    // The names the installation's points were stored under.
    bool loadKnownPoints(QString* error);
    // The inspection's points, each matched to a known point where one fits.
    void matchKnownPoints();
    // New points added, the others renamed when this is their latest
    // inspection, and every name not known before recorded.
    bool storePoints(QString* error);
    bool storeInspection(QString* error);
    // `interrupt`, when set, is asked after each batch and stops the import.
    bool storeMeasurements(const std::function<bool(int)>& interrupt, QString* error);

    qint64 inspection() const { return inspection_; }
    int newPointCount() const { return newPointCount_; }
    int written() const { return written_; }

private:
    // A point of the inspection, with the key of the archive's point it is.
    struct NewPoint {
        Numbers numbers;
        Names names;
        qint64 point = 0;
    };
    using PointKey = std::pair<Numbers, Names>;

    bool addOrRenamePoints(QString* error);
    bool addPointNames(QString* error);

    QSqlDatabase db_;
    bool sqlite_;
    const Inspection& in_;
    const QString takenAt_;
    qint64 installation_ = 0;
    std::vector<KnownName> known_;
    std::map<qint64, QString> lastSeen_; // of each known point: its latest inspection's time
    std::vector<NewPoint> newPoints_;
    std::map<PointKey, size_t> pointIndex_;  // into newPoints_
    std::vector<size_t> pointOfMeasurement_; // into newPoints_, one a measurement
    int newPointCount_ = 0;
    qint64 inspection_ = 0;
    int written_ = 0;
};

qint64 InspectionImport::storedAlready() const
{
    QSqlQuery q(db_);
    q.prepare("SELECT id FROM inspections WHERE fingerprint = ?");
    q.addBindValue(QString::fromLatin1(in_.fingerprint));
    return q.exec() && q.next() ? q.value(0).toLongLong() : 0;
}

bool InspectionImport::lockInstallation(QString* error)
{
    const QString site = boundedSite(in_.site);
    QSqlQuery q(db_);
    q.prepare(sqlite_ ? "INSERT OR IGNORE INTO installations (site, created_at) VALUES (?, ?)"
                      : "INSERT INTO installations (site, created_at) VALUES (?, ?) ON CONFLICT (site) DO NOTHING");
    q.addBindValue(textOf(site));
    q.addBindValue(timeText(QDateTime::currentDateTime()));
    if (!q.exec()) {
        *error = reasonOf(q);
        return false;
    }
    q.prepare(sqlite_ ? "SELECT id FROM installations WHERE site = ?"
                      : "SELECT id FROM installations WHERE site = ? FOR UPDATE");
    q.addBindValue(textOf(site));
    if (!q.exec() || !q.next()) {
        *error = reasonOf(q);
        return false;
    }
    installation_ = q.value(0).toLongLong();
    return true;
}

bool InspectionImport::loadKnownPoints(QString* error)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare("SELECT n.point_id, n.object_no, n.block_no, n.element_no, n.block_name, n.element_name, p.last_taken_at"
              " FROM point_names n JOIN points p ON p.id = n.point_id WHERE p.installation_id = ?");
    q.addBindValue(installation_);
    if (!q.exec()) {
        *error = reasonOf(q);
        return false;
    }
    while (q.next()) {
        known_.push_back({q.value(0).toLongLong(),
                          {long(q.value(1).toLongLong()), long(q.value(2).toLongLong()), long(q.value(3).toLongLong())},
                          {q.value(4).toString(), q.value(5).toString()}});
        lastSeen_[known_.back().point] = q.value(6).toString();
    }
    return true;
}

void InspectionImport::matchKnownPoints()
{
    for (const InspectionMeasurement& m : in_.measurements) {
        const Numbers n{m.object, m.block, m.element};
        // As stored, so that they compare with the names the archive holds.
        const Names names{storedText(m.blockName), storedText(m.elementName)};
        auto [it, added] = pointIndex_.emplace(std::make_pair(n, names), newPoints_.size());
        if (added)
            newPoints_.push_back({n, names, 0});
        pointOfMeasurement_.push_back(it->second);
    }
    // Matching, as two inspections are compared (matchPoints): the names the
    // installation's points were stored under are the known points.
    PointNames<QString> pointNames;
    std::vector<KnownPoint> knownPoints;
    knownPoints.reserve(known_.size());
    for (const KnownName& k : known_)
        knownPoints.push_back({identityOf(k.numbers, k.names, pointNames), k.point});
    std::vector<PointIdentity> wanted;
    wanted.reserve(newPoints_.size());
    for (const NewPoint& p : newPoints_)
        wanted.push_back(identityOf(p.numbers, p.names, pointNames));
    const std::vector<PointFound> found = matchPoints(knownPoints, wanted);
    for (size_t i = 0; i < newPoints_.size(); ++i)
        newPoints_[i].point = found[i].point;
}

bool InspectionImport::storePoints(QString* error)
{
    return addOrRenamePoints(error) && addPointNames(error);
}

bool InspectionImport::addOrRenamePoints(QString* error)
{
    const char* addPointSql = "INSERT INTO points (installation_id, object_no, block_no, element_no, block_name,"
                              " element_name, last_taken_at) VALUES (?, ?, ?, ?, ?, ?, ?)";
    const char* renameSql = "UPDATE points SET object_no = ?, block_no = ?, element_no = ?, block_name = ?,"
                            " element_name = ?, last_taken_at = ? WHERE id = ?";
    std::unique_ptr<RowWriter> addPoint, rename;
    if (sqlite_) {
        addPoint = std::make_unique<SqliteRowWriter>(db_, addPointSql);
        rename = std::make_unique<SqliteRowWriter>(db_, renameSql);
    } else {
        // A batch of new points gives back their keys with their numbers
        // and names, which tell the inspection's points apart.
        auto add = std::make_unique<ArrayWriter>(
            db_,
            "INSERT INTO points (installation_id, object_no, block_no, element_no, block_name, element_name,"
            " last_taken_at)",
            std::vector{"bigint", "bigint", "bigint", "bigint", "text", "text", "text"},
            " RETURNING id, object_no, block_no, element_no, block_name, element_name");
        add->readReturnedRows([this](const QSqlQuery& q) {
            const Numbers n{long(q.value(1).toLongLong()), long(q.value(2).toLongLong()),
                            long(q.value(3).toLongLong())};
            if (const auto it = pointIndex_.find({n, {q.value(4).toString(), q.value(5).toString()}});
                it != pointIndex_.end())
                newPoints_[it->second].point = q.value(0).toLongLong();
        });
        addPoint = std::move(add);
        rename = std::make_unique<ArrayWriter>(
            db_,
            QStringLiteral("UPDATE points SET object_no = u.object_no, block_no = u.block_no,"
                           " element_no = u.element_no, block_name = u.block_name, element_name = u.element_name,"
                           " last_taken_at = u.last_taken_at FROM ") +
                unnestOf({"bigint", "bigint", "bigint", "text", "text", "text", "bigint"}) +
                QStringLiteral(" AS u(object_no, block_no, element_no, block_name, element_name, last_taken_at, id)"
                               " WHERE points.id = u.id"),
            7);
    }
    std::vector<bool> added(newPoints_.size(), false);
    for (size_t i = 0; i < newPoints_.size(); ++i) {
        NewPoint& p = newPoints_[i];
        if (!p.point) {
            RowWriter& w = *addPoint;
            w.integer(installation_);
            w.integer(p.numbers.object);
            w.integer(p.numbers.block);
            w.integer(p.numbers.element);
            w.text(p.names.first);
            w.text(p.names.second);
            w.text(takenAt_);
            if (!w.endRow(error))
                return false;
            // 0 from a writer holding the row back: the batch's rows get
            // their keys as it is written.
            p.point = w.insertedId();
            added[i] = true;
            ++newPointCount_;
            if (w.full() && !w.flush(error))
                return false;
        } else if (takenAt_ >= lastSeen_[p.point]) {
            // The latest inspection names the point.
            RowWriter& w = *rename;
            w.integer(p.numbers.object);
            w.integer(p.numbers.block);
            w.integer(p.numbers.element);
            w.text(p.names.first);
            w.text(p.names.second);
            w.text(takenAt_);
            w.integer(p.point);
            if (!w.endRow(error) || (w.full() && !w.flush(error)))
                return false;
        }
    }
    if (!addPoint->flush(error) || !rename->flush(error))
        return false;
    for (size_t i = 0; i < newPoints_.size(); ++i)
        if (added[i] && !newPoints_[i].point) {
            *error = QStringLiteral("the archive gave no key for the new measuring point %1/%2")
                         .arg(newPoints_[i].numbers.block)
                         .arg(newPoints_[i].numbers.element);
            return false;
        }
    return true;
}

// The names refer to their points: written once every point has its key.
bool InspectionImport::addPointNames(QString* error)
{
    const char* addNameSql = "INSERT INTO point_names (point_id, object_no, block_no, element_no, block_name,"
                             " element_name, linked)";
    std::unique_ptr<RowWriter> addName;
    if (sqlite_)
        addName = std::make_unique<SqliteRowWriter>(db_, oneRowInsert(addNameSql, 7));
    else
        addName = std::make_unique<ArrayWriter>(
            db_, addNameSql, std::vector{"bigint", "bigint", "bigint", "bigint", "text", "text", "integer"});
    std::set<PointKey> knownNames;
    for (const KnownName& k : known_)
        knownNames.insert({k.numbers, k.names});
    for (const NewPoint& p : newPoints_)
        if (knownNames.insert({p.numbers, p.names}).second) {
            RowWriter& w = *addName;
            w.integer(p.point);
            w.integer(p.numbers.object);
            w.integer(p.numbers.block);
            w.integer(p.numbers.element);
            w.text(p.names.first);
            w.text(p.names.second);
            w.integer(0);
            if (!w.endRow(error) || (w.full() && !w.flush(error)))
                return false;
        }
    return addName->flush(error);
}

bool InspectionImport::storeInspection(QString* error)
{
    QSqlQuery q(db_);
    q.prepare("INSERT INTO inspections (installation_id, taken_at, first_measured_at, last_measured_at,"
              " imported_at, source, instrument, serial_number, site_lines, object_names, fingerprint,"
              " measurement_count) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id");
    for (const QVariant& v :
         {QVariant(installation_), QVariant(takenAt_), nullableText(timeText(in_.firstMeasuredAt)),
          nullableText(timeText(in_.lastMeasuredAt)), QVariant(timeText(QDateTime::currentDateTime())),
          textOf(in_.source), textOf(in_.instrument), textOf(in_.serialNumber), textOf(in_.siteLines.join(u'\n')),
          textOf(in_.objectNames.join(u'\n')), QVariant(QString::fromLatin1(in_.fingerprint)),
          QVariant(int(in_.measurements.size()))})
        q.addBindValue(v);
    if (!q.exec() || !q.next()) {
        *error = reasonOf(q);
        return false;
    }
    inspection_ = q.value(0).toLongLong();
    return true;
}

bool InspectionImport::storeMeasurements(const std::function<bool(int)>& interrupt, QString* error)
{
    const char* measurementInsert = "INSERT INTO measurements (inspection_id, row_no, point_id, object_no, block_no,"
                                    " element_no, block_name, element_name, function_code, function_no,"
                                    " function_name, date_text, time_text, measured_at)";
    const char* itemInsert = "INSERT INTO items (inspection_id, row_no, seq, kind, quantity, occurrence, unit,"
                             " quantity_name, unit_name, text, value, base_unit, bound, flagged)";
    std::unique_ptr<RowWriter> measurements, items;
    if (sqlite_) {
        measurements = std::make_unique<SqliteRowWriter>(db_, oneRowInsert(measurementInsert, 14));
        items = std::make_unique<SqliteRowWriter>(db_, oneRowInsert(itemInsert, 14));
    } else {
        measurements = std::make_unique<ArrayWriter>(db_, measurementInsert,
                                                     std::vector{"bigint", "integer", "bigint", "bigint", "bigint",
                                                                 "bigint", "text", "text", "integer", "integer", "text",
                                                                 "text", "text", "text"});
        items = std::make_unique<ArrayWriter>(db_, itemInsert,
                                              std::vector{"bigint", "integer", "integer", "integer", "integer",
                                                          "integer", "integer", "text", "text", "text",
                                                          "double precision", "text", "integer", "integer"});
    }
    // Items refer to their measurement: held-back measurements go first.
    auto flushBoth = [&] { return measurements->flush(error) && items->flush(error); };
    const long functionBase =
        in_.measurements.empty() ? 0 : in_.measurements.front().functionCode - in_.measurements.front().function;
    for (size_t i = 0; i < in_.measurements.size(); ++i) {
        const InspectionMeasurement& m = in_.measurements[i];
        RowWriter& w = *measurements;
        w.integer(inspection_);
        w.integer(m.row);
        w.integer(newPoints_[pointOfMeasurement_[i]].point);
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
        if (!w.endRow(error))
            return false;
        for (const InspectionItem& item : m.items) {
            // The quantity and unit as the instrument numbers them, whatever
            // the language's base.
            RowWriter& iw = *items;
            iw.integer(inspection_);
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
            if (!iw.endRow(error) || (iw.full() && !flushBoth()))
                return false;
        }
        ++written_;
        if (written_ % ReportEvery == 0 || i + 1 == in_.measurements.size()) {
            if (!flushBoth())
                return false;
            if (interrupt && interrupt(written_)) {
                *error = QStringLiteral("the import was stopped after %1 of %2 measurements")
                             .arg(written_)
                             .arg(in_.measurements.size());
                return false;
            }
        }
    }
    return true;
}

// Every way out of an import is logged with what it brought.
struct ImportLog {
    const Inspection& in;
    const ImportOutcome& out;
    ~ImportLog()
    {
        if (out.status == ImportOutcome::Status::Added)
            qCInfo(logHistory).noquote() << "inspection of" << in.site << "added:" << out.measurements
                                         << "measurements," << out.newPoints << "new points";
        else if (out.status == ImportOutcome::Status::AlreadyStored)
            qCInfo(logHistory).noquote() << "inspection of" << in.site << "is stored already, as" << out.inspection;
        else
            qCInfo(logHistory).noquote() << "inspection of" << in.site << "not added:" << out.error;
    }
};

} // namespace

ImportOutcome HistoryArchive::importInspection(const Inspection& in, const std::function<bool(int)>& interrupt)
{
    ImportOutcome out;
    const ImportLog logOnReturn{in, out};
    // Inspections without a site would all fall into one nameless installation.
    if (in.site.trimmed().isEmpty()) {
        out.error = QStringLiteral("the inspection names no installation (test site)");
        return out;
    }
    if (!openForWriting(&out.error))
        return out;
    auto failedWith = [&](const QString& why) {
        out = ImportOutcome();
        out.error = d->watchdog && d->watchdog->fired() ? d->serverGaveNoAnswer() : why;
        return out;
    };
    auto failed = [&](const QString& why) {
        d->rollback();
        return failedWith(why);
    };
    auto storedAs = [&](qint64 inspection) {
        out = ImportOutcome();
        out.status = ImportOutcome::Status::AlreadyStored;
        out.inspection = inspection;
        return out;
    };
    InspectionImport import(d->db(), d->sqlite(), in);
    QString error;
    if (!d->begin(&error))
        return failed(error);
    if (const qint64 id = import.storedAlready()) {
        d->rollback();
        return storedAs(id);
    }
    if (!import.lockInstallation(&error) || !import.loadKnownPoints(&error))
        return failed(error);
    import.matchKnownPoints();
    if (!import.storePoints(&error))
        return failed(error);
    if (!import.storeInspection(&error)) {
        d->rollback();
        // Another program stored the same download a moment ago.
        if (const qint64 id = import.storedAlready())
            return storedAs(id);
        return failedWith(error);
    }
    if (!import.storeMeasurements(interrupt, &error) || !d->commit(&error))
        return failed(error);
    // A server plans its queries from what it knows of the tables; after a
    // large import that is out of date until its own analysis comes round,
    // and a trend could take a thousand times as long meanwhile. Not being
    // allowed to analyse is no failure of the import.
    if (!d->sqlite() && import.written() >= 1000)
        d->exec("ANALYZE inspections, points, point_names, measurements, items", nullptr);
    out.status = ImportOutcome::Status::Added;
    out.inspection = import.inspection();
    out.measurements = import.written();
    out.newPoints = import.newPointCount();
    return out;
}

} // namespace zentrova
