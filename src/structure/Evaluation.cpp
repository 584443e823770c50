// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/Evaluation.h"

#include "base/Settings.h"
#include "base/TextRules.h"
#include "language/Language.h"
#include "language/Profile.h"
#include "structure/InspectionComparison.h"
#include "structure/InsulationRating.h"
#include "structure/ResultValues.h"
#include "structure/StructureContext.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace zentrova {

namespace {

constexpr double OhmsPerMegohm = 1e6;

// The symbols of the quantities the judging reads, by their number counted
// from the family's base (as the language files name them at base + number).
constexpr std::array<std::pair<long, const char*>, 14> QuantitySymbols{{
    {1, "Riso"},
    {2, "R15s"},
    {3, "R30s"},
    {4, "R60s"},
    {5, "R10min"},
    {6, "DAR"},
    {7, "PI"},
    {8, "DD"},
    {12, "R"},
    {15, "t"},
    {16, "Rlim"},
    {18, "U"},
    {19, "Temp"},
    {20, "R20"}, // the instrument's own value at 20 °C
}};

enum Function : long { InsulationResistance = 0, DiagnosticTest = 1, StepVoltage = 3 };

} // namespace

std::string verdictNumber(double v)
{
    if (v == 0 || !std::isfinite(v))
        return plainNumber(v);
    const int magnitude = int(std::floor(std::log10(std::fabs(v))));
    const int decimals = std::max(0, 2 - magnitude);
    // The powers of ten a double holds exactly, as pow gives them.
    static constexpr double ExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double scale = decimals < int(std::size(ExactPowers)) ? ExactPowers[decimals] : std::pow(10.0, decimals);
    return plainNumber(std::round(v * scale) / scale);
}

std::string megohmText(double ohms)
{
    // Limits are megohms; a reading of a teraohm or more would be a row of
    // digits there, and is scaled as the results grid scales it.
    if (std::fabs(ohms) >= 1e6 * OhmsPerMegohm)
        return resistanceText(ohms);
    return verdictNumber(ohms / OhmsPerMegohm) + " MΩ";
}

std::string resistanceText(double ohms, ValueBound bound)
{
    MeasuredValue v;
    v.hasNumber = true;
    v.number = ohms;
    v.baseUnit = "Ohm";
    v.bound = bound;
    std::string text = prefixedValueText(v);
    if (const size_t unit = text.rfind("Ohm"); unit != std::string::npos)
        text.replace(unit, 3, "Ω");
    return text;
}

std::string degreesText(double t)
{
    return plainNumber(std::round(t * 10) / 10) + " °C";
}

