// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Insulation judged by the shipped rule sets: every table at its bounds,
// the temperature correction against worked examples, and a point without
// data or without a temperature.
#include "structure/Evaluation.h"

#include "ShippedRules.h"
#include "base/Settings.h"
#include "structure/StructureContext.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cmath>

using namespace zentrova;
using namespace zentrova::test;

namespace {

MeasuredValue ohms(double megohms, ValueBound bound = ValueBound::Exact)
{
    MeasuredValue v;
    v.hasNumber = true;
    v.number = megohms * 1e6;
    v.baseUnit = "Ohm";
    v.bound = bound;
    return v;
}

MeasuredValue plain(double x, const char* unit = "")
{
    MeasuredValue v;
    v.hasNumber = true;
    v.number = x;
    v.baseUnit = unit;
    return v;
}

// An insulation-resistance result of `megohms` at `temperature` (none: no Temp item).
ResultReadings insulationResult(double megohms, std::optional<double> temperature = 40)
{
    ResultReadings r;
    r.row = 1;
    r.function = 0;
    r.readings.push_back({"Riso", ohms(megohms)});
    r.readings.push_back({"t", plain(60, "s")});
    if (temperature)
        r.readings.push_back({"Temp", plain(*temperature, "degC")});
    return r;
}

EquipmentData equipment(EquipmentType type, std::optional<double> kv = std::nullopt,
                        std::optional<ThermalClass> c = std::nullopt)
{
    EquipmentData e;
    e.type = type;
    e.ratedKv = kv;
    e.thermalClass = c;
    return e;
}

std::vector<Verdict> judged(const ResultReadings& r, const EquipmentData* e, const EvaluationChoices& choices = {})
{
    return evaluateResult(r, e, shippedRules(), choices);
}

// The verdict of rule set `id` (a copy: the verdicts are often a temporary).
std::optional<Verdict> bySet(const std::vector<Verdict>& verdicts, std::string_view id)
{
    for (const Verdict& v : verdicts)
        if (v.ruleSetId == id)
            return v;
    return std::nullopt;
}

TEST(Evaluation, TheHalvingRuleCorrectsToItsBase)
{
    const RuleSet* halving40 = shippedRules().find("halving-40");
    const RuleSet* halving20 = shippedRules().find("halving-20");
    ASSERT_TRUE(halving40 && halving20);
    struct Case {
        const RuleSet* rule;
        double megohms, at, expected;
    } cases[] = {
        {halving40, 100, 20, 25},  // two halvings up to 40 °C
        {halving40, 100, 40, 100}, // at the base already
        {halving40, 100, 50, 200}, // above the base it doubles
        {halving20, 100, 30, 200}, {halving20, 100, 15, 100 * std::pow(0.5, 0.5)},
    };
    for (const Case& c : cases) {
        const CorrectedResistance r = correctResistance(c.megohms * 1e6, c.at, c.rule);
        EXPECT_TRUE(r.corrected);
        EXPECT_NEAR(r.ohms / 1e6, c.expected, 1e-9) << c.rule->id << " at " << c.at;
        EXPECT_EQ(r.temperature, c.rule->baseTemperature);
    }
    const CorrectedResistance none = correctResistance(100e6, std::nullopt, halving40);
    EXPECT_FALSE(none.corrected);
    EXPECT_EQ(none.ohms, 100e6);
    EXPECT_EQ(none.reason, "no test temperature");
}

TEST(Evaluation, ATableOfFactorsInterpolatesAndRefusesTemperaturesOutsideIt)
{
    RuleSet table;
    std::string error;
    ASSERT_TRUE(parseRuleSet(R"({"id": "oil", "kind": "correction", "title": "maker's oil table",
        "source": "Maker", "method": "table", "baseTemperature": 20,
        "factors": [[10, 0.5], [20, 1.0], [30, 2.0]]})",
                             table, &error))
        << error;
    EXPECT_NEAR(correctResistance(100e6, 25, &table).ohms, 150e6, 1e-3);
    EXPECT_NEAR(correctResistance(100e6, 10, &table).ohms, 50e6, 1e-3);
    // To a temperature other than the table's base: the ratio of both factors.
    EXPECT_NEAR(correctResistance(100e6, 10, &table, 30).ohms, 25e6, 1e-3);
    const CorrectedResistance outside = correctResistance(100e6, 31, &table);
    EXPECT_FALSE(outside.corrected);
    EXPECT_NE(outside.reason.find("31 °C is outside the maker's oil table (10 °C to 30 °C)"), std::string::npos)
        << outside.reason;
}

