// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/SerialDevicePort.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace zentrova {

namespace {
// QSerialPort tells the kind of an open failure but not the system's error
// number. Opening the device once more (only after a failure) gives it; a
// device that opens here was refused by the lock that guards it, so it is in
// use by another program.
int openErrorNumber(const QString& device, QSerialPort::SerialPortError qtError)
{
    const QByteArray path = QFile::encodeName(device);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    switch (qtError) {
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return EBUSY;
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    default:
        return EIO;
    }
}
} // namespace

std::string portLockHolder(const QString& device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return {};
    // Lines such as "3: FLOCK  ADVISORY  WRITE 1234 00:19:5 0 EOF": the
    // file is named by its file system's device (hex major:minor) and inode.
    // Waiting requests ("3: -> FLOCK ...") hold nothing.
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, type, mode, access, file;
        long pid = 0;
        if (!(fields >> number >> type) || type != "FLOCK")
            continue;
        if (!(fields >> mode >> access >> pid >> file))
            continue;
        unsigned fileMajor = 0, fileMinor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &fileMajor, &fileMinor, &inode) != 3)
            continue;
        if (fileMajor != major(st.st_dev) || fileMinor != minor(st.st_dev) || inode != st.st_ino)
            continue;
        const std::string pidText = "pid " + std::to_string(pid);
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (pid <= 0 || !std::getline(comm, name) || name.empty())
            return "(" + pidText + ")";
        return name + " (" + pidText + ")";
    }
    return {};
}

SerialDevicePort::SerialDevicePort(Resolver resolve) : resolve_(std::move(resolve))
{
}

SerialDevicePort::~SerialDevicePort()
{
    if (active())
        port_->close();
}

