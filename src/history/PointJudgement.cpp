// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/PointJudgement.h"

#include "history/ArchiveInternal.h"
#include "history/EquipmentData.h"
#include "history/HistoryCommands.h"
#include "history/Inspection.h"
#include "language/LanguageContext.h"
#include "structure/StructureContext.h"
#include "structure/VerdictTexts.h"

#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace zentrova {

namespace {

// The instrument's numbers of the DAR and the PI.
constexpr long QuantityDar = 6, QuantityPi = 7;

} // namespace

bool ratingFell(const Trend& trend)
{
    if (!trend.rated || trend.samples.size() < 2)
        return false;
    const TrendSample &before = trend.samples[trend.samples.size() - 2], &last = trend.samples.back();
    return before.rating && last.rating && int(*last.rating) < int(*before.rating);
}

namespace {

// Whether a verdict of the results fails.
bool failsMinimum(const std::vector<ResultReadings>& results, const EquipmentData* equipment, const RuleSets& rules,
                  const EvaluationChoices& choices)
{
    return std::any_of(results.begin(), results.end(), [&](const ResultReadings& r) {
        const std::vector<Verdict> verdicts = evaluateResult(r, equipment, rules, choices);
        return std::any_of(verdicts.begin(), verdicts.end(),
                           [](const Verdict& v) { return v.outcome == VerdictOutcome::Fail; });
    });
}

constexpr long RatedQuantities[] = {QuantityPi, QuantityDar};

} // namespace

bool judgePoint(HistoryArchive& archive, qint64 point, const EquipmentData* equipment, const RuleSets& rules,
                const EvaluationChoices& choices, PointAttention& out, QString* error)
{
    out = PointAttention();
    std::vector<ResultReadings> results;
    if (!archive.latestReadings(point, results, error))
        return false;
    out.failsMinimum = failsMinimum(results, equipment, rules, choices);
    for (long quantity : RatedQuantities) {
        Trend trend;
        if (!archive.trend(point, quantity, trend, error))
            return false;
        if (ratingFell(trend))
            out.ratingFell = true;
    }
    return true;
}

bool judgeInstallation(HistoryArchive& archive, qint64 installation, const std::map<qint64, EquipmentData>& equipment,
                       const RuleSets& rules, const EvaluationChoices& choices, std::map<qint64, PointAttention>& out,
                       QString* error)
{
    out.clear();
    std::map<qint64, std::vector<ResultReadings>> latest;
    if (!archive.installationLatestReadings(installation, latest, error))
        return false;
    for (const auto& [point, results] : latest) {
        const auto data = equipment.find(point);
        out[point].failsMinimum =
            failsMinimum(results, data == equipment.end() ? nullptr : &data->second, rules, choices);
    }
    for (long quantity : RatedQuantities) {
        std::map<qint64, Trend> trends;
        if (!archive.installationTrends(installation, quantity, trends, error)) {
            out.clear();
            return false;
        }
        for (const auto& [point, trend] : trends)
            if (ratingFell(trend))
                out[point].ratingFell = true;
    }
    return true;
}

bool temperaturesApart(const std::vector<std::optional<double>>& temperatures)
{
    std::optional<double> low, high;
    for (const std::optional<double>& t : temperatures)
        if (t) {
            low = std::min(low.value_or(*t), *t);
            high = std::max(high.value_or(*t), *t);
        }
    return low && *high - *low > TemperatureSpreadWarning;
}

int CorrectedTrend::corrected() const
{
    return int(std::count_if(ohms.begin(), ohms.end(), [](const std::optional<double>& v) { return v.has_value(); }));
}

