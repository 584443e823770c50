// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/InstrumentLink.h"
#include "comm/Port.h"
#include "comm/Protocol.h"
#include "structure/StructureContext.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace zentrova {

class Exchange;
class Progress;

// What a transfer reads and fills: the language (its texts and the family
// profile in force, read only: the windows' transfer runs on a worker while
// the window's thread reads them too), the default names of new elements, and
// the document the results go into. The windows give a fresh document and
// take it when the transfer is over; the command-line tool gives its own. The
// family code the instrument reported is the document's; the caller applies
// the family's profile for it once the transfer is over, on its own thread.
struct TransferTarget {
    const LanguageContext& language;
    const DefaultNames& defaults;
    Document& document;
    TransferTarget(const LanguageContext& lang, const DefaultNames& names, Document& doc)
        : language(lang), defaults(names), document(doc)
    {
    }
    // The program's state and its open document.
    TransferTarget(StructureContext& ctx) : TransferTarget(ctx.language, ctx.defaultNames, ctx.document) {}
    NewElementNames newElementNames() const { return {defaults, language.texts}; }
};

// ------------------------------------------------------------ identification

// Instrument lines 5..7 are kept cut to this many bytes.
constexpr size_t ExtraLineWidth = 50;

// Texts 1..7 of an identification as the callers keep them.
using InstrumentTexts = std::array<std::string, 7>;

// "MWH": reads the identification, sets familyCode and the extra lines when
// the reply is valid; the family profile for the code is the caller's to
// apply afterwards. True for a valid reply, false otherwise (the texts are
// then empty and familyCode and the extra lines keep their values). Inside an
// exchange only.
// `typeCode`, when given, receives the reported type code of a valid reply.
bool identifyInstrument(const TransferTarget& ctx, Exchange& exchange, ExtraLines& extra, InstrumentTexts& texts,
                        unsigned* typeCode = nullptr);

// Row 0 of the result table: column 1 = texts 1, 2, 3, 4, 7 and the three
// extra lines joined by CR; column 2 = text 5 and column 3 = text 6, cleaned.
void writeIdentificationRow(const TransferTarget& ctx, const InstrumentTexts& texts, const ExtraLines& extra);

// ------------------------------------------------------------ records

enum class RecordStatus { Read, NoMore, Failed };

// One "MRE": the record's bytes in `record`. Failed for a wrong or late
// header or a record that did not arrive whole. The head may take
// `headerTimeoutMs` (it grows with the announced count).
RecordStatus readRecord(const TransferTarget& ctx, Exchange& exchange, std::string& record, int headerTimeoutMs);

// Writes one result row from a record at table row `row` (the table grows to
// hold it) and moves it to its place in position order: after every row
// whose (object, block, element) is not larger, so equal positions keep
// their arrival order. An item that runs past the record's end ends the
// decoding of that record; a record too short for its position reads the
// missing numbers as 0 and one without a function byte gets no function.
void decodeRecord(const TransferTarget& ctx, const char* data, size_t length, int row);

// Rebuilds the element tree from the result rows: one Object per run of rows
// with the same block number, under it one Particular per run with the same
// element number, each named by its number in three digits.
void buildTreeFromResults(const TransferTarget& ctx, Progress& progress);

// ------------------------------------------------------------ the transfer

// The stages of a transfer, numbered as the message each shows when it fails
// ("3: ERROR"), and in the order they run: 2, 12, 3, 4, 6, 7, 8, 9, 10. A
// device that goes away is not a stage's failure: it is told once, at the
// end, as "11: COMM ERROR".
enum class ReceiveStage : int {
    ShowProgress = 2,   // the progress dialog
    Identify = 3,       // "MWH"
    Count = 4,          // "MNU"
    NewStructure = 6,   // the count and a new structure with the identification in row 0
    Records = 7,        // "MSS", every "MRE", "MEX"
    Rows = 8,           // one record read ("MRE"); the tree built from the rows
    ShowView = 9,       // the results view
    HideProgress = 10,  // the progress dialog closed
    Port = 11,          // the port failed to open, or the device went away
    StartExchange = 12, // "MRD" until acknowledged; also any failure no stage caught
};