namespace {

std::string shortNumber(double v)
{
    return verdictNumber(v);
}

std::string megohms(double ohms)
{
    return megohmText(ohms);
}

std::string degrees(double t)
{
    return degreesText(t);
}

// Whether a value (scaled by a positive factor) holds against a minimum:
// its marks are bounds, so a "<" value fails only below the minimum and a
// ">" value passes only above it.
enum class Standing { Above, Below, Open };

Standing standingOf(ValueBound bound, double scaled, double minimum)
{
    switch (bound) {
    case ValueBound::Exact:
        return scaled >= minimum ? Standing::Above : Standing::Below;
    case ValueBound::AtLeast:
        return scaled >= minimum ? Standing::Above : Standing::Open;
    case ValueBound::AtMost:
        return scaled <= minimum ? Standing::Below : Standing::Open;
    }
    return Standing::Open;
}

std::string boundMark(ValueBound b)
{
    return b == ValueBound::AtMost ? "< " : b == ValueBound::AtLeast ? "> " : "";
}

std::string openBoundDetail(const std::string& reading)
{
    return "cannot be judged: the reading is beyond the instrument's range (" + reading + ")";
}

Verdict verdictOf(const ResultReadings& result, const std::string& quantity, const RuleSet* set, RuleText rule)
{
    Verdict v;
    v.row = result.row;
    v.quantity = quantity;
    v.rule = std::move(rule);
    if (set) {
        v.ruleSetId = set->id;
        v.source = set->cited.empty() ? set->citation() : set->cited;
    }
    return v;
}

Verdict notJudged(Verdict v, std::string why, VerdictReason reason)
{
    v.outcome = VerdictOutcome::NotJudged;
    v.detail = std::move(why);
    v.reason = reason;
    v.text = verdictText(v);
    return v;
}

// How a verdict names a line of a rule set: "IEEE 43 minimum for form-wound windings".
RuleText entryRuleName(const RuleSet& set, const MinimumEntry& e)
{
    return e.fullName.empty() ? joinedRuleText(set.title, " ", e.name) : e.fullName;
}

bool entryApplies(const MinimumEntry& e, const EquipmentData& eq)
{
    if (!e.types.empty() && std::find(e.types.begin(), e.types.end(), eq.type) == e.types.end())
        return false;
    if (!e.classes.empty() &&
        (!eq.thermalClass || std::find(e.classes.begin(), e.classes.end(), *eq.thermalClass) == e.classes.end()))
        return false;
    if (e.needsRatedVoltage() && eq.ratedKv) {
        const double kv = *eq.ratedKv;
        if ((e.ratedKvBelow && !(kv < *e.ratedKvBelow)) || (e.ratedKvAtMost && !(kv <= *e.ratedKvAtMost)) ||
            (e.ratedKvAbove && !(kv > *e.ratedKvAbove)))
            return false;
    }
    return true;
}

// The first entry of `set` that applies to the equipment; null with the
// reason when none does or the equipment lacks what an entry asks.
const MinimumEntry* applyingEntry(const RuleSet& set, const EquipmentData& eq, std::string& why, VerdictReason& reason)
{
    for (const MinimumEntry& e : set.entries) {
        if (!entryApplies(e, eq))
            continue;
        if (e.needsRatedVoltage() && !eq.ratedKv) {
            why = "the point has no rated voltage";
            reason = VerdictReason::NoRatedVoltage;
            return nullptr;
        }
        return &e;
    }
    const bool noClass = set.kind == RuleKind::MinimumPi && !eq.thermalClass;
    why = noClass ? "the point has no thermal class" : "no line of the rule set applies to the point";
    reason = noClass ? VerdictReason::NoThermalClass : VerdictReason::NoApplyingLine;
    return nullptr;
}

// The minimum insulation resistance of one rule set against a 1-minute value.
Verdict minimumResistanceVerdict(const ResultReadings& result, const std::string& quantity, const MeasuredValue& value,
                                 std::optional<double> temperature, const std::string& readingNote,
                                 VerdictReason readingReason, const RuleSet& set, const EquipmentData& eq,
                                 const RuleSets& rules, const EvaluationChoices& choices)
{
    Verdict v = verdictOf(result, quantity, &set, set.title);
    std::string why;
    VerdictReason reason = VerdictReason::None;
    const MinimumEntry* entry = applyingEntry(set, eq, why, reason);
    if (!entry)
        return notJudged(std::move(v), why, reason);
    v.rule = entryRuleName(set, *entry);
    v.unit = "Ohm";
    const double minimum = (entry->minimum + entry->perRatedKv * eq.ratedKv.value_or(0)) * OhmsPerMegohm;
    v.limit = minimum;
    const CorrectedResistance c =
        correctForType(value.number, temperature, eq.type, rules, choices, set.baseTemperature);
    v.transformerKindUnchosen = transformerKindUnchosen(eq.type);
    v.missingCorrection = c.missingCorrection;
    v.value = c.ohms;
    v.valueBound = value.bound;
    v.corrected = c.corrected;
    v.measured = value.number;
    v.measuredBound = value.bound;
    v.testTemperature = temperature;
    v.correctionBase = set.baseTemperature;
    if (c.rule)
        v.correctionRule = c.rule->title;
    if (c.corrected || temperature)
        v.temperature = c.corrected ? c.temperature : *temperature;
    const Standing s = standingOf(value.bound, c.ohms, minimum);
    if (!c.corrected) {
        v.outcome = VerdictOutcome::Advice;
        v.detail = "not corrected to " + degrees(set.baseTemperature) + ": " + c.reason;
        v.reason = c.why;
    } else if (!readingNote.empty()) {
        v.outcome = VerdictOutcome::Advice;
        v.detail = readingNote;
        v.reason = readingReason;
        if (readingReason == VerdictReason::NotOneMinuteReading)
            v.readAfterSeconds = result.find("t")->number;
    } else if (s == Standing::Open) {
        v.outcome = VerdictOutcome::Advice;
        v.detail = openBoundDetail(boundMark(value.bound) + megohms(value.number));
        v.reason = VerdictReason::OpenBound;
    } else {
        v.outcome = s == Standing::Above ? VerdictOutcome::Pass : VerdictOutcome::Fail;
        if (c.rule) {
            v.detail = "corrected from " + boundMark(value.bound) + megohms(value.number) + " at " +
                       degrees(c.testTemperature) + " by the " + c.rule->title.english;
            v.reason = VerdictReason::CorrectedFrom;
        }
    }
    // A correction has a source of its own, often not the minimum's: the
    // verdict names both.
    if (c.corrected && c.rule)
        v.correctionSource =
            c.rule->credit.empty() ? joinedRuleText(c.rule->title, ": ", c.rule->citation()) : c.rule->credit;
    v.text = verdictText(v);
    return v;
}

const char* ratingName(RatingKind kind, RatingClass c)
{
    switch (c) {
    case RatingClass::Dangerous:
        return "dangerous";
    case RatingClass::Questionable:
        return "questionable";
    case RatingClass::Good:
        return "good";
    case RatingClass::Best:
        return kind == RatingKind::PolarisationIndex ? "very good" : "excellent";
    }
    return "";
}

void adviseRatings(const ResultReadings& result, const RuleSets& rules, std::vector<Verdict>& out)
{
    const auto found = std::find_if(rules.sets.begin(), rules.sets.end(),
                                    [](const RuleSet& s) { return s.kind == RuleKind::RatingAdvice; });
    if (found == rules.sets.end())
        return;
    const RuleSet& set = *found;
    for (const auto& [name, kind] :
         {std::pair{"PI", RatingKind::PolarisationIndex}, std::pair{"DAR", RatingKind::AbsorptionRatio}}) {
        const MeasuredValue* value = result.find(name);
        if (!value || !value->hasNumber)
            continue;
        Verdict v = verdictOf(result, name, &set, set.title);
        v.outcome = VerdictOutcome::Advice;
        v.value = value->number;
        v.measuredBound = value->bound;
        const std::optional<RatingClass> rating = rateMeasuredValue(kind, *value);
        v.reason = VerdictReason::Rating;
        v.rating = rating;
        v.ratingKind = kind;
        v.detail = std::string(name) + " " + boundMark(value->bound) + shortNumber(value->number) + " is " +
                   (rating ? ratingName(kind, *rating) : "beyond the instrument's range, its class open");
        v.text = verdictText(v);
        out.push_back(std::move(v));
    }
}

void adviseBands(const ResultReadings& result, const RuleSets& rules, std::vector<Verdict>& out)
{
    for (const RuleSet& eachSet : rules.sets) {
        if (eachSet.kind != RuleKind::AdviceBands)
            continue;
        const RuleSet* set = &eachSet;
        const MeasuredValue* value = result.find(set->quantity);
        if (!value || !value->hasNumber)
            continue;
        const double x = value->number;
        const AdviceBand* band = &set->bands.back();
        for (const AdviceBand& b : set->bands)
            if ((b.below && x < *b.below) || (b.atMost && x <= *b.atMost)) {
                band = &b;
                break;
            }
        Verdict v = verdictOf(result, set->quantity, set, set->title);
        v.outcome = VerdictOutcome::Advice;
        v.value = x;
        v.measuredBound = value->bound;
        v.reason = VerdictReason::Band;
        v.band = band->name;
        v.detail = set->quantity + " " + boundMark(value->bound) + shortNumber(x) + " is " + band->name.english;
        v.text = verdictText(v);
        out.push_back(std::move(v));
    }
}

// Without equipment data a point is judged by the advice bands only: the
// fall is then advice.
void judgeSteps(const ResultReadings& result, bool hasEquipment, const RuleSets& rules,
                const EvaluationChoices& choices, std::vector<Verdict>& out)
{
    std::vector<std::pair<int, double>> steps; // step number, ohms
    for (int k = 1;; ++k) {
        const MeasuredValue* r = result.find("R", k);
        if (!r)
            break;
        if (r->hasNumber && r->bound == ValueBound::Exact)
            steps.emplace_back(k, r->number);
    }
    if (steps.size() < 2)
        return;
    for (const RuleSet& eachSet : rules.sets) {
        if (eachSet.kind != RuleKind::StepVoltage)
            continue;
        const RuleSet* set = &eachSet;
        const double allowed = choices.stepFallPercent.value_or(set->maximumFallPercent);
        double highest = steps.front().second, worstFall = 0;
        int fromStep = steps.front().first, worstStep = 0, worstFrom = 0;
        for (size_t i = 1; i < steps.size(); ++i) {
            const auto [k, ohms] = steps[i];
            if (highest > 0) {
                const double fall = (highest - ohms) / highest * 100;
                if (fall > worstFall) {
                    worstFall = fall;
                    worstStep = k;
                    worstFrom = fromStep;
                }
            }
            if (ohms > highest) {
                highest = ohms;
                fromStep = k;
            }
        }
        Verdict v = verdictOf(result, "R", set, set->title);
        if (choices.stepFallPercent)
            v.source = RuleText{StepFallSettingSource, {}};
        v.unit = "%";
        v.value = worstFall;
        v.limit = allowed;
        v.outcome = !hasEquipment         ? VerdictOutcome::Advice
                    : worstFall > allowed ? VerdictOutcome::Fail
                                          : VerdictOutcome::Pass;
        v.reason = worstStep ? VerdictReason::StepFall : VerdictReason::StepNoFall;
        v.stepFrom = worstFrom;
        v.stepTo = worstStep;
        v.detail = worstStep ? "the resistance fell " + shortNumber(worstFall) + " % from step " +
                                   std::to_string(worstFrom) + " to step " + std::to_string(worstStep)
                             : "the resistance did not fall at a higher step";
        v.text = verdictText(v);
        out.push_back(std::move(v));
    }
}

// The test voltage the instrument sent against the range recommended for
// the point's rated voltage: advice when outside it, nothing when within.
// Without a rated voltage the minimum's verdict already asks for one.
void adviseTestVoltage(const ResultReadings& result, const EquipmentData& eq, const RuleSets& rules,
                       std::vector<Verdict>& out)
{
    const MeasuredValue* sent = result.find("U");
    if (!sent || !sent->hasNumber || sent->bound != ValueBound::Exact || sent->baseUnit != "V" || !eq.ratedKv)
        return;
    for (const RuleSet* set : rules.ofKind(RuleKind::TestVoltage)) {
        if (!set->appliesTo(eq.type))
            continue;
        std::string why;
        VerdictReason reason = VerdictReason::None;
        const MinimumEntry* entry = applyingEntry(*set, eq, why, reason);
        if (!entry || !entry->testVoltageV)
            continue;
        const double low = *entry->testVoltageV;
        const std::optional<double> high = entry->testVoltageMaxV;
        const double volts = sent->number;
        if (volts >= low && (!high || volts <= *high))
            continue;
        Verdict v = verdictOf(result, "U", set, entryRuleName(*set, *entry));
        v.outcome = VerdictOutcome::Advice;
        v.reason = VerdictReason::TestVoltageOutside;
        v.unit = "V";
        v.value = volts;
        v.limit = volts < low ? low : *high;
        v.recommendedLowV = low;
        v.recommendedHighV = high;
        const std::string range = !high          ? "at least " + shortNumber(low) + " V"
                                  : *high == low ? shortNumber(low) + " V"
                                                 : shortNumber(low) + " V to " + shortNumber(*high) + " V";
        v.detail = "the test voltage " + shortNumber(volts) + " V is " + (volts < low ? "below" : "above") +
                   " the recommended " + range;
        v.text = verdictText(v);
        out.push_back(std::move(v));
    }
}

void judgeMinimumPi(const ResultReadings& result, const EquipmentData& eq, std::optional<double> temperature,
                    const RuleSets& rules, const EvaluationChoices& choices, std::vector<Verdict>& out)
{
    const MeasuredValue* pi = result.find("PI");
    if (!pi || !pi->hasNumber)
        return;
    for (const RuleSet& eachSet : rules.sets) {
        if (eachSet.kind != RuleKind::MinimumPi)
            continue;
        const RuleSet* set = &eachSet;
        if (!set->appliesTo(eq.type))
            continue;
        Verdict v = verdictOf(result, "PI", set, set->title);
        std::string why;
        VerdictReason reason = VerdictReason::None;
        const MinimumEntry* entry = applyingEntry(*set, eq, why, reason);
        if (!entry) {
            out.push_back(notJudged(std::move(v), why, reason));
            continue;
        }
        v.rule = entryRuleName(*set, *entry);
        v.value = pi->number;
        v.valueBound = pi->bound;
        v.measuredBound = pi->bound;
        v.limit = entry->minimum;
        const MeasuredValue* oneMinute = result.find("R60s");
        if (set->notJudgedAboveMOhm && oneMinute && oneMinute->hasNumber) {
            const CorrectedResistance c =
                correctForType(oneMinute->number, temperature, eq.type, rules, choices, set->baseTemperature);
            const double ceiling = *set->notJudgedAboveMOhm * OhmsPerMegohm;
            if (!c.corrected) {
                // Whether the 1-minute value at the base is above the
                // ceiling, where the PI is not judged, is then unknown.
                v.outcome = VerdictOutcome::Advice;
                v.reason = c.why;
                v.testTemperature = temperature;
                v.correctionBase = set->baseTemperature;
                if (c.rule)
                    v.correctionRule = c.rule->title;
                v.detail = "the 1-minute value is not corrected to " + degrees(set->baseTemperature) + ": " + c.reason;
                v.text = verdictText(v);
                out.push_back(std::move(v));
                continue;
            }
            if (oneMinute->bound != ValueBound::AtMost && c.ohms > ceiling) {
                v.measured = c.ohms;
                v.corrected = c.corrected;
                if (c.corrected)
                    v.temperature = c.temperature;
                v.ceiling = ceiling;
                out.push_back(notJudged(std::move(v),
                                        "the 1-minute value is " + megohms(c.ohms) +
                                            (c.corrected ? " at " + degrees(c.temperature) : " as measured") +
                                            ", above " + megohms(ceiling) + ": the PI may not be meaningful",
                                        VerdictReason::PiNotMeaningful));
                continue;
            }
        }
        const Standing s = standingOf(pi->bound, pi->number, entry->minimum);
        v.outcome = s == Standing::Above   ? VerdictOutcome::Pass
                    : s == Standing::Below ? VerdictOutcome::Fail
                                           : VerdictOutcome::Advice;
        if (s == Standing::Open) {
            v.detail = openBoundDetail(boundMark(pi->bound) + shortNumber(pi->number));
            v.reason = VerdictReason::OpenBound;
            v.measured = pi->number;
        }
        v.text = verdictText(v);
        out.push_back(std::move(v));
    }
}

} // namespace

