#include "comm/Exchange.h"

#include "base/Progress.h"
#include "base/Prompts.h"
#include "language/LanguageContext.h"

#include <algorithm>

namespace zentrova {

namespace {
// Longest single sleep of a wait: short enough that Cancel and repainting
// stay lively.
constexpr int PollMs = 5;
constexpr int64_t MaxEarlySleepUs = 4000;
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

Exchange::Exchange(LanguageContext& ctx, Port& port, Progress& progress, Clock& clock)
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
        port_.waitForOutput(PollMs);
    }
}

void Exchange::sendText(const std::string& text)
{
    sendBytes(text.data(), int(text.size()));
}

void Exchange::sendRequest(Request request)
{
    sendText(requestFrame(request));
}

void Exchange::sendBytes(const char* buffer, int count)
{
    waitOutputEmpty();
    port_.write(buffer, count);
}

void Exchange::pause(int missing, int64_t leftUs)
{
    // The missing bytes cannot arrive faster than the line carries them (one
    // start bit, eight data bits, two stop bits each): sleep through all but
    // the last of them, then wait for input to come. A device that ignores
    // the rate (a USB instrument with a virtual port) is seen to bring them
    // all while we sleep; from then on only the input wakes us.
    if (!lineFasterThanRate_) {
        const int baud = std::max(1, port_.baudRate());
        const int64_t byteUs = 11'000'000LL / baud;
        int64_t early = std::min<int64_t>(int64_t(missing - 1) * byteUs, MaxEarlySleepUs);
        early = std::min(early, leftUs);
        if (early > 200) {
            const int before = port_.inputCount();
            const int64_t t0 = clock_.nowUs();
            clock_.sleepUs(early);
            const int64_t slept = clock_.nowUs() - t0;
            leftUs -= slept;
            // At the line's rate, at most one byte more than the sleep's
            // worth can have come (one was on its way when we lay down).
            const int64_t possible = slept / byteUs + 1;
            if (port_.inputCount() - before > possible + 2)
                lineFasterThanRate_ = true;
        }
    }
    const int64_t leftMs = leftUs / 1000 + 1;
    port_.waitForInput(int(std::clamp<int64_t>(leftMs, 1, PollMs)));
}

bool Exchange::receiveBytes(std::string& out, int count, int timeoutMs)
{
    out.clear();
    int64_t t0 = clock_.nowUs();
    const int64_t timeoutUs = int64_t(timeoutMs) * 1000;
    int seen = port_.inputCount();
    bool ok = false;
    for (;;) {
        progress_.processEvents(0);
        const int64_t now = clock_.nowUs();
        bool timedOut = now - t0 > timeoutUs;
        const int n = port_.inputCount();
        if (n > seen) {
            seen = n;
            t0 = now;
            timedOut = false;
        }
        if (seen >= count) {
            ok = true;
            break;
        }
        if (timedOut || cancelRequested())
            break;
        pause(count - seen, t0 + timeoutUs - now);
    }
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
    return acknowledgeStatus(frame);
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
            if (cancelRequested()) {
                result = GaveUp;
            } else {
                const std::string text = ctx_.texts.text("CommError_40") + "\r" + ctx_.texts.text("TerminateComm_40");
                unsigned answer;
                do {
                    answer = ctx_.prompts->message(MsgType::Error, text, MbYes | MbNo | MbHelp, CommErrorHelpContext);
                } while (answer == MbHelp);
                result = answer == MbYes ? GaveUp : TryAgain;
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
