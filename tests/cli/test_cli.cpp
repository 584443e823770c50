// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// zentrova-cli, run as a program from a program folder of its own.
#include "base/Progress.h"
#include "comm/Receive.h"
#include "report/ReportPages.h"
#include "structure/Structure.h"
#include "structure/StructureFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zentrova::test {
namespace {

QString dataFile(const char* name)
{
    return QStringLiteral(ZENTROVA_TEST_DATA_DIR "/structure/") + QString::fromLatin1(name);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

struct CliRun {
    int code = -1;
    QByteArray out, err;
};

class CliTest : public ::testing::Test {
protected:
    // The program is copied beside a fresh copy of the language files, so it
    // never reads the build folder's settings.
    void SetUp() override
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli");
        ASSERT_TRUE(QFile::exists(built)) << "zentrova-cli is built beside the tests";
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(built, exe_));
    }

    CliRun run(const QStringList& args)
    {
        QProcess p;
        // As from a cron job: the drawing commands start Qt's GUI part, which
        // must not warn about the missing runtime folder.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        p.setProcessEnvironment(env);
        p.start(exe_, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    // The program with its standard output on `fd` (a full device, a pipe
    // without reader), which QProcess cannot give it; closed for -1.
    CliRun runInto(int fd, const QStringList& args)
    {
        const QByteArray errName = QFile::encodeName(dir_.file(QStringLiteral("stderr.txt")));
        std::vector<QByteArray> words{QFile::encodeName(exe_)};
        for (const QString& a : args)
            words.push_back(QFile::encodeName(a));
        std::vector<char*> argv;
        for (QByteArray& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (fd >= 0)
            posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
        else
            posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errName.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0);
        int status = 0;
        if (spawned != 0 || ::waitpid(pid, &status, 0) != pid)
            return {};
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}, bytesOf(QFile::decodeName(errName))};
    }

    ProgramDir dir_;
    QString exe_;
};

// The diagnostics are quiet unless -v, the setting or QT_LOGGING_RULES ask
// for them; -vv and LogLevel=2 also tell the files read.
TEST_F(CliTest, VerboseTellsWhatTheCommandDid)
{
    const QString out = dir_.file(QStringLiteral("out.TXT"));
    struct Case {
        const char* name;
        QStringList before; // options before the command
        const char* setting;
        const char* rules; // QT_LOGGING_RULES
        bool written, read;
    };
    for (const Case& c :
         {Case{"quiet", {}, nullptr, nullptr, false, false},
          Case{"-v", {QStringLiteral("-v")}, nullptr, nullptr, true, false},
          Case{"-vv", {QStringLiteral("-vv")}, nullptr, nullptr, true, true},
          Case{"setting", {}, "1", nullptr, true, false}, Case{"setting 2", {}, "2", nullptr, true, true},
          Case{"rules", {}, nullptr, "zentrova.file.info=true", true, false},
          Case{"rules over -v", {QStringLiteral("-v")}, nullptr, "zentrova.*=false", false, false}}) {
        SCOPED_TRACE(c.name);
        QFile::remove(dir_.file(QStringLiteral("ZENTRO.INI")));
        if (c.setting)
            dir_.writeFile(QStringLiteral("ZENTRO.INI"),
                           std::string("[DIAGNOSTICS]\r\nLogLevel=") + c.setting + "\r\n");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (c.rules)
            env.insert(QStringLiteral("QT_LOGGING_RULES"), QString::fromLatin1(c.rules));
        p.setProcessEnvironment(env);
        p.start(exe_,
                c.before + QStringList{QStringLiteral("export"), dataFile("full.ZIT"), QStringLiteral("-o"), out});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0);
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(err.contains("zentrova.file: written " + QFile::encodeName(out)), c.written) << err.constData();
        EXPECT_EQ(err.contains("zentrova.file: read "), c.read) << err.constData();
        EXPECT_EQ(err.contains("zentrova.file: structure read, "), c.written) << err.constData();
    }
}

