// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Comparing two inspections: the core's matching and warnings, and
// zentrova-cli compare on two structure files the program's writer made.
#include "app/windows/MainWindow.h"
#include "base/FileIO.h"
#include "base/Progress.h"
#include "comm/Receive.h"
#include "report/ReportPages.h"
#include "structure/ChartData.h"
#include "structure/InspectionComparison.h"
#include "structure/StructureContext.h"
#include "structure/StructureFile.h"
#include "structure/windows/ChartOutput.h"
#include "structure/windows/ComparisonDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QChartView>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>

#include <cmath>

using namespace zentrova;
using namespace zentrova::test;

namespace {

struct Point {
    long block, element;
    const char* blockName;
    const char* elementName;
    const char* function; // code and name, as the row holds them
    const char* results;
    const char* subResults;
};

// Riso 501, R60s 504, DAR 506, PI 507; MOhm 507, GOhm 508, no unit 500.
const Point OldPoints[] = {
    {1, 1, "Hall", "Motor", "501\rDiagnostic test (DAR, PI)", "5015082\r5075003.0", ""},
    {1, 2, "Hall", "Pump", "501\rDiagnostic test (DAR, PI)", "501507800\r5065001.3", "504507<1"},
    {1, 3, "Hall", "Fan", "500\rInsulation resistance", "501508>550", ""},
    {2, 1, "Yard", "Gate", "500\rInsulation resistance", "501507100", ""},
    {2, 2, "Yard", "Light", "500\rInsulation resistance", "50150750", ""},
    {1, 4, "Hall", "Old name", "500\rInsulation resistance", "50150710", ""},
};
const Point NewPoints[] = {
    {1, 1, "Hall", "Motor", "501\rDiagnostic test (DAR, PI)", "5015080,9\r5075001.5",
     ""}, // halved, PI good -> questionable
    {1, 2, "Hall", "Pump", "501\rDiagnostic test (DAR, PI)", "501507500\r5065001.26", "5045070.2"},
    {1, 3, "Hall", "Fan", "500\rInsulation resistance", "501508200", ""},     // at least 550 before: surely halved
    {1, 4, "Hall", "New name", "500\rInsulation resistance", "50150710", ""}, // renamed
    {3, 5, "Yard", "Light", "500\rInsulation resistance", "50150760", ""},    // renumbered
    {3, 6, "Yard", "Heater", "500\rInsulation resistance", "5015081", ""},    // added
};

template <size_t N>
void fill(AppContext& c, const Point (&points)[N])
{
    c.document.familyCode = 14;
    applyFamilyProfile(c);
    ResultTable& t = c.document.structure.table;
    t.setCell(1, 0, "TIVE5kV\rHW 1.02\rFW 3.10\r12345678\r\r\r\r");
    for (const Point& p : points) {
        const int r = t.appendRow();
        t.setCell(1, r, "1\r" + std::to_string(p.block) + "\r" + std::to_string(p.element));
        t.setCell(2, r, std::string("001\r") + p.blockName + "\r" + p.elementName + "\r6,13");
        t.setCell(3, r, p.function);
        t.setCell(4, r, p.results);
        t.setCell(5, r, p.subResults);
        t.setCell(7, r, "12.03.2024");
        t.setCell(8, r, "10:15");
    }
}

const QuantityChange* find(const PointComparison& p, const char* quantity)
{
    for (const QuantityChange& q : p.quantities)
        if (q.quantityName == quantity)
            return &q;
    return nullptr;
}

TEST(InspectionComparison, MatchesRenamedAndRenumberedPointsAndWarnsOfFalls)
{
    LoadedProgram older, newer;
    fill(*older.ctx, OldPoints);
    fill(*newer.ctx, NewPoints);
    const InspectionComparison c =
        compareInspections(older.ctx->document, newer.ctx->document, newer.ctx->language.names);

    ASSERT_EQ(c.points.size(), 5u);
    ASSERT_EQ(c.onlyOld.size(), 1u);
    EXPECT_EQ(c.onlyOld[0].elementName, "Gate");
    ASSERT_EQ(c.onlyNew.size(), 1u);
    EXPECT_EQ(c.onlyNew[0].elementName, "Heater");
    struct Expect {
        const char* newName;
        const char* oldName;
        long oldBlock;
        PointMatch match;
    };
    const Expect matches[] = {{"Motor", "Motor", 1, PointMatch::SameNumbersAndNames},
                              {"Pump", "Pump", 1, PointMatch::SameNumbersAndNames},
                              {"Fan", "Fan", 1, PointMatch::SameNumbersAndNames},
                              {"New name", "Old name", 1, PointMatch::SameNumbers},
                              {"Light", "Light", 2, PointMatch::SameNames}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(c.points[i].newer.elementName, matches[i].newName) << i;
        EXPECT_EQ(c.points[i].older.elementName, matches[i].oldName) << i;
        EXPECT_EQ(c.points[i].older.block, matches[i].oldBlock) << i;
        EXPECT_EQ(c.points[i].match, matches[i].match) << i;
    }

    struct Change {
        size_t point;
        const char* quantity;
        double percent;
        bool halved, ratingFell;
    };
    const Change changes[] = {
        {0, "Riso", -55, true, false},           {0, "PI", -50, false, true},  {1, "Riso", -37.5, false, false},
        {1, "DAR", -3.0769230769, false, false}, // good to good
        {1, "R60s", -80, false, false},          // was at most 1 MOhm: no certain fall
        {2, "Riso", -63.636363636, true, false}, {3, "Riso", 0, false, false}, {4, "Riso", 20, false, false},
    };
    for (const Change& ch : changes) {
        SCOPED_TRACE(std::to_string(ch.point) + " " + ch.quantity);
        const QuantityChange* q = find(c.points[ch.point], ch.quantity);
        ASSERT_NE(q, nullptr);
        ASSERT_TRUE(q->hasChange);
        EXPECT_NEAR(q->changePercent, ch.percent, 1e-6);
        EXPECT_EQ(q->resistanceHalved, ch.halved);
        EXPECT_EQ(q->ratingFell, ch.ratingFell);
    }
    EXPECT_EQ(c.flagCount(), 3);
}

// Names that a point found by its numbers and names shares with another old
// point tie a moved point to neither: the comparison finds points as the
// history archive does.
TEST(InspectionComparison, NamesOfAFoundPointFindNoMovedPoint)
{
    const Point oldPoints[] = {{1, 1, "Hall", "Motor", "500\rInsulation resistance", "501507100", ""},
                               {1, 2, "Hall", "Motor", "500\rInsulation resistance", "501507100", ""}};
    const Point newPoints[] = {{1, 1, "Hall", "Motor", "500\rInsulation resistance", "501507100", ""},
                               {1, 3, "Hall", "Motor", "500\rInsulation resistance", "501507100", ""}};
    LoadedProgram older, newer;
    fill(*older.ctx, oldPoints);
    fill(*newer.ctx, newPoints);
    const InspectionComparison c =
        compareInspections(older.ctx->document, newer.ctx->document, newer.ctx->language.names);
    ASSERT_EQ(c.points.size(), 1u);
    EXPECT_EQ(c.points[0].older.element, 1);
    ASSERT_EQ(c.onlyOld.size(), 1u);
    EXPECT_EQ(c.onlyOld[0].element, 2);
    ASSERT_EQ(c.onlyNew.size(), 1u);
    EXPECT_EQ(c.onlyNew[0].element, 3);
}

// A bound that reaches the half settles the fall: the marks hold strictly.
// The history's flag follows the same rule (fellToLessThanHalf).
TEST(InspectionComparison, ABoundAtTheHalfSettlesTheFall)
{
    struct Case {
        const char *oldValue, *newValue;
        bool halved;
    };
    const Case cases[] = {
        {"100", "<50", true},  {">100", "50", true},  {">100", "<50", true},
        {"100", "49.9", true}, {"100", "50", false},  {"100", "<51", false},
        {">100", "51", false}, {"<100", "10", false}, {"100", ">40", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldValue) + " -> " + c.newValue);
        const std::string oldResult = std::string("501507") + c.oldValue,
                          newResult = std::string("501507") + c.newValue;
        const Point oldPoint[] = {{1, 1, "Hall", "Motor", "500\rInsulation resistance", oldResult.c_str(), ""}};
        const Point newPoint[] = {{1, 1, "Hall", "Motor", "500\rInsulation resistance", newResult.c_str(), ""}};
        LoadedProgram older, newer;
        fill(*older.ctx, oldPoint);
        fill(*newer.ctx, newPoint);
        const InspectionComparison cmp =
            compareInspections(older.ctx->document, newer.ctx->document, newer.ctx->language.names);
        ASSERT_EQ(cmp.points.size(), 1u);
        const QuantityChange* q = find(cmp.points[0], "Riso");
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->resistanceHalved, c.halved);
        EXPECT_EQ(fellToLessThanHalf(q->oldValue, q->newValue), c.halved);
    }
}

