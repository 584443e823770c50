// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/Port.h"
#include "comm/Protocol.h"

#include <QLatin1String>

#include <string>
#include <string_view>

namespace zentrova {

struct LanguageContext;
class Progress;

// The byte-level primitives of a conversation with the instrument: send a
// request, wait for a counted number of bytes with an idle time-out, read the
// five-byte acknowledgement, start ("MRD") and end ("MEX") an exchange.
//
// The waits keep the instrument's timing rules (the idle time-out restarts
// with every byte that arrives, Cancel ends a wait, window messages are
// processed) but sleep in the operating system between looks at the port, so
// a transfer costs the processor next to nothing.
class Exchange {
public:
    Exchange(const LanguageContext& ctx, Port& port, Progress& progress, Clock& clock = systemClock());

    // startExchange's results.
    enum Start : int { Started = 0, GaveUp = 6 };

    // Most bytes one look at stale input discards.
    static constexpr int StaleDrainLimit = 1900;

    // Writes every byte of `text`, embedded NULs included, once the output
    // queue is empty.
    void sendText(const std::string& text);
    void sendBytes(const char* buffer, int count);
    void sendRequest(Request request);
    // Waits until `count` bytes were received, or no byte came for
    // `timeoutMs`, or Cancel. `out` receives exactly `count` bytes on success
    // (later bytes stay queued), otherwise every byte that came.
    bool receiveBytes(std::string& out, int count, int timeoutMs);
    // Reads an acknowledgement; its acknowledgeStatus.
    int waitAcknowledge(int timeoutMs);
    // "MRD" until acknowledged; after every failure the user is asked whether
    // to stop (Yes: "MEX" is sent and GaveUp returned) or try again (No).
    int startExchange();
    // "MEX"; the acknowledgement's status (callers ignore it).
    int endExchange();
    // A plain wait that processes no window messages.
    void delayMs(int ms);
    bool cancelRequested() const;

    Port& port() { return port_; }
    Progress& progress() { return progress_; }

    // Most a stale-input drain may take before the exchange goes on: an
    // instrument that never stops sending must not hold the program.
    static constexpr int DrainLimitMs = 3000;

private:
    void waitOutputEmpty();
    // The name of the request sent last, for the log.
    QLatin1String lastRequest() const { return QLatin1String(lastRequest_.data(), qsizetype(lastRequest_.size())); }
    // Sleeps until more of the `missing` bytes can have arrived, at most
    // `leftUs` and never longer than Cancel may wait. `trickling`: bytes of
    // this reply have come already, at `paceUs` a byte (0: not known; wait
    // for input). Returns how many bytes the sleep was long enough for (0
    // when it waited for input).
    int pause(int missing, bool trickling, int64_t paceUs, int64_t leftUs);
    // A byte's time on the line at the port's rate.
    int64_t byteUs() const;
    // Discards what the instrument sent after a failed attempt.
    void drainAfterFailure();

    const LanguageContext& ctx_;
    // The device was seen to bring bytes faster than the line's rate (a USB
    // instrument with a virtual port): wait for its input alone, until it is
    // seen to trickle again.
    bool fasterThanLine_ = false;
    // When the last request will have left the port at the line's rate.
    int64_t lineFreeAtUs_ = 0;
    Port& port_;
    Progress& progress_;
    std::string_view lastRequest_ = "---";
    Clock& clock_;
};

} // namespace zentrova
