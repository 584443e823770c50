// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Progress.h"
#include "comm/Port.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zentrova::test {

// A serial port driven by the test, on a clock of its own: bytes are
// scheduled to arrive at given moments, waits move the clock on instead of
// sleeping, and everything written is kept. An optional responder sees each
// write and schedules the instrument's answer.
class ScriptedPort : public Port, public Clock {
public:
    // Clock: microseconds since the start of the test.
    int64_t nowUs() override { return now_; }
    void sleepUs(int64_t us) override
    {
        ++wakeUps;
        advanceTo(now_ + std::max<int64_t>(us, 0));
    }
    // Sleeps and waits for input so far: the times the program was woken.
    int wakeUps = 0;

    // `bytes` arrive `afterMs` from now, each `gapMs` after the previous one.
    void deliver(const std::string& bytes, int afterMs = 0, int gapMs = 0);
    // Bytes in the input queue already (as if they came before the open).
    void preload(const std::string& bytes) { input_ += bytes; }

    std::function<void(const std::string&)> onWrite;
    std::string written;             // every byte written, in order
    std::vector<std::string> writes; // one entry per write call
    int opens = 0;
    int closes = 0;
    int purges = 0;
    // The next open fails with this error number (0: it works).
    int failOpenWith = 0;
    // Asked at every open: an error number to fail with, or 0.
    std::function<int(const QString& name, int baud)> openError;
    // The next call after this many writes raises "device lost".
    int loseAfterWrites = -1;
    // The next write after this many writes raises a (non-lost) write error.
    int failWriteAfter = -1;

    void open() override;
    bool active() const override { return open_; }
    void close() override;
    void purge() override;
    int inputCount() override;
    int outputCount() override { return 0; }
    int read(char* buffer, int n) override;
    void write(const char* buffer, int n) override;
    void waitForInput(int ms) override;
    void waitForOutput(int) override {}

    void setPortName(const QString& name) override { name_ = name; }
    QString portName() const override { return name_; }
    void setBaudRate(int baud) override { baud_ = baud; }
    int baudRate() const override { return baud_; }
    void setParity(Parity p) override { parity_ = p; }
    void setDataBits(int bits) override { dataBits_ = bits; }
    void setStopBits(int bits) override { stopBits_ = bits; }
    Parity parity() const { return parity_; }
    int dataBits() const { return dataBits_; }
    int stopBits() const { return stopBits_; }

    // Bytes still scheduled or queued (what the program has not read).
    size_t pending() const;

private:
    void advanceTo(int64_t t);
    void checkLost();
    struct Arrival {
        int64_t at;
        char byte;
    };
    std::deque<Arrival> schedule_;
    std::string input_;
    int64_t now_ = 0;
    bool open_ = false;
    bool lost_ = false;
    QString name_ = QStringLiteral("COM1");
    int baud_ = 9600;
    Parity parity_ = Parity::Odd;
    int dataBits_ = 7;
    int stopBits_ = 1;
};

// Answers like an instrument of the family on a scripted port: "MRD"/"MEX"
// acknowledgements, "MWH", "MNU", "MSS" and "MRE" from a list of records.
struct ScriptedInstrument {
    explicit ScriptedInstrument(ScriptedPort& port);
    std::string identificationPayload; // type code and texts
    int announcedCount = -1;           // -1: the number of records
    std::vector<std::string> records;  // record bodies, in the order sent
    int silentAfterRecords = -1;       // stop answering "MRE" after this many
    bool answerMrd = true;
    std::vector<std::string> commands; // as received
    static std::string payload(unsigned typeCode, const std::vector<std::string>& texts);

private:
    void handle(const std::string& bytes);
    ScriptedPort& port_;
    std::string pendingInput_;
    size_t next_ = 0;
};

// Progress that records what it was told; Cancel can be pressed by the test
// or when the gauge reaches a value.
class RecordingProgress : public Progress {
public:
    void show(const std::string& caption, const std::string& line1, bool cancellable) override;
    void setLine2(const std::string& text) override { lines2.push_back(text); }
    void setPosition(int percent) override;
    void hide() override
    {
        ++hides;
        shown = false;
    }
    // Cancel, or a Cancel the test presses once `cancelWhen` holds.
    bool cancelRequested() const override { return cancel || (cancelWhen && cancelWhen()); }

    std::vector<std::string> captions, lines2;
    std::vector<int> positions;
    int hides = 0;
    bool shown = false;
    bool cancel = false;
    int cancelAtPosition = -1; // presses Cancel when the gauge shows this
    std::function<bool()> cancelWhen;
};

} // namespace zentrova::test
