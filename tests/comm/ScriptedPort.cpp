#include "ScriptedPort.h"

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
    checkLost();
    const int64_t limit = now_ + int64_t(std::max(ms, 0)) * 1000;
    const int64_t next = schedule_.empty() ? limit : std::min(limit, schedule_.front().at);
    advanceTo(std::max(next, now_ + 1));
}

size_t ScriptedPort::pending() const { return input_.size() + schedule_.size(); }

// ---------------------------------------------------------------- instrument

ScriptedInstrument::ScriptedInstrument(ScriptedPort& port) : port_(port)
{
    port_.onWrite = [this](const std::string& b) { handle(b); };
}

std::string ScriptedInstrument::payload(unsigned typeCode, const std::vector<std::string>& texts)
{
    std::string p;
    p += char(typeCode & 0xff);
    p += char((typeCode >> 8) & 0xff);
    for (const std::string& t : texts) {
        p += t;
        p += '\0';
    }
    return p;
}

void ScriptedInstrument::handle(const std::string& bytes)
{
    pendingInput_ += bytes;
    while (pendingInput_.size() >= 3) {
        const std::string cmd = pendingInput_.substr(0, 3);
        size_t used = 3;
        if ((cmd == "MRD" || cmd == "MEX") && pendingInput_.size() >= 4 && pendingInput_[3] == '\0')
            used = 4;
        pendingInput_.erase(0, used);
        commands.push_back(cmd);
        const std::string ack("SER\0\0", 5);
        if (cmd == "MRD") {
            if (answerMrd)
                port_.deliver(ack, 1);
        } else if (cmd == "MEX" || cmd == "MSS") {
            if (cmd == "MSS")
                next_ = 0;
            port_.deliver(ack, 1);
        } else if (cmd == "MWH") {
            const std::string& p = identificationPayload;
            std::string r = "SWH";
            r += char((p.size() >> 8) & 0xff);
            r += char(p.size() & 0xff);
            port_.deliver(r + p, 1);
        } else if (cmd == "MNU") {
            const int n = announcedCount >= 0 ? announcedCount : int(records.size());
            std::string r = "SNU";
            r += '\0';
            r += char((n >> 8) & 0xff);
            r += char(n & 0xff);
            port_.deliver(r, 1);
        } else if (cmd == "MRE") {
            if (silentAfterRecords >= 0 && int(next_) >= silentAfterRecords)
                continue;
            std::string r = "SRE";
            if (next_ < records.size()) {
                r += char(records[next_].size());
                r += records[next_];
                ++next_;
            } else {
                r += '\0';
            }
            port_.deliver(r, 1);
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