const MeasuredValue* ResultReadings::find(std::string_view quantity, int occurrence) const
{
    int seen = 0;
    for (const ResultReading& r : readings)
        if (r.quantity == quantity && ++seen == occurrence)
            return &r.value;
    return nullptr;
}

std::optional<double> correctionFactor(const RuleSet& rule, double from, double to, std::string* reason)
{
    if (rule.method == CorrectionMethod::Halving)
        return std::pow(0.5, (to - from) / rule.halvingStep);
    // The table's factor takes a value at T to the table's base: the factor
    // from one temperature to another is the ratio of theirs.
    auto factorAt = [&](double t) -> std::optional<double> {
        const auto& f = rule.factors;
        if (t < f.front().first || t > f.back().first)
            return std::nullopt;
        for (size_t i = 1; i < f.size(); ++i)
            if (t <= f[i].first) {
                const double share = (t - f[i - 1].first) / (f[i].first - f[i - 1].first);
                return f[i - 1].second + share * (f[i].second - f[i - 1].second);
            }
        return f.back().second;
    };
    const std::optional<double> a = factorAt(from), b = factorAt(to);
    if (!a || !b) {
        if (reason)
            *reason = degrees(a ? to : from) + " is outside the " + rule.title.english + " (" +
                      degrees(rule.factors.front().first) + " to " + degrees(rule.factors.back().first) + ")";
        return std::nullopt;
    }
    return *a / *b;
}

