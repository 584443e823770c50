// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Instrument > Receive Results on a scripted port whose clock is virtual:
// waits and time-outs move the clock on instead of sleeping, so a run costs
// no real time. The input is the instrument's side of the conversation: each
// command the program writes is answered by the next reply of the input,
//
//   control byte, length byte, that many reply bytes (the last takes what is left)
//
// control bits 0-4: the reply starts that many tenths of a second later (up
// to 3.1 s, past every time-out); bit 5: its bytes come 2 ms apart; bit 6:
// the user presses Cancel; bit 7: the device goes away at the next write.
// Once the replies run out the instrument is silent, and a failed start is
// then given up.
//
// Whatever the instrument sends, the transfer ends with the port closed, no
// operation running, the progress dialog hidden, the normal record time-out
// back, and the records that came in position order, one row each.
#include "FuzzHarness.h"

#include "base/TextRules.h"
#include "comm/InstrumentLink.h"
#include "comm/Receive.h"
#include "comm/ScriptedPort.h"

#include <tuple>

namespace zentrova::fuzz {

namespace {

// Asked whether to stop after a failed start: tries again while the script
// has replies left, so every attempt costs input and the run ends.
class ReceivePrompts : public Prompts {
public:
    explicit ReceivePrompts(const bool& repliesLeft) : repliesLeft_(repliesLeft) {}
    unsigned message(MsgType, const std::string&, unsigned buttons, int) override
    {
        if (buttons & MbOK)
            return MbOK;
        if ((buttons & MbYes) && (buttons & MbNo))
            return repliesLeft_ ? MbNo : MbYes;
        return (buttons & MbCancel) ? MbCancel : MbNo;
    }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }

private:
    const bool& repliesLeft_;
};

std::tuple<long, long, long> keyOfRow(const ResultTable& t, int row)
{
    const std::string& pos = t.cell(1, row);
    return {digitsValue(nthLine(pos, 1)), digitsValue(nthLine(pos, 2)), digitsValue(nthLine(pos, 3))};
}

} // namespace

int fuzzReceive(const uint8_t* data, size_t size)
{
    static LoadedFuzzProgram program;
    AppContext& ctx = *program.ctx;
    // The profile in force is the same for every family.
    ctx.document.familyCode = 0;
    resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames);
    ctx.document.saved = true;

    test::ScriptedPort port;
    test::RecordingProgress progress;
    InstrumentLink link(port);
    size_t pos = 0;
    bool repliesLeft = size >= 2;
    ReceivePrompts prompts(repliesLeft);
    Prompts* const shared = ctx.language.prompts;
    ctx.language.prompts = &prompts;

    port.onWrite = [&](const std::string&) {
        if (pos + 2 > size)
            return; // silent from here on
        const uint8_t control = data[pos];
        const size_t n = std::min<size_t>(data[pos + 1], size - pos - 2);
        const std::string reply(reinterpret_cast<const char*>(data) + pos + 2, n);
        pos += 2 + n;
        repliesLeft = pos + 2 <= size;
        port.deliver(reply, (control & 0x1f) * 100, (control & 0x20) ? 2 : 0);
        if (control & 0x40)
            progress.cancel = true;
        if (control & 0x80)
            port.loseAfterWrites = 0;
    };

    bool cleared = false, misordered = false;
    ReceiveHooks hooks;
    hooks.querySaveChanges = [] { return true; };
    hooks.refresh = [&](ReceiveStep step) {
        if (step == ReceiveStep::StructureCleared)
            cleared = true;
        else if (!cleared)
            misordered = true;
    };
    const ReceiveOutcome out = receiveResults(ctx, link, progress, hooks, port);
    ctx.language.prompts = shared;

    using S = ReceiveOutcome::Status;
    if (port.active())
        violated("receive", "the port stays open");
    if (link.busy())
        violated("receive", "the serial operation never ended");
    if (progress.shown)
        violated("receive", "the progress dialog stays open");
    if (misordered)
        violated("receive", "the windows were told of a tree or view before the structure was cleared");
    if ((receiveExitCode(out) == 0) != (out.status == S::Received))
        violated("receive", "the exit status does not follow the outcome");
    if (out.status == S::OtherInstrument && out.done != 0)
        violated("receive", "records were read from an instrument of another family");
    if (out.done > 0) {
        const ResultTable& t = ctx.document.structure.table;
        if (t.rowCount() != out.done + 1) {
            violated("receive", std::to_string(out.done) + " records left " + std::to_string(t.rowCount()) + " rows");
            return 0;
        }
        if (!ctx.language.profile.resultsSorted)
            for (int r = 2; r < t.rowCount(); ++r)
                if (keyOfRow(t, r) < keyOfRow(t, r - 1))
                    violated("receive", "row " + std::to_string(r) + " is out of position order");
        if (ctx.document.structure.tree.empty() || out.resultsView != 1)
            violated("receive", "records came but no tree or results view");
    }
    return 0;
}

} // namespace zentrova::fuzz