CorrectedTrend correctTrend(const Trend& trend, const std::vector<std::optional<double>>& temperatures,
                            const EquipmentData* equipment, const RuleSets& rules, const EvaluationChoices& choices)
{
    CorrectedTrend out;
    const size_t n = trend.samples.size();
    out.ohms.assign(n, std::nullopt);
    out.why.assign(n, VerdictReason::None);
    std::vector<std::optional<double>> used(n);
    const RuleSet* rule = equipment ? rules.correctionFor(equipment->type, choices, &out.missingCorrection) : nullptr;
    if (equipment)
        out.type = equipment->type;
    if (rule) {
        out.base = rule->baseTemperature;
        out.rule = rule->title;
    }
    for (size_t i = 0; i < n; ++i) {
        const MeasuredValue& v = trend.samples[i].value;
        if (i < temperatures.size())
            used[i] = temperatures[i];
        if (!used[i] && equipment)
            used[i] = equipment->testTemperature;
        if (!v.hasNumber || v.baseUnit != "Ohm")
            continue;
        if (!equipment) {
            out.why[i] = VerdictReason::NoEquipmentData;
            continue;
        }
        const CorrectedResistance c = correctForType(v.number, used[i], equipment->type, rules, choices);
        if (c.corrected)
            out.ohms[i] = c.ohms;
        else
            // A chosen rule set that is not installed is why, whatever else a sample lacks.
            out.why[i] = out.missingCorrection.empty() ? c.why : VerdictReason::ChosenCorrectionMissing;
    }
    out.temperaturesApart = temperaturesApart(used);
    return out;
}

Trend correctedSamples(const Trend& trend, const CorrectedTrend& corrected)
{
    Trend out = trend;
    out.samples.clear();
    out.rated = false;
    // The name says the values are not as measured: "Riso (40 °C)".
    if (corrected.base)
        out.quantityName += QStringLiteral(" (%1)").arg(QString::fromStdString(degreesText(*corrected.base)));
    for (size_t i = 0; i < trend.samples.size() && i < corrected.ohms.size(); ++i) {
        if (!corrected.ohms[i])
            continue;
        TrendSample s = trend.samples[i];
        s.value.number = *corrected.ohms[i];
        s.hasLimit = false;
        s.rating.reset();
        out.samples.push_back(std::move(s));
    }
    return out;
}

namespace {

// The tests the insulation-resistance trend follows, first found first, and
// the quantity each is read by.
constexpr std::pair<long, long> OneMinuteTests[] = {{0, 1}, {1, 4}}; // Riso, R60s

} // namespace

bool insulationTrendChoice(HistoryArchive& archive, qint64 point, TrendChoice& out, QString* error)
{
    out = TrendChoice{AnyFunction, archive::QuantityRiso};
    std::vector<std::pair<long, QString>> tests;
    if (!archive.testsOfPoint(point, tests, error))
        return false;
    for (const auto& [function, quantity] : OneMinuteTests) {
        if (std::none_of(tests.begin(), tests.end(), [f = function](const auto& t) { return t.first == f; }))
            continue;
        std::vector<std::pair<long, QString>> quantities;
        if (!archive.quantitiesOfPoint(point, quantities, error, function))
            return false;
        if (std::any_of(quantities.begin(), quantities.end(), [q = quantity](const auto& e) { return e.first == q; })) {
            out = TrendChoice{function, quantity};
            return true;
        }
    }
    return true;
}

bool readPointTrend(HistoryArchive& archive, qint64 point, const TrendChoice& choice, const EquipmentData* equipment,
                    const RuleSets& rules, const EvaluationChoices& choices, PointTrend& out, QString* error)
{
    out = PointTrend();
    if (!archive.trend(point, choice.quantity, out.measured, error, choice.function))
        return false;
    const std::vector<TrendSample>& samples = out.measured.samples;
    out.resistance = std::any_of(samples.begin(), samples.end(),
                                 [](const TrendSample& s) { return s.value.hasNumber && s.value.baseUnit == "Ohm"; });
    if (!out.resistance)
        return true;
    std::vector<std::optional<double>> temperatures;
    if (!archive.sampleTemperatures(out.measured, temperatures, error))
        return false;
    out.corrected = correctTrend(out.measured, temperatures, equipment, rules, choices);
    out.correctedTrend = correctedSamples(out.measured, out.corrected);
    return true;
}