CorrectedResistance correctResistance(double ohms, std::optional<double> testTemperature, const RuleSet* rule,
                                      std::optional<double> to)
{
    CorrectedResistance c;
    c.ohms = ohms;
    c.rule = rule;
    if (!testTemperature) {
        c.reason = "no test temperature";
        c.why = VerdictReason::NoTemperature;
        return c;
    }
    c.testTemperature = *testTemperature;
    if (!rule) {
        c.reason = "no temperature correction rule for the equipment type";
        c.why = VerdictReason::NoCorrectionRule;
        return c;
    }
    c.temperature = to.value_or(rule->baseTemperature);
    const std::optional<double> factor = correctionFactor(*rule, *testTemperature, c.temperature, &c.reason);
    if (!factor) {
        c.why = VerdictReason::OutsideCorrectionTable;
        return c;
    }
    c.corrected = true;
    c.ohms = ohms * *factor;
    return c;
}

std::optional<CorrectedResistance> resultCorrection(const ResultReadings& result, const EquipmentData* equipment,
                                                    const RuleSets& rules, const EvaluationChoices& choices)
{
    if (result.function != InsulationResistance && result.function != DiagnosticTest)
        return std::nullopt;
    const MeasuredValue* value = result.find(result.function == InsulationResistance ? "Riso" : "R60s");
    if (!value || !value->hasNumber || value->baseUnit != "Ohm")
        return std::nullopt;
    if (!equipment) {
        CorrectedResistance c;
        c.ohms = value->number;
        c.bound = value->bound;
        c.reason = "the point has no equipment data";
        c.why = VerdictReason::NoEquipmentData;
        return c;
    }
    CorrectedResistance c =
        correctForType(value->number, resultTemperature(result, equipment), equipment->type, rules, choices);
    c.bound = value->bound;
    return c;
}

