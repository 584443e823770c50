// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/HistoryExport.h"

#include "base/FileIO.h"
#include "history/HistoryArchive.h"
#include "structure/MeasuredValue.h"
#include "structure/MeasurementTime.h"
#include "structure/ValuesCsv.h"

#include <string>

namespace zentrova {

namespace {

QString isoText(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

// A column's CSV cell, made again only when the text differs from the last
// row's: the rows of one measurement, inspection or site share most texts.
// The cell may be written in another form than the text (`shown`).
class CachedCell {
public:
    explicit CachedCell(std::string (*shown)(const std::string&) = nullptr) : shown_(shown) {}

    const std::string& of(const QString& text)
    {
        if (!made_ || text != text_) {
            text_ = text;
            const std::string utf8 = text.toStdString();
            cell_ = csvField(shown_ ? shown_(utf8) : utf8);
            made_ = true;
        }
        return cell_;
    }

private:
    std::string (*shown_)(const std::string&);
    bool made_ = false;
    QString text_;
    std::string cell_;
};

} // namespace

bool writeHistoryCsv(HistoryArchive& archive, qint64 installation, OutputFile& out, QString* error)
{
    out.write("\xEF\xBB\xBF"
              "site,inspection,source,block,block name,element,element name,function,date,time,"
              "quantity,value,unit,marks,as written\r\n");
    CachedCell site, source, blockName, elementName, function, quantity, written;
    // The instrument's date and time in ISO 8601, as the takenAt column.
    CachedCell date(isoDateOrText), time(isoTimeOrText);
    QDateTime lastTakenAt;
    std::string takenAtCell, row;
    bool anyRow = false;
    QString why;
    const bool read = archive.exportItems(
        installation,
        [&](const ExportedItem& e) {
            if (!anyRow || e.takenAt != lastTakenAt) {
                lastTakenAt = e.takenAt;
                takenAtCell = csvField(isoText(e.takenAt).toStdString());
                anyRow = true;
            }
            // An installation named at length by an older program is cut as
            // a new one is.
            row = site.of(e.site.size() > MaxSiteLength ? boundedSite(e.site) : e.site);
            for (const std::string& cell :
                 {takenAtCell, source.of(e.source), std::to_string(e.block), blockName.of(e.blockName),
                  std::to_string(e.element), elementName.of(e.elementName), function.of(e.functionName),
                  date.of(e.dateText), time.of(e.timeText), quantity.of(e.quantityName),
                  e.value.hasNumber ? plainNumber(e.value.number) : std::string(), csvField(e.value.baseUnit),
                  csvField(markText(e.value)),
                  written.of(e.unitName.isEmpty() ? e.text : e.text + u' ' + e.unitName)}) {
                row += ',';
                row += cell;
            }
            row += "\r\n";
            return out.write(row);
        },
        &why);
    if (!read && !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

} // namespace zentrova