TEST_F(CliTest, HelpAndUsage)
{
    struct Case {
        QStringList args;
        int code;
        const char* inOut;
        const char* inErr;
    };
    for (const Case& c : {Case{{"--help"}, 0, "dump FILE", ""}, Case{{"dump", "--help"}, 0, "JSON", ""},
                          Case{{"convert", "-h"}, 0, "-o OUT", ""}, Case{{}, 1, "", "Usage"},
                          Case{{"frobnicate"}, 1, "", "unknown command"}, Case{{"dump"}, 1, "", "exactly one FILE"},
                          Case{{"dump", "a", "b"}, 1, "", "exactly one FILE"}, Case{{"convert", "a"}, 1, "", "-o OUT"},
                          Case{{"convert", "a", "-o"}, 1, "", "-o needs"},
                          Case{{"report", "--help"}, 0, "the structure file holds", ""}}) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.out.contains(c.inOut)) << r.out.constData();
        EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.constData();
    }
}

// --format csv writes the values as File > Export CSV does; without it the
// export is the delimited text it always was.
TEST_F(CliTest, ExportFormatCsv)
{
    const QString csv = dir_.file(QStringLiteral("out.csv")), text = dir_.file(QStringLiteral("out.TXT"));
    CliRun r = run({QStringLiteral("export"), dataFile("full.ZIT"), QStringLiteral("-o"), csv,
                    QStringLiteral("--format"), QStringLiteral("CSV")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const std::string bytes = dir_.readFile(QStringLiteral("out.csv"));
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF"
                          "Block no.,Block,Element no.,Element,Function,Date,Time",
                          0),
              0u)
        << bytes;
    r = run({QStringLiteral("export"), dataFile("full.ZIT"), QStringLiteral("-o"), text, QStringLiteral("--format"),
             QStringLiteral("text")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    r = run(
        {QStringLiteral("export"), dataFile("full.ZIT"), QStringLiteral("-o"), dir_.file(QStringLiteral("plain.TXT"))});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(dir_.readFile(QStringLiteral("out.TXT")), dir_.readFile(QStringLiteral("plain.TXT")));
    for (const QStringList& bad : {QStringList{QStringLiteral("--format"), QStringLiteral("xls")},
                                   QStringList{QStringLiteral("--format"), QStringLiteral("csv"),
                                               QStringLiteral("--delimiter"), QStringLiteral("tab")}}) {
        r = run(QStringList{QStringLiteral("export"), dataFile("full.ZIT"), QStringLiteral("-o"), csv} + bad);
        EXPECT_EQ(r.code, 1) << bad.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains("--format")) << r.err.constData();
    }
    r = run({QStringLiteral("export"), QStringLiteral("--help")});
    EXPECT_TRUE(r.out.contains("--format csv")) << r.out.constData();
}

// The command list's summaries start in one column, however long a synopsis.
TEST_F(CliTest, CommandListIsAligned)
{
    const CliRun r = run({QStringLiteral("--help")});
    ASSERT_EQ(r.code, 0);
    const QList<QByteArray> lines = r.out.split('\n');
    const qsizetype first = lines.indexOf("Commands:") + 1;
    ASSERT_GT(first, 0) << r.out.constData();
    QList<qsizetype> columns;
    for (qsizetype i = first; i < lines.size() && !lines[i].isEmpty(); ++i) {
        const qsizetype gap = lines[i].indexOf("  ", 2);
        ASSERT_GT(gap, 2) << lines[i].constData();
        qsizetype column = gap;
        while (column < lines[i].size() && lines[i][column] == ' ')
            ++column;
        columns << column;
    }
    ASSERT_EQ(columns.size(), 11) << r.out.constData();
    EXPECT_EQ(columns.count(columns.front()), columns.size()) << r.out.constData();
}

TEST_F(CliTest, DumpGivesTheWholeStructure)
{
    const CliRun r = run({QStringLiteral("dump"), dataFile("full.ZIT")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QJsonObject d = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(d[u"family"].toInt(), 14);
    EXPECT_EQ(d[u"heading"][u"OP2"].toString(), QStringLiteral("Measuring Lab \u00e8rni")); // byte E8 in Windows-1252
    EXPECT_EQ(d[u"heading"][u"LogoText"].toInt(), 1);
    EXPECT_EQ(d[u"comments"].toArray().size(), 200);
    EXPECT_EQ(d[u"comments"][199].toString(), QStringLiteral("Last line 200"));
    EXPECT_EQ(d[u"autotest"].toArray().size(), 5);
    EXPECT_EQ(d[u"checks"].toString(), QStringLiteral("011"));
    EXPECT_FALSE(d[u"results_discarded"].toBool());
    const QJsonArray tree = d[u"tree"].toArray();
    ASSERT_EQ(tree.size(), 2);
    EXPECT_EQ(tree[0][u"selection"].toString(), QStringLiteral("1101"));
    EXPECT_EQ(tree[0][u"children"][1][u"name"].toString(), QStringLiteral("Outlet\r2"));
    EXPECT_EQ(tree[1][u"children"][0][u"number"].toInt(), 1);
    const QJsonArray table = d[u"table"].toArray();
    ASSERT_EQ(table.size(), 4);
    EXPECT_EQ(table[1].toArray().size(), 10);
    EXPECT_EQ(table[1][4].toString(), QStringLiteral("aaa\rbbb"));
    const QJsonArray pages = d[u"pages"].toArray();
    ASSERT_EQ(pages.size(), 6);
    EXPECT_EQ(pages[0][u"edits"].toArray().size(), 14);
    EXPECT_EQ(pages[1][u"checks"].toString().size(), 29);
    EXPECT_EQ(pages[2][u"tables"][0][u"sub1"].toString(), QStringLiteral("Measured with the cover off"));
    EXPECT_EQ(pages[2][u"tables"][0][u"cells"][3][0].toString(), QStringLiteral("F2\rsockets"));
    EXPECT_EQ(pages[4][u"image"].toString(), QStringLiteral("plan-that-does-not-exist.png"));
    EXPECT_EQ(pages[5][u"tables"][1][u"cells"].toArray().size(), 3); // no table has fewer rows than a new one
}

TEST_F(CliTest, InputsThatAreNoStructure)
{
    dir_.writeFile(QStringLiteral("notes.txt"), "just some text\r\n");
    struct Case {
        QString file;
        const char* reason;
    };
    for (const Case& c :
         {Case{dataFile("other_family.ZIT"), "family 6"},
          Case{dir_.file(QStringLiteral("notes.txt")), "not a structure file"},
          Case{dir_.file(QStringLiteral("missing.ZIT")), "missing.ZIT"}, Case{dataFile("damaged_page.ZIT"), "X1"}}) {
        SCOPED_TRACE(c.file.toStdString());
        const CliRun r = run({QStringLiteral("dump"), c.file});
        EXPECT_EQ(r.code, 4);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << "one line: " << r.err.constData();
    }
}

TEST_F(CliTest, ConvertWritesTheCurrentFormat)
{
    // A file in the current format comes out byte for byte.
    const QString out = dir_.file(QStringLiteral("out.ZIT"));
    CliRun r = run({QStringLiteral("convert"), dataFile("full.ZIT"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    QFile a(out), b(dataFile("full.ZIT"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // The older form is written as the current one with the same content.
    const QString v11 = dir_.file(QStringLiteral("v11.ZIT"));
    r = run({QStringLiteral("convert"), dataFile("version10.ZIT"), QStringLiteral("-o"), v11});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    QFile c(v11);
    ASSERT_TRUE(c.open(QIODevice::ReadOnly));
    EXPECT_TRUE(c.readLine().startsWith("*** INSTAL STRUCTURE v11\r\n"));
    const QJsonObject before =
        QJsonDocument::fromJson(run({QStringLiteral("dump"), dataFile("version10.ZIT")}).out).object();
    const QJsonObject after = QJsonDocument::fromJson(run({QStringLiteral("dump"), v11}).out).object();
    EXPECT_FALSE(before.isEmpty());
    EXPECT_EQ(before, after);

    r = run({QStringLiteral("convert"), dataFile("full.ZIT"), QStringLiteral("-o"),
             dir_.file(QStringLiteral("no-such-folder/out.ZIT"))});
    EXPECT_EQ(r.code, 5);
    r = run({QStringLiteral("convert"), dataFile("other_family.ZIT"), QStringLiteral("-o"), out});
    EXPECT_EQ(r.code, 4);
}

// A structure file of some 200 KB: thousands of result rows under 300
// measuring points with long names.
void writeBigStructure(const QString& path)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.familyCode = 14;
    resetToNewStructure(c.document, c.language, c.defaultNames);
    c.document.structure.table.setCell(1, 0, "Tester\r\r\r123");
    for (int r = 1; r <= 3000; ++r) {
        const std::string element = std::to_string(r / 10);
        c.document.structure.table.setCell(1, r, "1\r1\r" + element);
        c.document.structure.table.setCell(2, r, "001\r001\r" + std::string(60, 'e') + element + "\r6,13");
        c.document.structure.table.setCell(4, r, std::string(60, 'v'));
    }
    NullProgress progress;
    buildTreeFromResults(c, progress);
    ASSERT_TRUE(writeFileSafely(path, composeStructureFile(c.language, c.document)));
}

// Every writer of the tool onto a disk full to its last block (the output is
// smaller than any write buffer) and onto one that fills up half-way through
// the output: exit 5 with the system's message on one line, the previous
// file byte for byte, no temporary file left behind.
TEST_F(CliTest, AFullDiskKeepsThePreviousFile)
{
    const QString big = dir_.file(QStringLiteral("big.ZIT"));
    writeBigStructure(big);
    const QByteArray previous(1596, 'p');
    struct Case {
        const char* command;
        QString in;
        const char* out;
        qint64 free;
    };
    for (const Case& c : {Case{"convert", dataFile("full.ZIT"), "prev.ZIT", 0}, Case{"convert", big, "prev.ZIT", 4096},
                          Case{"export", dataFile("full.ZIT"), "prev.TXT", 0}, Case{"export", big, "prev.TXT", 4096},
                          Case{"report", dataFile("full.ZIT"), "prev.pdf", 0},
                          Case{"report", dataFile("full.ZIT"), "prev.pdf", 4096}}) {
        SCOPED_TRACE(std::string(c.command) + " with " + std::to_string(c.free) + " bytes free");
        FullDisk disk(c.free);
        const QString target = disk.file(QString::fromLatin1(c.out));
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(previous) == previous.size());
        f.close();
        disk.engage();
        const CliRun r = run({QString::fromLatin1(c.command), c.in, QStringLiteral("-o"), target});
        EXPECT_EQ(r.code, 5) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.contains(disk.mounted() ? "No space left on device" : "File too large")) << r.err.constData();
        EXPECT_EQ(bytesOf(target), previous);
        EXPECT_EQ(disk.names(), QStringList{QString::fromLatin1(c.out)});
    }
}

// What reading left out is said on stderr; the commands still do their work.
// Only a file cut short has "complete" in its dump: a whole file dumps as it
// always did.
TEST_F(CliTest, LossesAreSaidAloud)
{
    // A file cut in the middle of a line, as a copy that stopped half-way.
    const QByteArray whole = bytesOf(dataFile("full.ZIT"));
    dir_.writeFile(QStringLiteral("cut.ZIT"), whole.left(3000).toStdString());
    const QString cut = dir_.file(QStringLiteral("cut.ZIT"));
    struct Case {
        QString file;
        const char* warning;
        bool complete;
        bool discarded;
    };
    for (const Case& c : {Case{dataFile("changed_serial.ZIT"), "seal", true, true},
                          Case{dataFile("truncated_table.ZIT"), "end marker", false, false},
                          Case{cut, "end marker", false, false}, Case{dataFile("full.ZIT"), nullptr, true, false}}) {
        SCOPED_TRACE(c.file.toStdString());
        const CliRun dump = run({QStringLiteral("dump"), c.file});
        EXPECT_EQ(dump.code, 0);
        const QJsonObject d = QJsonDocument::fromJson(dump.out).object();
        EXPECT_EQ(d.contains(u"complete"), !c.complete);
        if (!c.complete) {
            EXPECT_EQ(d[u"complete"], QJsonValue(false));
        }
        EXPECT_EQ(d[u"results_discarded"].toBool(), c.discarded);
        const QString out = dir_.file(QStringLiteral("out.TXT")), pdf = dir_.file(QStringLiteral("out.pdf"));
        for (const CliRun& r : {dump, run({QStringLiteral("convert"), c.file, QStringLiteral("-o"), out}),
                                run({QStringLiteral("export"), c.file, QStringLiteral("-o"), out}),
                                run({QStringLiteral("report"), c.file, QStringLiteral("-o"), pdf})}) {
            EXPECT_EQ(r.code, 0);
            if (c.warning) {
                EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
                EXPECT_TRUE(r.err.contains("warning: ") && r.err.contains(c.warning)) << r.err.constData();
            } else {
                EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
            }
        }
    }
}

// Files named by the system's bytes, UTF-8 or not; an output that is the
// input itself is refused by the commands that write something else.
TEST_F(CliTest, FileNamesAreTheSystemsBytes)
{
    const QByteArray folder = QFile::encodeName(dir_.path());
    const QByteArray in = folder + "/site \xe8\xb9.ZIT", out = folder + "/out \xff.ZIT";
    QFile src(dataFile("full.ZIT"));
    ASSERT_TRUE(src.open(QIODevice::ReadOnly));
    const QByteArray original = src.readAll();
    ASSERT_TRUE(
        writeFileSafely(fileNameFromSystem(in), std::string_view(original.constData(), size_t(original.size()))));

    // QProcess would turn the arguments into UTF-8: the bytes go through a script.
    const QByteArray script = "exec \"" + QFile::encodeName(exe_) + "\" convert '" + in + "' -o '" + out + "'\n";
    const QByteArray scriptPath = folder + "/convert.sh";
    QFile sh(QString::fromLocal8Bit(scriptPath));
    ASSERT_TRUE(sh.open(QIODevice::WriteOnly) && sh.write(script) == script.size());
    sh.close();
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QString::fromLocal8Bit(scriptPath)});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_EQ(::access(out.constData(), F_OK), 0);
    // Qt cannot remove these names with the folder.
    ::unlink(in.constData());
    ::unlink(out.constData());

    for (const char* command : {"export", "report"}) {
        SCOPED_TRACE(command);
        const QString copy = dir_.file(QStringLiteral("mine.ZIT"));
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(dataFile("full.ZIT"), copy));
        const CliRun r = run({QString::fromLatin1(command), copy, QStringLiteral("-o"), copy});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_EQ(bytesOf(copy), original);
    }
}

// "-" is standard output; a FIFO and a link to a descriptor are written into
// and stay what they were; a file without write permission is refused.
TEST_F(CliTest, OutputsThatAreNoRegularFileAreWrittenIntoNotReplaced)
{
    const QString full = dataFile("full.ZIT");
    struct Case {
        QStringList args;
        const char* starts;
    };
    for (const Case& c : {Case{{"convert", full}, "*** INSTAL STRUCTURE v11\r\n"}, Case{{"export", full}, ""},
                          Case{{"report", full}, "%PDF"}}) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const QString file = dir_.file(QStringLiteral("out.TXT"));
        const CliRun toFile = run(c.args + QStringList{QStringLiteral("-o"), file});
        const CliRun toStdout = run(c.args + QStringList{QStringLiteral("-o"), QStringLiteral("-")});
        ASSERT_EQ(toStdout.code, 0) << toStdout.err.constData();
        EXPECT_TRUE(toStdout.out.startsWith(c.starts)) << toStdout.out.left(40).constData();
        if (c.args[0] != QLatin1String("report")) { // a PDF holds the time it was made
            EXPECT_EQ(toStdout.out, bytesOf(file));
        }
    }
    CliRun r = run({QStringLiteral("compare"), full, full, QStringLiteral("--csv"), QStringLiteral("-")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("\xEF\xBB\xBF")) << r.out.left(40).constData();

    const QByteArray fifo = QFile::encodeName(dir_.file(QStringLiteral("fifo")));
    const QByteArray link = QFile::encodeName(dir_.file(QStringLiteral("stdout")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    ASSERT_EQ(::symlink("/proc/self/fd/1", link.constData()), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile f(QFile::decodeName(fifo));
        if (f.open(QIODevice::ReadOnly))
            received = f.readAll();
    });
    r = run({QStringLiteral("convert"), full, QStringLiteral("-o"), QFile::decodeName(fifo)});
    reader.join();
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(received, bytesOf(full));
    r = run({QStringLiteral("convert"), full, QStringLiteral("-o"), QFile::decodeName(link)});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out, bytesOf(full));
    struct stat st {};
    EXPECT_TRUE(::lstat(fifo.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(::lstat(link.constData(), &st) == 0 && S_ISLNK(st.st_mode));

    // Even root, who could replace it, is refused a file without write permission.
    dir_.writeFile(QStringLiteral("locked.TXT"), "locked");
    ASSERT_EQ(::chmod(QFile::encodeName(dir_.file(QStringLiteral("locked.TXT"))).constData(), 0444), 0);
    r = run({QStringLiteral("export"), full, QStringLiteral("-o"), dir_.file(QStringLiteral("locked.TXT"))});
    EXPECT_EQ(r.code, 5);
    EXPECT_TRUE(r.err.contains("Permission denied")) << r.err.constData();
    EXPECT_EQ(dir_.readFile(QStringLiteral("locked.TXT")), "locked");
}

// Output that does not arrive (a full device, a reader that went away, a
// closed standard output), help text too, is said on one line with its
// reason and ends with exit code 5.
TEST_F(CliTest, WriteErrorsOnStandardOutputEndWithCode5)
{
    const QString full = dataFile("full.ZIT");
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ::close(ends[0]);
    const int devFull = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    struct Output {
        int fd;
        const char* reason;
    };
    for (const Output& o :
         {Output{ends[1], "standard output: Broken pipe"}, Output{devFull, "standard output: No space left on device"},
          Output{-1, "standard output: Bad file descriptor"}}) {
        if (o.fd < 0 && std::strstr(o.reason, "space"))
            continue; // no /dev/full here
        for (const QStringList& args :
             {QStringList{"dump", full}, QStringList{"compare", full, full},
              QStringList{"compare", full, full, "--json"}, QStringList{"compare", full, full, "--json", "--pretty"},
              QStringList{"export", full, "-o", "-"}, QStringList{"dump", "--help"}, QStringList{"history", "--help"},
              QStringList{"evaluate", "-h"}, QStringList{"chart", "--help"}, QStringList{"--help"},
              QStringList{"--version"}}) {
            SCOPED_TRACE(args.join(u' ').toStdString() + " into " + o.reason);
            const CliRun r = runInto(o.fd, args);
            EXPECT_EQ(r.code, 5);
            EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
            EXPECT_TRUE(r.err.contains(o.reason)) << r.err.constData();
        }
    }
    ::close(ends[1]);
    if (devFull >= 0)
        ::close(devFull);
}

// A file whose results were removed on reading (its seal does not match) is
// not written over itself, also not through a link: they would be gone.
TEST_F(CliTest, ConvertKeepsAFileWhoseResultsWereRemoved)
{
    const QString copy = dir_.file(QStringLiteral("serial.ZIT")), link = dir_.file(QStringLiteral("link.ZIT"));
    ASSERT_TRUE(QFile::copy(dataFile("changed_serial.ZIT"), copy));
    ASSERT_EQ(::symlink("serial.ZIT", QFile::encodeName(link).constData()), 0);
    const QByteArray before = bytesOf(copy);
    for (const QString& out : {copy, link}) {
        const CliRun r = run({QStringLiteral("convert"), copy, QStringLiteral("-o"), out});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.contains("removed")) << r.err.constData();
        EXPECT_EQ(bytesOf(copy), before);
    }
    // Elsewhere it is written, with the warning.
    const CliRun r = run({QStringLiteral("convert"), copy, QStringLiteral("-o"), dir_.file(QStringLiteral("o.ZIT"))});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.contains("warning: ")) << r.err.constData();
}

// Huge inputs are refused by their first line or their size before they are
// read, within a memory limit far below their size (sparse files: nothing
// of them is on the disk).
TEST_F(CliTest, HugeInputsAreRefusedBeforeReading)
{
    // AddressSanitizer reserves its shadow memory at start, which no memory
    // limit allows; there an allocation of the file's size aborts instead.
#if defined(__SANITIZE_ADDRESS__)
    const QString cappedRun = QStringLiteral("exec \"$0\" \"$@\"");
#else
    const QString cappedRun = QStringLiteral("ulimit -v 800000 && exec \"$0\" \"$@\"");
#endif
    const QString zeros = dir_.file(QStringLiteral("zeros.zit")), huge = dir_.file(QStringLiteral("huge.ZIT"));
    dir_.writeFile(QStringLiteral("zeros.zit"), "");
    dir_.writeFile(QStringLiteral("huge.ZIT"), "*** INSTAL STRUCTURE v11\r\n14\r\n");
    ASSERT_EQ(::truncate(QFile::encodeName(zeros).constData(), qint64(50) << 30), 0);
    ASSERT_EQ(::truncate(QFile::encodeName(huge).constData(), structure_file::MaxFileSize + 1), 0);
    struct Case {
        QStringList args;
        const char* reason;
    };
    for (const Case& c :
         {Case{{"dump", zeros}, "not a structure file"}, Case{{"dump", huge}, "larger than any structure file"},
          Case{{"compare", dataFile("full.ZIT"), huge}, "larger than any structure file"},
          Case{{"convert", huge, "-o", dir_.file(QStringLiteral("o.ZIT"))}, "larger than any"}}) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        QProcess p;
        p.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), cappedRun, exe_} + c.args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QByteArray err = p.readAllStandardError();
        EXPECT_EQ(p.exitCode(), 4) << err.constData();
        EXPECT_EQ(err.count('\n'), 1) << err.constData();
        EXPECT_TRUE(err.contains(c.reason)) << err.constData();
    }
}

} // namespace
} // namespace zentrova::test
