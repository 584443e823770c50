// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/Port.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace zentrova {

std::string systemErrorText(int err)
{
    // strerror_r in its GNU or XSI form: take whichever buffer holds the text.
    char buf[256] = {};
    auto r = strerror_r(err, buf, sizeof buf);
    if constexpr (std::is_same_v<decltype(r), char*>)
        return r ? std::string(r) : std::string(buf);
    else
        return std::string(buf);
}

namespace {
std::string deviceBytes(const QString& device)
{
    return QFile::encodeName(device).toStdString();
}
} // namespace

SerialError SerialError::openFailure(const QString& device, int err)
{
    return SerialError(Kind::Open,
                       "Unable to open specified device " + deviceBytes(device) + " (" + std::to_string(err) + "), " +
                           systemErrorText(err),
                       err, false, device);
}

SerialError SerialError::busy(const QString& device, std::string holder)
{
    SerialError e = openFailure(device, EBUSY);
    e.holder_ = std::move(holder);
    return e;
}

SerialError SerialError::lost(const QString& device, int err, bool whileWriting)
{
    return SerialError(whileWriting ? Kind::Write : Kind::Read,
                       std::string(whileWriting ? "Write error (" : "Read error (") + std::to_string(err) + "), " +
                           systemErrorText(err),
                       err, true, device);
}

SerialError SerialError::portIsOpen()
{
    return SerialError(Kind::PortOpen, "Can't perform this operation while port is open");
}

SerialError SerialError::outputFull()
{
    return SerialError(Kind::OutputFull, "Output buffer is full. Please check comm status.");
}

namespace {
class SystemClock final : public Clock {
public:
    int64_t nowUs() override
    {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleepUs(int64_t us) override
    {
        if (us > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(us));
    }
};
} // namespace

Clock& systemClock()
{
    static SystemClock clock;
    return clock;
}

} // namespace zentrova
