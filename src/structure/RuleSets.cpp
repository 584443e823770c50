// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/RuleSets.h"

#include "base/FileIO.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace zentrova {

namespace {

// A rule file is a page of text, never megabytes.
constexpr qint64 MaxRuleFileSize = 1024 * 1024;

// What a rule may hold, so that no user's file judges by an infinite or
// absurd figure: a correction that overflows, a minimum every value passes.
struct Range {
    double low, high;
};
constexpr Range Temperatures{-60, 250};       // °C, as a point's test temperature
constexpr Range HalvingSteps{1, 100};         // °C over which the resistance halves
constexpr Range CorrectionFactors{1e-4, 1e4}; // of one table temperature
constexpr Range Megohms{0, 1e9};              // a minimum resistance, as a point's own
constexpr Range PiRatios{0, 100};             // a minimum polarisation index
constexpr Range RatedKv{0, 1000};             // as a point's rated voltage
constexpr Range TestVolts{1, 1e6};            // a test voltage a table names
constexpr Range FallPercent{0, 100};          // a step voltage fall

std::string numberText(double v)
{
    return QString::number(v).toStdString();
}

std::string rangeText(const Range& r)
{
    return "from " + numberText(r.low) + " to " + numberText(r.high);
}

struct KindName {
    RuleKind kind;
    const char* name;
};
constexpr KindName KindNames[] = {
    {RuleKind::Correction, "correction"},      {RuleKind::MinimumResistance, "minimum-resistance"},
    {RuleKind::MinimumPi, "minimum-pi"},       {RuleKind::AdviceBands, "advice-bands"},
    {RuleKind::RatingAdvice, "rating-advice"}, {RuleKind::StepVoltage, "step-voltage"},
    {RuleKind::TestVoltage, "test-voltage"},
};

std::string utf8(const QString& s)
{
    return s.toStdString();
}

// Reads the object's members into a rule set; the first problem ends it.
class Reader {
public:
    explicit Reader(std::string* error) : error_(error) {}

    bool fail(const std::string& why)
    {
        if (error_)
            *error_ = why;
        return false;
    }

