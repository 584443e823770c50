// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "history/HistoryArchive.h"
#include "history/SiteRules.h"
#include "structure/Evaluation.h"
#include "structure/ValuesCsv.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zentrova {

struct StructureContext;
struct LanguageContext;

// A measuring point of the archive judged as the history window shows it:
// whether it needs attention for a verdict or a rating, and its trend
// corrected to a base temperature. Advice beside the instrument's limit.

// Trended inspections tested further apart than this, in degrees Celsius,
// are warned of: retesting near the earlier temperature is the advice.
constexpr double TemperatureSpreadWarning = 10;

// The latest PI or DAR of a rated trend is in a lower class than the one
// before it; both must be rated.
bool ratingFell(const Trend& trend);

struct PointAttention {
    bool failsMinimum = false; // a verdict of its latest inspection fails
    bool ratingFell = false;   // its PI or DAR fell by a rating class
    bool any() const { return failsMinimum || ratingFell; }
};

// Judges the latest inspection of `point` with its equipment data (null for
// none) and looks at its PI and DAR trends. False with the reason when the
// archive cannot be read.
bool judgePoint(HistoryArchive& archive, qint64 point, const EquipmentData* equipment, const RuleSets& rules,
                const EvaluationChoices& choices, PointAttention& out, QString* error);

// judgePoint for every point of `installation` at once, in a query per
// kind of reading, by point id; `equipment` holds the points' data by
// point id. A point measured without anything to judge is left out.
bool judgeInstallation(HistoryArchive& archive, qint64 installation, const std::map<qint64, EquipmentData>& equipment,
                       const RuleSets& rules, const EvaluationChoices& choices, std::map<qint64, PointAttention>& out,
                       QString* error);

// A resistance trend corrected to the base temperature of the point's
// correction rule.
struct CorrectedTrend {
    std::vector<std::optional<double>> ohms; // per sample; none where it was not corrected
    std::vector<VerdictReason> why;          // per sample: why not (None where corrected)
    std::optional<double> base;              // the base temperature
    RuleText rule;                           // the correction rule's title
    bool temperaturesApart = false;          // known test temperatures more than 10 °C apart
    EquipmentType type = EquipmentType::Other;
    std::string missingCorrection; // ChosenCorrectionMissing: the id of the rule set chosen for `type`
    int corrected() const;
};

// `temperatures` are the samples' own (HistoryArchive::sampleTemperatures);
// a sample without one takes the point's test temperature. Without
// equipment data nothing is corrected (NoEquipmentData).
CorrectedTrend correctTrend(const Trend& trend, const std::vector<std::optional<double>>& temperatures,
                            const EquipmentData* equipment, const RuleSets& rules, const EvaluationChoices& choices);

// The trend with its values corrected, the samples that could not be left
// out, and no limit or rating, which belong to the values as measured.
Trend correctedSamples(const Trend& trend, const CorrectedTrend& corrected);

// What a point's trend follows: a quantity of one test, or of any test.
struct TrendChoice {
    long function = AnyFunction;
    long quantity = 0;
};

// The insulation resistance read after one minute, which the history
// trends unless the user chooses another test: the insulation-resistance
// test's Riso (each inspection's reading after 60 s where it has one), else
// the diagnostic (PI/DAR) test's R60s; Riso of any test for a point
// measured with neither.
bool insulationTrendChoice(HistoryArchive& archive, qint64 point, TrendChoice& out, QString* error);

// A point's trend as the history shows it: as measured, and corrected to the
// base temperature of the point's correction rule.
struct PointTrend {
    Trend measured;
    bool resistance = false; // it has resistances, which can be corrected
    CorrectedTrend corrected;
    Trend correctedTrend; // correctedSamples
};
bool readPointTrend(HistoryArchive& archive, qint64 point, const TrendChoice& choice, const EquipmentData* equipment,
                    const RuleSets& rules, const EvaluationChoices& choices, PointTrend& out, QString* error);

// The notes beside a point's trend in the language of `language`: the
// inspections tested more than TemperatureSpreadWarning apart, and, for the
// corrected trend, why values were left out of it.
QStringList trendNotes(const LanguageContext& language, const PointTrend& trend, bool corrected);

// What the archive the settings name keeps of the installation the open
// document's test site names: its points' equipment data by block and
// element number, and its choice of rule sets. Empty when there is none to
// be had: no site, no archive, no such installation (the exports then judge
// by the advice bands and the settings only).
// A document whose heading names no test site is judged with the
// installation it was added to the history under (the question Add to
// history asks), found again by its download or its file.
struct DocumentJudgingData {
    std::map<std::pair<long, long>, EquipmentData> equipment;
    SiteRuleChoice rules;
    // The document names no test site and was never added to the history
    // under an installation: no installation is chosen for it, which is why
    // its points have no equipment data.
    bool noInstallationChosen = false;
    const EquipmentData* equipmentOf(long block, long element) const;
};
DocumentJudgingData documentJudgingData(const StructureContext& ctx);

// The judging of the values CSV (File > Export CSV, export --format csv)
// with the points' equipment data and the installation's rule sets of
// documentJudgingData.
CsvJudging archiveCsvJudging(const StructureContext& ctx);

// "the correction rule set "X" chosen for cable is not installed here", in
// the language of `language`.
QString missingCorrectionText(const LanguageContext& language, const std::string& id, EquipmentType type);

// What the user must hear once before judging, in the language of
// `language`: each setting refused and each chosen correction rule set that
// is not installed (evaluationProblems).
QStringList judgingProblems(const LanguageContext& language, const RuleSets& rules, const EvaluationChoices& choices);

// The same for the settings and rule folders of `language`, as the record
// panel, the values CSV and the history window read them.
QStringList judgingProblems(const LanguageContext& language);

// Known temperatures further apart than TemperatureSpreadWarning.
bool temperaturesApart(const std::vector<std::optional<double>>& temperatures);

} // namespace zentrova
