// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The shipped rule data at the rows where judging changes: the oil-filled
// transformer table, the two kinds of transformer, the recommended test
// voltages, the sources the corrections name, and the user's own choices.
#include "structure/Evaluation.h"

#include "ShippedRules.h"
#include "base/Settings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zentrova;
using namespace zentrova::test;

namespace {

MeasuredValue number(double x, const char* unit)
{
    MeasuredValue v;
    v.hasNumber = true;
    v.number = x;
    v.baseUnit = unit;
    return v;
}

// A 1-minute insulation-resistance result; the test voltage when given.
ResultReadings insulationResult(double megohms, double temperature, std::optional<double> volts = std::nullopt)
{
    ResultReadings r;
    r.row = 1;
    r.function = 0;
    r.readings = {
        {"Riso", number(megohms * 1e6, "Ohm")}, {"t", number(60, "s")}, {"Temp", number(temperature, "degC")}};
    if (volts)
        r.readings.push_back({"U", number(*volts, "V")});
    return r;
}

EquipmentData equipment(EquipmentType type, std::optional<double> kv)
{
    EquipmentData e;
    e.type = type;
    e.ratedKv = kv;
    return e;
}

std::optional<Verdict> bySet(const std::vector<Verdict>& verdicts, std::string_view id)
{
    for (const Verdict& v : verdicts)
        if (v.ruleSetId == id)
            return v;
    return std::nullopt;
}

std::vector<Verdict> judged(const ResultReadings& r, const EquipmentData& e, const EvaluationChoices& choices = {})
{
    return evaluateResult(r, &e, shippedRules(), choices);
}

TEST(RuleData, ALiquidFilledTransformerIsCorrectedByTheOilTableRowByRow)
{
    const EquipmentData liquid = equipment(EquipmentType::TransformerLiquid, 15);
    ASSERT_EQ(shippedRules().correctionFor(EquipmentType::TransformerLiquid, {})->id, "oil-transformer-20");
    struct Case {
        double at;
        std::optional<double> factor; // none: outside the table, not corrected
    } cases[] = {
        {0, 0.25},   {15, 0.74},           {30, 1.98},
        {40, 3.95},  {42.5, 4.775}, // halfway between the rows of 40 and 45 °C
        {75, 44.70}, {75.5, std::nullopt}, {-0.5, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto v = bySet(judged(insulationResult(1000, c.at), liquid), "neta-mts-100-1");
        ASSERT_TRUE(v) << c.at;
        if (c.factor) {
            EXPECT_TRUE(v->corrected) << c.at;
            EXPECT_NEAR(*v->value, 1000e6 * *c.factor, 1) << c.at;
        } else {
            EXPECT_FALSE(v->corrected) << c.at;
            EXPECT_EQ(v->outcome, VerdictOutcome::Advice) << c.at;
            EXPECT_EQ(v->reason, VerdictReason::OutsideCorrectionTable) << c.at;
            EXPECT_NE(v->detail.find("is outside the oil-filled transformer table"), std::string::npos) << v->detail;
        }
    }
    // 1,300 MΩ at 40 °C is 5,135 MΩ at 20 °C by the table (passes 5,000 MΩ)
    // but 1,250 MΩ is 4,938 MΩ (fails); the verdict names the table's source.
    const auto pass = bySet(judged(insulationResult(1300, 40), liquid), "neta-mts-100-1");
    EXPECT_EQ(pass->outcome, VerdictOutcome::Pass);
    EXPECT_NE(pass->text.find("corrected by the oil-filled transformer table, base 20 °C: Datsan"), std::string::npos)
        << pass->text;
    EXPECT_EQ(bySet(judged(insulationResult(1250, 40), liquid), "neta-mts-100-1")->outcome, VerdictOutcome::Fail);
    // Dry-type transformers and cables keep the halving rule.
    EXPECT_EQ(shippedRules().correctionFor(EquipmentType::TransformerDry, {})->id, "halving-20");
    EXPECT_EQ(shippedRules().correctionFor(EquipmentType::Cable, {})->id, "halving-20");
}

TEST(RuleData, APlainTransformerKeepsItsJudgingAndSaysItsKindIsNotChosen)
{
    const std::pair<const char*, EquipmentType> names[] = {
        {"transformer", EquipmentType::Transformer},
        {"transformer-liquid", EquipmentType::TransformerLiquid},
        {" Transformer-Dry ", EquipmentType::TransformerDry},
    };
    for (const auto& [name, type] : names) {
        EquipmentType read = EquipmentType::Other;
        EXPECT_TRUE(parseEquipmentType(name, read)) << name;
        EXPECT_EQ(read, type) << name;
    }
    EXPECT_STREQ(equipmentTypeName(EquipmentType::TransformerDry), "transformer-dry");
    EXPECT_TRUE(transformerKindUnchosen(EquipmentType::Transformer));
    EXPECT_FALSE(transformerKindUnchosen(EquipmentType::TransformerLiquid));

    // 1,400 MΩ at 40 °C: by halving 5,600 MΩ at 20 °C, as before the split.
    const auto plain =
        bySet(judged(insulationResult(1400, 40), equipment(EquipmentType::Transformer, 15)), "neta-mts-100-1");
    ASSERT_TRUE(plain);
    EXPECT_NEAR(*plain->value, 5600e6, 1);
    EXPECT_TRUE(plain->transformerKindUnchosen);
    EXPECT_NE(plain->text.find("(liquid-filled or dry-type not chosen: judged as a transformer)"), std::string::npos)
        << plain->text;
    const auto dry =
        bySet(judged(insulationResult(1400, 40), equipment(EquipmentType::TransformerDry, 15)), "neta-mts-100-1");
    ASSERT_TRUE(dry);
    EXPECT_FALSE(dry->transformerKindUnchosen);
    EXPECT_EQ(dry->text.find("not chosen"), std::string::npos) << dry->text;
}

TEST(RuleData, ACorrectionIsCreditedToItsOwnSourceAndEdition)
{
    const RuleSet* halving20 = shippedRules().find("halving-20");
    ASSERT_TRUE(halving20);
    // IEEE 43 covers rotating machines: the 20 °C rule for other equipment is not its.
    EXPECT_EQ(halving20->citation().english.find("IEEE"), std::string::npos) << halving20->citation().english;
    EXPECT_EQ(shippedRules().find("halving-40")->citation().english, "IEEE Std 43-2000, 6.3");
    // The minimum is the 2013 edition's, the correction the 2000 edition's: both are named.
    const auto v =
        bySet(judged(insulationResult(248, 20), equipment(EquipmentType::FormWound, 6)), "ieee43-minimum-ir");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->correctionSource.english, "halving rule, base 40 °C: IEEE Std 43-2000, 6.3");
    EXPECT_EQ(v->correctionSource.in("sl"), "pravilo razpolovitve, osnova 40 °C: IEEE Std 43-2000, 6.3");
    EXPECT_NE(v->text.find("[IEEE Std 43-2013, 12.3; corrected by the halving rule, base 40 °C: IEEE Std 43-2000, "
                           "6.3]"),
              std::string::npos)
        << v->text;
}

struct TestVoltageCase {
    const char* name;
    EquipmentType type;
    double kv, volts;
    const char* set;             // the rule set that advises, or null for none
    std::optional<double> limit; // the bound crossed
};

class TestVoltage : public ::testing::TestWithParam<TestVoltageCase> {};

TEST_P(TestVoltage, IsAdviceOnlyOutsideTheRangeForTheRating)
{
    const TestVoltageCase& c = GetParam();
    const std::vector<Verdict> verdicts = judged(insulationResult(100000, 20, c.volts), equipment(c.type, c.kv));
    const auto advice = std::find_if(verdicts.begin(), verdicts.end(),
                                     [](const Verdict& v) { return v.reason == VerdictReason::TestVoltageOutside; });
    if (!c.set) {
        EXPECT_EQ(advice, verdicts.end()) << advice->text;
        return;
    }
    ASSERT_NE(advice, verdicts.end());
    EXPECT_EQ(advice->ruleSetId, c.set);
    EXPECT_EQ(advice->outcome, VerdictOutcome::Advice);
    EXPECT_EQ(advice->limit, c.limit) << advice->text;
}

const TestVoltageCase TestVoltageCases[] = {
    {"Motor480VAt500", EquipmentType::RandomWound, 0.48, 500, nullptr, {}},
    {"Motor480VAt1000", EquipmentType::RandomWound, 0.48, 1000, "ieee43-test-voltage", 500},
    {"Machine1kVAt500", EquipmentType::FormWound, 1, 500, nullptr, {}},
    {"Machine2500VAt1000", EquipmentType::FormWound, 2.5, 1000, nullptr, {}},
    {"Machine2500VAt2500", EquipmentType::FormWound, 2.5, 2500, "ieee43-test-voltage", 1000},
    {"Machine2501VAt500", EquipmentType::FormWound, 2.501, 500, "ieee43-test-voltage", 1000},
    {"Machine5kVAt2500", EquipmentType::FormWound, 5, 2500, nullptr, {}},
    {"Machine6600VAt1000", EquipmentType::FormWound, 6.6, 1000, "ieee43-test-voltage", 2500},
    {"Machine12kVAt5000", EquipmentType::FormWound, 12, 5000, nullptr, {}},
    {"Machine13800VAt2500", EquipmentType::FormWound, 13.8, 2500, "ieee43-test-voltage", 5000},
    {"Cable250VAt500", EquipmentType::Cable, 0.25, 500, nullptr, {}},
    {"Cable480VAt500", EquipmentType::Cable, 0.48, 500, "neta-mts-100-1-test-voltage", 1000},
    {"Cable600VAt5000", EquipmentType::Cable, 0.6, 5000, nullptr, {}}, // the table names no highest
    {"Transformer15kVAt1000", EquipmentType::TransformerDry, 15, 1000, "neta-mts-100-1-test-voltage", 2500},
    {"Transformer25kVAt2500", EquipmentType::TransformerLiquid, 25, 2500, "neta-mts-100-1-test-voltage", 5000},
    {"Other46kVAt5000", EquipmentType::Other, 46, 5000, nullptr, {}},
};
INSTANTIATE_TEST_SUITE_P(Shipped, TestVoltage, ::testing::ValuesIn(TestVoltageCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RuleData, ATestVoltageRuleFileNeedsItsVoltages)
{
    const std::pair<const char*, const char*> files[] = {
        {R"({"id": "x", "kind": "test-voltage", "title": "t", "source": "s",
             "entries": [{"name": "n", "ratedKvBelow": 1}]})",
         "entry 1 needs \"testVoltageV\""},
        {R"({"id": "x", "kind": "test-voltage", "title": "t", "source": "s",
             "entries": [{"name": "n", "testVoltageV": 1000, "testVoltageMaxV": 500}]})",
         "entry 1: \"testVoltageMaxV\" needs to be at least \"testVoltageV\""},
    };
    for (const auto& [file, reason] : files) {
        RuleSet set;
        std::string error;
        EXPECT_FALSE(parseRuleSet(file, set, &error));
        EXPECT_EQ(error, reason);
    }
}