CorrectedResistance correctForType(double ohms, std::optional<double> testTemperature, EquipmentType type,
                                   const RuleSets& rules, const EvaluationChoices& choices, std::optional<double> to)
{
    std::string missing;
    const RuleSet* rule = rules.correctionFor(type, choices, &missing);
    CorrectedResistance c = correctResistance(ohms, testTemperature, rule, to);
    if (!missing.empty() && c.why == VerdictReason::NoCorrectionRule) {
        c.reason = "the correction rule set \"" + missing + "\" chosen for " + equipmentTypeName(type) +
                   " is not installed here";
        c.why = VerdictReason::ChosenCorrectionMissing;
        c.missingCorrection = missing;
    }
    return c;
}

std::optional<double> resultTemperature(const ResultReadings& result, const EquipmentData* equipment)
{
    if (const MeasuredValue* t = result.find("Temp");
        t && t->hasNumber && t->bound == ValueBound::Exact && t->baseUnit == "degC")
        return t->number;
    if (equipment && equipment->testTemperature)
        return equipment->testTemperature;
    return std::nullopt;
}

namespace {

// The verdicts of one result, added to `out`: a point's verdicts go into one
// list without a list per result.
void addResultVerdicts(const ResultReadings& result, const EquipmentData* equipment, const RuleSets& rules,
                       const EvaluationChoices& choices, std::vector<Verdict>& out)
{
    const std::optional<double> temperature = resultTemperature(result, equipment);
    if (result.function == InsulationResistance || result.function == DiagnosticTest) {
        const char* quantity = result.function == InsulationResistance ? "Riso" : "R60s";
        const MeasuredValue* value = result.find(quantity);
        if (value && value->hasNumber && value->baseUnit == "Ohm") {
            // The minimums are of a 1-minute reading. A diagnostic test's
            // R60s is one whatever the test's length; an insulation-resistance
            // result is read when the test ends, and without its duration
            // that may have been any time.
            std::string readingNote;
            VerdictReason readingReason = VerdictReason::None;
            if (result.function == InsulationResistance) {
                const MeasuredValue* t = result.find("t");
                if (!t || !t->hasNumber || t->baseUnit != "s" || t->bound != ValueBound::Exact) {
                    readingNote = "the test duration is unknown; the minimum is for a 1-minute reading";
                    readingReason = VerdictReason::DurationUnknown;
                } else if (std::fabs(t->number - 60) > 0.5) {
                    readingNote = "read after " + shortNumber(t->number) + " s; the minimum is for a 1-minute reading";
                    readingReason = VerdictReason::NotOneMinuteReading;
                }
            }
            if (!equipment) {
                Verdict v = verdictOf(result, quantity, nullptr, RuleText{"minimum insulation resistance", {}});
                v.measured = value->number;
                v.measuredBound = value->bound;
                v.testTemperature = temperature;
                out.push_back(notJudged(std::move(v), "the point has no equipment data; only the advice bands apply",
                                        VerdictReason::NoEquipmentData));
            } else {
                for (const RuleSet* set : rules.ofKind(RuleKind::MinimumResistance))
                    if (set->appliesTo(equipment->type))
                        out.push_back(minimumResistanceVerdict(result, quantity, *value, temperature, readingNote,
                                                               readingReason, *set, *equipment, rules, choices));
                if (equipment->ownMinimumMOhm) {
                    Verdict v = verdictOf(result, quantity, nullptr, RuleText{"own limit of the point", {}});
                    v.source = RuleText{"the user's own limit", {}};
                    v.unit = "Ohm";
                    v.value = value->number;
                    v.valueBound = value->bound;
                    v.temperature = temperature;
                    v.limit = *equipment->ownMinimumMOhm * OhmsPerMegohm;
                    const Standing s = standingOf(value->bound, value->number, *v.limit);
                    v.outcome = s == Standing::Above   ? VerdictOutcome::Pass
                                : s == Standing::Below ? VerdictOutcome::Fail
                                                       : VerdictOutcome::Advice;
                    v.detail = "as measured";
                    v.reason = VerdictReason::AsMeasured;
                    if (s == Standing::Open) {
                        v.detail = openBoundDetail(boundMark(value->bound) + megohms(value->number));
                        v.reason = VerdictReason::OpenBound;
                    }
                    v.measured = value->number;
                    v.measuredBound = value->bound;
                    v.testTemperature = temperature;
                    v.text = verdictText(v);
                    out.push_back(std::move(v));
                }
            }
        }
    }
    if (equipment && (result.function == InsulationResistance || result.function == DiagnosticTest))
        adviseTestVoltage(result, *equipment, rules, out);
    if (equipment && result.function == DiagnosticTest)
        judgeMinimumPi(result, *equipment, temperature, rules, choices, out);
    adviseRatings(result, rules, out);
    adviseBands(result, rules, out);
    if (result.function == StepVoltage)
        judgeSteps(result, equipment != nullptr, rules, choices, out);
}

} // namespace