struct MinimumCase {
    const char* name;
    EquipmentType type;
    double kv;
    const char* set;
    double minimumMegohms;
};

class MinimumTable : public ::testing::TestWithParam<MinimumCase> {};

// At its minimum a value passes; a hair below it fails.
TEST_P(MinimumTable, HoldsTheCorrectedValueAgainstTheMinimumOfItsLine)
{
    const MinimumCase& c = GetParam();
    const EquipmentData e = equipment(c.type, c.kv);
    const double base = shippedRules().find(c.set)->baseTemperature;
    const auto at = bySet(judged(insulationResult(c.minimumMegohms, base), &e), c.set);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->outcome, VerdictOutcome::Pass) << at->text;
    EXPECT_NEAR(*at->limit, c.minimumMegohms * 1e6, 1e-3);
    const auto below = bySet(judged(insulationResult(c.minimumMegohms * 0.999, base), &e), c.set);
    ASSERT_TRUE(below);
    EXPECT_EQ(below->outcome, VerdictOutcome::Fail) << below->text;
}

const MinimumCase MinimumCases[] = {
    {"FormWoundJustBelow1kV", EquipmentType::FormWound, 0.99, "ieee43-minimum-ir", 5},
    {"FormWoundAt1kV", EquipmentType::FormWound, 1.0, "ieee43-minimum-ir", 100},
    {"FormWound11kV", EquipmentType::FormWound, 11, "ieee43-minimum-ir", 100},
    {"RandomWound", EquipmentType::RandomWound, 0.4, "ieee43-minimum-ir", 5},
    {"OldWindingKvPlusOne", EquipmentType::OldOrFieldWinding, 6.6, "ieee43-minimum-ir", 7.6},
    {"Neta250V", EquipmentType::Cable, 0.25, "neta-mts-100-1", 25},
    {"NetaJustAbove250V", EquipmentType::Cable, 0.26, "neta-mts-100-1", 100},
    {"Neta600V", EquipmentType::Transformer, 0.6, "neta-mts-100-1", 100},
    {"Neta1000V", EquipmentType::Transformer, 1.0, "neta-mts-100-1", 100},
    {"NetaJustAbove1000V", EquipmentType::Other, 1.001, "neta-mts-100-1", 500},
    {"Neta2500V", EquipmentType::Other, 2.5, "neta-mts-100-1", 500},
    {"Neta5000V", EquipmentType::Cable, 5, "neta-mts-100-1", 1500},
    {"NetaJustAbove5000V", EquipmentType::Cable, 5.01, "neta-mts-100-1", 2500},
    {"Neta8000V", EquipmentType::Cable, 8, "neta-mts-100-1", 2500},
    {"Neta15000V", EquipmentType::Cable, 15, "neta-mts-100-1", 5000},
    {"Neta20kV", EquipmentType::Transformer, 20, "neta-mts-100-1", 10000},
    {"Neta25kV", EquipmentType::Transformer, 25, "neta-mts-100-1", 10000},
    {"Neta34kV", EquipmentType::Cable, 34, "neta-mts-100-1", 100000},
    {"NetaAbove34kV", EquipmentType::Cable, 110, "neta-mts-100-1", 100000},
};
INSTANTIATE_TEST_SUITE_P(Shipped, MinimumTable, ::testing::ValuesIn(MinimumCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Evaluation, AVerdictNamesItsRuleTheValueHeldAgainstAndTheSource)
{
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    // 248 MΩ at 20 °C is 62 MΩ at 40 °C.
    const auto v = bySet(judged(insulationResult(248, 20), &e), "ieee43-minimum-ir");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->outcome, VerdictOutcome::Fail);
    EXPECT_EQ(v->text, "Fails IEEE 43 minimum for form-wound windings: 62 MΩ at 40 °C < 100 MΩ [IEEE Std 43-2013, "
                       "12.3; corrected by the halving rule, base 40 °C: IEEE Std 43-2000, 6.3]");
    EXPECT_TRUE(v->corrected);
    // Rotating machines are not held against the NETA table, which leaves them out.
    EXPECT_FALSE(bySet(judged(insulationResult(248, 20), &e), "neta-mts-100-1"));
}

