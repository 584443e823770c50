// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The verdicts in the windows: the language file's sentences with the rule
// files' names, in English as the one-line verdicts read, and in Slovenian.
#include "structure/VerdictTexts.h"

#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace zentrova;
using namespace zentrova::test;

namespace {

const RuleSets& shippedRules()
{
    static const RuleSets rules = loadRuleSets({QStringLiteral(ZENTROVA_DATA_DIR "/rules")}, nullptr);
    return rules;
}

MeasuredValue number(double x, const char* unit, ValueBound bound = ValueBound::Exact)
{
    MeasuredValue v;
    v.hasNumber = true;
    v.number = x;
    v.baseUnit = unit;
    v.bound = bound;
    return v;
}

ResultReadings result(long function, std::vector<ResultReading> readings)
{
    ResultReadings r;
    r.row = 3;
    r.function = function;
    r.readings = std::move(readings);
    return r;
}

EquipmentData equipment(EquipmentType type, std::optional<double> kv, std::optional<ThermalClass> c = std::nullopt)
{
    EquipmentData e;
    e.type = type;
    e.ratedKv = kv;
    e.thermalClass = c;
    return e;
}

// Results that give every kind of verdict: passes and fails after a
// correction, no temperature, no data, no rated voltage or class, a short
// reading, an open bound, a PI above the ceiling, bands, steps, own limit.
std::vector<Verdict> everyKindOfVerdict()
{
    const EquipmentData formWound = equipment(EquipmentType::FormWound, 6, ThermalClass::F);
    EquipmentData own = equipment(EquipmentType::RandomWound, 0.4, ThermalClass::A);
    own.ownMinimumMOhm = 300;
    const EquipmentData cable = equipment(EquipmentType::Cable, std::nullopt);
    const EquipmentData noClass = equipment(EquipmentType::FormWound, 6);
    const std::vector<std::pair<ResultReadings, const EquipmentData*>> cases = {
        {result(0, {{"Riso", number(248e6, "Ohm")}, {"t", number(60, "s")}, {"Temp", number(20, "degC")}}), &formWound},
        {result(0, {{"Riso", number(900e6, "Ohm")}, {"t", number(60, "s")}, {"Temp", number(20, "degC")}}), &formWound},
        {result(0, {{"Riso", number(62e6, "Ohm")}, {"t", number(60, "s")}}), &formWound},
        {result(0, {{"Riso", number(62e6, "Ohm")}, {"t", number(30, "s")}, {"Temp", number(40, "degC")}}), &formWound},
        {result(0, {{"Riso", number(500e6, "Ohm", ValueBound::AtMost)}, {"Temp", number(40, "degC")}}), &formWound},
        {result(0, {{"Riso", number(62e6, "Ohm")}}), nullptr},
        {result(0, {{"Riso", number(500e6, "Ohm")}, {"Temp", number(20, "degC")}}), &cable},
        {result(0, {{"Riso", number(200e6, "Ohm")}, {"Temp", number(25, "degC")}}), &own},
        {result(1, {{"R60s", number(9e9, "Ohm")}, {"PI", number(1.7, "")}, {"Temp", number(40, "degC")}}), &formWound},
        {result(1, {{"R60s", number(900e6, "Ohm")}, {"PI", number(1.7, "")}, {"Temp", number(40, "degC")}}), &noClass},
        {result(1, {{"R60s", number(900e6, "Ohm")}, {"PI", number(2.5, "")}, {"Temp", number(40, "degC")}}),
         &formWound},
        {result(2, {{"DD", number(4.6, "")}}), nullptr},
        {result(3, {{"R", number(900e6, "Ohm")}, {"R", number(600e6, "Ohm")}}), nullptr},
        {result(3, {{"R", number(900e6, "Ohm")}, {"R", number(950e6, "Ohm")}}), nullptr},
    };
    std::vector<Verdict> all;
    for (const auto& [r, e] : cases)
        for (Verdict& v : evaluateResult(r, e, shippedRules(), {}))
            all.push_back(std::move(v));
    return all;
}

} // namespace