// A marked PI is rated only when its bound settles the class, in the JSON,
// the warnings and the chart alike, as the CSV and the record panel rate it.
TEST(InspectionComparison, MarkedRatingsOnlyWhereTheBoundSettlesTheClass)
{
    struct Case {
        const char *oldValue, *newValue;
        const char *oldRating, *newRating; // "" for none in the JSON
        bool ratingFell;
    };
    const Case cases[] = {
        {"3", "<1", "good", "dangerous", true},     {"3", "<2", "good", "", false},
        {">1.5", "1.2", "", "questionable", false}, {">5", "3", "best", "good", true},
        {"<0.5", ">1", "dangerous", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldValue) + " -> " + c.newValue);
        const std::string oldResult = std::string("507500") + c.oldValue,
                          newResult = std::string("507500") + c.newValue;
        const Point oldPoint[] = {{1, 1, "Hall", "Motor", "501\rDiagnostic test (DAR, PI)", oldResult.c_str(), ""}};
        const Point newPoint[] = {{1, 1, "Hall", "Motor", "501\rDiagnostic test (DAR, PI)", newResult.c_str(), ""}};
        LoadedProgram older, newer;
        fill(*older.ctx, oldPoint);
        fill(*newer.ctx, newPoint);
        const InspectionComparison cmp =
            compareInspections(older.ctx->document, newer.ctx->document, newer.ctx->language.names);
        ASSERT_EQ(cmp.points.size(), 1u);
        const QuantityChange* q = find(cmp.points[0], "PI");
        ASSERT_NE(q, nullptr);
        EXPECT_EQ(q->ratingFell, c.ratingFell);
        const QJsonObject json =
            QJsonDocument::fromJson(comparisonJson(*newer.ctx, cmp)).object()["points"][0]["quantities"][0].toObject();
        EXPECT_EQ(json["oldRating"].toString().toStdString(), c.oldRating);
        EXPECT_EQ(json["newRating"].toString().toStdString(), c.newRating);
        AbsorptionChart chart;
        ASSERT_TRUE(absorptionChart(*newer.ctx, cmp.points[0].newer.rows.back(), chart));
        EXPECT_EQ(chart.piRating.has_value(), *c.newRating != 0);
    }
}