TEST(Evaluation, APointWithoutDataOrTemperatureIsNeverJudgedInSilence)
{
    // No equipment data: the minimums say so; the advice bands still speak.
    ResultReadings r = insulationResult(50, 20);
    r.function = 1;
    r.readings = {{"R60s", ohms(50)}, {"PI", plain(1.7)}, {"DAR", plain(1.3)}};
    std::vector<Verdict> v = judged(r, nullptr);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].outcome, VerdictOutcome::NotJudged);
    EXPECT_EQ(v[0].text, "Not judged against minimum insulation resistance: the point has no equipment data; only "
                         "the advice bands apply");
    EXPECT_EQ(v[1].text, "Advice, PI and DAR advice bands: PI 1.7 is questionable [common field practice]");
    EXPECT_EQ(v[2].detail, "DAR 1.3 is good");

    // No temperature: not corrected, and the minimum is advice with the reason.
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    const auto raw = bySet(judged(insulationResult(62, std::nullopt), &e), "ieee43-minimum-ir");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->outcome, VerdictOutcome::Advice);
    EXPECT_FALSE(raw->corrected);
    EXPECT_EQ(raw->text, "Advice, IEEE 43 minimum for form-wound windings: 62 MΩ < 100 MΩ (not corrected to 40 °C: "
                         "no test temperature) [IEEE Std 43-2013, 12.3]");

    // The point's test temperature stands in for a result without one.
    EquipmentData withTemperature = e;
    withTemperature.testTemperature = 20;
    const auto corrected = bySet(judged(insulationResult(400, std::nullopt), &withTemperature), "ieee43-minimum-ir");
    ASSERT_TRUE(corrected);
    EXPECT_EQ(corrected->outcome, VerdictOutcome::Pass);
    EXPECT_NEAR(*corrected->value, 100e6, 1e-3);

    // No rated voltage where the table needs one.
    const EquipmentData cable = equipment(EquipmentType::Cable);
    const auto noKv = bySet(judged(insulationResult(500, 20), &cable), "neta-mts-100-1");
    ASSERT_TRUE(noKv);
    EXPECT_EQ(noKv->outcome, VerdictOutcome::NotJudged);
    EXPECT_EQ(noKv->detail, "the point has no rated voltage");
}

TEST(Evaluation, MarksAndReadingTimesLeaveTheVerdictOpenOnlyWhereTheyMust)
{
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    ResultReadings above = insulationResult(10000, 40);
    above.readings[0].value = ohms(10000, ValueBound::AtLeast);
    EXPECT_EQ(bySet(judged(above, &e), "ieee43-minimum-ir")->outcome, VerdictOutcome::Pass);
    ResultReadings under = insulationResult(500, 40);
    under.readings[0].value = ohms(500, ValueBound::AtMost); // below 500 MΩ: it may be above 100 MΩ
    EXPECT_EQ(bySet(judged(under, &e), "ieee43-minimum-ir")->outcome, VerdictOutcome::Advice);
    under.readings[0].value = ohms(100, ValueBound::AtMost);
    EXPECT_EQ(bySet(judged(under, &e), "ieee43-minimum-ir")->outcome, VerdictOutcome::Fail);

    ResultReadings thirtySeconds = insulationResult(500, 40);
    thirtySeconds.readings[1].value = plain(30, "s");
    const auto v = bySet(judged(thirtySeconds, &e), "ieee43-minimum-ir");
    EXPECT_EQ(v->outcome, VerdictOutcome::Advice);
    EXPECT_EQ(v->detail, "read after 30 s; the minimum is for a 1-minute reading");
}

// A reading beyond the instrument's range stays a bound through the
// correction, and passes or fails only where the bound settles it.
struct BoundCase {
    const char* name;
    long function; // 0 insulation resistance (1 minute), 1 diagnostic test (10 minutes)
    ValueBound bound;
    double megohms, temperature;
    VerdictOutcome expected;
    const char* text;
};

class BoundVerdict : public ::testing::TestWithParam<BoundCase> {};

