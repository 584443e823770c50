#include "comm/Receive.h"

#include "comm/Exchange.h"
#include "comm/PortDirectory.h"
#include "shell/AppContext.h"
#include "shell/Profile.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "base/TextRules.h"
#include "structure/StructureFile.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <tuple>

namespace zentrova {

namespace {

inline unsigned byteAt(const char* data, size_t i) { return static_cast<unsigned char>(data[i]); }

std::string pad3(long v)
{
    std::string s = std::to_string(v);
    if (s.size() < 3)
        s.insert(0, 3 - s.size(), '0');
    return s;
}

void plainMessage(AppContext& ctx, const std::string& text)
{
    ctx.prompts->message(MsgType::Custom, text, MbOK, 0);
}

} // namespace

// ------------------------------------------------------------ identification

uint8_t familyCodeOf(unsigned typeCode)
{
    if (typeCode >= 100 && typeCode <= 199)
        typeCode -= 100;
    return uint8_t(typeCode % 256);
}

bool parseIdentification(const std::string& payload, Identification& out)
{
    out = Identification{};
    const size_t size = std::min(payload.size(), IdentificationBufferSize);
    if (size < 2)
        return false;
    out.typeCode = byteAt(payload.data(), 0) | (byteAt(payload.data(), 1) << 8);
    size_t pos = 2;
    for (size_t n = 0; n < out.texts.size(); ++n) {
        std::string& text = out.texts[n];
        // Firm and user data (texts 5 and 6) are kept line by line; every
        // other text is one line of the identification cell.
        const bool oneLine = n != 4 && n != 5;
        while (pos < size) {
            const char c = payload[pos++];
            if (c == 0)
                break;
            if (c == '\n')
                continue;
            text += oneLine ? storedLineByte(c) : c;
        }
    }
    return true;
}

char storedLineByte(char c)
{
    return c == '\x02' || c == '\n' || c == '\r' ? ' ' : c;
}

std::string cleanInstrumentText(const std::string& text)
{
    std::string s = text;
    for (char& c : s) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 32 && b != 13) || b >= 128)
            c = ' ';
    }
    return s;
}

int identifyInstrument(AppContext& ctx, Exchange& ex, ExtraLines& extra, InstrumentTexts& texts, unsigned* typeCode)
{
    for (std::string& t : texts)
        t.clear();
    ex.delayMs(100);
    std::string junk;
    const int stale = std::min(ex.port().inputCount(), 390);
    if (stale > 0)
        ex.receiveBytes(junk, stale, 1000);

    ex.sendText("MWH");
    std::string head;
    bool valid = ex.receiveBytes(head, 5, 1000) && head.compare(0, 3, "SWH") == 0;
    if (valid) {
        const int length = int(byteAt(head.data(), 3) * 256 + byteAt(head.data(), 4));
        // The whole payload is read even when it is longer than the buffer,
        // so that its tail is not taken for the next reply.
        std::string payload;
        valid = ex.receiveBytes(payload, length, 1000);
        Identification id;
        // A payload that came short holds nothing trustworthy: it is not used.
        if (valid && parseIdentification(payload, id)) {
            ctx.familyCode = familyCodeOf(id.typeCode);
            if (typeCode)
                *typeCode = id.typeCode;
            for (size_t i = 0; i < texts.size(); ++i)
                texts[i] = id.texts[i];
            for (size_t i = 0; i < extra.size(); ++i)
                extra[i] = id.texts[7 + i].substr(0, ExtraLineWidth);
        } else {
            valid = false;
        }
    }
    applyFamilyProfile(ctx);
    return valid ? 0 : 1;
}

void writeIdentificationRow(AppContext& ctx, const InstrumentTexts& texts, const ExtraLines& extra)
{
    ResultTable& t = ctx.structure.table;
    std::string c1 = texts[0] + '\r' + texts[1] + '\r' + texts[2] + '\r' + texts[3] + '\r' + texts[6];
    for (const std::string& line : extra)
        c1 += '\r' + line;
    t.setCell(1, 0, std::move(c1));
    t.setCell(2, 0, cleanInstrumentText(texts[4]));
    t.setCell(3, 0, cleanInstrumentText(texts[5]));
}

