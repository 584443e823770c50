// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace zentrova {

class SerialError;
class Settings;

// The port list keeps its sixteen entries "COM1".."COM16"; on this system
// each entry stands for a serial device. The user may point any entry at a
// device path ([PORTS] COMn=/dev/ttyUSB0 in ZENTRO.INI); the entries without
// such a choice are filled with the serial devices present.
constexpr int PortEntryCount = 16;

struct SerialDevice {
    QString path;        // what an entry stands for: a USB adapter's /dev/serial/by-id link, else the device
    QString systemPath;  // the device node itself, /dev/ttyUSB0
    QString description; // the driver's or adapter's description, may be empty
};

// USB adapters first (/dev/ttyUSB*, then /dev/ttyACM*), then other devices,
// then the built-in /dev/ttyS* ports; numbers in their natural order
// (ttyUSB2 before ttyUSB10).
std::vector<SerialDevice> orderSerialDevices(std::vector<SerialDevice> devices);

// The serial devices of this system, ordered. Built-in ports with no UART
// behind them (the driver reports type 0) are left out.
std::vector<SerialDevice> presentSerialDevices();

// The device of each entry: the user's choice where there is one, otherwise
// the next present device that no choice names, in order.
std::array<QString, PortEntryCount> assignPortDevices(const std::array<QString, PortEntryCount>& chosen,
                                                      const std::vector<SerialDevice>& present);

// "COM" followed by the digits of n.
QString portEntryName(int portNumber);
// n for "COMn" with 1 <= n <= 16, else 0.
int portNumberOf(const QString& name);

// What a path the user gives for an entry names. Links are followed, so a
// /dev/serial/by-id name counts as the device it points at.
enum class DeviceCheck {
    CharacterDevice, // a serial adapter, a Bluetooth rfcomm device, a pseudo-terminal, ...
    Missing,         // nothing there (or not an absolute path)
    NotCharacterDevice,
};
DeviceCheck checkDevicePath(const QString& path);

class PortDirectory {
public:
    using Scan = std::function<std::vector<SerialDevice>()>;
    explicit PortDirectory(const Settings& settings, Scan scan = presentSerialDevices);

    // The device each entry stands for now (empty: nothing behind the entry).
    std::array<QString, PortEntryCount> devices() const;
    // For "COMn" the entry's device; a path is returned as it is.
    QString resolve(const QString& portName) const;
    // The user's choice for entry n (1-based), empty when none.
    QString chosenDevice(int portNumber) const;
    // Points entry n at `path`; an empty path gives the entry back to the
    // automatic assignment.
    void setChosenDevice(int portNumber, const QString& path) const;

private:
    const Settings& settings_;
    Scan scan_;
};

// A second line for an open failure: for a device the user may not open, the
// group that owns it and how to join it. Empty when there is no advice.
std::string openFailureAdvice(const SerialError& error);

} // namespace zentrova