TEST_P(BoundVerdict, SaysWhatTheMeasurementSettles)
{
    const BoundCase& c = GetParam();
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    ResultReadings r;
    r.function = c.function;
    r.readings = {{c.function == 0 ? "Riso" : "R60s", ohms(c.megohms, c.bound)},
                  {"t", plain(c.function == 0 ? 60 : 600, "s")},
                  {"Temp", plain(c.temperature, "degC")}};
    const auto v = bySet(judged(r, &e), "ieee43-minimum-ir");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->outcome, c.expected);
    EXPECT_EQ(v->text, std::string(c.text) + " [IEEE Std 43-2013, 12.3; corrected by the halving rule, base 40 °C: "
                                             "IEEE Std 43-2000, 6.3]");
}

const BoundCase BoundCases[] = {
    {"AboveTheMinimumPasses", 0, ValueBound::AtLeast, 150, 40, VerdictOutcome::Pass,
     "Passes IEEE 43 minimum for form-wound windings: > 150 MΩ at 40 °C ≥ 100 MΩ"},
    {"AboveLessThanTheMinimumIsOpen", 0, ValueBound::AtLeast, 50, 20, VerdictOutcome::Advice,
     "Advice, IEEE 43 minimum for form-wound windings: cannot be judged: the reading is beyond the instrument's "
     "range (> 50 MΩ)"},
    {"BelowTheMinimumFailsCorrected", 0, ValueBound::AtMost, 50, 20, VerdictOutcome::Fail,
     "Fails IEEE 43 minimum for form-wound windings: < 12.5 MΩ at 40 °C < 100 MΩ"},
    {"TheOneMinuteReadingOfAPiTestIsJudged", 1, ValueBound::Exact, 50, 20, VerdictOutcome::Fail,
     "Fails IEEE 43 minimum for form-wound windings: 12.5 MΩ at 40 °C < 100 MΩ"},
};
INSTANTIATE_TEST_SUITE_P(Marks, BoundVerdict, ::testing::ValuesIn(BoundCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Evaluation, ACorrectedBoundIsABoundWithReadableDigits)
{
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    ResultReadings r = insulationResult(10000000, 23);
    r.readings[0].value = ohms(10000000, ValueBound::AtLeast);
    const auto c = resultCorrection(r, &e, shippedRules(), {});
    ASSERT_TRUE(c && c->corrected);
    EXPECT_EQ(c->bound, ValueBound::AtLeast);
    EXPECT_EQ(resistanceText(c->ohms, c->bound), "> 3.08 TΩ");
    EXPECT_EQ(resistanceText(12.5e6, ValueBound::AtMost), "< 12.5 MΩ");
    EXPECT_EQ(resistanceText(47265e6), "47.3 GΩ");
    // The verdict writes it so too, beside its limit in megohms.
    const auto v = bySet(judged(r, &e), "ieee43-minimum-ir");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->outcome, VerdictOutcome::Pass);
    EXPECT_NE(v->text.find(": > 3.08 TΩ at 40 °C ≥ 100 MΩ"), std::string::npos) << v->text;
}

TEST(Evaluation, AReadingOfUnknownDurationIsAdvice)
{
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    ResultReadings r = insulationResult(50, 40);
    r.readings.erase(r.readings.begin() + 1); // no "t"
    const auto v = bySet(judged(r, &e), "ieee43-minimum-ir");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->outcome, VerdictOutcome::Advice);
    EXPECT_EQ(v->reason, VerdictReason::DurationUnknown);
    EXPECT_EQ(v->detail, "the test duration is unknown; the minimum is for a 1-minute reading");
}

TEST(Evaluation, AMarkedPiIsJudgedOnlyWhereItsBoundSettlesIt)
{
    const struct {
        ValueBound bound;
        double pi;
        VerdictOutcome expected;
    } cases[] = {
        {ValueBound::AtLeast, 2.5, VerdictOutcome::Pass},
        {ValueBound::AtLeast, 1.8, VerdictOutcome::Advice},
        {ValueBound::AtMost, 1.5, VerdictOutcome::Fail},
    };
    const EquipmentData e = equipment(EquipmentType::FormWound, 6, ThermalClass::B);
    for (const auto& c : cases) {
        MeasuredValue pi = plain(c.pi);
        pi.bound = c.bound;
        ResultReadings r;
        r.function = 1;
        r.readings = {{"R60s", ohms(1000)}, {"PI", pi}, {"Temp", plain(40, "degC")}};
        const auto v = bySet(judged(r, &e), "ieee43-minimum-pi");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->outcome, c.expected) << v->text;
        if (c.expected == VerdictOutcome::Advice) {
            EXPECT_EQ(v->detail, "cannot be judged: the reading is beyond the instrument's range (> 1.8)");
        }
    }
}

