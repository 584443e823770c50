// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The data of the charts, from records as the instrument sends them: the
// block at a glance, a diagnostic test's absorption curve and a step voltage
// test.
#include "app/windows/MainWindow.h"
#include "base/Progress.h"
#include "comm/Receive.h"
#include "comm/Records.h"
#include "structure/ChartData.h"
#include "structure/StructureFile.h"
#include "structure/windows/ChartWindow.h"
#include "structure/windows/ElementTreeView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>

namespace zentrova::test {
namespace {

// Block 5 of the demonstration memory, with a third point whose value is
// below the instrument's range and a fourth without an insulation test.
struct ChartMemory : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    ResultTable& table = ctx.document.structure.table;
    int next = 1;

    void SetUp() override
    {
        ctx.document.familyCode = 14;
        applyFamilyProfile(ctx);
        table.clear();
        table.setCell(1, 0, "identification");
        decode(rec(5, 1, 0,
                   coded('R', 1, 9, ">10.0") + coded('M', 10, 2, "5.04") + coded('M', 13, 3, "<0.5") +
                       coded('P', 9, 2, "5.00") + coded('P', 16, 8, "100") + plain('D', "14.03.2024")));
        decode(rec(5, 1, 1,
                   coded('P', 9, 2, "5.00") + coded('R', 6, 0, "1.46") + coded('R', 7, 0, "2.63") +
                       coded('M', 2, 8, "16.9") + coded('M', 3, 8, "21.4") + coded('M', 4, 8, "31.2") +
                       coded('M', 5, 8, "82.1") + coded('M', 13, 3, "61.1")));
        decode(rec(5, 1, 3,
                   coded('R', 1, 8, "27.9") + coded('M', 18, 2, "1.00") + coded('M', 12, 8, "31.4") +
                       coded('M', 18, 2, "2.00") + coded('M', 12, 8, "30.2") + coded('M', 18, 2, "3.00") +
                       coded('M', 12, 8, "29.3") + coded('M', 18, 2, "4.00") + coded('M', 12, 8, "28.6") +
                       coded('M', 18, 2, "5.00") + coded('M', 12, 8, "27.9") + coded('P', 9, 2, "5.00")));
        decode(rec(5, 2, 0,
                   plain('U', "U1-PE") + coded('R', 1, 7, "48.6!") + coded('R', 20, 7, "55.2!") +
                       coded('P', 9, 2, "5.00") + coded('P', 16, 7, "100")));
        decode(rec(5, 3, 0, coded('R', 1, 6, "<20") + coded('P', 9, 1, "500")));
        decode(rec(5, 4, 6, coded('R', 12, 10, "0.062")));
        // A step test of the older kind: resistance readings without voltages.
        decode(rec(5, 4, 3, coded('R', 1, 8, "5.87") + coded('M', 12, 8, "6.40") + coded('M', 12, 8, "6.11")));
        NullProgress quiet;
        buildTreeFromResults(ctx, quiet);
        block()->name = "Generator\rG1";
        block()->children()[1]->name = "U1-PE";
    }
    void decode(const std::string& r) { decodeRecord(ctx, r.data(), r.size(), next++); }
    ElementNode* block() const { return ctx.document.structure.tree.roots()[0].get(); }
    const ElementNode& point(int i) const { return *block()->children()[size_t(i)]; }
};

TEST_F(ChartMemory, BlockShowsEachPointsInsulationResistanceAgainstItsLimit)
{
    const BlockChart chart = blockChart(ctx, *block());
    EXPECT_EQ(chart.blockName, "Generator G1");
    ASSERT_EQ(chart.bars.size(), 3u) << "the fourth point holds no insulation test";

    const BlockChartBar& high = chart.bars[0];
    EXPECT_EQ(high.element, 1);
    EXPECT_DOUBLE_EQ(high.resistance.number, 10e12);
    EXPECT_EQ(high.resistance.bound, ValueBound::AtLeast);
    ASSERT_TRUE(high.hasLimit);
    EXPECT_DOUBLE_EQ(high.limit, 100e9);
    EXPECT_FALSE(high.belowLimit);

    const BlockChartBar& failed = chart.bars[1];
    EXPECT_EQ(failed.elementName, "U1-PE");
    EXPECT_DOUBLE_EQ(failed.resistance.number, 48.6e6);
    EXPECT_TRUE(failed.resistance.flagged);
    EXPECT_DOUBLE_EQ(failed.limit, 100e6);
    EXPECT_TRUE(failed.belowLimit);

    const BlockChartBar& low = chart.bars[2];
    EXPECT_DOUBLE_EQ(low.resistance.number, 20e3);
    EXPECT_EQ(low.resistance.bound, ValueBound::AtMost);
    EXPECT_FALSE(low.hasLimit);
    EXPECT_FALSE(low.belowLimit) << "without a limit nothing is below it";
}

TEST_F(ChartMemory, AbsorptionCurveOfTheDiagnosticTestWithItsRatings)
{
    const int row = lastRowOfFunction(ctx, point(0), FunctionDiagnosticTest);
    ASSERT_GT(row, 0);
    AbsorptionChart chart;
    ASSERT_TRUE(absorptionChart(ctx, row, chart));
    ASSERT_EQ(chart.points.size(), 4u);
    const double seconds[] = {15, 30, 60, 600};
    const double ohms[] = {16.9e9, 21.4e9, 31.2e9, 82.1e9};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(chart.points[i].seconds, seconds[i]);
        EXPECT_DOUBLE_EQ(chart.points[i].resistance.number, ohms[i]);
    }
    EXPECT_DOUBLE_EQ(chart.dar.number, 1.46);
    EXPECT_EQ(chart.darRating, RatingClass::Good);
    EXPECT_DOUBLE_EQ(chart.pi.number, 2.63);
    EXPECT_EQ(chart.piRating, RatingClass::Good);

