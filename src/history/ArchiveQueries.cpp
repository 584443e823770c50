// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "history/ArchiveInternal.h"
#include "structure/ChartData.h"
#include "structure/Evaluation.h"

#include <algorithm>
#include <map>
#include <optional>
#include <tuple>

namespace zentrova {

using namespace archive;

bool HistoryArchive::installations(std::vector<InstallationEntry>& list, QString* error)
{
    list.clear();
    QSqlQuery q(d->db());
    if (!q.exec("SELECT s.id, s.site, COUNT(i.id), MIN(i.taken_at), MAX(i.taken_at) FROM installations s"
                " LEFT JOIN inspections i ON i.installation_id = s.id GROUP BY s.id, s.site ORDER BY s.site")) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    while (q.next())
        list.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt(), timeOf(q.value(3)),
                        timeOf(q.value(4))});
    return true;
}

bool HistoryArchive::inspections(qint64 installation, std::vector<InspectionEntry>& list, QString* error)
{
    list.clear();
    QSqlQuery q(d->db());
    q.prepare("SELECT i.id, i.installation_id, s.site, i.taken_at, i.imported_at, i.source, i.instrument,"
              " i.serial_number, i.object_names, i.measurement_count FROM inspections i"
              " JOIN installations s ON s.id = i.installation_id"
              " WHERE ? = 0 OR i.installation_id = ? ORDER BY s.site, i.taken_at, i.id");
    q.addBindValue(installation);
    q.addBindValue(installation);
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
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
    return true;
}

int HistoryArchive::inspectionCount(QString* error)
{
    QSqlQuery q(d->db());
    if (!q.exec("SELECT COUNT(*) FROM inspections") || !q.next()) {
        if (error)
            *error = d->reason(q);
        return -1;
    }
    return q.value(0).toInt();
}

namespace {

// Which item of an inspection speaks for a quantity: a result (0) before a
// sub-result (1) before a test parameter (2).
// Runs `q`, whose rows are a code and its name, into `list`; false with the
// engine's reason.
bool readCodesAndNames(QSqlQuery& q, std::vector<std::pair<long, QString>>& list, QString* error)
{
    if (!q.exec()) {
        if (error)
            *error = oneLineReason(q.lastError().text());
        return false;
    }
    while (q.next())
        list.emplace_back(long(q.value(0).toLongLong()), q.value(1).toString());
    return true;
}

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

bool HistoryArchive::points(qint64 installation, std::vector<PointEntry>& list, QString* error)
{
    list.clear();
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
                *error = d->reason(q);
            return false;
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
            " it.flagged, it.kind, m.function_no FROM measurements m JOIN inspections i ON i.id = m.inspection_id"
            " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
            // The instrument sends the limit Rlim as a test parameter.
            " WHERE i.installation_id = ? AND it.quantity IN (?, ?) AND it.occurrence = 1 AND it.kind IN (4, 5, 6)"
            " ORDER BY m.point_id, i.taken_at DESC, i.id DESC, m.row_no DESC");
        q.addBindValue(installation);
        q.addBindValue(qint64(QuantityRiso));
        q.addBindValue(qint64(QuantityRlim));
        if (!q.exec()) {
            if (error)
                *error = d->reason(q);
            list.clear();
            return false;
        }
        // The rows of one measurement come together. Per point the newest
        // inspection gives the last value and its limit, the next one the
        // previous value; within an inspection the insulation-resistance
        // test counts before any other (a ramp or step test also reports a
        // Riso, but the minimums and the trend are of the 1-minute test), a
        // result before a sub-result (the resistance a discharge test also
        // reports), and a later measurement before an earlier one.
        constexpr int Unranked = 100;
        struct Group {
            qint64 point = -1, inspection = -1;
            int row = -1;
            int rank = Unranked;
            bool hasLimit = false;
            MeasuredValue resistance;
            double limit = 0;
        } group;
        std::map<qint64, std::vector<Group>> chosen; // per point, up to two inspections, newest first
        auto finishGroup = [&]() {
            if (group.rank == Unranked)
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
            } else if (group.rank == Unranked) {
                const bool insulationTest = q.value(9).toLongLong() == FunctionInsulationResistance;
                group.rank = (insulationTest ? 0 : 3) + itemRank(q.value(8).toInt());
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
    return true;
}

qint64 HistoryArchive::findInstallation(const QString& site, QString* error)
{
    std::vector<InstallationEntry> all;
    if (!installations(all, error))
        return 0;
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

qint64 HistoryArchive::installationOfDocument(const QByteArray& fingerprint, const QString& source, QString* error)
{
    QSqlQuery q(d->db());
    // The same download first: the file may have been moved or renamed since.
    q.prepare("SELECT installation_id FROM inspections WHERE fingerprint = ? OR (? <> '' AND source = ?)"
              " ORDER BY CASE WHEN fingerprint = ? THEN 0 ELSE 1 END, imported_at DESC, id DESC");
    q.addBindValue(QString::fromLatin1(fingerprint));
    q.addBindValue(source);
    q.addBindValue(source);
    q.addBindValue(QString::fromLatin1(fingerprint));
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return 0;
    }
    return q.next() ? q.value(0).toLongLong() : 0;
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
            *error = d->reason(q);
        return 0;
    }
    if (found.size() == 1)
        return found.front();
    if (error)
        *error = found.empty() ? QStringLiteral("the installation has no measuring point %1/%2").arg(block).arg(element)
                               : QStringLiteral("several measuring points were numbered %1/%2").arg(block).arg(element);
    return 0;
}

