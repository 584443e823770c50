#include "history/HistoryExport.h"

#include "base/FileIO.h"
#include "history/HistoryArchive.h"
#include "structure/MeasuredValue.h"
#include "structure/ValuesCsv.h"

#include <string>

namespace zentrova {

namespace {

std::string csvText(const QString& s)
{
    return csvField(s.toStdString());
}

QString isoText(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

} // namespace

bool writeHistoryCsv(HistoryArchive& archive, qint64 installation, OutputFile& out, QString* error)
{
    out.write("\xEF\xBB\xBF"
              "site,inspection,source,block,block name,element,element name,function,date,time,"
              "quantity,value,unit,marks,as written\r\n");
    // A site's cell is made once for all its rows.
    QString lastSite;
    std::string siteCell, row;
    QString why;
    const bool read = archive.exportItems(
        installation,
        [&](const ExportedItem& e) {
            if (siteCell.empty() || e.site != lastSite) {
                lastSite = e.site;
                siteCell = csvText(e.site);
            }
            const QString written = e.unitName.isEmpty() ? e.text : e.text + u' ' + e.unitName;
            row = siteCell;
            for (const std::string& cell :
                 {csvText(isoText(e.takenAt)), csvText(e.source), std::to_string(e.block), csvText(e.blockName),
                  std::to_string(e.element), csvText(e.elementName), csvText(e.functionName), csvText(e.dateText),
                  csvText(e.timeText), csvText(e.quantityName),
                  e.value.hasNumber ? plainNumber(e.value.number) : std::string(), csvField(e.value.baseUnit),
                  csvField(markText(e.value)), csvText(written)}) {
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