std::vector<Verdict> evaluateResult(const ResultReadings& result, const EquipmentData* equipment, const RuleSets& rules,
                                    const EvaluationChoices& choices)
{
    std::vector<Verdict> out;
    addResultVerdicts(result, equipment, rules, choices, out);
    return out;
}

const char* outcomeName(VerdictOutcome outcome)
{
    switch (outcome) {
    case VerdictOutcome::Pass:
        return "pass";
    case VerdictOutcome::Fail:
        return "fail";
    case VerdictOutcome::Advice:
        return "advice";
    case VerdictOutcome::NotJudged:
        return "not judged";
    }
    return "";
}

std::string verdictText(const Verdict& v)
{
    auto valueText = [&](double x) { return v.unit == "Ohm" ? megohms(x) : shortNumber(x); };
    const bool comparable = v.value && v.limit;
    // Made in room for the longest line, kept in a string of its own size.
    std::string text;
    text.reserve(v.rule.english.size() + v.detail.size() + v.source.english.size() + 64);
    auto held = [&](const char* relation) {
        text += boundMark(v.valueBound) + valueText(*v.value);
        if (v.temperature)
            text.append(" at ").append(degrees(*v.temperature));
        if (relation)
            text.append(" ").append(relation).append(" ").append(valueText(*v.limit));
        else
            text.append(", the minimum ").append(valueText(*v.limit));
    };
    switch (v.outcome) {
    case VerdictOutcome::Pass:
    case VerdictOutcome::Fail: {
        const bool pass = v.outcome == VerdictOutcome::Pass;
        text.append(pass ? "Passes " : "Fails ").append(v.rule.english).append(": ");
        if (v.unit == "%")
            text += v.detail + (pass ? ", not more than " : ", more than ") + shortNumber(v.limit.value_or(0)) + " %";
        else if (comparable)
            held(pass ? "≥" : "<");
        break;
    }
    case VerdictOutcome::Advice:
        text.append("Advice, ").append(v.rule.english).append(": ");
        if (comparable && v.unit == "Ohm" && v.reason != VerdictReason::OpenBound) {
            held(relationText(v.valueBound, *v.value, *v.limit));
            text.append(" (").append(v.detail).append(")");
        } else {
            text += v.detail;
        }
        break;
    case VerdictOutcome::NotJudged:
        text.append("Not judged against ").append(v.rule.english).append(": ").append(v.detail);
        break;
    }
    if (v.transformerKindUnchosen)
        text.append(" (liquid-filled or dry-type not chosen: judged as a transformer)");
    if (!v.source.empty()) {
        text.append(" [").append(v.source.english);
        if (!v.correctionSource.empty())
            text.append("; corrected by the ").append(v.correctionSource.english);
        text.append("]");
    }
    return std::string(text);
}