bool HistoryArchive::quantitiesOfPoint(qint64 point, std::vector<std::pair<long, QString>>& list, QString* error,
                                       long function)
{
    list.clear();
    QSqlQuery q(d->db());
    q.prepare("SELECT it.quantity, MAX(it.quantity_name) FROM measurements m"
              " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
              " WHERE m.point_id = ? AND (? < 0 OR m.function_no = ?) AND it.quantity <> 0"
              " GROUP BY it.quantity ORDER BY it.quantity");
    q.addBindValue(point);
    q.addBindValue(qint64(function));
    q.addBindValue(qint64(function));
    return readCodesAndNames(q, list, error);
}

bool HistoryArchive::testsOfPoint(qint64 point, std::vector<std::pair<long, QString>>& list, QString* error)
{
    list.clear();
    QSqlQuery q(d->db());
    q.prepare("SELECT function_no, MAX(function_name) FROM measurements WHERE point_id = ?"
              " GROUP BY function_no ORDER BY function_no");
    q.addBindValue(point);
    return readCodesAndNames(q, list, error);
}

bool HistoryArchive::quantityByName(const QString& name, long& quantity, QString* error)
{
    quantity = 0;
    QSqlQuery q(d->db());
    q.prepare("SELECT quantity FROM items WHERE LOWER(quantity_name) = LOWER(?) AND quantity <> 0 LIMIT 1");
    q.addBindValue(name.trimmed());
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    if (q.next())
        quantity = long(q.value(0).toLongLong());
    return true;
}

namespace {

// The columns of a trend's value query, from its first, and its order:
// measurement by measurement, their items in order.
constexpr const char* TrendColumns =
    "m.inspection_id, i.taken_at, m.measured_at, m.row_no, it.quantity, it.text, it.unit_name,"
    " it.value, it.base_unit, it.bound, it.flagged, it.quantity_name, it.kind, m.function_name";
constexpr const char* TrendOrder = "i.taken_at, i.id, m.row_no, it.seq";

// Builds a trend from the rows of its value query. Per measurement the
// quantity's item, its limit and the test's duration; per inspection the
// last measurement holding the quantity as a result counts, else the last
// holding it as a sub-result, else as a test parameter; of those alike, one
// read after a minute (the reading the minimums are of) before the others.
class TrendBuilder {
public:
    // Reading a time is costly, and the points of an installation share
    // their inspections' times: `times` keeps those read, by their text.
    using TimeCache = std::map<QString, QDateTime>;
    TrendBuilder(Trend& out, long quantity, TimeCache& times) : out_(out), quantity_(quantity), times_(times)
    {
        out_.quantity = quantity;
    }

