// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Transfers from zentrova-sim over a pseudo-terminal, through the real
// serial port object: the path a real instrument takes.
#include "ScriptedPort.h"
#include "base/TextRules.h"
#include "comm/InstrumentData.h"
#include "comm/InstrumentLink.h"
#include "comm/PortDirectory.h"
#include "comm/Receive.h"
#include "comm/SerialDevicePort.h"
#include "comm/windows/PortDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <fcntl.h>
#include <fstream>
#include <set>
#include <sys/file.h>
#include <unistd.h>

namespace zentrova::test {
namespace {

// The measurements stored in data/demo-scenario: blocks 1 to 4, then block 5
// with a record of every function.
constexpr int DemoRecords = 39;

// One simulated instrument for one test; it ends with the test.
class Sim {
public:
    explicit Sim(QStringList args, bool demo = true)
    {
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-sim");
        if (demo)
            args << QStringLiteral("--scenario") << QStringLiteral(ZENTROVA_DATA_DIR "/demo-scenario");
        args << QStringLiteral("--idle-exit") << QStringLiteral("30") << QStringLiteral("--log") << logPath();
        process_.start(program, args);
        if (!process_.waitForStarted(5000) || !process_.waitForReadyRead(5000))
            return;
        device = QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    ~Sim()
    {
        process_.kill();
        process_.waitForFinished(5000);
    }
    QString logPath() const { return dir_.filePath(QStringLiteral("requests.log")); }
    std::vector<std::string> requests() const
    {
        QFile f(logPath());
        std::vector<std::string> out;
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray& line : f.readAll().split('\n'))
                if (!line.isEmpty())
                    out.push_back(line.toStdString());
        return out;
    }
    int count(const std::string& cmd) const
    {
        const auto r = requests();
        return int(std::count(r.begin(), r.end(), cmd));
    }
    QString device;

private:
    QTemporaryDir dir_;
    QProcess process_;
};

QStringList set(std::initializer_list<const char*> statements)
{
    QStringList args;
    for (const char* s : statements)
        args << QStringLiteral("--set") << QString::fromLatin1(s);
    return args;
}

struct EndToEnd : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    SerialDevicePort serial;
    InstrumentLink link{serial};
    RecordingProgress progress;

    void SetUp() override { resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames); }
    ReceiveOutcome receive(const Sim& sim)
    {
        EXPECT_FALSE(sim.device.isEmpty()) << "the simulator did not start";
        serial.setPortName(sim.device);
        serial.setBaudRate(115200);
        ReceiveHooks hooks;
        hooks.querySaveChanges = [] { return true; };
        return receiveResults(ctx, link, progress, hooks);
    }
    std::string missing(int done, int count) const
    {
        return ctx.language.texts.text("MeasuresMissing_30") + "\r" + std::to_string(done) + "/" +
               std::to_string(count);
    }
};

TEST_F(EndToEnd, DemoMemoryArrivesInPositionOrderWithTrace)
{
    Sim sim({});
    QTemporaryDir traceDir;
    const QString trace = traceDir.filePath(QStringLiteral("trace.txt"));
    link.setTraceFile(trace);
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Received);
    EXPECT_EQ(out.count, DemoRecords);
    EXPECT_EQ(out.done, DemoRecords);
    EXPECT_TRUE(program.prompts.messages.empty());
    const ResultTable& t = ctx.document.structure.table;
    ASSERT_EQ(t.rowCount(), DemoRecords + 1);
    EXPECT_EQ(nthLine(t.cell(1, 0), 4), "21480173");
    for (int r = 2; r < t.rowCount(); ++r) {
        const auto key = [&](int row) {
            return std::make_pair(digitsValue(nthLine(t.cell(1, row), 2)), digitsValue(nthLine(t.cell(1, row), 3)));
        };
        EXPECT_LE(key(r - 1), key(r)) << "row " << r;
    }
    // The repeated measurement of block 1, element 1 follows the first one.
    EXPECT_EQ(t.cell(4, 1), "50150842.6");
    EXPECT_EQ(t.cell(4, 4), "50150844.1\r52050848.3");
    // Every function of the family is in the demo memory.
    std::set<long> functions;
    for (int r = 1; r < t.rowCount(); ++r)
        functions.insert(functionCodeOf(t, r));
    EXPECT_EQ(functions, (std::set<long>{500, 501, 502, 503, 504, 505, 506, 507}));
    ASSERT_EQ(ctx.document.structure.tree.roots().size(), 5u);
    EXPECT_EQ(ctx.document.structure.tree.roots()[1]->children().size(), 4u);
    EXPECT_EQ(sim.requests().front(), "MRD");
    EXPECT_EQ(sim.requests().back(), "MEX");
    EXPECT_FALSE(serial.active());

    QFile f(trace);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.contains("> 4D 52 44 00 | MRD.")) << text.left(400).constData();
    EXPECT_TRUE(text.contains("< 53 45 52 01 00 | SER..")) << text.left(400).constData();
}