const char* relationText(ValueBound bound, double value, double limit)
{
    switch (standingOf(bound, value, limit)) {
    case Standing::Above:
        return "≥";
    case Standing::Below:
        return "<";
    case Standing::Open:
        break;
    }
    return nullptr;
}

EvaluationChoices evaluationChoices(const Settings& settings)
{
    EvaluationChoices c;
    for (int t = 0; t < EquipmentTypeCount; ++t)
        c.correctionFor[t] =
            settings.readSetting("EVALUATION", std::string("Correction_") + equipmentTypeName(EquipmentType(t)), "");
    const std::string fall = settings.readSetting("EVALUATION", "StepVoltageFall", "");
    if (!fall.empty()) {
        const QString typed = QString::fromStdString(fall).trimmed();
        bool number = false;
        const double v = typed.toDouble(&number);
        if (number && std::isfinite(v) && v >= 0 && v < 100)
            c.stepFallPercent = v;
        else
            c.refused.push_back("[EVALUATION] StepVoltageFall=" + fall +
                                " is refused: it needs a number from 0 up to 100 (per cent); the step voltage "
                                "rule set's own threshold applies");
    }
    return c;
}

std::vector<std::string> evaluationProblems(const RuleSets& rules, const EvaluationChoices& choices)
{
    std::vector<std::string> out = choices.refused;
    for (int t = 0; t < EquipmentTypeCount; ++t) {
        std::string missing;
        rules.correctionFor(EquipmentType(t), choices, &missing);
        if (!missing.empty())
            out.push_back(std::string("the correction rule set \"") + missing + "\" chosen for " +
                          equipmentTypeName(EquipmentType(t)) + " is not installed here: the values of " +
                          equipmentTypeName(EquipmentType(t)) + " points are not corrected");
    }
    return out;
}