    AbsorptionChart none;
    EXPECT_FALSE(absorptionChart(ctx, lastRowOfFunction(ctx, point(0), FunctionInsulationResistance), none));
    EXPECT_EQ(lastRowOfFunction(ctx, point(1), FunctionDiagnosticTest), -1);
}

TEST_F(ChartMemory, StepVoltagePairsEachVoltageWithItsResistance)
{
    StepChart chart;
    ASSERT_TRUE(stepChart(ctx, lastRowOfFunction(ctx, point(0), FunctionStepVoltage), chart));
    ASSERT_EQ(chart.steps.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(chart.steps[size_t(i)].step, i + 1);
        EXPECT_DOUBLE_EQ(chart.steps[size_t(i)].voltage.number, (i + 1) * 1000.0);
    }
    EXPECT_DOUBLE_EQ(chart.steps[0].resistance.number, 31.4e9);
    EXPECT_DOUBLE_EQ(chart.steps[4].resistance.number, 27.9e9);

    StepChart older;
    ASSERT_TRUE(stepChart(ctx, lastRowOfFunction(ctx, point(3), FunctionStepVoltage), older));
    ASSERT_EQ(older.steps.size(), 2u);
    EXPECT_FALSE(older.steps[0].voltage.hasNumber);
    EXPECT_DOUBLE_EQ(older.steps[1].resistance.number, 6.11e9);
}