TEST(Evaluation, APiWhoseOneMinuteValueHasNoTemperatureIsAdvice)
{
    // Whether the 1-minute value is above 5,000 MΩ at 40 °C is unknown.
    const EquipmentData e = equipment(EquipmentType::FormWound, 6, ThermalClass::B);
    ResultReadings r;
    r.function = 1;
    r.readings = {{"R60s", ohms(1000)}, {"PI", plain(1.2)}};
    const auto v = bySet(judged(r, &e), "ieee43-minimum-pi");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->outcome, VerdictOutcome::Advice);
    EXPECT_EQ(v->reason, VerdictReason::NoTemperature);
}

TEST(Evaluation, TheMinimumPiGoesByThermalClassAndIsNotJudgedAbove5000Megohms)
{
    struct Case {
        std::optional<ThermalClass> thermalClass;
        double pi, oneMinuteMegohms;
        VerdictOutcome expected;
    } cases[] = {
        {ThermalClass::A, 1.5, 1000, VerdictOutcome::Pass},      {ThermalClass::A, 1.49, 1000, VerdictOutcome::Fail},
        {ThermalClass::B, 2.0, 1000, VerdictOutcome::Pass},      {ThermalClass::F, 1.99, 1000, VerdictOutcome::Fail},
        {ThermalClass::H, 1.2, 5000, VerdictOutcome::Fail},      // at 5,000 MΩ still judged
        {ThermalClass::H, 1.2, 5001, VerdictOutcome::NotJudged}, // above it not
        {std::nullopt, 1.2, 1000, VerdictOutcome::NotJudged},
    };
    for (const Case& c : cases) {
        const EquipmentData e = equipment(EquipmentType::FormWound, 6, c.thermalClass);
        ResultReadings r;
        r.function = 1;
        r.readings = {{"R60s", ohms(c.oneMinuteMegohms)}, {"PI", plain(c.pi)}, {"Temp", plain(40, "degC")}};
        const auto v = bySet(judged(r, &e), "ieee43-minimum-pi");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->outcome, c.expected) << v->text;
        if (c.oneMinuteMegohms > 5000) {
            EXPECT_EQ(v->detail, "the 1-minute value is 5001 MΩ at 40 °C, above 5000 MΩ: the PI may not be meaningful");
        }
    }
}

TEST(Evaluation, DischargeBandsAndStepVoltageFallsAtTheirBounds)
{
    const std::pair<double, const char*> bands[] = {
        {1.99, "good"}, {2, "questionable"}, {3.99, "questionable"}, {4, "poor"}, {7, "poor"}, {7.01, "bad"},
    };
    for (const auto& [dd, name] : bands) {
        ResultReadings r;
        r.function = 2;
        r.readings = {{"DD", plain(dd, "mA/(V*F)")}};
        const auto v = bySet(judged(r, nullptr), "dd-advice");
        ASSERT_TRUE(v);
        EXPECT_EQ(v->outcome, VerdictOutcome::Advice);
        EXPECT_EQ(v->detail.substr(v->detail.rfind(" is ") + 4), name) << dd;
    }

    auto steps = [](std::vector<double> megohms) {
        ResultReadings r;
        r.function = 3;
        for (double m : megohms)
            r.readings.push_back({"R", ohms(m)});
        return r;
    };
    // Falls are measured from the highest earlier step.
    const EquipmentData e = equipment(EquipmentType::FormWound, 6);
    const auto ten = bySet(judged(steps({100, 110, 99}), &e), "step-voltage");
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->outcome, VerdictOutcome::Pass);
    EXPECT_EQ(ten->text, "Passes step voltage fall: the resistance fell 10 % from step 2 to step 3, not more than 10 "
                         "% [Zentrova default (no standard publishes a figure)]");
    EXPECT_EQ(bySet(judged(steps({110, 100, 98.9}), &e), "step-voltage")->outcome, VerdictOutcome::Fail);
    // A point without equipment data is judged by the advice bands only.
    const auto withoutData = bySet(judged(steps({110, 100, 98.9}), nullptr), "step-voltage");
    EXPECT_EQ(withoutData->outcome, VerdictOutcome::Advice);
    EXPECT_EQ(withoutData->text, "Advice, step voltage fall: the resistance fell 10.1 % from step 1 to step 3 "
                                 "[Zentrova default (no standard publishes a figure)]");
    EvaluationChoices strict;
    strict.stepFallPercent = 5;
    EXPECT_EQ(bySet(judged(steps({100, 94}), &e, strict), "step-voltage")->outcome, VerdictOutcome::Fail);
    EXPECT_EQ(bySet(judged(steps({100, 120, 130}), nullptr), "step-voltage")->detail,
              "the resistance did not fall at a higher step");
}

