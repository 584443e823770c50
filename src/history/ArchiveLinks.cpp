// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryArchive.h"

#include "history/ArchiveInternal.h"

#include <map>

namespace zentrova {

using namespace archive;

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
    if (!openForWriting(error))
        return false;
    if (!d->begin(&why))
        return fail(why);
    QSqlDatabase db = d->db();
    QSqlQuery q(db);
    q.prepare("SELECT COUNT(DISTINCT installation_id), COUNT(*) FROM points WHERE id IN (?, ?)");
    q.addBindValue(renamed);
    q.addBindValue(earlier);
    if (!q.exec() || !q.next())
        return fail(d->reason(q));
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
        return fail(d->reason(q));
    if (q.value(0).toInt() > 0)
        return refuse(
            LinkRefusal::MeasuredTogether,
            QStringLiteral("both measuring points were measured in one inspection, so they are not the same"));
    QSqlQuery added(db);
    added.prepare("INSERT INTO point_links (point_id, linked_at) VALUES (?, ?) RETURNING id");
    added.addBindValue(earlier);
    added.addBindValue(timeText(QDateTime::currentDateTime()));
    if (!added.exec() || !added.next())
        return fail(d->reason(added));
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

bool HistoryArchive::linkablePoints(qint64 point, std::vector<qint64>& ids, QString* error)
{
    ids.clear();
    QSqlQuery q(d->db());
    q.setForwardOnly(true);
    q.prepare("SELECT p.id FROM points p WHERE p.installation_id = (SELECT installation_id FROM points WHERE id = ?)"
              " AND p.id <> ? AND NOT EXISTS (SELECT 1 FROM measurements a JOIN measurements b"
              " ON a.inspection_id = b.inspection_id WHERE a.point_id = p.id AND b.point_id = ?) ORDER BY p.id");
    for (int i = 0; i < 3; ++i)
        q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    while (q.next())
        ids.push_back(q.value(0).toLongLong());
    return true;
}

bool HistoryArchive::latestLink(qint64 point, std::optional<PointLink>& link, QString* error)
{
    link.reset();
    QSqlQuery q(d->db());
    q.prepare("SELECT l.id, m.block_no, m.element_no, m.block_name, m.element_name FROM point_links l"
              " JOIN measurements m ON m.link_id = l.id AND m.point_id = l.point_id"
              " JOIN inspections i ON i.id = m.inspection_id WHERE l.point_id = ?"
              " ORDER BY l.id DESC, i.taken_at DESC, i.id DESC, m.row_no DESC LIMIT 1");
    q.addBindValue(point);
    if (!q.exec()) {
        if (error)
            *error = d->reason(q);
        return false;
    }
    if (!q.next())
        return true;
    PointLink out;
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
            *error = d->reason(kept);
        return false;
    }
    if (kept.next()) {
        out.keptBlock = long(kept.value(0).toLongLong());
        out.keptElement = long(kept.value(1).toLongLong());
        out.keptBlockName = kept.value(2).toString();
        out.keptElementName = kept.value(3).toString();
    }
    link = std::move(out);
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
    if (!openForWriting(error))
        return 0;
    if (!d->begin(&why))
        return fail(why);
    std::optional<PointLink> link;
    if (!latestLink(point, link, &why))
        return fail(why);
    if (!link)
        return fail(QStringLiteral("the measuring point was not linked to another"));
    QSqlDatabase db = d->db();
    QSqlQuery made(db);
    made.prepare("INSERT INTO points (installation_id, object_no, block_no, element_no, block_name, element_name,"
                 " last_taken_at) SELECT installation_id, 0, 0, 0, '', '', '' FROM points WHERE id = ? RETURNING id");
    made.addBindValue(point);
    if (!made.exec() || !made.next())
        return fail(d->reason(made));
    const qint64 separated = made.value(0).toLongLong();
    made.finish();
    const char* steps[] = {
        "UPDATE measurements SET point_id = :separated, link_id = NULL WHERE point_id = :point AND link_id = :link",
        "UPDATE point_names SET point_id = :separated, linked = 0, link_id = NULL"
        " WHERE point_id = :point AND link_id = :link",
        "DELETE FROM point_links WHERE id = :link",
    };
    const std::map<QString, qint64> values{{":point", point}, {":separated", separated}, {":link", link->id}};
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

} // namespace zentrova
