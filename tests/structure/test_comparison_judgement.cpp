// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Two inspections compared with their insulation resistances corrected to
// the point's base temperature, and a warning for tests far apart in
// temperature; shown in the comparison window.
#include "comm/Receive.h"
#include "comm/Records.h"
#include "shell/AppContext.h"
#include "structure/ComparisonJudgement.h"
#include "structure/windows/ComparisonDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTableWidget>

namespace zentrova::test {
namespace {

// One inspection of point 5/1 (Riso at a temperature, none when empty) and
// 5/2 (a Riso without one).
void inspect(AppContext& ctx, const std::string& riso, const std::string& temperature)
{
    ctx.document.familyCode = 14;
    applyFamilyProfile(ctx);
    ResultTable& table = ctx.document.structure.table;
    table.clear();
    table.setCell(1, 0, "identification");
    const std::string first = coded('R', 1, 7, riso) + (temperature.empty() ? "" : coded('M', 19, 19, temperature));
    const std::string records[] = {rec(5, 1, 0, first + plain('D', "14.03.2024")),
                                   rec(5, 2, 0, coded('R', 1, 7, "900") + plain('D', "14.03.2024"))};
    int row = 1;
    for (const std::string& r : records)
        decodeRecord(ctx, r.data(), r.size(), row++);
}

const RuleSets& shippedRules()
{
    static const RuleSets rules = loadRuleSets({QStringLiteral(ZENTROVA_DATA_DIR "/rules")}, nullptr);
    return rules;
}

TEST(ComparisonJudgement, CorrectsBothSidesAndWarnsOfTestsFarApart)
{
    LoadedProgram older, newer;
    inspect(*older.ctx, "100", "20");
    inspect(*newer.ctx, "60.0", "35");
    AppContext& ctx = *newer.ctx;
    const InspectionComparison comparison = compareInspections(older.ctx->document, ctx.document, ctx.language.names);
    EquipmentData motor;
    motor.type = EquipmentType::FormWound;
    auto equipmentOf = [&](long, long element) { return element == 1 ? &motor : nullptr; };
    const std::vector<ComparedCorrection> corrections = compareCorrections(
        older.ctx->document, ctx.document, ctx.language.names, comparison, equipmentOf, shippedRules(), {});
    ASSERT_EQ(corrections.size(), 2u);
    const ComparedCorrection& judged =
        comparison.points[corrections[0].point].newer.element == 1 ? corrections[0] : corrections[1];
    const ComparedCorrection& bare = &judged == &corrections[0] ? corrections[1] : corrections[0];
    // 100 MΩ at 20 °C is 25 MΩ at 40 °C; 60 MΩ at 35 °C is 42.4 MΩ.
    ASSERT_TRUE(judged.oldCorrected && judged.oldCorrected->corrected);
    EXPECT_NEAR(judged.oldCorrected->ohms, 25e6, 1);
    ASSERT_TRUE(judged.newCorrected && judged.newCorrected->corrected);
    EXPECT_NEAR(judged.newCorrected->ohms, 60e6 * std::sqrt(0.5), 1);
    EXPECT_TRUE(judged.temperaturesApart);
    ASSERT_TRUE(bare.newCorrected);
    EXPECT_FALSE(bare.newCorrected->corrected);
    EXPECT_EQ(bare.newCorrected->why, VerdictReason::NoEquipmentData);
    EXPECT_FALSE(bare.temperaturesApart);

    // 9 °C apart is near enough.
    inspect(*newer.ctx, "60.0", "29");
    const InspectionComparison near = compareInspections(older.ctx->document, ctx.document, ctx.language.names);
    for (const ComparedCorrection& c : compareCorrections(older.ctx->document, ctx.document, ctx.language.names, near,
                                                          equipmentOf, shippedRules(), {}))
        EXPECT_FALSE(c.temperaturesApart);

    // The window's warning column.
    inspect(*newer.ctx, "60.0", "35");
    ComparisonDialog dialog(ctx, comparison, QStringLiteral("older.ZIT"));
    dialog.setCorrections(corrections);
    QStringList warnings;
    for (int r = 0; r < dialog.table()->rowCount(); ++r)
        if (const QTableWidgetItem* cell = dialog.table()->item(r, dialog.table()->columnCount() - 2))
            warnings << cell->text();
    const QString apart = ctx.language.decode(ctx.language.texts.text("CmpTemperaturesApart_60"));
    EXPECT_TRUE(warnings.contains(apart + QStringLiteral("; corrected: 25 MΩ \u2192 42.4 MΩ (40 °C)")))
        << warnings.join(u'|').toStdString();
    // Without equipment data a point is not corrected, and says so only in the record panel.
    EXPECT_FALSE(warnings.join(u'|').contains(ctx.language.decode(ctx.language.texts.text("VerdictNoEquipment_60"))));
}

TEST(ComparisonJudgement, TheNewVerdictsStandBesideAChangeThatStaysABound)
{
    LoadedProgram older, newer;
    inspect(*older.ctx, "100", "20");
    inspect(*newer.ctx, "<1", "20");
    AppContext& ctx = *newer.ctx;
    InspectionComparison comparison = compareInspections(older.ctx->document, ctx.document, ctx.language.names);
    EquipmentData motor;
    motor.type = EquipmentType::FormWound;
    motor.ratedKv = 6;
    auto equipmentOf = [&](long, long element) { return element == 1 ? &motor : nullptr; };
    judgeNewerResults(comparison, ctx.document, ctx.language.names, equipmentOf, shippedRules(), {});

    const auto point = std::find_if(comparison.points.begin(), comparison.points.end(),
                                    [](const PointComparison& p) { return p.newer.element == 1; });
    ASSERT_NE(point, comparison.points.end());
    ASSERT_EQ(point->quantities.size(), 2u); // Riso, Temp
    const QuantityChange& riso = point->quantities[0];
    // 100 to "< 1" fell by more than 99 %.
    EXPECT_EQ(riso.changeBound, ValueBound::AtMost);
    EXPECT_EQ(changePercentText(riso.changePercent), "-99");
    ASSERT_FALSE(riso.newVerdicts.empty());
    // "< 1 MΩ" at 20 °C is "< 0.25 MΩ" at 40 °C; without the test's duration it is advice.
    const std::string held = "< 0.25 MΩ at 40 °C < 100 MΩ";
    EXPECT_NE(riso.newVerdicts[0].text.find(held), std::string::npos) << riso.newVerdicts[0].text;
    EXPECT_TRUE(point->quantities[1].newVerdicts.empty()) << "no verdict is of the temperature";

    const std::string text = comparisonText(ctx, comparison);
    EXPECT_NE(text.find("  < -99 %"), std::string::npos) << text;
    EXPECT_NE(text.find("    Advice, IEEE 43 minimum for form-wound windings: " + held), std::string::npos) << text;
    const std::string csv = comparisonCsv(ctx, comparison);
    const std::string heading = csv.substr(0, csv.find("\r\n"));
    EXPECT_TRUE(QString::fromStdString(heading).endsWith(
        QStringLiteral(",change % mark,Verdicts of the new inspection (advice)")))
        << heading;
    EXPECT_NE(csv.find(",<,\"Advice, IEEE 43 minimum for form-wound windings: " + held), std::string::npos) << csv;
    const QByteArray json = comparisonJson(ctx, comparison);
    EXPECT_TRUE(json.contains("\"changeMark\": \"<\"")) << json.constData();
    EXPECT_TRUE(json.contains("\"verdicts\": [")) << json.constData();

    // The window's last column.
    ComparisonDialog dialog(ctx, comparison, QStringLiteral("older.ZIT"));
    QStringList verdicts, changes;
    for (int r = 0; r < dialog.table()->rowCount(); ++r) {
        if (const QTableWidgetItem* cell = dialog.table()->item(r, dialog.table()->columnCount() - 1))
            verdicts << cell->text();
        if (const QTableWidgetItem* cell = dialog.table()->item(r, 6))
            changes << cell->text();
    }
    EXPECT_TRUE(verdicts.join(u'|').contains(QString::fromStdString(held))) << verdicts.join(u'|').toStdString();
    EXPECT_TRUE(changes.contains(QStringLiteral("< -99"))) << changes.join(u'|').toStdString();
}

} // namespace
} // namespace zentrova::test