// ------------------------------------------------------------ records

int readRecord(AppContext& ctx, Exchange& ex, std::string& record)
{
    record.clear();
    ex.sendText("MRE");
    const int width = ctx.profile.resultLengthWidth == 2 ? 2 : 1;
    std::string head;
    if (!ex.receiveBytes(head, 3 + width, ctx.receiveTimeoutMs) || head.compare(0, 3, "SRE") != 0)
        return RecordFailed;
    const int length = width == 2 ? int(byteAt(head.data(), 3) * 256 + byteAt(head.data(), 4))
                                  : int(byteAt(head.data(), 3));
    if (length == 0)
        return NoMoreRecords;
    return ex.receiveBytes(record, length, 1000) ? RecordRead : RecordFailed;
}

namespace {

using Key = std::tuple<long, long, long>;

// (digitsValue of lines 1, 2 and 3 of column 1), without copying the lines:
// the binary search of every out-of-order record reads many of these.
Key keyOfRow(const ResultTable& t, int row)
{
    std::string_view rest = t.cell(1, row);
    long v[3] = {0, 0, 0};
    for (long& n : v) {
        const size_t cr = rest.find('\r');
        n = digitsValue(rest.substr(0, cr));
        if (cr == std::string_view::npos)
            break;
        rest.remove_prefix(cr + 1);
    }
    return {v[0], v[1], v[2]};
}

int columnOfTag(unsigned tag)
{
    switch (tag) {
    case 'R': return 4;
    case 'M': return 5;
    case 'P': return 6;
    case 'D': return 7;
    case 'T': return 8;
    default: return 3;
    }
}

} // namespace