    // A row whose TrendColumns start at `first`.
    void add(const QSqlQuery& q, int first)
    {
        const qint64 inspection = q.value(first).toLongLong();
        const int row = q.value(first + 3).toInt();
        if (inspection != current_.inspection || row != current_.row) {
            finishMeasurement();
            current_ = Pending();
            current_.inspection = inspection;
            current_.row = row;
        }
        const long itemQuantity = long(q.value(first + 4).toLongLong());
        if (itemQuantity == QuantityRlim && !q.value(first + 7).isNull()) {
            current_.limitSeen = true;
            current_.limit = q.value(first + 7).toDouble();
        }
        if (itemQuantity == QuantityDuration && quantity_ != QuantityDuration) {
            const MeasuredValue t =
                valueOf(q.value(first + 7), q.value(first + 8), q.value(first + 9), q.value(first + 10));
            current_.oneMinute =
                t.hasNumber && t.baseUnit == "s" && t.bound == ValueBound::Exact && t.number > 59.5 && t.number < 60.5;
        }
        if (itemQuantity == quantity_ && !current_.has) {
            current_.has = true;
            current_.rank = itemRank(q.value(first + 12).toInt());
            TrendSample& s = current_.sample;
            s.inspection = inspection;
            s.row = row;
            const QString takenAt = q.value(first + 1).toString();
            auto known = times_.find(takenAt);
            if (known == times_.end())
                known = times_.emplace(takenAt, timeOf(takenAt)).first;
            s.takenAt = known->second;
            s.measuredAt = timeOf(q.value(first + 2));
            s.text = q.value(first + 5).toString();
            s.unitName = q.value(first + 6).toString();
            s.value = valueOf(q.value(first + 7), q.value(first + 8), q.value(first + 9), q.value(first + 10));
            if (out_.quantityName.isEmpty())
                out_.quantityName = q.value(first + 11).toString();
            if (out_.function != AnyFunction && out_.functionName.isEmpty())
                out_.functionName = q.value(first + 13).toString();
        }
    }

    // After the last row: the last measurement, and the ratings of a PI or DAR.
    void finish()
    {
        finishMeasurement();
        current_ = Pending();
        out_.rated = ratingKindOfQuantity(out_.quantityName.toStdString(), out_.ratingKind);
        if (out_.rated)
            for (TrendSample& s : out_.samples)
                s.rating = rateMeasuredValue(out_.ratingKind, s.value);
    }

private:
    struct Pending {
        qint64 inspection = -1;
        int row = -1;
        int rank = 3;
        bool has = false;
        TrendSample sample;
        bool limitSeen = false;
        double limit = 0;
        bool oneMinute = false;
        // Lower counts first: the item's rank, then a 1-minute reading.
        int order() const { return rank * 2 + (oneMinute ? 0 : 1); }
    };

    void finishMeasurement()
    {
        if (!current_.has)
            return;
        current_.sample.hasLimit = current_.limitSeen && quantity_ != QuantityRlim;
        current_.sample.limit = current_.limit;
        if (out_.samples.empty() || out_.samples.back().inspection != current_.sample.inspection) {
            out_.samples.push_back(current_.sample);
            sampleOrder_ = current_.order();
        } else if (current_.order() <= sampleOrder_) {
            out_.samples.back() = current_.sample;
            sampleOrder_ = current_.order();
        }
    }

    Trend& out_;
    long quantity_;
    TimeCache& times_;
    Pending current_;
    int sampleOrder_ = 8; // of the last sample
};

// A point's numbers and names from the columns installation_id, object_no,
// block_no, element_no, block_name and element_name, from `first`.
void readPointColumns(const QSqlQuery& q, int first, PointEntry& point)
{
    point.installation = q.value(first).toLongLong();
    point.object = long(q.value(first + 1).toLongLong());
    point.block = long(q.value(first + 2).toLongLong());
    point.element = long(q.value(first + 3).toLongLong());
    point.blockName = q.value(first + 4).toString();
    point.elementName = q.value(first + 5).toString();
}

} // namespace