TEST_F(EndToEnd, CountZeroWithImmediateEndMakesNewStructure)
{
    Sim sim(set({"type 114", "text 1 \"Empty tester\""}), false);
    ctx.document.saved = false;
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Received);
    EXPECT_TRUE(program.prompts.messages.empty());
    ASSERT_EQ(ctx.document.structure.tree.roots().size(), 1u);
    EXPECT_EQ(ctx.document.structure.tree.first()->info.kind, KindObject);
    // The new structure empties row 0 again.
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 1);
    EXPECT_EQ(ctx.document.structure.table.cell(1, 0), "");
    EXPECT_TRUE(ctx.document.saved);
    EXPECT_EQ(out.resultsView, 0);
    EXPECT_EQ(progress.positions.back(), 100);
    EXPECT_EQ(sim.count("MRE"), 1);
}

TEST_F(EndToEnd, StopAfter17Of20)
{
    Sim sim(set({"generate 20", "fault stop-after 17"}), false);
    program.prompts.expectMessage(MbOK);
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Incomplete);
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0], missing(17, 20));
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 18);
    EXPECT_EQ(sim.requests().back(), "MEX");
}

TEST_F(EndToEnd, SilentInstrumentAnsweredNoThenYes)
{
    Sim sim(set({"fault silent MRD"}));
    program.prompts.expectMessage(MbNo);
    program.prompts.expectMessage(MbYes);
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::NotAnswered);
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"MRD", "MRD", "MEX"}));
    ASSERT_EQ(ctx.document.structure.tree.roots().size(), 1u); // untouched
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 1);
    EXPECT_EQ(progress.hides, 1);
}

TEST_F(EndToEnd, MoreThan1900StaleBytesCostOneQuestion)
{
    Sim sim(set({"fault stale 2500"}));
    program.prompts.expectMessage(MbNo);
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Received);
    EXPECT_EQ(out.done, DemoRecords);
    EXPECT_EQ(sim.count("MRD"), 2);
}

TEST_F(EndToEnd, ErrorStatusOnceThenAccepted)
{
    Sim sim(set({"fault status MRD 9 1"}));
    program.prompts.expectMessage(MbNo);
    EXPECT_EQ(receive(sim).done, DemoRecords);
}

TEST_F(EndToEnd, BytesNineHundredMillisecondsApartAreReadCompletely)
{
    // The identification's header: five bytes over 3.6 s, read with a 1 s
    // idle time-out.
    Sim sim(set({"fault slow 900 MWH 5"}));
    const ReceiveOutcome out = receive(sim);
    EXPECT_TRUE(out.identified);
    EXPECT_EQ(out.done, DemoRecords);
    EXPECT_EQ(nthLine(ctx.document.structure.table.cell(1, 0), 1), "Zentrova IT 5kV");
}

TEST_F(EndToEnd, CancelDuringRecordsStillSendsMex)
{
    Sim sim(set({"generate 300"}), false);
    progress.cancelAtPosition = 30;
    program.prompts.allowAnyMessage();
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Incomplete);
    EXPECT_GE(out.done, 89);
    EXPECT_LT(out.done, 300);
    EXPECT_EQ(ctx.document.structure.table.rowCount(), out.done + 1);
    EXPECT_EQ(sim.requests().back(), "MEX");
    EXPECT_FALSE(serial.active());
}