TEST(Evaluation, ThePointsOwnLimitAndTheChosenCorrectionCount)
{
    EquipmentData e = equipment(EquipmentType::Cable, 20);
    e.ownMinimumMOhm = 300;
    const std::vector<Verdict> v = judged(insulationResult(250, 20), &e);
    const auto own = std::find_if(v.begin(), v.end(), [](const Verdict& x) { return x.ruleSetId.empty(); });
    ASSERT_NE(own, v.end());
    EXPECT_EQ(own->outcome, VerdictOutcome::Fail);
    EXPECT_EQ(own->source.english, "the user's own limit");

    // A correction chosen for cables replaces the default: halving to 40 °C
    // first, then to the NETA table's 20 °C, which is the same value.
    EvaluationChoices choices;
    choices.correctionFor[int(EquipmentType::Cable)] = "halving-40";
    EXPECT_EQ(shippedRules().correctionFor(EquipmentType::Cable, choices)->id, "halving-40");
    EXPECT_EQ(shippedRules().correctionFor(EquipmentType::Cable, {})->id, "halving-20");
    EXPECT_EQ(shippedRules().correctionFor(EquipmentType::FormWound, {})->id, "halving-40");
}

TEST(RuleSetFiles, NamesComeInEachLanguageTheFileGivesAndAPlainOneInEvery)
{
    RuleSet set;
    ASSERT_TRUE(parseRuleSet(R"({"id": "x", "kind": "advice-bands", "title": {"sl": "pasovi", "en": "bands"},
        "source": "plant practice", "quantity": "DD",
        "bands": [{"name": {"en": "good", "de": "gut"}, "below": 2}, {"name": "bad"}]})",
                             set, nullptr));
    const RuleText citation = set.citation();
    struct Case {
        const RuleText& text;
        const char* language;
        const char* expected;
    } cases[] = {
        {set.title, "sl", "pasovi"},          {set.title, "en", "bands"},         {set.title, "de", "bands"},
        {set.source, "sl", "plant practice"}, {set.bands[0].name, "de", "gut"},   {set.bands[0].name, "sl", "good"},
        {set.bands[1].name, "sl", "bad"},     {citation, "sl", "plant practice"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.text.in(c.language), c.expected) << c.text.english << " in " << c.language;
    // Without English the first language given stands in.
    ASSERT_TRUE(
        parseRuleSet(R"({"id": "y", "kind": "rating-advice", "title": {"sl": "ocene"}, "source": "s"})", set, nullptr));
    EXPECT_EQ(set.title.in("en"), "ocene");
}

