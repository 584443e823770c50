// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/Exchange.h"

#include "base/Logging.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "language/LanguageContext.h"

#include <algorithm>

namespace zentrova {

namespace {
// Longest single sleep of a wait: short enough that Cancel ends a wait and
// windows repaint well within a tenth of a second.
constexpr int SliceMs = 40;
// The output queue is looked at this often while it drains.
constexpr int OutputPollMs = 5;
// Shorter sleeps than this are not worth a wake-up of their own.
constexpr int64_t MinSleepUs = 300;
// Longest wait for the output queue to take a request.
constexpr int OutputWaitLimitMs = 1000;
// Stale input is read with this idle time-out: it is already there, or on its way.
constexpr int StaleInputTimeoutMs = 100;
// After a failed attempt the instrument is given this long to finish what it
// was sending before its bytes are discarded.
constexpr int FailureSettleMs = 60;
// startExchange's state after the user chose to try again.
constexpr int TryAgain = 7;
// The error message's help topic.
constexpr int CommErrorHelpContext = 2000;
} // namespace

Exchange::Exchange(const LanguageContext& ctx, Port& port, Progress& progress, Clock& clock)
    : ctx_(ctx), port_(port), progress_(progress), clock_(clock)
{
}

bool Exchange::cancelRequested() const
{
    return progress_.cancelRequested();
}

void Exchange::delayMs(int ms)
{
    clock_.sleepUs(int64_t(ms) * 1000);
}

void Exchange::waitOutputEmpty()
{
    // The queue normally empties at once; a device that takes nothing for
    // the whole output wait is reported as the port component reports it.
    const int64_t start = clock_.nowUs();
    while (port_.outputCount() > 0) {
        if (clock_.nowUs() - start > int64_t(OutputWaitLimitMs) * 1000)
            throw SerialError::outputFull();
        port_.waitForOutput(OutputPollMs);
    }
}

void Exchange::sendText(const std::string& text)
{
    sendBytes(text.data(), int(text.size()));
}

void Exchange::sendRequest(Request request)
{
    lastRequest_ = requestName(request);
    sendText(requestFrame(request));
}

void Exchange::sendBytes(const char* buffer, int count)
{
    waitOutputEmpty();
    port_.write(buffer, count);
    // The request leaves at the line's rate; no reply can start before it is out.
    lineFreeAtUs_ = std::max(clock_.nowUs(), lineFreeAtUs_) + int64_t(std::max(count, 0)) * byteUs();
}

int64_t Exchange::byteUs() const
{
    // One start bit, eight data bits and two stop bits.
    return 11'000'000LL / std::max(1, port_.baudRate());
}

int Exchange::pause(int missing, bool trickling, int64_t paceUs, int64_t leftUs)
{
    // Bytes cannot arrive faster than the line carries them: while a reply
    // trickles in, sleep through all but the last of its missing bytes and
    // look once. Otherwise (before a reply's first byte, while an adapter
    // holds the bytes back, from a device that hands over whole replies or
    // ignores the rate) sleep until input comes.
    const int64_t now = clock_.nowUs();
    int64_t wakeAt = now;
    if (trickling && paceUs > 0)
        wakeAt = now + int64_t(missing - 1) * paceUs;
    const int64_t early = std::min({wakeAt - now, leftUs, int64_t(SliceMs) * 1000});
    if (early >= MinSleepUs) {
        clock_.sleepUs(early);
        return trickling && paceUs > 0 ? int(early / paceUs) : 0;
    }
    port_.waitForInput(int(std::clamp<int64_t>(leftUs / 1000 + 1, 1, SliceMs)));
    return 0;
}

bool Exchange::receiveBytes(std::string& out, int count, int timeoutMs)
{
    out.clear();
    int64_t t0 = clock_.nowUs();
    const int64_t timeoutUs = int64_t(timeoutMs) * 1000;
    const int waiting = port_.inputCount();
    int seen = waiting;
    int64_t firstByteUs = -1; // when the first byte of this wait was seen
    int seenFirst = 0;        // ... and how many bytes were there then
    int expected = 0;         // bytes the last sleep was long enough for
    int seenBefore = seen;    // ... and what was there before it
    bool heldBack = false;    // an adapter holds this reply's bytes back
    bool ok = false;
    for (;;) {
        const int64_t now = clock_.nowUs();
        bool timedOut = now - t0 > timeoutUs;
        const int n = port_.inputCount();
        if (n > seen) {
            seen = n;
            t0 = now; // the idle time-out restarts with every byte
            timedOut = false;
            if (firstByteUs < 0) {
                firstByteUs = now;
                seenFirst = seen;
            }
            // More than the line can have carried since the request left: the
            // device ignores the rate.
            if (now > lineFreeAtUs_ && seen > (now - lineFreeAtUs_) / byteUs() + 3)
                fasterThanLine_ = true;
        }
        if (seen >= count) {
            ok = true;
            break;
        }
        if (timedOut || cancelRequested())
            break;
        // A sleep through the bytes' line time that brought clearly fewer of
        // them: an adapter gathers them (a USB-serial latency timer) and hands
        // them over together, so wait for that instead of sleeping in steps.
        if (expected >= 4 && seen - seenBefore < expected - 2)
            heldBack = true;
        // The pace the bytes come at: the line's rate, or for a device that
        // ignores it what it was seen to bring since the first byte (not yet
        // known: 0).
        int64_t paceUs = byteUs();
        if (fasterThanLine_)
            paceUs = seen > seenFirst + 1 ? std::min(paceUs, (t0 - firstByteUs) / (seen - seenFirst)) : 0;
        if (heldBack)
            paceUs = 0;
        seenBefore = seen;
        expected = pause(count - seen, seen > 0, paceUs, t0 + timeoutUs - now);
    }
    // A reply of some length that took its bytes' time on the line: the line
    // paces this device after all.
    const int came = seen - waiting;
    if (ok && fasterThanLine_ && came >= 8 && t0 - firstByteUs >= int64_t(came - 2) * byteUs())
        fasterThanLine_ = false;
    if (!ok && cancelRequested())
        qCDebug(logComm).nospace().noquote() << lastRequest() << ": " << seen << " of " << count << " bytes, cancelled";
    else if (!ok)
        qCDebug(logComm).nospace().noquote() << lastRequest() << ": " << seen << " of " << count
                                             << " bytes before the idle time-out of " << timeoutMs << " ms";
    const int want = ok ? count : seen;
    if (want > 0) {
        out.resize(size_t(want));
        const int got = port_.read(out.data(), want);
        out.resize(size_t(std::max(0, got)));
    }
    return ok && int(out.size()) == count;
}

int Exchange::waitAcknowledge(int timeoutMs)
{
    std::string frame;
    receiveBytes(frame, int(AcknowledgeSize), timeoutMs);
    const int status = acknowledgeStatus(frame);
    qCDebug(logComm).noquote() << lastRequest() << "acknowledged with status" << status;
    return status;
}

void Exchange::drainAfterFailure()
{
    delayMs(FailureSettleMs);
    const int64_t start = clock_.nowUs();
    std::string junk;
    for (;;) {
        const int n = port_.inputCount();
        if (n <= 0 || cancelRequested())
            break;
        if (clock_.nowUs() - start > int64_t(DrainLimitMs) * 1000)
            break; // still sending: the next attempt's question lets the user stop
        receiveBytes(junk, std::min(n, StaleDrainLimit), StaleInputTimeoutMs);
        delayMs(FailureSettleMs);
    }
}

int Exchange::startExchange()
{
    // Bytes left over from earlier (a half-read reply, line noise at plug-in)
    // would be taken for the acknowledgement: discard what is there now.
    std::string junk;
    const int stale = std::min(port_.inputCount(), StaleDrainLimit);
    if (stale > 0)
        receiveBytes(junk, stale, StaleInputTimeoutMs);

    int result = Started;
    do {
        sendRequest(Request::Start);
        result = Started;
        const int s = waitAcknowledge(StartAcknowledgeTimeoutMs);
        if (s > 0) {
            qCInfo(logComm) << "the exchange did not start: status" << s;
            if (cancelRequested()) {
                result = GaveUp;
            } else {
                const std::string text = ctx_.texts.text("CommError_40") + "\r" + ctx_.texts.text("TerminateComm_40");
                unsigned answer;
                do {
                    answer = ctx_.prompts->message(MsgType::Error, text, MbYes | MbNo | MbHelp, CommErrorHelpContext);
                } while (answer == MbHelp);
                result = answer == MbYes ? GaveUp : TryAgain;
                qCInfo(logComm) << (answer == MbYes ? "the user gave up" : "the user tries again");
                if (answer == MbYes)
                    endExchange();
                drainAfterFailure();
            }
        }
    } while (result != Started && result != GaveUp);
    return result;
}

int Exchange::endExchange()
{
    sendRequest(Request::End);
    return waitAcknowledge(AcknowledgeTimeoutMs);
}

} // namespace zentrova