TEST(InspectionComparison, ChartOfABlockPairsOldAndNewResistances)
{
    LoadedProgram older, newer;
    fill(*older.ctx, OldPoints);
    fill(*newer.ctx, NewPoints);
    const InspectionComparison c =
        compareInspections(older.ctx->document, newer.ctx->document, newer.ctx->language.names);

    const ComparisonChart hall = comparisonChart(*newer.ctx, c, 1);
    EXPECT_EQ(hall.blockName, "Hall");
    struct Bar {
        const char* name;
        double oldOhms, newOhms;
        ValueBound oldBound;
        bool halved;
    };
    const Bar bars[] = {{"Motor", 2e9, 0.9e9, ValueBound::Exact, true},
                        {"Pump", 800e6, 500e6, ValueBound::Exact, false},
                        {"Fan", 550e9, 200e9, ValueBound::AtLeast, true},
                        {"New name", 10e6, 10e6, ValueBound::Exact, false}};
    ASSERT_EQ(hall.bars.size(), std::size(bars));
    for (size_t i = 0; i < std::size(bars); ++i) {
        const ComparisonChartBar& b = hall.bars[i];
        EXPECT_EQ(b.elementName, bars[i].name) << i;
        EXPECT_TRUE(b.inOld && b.inNew) << i;
        EXPECT_DOUBLE_EQ(b.oldResistance.number, bars[i].oldOhms) << i;
        EXPECT_DOUBLE_EQ(b.newResistance.number, bars[i].newOhms) << i;
        EXPECT_EQ(b.oldResistance.bound, bars[i].oldBound) << i;
        EXPECT_EQ(b.halved, bars[i].halved) << i;
    }
    // The renumbered point is in its new block, followed by the points in one
    // file only: the removed Gate in the block its old block 2 became, with
    // its old bar alone, and the added Heater with its new bar alone.
    const ComparisonChart yard = comparisonChart(*newer.ctx, c, 3);
    EXPECT_EQ(newerBlockOf(c, 2, "Yard"), 3);
    ASSERT_EQ(yard.bars.size(), 3u);
    EXPECT_EQ(yard.bars[0].elementName, "Light");
    EXPECT_EQ(yard.bars[0].element, 5);
    const ComparisonChartBar& removed = yard.bars[1];
    EXPECT_EQ(removed.elementName, "Gate");
    EXPECT_TRUE(removed.inOld && !removed.inNew);
    EXPECT_DOUBLE_EQ(removed.oldResistance.number, 100e6);
    const ComparisonChartBar& added = yard.bars[2];
    EXPECT_EQ(added.elementName, "Heater");
    EXPECT_TRUE(!added.inOld && added.inNew);
    EXPECT_DOUBLE_EQ(added.newResistance.number, 1e9);
    EXPECT_FALSE(removed.halved || added.halved);
    EXPECT_TRUE(comparisonChart(*newer.ctx, c, 2).bars.empty()) << "block 2 is the older file's";
    EXPECT_EQ(newerBlockOf(c, 9, "Cellar"), -1) << "an old block the newer file lacks";
}

