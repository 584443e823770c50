// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/InstrumentData.h"

#include "base/Progress.h"
#include "base/Prompts.h"
#include "base/TextRules.h"
#include "comm/Exchange.h"
#include "comm/InstrumentLink.h"
#include "structure/Structure.h"
#include "structure/StructureContext.h"

namespace zentrova {

namespace {
// Between the identification and "MEX" the program pauses this long, so the
// full gauge can be seen.
constexpr int EndSettleMs = 100;
} // namespace

std::vector<std::string> splitLines(const std::string& text)
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

QString shownInstrumentLine(const QString& decoded)
{
    QString shown = decoded;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return shown;
}

InstrumentDataView instrumentDataFromTable(const ResultTable& table)
{
    InstrumentDataView v;
    const std::string& instrument = table.identification(IdentificationColumn::Instrument);
    for (int n : {InstrumentLine1, InstrumentLine2, InstrumentLine3, InstrumentLine4})
        v.instrument.push_back(nthLine(instrument, n));
    v.serialNumber = nthLine(instrument, SerialNumberLine);
    v.firm = splitLines(table.identification(IdentificationColumn::Firm));
    v.user = splitLines(table.identification(IdentificationColumn::User));
    return v;
}

InstrumentDataView instrumentDataFromIdentification(const InstrumentTexts& texts, const ExtraLines& extra)
{
    InstrumentDataView v;
    v.instrument = {texts[0], texts[1], texts[2], texts[6], extra[0], extra[1], extra[2]};
    v.serialNumber = texts[3];
    v.firm = splitLines(cleanInstrumentText(texts[4]));
    v.user = splitLines(cleanInstrumentText(texts[5]));
    return v;
}

InstrumentDataOutcome receiveInstrumentData(const TransferTarget& ctx, InstrumentLink& link, Progress& progress,
                                            Clock& clock)
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
            ctx.language.prompts->message(MsgType::Error, commErrorText(ctx.language, e), MbOK, 0);
            out.errorShown = true;
        }
        return out;
    }
    if (!port.active())
        return out;

    Exchange ex(ctx.language, port, progress, clock);
    std::string failure;
    try {
        progress.show(ctx.language.texts.text("Receiving_30"), std::string(), true);
        progress.setLine2(ctx.language.texts.text("Searching_30"));
        progress.setPosition(0);
        if (ex.startExchange() == Exchange::Started) {
            out.valid = identifyInstrument(ctx, ex, link.instrumentExtraLines, out.texts, &out.typeCode);
            out.exchanged = true;
            progress.setPosition(100);
            ex.delayMs(EndSettleMs);
            ex.endExchange();
        }
    } catch (const SerialError& e) {
        // A device pulled out mid-way, or one that takes nothing: said once.
        out.error = e.what();
        failure = e.deviceLost() ? commErrorText(e) : std::string(e.what());
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (out.exchanged)
        out.view = instrumentDataFromIdentification(out.texts, link.instrumentExtraLines);
    try {
        progress.hide();
    } catch (...) {
    }
    port.close();
    if (!failure.empty()) {
        ctx.language.prompts->message(MsgType::Error, failure, MbOK, 0);
        out.errorShown = true;
    }
    return out;
}

} // namespace zentrova
