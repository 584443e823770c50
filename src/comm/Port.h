// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace zentrova {

// The failures of the serial port object. The texts follow the port
// component's own forms, "Unable to open specified device %s (%d), %s" and
// so on: the number is the system's error number, the last part its text.
class SerialError : public std::runtime_error {
public:
    enum class Kind {
        Open,     // the device could not be opened
        PortOpen, // a setting that needs a closed port, or a second open
        Write,
        Read,
        OutputFull,
        Other,
    };
    SerialError(Kind kind, const std::string& message, int systemError = 0, bool deviceLost = false,
                QString device = {})
        : std::runtime_error(message), kind_(kind), systemError_(systemError), deviceLost_(deviceLost),
          device_(std::move(device))
    {
    }
    Kind kind() const { return kind_; }
    int systemError() const { return systemError_; }
    // The device went away while open (an unplugged USB adapter, a closed
    // pseudo-terminal): the port is closed and every later call would fail too.
    bool deviceLost() const { return deviceLost_; }
    // The device path involved (empty when not known).
    const QString& device() const { return device_; }
    // Another program holds the device's lock: the open was refused.
    bool portBusy() const { return kind_ == Kind::Open && systemError_ == EBUSY; }
    // For a busy port, the program that holds it ("picocom (pid 1234)"),
    // empty when the system does not tell.
    const std::string& holder() const { return holder_; }

    // "Unable to open specified device %s (%d), %s"
    static SerialError openFailure(const QString& device, int err);
    // An open failure with EBUSY that names the lock's holder.
    static SerialError busy(const QString& device, std::string holder);
    // "Read error (%d), %s" for a device that disappeared while open.
    static SerialError lost(const QString& device, int err, bool whileWriting);
    static SerialError portIsOpen();
    static SerialError outputFull();

private:
    Kind kind_;
    int systemError_;
    bool deviceLost_;
    QString device_;
    std::string holder_;
};

// The port's settings as the serial component keeps them.
enum class Parity { None, Odd, Even };

// The serial operations the exchange relies on: the port object `Port`. The
// real one adapts QSerialPort (SerialDevicePort); tests use a scripted port.
class Port {
public:
    virtual ~Port() = default;

    // Opens the device exclusively and applies every setting; raises
    // SerialError when it cannot be opened or is already open.
    virtual void open() = 0;
    virtual bool active() const = 0;
    // Closes the device; nothing when closed.
    virtual void close() = 0;
    // Discards pending output and received input.
    virtual void purge() = 0;
    // Bytes received and waiting to be read; 0 when closed.
    virtual int inputCount() = 0;
    // Bytes queued and not yet handed to the device; 0 when closed.
    virtual int outputCount() = 0;
    // Reads up to n already-received bytes; returns the count read.
    virtual int read(char* buffer, int n) = 0;
    // Queues n bytes for sending and returns; raises "Output buffer is full.
    // Please check comm status." when they do not fit within the output wait.
    virtual void write(const char* buffer, int n) = 0;

    // Sleeps in the operating system until input arrives or `ms` pass
    // (whichever is first). Waiting loops poll with this instead of spinning.
    virtual void waitForInput(int ms) = 0;
    // Lets queued output go to the device, waiting at most `ms`.
    virtual void waitForOutput(int ms) = 0;

    // Settings. The port name is "COM1".."COM16" (an entry of the port list,
    // resolved to a device when opened) or a device path; it can be changed
    // only while the port is closed. The line settings apply at once.
    virtual void setPortName(const QString& name) = 0;
    virtual QString portName() const = 0;
    virtual void setBaudRate(int baud) = 0;
    virtual int baudRate() const = 0;
    virtual void setParity(Parity p) = 0;
    virtual void setDataBits(int bits) = 0;
    virtual void setStopBits(int bits) = 0;
};

// The millisecond tick counter and the plain sleep of the exchange waits,
// in microseconds so that pacing at high baud rates stays exact.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t nowUs() = 0;
    virtual void sleepUs(int64_t us) = 0;
};

// The system's monotonic clock.
Clock& systemClock();

// The system's text for an error number.
std::string systemErrorText(int err);

} // namespace zentrova