TEST(VerdictTexts, EnglishWindowsSayWhatTheOneLineVerdictsSay)
{
    LoadedProgram p;
    const VerdictTexts texts(p.ctx->language.texts, p.ctx->language.languageFiles.codec());
    const std::vector<Verdict> verdicts = everyKindOfVerdict();
    std::set<VerdictReason> reasons;
    for (const Verdict& v : verdicts) {
        reasons.insert(v.reason);
        // The ratings' names come from the rating texts the grid shows.
        if (v.reason == VerdictReason::Rating)
            continue;
        EXPECT_EQ(texts.line(v).toStdString(), v.text);
    }
    // Every reason but the table's temperatures and the rating met above.
    EXPECT_GE(reasons.size(), 14u);
}

TEST(VerdictTexts, SlovenianWindowsSayTheSentenceAndTheRuleFilesNamesInSlovenian)
{
    LoadedProgram p;
    ASSERT_TRUE(changeLanguage(*p.ctx, 1));
    const VerdictTexts texts(p.ctx->language.texts, p.ctx->language.languageFiles.codec());
    for (const Verdict& v : everyKindOfVerdict()) {
        const QString line = texts.line(v);
        SCOPED_TRACE(v.text);
        EXPECT_FALSE(line.contains(u'{')) << line.toStdString();
        EXPECT_NE(line.toStdString(), v.text);
        if (!v.ruleSetId.empty()) {
            EXPECT_TRUE(line.contains(QString::fromStdString(v.rule.in("sl")))) << line.toStdString();
        }
        // The shipped files name every rule, band and correction in Slovenian.
        for (const RuleText* english : {&v.rule, &v.band, &v.correctionRule})
            if (english->translated()) {
                EXPECT_FALSE(line.contains(QString::fromStdString(english->english))) << line.toStdString();
            }
    }
    const std::vector<Verdict> verdicts = everyKindOfVerdict();
    EXPECT_EQ(texts.line(verdicts.front()).toStdString(),
              "Ne ustreza – najmanjša vrednost po IEEE 43 za oblikovana navitja: 62 MΩ pri 40 °C < 100 MΩ [IEEE Std "
              "43-2013, 12.3; korekcija: pravilo razpolovitve, osnova 40 °C: IEEE Std 43-2000, 6.3]");
    // The history's mark of a point whose verdict fails says so, and never
    // calls that fail advice, in either language.
    for (int language : {1, 0}) {
        ASSERT_TRUE(changeLanguage(*p.ctx, language));
        const QString fail = texts.text("VerdictFail_60").section(u' ', 0, 0);
        const QString advice = texts.text("VerdictAdvice_60").section(u' ', 0, 0).remove(u',');
        EXPECT_TRUE(texts.text("HistFailsMinimum_40").startsWith(fail)) << fail.toStdString();
        EXPECT_FALSE(texts.text("HistFailsMinimum_40").contains(advice, Qt::CaseInsensitive)) << advice.toStdString();
    }
}

TEST(VerdictTexts, ACorrectionSaysItsValueBaseAndRuleOrWhyThereIsNone)
{
    LoadedProgram p;
    const VerdictTexts texts(p.ctx->language.texts, p.ctx->language.languageFiles.codec());
    const RuleSet* halving = shippedRules().correctionFor(EquipmentType::FormWound, {});
    ASSERT_TRUE(halving);
    const std::string rule = halving->title.english;
    EXPECT_EQ(texts.correction(correctResistance(100e6, 20.0, halving)).toStdString(),
              "Corrected: 25 MΩ at 40 °C (tested at 20 °C) by the " + rule);
    EXPECT_EQ(texts.correction(correctResistance(100e6, std::nullopt, halving)).toStdString(),
              "Not corrected: no test temperature");
    EXPECT_EQ(texts.correction(correctResistance(100e6, 20.0, nullptr)).toStdString(),
              "Not corrected: no temperature correction rule for the equipment type");
    RuleSet table;
    table.title = RuleText{"maker's oil table", {}};
    table.method = CorrectionMethod::Table;
    table.factors = {{10, 0.5}, {20, 1}, {30, 2}};
    EXPECT_EQ(texts.correction(correctResistance(100e6, 45.0, &table, 20.0)).toStdString(),
              "Not corrected: 45 °C is outside the table of the maker's oil table");
}

TEST(VerdictTexts, APlaceholderIsFilledOnceAndABraceInAValueStays)
{
    EXPECT_EQ(fillTemplate(QStringLiteral("{a} and {b}, {unknown} {"),
                           {{"a", QStringLiteral("{b}")}, {"b", QStringLiteral("two")}}),
              QStringLiteral("{b} and two, {unknown} {"));
}