void decodeRecord(AppContext& ctx, const char* data, size_t length, int row)
{
    if (row < 1)
        return; // row 0 is the identification
    ResultTable& t = ctx.structure.table;
    while (t.rowCount() <= row)
        t.appendRow();

    size_t pos = 0;
    auto number = [&]() -> long {
        long v = 0;
        if (pos + 2 <= length)
            v = long(byteAt(data, pos) * 256 + byteAt(data, pos + 1));
        pos += 2;
        return v;
    };
    const long a = ctx.profile.positionDepth >= 3 ? number() : 1;
    const long b = number();
    const long e = number();

    ResultTable::Row cells;
    cells[1] = std::to_string(a) + '\r' + std::to_string(b) + '\r' + std::to_string(e);
    cells[2] = pad3(a) + '\r' + pad3(b) + '\r' + pad3(e) + "\r6,13";

    const int base = functionTextBase(ctx.familyCode);
    if (pos < length) {
        const long f = base + long(byteAt(data, pos++));
        std::string name = ctx.names.function(f);
        std::replace(name.begin(), name.end(), '$', '\r');
        cells[3] = std::to_string(f) + '\r' + name;
    }

    while (pos < length) {
        const unsigned tag = byteAt(data, pos++);
        const bool coded = tag == 'R' || tag == 'M' || tag == 'P';
        std::string item;
        if (coded) {
            if (pos + 2 > length)
                break;
            item = pad3(base + long(byteAt(data, pos))) + pad3(base + long(byteAt(data, pos + 1)));
            pos += 2;
        }
        const void* zero = std::memchr(data + pos, 0, length - pos);
        if (!zero)
            break; // the text runs past the record's end
        const size_t end = size_t(static_cast<const char*>(zero) - data);
        // The instrument pads its texts with spaces; each item is one line
        // of its cell.
        for (size_t i = pos; i < end; ++i)
            if (data[i] != ' ')
                item += storedLineByte(data[i]);
        pos = end + 1;
        std::string& cell = cells[size_t(columnOfTag(tag))];
        if (!cell.empty())
            cell += '\r';
        cell += item;
    }
    cells[0].clear();
    cells[9].clear();
    for (int c = 0; c < ResultTable::ColumnCount; ++c)
        t.setCell(c, row, std::move(cells[size_t(c)]));

    if (ctx.profile.resultsSorted)
        return;
    // Ordered insertion: rows 1..row-1 are in position order. Records mostly
    // come in order, so the row above is looked at first; otherwise a binary
    // search finds the first row with a larger position and the new row is
    // moved there (the table shifts the shorter side).
    const Key key{a, b, e};
    if (row <= 1 || !(key < keyOfRow(t, row - 1)))
        return;
    int lo = 1, hi = row - 1; // the place lies in [lo, hi]
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (key < keyOfRow(t, mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    t.moveRow(row, lo);
}

void buildTreeFromResults(AppContext& ctx, Progress& progress)
{
    ResultTable& t = ctx.structure.table;
    if (t.rowCount() <= 1 || t.cell(1, 0).empty())
        return;
    clearStructure(ctx);
    progress.setLine2(ctx.texts.text("Wait_25"));
    progress.setPosition(0);
    // A Cancel pressed during the transfer must not cut the tree short: only
    // a press during the building ends it.
    const bool cancelBefore = progress.cancelRequested();
    long prevB = -1, prevE = -1;
    const int last = t.rowCount() - 1;
    ElementTree& tree = ctx.structure.tree;
    ElementNode* top = nullptr;
    for (int r = 1; r <= last; ++r) {
        const std::string& pos = t.cell(1, r);
        const std::string& names = t.cell(2, r);
        const long b = digitsValue(nthLine(pos, 2));
        const long e = digitsValue(nthLine(pos, 3));
        if (b != prevB) {
            prevE = 0;
            top = addElementNode(ctx, nullptr);
            initElement(ctx, top, KindObject, false);
            top->name = nthLine(names, 2);
            top->info.number = int32_t(b);
        }
        if (e != prevE && top) {
            ElementNode* child = addElementNode(ctx, top);
            initElement(ctx, child, KindMeasuringPoint, false);
            child->info.selection.clear(); // column 9 holds no selection for received rows
            child->name = nthLine(names, 3);
            child->info.number = int32_t(e);
        }
        prevB = b;
        prevE = e;
        progress.setPosition(int((long long)r * 100 / last));
        progress.processEvents(0);
        if (!cancelBefore && progress.cancelRequested())
            break;
    }
    if (tree.empty()) {
        resetToNewStructure(ctx);
        ctx.resultsView = 0;
    }
    tree.selected = tree.first();
}

// ------------------------------------------------------------ the transfer

int receiveExitCode(const ReceiveOutcome& outcome)
{
    using S = ReceiveOutcome::Status;
    switch (outcome.status) {
    case S::Received:
        return 0;
    case S::Incomplete:
        return 3; // the exchange started: the file is written with what came
    case S::Failed:
        return outcome.done > 0 ? 3 : 2;
    default:
        return 2;
    }
}

std::string commErrorText(const SerialError& error)
{
    std::string text = std::string("11: COMM ERROR") + '\r' + error.what();
    const std::string advice = openFailureAdvice(error);
    if (!advice.empty())
        text += '\r' + advice;
    return text;
}

std::string portBusyText(const AppContext& ctx, const SerialError& error)
{
    if (!error.portBusy())
        return {};
    const std::string who = error.holder().empty() ? QFile::encodeName(error.device()).toStdString() : error.holder();
    return ctx.texts.text("PortBusy_40") + ' ' + who;
}

std::string commErrorText(const AppContext& ctx, const SerialError& error)
{
    std::string text = commErrorText(error);
    if (const std::string busy = portBusyText(ctx, error); !busy.empty())
        text += '\r' + busy;
    return text;
}

namespace {

int percentOf(int done, int count)
{
    if (count < 1)
        return 100;
    const long long p = ((long long)done * 200 + count) / (2LL * count);
    return int(std::clamp<long long>(p, 0, 100));
}

class Transfer {
public:
    Transfer(AppContext& ctx, InstrumentLink& link, Progress& progress, const ReceiveHooks& hooks, Clock& clock,
             ReceiveOutcome& out)
        : ctx(ctx), link(link), progress(progress), hooks(hooks), ex(ctx, link.port(), progress, clock), out(out)
    {
    }

    void run();
    void reportLoss();

private:
    // Runs one stage: its failure is reported with the stage's message and
    // the transfer goes on. A device that went away is not a stage's failure:
    // it is noted and reported once, at the end.
    template <class F> bool stage(const char* message, F&& f)
    {
        try {
            f();
            return true;
        } catch (const SerialError& e) {
            if (e.deviceLost()) {
                noteLoss(e);
                return false;
            }
            plainMessage(ctx, message);
        } catch (const std::exception&) {
            plainMessage(ctx, message);
        }
        failedStage = true;
        return false;
    }
    void noteLoss(const SerialError& e)
    {
        if (!lost) {
            lost = true;
            lossText = commErrorText(e);
            out.error = e.what();
        }
    }
    void finish();
    void receiveRecords(int timeoutFactor);

    AppContext& ctx;
    InstrumentLink& link;
    Progress& progress;
    const ReceiveHooks& hooks;
    Exchange ex;
    ReceiveOutcome& out;

    bool lost = false;
    std::string lossText;
    bool failedStage = false;
    int lastStatus = RecordRead;
};

void Transfer::finish()
{
    stage("10: ERROR", [&] { progress.hide(); });
}

void Transfer::reportLoss()
{
    if (!lost)
        return;
    std::string text = lossText;
    if (out.done < out.count)
        text += '\r' + ctx.texts.text("MeasuresMissing_30") + '\r' + std::to_string(out.done) + "/" +
                std::to_string(out.count);
    ctx.prompts->message(MsgType::Error, text, MbOK, 1);
}

void Transfer::receiveRecords(int timeoutFactor)
{
    ex.sendText("MSS");
    ex.waitAcknowledge(1000); // the instrument was seen to acknowledge; the status tells nothing more

    struct RestoreTimeout {
        AppContext& c;
        ~RestoreTimeout() { c.receiveTimeoutMs = 1000; }
    } restore{ctx};
    ctx.receiveTimeoutMs = timeoutFactor * 1000;

    int row = 1;
    int status = RecordRead;
    std::string record;
    do {
        try {
            status = readRecord(ctx, ex, record);
        } catch (const SerialError& e) {
            if (e.deviceLost()) {
                noteLoss(e);
                status = RecordFailed;
                break;
            }
            plainMessage(ctx, "8: ERROR");
            status = RecordFailed; // the transfer ends here; what came stays
        } catch (const std::exception&) {
            plainMessage(ctx, "8: ERROR");
            status = RecordFailed;
        }
        if (status == RecordRead && row >= structure_file::MaxTableRows) {
            // A record that no longer fits: a structure file holds at most
            // this many rows, and one with more would be refused whole when
            // read. The 16-bit count cannot tell (65,536 records announce 0),
            // so the record itself is the sign that the instrument holds more.
            out.tableFull = true;
            break;
        }
        if (status == RecordRead) {
            decodeRecord(ctx, record.data(), record.size(), row);
            ++row;
            ++out.done;
        }
        progress.setPosition(percentOf(out.done, out.count));
        progress.processEvents(0);
    } while (!ex.cancelRequested() && status == RecordRead);
    lastStatus = status;

    if (out.tableFull) {
        ctx.prompts->message(MsgType::Warning, ctx.texts.text("TableFull_50") + ' ' + std::to_string(out.done), MbOK,
                             0);
        return;
    }

    if (!lost && status > RecordRead && out.done < out.count) {
        const std::string text = ctx.texts.text("MeasuresMissing_30") + '\r' + std::to_string(out.done) + "/" +
                                 std::to_string(out.count);
        ctx.prompts->message(MsgType::Error, text, MbOK, 1);
    }
}

void Transfer::run()
{
    // 1. Unsaved work first.
    if (hooks.querySaveChanges && !hooks.querySaveChanges()) {
        out.status = ReceiveOutcome::Status::Declined;
        return;
    }
    // 2. The progress dialog.
    stage("2: ERROR", [&] {
        progress.show(ctx.texts.text("ReceiveResults_30"), std::string(), true);
        progress.setLine2(ctx.texts.text("Searching_30"));
        progress.setPosition(0);
        progress.processEvents(0);
    });

    // 3. Start the exchange.
    int started = Exchange::GaveUp;
    const bool startOk = stage("12: ERROR", [&] { started = ex.startExchange(); });
    if (!startOk || started != Exchange::Started) {
        out.status = lost || !startOk ? ReceiveOutcome::Status::Failed : ReceiveOutcome::Status::NotAnswered;
        finish();
        return;
    }

    // 4. Who is there.
    InstrumentTexts texts;
    stage("3: ERROR", [&] {
        out.identified = identifyInstrument(ctx, ex, link.instrumentExtraLines, texts, &out.typeCode) == 0;
    });
    progress.setLine2(ctx.texts.text("ReceivingResults_30"));
    if (lost) {
        // Nothing was received: the structure stays as it was.
        out.status = ReceiveOutcome::Status::Failed;
        finish();
        return;
    }

    // 5.-6. The count, then a new structure with the identification in row 0.
    int timeoutFactor = 1;
    stage("6: ERROR", [&] {
        stage("4: ERROR", [&] {
            out.count = 0;
            ex.sendText("MNU");
            std::string reply;
            if (ex.receiveBytes(reply, 6, 10000) && reply.compare(0, 3, "SNU") == 0)
                out.count = int(byteAt(reply.data(), 4) * 256 + byteAt(reply.data(), 5));
        });
        if (lost)
            return;
        timeoutFactor = std::max(1, out.count / 250);
        clearStructure(ctx);
        clearResultTable(ctx);
        ctx.currentFileName = ctx.decode(ctx.texts.defaultFileName);
        writeIdentificationRow(ctx, texts, link.instrumentExtraLines);
        applyFamilyProfile(ctx);
        if (hooks.refresh)
            hooks.refresh(ReceiveStep::StructureCleared);
    });
    if (lost) {
        out.status = ReceiveOutcome::Status::Failed;
        finish();
        return;
    }

    // 7.-8. The records, then "MEX".
    const bool typesMatch = ctx.familyCode == ctx.profileFamily;
    stage("7: ERROR", [&] {
        if (typesMatch)
            receiveRecords(timeoutFactor);
        if (!lost)
            ex.endExchange();
    });
    ctx.receiveTimeoutMs = 1000;

    // 9. The tree from the rows.
    stage("8: ERROR", [&] {
        buildTreeFromResults(ctx, progress);
        if (typesMatch && hooks.refresh)
            hooks.refresh(ReceiveStep::TreeBuilt);
    });

    // 10.-11. The view.
    stage("9: ERROR", [&] {
        ctx.resultsView = 1;
        if (typesMatch && ctx.structure.tree.empty()) {
            ctx.structureSaved = true;
            resetToNewStructure(ctx);
            ctx.resultsView = 0;
        }
        if (!ctx.structure.tree.empty())
            ctx.structure.tree.selected = ctx.structure.tree.first();
        if (typesMatch && hooks.refresh)
            hooks.refresh(ReceiveStep::ViewShown);
    });

    // 12.
    finish();

    if (!typesMatch)
        out.status = ReceiveOutcome::Status::OtherInstrument;
    else if (lost || out.tableFull || (lastStatus > RecordRead && out.done < out.count) ||
             (lastStatus == RecordRead && ex.cancelRequested()))
        out.status = ReceiveOutcome::Status::Incomplete;
    else if (failedStage)
        out.status = ReceiveOutcome::Status::Failed;
    else
        out.status = ReceiveOutcome::Status::Received;
}

} // namespace

ReceiveOutcome receiveResults(AppContext& ctx, InstrumentLink& link, Progress& progress, const ReceiveHooks& hooks,
                              Clock& clock)
{
    ReceiveOutcome out;
    InstrumentLink::BusyScope busy(link);
    if (!busy.acquired()) {
        out.status = ReceiveOutcome::Status::Busy;
        return out;
    }
    Port& port = link.port();
    try {
        port.open();
    } catch (const SerialError& e) {
        out.status = ReceiveOutcome::Status::PortFailed;
        out.error = e.what();
        plainMessage(ctx, commErrorText(ctx, e));
        return out;
    }
    Transfer transfer(ctx, link, progress, hooks, clock, out);
    try {
        if (port.active())
            transfer.run();
    } catch (const std::exception&) {
        plainMessage(ctx, "12: ERROR");
        out.status = ReceiveOutcome::Status::Failed;
        try {
            progress.hide();
        } catch (...) {
        }
    }
    port.close();
    transfer.reportLoss();
    ctx.receiveTimeoutMs = 1000;
    return out;
}

} // namespace zentrova