    bool text(const QJsonObject& o, const char* key, std::string& out, bool required)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() && !required)
            return true;
        if (!v.isString() || (required && v.toString().trimmed().isEmpty()))
            return fail(std::string("\"") + key + "\" needs a text");
        out = utf8(v.toString());
        return true;
    }

    // A plain text, or an object of texts by language code.
    bool ruleText(const QJsonObject& o, const char* key, RuleText& out, bool required)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isObject())
            return text(o, key, out.english, required);
        const QJsonObject byLanguage = v.toObject();
        const std::string needs = std::string("\"") + key + "\" needs a text, or an object of texts by language";
        if (byLanguage.isEmpty())
            return fail(needs);
        RuleText::Translations translations;
        for (auto it = byLanguage.begin(); it != byLanguage.end(); ++it) {
            if (!it.value().isString() || it.key().trimmed().isEmpty())
                return fail(needs + " (\"en\": \"...\")");
            if (required && it.value().toString().trimmed().isEmpty())
                return fail(needs + ", and \"" + utf8(it.key()) + "\" has none");
            translations.emplace_back(utf8(it.key()), utf8(it.value().toString()));
        }
        // English stands in for a language the file leaves out; without it, the first given.
        const auto english =
            std::find_if(translations.begin(), translations.end(), [](const auto& t) { return t.first == "en"; });
        out.english = english != translations.end() ? english->second : translations.front().second;
        out.translations = std::make_shared<const RuleText::Translations>(std::move(translations));
        return true;
    }

    bool number(const QJsonObject& o, const char* key, std::optional<double>& out, bool required)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() && !required)
            return true;
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return fail(std::string("\"") + key + "\" needs a number");
        out = v.toDouble();
        return true;
    }

    // `value` of the member `key` within `range`.
    bool within(const char* key, double value, const Range& range)
    {
        if (value >= range.low && value <= range.high)
            return true;
        return fail(std::string("\"") + key + "\" needs a number " + rangeText(range) + ", not " + numberText(value));
    }

    bool within(const char* key, const std::optional<double>& value, const Range& range)
    {
        return !value || within(key, *value, range);
    }

    bool number(const QJsonObject& o, const char* key, double& out, bool required)
    {
        std::optional<double> v;
        if (!number(o, key, v, required))
            return false;
        if (v)
            out = *v;
        return true;
    }

    bool types(const QJsonObject& o, const char* key, std::vector<EquipmentType>& out)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return true;
        if (!v.isArray())
            return fail(std::string("\"") + key + "\" needs a list of equipment types");
        for (const QJsonValue& t : v.toArray()) {
            EquipmentType type;
            if (!t.isString() || !parseEquipmentType(utf8(t.toString()), type))
                return fail(std::string("\"") + key + "\" names an unknown equipment type \"" +
                            utf8(t.toVariant().toString()) + "\" (" + equipmentTypeNames() + ")");
            out.push_back(type);
        }
        return true;
    }

    bool classes(const QJsonObject& o, std::vector<ThermalClass>& out)
    {
        const QJsonValue v = o.value(QLatin1String("classes"));
        if (v.isUndefined())
            return true;
        if (!v.isArray())
            return fail("\"classes\" needs a list of thermal classes");
        for (const QJsonValue& c : v.toArray()) {
            ThermalClass tc;
            if (!c.isString() || !parseThermalClass(utf8(c.toString()), tc))
                return fail("\"classes\" names an unknown thermal class (A, B, F, H)");
            out.push_back(tc);
        }
        return true;
    }

    bool entries(const QJsonObject& o, RuleSet& set)
    {
        const QJsonValue v = o.value(QLatin1String("entries"));
        if (!v.isArray() || v.toArray().isEmpty())
            return fail("\"entries\" needs a list of at least one entry");
        int n = 0;
        for (const QJsonValue& e : v.toArray()) {
            ++n;
            if (!e.isObject())
                return fail("entry " + std::to_string(n) + " is not an object");
            const QJsonObject eo = e.toObject();
            MinimumEntry m;
            std::optional<double> minimum, perKv;
            if (!ruleText(eo, "name", m.name, true) || !types(eo, "types", m.types) || !classes(eo, m.classes) ||
                !number(eo, "ratedKvBelow", m.ratedKvBelow, false) ||
                !number(eo, "ratedKvAtMost", m.ratedKvAtMost, false) ||
                !number(eo, "ratedKvAbove", m.ratedKvAbove, false) || !number(eo, "minimum", minimum, false) ||
                !number(eo, "perRatedKv", perKv, false) || !number(eo, "testVoltageV", m.testVoltageV, false) ||
                !number(eo, "testVoltageMaxV", m.testVoltageMaxV, false))
                return fail("entry " + std::to_string(n) + ": " + (error_ ? *error_ : std::string()));
            if (set.kind == RuleKind::TestVoltage) {
                if (!m.testVoltageV)
                    return fail("entry " + std::to_string(n) + " needs \"testVoltageV\"");
                if (!within("testVoltageMaxV", m.testVoltageMaxV, TestVolts))
                    return fail("entry " + std::to_string(n) + ": " + (error_ ? *error_ : std::string()));
                if (m.testVoltageMaxV && *m.testVoltageMaxV < *m.testVoltageV)
                    return fail("entry " + std::to_string(n) +
                                ": \"testVoltageMaxV\" needs to be at least \"testVoltageV\"");
            } else if (!minimum && !perKv) {
                return fail("entry " + std::to_string(n) + " needs \"minimum\" or \"perRatedKv\"");
            }
            if (!within("minimum", minimum, set.kind == RuleKind::MinimumPi ? PiRatios : Megohms) ||
                !within("perRatedKv", perKv, Megohms) || !within("ratedKvBelow", m.ratedKvBelow, RatedKv) ||
                !within("ratedKvAtMost", m.ratedKvAtMost, RatedKv) ||
                !within("ratedKvAbove", m.ratedKvAbove, RatedKv) || !within("testVoltageV", m.testVoltageV, TestVolts))
                return fail("entry " + std::to_string(n) + ": " + (error_ ? *error_ : std::string()));
            // An entry whose bounds leave no rated voltage never applies.
            if (m.ratedKvAbove)
                for (const auto& [key, upper] :
                     {std::pair{"ratedKvBelow", m.ratedKvBelow}, std::pair{"ratedKvAtMost", m.ratedKvAtMost}})
                    if (upper && !(*m.ratedKvAbove < *upper))
                        return fail("entry " + std::to_string(n) + ": \"ratedKvAbove\" needs to be below \"" + key +
                                    "\"");
            m.minimum = minimum.value_or(0);
            m.perRatedKv = perKv.value_or(0);
            set.entries.push_back(std::move(m));
        }
        return true;
    }

    bool factors(const QJsonObject& o, RuleSet& set)
    {
        const QJsonValue v = o.value(QLatin1String("factors"));
        if (!v.isArray() || v.toArray().size() < 2)
            return fail("\"factors\" needs at least two [temperature, factor] pairs");
        for (const QJsonValue& p : v.toArray()) {
            const QJsonArray pair = p.toArray();
            if (pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble() || !(pair[1].toDouble() > 0))
                return fail("each of \"factors\" needs [temperature, factor], with a factor above 0");
            const double t = pair[0].toDouble();
            if (!(t >= Temperatures.low && t <= Temperatures.high))
                return fail("a temperature of \"factors\" needs a number " + rangeText(Temperatures) + ", not " +
                            numberText(t));
            if (!(pair[1].toDouble() >= CorrectionFactors.low && pair[1].toDouble() <= CorrectionFactors.high))
                return fail("a factor of \"factors\" needs a number " + rangeText(CorrectionFactors) + ", not " +
                            numberText(pair[1].toDouble()));
            if (!set.factors.empty() && !(t > set.factors.back().first))
                return fail("the temperatures of \"factors\" need to rise from one pair to the next");
            set.factors.emplace_back(t, pair[1].toDouble());
        }
        return true;
    }

    bool bands(const QJsonObject& o, RuleSet& set)
    {
        const QJsonValue v = o.value(QLatin1String("bands"));
        if (!v.isArray() || v.toArray().size() < 2)
            return fail("\"bands\" needs a list of at least two bands");
        const QJsonArray list = v.toArray();
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QJsonObject bo = list[i].toObject();
            AdviceBand b;
            if (!ruleText(bo, "name", b.name, true) || !number(bo, "below", b.below, false) ||
                !number(bo, "atMost", b.atMost, false))
                return false;
            const bool last = i + 1 == list.size();
            if (last != (!b.below && !b.atMost))
                return fail("every band but the last needs \"below\" or \"atMost\"; the last holds the rest");
            const std::string band = "band " + std::to_string(i + 1) + " (\"" + b.name.english + "\")";
            if (b.below && b.atMost)
                return fail(band + " needs \"below\" or \"atMost\", not both");
            // A value falls into the first band that holds it: a bound that
            // does not rise leaves a band that no value reaches.
            if (!last && !set.bands.empty()) {
                const AdviceBand& previous = set.bands.back();
                const double bound = b.below ? *b.below : *b.atMost;
                const double previousBound = previous.below ? *previous.below : *previous.atMost;
                const bool rises = bound > previousBound || (bound == previousBound && previous.below && b.atMost);
                if (!rises)
                    return fail(band + ": the bounds of \"bands\" need to rise from one band to the next, and " +
                                numberText(bound) + " does not rise above " + numberText(previousBound));
            }
            set.bands.push_back(std::move(b));
        }
        return true;
    }

