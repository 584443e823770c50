// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/Inspection.h"

#include "history/HistoryArchive.h"

#include "base/TextRules.h"
#include "comm/InstrumentData.h"
#include "language/LanguageContext.h"
#include "structure/Document.h"
#include "structure/InspectionComparison.h"
#include "structure/MeasurementTime.h"
#include "structure/RecordDetail.h"
#include "structure/ResultRow.h"
#include "structure/ResultValues.h"

#include <QCryptographicHash>
#include <QTimeZone>

#include <functional>
#include <unordered_map>

namespace zentrova {

namespace {

QString joinedLines(const LanguageContext& ctx, const std::string& bytes)
{
    QString text = ctx.decode(bytes);
    text.replace(u'\r', u' ');
    return text.simplified();
}

// Feeds the hash one field with its length, so that no two different
// sequences of fields give the same bytes.
void addField(QCryptographicHash& hash, std::string_view field)
{
    const quint32 size = quint32(field.size());
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
    hash.addData(QByteArrayView(field.data(), qsizetype(field.size())));
}

QString cached(std::unordered_map<long, QString>& names, long code, const std::function<QString()>& make)
{
    auto it = names.find(code);
    if (it == names.end())
        it = names.emplace(code, make()).first;
    return it->second;
}

// The installation the heading's test-site lines name; empty when they are
// empty. The objects' names do not stand in for it: a download without a
// site names its blocks there, and two such downloads are not one place.
QString siteOf(const QStringList& siteLines)
{
    QStringList names;
    for (const QString& line : siteLines)
        if (!line.trimmed().isEmpty())
            names << line.simplified();
    return names.join(QStringLiteral(" / "));
}

} // namespace

Inspection inspectionFromDocument(const LanguageContext& ctx, const Document& document, const QString& source,
                                  const QDateTime& sourceTime, const QString& siteOverride)
{
    Inspection in;
    const Structure& s = document.structure;
    const ResultTable& t = s.table;
    for (const std::string& line : document.heading.site)
        in.siteLines << ctx.decode(line);
    for (const auto& root : s.tree.roots())
        in.objectNames << joinedLines(ctx, root->name);
    in.site = boundedSite(siteOverride.trimmed().isEmpty() ? siteOf(in.siteLines) : siteOverride.simplified());
    const InstrumentDataView instrument = instrumentDataFromTable(t);
    QStringList instrumentLines;
    for (const std::string& line : instrument.instrument)
        if (const QString shown = shownInstrumentLine(ctx.decode(line)).simplified(); !shown.isEmpty())
            instrumentLines << shown;
    in.instrument = instrumentLines.join(QStringLiteral(" / "));
    in.serialNumber = shownInstrumentLine(ctx.decode(instrument.serialNumber)).simplified();
    in.source = source;

    // The names of functions, quantities and units, decoded once each: the
    // texts share their data.
    std::unordered_map<long, QString> functionNames, quantityNames, unitNames;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (int c = int(IdentificationColumn::Instrument); c < ResultTable::ColumnCount; ++c)
        addField(hash, t.cell(c, 0));

    for (const MeasuringPoint& point : measuringPoints(s)) {
        const QString blockName = joinedLines(ctx, point.blockName);
        const QString elementName = joinedLines(ctx, point.elementName);
        for (int row : point.rows) {
            InspectionMeasurement m;
            m.row = row;
            m.object = point.object;
            m.block = point.block;
            m.element = point.element;
            m.blockName = blockName;
            m.elementName = elementName;
            const RecordDetail detail = recordItems(ctx, document, row);
            m.functionCode = detail.functionCode;
            m.function = detail.functionCode - long(functionTextBase(document.familyCode));
            m.functionName =
                cached(functionNames, detail.functionCode, [&] { return joinedLines(ctx, detail.functionName); });
            m.dateText = ctx.decode(detail.date).trimmed();
            m.timeText = ctx.decode(detail.time).trimmed();
            m.measuredAt = measurementTime(m.dateText, m.timeText);
            int sequence = 0;
            for (const ResultItemValue& v : resultItemValues(t, row, ctx.names)) {
                InspectionItem item;
                item.kind = StoredItemKind(v.column);
                item.sequence = sequence++;
                item.quantity = v.quantity;
                item.occurrence = v.occurrence;
                item.unit = v.unit;
                item.quantityName = cached(quantityNames, v.quantity,
                                           [&] { return ctx.decode(quantityHeading(ctx.names, v.quantity, 1)); });
                item.unitName = cached(unitNames, v.unit, [&] { return ctx.decode(ctx.names.unit(v.unit)); });
                item.text = ctx.decode(v.text);
                item.value = v.value;
                m.items.push_back(std::move(item));
            }
            for (const RecordDetailItem& d : detail.items) {
                StoredItemKind kind;
                switch (d.kind) {
                case RecordItemKind::Date:
                    kind = StoredItemKind::Date;
                    break;
                case RecordItemKind::Time:
                    kind = StoredItemKind::Time;
                    break;
                case RecordItemKind::Untagged:
                    kind = StoredItemKind::Untagged;
                    break;
                default:
                    continue; // the coded items are above, with their numbers
                }
                InspectionItem item;
                item.kind = kind;
                item.sequence = sequence++;
                item.text = ctx.decode(d.value);
                m.items.push_back(std::move(item));
            }
            if (m.measuredAt.isValid()) {
                if (!in.firstMeasuredAt.isValid() || m.measuredAt < in.firstMeasuredAt)
                    in.firstMeasuredAt = m.measuredAt;
                if (!in.lastMeasuredAt.isValid() || m.measuredAt > in.lastMeasuredAt)
                    in.lastMeasuredAt = m.measuredAt;
            }
            // The names are left out: a renamed copy is the same download.
            const ResultRow resultRow(t, row);
            addField(hash, resultRow.cell(ResultColumn::Position));
            for (int c = int(ResultColumn::Function); c < ResultTable::ColumnCount; ++c)
                addField(hash, resultRow.cell(ResultColumn(c)));
            in.measurements.push_back(std::move(m));
        }
    }
    // Times are wall-clock times, as the instrument's clock gives them.
    const QDateTime local = sourceTime.toLocalTime();
    in.takenAt = in.lastMeasuredAt.isValid() ? in.lastMeasuredAt : QDateTime(local.date(), local.time(), Qt::UTC);
    in.fingerprint = hash.result().toHex();
    return in;
}

} // namespace zentrova
