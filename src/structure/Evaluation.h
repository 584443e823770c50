// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Equipment.h"
#include "structure/InsulationRating.h"
#include "structure/MeasuredValue.h"
#include "structure/RuleSets.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zentrova {

class NameTables;
class Settings;
struct Structure;
struct StructureContext;

// Insulation judged by the rule sets, as advice beside the instrument's own
// limit: every verdict names its rule and source, and one that cannot be
// given says why instead of staying silent.

// One value of a result: its quantity's symbol ("Riso", "R60s", "PI", "DAR",
// "DD", "R", "U", "t", "Temp") and the value in its base unit.
struct ResultReading {
    std::string quantity;
    MeasuredValue value;
};

// A result row as numbers: what the judging needs, nothing of a document.
struct ResultReadings {
    int row = 0;
    // Counted from the family's base: 0 insulation resistance, 1 diagnostic
    // test, 2 dielectric discharge, 3 step voltage test; -1 for none.
    long function = -1;
    std::vector<ResultReading> readings; // a quantity's further occurrences follow in order
    const MeasuredValue* find(std::string_view quantity, int occurrence = 1) const;
};

enum class VerdictOutcome { Pass, Fail, Advice, NotJudged };

// What a verdict's detail tells, so that a window can say it in the user's
// language: why it was not judged or is only advice, or what it found.
enum class VerdictReason {
    None,
    NoEquipmentData,         // only the advice bands apply
    NoRatedVoltage,          // the rule asks for one
    NoThermalClass,          // the rule asks for one
    NoApplyingLine,          // no line of the rule set applies to the point
    NoTemperature,           // not corrected: the result has no temperature
    NoCorrectionRule,        // not corrected: no rule for the equipment type
    OutsideCorrectionTable,  // not corrected: the test temperature is outside the table
    NotOneMinuteReading,     // read after readAfterSeconds, the minimum is of a 1-minute reading
    DurationUnknown,         // the instrument sent no test duration, the minimum is of a 1-minute reading
    OpenBound,               // beyond the instrument's range on the side that leaves it open (measured, measuredBound)
    PiNotMeaningful,         // the 1-minute value (measured) is above the ceiling (limit of the PI set)
    Band,                    // in the advice band `band`
    Rating,                  // of the rating class `rating`, or its class open
    StepFall,                // fell value % from stepFrom to stepTo
    StepNoFall,              // did not fall at a higher step
    CorrectedFrom,           // corrected from measured at testTemperature by correctionRule
    AsMeasured,              // the point's own limit, held against the value as measured
    ChosenCorrectionMissing, // not corrected: the correction chosen (missingCorrection) is not installed
    TestVoltageOutside,      // the test voltage (value, V) is outside recommendedLowV..recommendedHighV
};

struct Verdict {
    VerdictOutcome outcome = VerdictOutcome::NotJudged;
    int row = 0;
    std::string quantity;        // the value judged: "Riso", "R60s", "PI", "DAR", "DD", "R"
    std::string unit;            // of value and limit: "Ohm", "%" (a fall of the step voltage test), "" for a ratio
    RuleText rule;               // "IEEE 43 minimum for form-wound windings"
    std::string ruleSetId;       // empty for the point's own limit
    RuleText source;             // the citation: "IEEE Std 43-2013, 12.3, ..."
    std::optional<double> value; // held against the limit: ohms for resistances, else the ratio or DD
    ValueBound valueBound = ValueBound::Exact; // a reading beyond the range stays a bound when corrected
    std::optional<double> temperature;         // the value's temperature: the base of a corrected one, else the test's
    bool corrected = false;                    // the value was corrected to `temperature`
    std::optional<double> limit;               // the value it was held against, in the value's unit
    std::string detail;                        // why not judged, the band's name, the correction's note
    std::string text;                          // the whole verdict as one English line

    // The same detail as facts, for texts in the user's language.
    VerdictReason reason = VerdictReason::None;
    std::optional<double> measured; // the resistance as measured, before a correction (ohms)
    ValueBound measuredBound = ValueBound::Exact;
    std::optional<double> testTemperature; // the measurement's, when known
    RuleText correctionRule;               // the title of the rule that corrected it, or would have
    std::optional<double> correctionBase;  // the temperature it was to be corrected to
    std::optional<double> ceiling;         // PiNotMeaningful: the 1-minute value's ceiling (ohms)
    RuleText band;                         // Band: the band's name as the rule set gives it
    std::optional<RatingClass> rating;     // Rating: the class, none when open
    RatingKind ratingKind = RatingKind::PolarisationIndex;
    double readAfterSeconds = 0;                             // NotOneMinuteReading
    int stepFrom = 0, stepTo = 0;                            // StepFall
    RuleText correctionSource;                               // the correction's title and citation: "halving rule: ..."
    std::string missingCorrection;                           // ChosenCorrectionMissing: the id of the rule set chosen
    std::optional<double> recommendedLowV, recommendedHighV; // TestVoltageOutside; no high: open
    // A point stored as a plain transformer: judged as before liquid-filled and
    // dry-type were told apart, until the user chooses one.
    bool transformerKindUnchosen = false;
};

// A resistance at another temperature.
struct CorrectedResistance {
    bool corrected = false;
    double ohms = 0;                      // corrected (or as measured when not)
    ValueBound bound = ValueBound::Exact; // the reading's mark: a corrected bound is a bound
    double temperature = 0;               // the base it was corrected to
    double testTemperature = 0;           // when known
    const RuleSet* rule = nullptr;
    std::string reason;                      // why it was not corrected
    VerdictReason why = VerdictReason::None; // the same as a fact
    std::string missingCorrection;           // ChosenCorrectionMissing: the id chosen
};

