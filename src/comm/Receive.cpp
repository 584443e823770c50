// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/Receive.h"

#include "base/Logging.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "comm/Exchange.h"
#include "comm/PortDirectory.h"
#include "language/Profile.h"
#include "structure/ResultRow.h"
#include "structure/StructureContext.h"
#include "structure/StructureFile.h"

#include <QFile>
#include <algorithm>
#include <type_traits>

namespace zentrova {

static_assert(std::is_same_v<ResultCells, ResultTable::Row>, "a record decodes into one result table row");

namespace {

// Before "MWH" the program waits this long, then discards what came meanwhile
// (up to this many bytes), so that it is not taken for the reply.
constexpr int IdentificationSettleMs = 100;
constexpr int IdentificationStaleLimit = 390;

// Every stage's failure is shown as a plain message; only the device lost
// mid-way is an error message (see Transfer::reportLoss).
void showStageFailure(const LanguageContext& ctx, ReceiveStage stage, const char* why = "")
{
    qCInfo(logComm).nospace() << "stage " << int(stage) << " failed" << (*why ? ": " : "") << why;
    ctx.prompts->message(MsgType::Custom, stageMessage(stage), MbOK, 0);
}

} // namespace

// ------------------------------------------------------------ identification

bool identifyInstrument(const TransferTarget& ctx, Exchange& ex, ExtraLines& extra, InstrumentTexts& texts,
                        unsigned* typeCode)
{
    for (std::string& t : texts)
        t.clear();
    ex.delayMs(IdentificationSettleMs);
    std::string junk;
    const int stale = std::min(ex.port().inputCount(), IdentificationStaleLimit);
    if (stale > 0)
        ex.receiveBytes(junk, stale, IdentificationTimeoutMs);

    ex.sendRequest(Request::Identify);
    std::string head;
    int length = 0;
    bool valid = ex.receiveBytes(head, int(IdentificationHeaderSize), IdentificationTimeoutMs) &&
                 identificationLengthOf(head, length);
    if (valid) {
        // The whole payload is read even when it is longer than the buffer,
        // so that its tail is not taken for the next reply.
        std::string payload;
        valid = ex.receiveBytes(payload, length, IdentificationTimeoutMs);
        Identification id;
        // A payload that came short holds nothing trustworthy: it is not used.
        if (valid && parseIdentification(payload, id)) {
            ctx.document.familyCode = familyCodeOf(id.typeCode);
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
    return valid;
}

void writeIdentificationRow(const TransferTarget& ctx, const InstrumentTexts& texts, const ExtraLines& extra)
{
    ResultTable& t = ctx.document.structure.table;
    std::string c1 = texts[0] + '\r' + texts[1] + '\r' + texts[2] + '\r' + texts[3] + '\r' + texts[6];
    for (const std::string& line : extra)
        c1 += '\r' + line;
    t.setIdentification(IdentificationColumn::Instrument, std::move(c1));
    t.setIdentification(IdentificationColumn::Firm, cleanInstrumentText(texts[4]));
    t.setIdentification(IdentificationColumn::User, cleanInstrumentText(texts[5]));
}

// ------------------------------------------------------------ records

RecordStatus readRecord(const TransferTarget& ctx, Exchange& ex, std::string& record, int headerTimeoutMs)
{
    record.clear();
    ex.sendRequest(Request::NextRecord);
    const int width = ctx.language.profile.resultLengthWidth;
    std::string head;
    int length = 0;
    if (!ex.receiveBytes(head, int(recordHeaderSize(width)), headerTimeoutMs) || !recordLengthOf(head, width, length))
        return RecordStatus::Failed;
    if (length == 0)
        return RecordStatus::NoMore;
    return ex.receiveBytes(record, length, RecordBodyTimeoutMs) ? RecordStatus::Read : RecordStatus::Failed;
}

namespace {

PositionNumbers keyOfRow(const ResultTable& t, int row)
{
    return ResultRow(t, row).positionNumbers();
}

} // namespace

void decodeRecord(const TransferTarget& ctx, const char* data, size_t length, int row)
{
    if (row < 1)
        return; // row 0 is the identification
    ResultTable& t = ctx.document.structure.table;
    while (t.rowCount() <= row)
        t.appendRow();

    // Reused from record to record: a transfer of thousands of records then
    // allocates nothing per record for its items.
    thread_local Record record;
    parseRecord(data, length, ctx.language.profile.positionDepth, record);
    const int base = functionTextBase(ctx.document.familyCode);
    static const std::string noFunction;
    const std::string& functionName =
        record.hasFunction ? ctx.language.names.function(base + long(record.function)) : noFunction;
    ResultTable::Row cells = resultRowOf(record, base, functionName);
    for (int c = 0; c < ResultTable::ColumnCount; ++c)
        t.setCell(c, row, std::move(cells[size_t(c)]));
    std::string order;
    order.reserve(record.items.size());
    for (const RecordItem& item : record.items)
        order += item.tag;
    t.setItemOrder(row, std::move(order));

    if (ctx.language.profile.resultsSorted)
        return;
    // Ordered insertion: rows 1..row-1 are in position order. Records mostly
    // come in order, so the row above is looked at first; otherwise a binary
    // search finds the first row with a larger position and the new row is
    // moved there (the table shifts the shorter side).
    const PositionNumbers key{record.object, record.block, record.element};
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

void buildTreeFromResults(const TransferTarget& ctx, Progress& progress)
{
    ResultTable& t = ctx.document.structure.table;
    if (t.rowCount() <= 1 || t.identification(IdentificationColumn::Instrument).empty())
        return;
    clearStructure(ctx.document);
    progress.setLine2(ctx.language.texts.text("Wait_25"));
    progress.setPosition(0);
    // A Cancel pressed during the transfer must not cut the tree short: only
    // a press during the building ends it.
    const bool cancelBefore = progress.cancelRequested();
    long prevB = -1, prevE = -1;
    const int last = t.rowCount() - 1;
    ElementTree& tree = ctx.document.structure.tree;
    ElementNode* top = nullptr;
    for (int r = 1; r <= last; ++r) {
        const ResultRow row(t, r);
        const long b = row.block();
        const long e = row.element();
        if (b != prevB) {
            prevE = 0;
            top = addElementNode(ctx.document, nullptr);
            initElement(ctx.document, top, KindObject, false, ctx.newElementNames());
            top->name = row.blockName();
            top->info.number = int32_t(b);
        }
        if (e != prevE && top) {
            ElementNode* child = addElementNode(ctx.document, top);
            initElement(ctx.document, child, KindMeasuringPoint, false, ctx.newElementNames());
            child->info.selection.clear(); // a received row holds no selection
            child->name = row.elementName();
            child->info.number = int32_t(e);
        }
        prevB = b;
        prevE = e;
        progress.setPosition(int((long long)r * 100 / last));
        if (!cancelBefore && progress.cancelRequested())
            break;
    }
    if (tree.empty())
        resetToNewStructure(ctx.document, ctx.language, ctx.defaults);
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

void takeReceivedDocument(Document& open, Document& received, const ReceiveOutcome& outcome)
{
    if (outcome.structureReplaced) {
        open.structure = std::move(received.structure);
        open.saved = received.saved;
    }
    open.familyCode = received.familyCode;
    open.fileName = received.fileName;
}

const char* receiveStatusName(ReceiveOutcome::Status status)
{
    static const char* const names[] = {"received", "incomplete",       "not answered", "port failed",
                                        "declined", "other instrument", "busy",         "failed"};
    return names[int(status)];
}

std::string stageMessage(ReceiveStage stage)
{
    const std::string number = std::to_string(int(stage));
    return number + (stage == ReceiveStage::Port ? ": COMM ERROR" : ": ERROR");
}

std::string commErrorText(const SerialError& error)
{
    std::string text = stageMessage(ReceiveStage::Port) + '\r' + error.what();
    const std::string advice = openFailureAdvice(error);
    if (!advice.empty())
        text += '\r' + advice;
    return text;
}

std::string portBusyText(const LanguageContext& ctx, const SerialError& error)
{
    if (!error.portBusy())
        return {};
    const std::string who = error.holder().empty() ? QFile::encodeName(error.device()).toStdString() : error.holder();
    return ctx.texts.text("PortBusy_40") + ' ' + who;
}

std::string commErrorText(const LanguageContext& ctx, const SerialError& error)
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
    Transfer(const TransferTarget& ctx, InstrumentLink& link, Progress& progress, const ReceiveHooks& hooks,
             Clock& clock, ReceiveOutcome& out)
        : ctx_(ctx), link_(link), progress_(progress), hooks_(hooks), ex_(ctx.language, link.port(), progress, clock),
          out_(out)
    {
    }

    void run();
    void reportLoss();

private:
    // Runs one stage: its failure is reported with the stage's message and
    // the transfer goes on. A device that went away is not a stage's failure:
    // it is noted and reported once, at the end.
    template <class F>
    bool stage(ReceiveStage failure, F&& f)
    {
        try {
            f();
            return true;
        } catch (const SerialError& e) {
            if (e.deviceLost()) {
                noteLoss(e);
                return false;
            }
            showStageFailure(ctx_.language, failure, e.what());
        } catch (const std::exception& e) {
            showStageFailure(ctx_.language, failure, e.what());
        }
        failedStage_ = true;
        return false;
    }
    void noteLoss(const SerialError& e)
    {
        if (!lost_) {
            qCInfo(logComm) << "the device went away:" << e.what();
            lost_ = true;
            lossText_ = commErrorText(e);
            out_.error = e.what();
        }
    }
    void finish();
    void receiveRecords(int headerTimeoutMs);

    TransferTarget ctx_;
    InstrumentLink& link_;
    Progress& progress_;
    const ReceiveHooks& hooks_;
    Exchange ex_;
    ReceiveOutcome& out_;

    bool lost_ = false;
    std::string lossText_;
    bool failedStage_ = false;
    RecordStatus lastStatus_ = RecordStatus::Read;
};

void Transfer::finish()
{
    stage(ReceiveStage::HideProgress, [&] { progress_.hide(); });
}

void Transfer::reportLoss()
{
    if (!lost_)
        return;
    std::string text = lossText_;
    if (out_.done < out_.count)
        text += '\r' + ctx_.language.texts.text("MeasuresMissing_30") + '\r' + std::to_string(out_.done) + "/" +
                std::to_string(out_.count);
    ctx_.language.prompts->message(MsgType::Error, text, MbOK, 1);
}

void Transfer::receiveRecords(int headerTimeoutMs)
{
    ex_.sendRequest(Request::FirstRecord);
    ex_.waitAcknowledge(AcknowledgeTimeoutMs); // the instrument was seen to acknowledge; the status tells nothing more

    int row = 1;
    RecordStatus status = RecordStatus::Read;
    std::string record;
    do {
        try {
            status = readRecord(ctx_, ex_, record, headerTimeoutMs);
        } catch (const SerialError& e) {
            if (e.deviceLost()) {
                noteLoss(e);
                status = RecordStatus::Failed;
                break;
            }
            showStageFailure(ctx_.language, ReceiveStage::Rows, e.what());
            status = RecordStatus::Failed; // the transfer ends here; what came stays
        } catch (const std::exception& e) {
            showStageFailure(ctx_.language, ReceiveStage::Rows, e.what());
            status = RecordStatus::Failed;
        }
        if (status != RecordStatus::Read)
            qCInfo(logComm).nospace() << "record " << out_.done + 1 << " of " << out_.count << ": "
                                      << (status == RecordStatus::NoMore ? "the instrument has no more" : "failed");
        if (status == RecordStatus::Read && row >= structure_file::MaxTableRows) {
            // A record that no longer fits: a structure file holds at most
            // this many rows, and one with more would be refused whole when
            // read. The 16-bit count cannot tell (65,536 records announce 0),
            // so the record itself is the sign that the instrument holds more.
            out_.tableFull = true;
            break;
        }
        if (status == RecordStatus::Read) {
            decodeRecord(ctx_, record.data(), record.size(), row);
            ++row;
            ++out_.done;
        }
        progress_.setPosition(percentOf(out_.done, out_.count));
    } while (!ex_.cancelRequested() && status == RecordStatus::Read);
    lastStatus_ = status;

    if (out_.tableFull) {
        ctx_.language.prompts->message(
            MsgType::Warning, ctx_.language.texts.text("TableFull_50") + ' ' + std::to_string(out_.done), MbOK, 0);
        return;
    }

    if (!lost_ && status != RecordStatus::Read && out_.done < out_.count) {
        const std::string text = ctx_.language.texts.text("MeasuresMissing_30") + '\r' + std::to_string(out_.done) +
                                 "/" + std::to_string(out_.count);
        ctx_.language.prompts->message(MsgType::Error, text, MbOK, 1);
    }
}

void Transfer::run()
{
    // Unsaved work first: no stage yet, nothing to fail.
    if (hooks_.querySaveChanges && !hooks_.querySaveChanges()) {
        out_.status = ReceiveOutcome::Status::Declined;
        return;
    }
    // 2: the progress dialog.
    stage(ReceiveStage::ShowProgress, [&] {
        progress_.show(ctx_.language.texts.text("ReceiveResults_30"), std::string(), true);
        progress_.setLine2(ctx_.language.texts.text("Searching_30"));
        progress_.setPosition(0);
    });

    // 12: start the exchange.
    int started = Exchange::GaveUp;
    const bool startOk = stage(ReceiveStage::StartExchange, [&] { started = ex_.startExchange(); });
    if (!startOk || started != Exchange::Started) {
        out_.status = lost_ || !startOk ? ReceiveOutcome::Status::Failed : ReceiveOutcome::Status::NotAnswered;
        finish();
        return;
    }

    // 3: who is there.
    InstrumentTexts texts;
    stage(ReceiveStage::Identify,
          [&] { out_.identified = identifyInstrument(ctx_, ex_, link_.instrumentExtraLines, texts, &out_.typeCode); });
    progress_.setLine2(ctx_.language.texts.text("ReceivingResults_30"));
    if (lost_) {
        // Nothing was received: the structure stays as it was.
        out_.status = ReceiveOutcome::Status::Failed;
        finish();
        return;
    }

    // 6: the count (4), then a new structure with the identification in row 0.
    // A count that failed is 0 and the new structure is made all the same.
    int headerTimeoutMs = RecordHeaderTimeoutMs;
    stage(ReceiveStage::NewStructure, [&] {
        stage(ReceiveStage::Count, [&] {
            out_.count = 0;
            ex_.sendRequest(Request::Count);
            std::string reply;
            int count = 0;
            if (ex_.receiveBytes(reply, int(CountSize), CountTimeoutMs) && countOf(reply, count))
                out_.count = count;
        });
        if (lost_)
            return;
        headerTimeoutMs = recordHeaderTimeoutMs(out_.count);
        clearStructure(ctx_.document);
        clearResultTable(ctx_.document);
        out_.structureReplaced = true;
        ctx_.document.fileName = ctx_.language.decode(ctx_.language.texts.defaultFileName);
        writeIdentificationRow(ctx_, texts, link_.instrumentExtraLines);
        if (hooks_.refresh)
            hooks_.refresh(ReceiveStep::StructureCleared);
    });
    if (lost_) {
        out_.status = ReceiveOutcome::Status::Failed;
        finish();
        return;
    }

    // 7: the records (each "MRE" is 8), then "MEX". Another family's
    // instrument is only told the exchange is over.
    const bool typesMatch = ctx_.document.familyCode == ctx_.language.profileFamily;
    stage(ReceiveStage::Records, [&] {
        if (typesMatch)
            receiveRecords(headerTimeoutMs);
        if (!lost_)
            ex_.endExchange();
    });

    // 8: the tree from the rows.
    stage(ReceiveStage::Rows, [&] {
        buildTreeFromResults(ctx_, progress_);
        if (typesMatch && hooks_.refresh)
            hooks_.refresh(ReceiveStep::TreeBuilt);
    });

    // 9: the view.
    stage(ReceiveStage::ShowView, [&] {
        out_.resultsView = 1;
        if (typesMatch && ctx_.document.structure.tree.empty()) {
            ctx_.document.saved = true;
            resetToNewStructure(ctx_.document, ctx_.language, ctx_.defaults);
            out_.resultsView = 0;
        }
        if (!ctx_.document.structure.tree.empty())
            ctx_.document.structure.tree.selected = ctx_.document.structure.tree.first();
        if (typesMatch && hooks_.refresh)
            hooks_.refresh(out_.resultsView == 1 ? ReceiveStep::ViewShown : ReceiveStep::NewStructureShown);
    });

    // 10: the progress dialog closed.
    finish();

    if (!typesMatch)
        out_.status = ReceiveOutcome::Status::OtherInstrument;
    else if (lost_ || out_.tableFull || (lastStatus_ != RecordStatus::Read && out_.done < out_.count) ||
             (lastStatus_ == RecordStatus::Read && ex_.cancelRequested()))
        out_.status = ReceiveOutcome::Status::Incomplete;
    else if (failedStage_)
        out_.status = ReceiveOutcome::Status::Failed;
    else
        out_.status = ReceiveOutcome::Status::Received;
}

} // namespace

ReceiveOutcome receiveResults(const TransferTarget& ctx, InstrumentLink& link, Progress& progress,
                              const ReceiveHooks& hooks, Clock& clock)
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
        qCInfo(logComm).noquote() << "port" << port.portName() << "opened at" << port.baudRate() << "baud";
    } catch (const SerialError& e) {
        qCInfo(logComm).noquote() << "port" << port.portName() << "could not be opened:" << e.what();
        out.status = ReceiveOutcome::Status::PortFailed;
        out.error = e.what();
        // 11, shown plainly like every stage's failure; only a device lost
        // mid-way is shown as an error (Transfer::reportLoss).
        ctx.language.prompts->message(MsgType::Custom, commErrorText(ctx.language, e), MbOK, 0);
        return out;
    }
    Transfer transfer(ctx, link, progress, hooks, clock, out);
    try {
        if (port.active())
            transfer.run();
    } catch (...) {
        // Whatever it was, the port is closed on the thread that opened it.
        std::string why = "unknown exception";
        try {
            throw;
        } catch (const std::exception& e) {
            why = e.what();
        } catch (...) {
        }
        showStageFailure(ctx.language, ReceiveStage::StartExchange, why.c_str());
        out.status = ReceiveOutcome::Status::Failed;
        try {
            progress.hide();
        } catch (...) {
        }
    }
    port.close();
    qCInfo(logComm).noquote() << "port" << port.portName() << "closed";
    qCInfo(logComm).nospace() << "transfer " << receiveStatusName(out.status) << ": " << out.done << " of " << out.count
                              << " records";
    transfer.reportLoss();
    return out;
}

} // namespace zentrova
