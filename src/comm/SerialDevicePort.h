// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/Port.h"

#include <QSerialPort>
#include <functional>
#include <memory>
#include <string>

namespace zentrova {

// The program that holds an flock on `device`: "picocom (pid 1234)", "(pid
// 1234)" when its name cannot be read, empty when no holder is listed in
// /proc/locks.
std::string portLockHolder(const QString& device);

// The serial port object over QSerialPort: 8 data bits, no parity, two stop
// bits, no flow control, DTR and RTS off. Pseudo-terminals (and some USB
// adapters) refuse the modem-line calls with "inappropriate ioctl"; that is
// tolerated. The device is also locked with flock, as terminal programs lock
// it, so that one of them holding the port is told. Everything runs on the
// thread that opened the port, until it is closed: output is handed to the
// device as soon as it can take it, input is pulled in whenever it is counted.
class SerialDevicePort final : public Port {
public:
    // Turns a port name ("COM3") into the device to open; a path is opened as
    // it is. Without a resolver only paths can be opened.
    using Resolver = std::function<QString(const QString&)>;
    explicit SerialDevicePort(Resolver resolve = {});
    ~SerialDevicePort() override;

    static constexpr int OutputQueueSize = 2048;
    static constexpr int OutputWaitMs = 1000;

    void open() override;
    bool active() const override;
    void close() override;
    void purge() override;
    int inputCount() override;
    int outputCount() override;
    int read(char* buffer, int n) override;
    void write(const char* buffer, int n) override;
    void waitForInput(int ms) override;
    void waitForOutput(int ms) override;

    void setPortName(const QString& name) override;
    QString portName() const override { return name_; }
    void setBaudRate(int baud) override;
    int baudRate() const override { return baud_; }
    void setParity(Parity p) override;
    void setDataBits(int bits) override;
    void setStopBits(int bits) override;

    // The device opened last (the resolved path).
    QString device() const { return device_; }

private:
    void applyLineSettings();
    // After a call on the open port: a vanished device closes the port and
    // raises; anything else (a time-out of a poll) is cleared.
    void checkDevice(bool writing);
    bool lineDown() const;

    Resolver resolve_;
    std::unique_ptr<QSerialPort> port_; // while open
    QString name_ = QStringLiteral("COM1");
    QString device_;
    int baud_ = 9600;
    Parity parity_ = Parity::None;
    int dataBits_ = 8;
    int stopBits_ = 2;
};

} // namespace zentrova
