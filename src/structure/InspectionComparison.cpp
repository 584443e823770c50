// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/InspectionComparison.h"

#include "base/JsonWriter.h"
#include "base/TextRules.h"
#include "structure/ComparisonJudgement.h"
#include "structure/ResultRow.h"
#include "structure/ResultValues.h"
#include "structure/StructureContext.h"
#include "structure/ValuesCsv.h"
#include "structure/VerdictTexts.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

namespace zentrova {

namespace {

using QuantityKey = std::tuple<long, long, int>; // function, quantity, occurrence

PointIdentity identityOf(const MeasuringPoint& p, PointNames<std::string>& names)
{
    return {p.object, p.block, p.element, names.numberOf(p.blockName, p.elementName)};
}

struct Reading {
    const ResultItemValue* item = nullptr;
    int column = 0;
};

// The last value of each quantity of a point, with the items they point into.
struct PointValues {
    std::vector<std::vector<ResultItemValue>> rows;
    std::map<QuantityKey, const ResultItemValue*> last;
};

void readPoint(const Document& document, const NameTables& names, const MeasuringPoint& p, PointValues& into)
{
    const ResultTable& t = document.structure.table;
    into.rows.reserve(p.rows.size());
    for (int r : p.rows)
        into.rows.push_back(resultItemValues(t, r, names));
    for (size_t k = 0; k < p.rows.size(); ++k) {
        const long function = functionCodeOf(t, p.rows[k]);
        for (const ResultItemValue& item : into.rows[k])
            into.last[{function, item.quantity, item.occurrence}] = &item;
    }
}

std::string functionNameOf(const NameTables& names, long code)
{
    std::string name = names.function(code);
    std::replace(name.begin(), name.end(), '$', ' ');
    return name;
}

void compareValues(const Document& older, const Document& newer, const NameTables& names, PointComparison& pc)
{
    PointValues oldValues, newValues;
    readPoint(older, names, pc.older, oldValues);
    readPoint(newer, names, pc.newer, newValues);
    std::map<QuantityKey, std::pair<const ResultItemValue*, const ResultItemValue*>> both;
    for (const auto& [key, item] : oldValues.last)
        both[key].first = item;
    for (const auto& [key, item] : newValues.last)
        both[key].second = item;
    for (const auto& [key, pair] : both) {
        const auto [oldItem, newItem] = pair;
        QuantityChange q;
        std::tie(q.function, q.quantity, q.occurrence) = key;
        q.functionName = functionNameOf(names, q.function);
        q.quantityName = quantityHeading(names, q.quantity, q.occurrence);
        q.inOld = oldItem != nullptr;
        q.inNew = newItem != nullptr;
        if (oldItem)
            q.oldValue = oldItem->value;
        if (newItem)
            q.newValue = newItem->value;
        q.fromResults = oldItem && newItem && oldItem->column != 6 && newItem->column != 6;
        const MeasuredValue &o = q.oldValue, &n = q.newValue;
        const bool numbers = q.inOld && q.inNew && o.hasNumber && n.hasNumber && o.baseUnit == n.baseUnit;
        if (numbers && o.number != 0) {
            // The change grows with the new value and, for a positive old
            // value, falls as the old one grows: each mark bounds it from one
            // side, and two marks from opposite sides leave it open.
            const ValueBound fromNew = n.bound;
            ValueBound fromOld = ValueBound::Exact;
            if (o.bound != ValueBound::Exact)
                fromOld = o.bound == ValueBound::AtMost ? ValueBound::AtLeast : ValueBound::AtMost;
            const bool open = (o.bound != ValueBound::Exact && o.number < 0) ||
                              (fromNew != ValueBound::Exact && fromOld != ValueBound::Exact && fromNew != fromOld);
            if (!open) {
                q.hasChange = true;
                q.changePercent = (n.number - o.number) / std::fabs(o.number) * 100;
                q.changeBound = fromNew != ValueBound::Exact ? fromNew : fromOld;
            }
        }
        q.resistanceHalved = q.inOld && q.inNew && q.fromResults && o.baseUnit == "Ohm" && fellToLessThanHalf(o, n);
        q.rated = ratingKindOfQuantity(quantityHeading(names, q.quantity, 1), q.kind);
        if (q.rated) {
            if (q.inOld)
                q.oldRating = rateMeasuredValue(q.kind, o);
            if (q.inNew)
                q.newRating = rateMeasuredValue(q.kind, n);
            q.ratingFell = q.oldRating && q.newRating && int(*q.newRating) < int(*q.oldRating);
        }
        pc.quantities.push_back(std::move(q));
    }
}

std::string utf8(const StructureContext& ctx, const std::string& bytes)
{
    return ctx.language.decode(bytes).toStdString();
}

std::string text(const StructureContext& ctx, const char* key)
{
    return utf8(ctx, ctx.language.texts.text(key));
}

std::string pointText(const StructureContext& ctx, const MeasuringPoint& p)
{
    return std::to_string(p.block) + "/" + std::to_string(p.element) + " " + utf8(ctx, p.blockName) + " / " +
           utf8(ctx, p.elementName);
}

std::string percentText(double v)
{
    return changePercentText(v);
}

std::string warningsText(const StructureContext& ctx, const QuantityChange& q)
{
    return comparisonWarningText(ctx, q);
}

// A corrected value's bound mark as the value texts write it ("<", ">").
std::string correctedMark(const CorrectedResistance& c)
{
    return c.bound == ValueBound::AtMost ? "<" : c.bound == ValueBound::AtLeast ? ">" : "";
}

std::string valueText(const MeasuredValue& v)
{
    return v.hasNumber ? plainNumber(v.number) : std::string();
}

// The corrections the outputs show: those of points with equipment data.
class ShownCorrections {
public:
    explicit ShownCorrections(const std::vector<ComparedCorrection>* all) : all_(all)
    {
        any_ = all && std::any_of(all->begin(), all->end(), [](const ComparedCorrection& c) { return c.hasEquipment; });
    }
    bool any() const { return any_; }
    // The correction of quantity `q` of compared point `point`, or null.
    // compareCorrections gives them in the order of their points.
    const ComparedCorrection* of(size_t point, const QuantityChange& q) const
    {
        if (!any_)
            return nullptr;
        auto it = std::lower_bound(all_->begin(), all_->end(), point,
                                   [](const ComparedCorrection& c, size_t p) { return c.point < p; });
        for (; it != all_->end() && it->point == point; ++it)
            if (it->hasEquipment && it->function == q.function && it->quantity == q.quantity)
                return &*it;
        return nullptr;
    }

private:
    const std::vector<ComparedCorrection>* all_;
    bool any_ = false;
};

bool bothCorrected(const ComparedCorrection& c)
{
    return c.oldCorrected && c.newCorrected && c.oldCorrected->corrected && c.newCorrected->corrected;
}

// The rule a point's resistances are corrected by (the same on both sides).
const RuleSet* correctionRule(const ComparedCorrection& c)
{
    if (c.newCorrected && c.newCorrected->rule)
        return c.newCorrected->rule;
    return c.oldCorrected ? c.oldCorrected->rule : nullptr;
}

// The base temperature, when a side was corrected to it.
std::optional<double> baseTemperature(const ComparedCorrection& c)
{
    for (const std::optional<CorrectedResistance>& side : {c.newCorrected, c.oldCorrected})
        if (side && side->corrected)
            return side->temperature;
    return std::nullopt;
}

// Why the sides that were not corrected were not, in the language of `ctx`
// as UTF-8: one reason for both sides, else each with its side ("no test
// temperature (new)"); "" when nothing is missing.
std::string notCorrectedReasons(const StructureContext& ctx, const ComparedCorrection& c)
{
    const VerdictTexts texts(ctx.language.texts, ctx.language.languageFiles.codec());
    auto reason = [&](const std::optional<CorrectedResistance>& side) {
        if (!side || side->corrected)
            return std::string();
        return texts.correctionReason(side->why, side->testTemperature, side->rule ? side->rule->title : RuleText())
            .toStdString();
    };
    const std::string older = reason(c.oldCorrected), newer = reason(c.newCorrected);
    if (older == newer)
        return older;
    std::string out;
    if (!older.empty())
        out = older + " (" + text(ctx, "CmpOld_15") + ")";
    if (!newer.empty())
        out += (out.empty() ? "" : "; ") + newer + " (" + text(ctx, "CmpNew_15") + ")";
    return out;
}

// The temperature warning of a corrected quantity, after the comparison's own.
std::string withTemperatureWarning(const StructureContext& ctx, std::string warnings, const ComparedCorrection* c)
{
    if (c && c->temperaturesApart)
        warnings += (warnings.empty() ? "" : "; ") + text(ctx, "CmpTemperaturesApart_60");
    return warnings;
}

} // namespace

const char* changeMarkText(const QuantityChange& q)
{
    return q.changeBound == ValueBound::AtMost ? "<" : q.changeBound == ValueBound::AtLeast ? ">" : "";
}

std::string changePercentText(double v)
{
    const double rounded = std::round(v * 10) / 10;
    return plainNumber(rounded == 0 ? double(0) : rounded); // no "-0"
}

std::string comparisonWarningText(const StructureContext& ctx, const QuantityChange& q)
{
    std::string s;
    if (q.resistanceHalved)
        s = text(ctx, "CmpResistanceHalved_60");
    if (q.ratingFell) {
        if (!s.empty())
            s += "; ";
        s += text(ctx, "CmpRatingFell_60") + ": " + text(ctx, ratingLanguageKey(q.kind, *q.oldRating)) + " -> " +
             text(ctx, ratingLanguageKey(q.kind, *q.newRating));
    }
    return s;
}

bool PointComparison::flagged() const
{
    return std::any_of(quantities.begin(), quantities.end(),
                       [](const QuantityChange& q) { return q.resistanceHalved || q.ratingFell; });
}

int InspectionComparison::flagCount() const
{
    int n = 0;
    for (const PointComparison& p : points)
        for (const QuantityChange& q : p.quantities)
            n += int(q.resistanceHalved) + int(q.ratingFell);
    return n;
}

std::vector<MeasuringPoint> measuringPoints(const Structure& s)
{
    std::vector<MeasuringPoint> points;
    // Looked up once per row: hashed, as a table holds up to 65,535 points.
    struct NumbersHash {
        size_t operator()(const PositionNumbers& n) const
        {
            const auto [object, block, element] = n;
            return std::hash<long>()(object) ^ (std::hash<long>()(block) << 20) ^ (std::hash<long>()(element) << 40);
        }
    };
    std::unordered_map<PositionNumbers, size_t, NumbersHash> index;
    const ResultTable& t = s.table;
    index.reserve(size_t(t.rowCount()));
    for (int r = 1; r < t.rowCount(); ++r) {
        const ResultRow row(t, r);
        if (row.functionCode() == 0)
            continue;
        const PositionNumbers key = row.positionNumbers();
        auto [it, added] = index.emplace(key, points.size());
        if (added) {
            MeasuringPoint p;
            p.object = key.object;
            p.block = key.block;
            p.element = key.element;
            p.blockName = row.blockName();
            p.elementName = row.elementName();
            points.push_back(std::move(p));
        }
        points[it->second].rows.push_back(r);
    }
    return points;
}

InspectionComparison compareInspections(const Document& older, const Document& newer, const NameTables& names)
{
    const std::vector<MeasuringPoint> oldPoints = measuringPoints(older.structure);
    const std::vector<MeasuringPoint> newPoints = measuringPoints(newer.structure);
    // The old points are the known ones, the new ones are looked for among them.
    PointNames<std::string> pointNames;
    std::vector<KnownPoint> known;
    for (size_t i = 0; i < oldPoints.size(); ++i)
        known.push_back({identityOf(oldPoints[i], pointNames), (long long)i + 1});
    std::vector<PointIdentity> wanted;
    for (const MeasuringPoint& p : newPoints)
        wanted.push_back(identityOf(p, pointNames));
    const std::vector<PointFound> found = matchPoints(known, wanted);
    std::vector<bool> taken(oldPoints.size(), false);
    for (const PointFound& f : found)
        if (f.point)
            taken[size_t(f.point - 1)] = true;

    // A point in one file only is compared with nothing: its quantities are
    // all on its own side.
    auto inOneFile = [&](const MeasuringPoint& point, bool old) {
        PointComparison alone;
        (old ? alone.older : alone.newer) = point;
        compareValues(older, newer, names, alone);
        PointInOneFile p;
        static_cast<MeasuringPoint&>(p) = point;
        p.quantities = std::move(alone.quantities);
        return p;
    };
    InspectionComparison c;
    for (size_t j = 0; j < newPoints.size(); ++j) {
        if (!found[j].point) {
            c.onlyNew.push_back(inOneFile(newPoints[j], false));
            continue;
        }
        PointComparison pc;
        pc.older = oldPoints[size_t(found[j].point - 1)];
        pc.newer = newPoints[j];
        pc.match = found[j].match;
        compareValues(older, newer, names, pc);
        c.points.push_back(std::move(pc));
    }
    for (size_t i = 0; i < oldPoints.size(); ++i)
        if (!taken[i])
            c.onlyOld.push_back(inOneFile(oldPoints[i], true));
    return c;
}

long newerBlockOf(const InspectionComparison& c, long olderBlock, const std::string& olderBlockName)
{
    for (const PointComparison& p : c.points)
        if (p.older.block == olderBlock)
            return p.newer.block;
    long sameNumber = -1;
    auto look = [&](const MeasuringPoint& newer) {
        if (newer.blockName == olderBlockName)
            return true;
        if (newer.block == olderBlock)
            sameNumber = olderBlock;
        return false;
    };
    for (const PointComparison& p : c.points)
        if (look(p.newer))
            return p.newer.block;
    for (const PointInOneFile& p : c.onlyNew)
        if (look(p))
            return p.block;
    return sameNumber;
}

std::string comparisonCsv(const StructureContext& ctx, const InspectionComparison& c,
                          const std::vector<ComparedCorrection>* corrections)
{
    const ShownCorrections shown(corrections);
    const std::string oldWord = " (" + text(ctx, "CmpOld_15") + ")", newWord = " (" + text(ctx, "CmpNew_15") + ")";
    std::vector<std::string> head{text(ctx, "CsvBlockNumber_20") + oldWord,
                                  text(ctx, "CsvElementNumber_20") + oldWord,
                                  text(ctx, "CsvBlockNumber_20") + newWord,
                                  text(ctx, "CsvElementNumber_20") + newWord,
                                  text(ctx, "CsvBlockName_20"),
                                  text(ctx, "CsvElementName_20"),
                                  text(ctx, "CsvFunction_20"),
                                  text(ctx, "CmpQuantity_20"),
                                  text(ctx, "CmpOld_15"),
                                  text(ctx, "CmpOld_15") + " " + text(ctx, "CsvMark_15"),
                                  text(ctx, "CmpNew_15"),
                                  text(ctx, "CmpNew_15") + " " + text(ctx, "CsvMark_15"),
                                  text(ctx, "CsvUnit_15"),
                                  text(ctx, "CmpChange_20"),
                                  text(ctx, "CmpWarning_20")};
    // The corrections' columns only when a point has equipment data: without
    // any the CSV is the one the program always wrote.
    if (shown.any())
        head.insert(head.end(), {text(ctx, "CsvCorrected_20") + oldWord, text(ctx, "CsvCorrected_20") + newWord,
                                 text(ctx, "CsvBaseTemperature_20"), text(ctx, "CsvCorrectionRule_20")});
    // After the columns the CSV had before: the change's mark, then the new
    // inspection's verdicts when it was judged.
    head.push_back(text(ctx, "CmpChange_20") + " " + text(ctx, "CsvMark_15"));
    if (c.judged)
        head.push_back(text(ctx, "CmpVerdicts_30"));
    // The point numbers, the two values and the change are numbers for the
    // spreadsheet to compute with, and so are the corrected values and the
    // base temperature; csvField is for the texts only (it would turn "-55"
    // into text).
    std::vector<bool> numberColumn{true, true,  true, true,  false, false, false, false,
                                   true, false, true, false, false, true,  false};
    if (shown.any())
        numberColumn.insert(numberColumn.end(), {true, true, true, false});
    numberColumn.resize(head.size(), false); // the change's mark and the verdicts are texts
    std::string out = "\xEF\xBB\xBF";
    auto addRow = [&out, &numberColumn](const std::vector<std::string>& fields, bool heading) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i)
                out += ',';
            out += numberColumn[i] && !heading ? fields[i] : csvField(fields[i]);
        }
        out += "\r\n";
    };
    const VerdictTexts verdictTexts(ctx.language.texts, ctx.language.languageFiles.codec());
    // The change's mark and the verdicts, after the correction's fields.
    auto withChangeAndVerdicts = [&](std::vector<std::string> fields, const QuantityChange* q) {
        fields.push_back(q && q->hasChange ? changeMarkText(*q) : "");
        if (c.judged) {
            std::string verdicts;
            if (q)
                for (const Verdict& v : q->newVerdicts)
                    verdicts += (verdicts.empty() ? "" : "; ") + verdictTexts.line(v).toStdString();
            fields.push_back(verdicts);
        }
        return fields;
    };
    // The four fields of a correction, empty for none.
    auto withCorrection = [&](std::vector<std::string> fields, const ComparedCorrection* k) {
        if (!shown.any())
            return fields;
        std::string oldOhms, newOhms, base, rule;
        if (k) {
            auto ohms = [](const std::optional<CorrectedResistance>& side) {
                return side && side->corrected ? plainNumber(side->ohms) : std::string();
            };
            oldOhms = ohms(k->oldCorrected);
            newOhms = ohms(k->newCorrected);
            if (const std::optional<double> t = baseTemperature(*k)) {
                base = plainNumber(*t);
                rule = verdictTexts.ruleText(correctionRule(*k)->title).toStdString();
            }
            if (const std::string why = notCorrectedReasons(ctx, *k); !why.empty())
                rule += (rule.empty() ? "" : "; ") + why;
        }
        fields.insert(fields.end(), {oldOhms, newOhms, base, rule});
        return fields;
    };
    addRow(head, true);
    for (size_t index = 0; index < c.points.size(); ++index) {
        const PointComparison& p = c.points[index];
        for (const QuantityChange& q : p.quantities) {
            const MeasuredValue& unitFrom = q.inNew ? q.newValue : q.oldValue;
            const ComparedCorrection* k = shown.of(index, q);
            addRow(withChangeAndVerdicts(
                       withCorrection({std::to_string(p.older.block), std::to_string(p.older.element),
                                       std::to_string(p.newer.block), std::to_string(p.newer.element),
                                       utf8(ctx, p.newer.blockName), utf8(ctx, p.newer.elementName),
                                       utf8(ctx, q.functionName), utf8(ctx, q.quantityName),
                                       q.inOld ? valueText(q.oldValue) : "", q.inOld ? markText(q.oldValue) : "",
                                       q.inNew ? valueText(q.newValue) : "", q.inNew ? markText(q.newValue) : "",
                                       utf8(ctx, unitFrom.baseUnit), q.hasChange ? percentText(q.changePercent) : "",
                                       withTemperatureWarning(ctx, warningsText(ctx, q), k)},
                                      k),
                       &q),
                   false);
        }
    }
    for (const MeasuringPoint& p : c.onlyOld)
        addRow(withChangeAndVerdicts(withCorrection({std::to_string(p.block), std::to_string(p.element), "", "",
                                                     utf8(ctx, p.blockName), utf8(ctx, p.elementName), "", "", "", "",
                                                     "", "", "", "", text(ctx, "CmpOnlyOld_40")},
                                                    nullptr),
                                     nullptr),
               false);
    for (const MeasuringPoint& p : c.onlyNew)
        addRow(withChangeAndVerdicts(withCorrection({"", "", std::to_string(p.block), std::to_string(p.element),
                                                     utf8(ctx, p.blockName), utf8(ctx, p.elementName), "", "", "", "",
                                                     "", "", "", "", text(ctx, "CmpOnlyNew_40")},
                                                    nullptr),
                                     nullptr),
               false);
    return out;
}

