// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/LogRecorder.h"
#include "comm/Port.h"

#include <QElapsedTimer>
#include <QFile>

namespace zentrova {

// Passes every call to another port and, while a trace file is set, appends
// what went over the line to it: one line per read or write with the time
// since the port was opened, the bytes in hex and as text, and the failures.
// Meant for looking at what an instrument really sends.
class TracingPort final : public Port {
public:
    explicit TracingPort(Port& inner) : inner_(inner) {}
    ~TracingPort() override;

    // The file to append to from the next open on; empty stops tracing.
    void setTraceFile(const QString& path) { path_ = path; }
    const QString& traceFile() const { return path_; }
    Port& inner() { return inner_; }
    // Keeps the trace in memory as well (its latest lines), from the next
    // open on, for a log of a transfer that went wrong; false stops and
    // forgets it.
    void keepTrace(bool keep);
    std::string keptTrace() const { return kept_.text(); }

    void open() override;
    bool active() const override { return inner_.active(); }
    void close() override;
    void purge() override;
    int inputCount() override
    {
        return guard([&] { return inner_.inputCount(); });
    }
    int outputCount() override
    {
        return guard([&] { return inner_.outputCount(); });
    }
    int read(char* buffer, int n) override;
    void write(const char* buffer, int n) override;
    void waitForInput(int ms) override
    {
        guard([&] {
            inner_.waitForInput(ms);
            return 0;
        });
    }
    void waitForOutput(int ms) override
    {
        guard([&] {
            inner_.waitForOutput(ms);
            return 0;
        });
    }

    void setPortName(const QString& name) override { inner_.setPortName(name); }
    QString portName() const override { return inner_.portName(); }
    void setBaudRate(int baud) override { inner_.setBaudRate(baud); }
    int baudRate() const override { return inner_.baudRate(); }
    void setParity(Parity p) override { inner_.setParity(p); }
    void setDataBits(int bits) override { inner_.setDataBits(bits); }
    void setStopBits(int bits) override { inner_.setStopBits(bits); }

    // "4D 52 44 00 | MRD." : the bytes in hex, then as text with a dot for
    // every byte that is not printable.
    static std::string hexLine(const char* data, int n);

private:
    template <class F>
    int guard(F f)
    {
        try {
            return f();
        } catch (const SerialError& e) {
            note(std::string("! ") + e.what());
            throw;
        }
    }
    void note(const std::string& line);
    void bytes(char direction, const char* data, int n);
    bool tracing() const { return file_.isOpen() || keeping_; }

    Port& inner_;
    QString path_;
    QFile file_;
    QElapsedTimer since_;
    bool keeping_ = false;
    RecentLines kept_;
};

} // namespace zentrova