TEST_F(EndToEnd, UnpluggedMidTransferGivesOneMessageAndKeepsRows)
{
    Sim sim(set({"generate 30", "fault hangup-after 12"}), false);
    program.prompts.expectMessage(MbOK);
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Incomplete);
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    const std::string& m = program.prompts.messages[0];
    EXPECT_EQ(m.rfind("11: COMM ERROR\r", 0), 0u) << m;
    EXPECT_NE(m.find(missing(12, 30)), std::string::npos) << m;
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 13);
    EXPECT_FALSE(ctx.document.structure.tree.empty());
    EXPECT_FALSE(serial.active());
}

TEST_F(EndToEnd, OtherInstrumentTypeGivesIdentificationOnly)
{
    Sim sim(set({"type 370"}));
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::OtherInstrument);
    EXPECT_EQ(sim.count("MSS"), 0);
    EXPECT_EQ(sim.count("MRE"), 0);
    EXPECT_EQ(sim.requests().back(), "MEX");
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 1);
    EXPECT_EQ(nthLine(ctx.document.structure.table.cell(1, 0), 1), "Zentrova IT 5kV");
}

TEST_F(EndToEnd, OversizedIdentificationDoesNotSpoilTheCount)
{
    Sim sim(set({"fault ident-size 700"}));
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(nthLine(ctx.document.structure.table.cell(1, 0), 1), "Zentrova IT 5kV");
    EXPECT_EQ(out.count, DemoRecords);
    EXPECT_EQ(out.done, DemoRecords);
}

TEST_F(EndToEnd, GarbledCountReadsUntilTheInstrumentSaysNoMore)
{
    Sim sim(set({"fault garbage MNU \"XXXXXX\""}));
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.count, 0);
    EXPECT_EQ(out.done, DemoRecords);
    EXPECT_TRUE(program.prompts.messages.empty());
}

TEST_F(EndToEnd, TruncatedRecordEndsTheTransfer)
{
    Sim sim(set({"generate 10", "fault truncate 4 5"}), false);
    program.prompts.expectMessage(MbOK);
    const ReceiveOutcome out = receive(sim);
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0], missing(3, 10));
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 4);
}

TEST_F(EndToEnd, InstrumentDataFromTheSimulator)
{
    Sim sim({});
    serial.setPortName(sim.device);
    const InstrumentDataOutcome out = receiveInstrumentData(ctx, link, progress);
    ASSERT_TRUE(out.exchanged);
    EXPECT_EQ(out.view.instrument.size(), 7u);
    EXPECT_EQ(out.view.instrument[3], "FW 2.14");
    EXPECT_EQ(out.view.firm.size(), 3u);
    EXPECT_EQ(sim.requests(), (std::vector<std::string>{"MRD", "MWH", "MEX"}));
}

// Paced as a 115,200-baud line, however the adapter hands the bytes over:
// every record arrives, in the same rows as from an unpaced instrument.
struct DeliveryModes : EndToEnd, ::testing::WithParamInterface<const char*> {};

TEST_P(DeliveryModes, EveryRecordArrivesPacedAsTheAdapterDelivers)
{
    std::vector<std::string> unpaced;
    {
        Sim sim({});
        ASSERT_EQ(receive(sim).done, DemoRecords);
        for (int r = 0; r < ctx.document.structure.table.rowCount(); ++r)
            unpaced.push_back(ctx.document.structure.table.cell(4, r));
    }
    resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames);
    Sim sim({QStringLiteral("--baud"), QStringLiteral("115200"), QStringLiteral("--delivery"),
             QString::fromLatin1(GetParam())});
    const ReceiveOutcome out = receive(sim);
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Received);
    EXPECT_EQ(out.done, DemoRecords);
    EXPECT_TRUE(program.prompts.messages.empty());
    std::vector<std::string> paced;
    for (int r = 0; r < ctx.document.structure.table.rowCount(); ++r)
        paced.push_back(ctx.document.structure.table.cell(4, r));
    EXPECT_EQ(paced, unpaced);
}

