// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "ScriptedPort.h"

#include "comm/Protocol.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zentrova::test {

void ScriptedPort::deliver(const std::string& bytes, int afterMs, int gapMs)
{
    int64_t at = now_ + int64_t(afterMs) * 1000;
    // Keep the schedule in time order behind what is already scheduled.
    if (!schedule_.empty())
        at = std::max(at, schedule_.back().at);
    for (char c : bytes) {
        schedule_.push_back({at, c});
        at += int64_t(gapMs) * 1000;
    }
}

void ScriptedPort::advanceTo(int64_t t)
{
    now_ = std::max(now_, t);
    while (!schedule_.empty() && schedule_.front().at <= now_) {
        input_ += schedule_.front().byte;
        schedule_.pop_front();
    }
}

void ScriptedPort::checkLost()
{
    if (lost_) {
        open_ = false;
        throw SerialError::lost(name_, EIO, false);
    }
}

void ScriptedPort::open()
{
    if (open_)
        throw SerialError::portIsOpen();
    ++opens;
    if (failOpenWith) {
        const int e = failOpenWith;
        failOpenWith = 0;
        throw SerialError::openFailure(name_, e);
    }
    if (openError)
        if (const int e = openError(name_, baud_))
            throw SerialError::openFailure(name_, e);
    open_ = true;
}

void ScriptedPort::close()
{
    if (open_)
        ++closes;
    open_ = false;
}

void ScriptedPort::purge()
{
    ++purges;
    input_.clear();
}

int ScriptedPort::inputCount()
{
    if (!open_)
        return 0;
    checkLost();
    advanceTo(now_);
    return int(input_.size());
}

int ScriptedPort::read(char* buffer, int n)
{
    if (!open_)
        return 0;
    checkLost();
    const int k = std::min<int>(n, int(input_.size()));
    std::memcpy(buffer, input_.data(), size_t(k));
    input_.erase(0, size_t(k));
    return k;
}

void ScriptedPort::write(const char* buffer, int n)
{
    checkLost();
    if (failWriteAfter == 0) {
        failWriteAfter = -1;
        throw SerialError(SerialError::Kind::Write, "Write error (5), Input/output error", EIO);
    }
    if (failWriteAfter > 0)
        --failWriteAfter;
    if (loseAfterWrites == 0) {
        loseAfterWrites = -1;
        lost_ = true;
        checkLost();
    }
    if (loseAfterWrites > 0)
        --loseAfterWrites;
    const std::string bytes(buffer, size_t(n));
    written += bytes;
    writes.push_back(bytes);
    if (onWrite)
        onWrite(bytes);
}

void ScriptedPort::waitForInput(int ms)
{
    ++wakeUps;
    checkLost();
    const int64_t limit = now_ + int64_t(std::max(ms, 0)) * 1000;
    const int64_t next = schedule_.empty() ? limit : std::min(limit, schedule_.front().at);
    advanceTo(std::max(next, now_ + 1));
}

size_t ScriptedPort::pending() const
{
    return input_.size() + schedule_.size();
}

// ---------------------------------------------------------------- instrument

ScriptedInstrument::ScriptedInstrument(ScriptedPort& port) : port_(port)
{
    port_.onWrite = [this](const std::string& b) { handle(b); };
}

std::string ScriptedInstrument::payload(unsigned typeCode, const std::vector<std::string>& texts)
{
    return zentrova::identificationPayload(typeCode, texts);
}

void ScriptedInstrument::handle(const std::string& bytes)
{
    pendingInput_ += bytes;
    while (pendingInput_.size() >= RequestNameSize) {
        const std::string cmd = pendingInput_.substr(0, RequestNameSize);
        Request request;
        const bool known = requestNamed(cmd, request);
        size_t used = RequestNameSize;
        if (known && requestEndsWithZero(request) && pendingInput_.size() > used && pendingInput_[used] == '\0')
            ++used;
        pendingInput_.erase(0, used);
        commands.push_back(cmd);
        if (!known)
            continue;
        switch (request) {
        case Request::Start:
            if (answerMrd)
                port_.deliver(acknowledgeFrame(), 1);
            break;
        case Request::FirstRecord:
            next_ = 0;
            port_.deliver(acknowledgeFrame(), 1);
            break;
        case Request::End:
            port_.deliver(acknowledgeFrame(), 1);
            break;
        case Request::Identify:
            port_.deliver(identificationFrame(identificationPayload), 1);
            break;
        case Request::Count:
            port_.deliver(countFrame(announcedCount >= 0 ? announcedCount : int(records.size())), 1);
            break;
        case Request::NextRecord:
            if (silentAfterRecords >= 0 && int(next_) >= silentAfterRecords)
                break;
            port_.deliver(next_ < records.size() ? recordFrame(records[next_++]) : recordHeader(0), 1);
            break;
        }
    }
}

// ---------------------------------------------------------------- progress

void RecordingProgress::show(const std::string& caption, const std::string&, bool)
{
    captions.push_back(caption);
    shown = true;
    cancel = false;
}

void RecordingProgress::setPosition(int percent)
{
    positions.push_back(percent);
    if (cancelAtPosition >= 0 && percent >= cancelAtPosition)
        cancel = true;
}

} // namespace zentrova::test
