#include "comm/InstrumentData.h"

#include "comm/Exchange.h"
#include "comm/InstrumentLink.h"
#include "shell/AppContext.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "base/TextRules.h"
#include "structure/Structure.h"

namespace zentrova {

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find('\r', start);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, cr - start));
        start = cr + 1;
    }
}

QString ShownInstrumentLine(const QString& decoded)
{
    QString shown = decoded;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return shown;
}

InstrumentDataView InstrumentDataFromTable(const ResultTable& table)
{
    InstrumentDataView v;
    const std::string& c1 = table.cell(1, 0);
    for (int n : {1, 2, 3, 5})
        v.instrument.push_back(NthLine(c1, n));
    v.serialNumber = NthLine(c1, 4);
    v.firm = SplitLines(table.cell(2, 0));
    v.user = SplitLines(table.cell(3, 0));
    return v;
}

InstrumentDataView InstrumentDataFromIdentification(const InstrumentTexts& texts, const ExtraLines& extra)
{
    InstrumentDataView v;
    v.instrument = {texts[0], texts[1], texts[2], texts[6], extra[0], extra[1], extra[2]};
    v.serialNumber = texts[3];
    v.firm = SplitLines(CleanInstrumentText(texts[4]));
    v.user = SplitLines(CleanInstrumentText(texts[5]));
    return v;
}

InstrumentDataOutcome ReceiveInstrumentData(AppContext& ctx, InstrumentLink& link, Progress& progress, Clock& clock)
{
    InstrumentDataOutcome out;
    InstrumentLink::BusyScope busy(link);
    if (!busy.acquired())
        return out;
    Port& port = link.port();
    try {
        port.open();
    } catch (const SerialError& e) {
        out.error = e.what();
        // The boxes keep what they show. A port that another program holds
        // would fail every try in silence, so that one is told.
        if (e.portBusy()) {
            ctx.prompts->message(MsgType::Error, CommErrorText(ctx, e), MbOK, 0);
            out.errorShown = true;
        }
        return out;
    }
    if (!port.active())
        return out;

    Exchange ex(ctx, port, progress, clock);
    std::string failure;
    try {
        progress.show(ctx.texts.text("Receiving_30"), std::string(), true);
        progress.setLine2(ctx.texts.text("Searching_30"));
        progress.setPosition(0);
        progress.processEvents(0);
        if (ex.StartExchange() == Exchange::Started) {
            out.valid = IdentifyInstrument(ctx, ex, link.InstrumentExtraLines, out.texts, &out.typeCode) == 0;
            out.exchanged = true;
            progress.setPosition(100);
            ex.DelayMs(100);
            ex.EndExchange();
        }
    } catch (const SerialError& e) {
        // A device pulled out mid-way, or one that takes nothing: said once.
        out.error = e.what();
        failure = e.deviceLost() ? CommErrorText(e) : std::string(e.what());
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (out.exchanged)
        out.view = InstrumentDataFromIdentification(out.texts, link.InstrumentExtraLines);
    try {
        progress.hide();
    } catch (...) {
    }
    port.close();
    if (!failure.empty()) {
        ctx.prompts->message(MsgType::Error, failure, MbOK, 0);
        out.errorShown = true;
    }
    return out;
}

} // namespace zentrova
