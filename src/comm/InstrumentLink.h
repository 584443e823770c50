// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/PortSettings.h"

#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

namespace zentrova {

class Port;
class PortDirectory;
class Settings;
class TracingPort;
class SerialDevicePort;

// Instrument lines 5..7 of the last valid identification, each at most 50
// bytes: they outlive a bad identification reply.
using ExtraLines = std::array<std::string, 3>;

// The program's connection to the instrument, for the whole run: the serial
// port object, the COM entries in force, what the last identification left
// behind, and whether a serial operation is running.
class InstrumentLink {
public:
    // The program's own port: QSerialPort behind the sixteen COM entries of
    // `settings` ([PORTS]), traced when a trace file is set.
    explicit InstrumentLink(const Settings& settings);
    // A port supplied by the caller (a scripted port, an already made one).
    explicit InstrumentLink(Port& port);
    ~InstrumentLink();

    // The port every operation uses.
    Port& port();
    // The entries' devices; null when the port was supplied.
    const PortDirectory* directory() const { return directory_.get(); }

    // The COM dialog's selection in force (applied to the port).
    PortChoice selection;
    // Makes `choice` the selection and applies it to the port.
    void select(const PortChoice& choice);
    ExtraLines instrumentExtraLines;

    // Appends a trace of every exchange to `path` (empty: no trace).
    void setTraceFile(const QString& path);
    QString traceFile() const;
    // Keeps the trace in memory as well, for the log of a transfer that
    // went wrong (TracingPort::keepTrace); false forgets it.
    void keepTrace(bool keep);
    std::string keptTrace() const;
    // The trace file the settings ask for: [PORTS] Trace.
    void loadTraceSetting(const Settings& settings);

    // One serial operation at a time: while one runs, the others refuse to
    // start and the windows disable the commands that would start them.
    bool busy() const { return busy_; }
    std::function<void(bool)> busyChanged;

    class BusyScope {
    public:
        explicit BusyScope(InstrumentLink& link);
        ~BusyScope();
        bool acquired() const { return acquired_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        InstrumentLink& link_;
        bool acquired_;
    };

private:
    std::unique_ptr<PortDirectory> directory_;
    std::unique_ptr<SerialDevicePort> serial_;
    std::unique_ptr<TracingPort> traced_;
    std::atomic<bool> busy_ = false;
};

struct LanguageContext;

// The first activation's COM set-up: COM1 and the profile's default rate
// unless [SETUP] COM and BAUD name valid entries, applied to the port; and
// the trace file of [PORTS] Trace.
void setUpComPort(const LanguageContext& ctx, InstrumentLink& link);

} // namespace zentrova
