// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The print preview printing on a real queue: a CUPS server of the test's
// own whose default queue writes what it prints into a PDF file.
#include "test_compose_fixture.h"

#include "report/windows/PrintPreview.h"
#include "support/CupsServer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace zentrova;
using namespace zentrova::test;

namespace {

QByteArray pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << path.toStdString();
    return p.readAllStandardOutput();
}

int pdfPages(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(p.waitForFinished(30000));
    for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

TEST(PreviewPrinting, ChosenPagesGoToTheDefaultQueueAsComposedForIt)
{
    CupsServer server;
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();
    ASSERT_TRUE(server.addQueue(QStringLiteral("Desk"), true, &error)) << error.toStdString();
    server.useInThisProcess();

    ReportSample s;
    s.addRows(100);
    PrintPreview preview(*s.p.ctx);
    preview.setProgress(&s.progress);
    preview.initPreview();
    ASSERT_TRUE(preview.printerAvailable()) << "the private server's default queue is the printer";
    ASSERT_TRUE(preview.compose(PrintResults, s.grid));
    const int count = preview.prn().pageCount();
    ASSERT_GE(count, 3);

    // Pages 2 and 3 of the document, as the page range dialog would choose
    // them; no message may come up (the scripted prompts fail on one).
    preview.printRange(2, 3);
    ASSERT_TRUE(server.waitForJobs(60000, &error)) << error.toStdString();
    const QString printed = server.outputFile(QStringLiteral("Desk"));
    ASSERT_TRUE(QFile::exists(printed)) << "the queue wrote nothing" << server.logTail().toStdString();

    QTemporaryDir dir;
    const QString reference = dir.filePath(QStringLiteral("pages.pdf"));
    ASSERT_TRUE(writePdf(preview.prn(), reference, &error, {2, 3})) << error.toStdString();
    EXPECT_EQ(pdfPages(printed), 2);
    EXPECT_EQ(pdfText(printed).toStdString(), pdfText(reference).toStdString());
    EXPECT_TRUE(s.p.prompts.messages.empty());
}

} // namespace