// The factor that takes a resistance measured at `from` to `to` degrees
// under a correction rule set: halving, 0.5^((to - from) / step); a table,
// factor(from) / factor(to), straight lines between its temperatures. None,
// with the reason, outside the table.
std::optional<double> correctionFactor(const RuleSet& rule, double from, double to, std::string* reason);

// `ohms` measured at `testTemperature` corrected to `to` (the rule's base
// when not given) by `rule`; not corrected, with the reason, without a
// temperature or a rule.
CorrectedResistance correctResistance(double ohms, std::optional<double> testTemperature, const RuleSet* rule,
                                      std::optional<double> to = std::nullopt);

// The insulation resistance of an insulation-resistance result (Riso) or a
// diagnostic test (R60s), corrected by the point's correction rule to its
// base; none for other results. Not corrected, with the reason, for a point
// without equipment data (NoEquipmentData) or a result without a temperature.
std::optional<CorrectedResistance> resultCorrection(const ResultReadings& result, const EquipmentData* equipment,
                                                    const RuleSets& rules, const EvaluationChoices& choices);

// `ohms` corrected by the correction of an equipment type (rules.correctionFor),
// to `to` or that rule's base; not corrected (ChosenCorrectionMissing) when the
// correction chosen for the type is not among the rule sets.
CorrectedResistance correctForType(double ohms, std::optional<double> testTemperature, EquipmentType type,
                                   const RuleSets& rules, const EvaluationChoices& choices,
                                   std::optional<double> to = std::nullopt);

// The temperature of a result: its "Temp" reading in degC, else the point's
// test temperature.
std::optional<double> resultTemperature(const ResultReadings& result, const EquipmentData* equipment);

// The verdicts of one result of a point. Without equipment data only the
// advice bands and the step voltage test are judged, and a minimum says
// that it was not.
std::vector<Verdict> evaluateResult(const ResultReadings& result, const EquipmentData* equipment, const RuleSets& rules,
                                    const EvaluationChoices& choices);

// "Fails IEEE 43 minimum for form-wound windings: 62 MΩ at 40 °C < 100 MΩ",
// "Passes ...", "Advice, DD advice bands: 4.6 is poor", "Not judged against
// ...: no rated voltage", in UTF-8.
std::string verdictText(const Verdict& v);
const char* outcomeName(VerdictOutcome outcome); // "pass", "fail", "advice", "not judged"
// How a value with its mark stands against a limit: "≥", "<", or null when
// its bound leaves that open ("> 50" against 100).
const char* relationText(ValueBound bound, double value, double limit);

// Numbers as the verdicts write them, the decimal point a point whatever
// the locale: three significant digits, whole from 100 up ("62", "4.6");
// ohms as megohms ("62 MΩ"), from a teraohm up as resistanceText scales
// them ("3.92 TΩ"); degrees ("40 °C").
std::string verdictNumber(double v);
std::string megohmText(double ohms);
// A resistance as the results grid scales it, three significant digits with
// the prefix that keeps the number from 1 to 999 and the bound's mark:
// "> 3.08 TΩ", "< 12.5 MΩ", "47.3 GΩ".
std::string resistanceText(double ohms, ValueBound bound = ValueBound::Exact);
std::string degreesText(double celsius);

// What the settings choose ([EVALUATION] Correction_<type>=<rule set id>,
// StepVoltageFall=<per cent>). A value that is no number from 0 up to 100 is
// refused, with a message in `refused`, and the rule set's default applies.
EvaluationChoices evaluationChoices(const Settings& settings);

// What a user must hear once before an evaluation: the settings refused, and
// every correction chosen for a type that is not among the rule sets (its
// values are not corrected). One English line each.
std::vector<std::string> evaluationProblems(const RuleSets& rules, const EvaluationChoices& choices);

// How a verdict names a step voltage fall the settings chose.
constexpr const char* StepFallSettingSource = "the settings' StepVoltageFall (section EVALUATION)";

// The folders the rule sets are read from: rules/ in the program's data
// folder, then rules/ in the user's configuration folder.
QStringList ruleFolders(const QString& programDataDir);

// The symbol the judging reads a quantity by ("Riso", "PI", "Temp", ...),
// from its number counted from the family's base; null for one it does not read.
const char* quantitySymbol(long number);

// A measuring point of a document with its results as numbers.
struct PointResults {
    long object = 0, block = 0, element = 0;
    std::string blockName, elementName; // code page bytes
    std::vector<ResultReadings> results;
};

// The document's measuring points (in the order of their first result)
// with their results; `functionBase` is the family's base of function and
// quantity numbers.
std::vector<PointResults> pointResults(const Structure& structure, const NameTables& names, long functionBase);
std::vector<PointResults> pointResults(const StructureContext& ctx);
// The result of one row of the result table as numbers.
ResultReadings rowReadings(const Structure& structure, const NameTables& names, long functionBase, int row);

// Every verdict of every point, `equipmentOf` giving a point's data (or null).
struct PointVerdicts {
    const PointResults* point = nullptr;
    const EquipmentData* equipment = nullptr;
    std::vector<Verdict> verdicts;
};
std::vector<PointVerdicts> evaluatePoints(const std::vector<PointResults>& points,
                                          const std::function<const EquipmentData*(const PointResults&)>& equipmentOf,
                                          const RuleSets& rules, const EvaluationChoices& choices);

} // namespace zentrova
