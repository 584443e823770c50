// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/VerdictTexts.h"

#include "base/TextCodec.h"
#include "language/Language.h"

#include <algorithm>

namespace zentrova {

namespace {

QString utf8(const std::string& s)
{
    return QString::fromStdString(s);
}

QString boundMark(ValueBound b)
{
    return b == ValueBound::AtMost ? QStringLiteral("< ") : b == ValueBound::AtLeast ? QStringLiteral("> ") : QString();
}

} // namespace

QString fillTemplate(QString pattern, std::initializer_list<std::pair<const char*, QString>> values)
{
    // One pass, so that a value holding a brace (a rule file's name can) is
    // never taken for a placeholder.
    QString out;
    qsizetype at = 0;
    while (at < pattern.size()) {
        const qsizetype open = pattern.indexOf(QLatin1Char('{'), at);
        const qsizetype close = open < 0 ? -1 : pattern.indexOf(QLatin1Char('}'), open);
        if (close < 0)
            break;
        out += pattern.mid(at, open - at);
        const QStringView name = QStringView(pattern).mid(open + 1, close - open - 1);
        const auto found =
            std::find_if(values.begin(), values.end(), [&](const auto& v) { return name == QLatin1String(v.first); });
        out += found != values.end() ? found->second : pattern.mid(open, close - open + 1);
        at = close + 1;
    }
    return out + pattern.mid(at);
}

VerdictTexts::VerdictTexts(const InterfaceTexts& texts, const TextCodec& codec)
    : texts_(texts), codec_(codec), language_(texts.text("RuleLanguage_5"))
{
}

QString VerdictTexts::ruleText(const RuleText& t) const
{
    return utf8(t.in(language_));
}

QString VerdictTexts::text(const char* key) const
{
    return codec_.decode(texts_.text(key));
}

QString VerdictTexts::rule(const Verdict& v) const
{
    if (v.ruleSetId.empty()) {
        if (v.reason == VerdictReason::NoEquipmentData)
            return text("VerdictMinimumRule_40");
        if (v.reason == VerdictReason::AsMeasured)
            return text("VerdictOwnLimit_40");
    }
    return ruleText(v.rule);
}

QString VerdictTexts::source(const Verdict& v) const
{
    if (v.ruleSetId.empty() && v.reason == VerdictReason::AsMeasured)
        return text("VerdictOwnSource_40");
    if (v.ruleSetId == "step-voltage" && v.source.english == StepFallSettingSource)
        return text("VerdictStepSetting_40");
    if (!v.correctionSource.empty())
        return fillTemplate(text("VerdictSourceCorrected_40"),
                            {{"source", ruleText(v.source)}, {"correction", ruleText(v.correctionSource)}});
    return ruleText(v.source);
}

QString VerdictTexts::correctionReason(VerdictReason why, std::optional<double> testTemperature,
                                       const RuleText& rule) const
{
    switch (why) {
    case VerdictReason::NoEquipmentData:
        return text("VerdictNoEquipment_60");
    case VerdictReason::NoTemperature:
        return text("CorrNoTemperature_60");
    case VerdictReason::NoCorrectionRule:
        return text("CorrNoRule_60");
    case VerdictReason::OutsideCorrectionTable:
        return fillTemplate(text("CorrOutsideTable_60"),
                            {{"temperature", testTemperature ? utf8(degreesText(*testTemperature)) : QString()},
                             {"rule", ruleText(rule)}});
    default:
        return QString();
    }
}

QString VerdictTexts::correction(const CorrectedResistance& c) const
{
    if (!c.corrected && c.why == VerdictReason::ChosenCorrectionMissing)
        return fillTemplate(
            text("RecordNotCorrected_60"),
            {{"reason", fillTemplate(text("CorrChosenMissing_60"), {{"id", utf8(c.missingCorrection)}})}});
    if (!c.corrected)
        return fillTemplate(
            text("RecordNotCorrected_60"),
            {{"reason", correctionReason(c.why, c.testTemperature, c.rule ? c.rule->title : RuleText())}});
    return fillTemplate(text("RecordCorrectedFrom_60"), {{"value", utf8(resistanceText(c.ohms, c.bound))},
                                                         {"base", utf8(degreesText(c.temperature))},
                                                         {"temperature", utf8(degreesText(c.testTemperature))},
                                                         {"rule", c.rule ? ruleText(c.rule->title) : QString()}});
}

QString VerdictTexts::detail(const Verdict& v) const
{
    auto number = [&](double x) { return utf8(v.unit == "Ohm" ? megohmText(x) : verdictNumber(x)); };
    switch (v.reason) {
    case VerdictReason::None:
        return QString();
    case VerdictReason::NoEquipmentData:
        return text("VerdictNoEquipment_60");
    case VerdictReason::NoRatedVoltage:
        return text("VerdictNoRatedKv_60");
    case VerdictReason::NoThermalClass:
        return text("VerdictNoClass_60");
    case VerdictReason::NoApplyingLine:
        return text("VerdictNoLine_60");
    case VerdictReason::NoTemperature:
    case VerdictReason::NoCorrectionRule:
    case VerdictReason::OutsideCorrectionTable:
        return fillTemplate(text("VerdictNotCorrected_60"),
                            {{"temperature", v.correctionBase ? utf8(degreesText(*v.correctionBase)) : QString()},
                             {"reason", correctionReason(v.reason, v.testTemperature, v.correctionRule)}});
    case VerdictReason::NotOneMinuteReading:
        return fillTemplate(text("VerdictReadAfter_60"), {{"seconds", utf8(verdictNumber(v.readAfterSeconds))}});
    case VerdictReason::DurationUnknown:
        return text("VerdictNoDuration_60");
    case VerdictReason::OpenBound:
        return fillTemplate(text("VerdictCannotJudge_60"),
                            {{"value", boundMark(v.measuredBound) + number(v.measured.value_or(0))}});
    case VerdictReason::PiNotMeaningful: {
        const QString value = utf8(megohmText(v.measured.value_or(0)));
        const QString held = v.corrected && v.temperature
                                 ? fillTemplate(text("VerdictAt_30"),
                                                {{"value", value}, {"temperature", utf8(degreesText(*v.temperature))}})
                                 : fillTemplate(text("VerdictAsMeasured_30"), {{"value", value}});
        return fillTemplate(text("VerdictPiNotMeaningful_60"),
                            {{"value", held}, {"limit", utf8(megohmText(v.ceiling.value_or(0)))}});
    }
    case VerdictReason::Band:
        return fillTemplate(text("VerdictBand_40"),
                            {{"quantity", utf8(v.quantity)},
                             {"value", boundMark(v.measuredBound) + utf8(verdictNumber(v.value.value_or(0)))},
                             {"band", ruleText(v.band)}});
    case VerdictReason::Rating: {
        const QString value = boundMark(v.measuredBound) + utf8(verdictNumber(v.value.value_or(0)));
        if (!v.rating)
            return fillTemplate(text("VerdictRatingOpen_60"), {{"quantity", utf8(v.quantity)}, {"value", value}});
        return fillTemplate(text("VerdictBand_40"), {{"quantity", utf8(v.quantity)},
                                                     {"value", value},
                                                     {"band", text(ratingLanguageKey(v.ratingKind, *v.rating))}});
    }
    case VerdictReason::StepFall:
        return fillTemplate(text("VerdictStepFall_60"), {{"fall", utf8(verdictNumber(v.value.value_or(0)))},
                                                         {"from", QString::number(v.stepFrom)},
                                                         {"to", QString::number(v.stepTo)}});
    case VerdictReason::StepNoFall:
        return text("VerdictStepNoFall_60");
    case VerdictReason::CorrectedFrom:
        return fillTemplate(text("VerdictCorrectedFrom_60"),
                            {{"value", boundMark(v.measuredBound) + number(v.measured.value_or(0))},
                             {"temperature", utf8(degreesText(v.testTemperature.value_or(0)))},
                             {"rule", ruleText(v.correctionRule)}});
    case VerdictReason::AsMeasured:
        return fillTemplate(text("VerdictAsMeasured_30"), {{"value", number(v.value.value_or(0))}});
    case VerdictReason::ChosenCorrectionMissing:
        return fillTemplate(
            text("VerdictNotCorrected_60"),
            {{"temperature", v.correctionBase ? utf8(degreesText(*v.correctionBase)) : QString()},
             {"reason", fillTemplate(text("CorrChosenMissing_60"), {{"id", utf8(v.missingCorrection)}})}});
    case VerdictReason::TestVoltageOutside: {
        const bool below = v.recommendedLowV && v.value && *v.value < *v.recommendedLowV;
        return fillTemplate(
            text(below ? "VerdictTestVoltageLow_60" : "VerdictTestVoltageHigh_60"),
            {{"value", utf8(verdictNumber(v.value.value_or(0)))}, {"limit", utf8(verdictNumber(v.limit.value_or(0)))}});
    }
    }
    return QString();
}

QString VerdictTexts::line(const Verdict& v) const
{
    auto number = [&](double x) { return utf8(v.unit == "Ohm" ? megohmText(x) : verdictNumber(x)); };
    auto held = [&](const char* relation) {
        QString value = boundMark(v.valueBound) + number(*v.value);
        if (v.temperature)
            value = fillTemplate(text("VerdictAt_30"),
                                 {{"value", value}, {"temperature", utf8(degreesText(*v.temperature))}});
        if (!relation)
            return fillTemplate(text("VerdictAgainst_30"), {{"value", value}, {"limit", number(*v.limit)}});
        return value + QLatin1Char(' ') + QString::fromUtf8(relation) + QLatin1Char(' ') + number(*v.limit);
    };
    const bool comparable = v.value && v.limit;
    QString out;
    switch (v.outcome) {
    case VerdictOutcome::Pass:
    case VerdictOutcome::Fail: {
        const bool pass = v.outcome == VerdictOutcome::Pass;
        QString found;
        if (v.unit == "%")
            found = fillTemplate(text(pass ? "VerdictStepWithin_30" : "VerdictStepBeyond_30"),
                                 {{"detail", detail(v)}, {"limit", utf8(verdictNumber(v.limit.value_or(0)))}});
        else if (comparable)
            found = held(pass ? "≥" : "<");
        out = fillTemplate(text(pass ? "VerdictPass_60" : "VerdictFail_60"), {{"rule", rule(v)}, {"held", found}});
        break;
    }
    case VerdictOutcome::Advice: {
        QString found = detail(v);
        if (comparable && v.unit == "Ohm" && v.reason != VerdictReason::OpenBound)
            found = held(relationText(v.valueBound, *v.value, *v.limit)) +
                    (found.isEmpty() ? QString() : QStringLiteral(" (") + found + QLatin1Char(')'));
        out = fillTemplate(text("VerdictAdvice_60"), {{"rule", rule(v)}, {"detail", found}});
        break;
    }
    case VerdictOutcome::NotJudged:
        out = fillTemplate(text("VerdictNotJudged_60"), {{"rule", rule(v)}, {"detail", detail(v)}});
        break;
    }
    if (v.transformerKindUnchosen)
        out += QLatin1Char(' ') + text("VerdictTransformerUnchosen_60");
    const QString from = source(v);
    if (!from.isEmpty())
        out += QStringLiteral(" [") + from + QLatin1Char(']');
    return out;
}

} // namespace zentrova