private:
    std::string* error_;
};

int lineOfOffset(std::string_view bytes, int offset)
{
    const size_t end = std::min(bytes.size(), size_t(std::max(offset, 0)));
    return 1 + int(std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(end), '\n'));
}

} // namespace

const std::string& RuleText::in(std::string_view language) const
{
    if (translations)
        for (const auto& [code, text] : *translations)
            if (code == language)
                return text;
    return english;
}

RuleText joinedRuleText(const RuleText& first, std::string_view separator, const RuleText& second)
{
    RuleText out;
    out.english.reserve(first.english.size() + separator.size() + second.english.size());
    out.english.append(first.english).append(separator).append(second.english);
    if (!first.translated() && !second.translated())
        return out;
    RuleText::Translations translations;
    auto add = [&](const std::string& code) {
        if (std::none_of(translations.begin(), translations.end(), [&](const auto& t) { return t.first == code; }))
            translations.emplace_back(code, first.in(code) + std::string(separator) + second.in(code));
    };
    for (const RuleText* side : {&first, &second})
        if (side->translations)
            for (const auto& t : *side->translations)
                add(t.first);
    out.translations = std::make_shared<const RuleText::Translations>(std::move(translations));
    return out;
}

RuleText RuleSet::citation() const
{
    RuleText c = edition.empty() ? source : joinedRuleText(source, "-", RuleText{edition, {}});
    return clause.empty() ? c : joinedRuleText(c, ", ", clause);
}

bool RuleSet::appliesTo(EquipmentType type) const
{
    return types.empty() || std::find(types.begin(), types.end(), type) != types.end();
}

const RuleSet* RuleSets::find(std::string_view id) const
{
    for (const RuleSet& s : sets)
        if (s.id == id)
            return &s;
    return nullptr;
}

std::vector<const RuleSet*> RuleSets::ofKind(RuleKind kind) const
{
    std::vector<const RuleSet*> out;
    for (const RuleSet& s : sets)
        if (s.kind == kind)
            out.push_back(&s);
    return out;
}

const RuleSet* RuleSets::correctionFor(EquipmentType type, const EvaluationChoices& choices,
                                       std::string* missingChoice) const
{
    const std::string& chosen = choices.correctionFor[size_t(type)];
    if (!chosen.empty()) {
        if (const RuleSet* s = find(chosen); s && s->kind == RuleKind::Correction)
            return s;
        // Another rule would judge the value by a correction nobody chose.
        if (missingChoice)
            *missingChoice = chosen;
        return nullptr;
    }
    for (const RuleSet& s : sets)
        if (s.kind == RuleKind::Correction &&
            std::find(s.defaultFor.begin(), s.defaultFor.end(), type) != s.defaultFor.end())
            return &s;
    return nullptr;
}

