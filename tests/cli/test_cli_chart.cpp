// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// zentrova-cli chart on a structure file the program's writer made from
// received records.
#include "base/FileIO.h"
#include "base/Progress.h"
#include "comm/Receive.h"
#include "comm/Records.h"
#include "report/ReportPages.h"
#include "structure/StructureFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>

namespace zentrova::test {
namespace {

struct ChartRun {
    int code = -1;
    QByteArray err;
};

class CliChart : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli");
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(built, exe_));
        AppContext& ctx = *program_.ctx;
        ctx.document.familyCode = 14;
        applyFamilyProfile(ctx);
        ctx.document.structure.table.setCell(1, 0, "identification");
        int next = 1;
        for (const std::string& r :
             {rec(5, 1, 0, coded('R', 1, 9, ">10.0") + coded('P', 16, 8, "100")),
              rec(5, 1, 1,
                  coded('R', 6, 0, "1.46") + coded('R', 7, 0, "2.63") + coded('M', 2, 8, "16.9") +
                      coded('M', 3, 8, "21.4") + coded('M', 4, 8, "31.2") + coded('M', 5, 8, "82.1")),
              rec(5, 2, 0, coded('R', 1, 7, "48.6!") + coded('P', 16, 7, "100"))})
            decodeRecord(ctx, r.data(), r.size(), next++);
        NullProgress quiet;
        buildTreeFromResults(ctx, quiet);
        file_ = dir_.file(QStringLiteral("site.ZIT"));
        writeStructure(ctx, "Generator\rG1");
    }

    // The file, its top-level element named `blockName`.
    void writeStructure(AppContext& ctx, const std::string& blockName)
    {
        ctx.document.structure.tree.roots()[0]->name = blockName;
        ASSERT_TRUE(writeFileSafely(file_, composeStructureFile(ctx.language, ctx.document), nullptr));
    }

    ChartRun run(const QStringList& args)
    {
        QProcess p;
        p.start(exe_, QStringList{QStringLiteral("chart"), file_} + args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
    }

    ProgramDir dir_;
    LoadedProgram program_;
    QString exe_, file_;
};

TEST_F(CliChart, BlockChartAsSvgNamesEachPointsValue)
{
    const QString out = dir_.file(QStringLiteral("block.svg"));
    const ChartRun r = run({QStringLiteral("--element"), QStringLiteral("Generator G1"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const std::string svg = dir_.readFile(QStringLiteral("block.svg"));
    EXPECT_NE(svg.find("<title>Block at a glance: Generator G1</title>"), std::string::npos);
    EXPECT_NE(svg.find("&gt; 10 TOhm"), std::string::npos) << "the bound stays with the value";
    EXPECT_NE(svg.find("48.6 MOhm"), std::string::npos);
    EXPECT_NE(svg.find("Below the limit"), std::string::npos);
    for (const char* decade : {"10 MOhm", "1 GOhm", "1 TOhm"})
        EXPECT_NE(svg.find(std::string(">") + decade + "<"), std::string::npos) << "decade labelled " << decade;
}

TEST_F(CliChart, MeasuringPointDrawsItsAbsorptionCurveAsPng)
{
    const QString out = dir_.file(QStringLiteral("pi.png"));
    const ChartRun r = run({QStringLiteral("--element"), QStringLiteral("Generator G1/001"), QStringLiteral("--size"),
                            QStringLiteral("640x400"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    QImage image;
    ASSERT_TRUE(image.load(out, "PNG"));
    EXPECT_EQ(image.size(), QSize(640, 400));
}

TEST_F(CliChart, RefusesWhatItCannotDraw)
{
    const QString out = dir_.file(QStringLiteral("x.png"));
    struct Case {
        QStringList args;
        int code;
        const char* inErr;
    };
    for (const Case& c :
         {Case{{QStringLiteral("--kind"), QStringLiteral("pie")}, 1, "--kind takes"},
          Case{{QStringLiteral("--size"), QStringLiteral("10x10")}, 1, "--size takes"},
          Case{{QStringLiteral("--element"), QStringLiteral("Generator G1/002"), QStringLiteral("--kind"),
                QStringLiteral("step")},
               4,
               "no measurement for this chart"},
          // A point with neither an absorption curve nor a step test
          // is not drawn as its block.
          Case{{QStringLiteral("--element"), QStringLiteral("Generator G1/002")}, 4, "no measurement for this chart"},
          Case{{QStringLiteral("--element"), QStringLiteral("Nowhere")}, 1, "no top-level element"}}) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const ChartRun r = run(c.args + QStringList{QStringLiteral("-o"), out});
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.constData();
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST_F(CliChart, AnElementNamedWithASlashIsNamedWithItEscaped)
{
    writeStructure(*program_.ctx, "TS 20/0.4 kV\\A");
    const QString out = dir_.file(QStringLiteral("ts.svg"));
    struct Case {
        const char* element;
        int code;
        const char* inErr;
    };
    for (const Case& c : {Case{"TS 20\\/0.4 kV\\\\A", 0, ""}, Case{"TS 20\\/0.4 kV\\\\A/001", 0, ""},
                          Case{"TS 20/0.4 kV\\A", 1, "there are: \"TS 20\\/0.4 kV\\\\A\""},
                          Case{"TS 20\\/0.4 kV\\\\A/003", 1, "no element \"003\" in \"TS 20\\/0.4 kV\\\\A\""}}) {
        SCOPED_TRACE(c.element);
        const ChartRun r = run({QStringLiteral("--element"), QString::fromUtf8(c.element), QStringLiteral("-o"), out});
        EXPECT_EQ(r.code, c.code) << r.err.constData();
        EXPECT_TRUE(r.err.contains(c.inErr)) << r.err.constData();
    }
}

} // namespace
} // namespace zentrova::test
