// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <array>
#include <map>
#include <string>
#include <vector>

namespace sim {

// The family's records carry no object number.
constexpr int PositionDepth = 1;

// What the simulated instrument holds and how it misbehaves. The text format
// is described at the top of data/demo-scenario.
struct CommandFault {
    int silent = 0;       // no reply this many times (-1: never a reply)
    int status = 0;       // acknowledgement status to send instead of 0
    int statusTimes = -1; // ... this many times (-1: always)
    std::string garbage;  // bytes sent instead of the reply (once set: always)
    bool hasGarbage = false;
    int slowMs = 0;     // pause between the bytes of the reply
    int slowBytes = -1; // ... between the first this many bytes (-1: all)
};

struct Scenario {
    unsigned type = 114;
    std::array<std::string, 10> texts;
    std::vector<std::string> records; // record bodies
    int count = -1;                   // announced by "MNU"; -1: the number of records
    int baud = 0;                     // 0: no pacing
    // How paced bytes reach the program: each when it has crossed the line
    // (Uart), gathered as a USB-serial adapter hands them over (Usb: at the
    // latest `usbLatencyMs` after the first waiting byte, or as soon as
    // `usbPacket` bytes wait), or a whole reply once its last byte is due (Burst).
    enum class Delivery { Uart, Usb, Burst };
    Delivery delivery = Delivery::Uart;
    int usbLatencyMs = 16;
    int usbPacket = 62;
    int stale = 0;
    int stopAfter = -1;
    int hangupAfter = -1;
    int truncateRecord = -1; // 1-based
    int truncateKeep = 0;
    int identSize = -1;
    std::map<std::string, CommandFault> faults;

    // "uart", "usb" or "burst"; false for another word.
    static bool deliveryFromName(const std::string& name, Delivery& delivery);

    // One statement; false with `error` set when it cannot be read.
    bool apply(const std::string& line, std::string& error);
    // Every statement of a file; false with "file:line: error".
    bool load(const std::string& path, std::string& error);

    std::string identificationPayload() const;
    int announcedCount() const { return count >= 0 ? count : int(records.size()); }
};

} // namespace sim