void SerialDevicePort::open()
{
    if (active())
        throw SerialError::portIsOpen();
    device_ = resolve_ ? resolve_(name_) : name_;
    if (device_.isEmpty())
        throw SerialError::openFailure(device_.isEmpty() ? name_ : device_, ENOENT);
    // The port object belongs to the thread that opens it: a transfer runs
    // on a worker thread of its own each time.
    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(device_);
    applyLineSettings();
    if (!port_->open(QIODevice::ReadWrite)) {
        const auto qtError = port_->error();
        port_->clearError();
        const int err = openErrorNumber(device_, qtError);
        if (err == EBUSY)
            throw SerialError::busy(device_, portLockHolder(device_));
        throw SerialError::openFailure(device_, err);
    }
    // Qt's lock file keeps out programs that use the same kind of lock file;
    // terminal programs (picocom, minicom, screen) lock the device itself
    // with flock, which Qt neither takes nor looks at. Two programs writing
    // to the instrument at once would garble both conversations.
    if (::flock(int(port_->handle()), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        port_->close();
        port_->clearError();
        throw SerialError::busy(device_, portLockHolder(device_));
    }
    // Any other flock failure (a device without lock support) leaves the port
    // usable as before.
    // Some instruments draw power from these lines; ours must see them low.
    // A pseudo-terminal has no modem lines and refuses both calls.
    port_->setDataTerminalReady(false);
    port_->setRequestToSend(false);
    port_->clearError();
    port_->setReadBufferSize(0); // the input queue holds a whole reply and more
}

bool SerialDevicePort::active() const
{
    return port_ && port_->isOpen();
}

void SerialDevicePort::close()
{
    if (active())
        port_->close();
    port_.reset();
}

void SerialDevicePort::purge()
{
    if (!active())
        return;
    port_->clear(QSerialPort::AllDirections);
    checkDevice(false);
}

bool SerialDevicePort::lineDown() const
{
    // A hung-up terminal (the far end closed, the adapter pulled out) polls
    // as readable with HUP or ERR and reads as end of file.
    const auto fd = port_ ? port_->handle() : -1;
    if (fd < 0)
        return true;
    pollfd p{int(fd), POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

void SerialDevicePort::checkDevice(bool writing)
{
    const auto e = port_ ? port_->error() : QSerialPort::NoError;
    if (e == QSerialPort::NoError)
        return;
    port_->clearError();
    const bool ioError = e == QSerialPort::ReadError || e == QSerialPort::WriteError;
    if (e == QSerialPort::ResourceError || (ioError && lineDown())) {
        // Nothing more will come from this device, and waiting on it would
        // return at once forever: close it and say so.
        port_->close();
        throw SerialError::lost(device_, EIO, writing);
    }
    if (ioError)
        throw SerialError(writing ? SerialError::Kind::Write : SerialError::Kind::Read,
                          std::string(writing ? "Write error (" : "Read error (") + std::to_string(EIO) + "), " +
                              systemErrorText(EIO),
                          EIO, false, device_);
    // Poll time-outs and refused modem-line calls are not failures here.
}

int SerialDevicePort::inputCount()
{
    if (!active())
        return 0;
    port_->waitForReadyRead(0); // takes in what the driver holds, without waiting
    checkDevice(false);
    const qint64 n = port_->bytesAvailable();
    return n > 0x3fffffff ? 0x3fffffff : int(n);
}

int SerialDevicePort::outputCount()
{
    if (!active())
        return 0;
    if (port_->bytesToWrite() > 0) {
        port_->flush();
        checkDevice(true);
    }
    return int(port_->bytesToWrite());
}

int SerialDevicePort::read(char* buffer, int n)
{
    if (!active() || n <= 0)
        return 0;
    const qint64 got = port_->read(buffer, n);
    checkDevice(false);
    return got > 0 ? int(got) : 0;
}

void SerialDevicePort::write(const char* buffer, int n)
{
    if (n <= 0)
        return;
    if (!active())
        throw SerialError(SerialError::Kind::Write,
                          "Write error (" + std::to_string(EBADF) + "), " + systemErrorText(EBADF), EBADF);
    // Room in the output queue: wait for the device to take what is queued.
    if (port_->bytesToWrite() + n > OutputQueueSize) {
        port_->waitForBytesWritten(OutputWaitMs);
        checkDevice(true);
        if (port_->bytesToWrite() + n > OutputQueueSize)
            throw SerialError::outputFull();
    }
    if (port_->write(buffer, n) != n) {
        checkDevice(true);
        throw SerialError::outputFull();
    }
    port_->flush();
    checkDevice(true);
}

void SerialDevicePort::waitForInput(int ms)
{
    if (!active()) {
        systemClock().sleepUs(int64_t(ms) * 1000);
        return;
    }
    port_->waitForReadyRead(ms);
    checkDevice(false);
}

void SerialDevicePort::waitForOutput(int ms)
{
    if (!active() || port_->bytesToWrite() == 0)
        return;
    port_->waitForBytesWritten(ms);
    checkDevice(true);
}

void SerialDevicePort::setPortName(const QString& name)
{
    if (active())
        throw SerialError::portIsOpen();
    name_ = name;
}

void SerialDevicePort::setBaudRate(int baud)
{
    baud_ = baud;
    if (port_)
        applyLineSettings();
}

void SerialDevicePort::setParity(Parity p)
{
    parity_ = p;
    if (port_)
        applyLineSettings();
}

void SerialDevicePort::setDataBits(int bits)
{
    dataBits_ = bits;
    if (port_)
        applyLineSettings();
}

void SerialDevicePort::setStopBits(int bits)
{
    stopBits_ = bits;
    if (port_)
        applyLineSettings();
}

void SerialDevicePort::applyLineSettings()
{
    port_->setBaudRate(baud_);
    port_->setParity(parity_ == Parity::None  ? QSerialPort::NoParity
                     : parity_ == Parity::Odd ? QSerialPort::OddParity
                                              : QSerialPort::EvenParity);
    port_->setDataBits(dataBits_ == 5   ? QSerialPort::Data5
                       : dataBits_ == 6 ? QSerialPort::Data6
                       : dataBits_ == 7 ? QSerialPort::Data7
                                        : QSerialPort::Data8);
    port_->setStopBits(stopBits_ == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    port_->clearError();
}

} // namespace zentrova