void writeComparisonJson(const StructureContext& ctx, const InspectionComparison& c, JsonWriter& json,
                         const std::vector<ComparedCorrection>* corrections)
{
    const ShownCorrections shown(corrections);
    // Keys in alphabetical order, as QJsonObject keeps them: the indented
    // text is the one the program always wrote.
    auto point = [&](const MeasuringPoint& p) {
        json.beginObject();
        json.key("block");
        json.integer(p.block);
        json.key("blockName");
        json.string(ctx.language.decode(p.blockName));
        json.key("element");
        json.integer(p.element);
        json.key("elementName");
        json.string(ctx.language.decode(p.elementName));
        json.key("object");
        json.integer(p.object);
        json.endObject();
    };
    auto value = [&](bool present, const MeasuredValue& v) {
        if (!present) {
            json.null();
            return;
        }
        json.beginObject();
        json.key("marks");
        json.string(markText(v));
        json.key("value");
        if (v.hasNumber)
            json.number(v.number);
        else
            json.null();
        json.endObject();
    };
    // Names repeat on every point: each is decoded once.
    std::map<std::string, std::string> decoded;
    auto name = [&](const std::string& bytes) {
        auto it = decoded.find(bytes);
        if (it == decoded.end())
            it = decoded.emplace(bytes, ctx.language.decode(bytes).toStdString()).first;
        json.string(it->second);
    };
    auto optionalNumber = [&](const std::optional<double>& v) { v ? json.number(*v) : json.null(); };
    // A side of a correction: the value corrected (null when it was not, with
    // the reason) and the temperature it was measured at; null for a side
    // without a resistance to correct.
    auto correctedSide = [&](const std::optional<CorrectedResistance>& side, const std::optional<double>& measuredAt) {
        if (!side) {
            json.null();
            return;
        }
        json.beginObject();
        if (side->corrected && side->bound != ValueBound::Exact) {
            json.key("marks");
            json.string(correctedMark(*side));
        }
        json.key("reason");
        side->corrected ? json.null() : json.string(std::string_view(side->reason));
        json.key("testTemperature");
        optionalNumber(measuredAt);
        json.key("value");
        optionalNumber(side->corrected ? std::optional<double>(side->ohms) : std::nullopt);
        json.endObject();
    };
    auto corrected = [&](const ComparedCorrection& k) {
        json.beginObject();
        json.key("baseTemperature");
        optionalNumber(baseTemperature(k));
        json.key("new");
        correctedSide(k.newCorrected, k.newTemperature);
        json.key("old");
        correctedSide(k.oldCorrected, k.oldTemperature);
        json.key("rule");
        const RuleSet* rule = correctionRule(k);
        rule ? json.string(std::string_view(rule->title.english)) : json.null();
        json.key("temperaturesApart");
        json.boolean(k.temperaturesApart);
        json.endObject();
    };
    static const char* const ratingNames[] = {"dangerous", "questionable", "good", "best"};
    static const char* const matchNames[] = {"numbersAndNames", "names", "numbers"};
    json.beginObject();
    json.key("onlyNew");
    json.beginArray();
    for (const MeasuringPoint& p : c.onlyNew)
        point(p);
    json.endArray();
    json.key("onlyOld");
    json.beginArray();
    for (const MeasuringPoint& p : c.onlyOld)
        point(p);
    json.endArray();
    json.key("points");
    json.beginArray();
    for (size_t index = 0; index < c.points.size(); ++index) {
        const PointComparison& p = c.points[index];
        json.beginObject();
        json.key("matchedBy");
        json.string(std::string_view(matchNames[int(p.match)]));
        json.key("new");
        point(p.newer);
        json.key("old");
        point(p.older);
        json.key("quantities");
        json.beginArray();
        for (const QuantityChange& q : p.quantities) {
            json.beginObject();
            if (q.hasChange && q.changeBound != ValueBound::Exact) {
                json.key("changeMark");
                json.string(std::string_view(changeMarkText(q)));
            }
            json.key("changePercent");
            if (q.hasChange)
                json.number(q.changePercent);
            else
                json.null();
            if (const ComparedCorrection* k = shown.of(index, q)) {
                json.key("corrected");
                corrected(*k);
            }
            json.key("flags");
            json.beginArray();
            if (q.resistanceHalved)
                json.string(std::string_view("resistanceHalved"));
            if (q.ratingFell)
                json.string(std::string_view("ratingFell"));
            json.endArray();
            json.key("function");
            name(q.functionName);
            json.key("new");
            value(q.inNew, q.newValue);
            if (q.newRating) {
                json.key("newRating");
                json.string(std::string_view(ratingNames[int(*q.newRating)]));
            }
            json.key("old");
            value(q.inOld, q.oldValue);
            if (q.oldRating) {
                json.key("oldRating");
                json.string(std::string_view(ratingNames[int(*q.oldRating)]));
            }
            json.key("quantity");
            name(q.quantityName);
            json.key("unit");
            name((q.inNew ? q.newValue : q.oldValue).baseUnit);
            if (c.judged) {
                json.key("verdicts");
                json.beginArray();
                for (const Verdict& v : q.newVerdicts) {
                    json.beginObject();
                    json.key("outcome");
                    json.string(std::string_view(outcomeName(v.outcome)));
                    json.key("rule");
                    json.string(std::string_view(v.rule.english));
                    json.key("source");
                    json.string(std::string_view(v.source.english));
                    json.key("text");
                    json.string(std::string_view(v.text));
                    json.endObject();
                }
                json.endArray();
            }
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.key("warnings");
    json.integer(c.flagCount());
    json.endObject();
    json.finish();
}

QByteArray comparisonJson(const StructureContext& ctx, const InspectionComparison& c,
                          const std::vector<ComparedCorrection>* corrections)
{
    JsonWriter json(true);
    writeComparisonJson(ctx, c, json, corrections);
    return QByteArray::fromStdString(json.text());
}

std::string comparisonText(const StructureContext& ctx, const InspectionComparison& c,
                           const std::vector<ComparedCorrection>* corrections)
{
    const ShownCorrections shown(corrections);
    std::string out;
    for (size_t index = 0; index < c.points.size(); ++index) {
        const PointComparison& p = c.points[index];
        out += pointText(ctx, p.older);
        if (p.match != PointMatch::SameNumbersAndNames)
            out += "  ->  " + pointText(ctx, p.newer);
        out += '\n';
        for (const QuantityChange& q : p.quantities) {
            const MeasuredValue& unitFrom = q.inNew ? q.newValue : q.oldValue;
            auto side = [&](bool present, const MeasuredValue& v) {
                if (!present)
                    return std::string("-");
                return markText(v) + (v.hasNumber ? plainNumber(v.number) : std::string("?"));
            };
            out += "  " + utf8(ctx, q.functionName) + ": " + utf8(ctx, q.quantityName) + "  " +
                   side(q.inOld, q.oldValue) + " -> " + side(q.inNew, q.newValue);
            if (!unitFrom.baseUnit.empty())
                out += " " + utf8(ctx, unitFrom.baseUnit);
            if (q.hasChange)
                out += "  " +
                       std::string(q.changeBound != ValueBound::Exact ? changeMarkText(q) + std::string(" ") : "") +
                       (q.changePercent > 0 ? "+" : "") + percentText(q.changePercent) + " %";
            const ComparedCorrection* k = shown.of(index, q);
            const std::string w = withTemperatureWarning(ctx, warningsText(ctx, q), k);
            if (!w.empty())
                out += "  ! " + w;
            out += '\n';
            // "corrected: 25000000 -> 42426406.87 Ohm (40 °C; halving rule,
            // base 40 °C)", or why a side was not.
            if (k && bothCorrected(*k))
                out += "    " + text(ctx, "CmpCorrected_20") + ": " + correctedMark(*k->oldCorrected) +
                       plainNumber(k->oldCorrected->ohms) + " -> " + correctedMark(*k->newCorrected) +
                       plainNumber(k->newCorrected->ohms) + " Ohm (" + degreesText(k->newCorrected->temperature) +
                       "; " +
                       VerdictTexts(ctx.language.texts, ctx.language.languageFiles.codec())
                           .ruleText(correctionRule(*k)->title)
                           .toStdString() +
                       ")\n";
            else if (k)
                if (const std::string why = notCorrectedReasons(ctx, *k); !why.empty())
                    out += "    " +
                           fillTemplate(VerdictTexts(ctx.language.texts, ctx.language.languageFiles.codec())
                                            .text("RecordNotCorrected_60"),
                                        {{"reason", QString::fromStdString(why)}})
                               .toStdString() +
                           '\n';
            for (const Verdict& v : q.newVerdicts)
                out += "    " + v.text + '\n';
        }
    }
    for (const MeasuringPoint& p : c.onlyOld)
        out += text(ctx, "CmpOnlyOld_40") + ": " + pointText(ctx, p) + '\n';
    for (const MeasuringPoint& p : c.onlyNew)
        out += text(ctx, "CmpOnlyNew_40") + ": " + pointText(ctx, p) + '\n';
    return out;
}

} // namespace zentrova