TEST(RuleData, TheUsersChoicesAreNamedAndRefusedOnesSaidOnce)
{
    ProgramDir dir;
    Settings settings(dir.file(QStringLiteral("ZENTRO.INI")).toStdString());
    ASSERT_TRUE(settings.writeSetting("EVALUATION", "StepVoltageFall", "5"));
    const EvaluationChoices five = evaluationChoices(settings);
    EXPECT_EQ(five.stepFallPercent, 5);
    EXPECT_TRUE(five.refused.empty());
    ResultReadings steps;
    steps.function = 3;
    steps.readings = {{"R", number(100e6, "Ohm")}, {"R", number(97e6, "Ohm")}};
    const auto step = bySet(evaluateResult(steps, nullptr, shippedRules(), five), "step-voltage");
    ASSERT_TRUE(step);
    EXPECT_EQ(step->source.english, StepFallSettingSource);
    EXPECT_EQ(step->text.find("Zentrova default"), std::string::npos) << step->text;

    for (const char* typed : {"abc", "-5", "100", "5 %"}) {
        ASSERT_TRUE(settings.writeSetting("EVALUATION", "StepVoltageFall", typed));
        const EvaluationChoices refused = evaluationChoices(settings);
        EXPECT_FALSE(refused.stepFallPercent) << typed;
        const std::vector<std::string> problems = evaluationProblems(shippedRules(), refused);
        ASSERT_EQ(problems.size(), 1u) << typed;
        EXPECT_EQ(problems[0], std::string("[EVALUATION] StepVoltageFall=") + typed +
                                   " is refused: it needs a number from 0 up to 100 (per cent); the step voltage "
                                   "rule set's own threshold applies");
    }

    // A chosen correction that is not installed corrects nothing; no other rule stands in.
    EvaluationChoices missing;
    missing.correctionFor[int(EquipmentType::Cable)] = "neta-solid";
    EXPECT_EQ(shippedRules().correctionFor(EquipmentType::Cable, missing), nullptr);
    const auto v =
        bySet(judged(insulationResult(1400, 40), equipment(EquipmentType::Cable, 15), missing), "neta-mts-100-1");
    ASSERT_TRUE(v);
    EXPECT_FALSE(v->corrected);
    EXPECT_EQ(v->outcome, VerdictOutcome::Advice);
    EXPECT_EQ(v->reason, VerdictReason::ChosenCorrectionMissing);
    EXPECT_EQ(v->missingCorrection, "neta-solid");
    EXPECT_EQ(v->detail, "not corrected to 20 °C: the correction rule set \"neta-solid\" chosen for cable is not "
                         "installed here");
    EXPECT_EQ(evaluationProblems(shippedRules(), missing),
              std::vector<std::string>{"the correction rule set \"neta-solid\" chosen for cable is not installed "
                                       "here: the values of cable points are not corrected"});
}

} // namespace