TEST(RuleSetFiles, ABrokenFileIsNamedWithItsReasonAndTheRestStillCount)
{
    struct Case {
        const char* json;
        const char* error;
    } cases[] = {
        {"{\n\"id\": \"x\",\n", "line 3: "},
        {R"({"id": "x", "kind": "magic", "title": "t", "source": "s"})", "unknown \"kind\" \"magic\""},
        {R"({"id": "x", "kind": "correction", "title": "t", "source": "s", "method": "table", "baseTemperature": 20,
             "factors": [[20, 1], [10, 0.5]]})",
         "need to rise"},
        {R"({"id": "x", "kind": "minimum-resistance", "title": "t", "source": "s", "baseTemperature": 20,
             "entries": [{"name": "n", "types": ["boat"], "minimum": 1}]})",
         "unknown equipment type \"boat\""},
        {R"({"id": "x", "kind": "advice-bands", "title": "t", "source": "s", "quantity": "DD",
             "bands": [{"name": "a"}, {"name": "b", "below": 2}]})",
         "the last holds the rest"},
        {R"({"id": "x", "kind": "rating-advice", "title": {"en": 5}, "source": "s"})", "\"title\" needs a text"},
        {R"({"id": "x", "kind": "rating-advice", "title": {}, "source": "s"})", "\"title\" needs a text"},
        {R"({"id": "x", "kind": "rating-advice", "title": {"en": "t", "sl": " "}, "source": "s"})",
         "\"title\" needs a text, or an object of texts by language, and \"sl\" has none"},
    };
    for (const Case& c : cases) {
        RuleSet set;
        std::string error;
        EXPECT_FALSE(parseRuleSet(c.json, set, &error)) << c.json;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }

    // A user's folder: a broken file is left out, a set with a shipped id replaces it.
    QTemporaryDir user;
    ProgramDir files;
    QFile broken(user.filePath(QStringLiteral("broken.json")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    ASSERT_EQ(broken.write("{ nope"), 6);
    broken.close();
    QFile own(user.filePath(QStringLiteral("step.json")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    const QByteArray step = R"({"id": "step-voltage", "kind": "step-voltage", "title": "plant step rule",
        "source": "Plant standard", "edition": "2024", "maximumFallPercent": 5})";
    ASSERT_EQ(own.write(step), step.size());
    own.close();
    QStringList problems;
    const RuleSets rules = loadRuleSets({files.file(QStringLiteral("rules")), user.path()}, &problems);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QLatin1String("broken.json: line 1"))) << problems[0].toStdString();
    EXPECT_EQ(rules.ofKind(RuleKind::StepVoltage).size(), 1u);
    EXPECT_EQ(rules.find("step-voltage")->citation().english, "Plant standard-2024");
    EXPECT_EQ(rules.sets.size(), shippedRules().sets.size());
}