// "3: ERROR", ..., and "11: COMM ERROR" for ReceiveStage::Port.
std::string stageMessage(ReceiveStage stage);

// What the windows are told while a transfer changes the model.
enum class ReceiveStep {
    // The structure was cleared, row 0 written and the default file name
    // set: refresh the caption, tree and grid columns.
    StructureCleared,
    // The tree was rebuilt from the rows (an instrument of this family only):
    // mirror it, and show the structure panel.
    TreeBuilt,
    // The transfer is over for an instrument of this family: show the
    // results and select ctx.document.structure.tree.selected.
    ViewShown,
    // As ViewShown, but no result came: a new empty structure is shown in
    // the element view.
    NewStructureShown,
};

struct ReceiveHooks {
    // Offers to save unsaved work; false when the user chose Cancel.
    std::function<bool()> querySaveChanges;
    std::function<void(ReceiveStep)> refresh;
};

struct ReceiveOutcome {
    enum class Status {
        Received,        // every announced record arrived (or the instrument said no more)
        Incomplete,      // records are missing: time-out, wrong header, Cancel, the device lost, a full table
        NotAnswered,     // no acknowledgement and the user gave up, or Cancel before it
        PortFailed,      // the port could not be opened
        Declined,        // the save question was cancelled
        OtherInstrument, // identified, but not of this family: no records read
        Busy,            // another serial operation is running
        Failed,          // a stage failed before any record (its message was shown)
    };
    Status status = Status::Failed;
    int count = 0; // announced by the instrument
    int done = 0;  // records decoded
    bool identified = false;
    unsigned typeCode = 0; // the type code the instrument reported (when identified)
    // The result table reached structure_file::MaxTableRows rows and the
    // instrument had more: receiving stopped with `done` records kept.
    bool tableFull = false;
    // The structure was cleared for the results: the target's document holds
    // the transfer's structure. Otherwise only its family code and file name
    // may have changed.
    bool structureReplaced = false;
    // The view the transfer ends in: 1 the results, 0 the element view of a
    // new empty structure. Set when the view was shown.
    int resultsView = 0;
    std::string error; // the port's message when it failed or was lost
};

// Instrument > Receive Results, from opening the port to the results view:
// the save question, the progress dialog, "MRD", the identification, the
// count, a new structure with the identification in row 0, every record in
// position order, "MEX", the tree and the view. Every stage reports its own
// failure and the transfer goes on with the next; records received are never
// dropped. Runs on the calling thread and returns when it is over.
ReceiveOutcome receiveResults(const TransferTarget& ctx, InstrumentLink& link, Progress& progress,
                              const ReceiveHooks& hooks, Clock& clock = systemClock());

// Takes into `open` what a transfer into `received` changed: `received`
// began as successorOf(open) with open's saved flag; the window keeps
// showing `open` meanwhile. The structure and the saved flag when the
// structure was replaced; the family code and file name in every case.
void takeReceivedDocument(Document& open, Document& received, const ReceiveOutcome& outcome);

// "received", "incomplete", ...: the outcome's status in the log.
const char* receiveStatusName(ReceiveOutcome::Status status);

// The exit status of a transfer for the command-line tool: 0 when every
// record came, 3 when the exchange started and fewer records came than the
// instrument holds (none included: a time-out, Cancel, the device lost on the
// way, a full table, a failed stage after records), 2 when no records could
// be asked for (the port, no answer, another instrument, a failed stage).
int receiveExitCode(const ReceiveOutcome& outcome);

// stageMessage(ReceiveStage::Port) with the port's message and, for a device the user may
// not open, the remedy; for a device lost during a transfer also how many
// records arrived.
std::string commErrorText(const SerialError& error);
// The same, and for a port another program holds, who holds it.
std::string commErrorText(const LanguageContext& language, const SerialError& error);

// "The port is in use by another program: picocom (pid 1234)" (the holder,
// or the device when the holder is not known) for a busy port; else empty.
std::string portBusyText(const LanguageContext& language, const SerialError& error);

} // namespace zentrova