bool parseRuleSet(std::string_view bytes, RuleSet& out, std::string* error)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray(bytes.data(), qsizetype(bytes.size())), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error)
            *error = "line " + std::to_string(lineOfOffset(bytes, parseError.offset)) + ": " +
                     utf8(parseError.errorString());
        return false;
    }
    Reader r(error);
    if (!doc.isObject())
        return r.fail("the file holds no JSON object");
    const QJsonObject o = doc.object();
    RuleSet set;
    std::string kind;
    if (!r.text(o, "kind", kind, true))
        return false;
    const auto k =
        std::find_if(std::begin(KindNames), std::end(KindNames), [&](const KindName& n) { return kind == n.name; });
    if (k == std::end(KindNames))
        return r.fail("unknown \"kind\" \"" + kind +
                      "\" (correction, minimum-resistance, minimum-pi, advice-bands, rating-advice, step-voltage, "
                      "test-voltage)");
    set.kind = k->kind;
    if (!r.text(o, "id", set.id, true) || !r.ruleText(o, "title", set.title, true) ||
        !r.ruleText(o, "source", set.source, true) || !r.text(o, "edition", set.edition, false) ||
        !r.ruleText(o, "clause", set.clause, false) || !r.text(o, "note", set.note, false) ||
        !r.types(o, "types", set.types))
        return false;
    switch (set.kind) {
    case RuleKind::Correction: {
        std::string method;
        if (!r.text(o, "method", method, true) || !r.number(o, "baseTemperature", set.baseTemperature, true) ||
            !r.within("baseTemperature", set.baseTemperature, Temperatures) ||
            !r.types(o, "defaultFor", set.defaultFor))
            return false;
        if (method == "halving") {
            set.method = CorrectionMethod::Halving;
            if (!r.number(o, "halvingStep", set.halvingStep, true) ||
                !r.within("halvingStep", set.halvingStep, HalvingSteps))
                return false;
        } else if (method == "table") {
            set.method = CorrectionMethod::Table;
            if (!r.factors(o, set))
                return false;
        } else {
            return r.fail("unknown \"method\" \"" + method + "\" (halving, table)");
        }
        break;
    }
    case RuleKind::TestVoltage:
        if (!r.entries(o, set))
            return false;
        break;
    case RuleKind::MinimumResistance:
    case RuleKind::MinimumPi:
        if (!r.number(o, "baseTemperature", set.baseTemperature, true) ||
            !r.within("baseTemperature", set.baseTemperature, Temperatures) || !r.entries(o, set) ||
            !r.number(o, "notJudgedAboveMOhm", set.notJudgedAboveMOhm, false) ||
            !r.within("notJudgedAboveMOhm", set.notJudgedAboveMOhm, Megohms))
            return false;
        break;
    case RuleKind::AdviceBands:
        if (!r.text(o, "quantity", set.quantity, true) || !r.bands(o, set))
            return false;
        break;
    case RuleKind::StepVoltage:
        if (!r.number(o, "maximumFallPercent", set.maximumFallPercent, true))
            return false;
        if (!(set.maximumFallPercent >= FallPercent.low && set.maximumFallPercent < FallPercent.high))
            return r.fail("\"maximumFallPercent\" needs a number from 0 up to 100");
        break;
    case RuleKind::RatingAdvice:
        break;
    }
    set.cited = set.citation();
    set.credit = joinedRuleText(set.title, ": ", set.cited);
    for (MinimumEntry& e : set.entries)
        e.fullName = joinedRuleText(set.title, " ", e.name);
    out = std::move(set);
    return true;
}

RuleSets loadRuleSets(const QStringList& folders, QStringList* problems)
{
    RuleSets all;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        const QStringList names = dir.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& name : names) {
            const QString path = dir.filePath(name);
            std::string bytes, why;
            QString readError;
            RuleSet set;
            if (!readWholeFile(path, bytes, &readError, nullptr, MaxRuleFileSize)) {
                if (problems)
                    problems->append(path + QStringLiteral(": ") + readError);
                continue;
            }
            if (!parseRuleSet(bytes, set, &why)) {
                if (problems)
                    problems->append(path + QStringLiteral(": ") + QString::fromStdString(why));
                continue;
            }
            set.file = path;
            auto same =
                std::find_if(all.sets.begin(), all.sets.end(), [&](const RuleSet& s) { return s.id == set.id; });
            if (same != all.sets.end())
                *same = std::move(set);
            else
                all.sets.push_back(std::move(set));
        }
    }
    return all;
}

} // namespace zentrova
