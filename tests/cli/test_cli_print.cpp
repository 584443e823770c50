// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// zentrova-cli print, run as a program against a CUPS server of the test's
// own whose queues write what they print into PDF files.
#include "support/CupsServer.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace zentrova::test {
namespace {

QString dataFile(const char* name)
{
    return QStringLiteral(ZENTROVA_TEST_DATA_DIR "/structure/") + QString::fromLatin1(name);
}

struct Result {
    int code = -1;
    QByteArray out, err;
};

Result runProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

// What a PDF shows a reader: its pages' size, their number and their text.
struct PdfContent {
    QByteArray pageSize;
    int pages = 0;
    QByteArray text;
};

PdfContent readPdf(const QString& path)
{
    PdfContent c;
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const Result info = runProgram(QStringLiteral("pdfinfo"), {path}, env);
    EXPECT_EQ(info.code, 0) << path.toStdString() << ": " << info.err.constData();
    for (const QByteArray& line : info.out.split('\n')) {
        if (line.startsWith("Pages:"))
            c.pages = line.mid(6).trimmed().toInt();
        else if (line.startsWith("Page size:"))
            c.pageSize = line.mid(10).simplified();
    }
    c.text = runProgram(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}, env).out;
    return c;
}

class CliPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli");
        ASSERT_TRUE(QFile::exists(built)) << "zentrova-cli is built beside the tests";
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(built, exe_));
    }

    Result run(const QStringList& args, const QProcessEnvironment& env) { return runProgram(exe_, args, env); }

    void startServer()
    {
        QString error;
        ASSERT_TRUE(server_.start(&error)) << error.toStdString();
    }

    ProgramDir dir_;
    QString exe_;
    CupsServer server_;
};

TEST_F(CliPrint, PrintsThePagesTheReportWrites)
{
    struct Case {
        const char* queue;
        const char* file;
        const char* element; // none: the element the file selects
        int copies;          // 0: no --copies
        bool byDefault;      // no --printer: the default queue
    };
    ASSERT_NO_FATAL_FAILURE(startServer());
    const Case cases[] = {
        {"Default", "short_switch.ZIT", nullptr, 0, true},
        {"Point", "full.ZIT", "Garage/Door", 0, false},
        {"Block", "full.ZIT", "Main", 1, false},
        {"Copies", "full.ZIT", "Main/Outlet 2", 2, false},
    };
    QString error;
    for (const Case& c : cases)
        ASSERT_TRUE(server_.addQueue(QString::fromLatin1(c.queue), c.byDefault, &error)) << error.toStdString();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.queue);
        QStringList selection{dataFile(c.file)};
        if (c.element)
            selection << QStringLiteral("--element") << QString::fromLatin1(c.element);
        const QString reference = dir_.file(QString::fromLatin1(c.queue) + QStringLiteral("-report.pdf"));
        const Result report =
            run(QStringList{QStringLiteral("report")} << selection << QStringLiteral("-o") << reference,
                QProcessEnvironment::systemEnvironment());
        ASSERT_EQ(report.code, 0) << report.err.constData();

        QStringList args = QStringList{QStringLiteral("print")} << selection;
        if (!c.byDefault)
            args << QStringLiteral("--printer") << QString::fromLatin1(c.queue);
        if (c.copies)
            args << QStringLiteral("--copies") << QString::number(c.copies);
        const Result print = run(args, server_.environment());
        ASSERT_EQ(print.code, 0) << print.err.constData();
        EXPECT_EQ(print.err, QByteArray());
        ASSERT_TRUE(server_.waitForJobs(60000, &error)) << error.toStdString();

        const QString printed = server_.outputFile(QString::fromLatin1(c.queue));
        ASSERT_TRUE(QFile::exists(printed)) << "the queue wrote nothing" << server_.logTail().toStdString();
        const PdfContent want = readPdf(reference), got = readPdf(printed);
        const int copies = std::max(1, c.copies);
        ASSERT_GT(want.pages, 0);
        EXPECT_EQ(got.pageSize, want.pageSize);
        EXPECT_EQ(got.pages, want.pages * copies);
        EXPECT_EQ(got.text.toStdString(), want.text.repeated(copies).toStdString());
    }
}

TEST_F(CliPrint, NoServerNoQueueNoDefaultIsOneLineAndExitFive)
{
    ASSERT_NO_FATAL_FAILURE(startServer());
    struct Case {
        const char* name;
        QStringList printer; // --printer and its value, or nothing
        const char* inErr;
    };
    auto check = [&](const Case& c, const QProcessEnvironment& env) {
        SCOPED_TRACE(c.name);
        const Result r = run(QStringList{QStringLiteral("print"), dataFile("full.ZIT")} << c.printer, env);
        EXPECT_EQ(r.code, 5);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.startsWith("zentrova-cli: ")) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.constData();
    };
    check({"no queue at all", {}, "has no printer queue"}, server_.environment());

    QString error;
    ASSERT_TRUE(server_.addQueue(QStringLiteral("Lab"), false, &error)) << error.toStdString();
    ASSERT_TRUE(server_.addQueue(QStringLiteral("Office"), false, &error)) << error.toStdString();
    check({"no default", {}, "no default printer queue; name one with --printer (there are: \"Lab\", \"Office\")"},
          server_.environment());
    check({"no such queue",
           {QStringLiteral("--printer"), QStringLiteral("Workshop")},
           "no printer queue \"Workshop\" on the CUPS server at "},
          server_.environment());

    QProcessEnvironment nobody = server_.environment();
    const QString silent = QStringLiteral("127.0.0.1:%1").arg(freeLocalPort());
    nobody.insert(QStringLiteral("CUPS_SERVER"), silent);
    const QByteArray noServer = "no CUPS server answers at " + silent.toLatin1();
    check({"no server", {QStringLiteral("--printer"), QStringLiteral("Lab")}, noServer.constData()}, nobody);
    check({"no server, default queue", {}, noServer.constData()}, nobody);
    EXPECT_FALSE(QFile::exists(server_.outputFile(QStringLiteral("Lab"))));
}

TEST_F(CliPrint, UsageErrorsComeBeforeThePrinter)
{
    // No server is asked: a wrong command line is told as such wherever it runs.
    QProcessEnvironment nobody = QProcessEnvironment::systemEnvironment();
    nobody.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:%1").arg(freeLocalPort()));
    struct Case {
        QStringList args;
        int code;
        const char* inOut;
        const char* inErr;
    };
    for (const Case& c :
         {Case{{"print", "--help"}, 0, "--printer QUEUE       the printer queue", ""},
          Case{{"--help"}, 0, "print FILE [--printer QUEUE]  print the results report", ""},
          Case{{"print"}, 1, "", "print needs FILE"},
          Case{{"print", dataFile("full.ZIT"), "--copies", "0"}, 1, "", "--copies takes a number from 1 to 999"},
          Case{{"print", dataFile("full.ZIT"), "--copies", "two"}, 1, "", "not \"two\""},
          Case{{"print", dataFile("full.ZIT"), "--printer", ""}, 1, "", "--printer takes the name"},
          Case{{"print", dataFile("full.ZIT"), "--colour"}, 1, "", "unexpected argument \"--colour\""}}) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Result r = run(c.args, nobody);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.out.contains(c.inOut)) << r.out.constData();
        EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.constData();
    }
}

} // namespace
} // namespace zentrova::test