// Names are texts a spreadsheet must not run as formulas; values and the
// change stay numbers, negative ones too.
TEST(InspectionComparison, CsvKeepsFormulaLikeNamesAsTextAndNumbersAsNumbers)
{
    const Point oldPoints[] = {
        {1, 1, "=HYPERLINK(\"http://x\")", "@Motor", "500\rInsulation resistance", "50150720", ""}};
    const Point newPoints[] = {
        {1, 1, "=HYPERLINK(\"http://x\")", "@Motor", "500\rInsulation resistance", "50150715", ""}};
    LoadedProgram older, newer;
    fill(*older.ctx, oldPoints);
    fill(*newer.ctx, newPoints);
    const std::string csv = comparisonCsv(
        *newer.ctx, compareInspections(older.ctx->document, newer.ctx->document, newer.ctx->language.names));
    EXPECT_NE(csv.find("\r\n1,1,1,1,\"'=HYPERLINK(\"\"http://x\"\")\",'@Motor,Insulation resistance,Riso,20000000,,"
                       "15000000,,Ohm,-25,,\r\n"),
              std::string::npos)
        << csv;
}

TEST(InspectionComparison, CliComparesTwoWrittenFiles)
{
    ProgramDir dir;
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli");
    const QString exe = dir.file(QStringLiteral("zentrova-cli"));
    ASSERT_TRUE(QFile::copy(built, exe));
    for (int which : {0, 1}) {
        LoadedProgram p;
        if (which == 0)
            fill(*p.ctx, OldPoints);
        else
            fill(*p.ctx, NewPoints);
        NullProgress progress;
        buildTreeFromResults(*p.ctx, progress);
        const QString file = dir.file(which == 0 ? QStringLiteral("old.ZIT") : QStringLiteral("new.ZIT"));
        ASSERT_TRUE(writeFileSafely(file, composeStructureFile(p.ctx->language, p.ctx->document), nullptr));
    }
    QProcess run;
    run.start(exe, {QStringLiteral("compare"), dir.file(QStringLiteral("old.ZIT")), dir.file(QStringLiteral("new.ZIT")),
                    QStringLiteral("--json"), QStringLiteral("--csv"), dir.file(QStringLiteral("cmp.csv"))});
    ASSERT_TRUE(run.waitForFinished(30000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    // Into a pipe the JSON is one line; --pretty indents the same document
    // as Qt indents it.
    const QByteArray compact = run.readAllStandardOutput();
    EXPECT_EQ(compact.count('\n'), 1);
    EXPECT_TRUE(compact.endsWith('\n'));
    QProcess pretty;
    pretty.start(exe, {QStringLiteral("compare"), dir.file(QStringLiteral("old.ZIT")),
                       dir.file(QStringLiteral("new.ZIT")), QStringLiteral("--json"), QStringLiteral("--pretty")});
    ASSERT_TRUE(pretty.waitForFinished(30000));
    ASSERT_EQ(pretty.exitCode(), 0) << pretty.readAllStandardError().toStdString();
    EXPECT_EQ(pretty.readAllStandardOutput(), QJsonDocument::fromJson(compact).toJson(QJsonDocument::Indented));
    const QJsonObject json = QJsonDocument::fromJson(compact).object();
    EXPECT_EQ(json.value(QStringLiteral("points")).toArray().size(), 5);
    EXPECT_EQ(json.value(QStringLiteral("warnings")).toInt(), 3);
    const QJsonArray onlyOld = json.value(QStringLiteral("onlyOld")).toArray();
    ASSERT_EQ(onlyOld.size(), 1);
    EXPECT_EQ(onlyOld[0].toObject().value(QStringLiteral("elementName")).toString(), QStringLiteral("Gate"));
    const QJsonObject motorRiso =
        json.value(QStringLiteral("points"))[0].toObject().value(QStringLiteral("quantities")).toArray()[0].toObject();
    EXPECT_EQ(motorRiso.value(QStringLiteral("quantity")).toString(), QStringLiteral("Riso"));
    EXPECT_EQ(motorRiso.value(QStringLiteral("old")).toObject().value(QStringLiteral("value")).toDouble(), 2e9);
    EXPECT_EQ(motorRiso.value(QStringLiteral("new")).toObject().value(QStringLiteral("value")).toDouble(), 9e8);

    const std::string csv = dir.readFile(QStringLiteral("cmp.csv"));
    EXPECT_NE(csv.find("1,1,1,1,Hall,Motor,\"Diagnostic test (DAR, PI)\",Riso,2000000000,,900000000,,Ohm,-55,"
                       "Insulation resistance fell by more than half,,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("2,1,,,Yard,Gate,,,,,,,,,Only in the old file,,\r\n"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",,3,6,Yard,Heater,,,,,,,,,Only in the new file,,\r\n"), std::string::npos) << csv;

    for (const QStringList& wrong : {QStringList{dir.file(QStringLiteral("old.ZIT"))},
                                     QStringList{dir.file(QStringLiteral("old.ZIT")),
                                                 dir.file(QStringLiteral("new.ZIT")), QStringLiteral("--pretty")}}) {
        QProcess text;
        text.start(exe, QStringList{QStringLiteral("compare")} + wrong);
        ASSERT_TRUE(text.waitForFinished(30000));
        EXPECT_EQ(text.exitCode(), 1) << wrong.join(u' ').toStdString();
    }
}

// Points with equipment data in the history archive have their insulation
// resistances corrected to the base temperature (the halving rule for
// machines: 40 °C) in every output; a point without data is written as it
// always was.
class CliCompareCorrected : public ::testing::Test {
protected:
    void SetUp() override
    {
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli"), exe_));
        // Motor: 100 MOhm at 20 °C, then 60 MOhm at 35 °C. Pump: without a
        // temperature, then at 30 °C. Fan: no equipment data.
        const Point oldPoints[] = {
            {1, 1, "Hall", "Motor", "500\rInsulation resistance", "501507100", "51951920"},
            {1, 2, "Hall", "Pump", "500\rInsulation resistance", "501507800", ""},
            {1, 3, "Hall", "Fan", "500\rInsulation resistance", "501507100", ""},
        };
        const Point newPoints[] = {
            {1, 1, "Hall", "Motor", "500\rInsulation resistance", "50150760", "51951935"},
            {1, 2, "Hall", "Pump", "500\rInsulation resistance", "501507500", "51951930"},
            {1, 3, "Hall", "Fan", "500\rInsulation resistance", "50150790", ""},
        };
        auto write = [&](const char* name, const auto& points) {
            LoadedProgram p;
            fill(*p.ctx, points);
            p.ctx->document.heading.site[0] = "Plant";
            NullProgress progress;
            buildTreeFromResults(*p.ctx, progress);
            ASSERT_TRUE(writeFileSafely(dir_.file(QString::fromLatin1(name)),
                                        composeStructureFile(p.ctx->language, p.ctx->document), nullptr));
        };
        write("old.ZIT", oldPoints);
        write("new.ZIT", newPoints);
        const QString db = dir_.file(QStringLiteral("history.sqlite"));
        ASSERT_EQ(run({QStringLiteral("history"), QStringLiteral("add"), dir_.file(QStringLiteral("new.ZIT")),
                       QStringLiteral("--db"), db})
                      .first,
                  0);
        for (const char* point : {"1/1", "1/2"})
            ASSERT_EQ(run({QStringLiteral("history"), QStringLiteral("point"), QStringLiteral("--site"),
                           QStringLiteral("Plant"), QStringLiteral("--point"), QString::fromLatin1(point),
                           QStringLiteral("--type"), QStringLiteral("form-wound"), QStringLiteral("--db"), db})
                          .first,
                      0);
        withData_ = {QStringLiteral("compare"), dir_.file(QStringLiteral("old.ZIT")),
                     dir_.file(QStringLiteral("new.ZIT")), QStringLiteral("--db"), db};
    }

    // Runs the tool; its exit code, and what it wrote.
    std::pair<int, QByteArray> run(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.file(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.start(exe_, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        const QByteArray err = p.readAllStandardError();
        EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        return {p.exitCode(), p.readAllStandardOutput()};
    }
    // The standard output of a run that worked.
    QByteArray output(const QStringList& args)
    {
        const auto [code, out] = run(args);
        EXPECT_EQ(code, 0);
        return out;
    }

    ProgramDir dir_;
    QString exe_;
    QStringList withData_; // compare old.ZIT new.ZIT --db history.sqlite
};

TEST_F(CliCompareCorrected, TextHasTheCorrectedValuesOrWhyNot)
{
    const QByteArray text = output(withData_);
    // 100 MOhm at 20 °C is 25 MOhm at 40 °C; 60 MOhm at 35 °C is 42.4 MOhm.
    EXPECT_TRUE(text.contains("1/1 Hall / Motor\n  Insulation resistance: Riso  100000000 -> 60000000 Ohm  -40 %  "
                              "! Tested more than 10 °C apart: retest near the earlier temperature\n"
                              "    corrected: 25000000 -> 42426406.87119286 Ohm (40 °C; halving rule, base 40 °C)\n"))
        << text.constData();
    EXPECT_TRUE(text.contains("  Insulation resistance: Riso  800000000 -> 500000000 Ohm  -37.5 %\n"
                              "    Not corrected: no test temperature (old)\n"))
        << text.constData();
    // The point without data, from its heading on, as without the archive.
    const QByteArray plain = output(withData_.mid(0, 3));
    EXPECT_FALSE(plain.contains("corrected")) << plain.constData();
    EXPECT_EQ(text.mid(text.indexOf("1/3 Hall / Fan")), plain.mid(plain.indexOf("1/3 Hall / Fan")));
}

TEST_F(CliCompareCorrected, CsvRowsEndInTheCorrections)
{
    const std::string csv = output(withData_ + QStringList{QStringLiteral("--csv"), QStringLiteral("-")}).toStdString();
    for (const char* row :
         {",Warning,corrected value (old),corrected value (new),base temperature,correction rule,change % mark,"
          "Verdicts of the new inspection (advice)\r\n",
          ",Riso,100000000,,60000000,,Ohm,-40,Tested more than 10 °C apart: retest near the earlier temperature,"
          "25000000,42426406.87119286,40,\"halving rule, base 40 °C\",,",
          ",Riso,800000000,,500000000,,Ohm,-37.5,,,250000000,40,\"halving rule, base 40 °C; no test temperature "
          "(old)\",,",
          ",Fan,Insulation resistance,Riso,100000000,,90000000,,Ohm,-10,,,,,,,"})
        EXPECT_NE(csv.find(row), std::string::npos) << row << "\n" << csv;
}

TEST_F(CliCompareCorrected, JsonHasACorrectedKeyInTheOrderQtWrites)
{
    const QByteArray compact = output(withData_ + QStringList{QStringLiteral("--json")});
    EXPECT_EQ(output(withData_ + QStringList{QStringLiteral("--json"), QStringLiteral("--pretty")}),
              QJsonDocument::fromJson(compact).toJson(QJsonDocument::Indented));
    const QJsonArray points = QJsonDocument::fromJson(compact).object().value(QStringLiteral("points")).toArray();
    ASSERT_EQ(points.size(), 3);
    auto riso = [&](int point) {
        for (const QJsonValue q : points[point].toObject().value(QStringLiteral("quantities")).toArray())
            if (q[QStringLiteral("quantity")] == QStringLiteral("Riso"))
                return q.toObject();
        return QJsonObject();
    };
    const QJsonObject motor = riso(0)[QStringLiteral("corrected")].toObject();
    EXPECT_EQ(motor[QStringLiteral("baseTemperature")].toDouble(), 40);
    EXPECT_EQ(motor[QStringLiteral("rule")].toString(), QStringLiteral("halving rule, base 40 °C"));
    EXPECT_TRUE(motor[QStringLiteral("temperaturesApart")].toBool());
    EXPECT_EQ(motor[QStringLiteral("old")][QStringLiteral("value")].toDouble(), 25e6);
    EXPECT_EQ(motor[QStringLiteral("old")][QStringLiteral("testTemperature")].toDouble(), 20);
    EXPECT_NEAR(motor[QStringLiteral("new")][QStringLiteral("value")].toDouble(), 60e6 * std::sqrt(0.5), 1e-6);
    const QJsonObject pump = riso(1)[QStringLiteral("corrected")].toObject();
    EXPECT_FALSE(pump[QStringLiteral("temperaturesApart")].toBool());
    EXPECT_TRUE(pump[QStringLiteral("old")][QStringLiteral("value")].isNull());
    EXPECT_TRUE(pump[QStringLiteral("old")][QStringLiteral("testTemperature")].isNull());
    EXPECT_EQ(pump[QStringLiteral("old")][QStringLiteral("reason")].toString(), QStringLiteral("no test temperature"));
    EXPECT_EQ(pump[QStringLiteral("new")][QStringLiteral("value")].toDouble(), 250e6);
    EXPECT_FALSE(riso(2).contains(QStringLiteral("corrected"))) << "the fan has no equipment data";
}

// File > Compare with...: the chosen file is the older inspection, the open
// structure the newer one; the window marks the warnings and saves the CSV.
TEST(InspectionComparison, WindowComparesTheChosenFileWithTheOpenStructure)
{
    LoadedProgram older;
    fill(*older.ctx, OldPoints);
    NullProgress progress;
    buildTreeFromResults(*older.ctx, progress);
    LoadedProgram p;
    const QString oldFile = p.dir.file(QStringLiteral("old.ZIT"));
    ASSERT_TRUE(writeFileSafely(oldFile, composeStructureFile(older.ctx->language, older.ctx->document), nullptr));
    AppContext& ctx = *p.ctx;
    fill(ctx, NewPoints);
    buildTreeFromResults(ctx, progress);
    ctx.document.fileName = p.dir.file(QStringLiteral("new.ZIT"));

    MainWindow form(ctx);
    p.prompts.expectFile(std::nullopt);
    form.action("&CompareWith_30")->trigger();
    EXPECT_EQ(form.findChild<ComparisonDialog*>(), nullptr) << "cancelled: no window";

    p.prompts.expectFile(oldFile);
    form.action("&CompareWith_30")->trigger();
    auto* dialog = form.findChild<ComparisonDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(p.prompts.fileRequests.back().title, ctx.language.texts.text("CompareWith_40"));
    EXPECT_EQ(dialog->comparison().flagCount(), 3);
    ASSERT_EQ(dialog->comparison().onlyOld.size(), 1u) << "the chosen file is the older one";
    EXPECT_EQ(dialog->comparison().onlyOld[0].elementName, "Gate");

    QTableWidget* t = dialog->table();
    int warned = 0, onlyOld = -1, onlyNew = -1;
    for (int r = 0; r < t->rowCount(); ++r) {
        const QTableWidgetItem* w = t->item(r, 7);
        if (w && !w->text().isEmpty()) {
            ++warned;
            EXPECT_FALSE(w->icon().isNull()) << r;
            EXPECT_EQ(t->item(r, 4)->foreground().color(), QColor(Qt::red)) << r;
        }
        if (const QTableWidgetItem* f = t->item(r, 2)) {
            if (f->text() == ctx.language.decode(ctx.language.texts.text("CmpOnlyOld_40")))
                onlyOld = r;
            if (f->text() == ctx.language.decode(ctx.language.texts.text("CmpOnlyNew_40")))
                onlyNew = r;
        }
    }
    EXPECT_EQ(warned, 3);
    ASSERT_GE(onlyOld, 0);
    EXPECT_EQ(t->item(onlyOld, 1)->text(), QStringLiteral("1  Gate"));
    ASSERT_GE(onlyNew, 0);
    EXPECT_EQ(t->item(onlyNew, 1)->text(), QStringLiteral("6  Heater"));
    // The chart shows the block of the selected row.
    EXPECT_EQ(dialog->chartBlock(), 1);
    ASSERT_NE(dialog->chartView()->chart(), nullptr);
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->item(r, 0) && t->item(r, 0)->text().endsWith(QStringLiteral("3  Yard"))) {
            t->setCurrentCell(r, 0);
            break;
        }
    EXPECT_EQ(dialog->chartBlock(), 3);
    t->setCurrentCell(0, 0);
    EXPECT_EQ(dialog->chartBlock(), 1);
    t->setCurrentCell(onlyOld, 0);
    EXPECT_EQ(dialog->chartBlock(), 3) << "the removed Gate is charted in the block its old block became";
    // The first row: Motor's insulation resistance fell from 2 GOhm to 0.9 GOhm,
    // written with prefixes; the CSV keeps the plain numbers.
    EXPECT_EQ(t->item(0, 3)->text(), QStringLiteral("Riso"));
    EXPECT_EQ(t->item(0, 4)->text(), QStringLiteral("2 GOhm"));
    EXPECT_EQ(t->item(0, 5)->text(), QStringLiteral("900 MOhm"));
    EXPECT_EQ(t->item(0, 6)->text(), QStringLiteral("-55"));

    // The chart is saved as the chart window saves its own.
    p.prompts.expectFile(p.dir.file(QStringLiteral("yard.svg")));
    dialog->chartOutput()->saveChart();
    const std::string svg = p.dir.readFile(QStringLiteral("yard.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<title>Comparison of Inspections: Yard</title>"), std::string::npos);
    EXPECT_NE(svg.find("Heater"), std::string::npos);
    EXPECT_NE(svg.find("10 GOhm"), std::string::npos) << "the decades are labelled with prefixes";
    // A renumbered point shows its numbers and its name once, a renamed one
    // its number and both names.
    bool renumbered = false, renamed = false;
    for (int r = 0; r < t->rowCount(); ++r) {
        renumbered |= t->item(r, 0) && t->item(r, 0)->text() == QStringLiteral("2 -> 3  Yard");
        renamed |= t->item(r, 1) && t->item(r, 1)->text() == QStringLiteral("4  Old name -> New name");
    }
    EXPECT_TRUE(renumbered);
    EXPECT_TRUE(renamed);
    // Rows of one line of text, not the style's double height.
    EXPECT_LE(t->rowHeight(0), t->fontMetrics().height() + 8);

    const QString csvFile = p.dir.file(QStringLiteral("cmp"));
    p.prompts.expectFile(csvFile);
    dialog->findChild<QPushButton*>(QStringLiteral("SaveCsv"))->click();
    EXPECT_EQ(p.dir.readFile(QStringLiteral("cmp.csv")), comparisonCsv(ctx, dialog->comparison()));
    EXPECT_EQ(ctx.document.structure.table.rowCount(), int(std::size(NewPoints)) + 1) << "open structure unchanged";
}

} // namespace