bool HistoryArchive::trend(qint64 point, long quantity, Trend& out, QString* error, long function)
{
    out = Trend();
    out.quantity = quantity;
    out.function = function;
    QSqlDatabase db = d->db();
    {
        QSqlQuery q(db);
        q.prepare("SELECT installation_id, object_no, block_no, element_no, block_name, element_name FROM points"
                  " WHERE id = ?");
        q.addBindValue(point);
        if (!q.exec() || !q.next()) {
            if (error)
                *error = q.lastError().isValid() ? d->reason(q) : QStringLiteral("no such measuring point");
            return false;
        }
        out.point.id = point;
        readPointColumns(q, 0, out.point);
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM measurements m JOIN inspections i ON i.id = m.inspection_id"
                             " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
                             " WHERE m.point_id = ? AND (? < 0 OR m.function_no = ?) AND it.quantity IN (?, ?, ?)"
                             " AND it.occurrence = 1 ORDER BY %2")
                  .arg(QLatin1String(TrendColumns), QLatin1String(TrendOrder)));
    q.addBindValue(point);
    q.addBindValue(qint64(function));
    q.addBindValue(qint64(function));
    q.addBindValue(qint64(quantity));
    q.addBindValue(qint64(QuantityRlim));
    q.addBindValue(qint64(QuantityDuration));
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    TrendBuilder::TimeCache times;
    TrendBuilder samples(out, quantity, times);
    while (q.next())
        samples.add(q, 0);
    samples.finish();
    return true;
}

bool HistoryArchive::installationTrends(qint64 installation, long quantity, std::map<qint64, Trend>& out,
                                        QString* error)
{
    out.clear();
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT m.point_id, p.installation_id, p.object_no, p.block_no, p.element_no,"
                             " p.block_name, p.element_name, %1 FROM measurements m"
                             " JOIN inspections i ON i.id = m.inspection_id JOIN points p ON p.id = m.point_id"
                             " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
                             " WHERE i.installation_id = ? AND it.quantity IN (?, ?, ?) AND it.occurrence = 1"
                             " ORDER BY m.point_id, %2")
                  .arg(QLatin1String(TrendColumns), QLatin1String(TrendOrder)));
    q.addBindValue(installation);
    q.addBindValue(qint64(quantity));
    q.addBindValue(qint64(QuantityRlim));
    q.addBindValue(qint64(QuantityDuration));
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    // The rows of a point come together.
    std::optional<TrendBuilder> samples;
    TrendBuilder::TimeCache times;
    qint64 point = 0;
    while (q.next()) {
        if (const qint64 p = q.value(0).toLongLong(); !samples || p != point) {
            if (samples)
                samples->finish();
            point = p;
            Trend& trend = out[point];
            trend.point.id = point;
            readPointColumns(q, 1, trend.point);
            samples.emplace(trend, quantity, times);
        }
        samples->add(q, 7);
    }
    if (samples)
        samples->finish();
    if (q.lastError().isValid()) {
        if (error)
            *error = d->reason(q);
        out.clear();
        return false;
    }
    return true;
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
                *error = d->reason(q);
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
                *error = d->reason(q);
            return false;
        }
        ExportedItem e;
        e.site = site;
        // Reading a time is costly; an inspection's rows share theirs.
        QString takenAtText;
        // A server sends the rows as they are read: each must come within
        // the time-out, while the time `each` takes (a slow reader of the
        // output) does not count.
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
            d->pauseWatchdog();
            const bool taken = each(e);
            d->resumeWatchdog();
            if (!taken)
                return false;
        }
        if (q.lastError().isValid()) {
            if (error)
                *error = d->reason(q);
            return false;
        }
    }
    return true;
}