QStringList ruleFolders(const QString& programDataDir)
{
    return {QDir(programDataDir).filePath(QStringLiteral("rules")),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/zentrova/rules")};
}

const char* quantitySymbol(long number)
{
    const auto symbol =
        std::find_if(QuantitySymbols.begin(), QuantitySymbols.end(), [&](const auto& s) { return s.first == number; });
    return symbol == QuantitySymbols.end() ? nullptr : symbol->second;
}

std::vector<PointResults> pointResults(const Structure& structure, const NameTables& names, long functionBase)
{
    std::vector<PointResults> out;
    std::vector<MeasuringPoint> points = measuringPoints(structure);
    out.reserve(points.size());
    for (MeasuringPoint& p : points) {
        PointResults point;
        point.object = p.object;
        point.block = p.block;
        point.element = p.element;
        point.blockName = std::move(p.blockName);
        point.elementName = std::move(p.elementName);
        point.results.reserve(p.rows.size());
        for (int row : p.rows)
            point.results.push_back(rowReadings(structure, names, functionBase, row));
        out.push_back(std::move(point));
    }
    return out;
}

ResultReadings rowReadings(const Structure& structure, const NameTables& names, long functionBase, int row)
{
    const ResultTable& t = structure.table;
    ResultReadings r;
    r.row = row;
    r.function = functionCodeOf(t, row) - functionBase;
    // Room for every item at once: a row holds a handful.
    size_t items = 0;
    for (ResultColumn column : {ResultColumn::Results, ResultColumn::SubResults, ResultColumn::Parameters}) {
        const std::string& cell = t.cell(column, row);
        if (!cell.empty())
            items += 1 + size_t(std::count(cell.begin(), cell.end(), '\r'));
    }
    r.readings.reserve(items);
    forEachCodedItem(t, row, [&](const CodedItem& item) {
        if (const char* symbol = quantitySymbol(item.quantity - functionBase))
            r.readings.push_back({symbol, parseMeasuredValue(item.text, names.unit(item.unit))});
    });
    return r;
}

std::vector<PointResults> pointResults(const StructureContext& ctx)
{
    return pointResults(ctx.document.structure, ctx.language.names, functionTextBase(ctx.document.familyCode));
}

std::vector<PointVerdicts> evaluatePoints(const std::vector<PointResults>& points,
                                          const std::function<const EquipmentData*(const PointResults&)>& equipmentOf,
                                          const RuleSets& rules, const EvaluationChoices& choices)
{
    std::vector<PointVerdicts> out;
    out.reserve(points.size());
    for (const PointResults& p : points) {
        PointVerdicts pv;
        pv.point = &p;
        pv.equipment = equipmentOf ? equipmentOf(p) : nullptr;
        // A result mostly gets a minimum, a minimum PI and two ratings.
        pv.verdicts.reserve(4 * p.results.size());
        for (const ResultReadings& r : p.results)
            addResultVerdicts(r, pv.equipment, rules, choices, pv.verdicts);
        out.push_back(std::move(pv));
    }
    return out;
}

} // namespace zentrova