QStringList trendNotes(const LanguageContext& language, const PointTrend& trend, bool corrected)
{
    QStringList notes;
    if (!trend.resistance)
        return notes;
    if (trend.corrected.temperaturesApart)
        notes << language.decode(language.texts.text("HistTemperaturesApart_60"));
    if (!corrected)
        return notes;
    const std::vector<VerdictReason>& why = trend.corrected.why;
    const auto left = std::find_if(why.begin(), why.end(), [](VerdictReason r) { return r != VerdictReason::None; });
    if (left != why.end()) {
        const VerdictTexts texts(language.texts, language.languageFiles.codec());
        if (*left == VerdictReason::ChosenCorrectionMissing) {
            // Nothing is corrected, whatever the temperatures: the rule set is named alone.
            notes << fillTemplate(
                language.decode(language.texts.text("RecordNotCorrected_60")),
                {{"reason", missingCorrectionText(language, trend.corrected.missingCorrection, trend.corrected.type)}});
        } else if (*left == VerdictReason::NoEquipmentData) {
            // Nothing is corrected either: no value is left out for its temperature.
            notes << fillTemplate(language.decode(language.texts.text("RecordNotCorrected_60")),
                                  {{"reason", texts.text("VerdictNoEquipment_60")}});
        } else {
            notes << language.decode(language.texts.text("HistNotCorrected_60")) + QStringLiteral(": ") +
                         texts.correctionReason(*left, std::nullopt, trend.corrected.rule);
        }
    }
    return notes;
}

QString missingCorrectionText(const LanguageContext& language, const std::string& id, EquipmentType type)
{
    return fillTemplate(language.decode(language.texts.text("CorrChosenMissingFor_60")),
                        {{"id", QString::fromStdString(id)}, {"type", QString::fromLatin1(equipmentTypeName(type))}});
}

QStringList judgingProblems(const LanguageContext& language, const RuleSets& rules, const EvaluationChoices& choices)
{
    QStringList out;
    for (const std::string& refused : choices.refused)
        out << fillTemplate(language.decode(language.texts.text("JudgingRefused_60")),
                            {{"reason", QString::fromStdString(refused)}});
    for (int t = 0; t < EquipmentTypeCount; ++t) {
        std::string missing;
        rules.correctionFor(EquipmentType(t), choices, &missing);
        if (!missing.empty())
            out << missingCorrectionText(language, missing, EquipmentType(t));
    }
    return out;
}

QStringList judgingProblems(const LanguageContext& language)
{
    return judgingProblems(language, loadRuleSets(ruleFolders(language.programDir), nullptr),
                           evaluationChoices(language.settings));
}

const EquipmentData* DocumentJudgingData::equipmentOf(long block, long element) const
{
    const auto found = equipment.find({block, element});
    return found == equipment.end() ? nullptr : &found->second;
}

DocumentJudgingData documentJudgingData(const StructureContext& ctx)
{
    DocumentJudgingData out;
    const Inspection document = inspectionFromDocument(ctx.language, ctx.document, QString(), QDateTime(), QString());
    HistoryArchive archive;
    QString error;
    if (!openConfiguredArchive(ctx.language.settings, archive, &error)) {
        out.noInstallationChosen = document.site.isEmpty();
        return out;
    }
    qint64 installation = 0;
    if (!document.site.isEmpty()) {
        installation = archive.findInstallation(document.site, &error);
    } else {
        // Stored as Add to history stores it: by its absolute file name.
        const QFileInfo file(ctx.document.fileName);
        installation = archive.installationOfDocument(document.fingerprint,
                                                      file.isFile() ? file.absoluteFilePath() : QString(), &error);
        out.noInstallationChosen = installation == 0;
    }
    std::vector<PointEquipmentEntry> entries;
    if (!installation || !installationEquipment(archive, installation, entries, &error))
        return out;
    for (PointEquipmentEntry& e : entries)
        out.equipment.emplace(std::pair{e.block, e.element}, std::move(e.data));
    if (!readSiteRules(archive, installation, out.rules, &error))
        out.rules = SiteRuleChoice();
    return out;
}

CsvJudging archiveCsvJudging(const StructureContext& ctx)
{
    CsvJudging judging = csvJudging(ctx);
    auto data = std::make_shared<const DocumentJudgingData>(documentJudgingData(ctx));
    judging.choices = siteChoices(judging.choices, data->rules);
    judging.equipmentOf = [data](long block, long element) { return data->equipmentOf(block, element); };
    judging.readFrom = configuredArchiveFiles(ctx.language.settings);
    return judging;
}

} // namespace zentrova
