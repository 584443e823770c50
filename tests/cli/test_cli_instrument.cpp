// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// zentrova-cli export, receive and identify, run as programs against a
// structure file and the simulated tester.
#include "base/Progress.h"
#include "structure/Export.h"
#include "structure/StructureFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

namespace zentrova::test {
namespace {

struct Result {
    int code = -1;
    QByteArray out, err;
};

class CliInstrument : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli");
        ASSERT_TRUE(QFile::exists(built));
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(built, exe_));
    }
    Result run(const QStringList& args)
    {
        QProcess p;
        p.start(exe_, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }
    // Starts the simulated tester with the demo memory and extra statements;
    // returns its device.
    QString startSim(const QStringList& statements = {}, const QStringList& options = {})
    {
        QStringList args{QStringLiteral("--scenario"), QStringLiteral(ZENTROVA_DATA_DIR "/demo-scenario"),
                         QStringLiteral("--idle-exit"), QStringLiteral("30")};
        args << options;
        for (const QString& s : statements)
            args << QStringLiteral("--set") << s;
        sim_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-sim"), args);
        if (!sim_.waitForStarted(5000) || !sim_.waitForReadyRead(5000))
            return {};
        return QString::fromLocal8Bit(sim_.readLine()).trimmed();
    }
    void TearDown() override
    {
        sim_.kill();
        sim_.waitForFinished(5000);
    }

    ProgramDir dir_;
    QString exe_;
    QProcess sim_;
};

TEST_F(CliInstrument, ReceiveEverythingThenExportTheSameBytesAsTheProgram)
{
    const QString device = startSim();
    ASSERT_FALSE(device.isEmpty());
    const QString file = dir_.file(QStringLiteral("memory.ZIT"));
    const QString trace = dir_.file(QStringLiteral("trace.txt"));
    const Result r = run({QStringLiteral("receive"), QStringLiteral("--port"), device, QStringLiteral("-o"), file,
                          QStringLiteral("--trace"), trace});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out, "39 results received into " + QFile::encodeName(file) + "\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    EXPECT_TRUE(dir_.readFile(QStringLiteral("trace.txt")).find("MWH") != std::string::npos);

    // The file reads back with the demo memory's 39 results.
    LoadedProgram p;
    NullProgress quiet;
    StructureView view;
    FileEnv env{*p.ctx, quiet, view};
    p.prompts.allowAnyMessage();
    ASSERT_EQ(readStructureFile(env, file).outcome, ReadOutcome::Read);
    EXPECT_EQ(p.ctx->document.structure.table.rowCount(), 40);
    EXPECT_EQ(p.ctx->document.structure.tree.roots().size(), 5u);

    const QString txt = dir_.file(QStringLiteral("memory.txt"));
    const Result e = run({QStringLiteral("export"), file, QStringLiteral("-o"), txt, QStringLiteral("--delimiter"),
                          QStringLiteral("semicolon"), QStringLiteral("--eol"), QStringLiteral("lf")});
    ASSERT_EQ(e.code, 0) << e.err.constData();
    ExportFormat f;
    f.column = ExportFormat::Semicolon;
    f.row = ExportFormat::Lf;
    NullProgress progress;
    EXPECT_EQ(dir_.readFile(QStringLiteral("memory.txt")), exportText(p.ctx->language, p.ctx->document, f, progress));
}

TEST_F(CliInstrument, StopAfterSeventeenOfTwentyKeepsThoseReceived)
{
    const QString device = startSim({QStringLiteral("count 20"), QStringLiteral("fault stop-after 17")});
    ASSERT_FALSE(device.isEmpty());
    const QString file = dir_.file(QStringLiteral("part.ZIT"));
    const Result r = run({QStringLiteral("receive"), QStringLiteral("--port"), device, QStringLiteral("-o"), file});
    EXPECT_EQ(r.code, 3);
    // Said once, by the transfer; no summary, as not everything came.
    EXPECT_EQ(r.err, "zentrova-cli: Not all measurements were received: 17/20\n");
    EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    EXPECT_TRUE(QFile::exists(file));
}