INSTANTIATE_TEST_SUITE_P(Adapters, DeliveryModes, ::testing::Values("uart", "usb", "burst"),
                         [](const auto& info) { return std::string(info.param); });

TEST(EndToEndPorts, EntryPointedAtTheDeviceIsUsed)
{
    LoadedProgram program;
    Sim sim({});
    PortDirectory(program.ctx->language.settings).setChosenDevice(3, sim.device);
    InstrumentLink link(program.ctx->language.settings);
    link.select(PortChoice{2, 0});
    RecordingProgress progress;
    ReceiveHooks hooks;
    hooks.querySaveChanges = [] { return true; };
    EXPECT_EQ(receiveResults(*program.ctx, link, progress, hooks).done, DemoRecords);
}

TEST(EndToEndPorts, DevicePathTypedInTheComDialogIsUsedByTheNextTransfer)
{
    LoadedProgram program;
    Sim sim({});
    InstrumentLink link(program.ctx->language.settings);
    setUpComPort(program.ctx->language, link);
    PortDialog dialog(*program.ctx, link);
    dialog.show();
    dialog.portList()->setCurrentItem(dialog.portList()->topLevelItem(6)); // COM7
    dialog.deviceEdit()->setEditText(sim.device);
    dialog.okButton()->click();
    EXPECT_EQ(program.ctx->language.settings.readSetting("PORTS", "COM7", ""), sim.device.toStdString());
    RecordingProgress progress;
    ReceiveHooks hooks;
    hooks.querySaveChanges = [] { return true; };
    EXPECT_EQ(receiveResults(*program.ctx, link, progress, hooks).done, DemoRecords);
    EXPECT_EQ(link.port().portName(), QStringLiteral("COM7"));
}

TEST(EndToEndPorts, DeviceInUseIsRefusedWithTheSystemsReason)
{
    Sim sim({});
    SerialDevicePort first, second;
    first.setPortName(sim.device);
    second.setPortName(sim.device);
    first.open();
    try {
        second.open();
        FAIL() << "a second open succeeded";
    } catch (const SerialError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Unable to open specified device " + sim.device.toStdString() + " (16), Device or resource busy");
    }
    EXPECT_THROW(first.open(), SerialError);
    EXPECT_THROW(first.setPortName(QStringLiteral("COM2")), SerialError);
}

// A pseudo-terminal whose device the test holds open, as a terminal program
// holds the instrument's port.
class HeldTerminal {
public:
    HeldTerminal()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        device = QString::fromLocal8Bit(::ptsname(master_));
        slave_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
    }
    ~HeldTerminal()
    {
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }
    bool opened() const { return slave_ >= 0; }
    bool lock() { return ::flock(slave_, LOCK_EX | LOCK_NB) == 0; }
    void unlock() { ::flock(slave_, LOCK_UN); }
    QString device;

private:
    int master_ = -1, slave_ = -1;
};

TEST(EndToEndPorts, PortLockedByAnotherProgramIsRefusedWithItsHolder)
{
    LoadedProgram program;
    HeldTerminal terminal;
    ASSERT_TRUE(terminal.opened());
    ASSERT_TRUE(terminal.lock());
    std::string name;
    std::ifstream self("/proc/self/comm");
    ASSERT_TRUE(std::getline(self, name));
    const std::string holder = name + " (pid " + std::to_string(::getpid()) + ")";

    SerialDevicePort serial;
    serial.setPortName(terminal.device);
    try {
        serial.open();
        FAIL() << "a locked port opened";
    } catch (const SerialError& e) {
        EXPECT_TRUE(e.portBusy());
        EXPECT_EQ(e.holder(), holder);
        EXPECT_EQ(nthLine(commErrorText(program.ctx->language, e), 3),
                  program.ctx->language.texts.text("PortBusy_40") + " " + holder);
    }
    EXPECT_FALSE(serial.active());

    // Once free, the port opens and the program holds the lock itself.
    terminal.unlock();
    ASSERT_NO_THROW(serial.open());
    EXPECT_FALSE(terminal.lock());
    serial.close();
    EXPECT_TRUE(terminal.lock());
}

} // namespace
} // namespace zentrova::test