TEST_F(ChartMemory, EachElementOffersItsOwnChartFirst)
{
    EXPECT_EQ(defaultChartKind(ctx, *block()), ChartKind::Block);
    EXPECT_EQ(defaultChartKind(ctx, point(0)), ChartKind::Absorption);
    EXPECT_EQ(defaultChartKind(ctx, point(3)), ChartKind::Step);
    EXPECT_EQ(defaultChartKind(ctx, point(1)), ChartKind::Block);

    ChartData data;
    std::string reason;
    ASSERT_TRUE(chartOfElement(ctx, point(1), ChartKind::Block, data, &reason));
    EXPECT_EQ(data.title, ctx.language.texts.text("ChartBlock_30") + ": Generator G1") << "a point draws its block";
    EXPECT_EQ(data.block.bars.size(), 3u);
    ASSERT_TRUE(chartOfElement(ctx, point(0), ChartKind::Absorption, data, &reason));
    EXPECT_EQ(data.title, ctx.language.texts.text("ChartAbsorption_30") + ": Generator G1 / 001");
    EXPECT_FALSE(chartOfElement(ctx, point(1), ChartKind::Step, data, &reason));
    EXPECT_EQ(reason, ctx.language.texts.text("ChartNoData_60"));
}

// The results grid's menu opens the chart of the selected element; the
// window draws the kind chosen and saves it as SVG.
TEST_F(ChartMemory, WindowShowsTheSelectedElementsChartAndSavesIt)
{
    MainWindow form(ctx);
    ChartWindow window(ctx, &form);
    MainWindow::Windows w;
    w.chart = &window;
    form.setWindows(w, nullptr);
    form.activated();
    ctx.document.familyCode = 14; // as the received memory set it before the first activation cleared it
    applyFamilyProfile(ctx);
    form.refreshStructureView();
    form.show();
    form.tree()->selectNode(block());
    form.action("&Chart_30")->trigger();
    ASSERT_TRUE(window.isVisible());
    ASSERT_TRUE(window.hasChart());
    EXPECT_EQ(window.kind(), ChartKind::Block);
    EXPECT_EQ(window.data().block.bars.size(), 3u);

    window.showKind(ChartKind::Step);
    ASSERT_TRUE(window.hasChart());
    EXPECT_EQ(window.data().step.steps.size(), 2u) << "the block's last step voltage test";

    const QString file = program.dir.file(QStringLiteral("chart.svg"));
    program.prompts.expectFile(file);
    window.saveChart();
    const std::string svg = program.dir.readFile(QStringLiteral("chart.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("Step voltage test: Generator G1 / 004"), std::string::npos) << "named by its point";
    // The file is there now: it is replaced only when the user says so.
    program.prompts.expectFile(file);
    program.prompts.expectMessage(MbCancel);
    program.dir.writeFile(QStringLiteral("chart.svg"), "kept");
    window.saveChart();
    EXPECT_EQ(program.dir.readFile(QStringLiteral("chart.svg")), "kept");
    ASSERT_FALSE(program.prompts.messages.empty());
    EXPECT_EQ(program.prompts.messages.back(), ctx.language.encode(file) + "\r" +
                                                   ctx.language.texts.text("AlreadyExists_40") + "\r" +
                                                   ctx.language.texts.text("ReplaceIt_40"));

    form.tree()->selectNode(&const_cast<ElementNode&>(point(1)));
    form.action("&Chart_30")->trigger();
    EXPECT_EQ(window.kind(), ChartKind::Block) << "a point without a diagnostic or step test";
    window.showKind(ChartKind::Absorption);
    EXPECT_FALSE(window.hasChart());
}

TEST(ResistanceText, MarkThreeDigitsAndPrefix)
{
    struct Case {
        const char* text;
        const char* unit;
        const char* shown;
    };
    for (const Case& c :
         {Case{">10.0", "TOhm", "> 10 TOhm"}, Case{"48.6!", "MOhm", "48.6 MOhm"}, Case{"<20", "kOhm", "< 20 kOhm"},
          Case{"999.7", "MOhm", "1 GOhm"}, Case{"0.051", "Ohm", "0.051 Ohm"}, Case{"12000", "TOhm", "1.2e+04 TOhm"}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(resistanceText(parseMeasuredValue(c.text, c.unit)), c.shown);
    }
    EXPECT_EQ(resistanceText(parseMeasuredValue("", "MOhm")), "");
}

} // namespace
} // namespace zentrova::test