// A user's rule file whose figures would give an infinite or absurd verdict
// is refused, naming the field; the shipped sets all read.
TEST(RuleSetFiles, AFileOfAbsurdFiguresIsRefusedNamingTheField)
{
    const std::string correction = R"({"id": "x", "kind": "correction", "title": "t", "source": "s", )";
    const std::string minimum =
        R"({"id": "x", "kind": "minimum-resistance", "title": "t", "source": "s", "baseTemperature": 20, )";
    const std::string bands = R"({"id": "x", "kind": "advice-bands", "title": "t", "source": "s", "quantity": "DD", )";
    const struct {
        const char* name;
        std::string json;
        const char* error;
    } cases[] = {
        {"tiny halving step", correction + R"("method": "halving", "halvingStep": 1e-300, "baseTemperature": 20})",
         "\"halvingStep\" needs a number from 1 to 100"},
        {"base far below freezing", correction + R"("method": "halving", "halvingStep": 10, "baseTemperature": -1e6})",
         "\"baseTemperature\" needs a number from -60 to 250"},
        {"huge factor",
         correction + R"("method": "table", "baseTemperature": 20, "factors": [[10, 0.5], [20, 1e300]]})",
         "a factor of \"factors\" needs a number from 0.0001 to 10000"},
        {"factor temperature",
         correction + R"("method": "table", "baseTemperature": 20, "factors": [[-1e300, 0.5], [20, 1]]})",
         "a temperature of \"factors\" needs"},
        {"negative minimum", minimum + R"("entries": [{"name": "n", "minimum": -1e308}]})",
         "entry 1: \"minimum\" needs a number from 0 to 1e+09"},
        {"per kV", minimum + R"("entries": [{"name": "n", "minimum": 1}, {"name": "m", "perRatedKv": 1e300}]})",
         "entry 2: \"perRatedKv\" needs"},
        {"rated voltage", minimum + R"("entries": [{"name": "n", "ratedKvAtMost": -3, "minimum": 1}]})",
         "entry 1: \"ratedKvAtMost\" needs a number from 0 to 1000"},
        {"empty voltage range",
         minimum + R"("entries": [{"name": "n", "ratedKvAbove": 5, "ratedKvBelow": 1, "minimum": 1}]})",
         "entry 1: \"ratedKvAbove\" needs to be below \"ratedKvBelow\""},
        {"unsorted bands",
         bands +
             R"("bands": [{"name": "good", "below": 2}, {"name": "poor", "atMost": 7}, {"name": "questionable", "below": 4}, {"name": "bad"}]})",
         "band 3 (\"questionable\"): the bounds of \"bands\" need to rise"},
        {"band of both", bands + R"("bands": [{"name": "good", "below": 2, "atMost": 3}, {"name": "bad"}]})",
         "band 1 (\"good\") needs \"below\" or \"atMost\", not both"},
    };
    for (const auto& c : cases) {
        RuleSet set;
        std::string error;
        EXPECT_FALSE(parseRuleSet(c.json, set, &error)) << c.name;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.name << ": " << error;
    }
    // A bound may stay where the previous band's "below" ended, as "atMost": that band holds the bound itself.
    RuleSet held;
    std::string error;
    EXPECT_TRUE(parseRuleSet(
        bands + R"("bands": [{"name": "a", "below": 2}, {"name": "b", "atMost": 2}, {"name": "c"}]})", held, &error))
        << error;

    // In a user's folder the refused file is named with its field; the shipped set of that id stays.
    QTemporaryDir user;
    QFile own(user.filePath(QStringLiteral("halving.json")));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    const QByteArray absurd = R"({"id": "halving-40", "kind": "correction", "title": "t", "source": "s",
        "method": "halving", "halvingStep": 1e-300, "baseTemperature": 40})";
    ASSERT_EQ(own.write(absurd), absurd.size());
    own.close();
    QStringList problems;
    const RuleSets rules = loadRuleSets({QStringLiteral(ZENTROVA_DATA_DIR "/rules"), user.path()}, &problems);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QLatin1String("halving.json: \"halvingStep\""))) << problems[0].toStdString();
    EXPECT_EQ(rules.find("halving-40")->halvingStep, 10);
    EXPECT_EQ(rules.sets.size(), shippedRules().sets.size());
}

TEST(Evaluation, ADocumentsResultsAreReadPointByPointAndTheSettingsChoose)
{
    LoadedProgram program;
    AppContext& c = *program.ctx;
    c.document.familyCode = 14;
    applyFamilyProfile(c);
    ResultTable& t = c.document.structure.table;
    t.clear();
    t.setCell(1, 0, "TIVE5kV\rHW\rFW\r12345678\r\r\r\r");
    const int r = t.appendRow();
    t.setCell(1, r, "1\r2\r3");
    t.setCell(2, r, "001\rHall\rMotor\r6,13");
    t.setCell(3, r, "500\rInsulation resistance");
    t.setCell(4, r, "50150762");
    t.setCell(5, r, "51951920\r51551460");
    const std::vector<PointResults> points = pointResults(c);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(points[0].block, 2);
    EXPECT_EQ(points[0].element, 3);
    ASSERT_EQ(points[0].results.size(), 1u);
    const ResultReadings& readings = points[0].results[0];
    EXPECT_EQ(readings.function, 0);
    ASSERT_TRUE(readings.find("Riso") && readings.find("Temp"));
    EXPECT_EQ(readings.find("Riso")->number, 62e6);
    EXPECT_EQ(readings.find("Temp")->number, 20);

    Settings settings(program.dir.file(QStringLiteral("ZENTRO.INI")).toStdString());
    ASSERT_TRUE(settings.writeSetting("EVALUATION", "Correction_cable", "halving-40"));
    ASSERT_TRUE(settings.writeSetting("EVALUATION", "StepVoltageFall", "12.5"));
    const EvaluationChoices choices = evaluationChoices(settings);
    EXPECT_EQ(choices.correctionFor[int(EquipmentType::Cable)], "halving-40");
    EXPECT_EQ(choices.stepFallPercent, 12.5);
    ASSERT_TRUE(settings.writeSetting("EVALUATION", "StepVoltageFall", "lots"));
    EXPECT_FALSE(evaluationChoices(settings).stepFallPercent);
}

} // namespace