namespace {

// The columns of the judging's readings, from its first: a measurement's
// row and function, an item's quantity and value; the rows of one
// measurement come together.
constexpr const char* ReadingColumns =
    "m.row_no, m.function_no, it.quantity, it.value, it.base_unit, it.bound, it.flagged";

void addReading(const QSqlQuery& q, int first, std::vector<ResultReadings>& out)
{
    const int row = q.value(first).toInt();
    if (out.empty() || out.back().row != row) {
        ResultReadings r;
        r.row = row;
        r.function = long(q.value(first + 1).toLongLong());
        out.push_back(std::move(r));
    }
    if (const char* symbol = quantitySymbol(long(q.value(first + 2).toLongLong())))
        out.back().readings.push_back(
            {symbol, valueOf(q.value(first + 3), q.value(first + 4), q.value(first + 5), q.value(first + 6))});
}

} // namespace

bool HistoryArchive::latestReadings(qint64 point, std::vector<ResultReadings>& out, QString* error)
{
    out.clear();
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM measurements m"
                             " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
                             " WHERE m.point_id = ? AND m.inspection_id = (SELECT l.inspection_id"
                             " FROM measurements l JOIN inspections i ON i.id = l.inspection_id WHERE l.point_id = ?"
                             " ORDER BY i.taken_at DESC, i.id DESC LIMIT 1) ORDER BY m.row_no, it.seq")
                  .arg(QLatin1String(ReadingColumns)));
    q.addBindValue(point);
    q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    while (q.next())
        addReading(q, 0, out);
    return true;
}

bool HistoryArchive::installationLatestReadings(qint64 installation, std::map<qint64, std::vector<ResultReadings>>& out,
                                                QString* error)
{
    out.clear();
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    // Each measurement of the installation ranked by its inspection as
    // latestReadings takes them: those of a point's latest inspection come
    // first, all alike. SQLite takes CROSS JOIN as the order to join in, so
    // that each measurement's items are found by its key.
    q.prepare(QStringLiteral("SELECT m.point_id, %1 FROM (SELECT l.point_id, l.inspection_id, l.row_no,"
                             " l.function_no, RANK() OVER (PARTITION BY l.point_id"
                             " ORDER BY i.taken_at DESC, i.id DESC) AS newest FROM measurements l"
                             " JOIN inspections i ON i.id = l.inspection_id WHERE i.installation_id = ?) m"
                             " CROSS JOIN items it WHERE m.newest = 1 AND it.inspection_id = m.inspection_id"
                             " AND it.row_no = m.row_no ORDER BY m.point_id, m.row_no, it.seq")
                  .arg(QLatin1String(ReadingColumns)));
    q.addBindValue(installation);
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    std::vector<ResultReadings>* readings = nullptr;
    qint64 point = 0;
    while (q.next()) {
        if (const qint64 p = q.value(0).toLongLong(); !readings || p != point) {
            point = p;
            readings = &out[point];
        }
        addReading(q, 1, *readings);
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = d->reason(q);
        out.clear();
        return false;
    }
    return true;
}

bool HistoryArchive::sampleTemperatures(const Trend& trend, std::vector<std::optional<double>>& out, QString* error)
{
    out.assign(trend.samples.size(), std::nullopt);
    if (trend.samples.empty())
        return true;
    // The temperatures of every measurement of the point, in one query.
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare("SELECT m.inspection_id, m.row_no, it.value, it.base_unit, it.bound FROM measurements m"
              " JOIN items it ON it.inspection_id = m.inspection_id AND it.row_no = m.row_no"
              " WHERE m.point_id = ? AND it.quantity = ? AND it.occurrence = 1");
    q.addBindValue(trend.point.id);
    q.addBindValue(qint64(QuantityTemperature));
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    std::map<std::pair<qint64, int>, double> measured;
    while (q.next())
        if (!q.value(2).isNull() && q.value(3).toString() == QLatin1String("degC") && q.value(4).toInt() == 0)
            measured.emplace(std::pair{q.value(0).toLongLong(), q.value(1).toInt()}, q.value(2).toDouble());
    for (size_t i = 0; i < trend.samples.size(); ++i)
        if (const auto found = measured.find({trend.samples[i].inspection, trend.samples[i].row});
            found != measured.end())
            out[i] = found->second;
    return true;
}

} // namespace zentrova