// What the tool says and returns when the instrument is not one it can read
// from, or sends nothing after the exchange started.
TEST_F(CliInstrument, ExitCodesSayWhatHappened)
{
    const struct {
        const char* what;
        QStringList statements;
        const char* command;
        int code;
        const char* says;
        bool fileWritten;
        int lines; // on stderr; 0: not counted
    } cases[] = {
        // The exchange's start is given up at once, without the window's question.
        {"no answer", {QStringLiteral("fault silent MRD")}, "receive", 2, "no instrument answered on", false, 1},
        {"garbled identification",
         {QStringLiteral("fault garbage MWH \"xx\"")},
         "receive",
         2,
         "its identification was not valid",
         false,
         0},
        {"another kind", {QStringLiteral("type 370")}, "receive", 2, "another kind answered on", false, 0},
        {"another kind", {QStringLiteral("type 370")}, "identify", 2, "type code 370", false, 0},
        {"no record of those announced",
         {QStringLiteral("fault silent MRE")},
         "receive",
         3,
         "Not all measurements were received: 0/39",
         true,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString device = startSim(c.statements);
        ASSERT_FALSE(device.isEmpty());
        const QString file = dir_.file(QStringLiteral("out.ZIT"));
        QFile::remove(file);
        QStringList args{QString::fromLatin1(c.command), QStringLiteral("--port"), device};
        if (QLatin1String(c.command) == QLatin1String("receive"))
            args << QStringLiteral("-o") << file;
        const Result r = run(args);
        EXPECT_EQ(r.code, c.code) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.constData();
        EXPECT_FALSE(r.err.contains("Choose No")) << r.err.constData();
        if (c.lines > 0) {
            EXPECT_EQ(r.err.count('\n'), c.lines) << r.err.constData();
        }
        EXPECT_TRUE(r.out.isEmpty() || QLatin1String(c.command) == QLatin1String("identify")) << r.out.constData();
        EXPECT_EQ(QFile::exists(file), c.fileWritten);
        TearDown();
    }
}

// The simulator's help documents its statements; a stopped simulator takes
// its --link name with it, so a COM entry never points at a dead device.
TEST_F(CliInstrument, SimulatorHelpAndLink)
{
    QProcess help;
    help.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-sim"), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    for (const char* statement : {"record B E F", "generate N", "fault stop-after N", "fault truncate N K"})
        EXPECT_TRUE(text.contains(statement)) << statement;

    for (const int stop : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(stop);
        const QString link = dir_.file(QStringLiteral("COM7"));
        const QString device = startSim({}, {QStringLiteral("--link"), link});
        ASSERT_FALSE(device.isEmpty());
        EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);
        ASSERT_EQ(::kill(pid_t(sim_.processId()), stop), 0);
        ASSERT_TRUE(sim_.waitForFinished(5000));
        EXPECT_FALSE(QFileInfo(link).isSymLink());
    }
}

TEST_F(CliInstrument, IdentifyShowsControlBytesAsSpaces)
{
    const QString device = startSim({QStringLiteral("text 1 \"Zentrova\\x1b[2J IT\"")});
    ASSERT_FALSE(device.isEmpty());
    const Result r = run({QStringLiteral("identify"), QStringLiteral("--port"), device});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_FALSE(r.out.contains('\x1b'));
    EXPECT_TRUE(r.out.contains("instrument: Zentrova [2J IT\n")) << r.out.constData();
}

TEST_F(CliInstrument, PortLockedByAnotherProgramIsNamed)
{
    const QString device = startSim();
    ASSERT_FALSE(device.isEmpty());
    // The test holds the device as a terminal program would.
    const int held = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    std::string name;
    std::ifstream self("/proc/self/comm");
    std::getline(self, name);
    const Result r = run({QStringLiteral("receive"), QStringLiteral("--port"), device, QStringLiteral("-o"),
                          dir_.file(QStringLiteral("x.ZIT"))});
    ::close(held);
    EXPECT_EQ(r.code, 2);
    const std::string holder = name + " (pid " + std::to_string(::getpid()) + ")";
    EXPECT_TRUE(r.err.contains(QByteArray("The port is in use by another program: ") + holder.c_str()))
        << r.err.constData();
}

TEST_F(CliInstrument, IdentifyAndUsage)
{
    const QString device = startSim();
    ASSERT_FALSE(device.isEmpty());
    const Result r = run({QStringLiteral("identify"), QStringLiteral("--port"), device});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("serial: 21480173")) << r.out.constData();

    EXPECT_EQ(run({QStringLiteral("receive"), QStringLiteral("-o"), QStringLiteral("x")}).code, 1);
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("a"), QStringLiteral("-o"), QStringLiteral("b"),
                   QStringLiteral("--eol"), QStringLiteral("crcr")})
                  .code,
              1);
    EXPECT_EQ(run({QStringLiteral("receive"), QStringLiteral("--port"), QStringLiteral("/dev/null-nothing"),
                   QStringLiteral("-o"), dir_.file(QStringLiteral("x.ZIT"))})
                  .code,
              2);
}

} // namespace
} // namespace zentrova::test
