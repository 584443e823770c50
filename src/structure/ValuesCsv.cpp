// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/ValuesCsv.h"

#include "base/FileIO.h"
#include "base/Prompts.h"
#include "language/ReplaceQuestion.h"
#include "structure/InsulationRating.h"
#include "structure/MeasurementTime.h"
#include "structure/ResultRow.h"
#include "structure/ResultValues.h"
#include "structure/StructureContext.h"
#include "structure/VerdictTexts.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>

namespace zentrova {

namespace {

// A value column group: the quantity's occurrence in a row, and whether it is
// rated.
struct Column {
    long quantity;
    int occurrence;
    bool rated;
    RatingKind kind;
};

std::string utf8(const StructureContext& ctx, const std::string& bytes)
{
    return ctx.language.decode(bytes).toStdString();
}

std::string oneLine(std::string s)
{
    std::replace(s.begin(), s.end(), '\r', ' ');
    return s;
}

void addField(std::string& line, const std::string& field)
{
    if (!line.empty())
        line += ',';
    line += csvField(field);
}

} // namespace

std::string csvField(const std::string& utf8)
{
    const bool formulaLike = !utf8.empty() && std::string_view("=+-@\t\r").find(utf8[0]) != std::string_view::npos;
    const std::string text = formulaLike ? "'" + utf8 : utf8;
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

namespace {

// The verdict a CSV row shows of a result's: the first that fails, else the
// first held against a limit, else the first.
const Verdict* principalVerdict(const std::vector<Verdict>& verdicts)
{
    for (const Verdict& v : verdicts)
        if (v.outcome == VerdictOutcome::Fail)
            return &v;
    for (const Verdict& v : verdicts)
        if (v.limit)
            return &v;
    return verdicts.empty() ? nullptr : &verdicts.front();
}

// The eight judging fields of one result, each after a comma: the mark of
// the corrected value comes last, after the fields the CSV had before it.
std::string judgingFields(const StructureContext& ctx, const ResultReadings* result, const EquipmentData* equipment,
                          const CsvJudging& judging)
{
    std::string corrected, base, rule, verdict, minimum, ruleName, source, correctedMark;
    if (result) {
        const VerdictTexts texts(ctx.language.texts, ctx.language.languageFiles.codec());
        if (const auto c = resultCorrection(*result, equipment, judging.rules, judging.choices)) {
            if (c->corrected) {
                corrected = plainNumber(threeSignificantDigits(c->ohms));
                correctedMark = c->bound == ValueBound::AtMost ? "<" : c->bound == ValueBound::AtLeast ? ">" : "";
                base = plainNumber(c->temperature);
                rule = texts.ruleText(c->rule->title).toStdString();
            } else {
                rule = texts.correctionReason(c->why, c->testTemperature, c->rule ? c->rule->title : RuleText())
                           .toStdString();
            }
        }
        const std::vector<Verdict> verdicts = evaluateResult(*result, equipment, judging.rules, judging.choices);
        if (const Verdict* v = principalVerdict(verdicts)) {
            verdict = outcomeName(v->outcome);
            if (v->limit)
                minimum = plainNumber(*v->limit);
            ruleName = texts.rule(*v).toStdString();
            source = texts.source(*v).toStdString();
        }
    }
    return "," + corrected + "," + base + "," + csvField(rule) + "," + csvField(verdict) + "," + minimum + "," +
           csvField(ruleName) + "," + csvField(source) + "," + correctedMark;
}

} // namespace

double threeSignificantDigits(double v)
{
    if (v == 0 || !std::isfinite(v))
        return v;
    // Whole powers of ten multiply and divide without a binary remainder.
    const int magnitude = int(std::floor(std::log10(std::fabs(v))));
    if (magnitude >= 2) {
        const double step = std::pow(10.0, magnitude - 2);
        return std::round(v / step) * step;
    }
    const double scale = std::pow(10.0, 2 - magnitude);
    return std::round(v * scale) / scale;
}

CsvJudging csvJudging(const StructureContext& ctx)
{
    CsvJudging j;
    j.rules = loadRuleSets(ruleFolders(ctx.language.programDir), nullptr);
    j.choices = evaluationChoices(ctx.language.settings);
    return j;
}

std::string valuesCsv(const StructureContext& ctx)
{
    return valuesCsv(ctx, csvJudging(ctx));
}

std::string valuesCsv(const StructureContext& ctx, const CsvJudging& judging)
{
    const ResultTable& t = ctx.document.structure.table;
    const NameTables& names = ctx.language.names;

    std::vector<int> rows;
    for (int r = 1; r < t.rowCount(); ++r)
        if (functionCodeOf(t, r) != 0)
            rows.push_back(r);

    // The columns: every (quantity, occurrence) of the structure, in the
    // order they first appear. The items of each row are read once.
    std::vector<std::vector<ResultItemValue>> items;
    items.reserve(rows.size());
    std::vector<Column> columns;
    std::map<std::pair<long, int>, size_t> columnOf;
    for (int r : rows) {
        items.push_back(resultItemValues(t, r, names));
        for (const ResultItemValue& item : items.back()) {
            const auto key = std::make_pair(item.quantity, item.occurrence);
            if (columnOf.count(key))
                continue;
            Column c{item.quantity, item.occurrence, false, RatingKind::PolarisationIndex};
            c.rated = ratingKindOfQuantity(quantityHeading(names, item.quantity, 1), c.kind);
            columnOf.emplace(key, columns.size());
            columns.push_back(c);
        }
    }

    const std::string unitWord = utf8(ctx, ctx.language.texts.text("CsvUnit_15"));
    const std::string markWord = utf8(ctx, ctx.language.texts.text("CsvMark_15"));
    const std::string ratingWord = utf8(ctx, ctx.language.texts.text("RatingAdvice_30"));

    std::string out = "\xEF\xBB\xBF"; // UTF-8 byte order mark: spreadsheets then read the names right
    // Each row's result as the judging reads it, with its point's data.
    const std::vector<PointResults> points = pointResults(ctx);
    std::map<int, std::pair<const ResultReadings*, const EquipmentData*>> judged;
    for (const PointResults& p : points) {
        const EquipmentData* equipment = judging.equipmentOf ? judging.equipmentOf(p.block, p.element) : nullptr;
        for (const ResultReadings& r : p.results)
            judged[r.row] = {&r, equipment};
    }

    std::string line;
    for (const char* key : {"CsvBlockNumber_20", "CsvBlockName_20", "CsvElementNumber_20", "CsvElementName_20",
                            "CsvFunction_20", "CsvDate_20", "CsvTime_20"})
        addField(line, utf8(ctx, ctx.language.texts.text(key)));
    for (const Column& c : columns) {
        const std::string heading = utf8(ctx, quantityHeading(names, c.quantity, c.occurrence));
        addField(line, heading);
        addField(line, heading + " " + unitWord);
        addField(line, heading + " " + markWord);
        if (c.rated)
            addField(line, heading + " " + ratingWord);
    }
    for (const char* key : {"CsvCorrected_20", "CsvBaseTemperature_20", "CsvCorrectionRule_20", "CsvVerdict_15",
                            "CsvMinimum_15", "CsvRule_15", "CsvSource_15", "CsvCorrectedMark_20"})
        addField(line, utf8(ctx, ctx.language.texts.text(key)));
    out += line + "\r\n";

    std::vector<const ResultItemValue*> byColumn(columns.size());
    for (size_t k = 0; k < rows.size(); ++k) {
        const int r = rows[k];
        const ResultRow row(t, r);
        std::string function = names.function(row.functionCode());
        std::replace(function.begin(), function.end(), '$', ' ');
        line.clear();
        addField(line, std::to_string(row.block()));
        addField(line, utf8(ctx, row.blockName()));
        addField(line, std::to_string(row.element()));
        addField(line, utf8(ctx, row.elementName()));
        addField(line, utf8(ctx, function));
        addField(line, utf8(ctx, isoDateOrText(oneLine(row.date()))));
        addField(line, utf8(ctx, isoTimeOrText(oneLine(row.time()))));
        std::fill(byColumn.begin(), byColumn.end(), nullptr);
        for (const ResultItemValue& item : items[k])
            byColumn[columnOf.at({item.quantity, item.occurrence})] = &item;
        for (size_t c = 0; c < columns.size(); ++c) {
            const ResultItemValue* item = byColumn[c];
            const bool number = item && item->value.hasNumber;
            line += ',';
            if (number)
                line += plainNumber(item->value.number);
            line += ',';
            if (number)
                line += csvField(utf8(ctx, item->value.baseUnit));
            line += ',';
            if (item)
                line += markText(item->value);
            if (columns[c].rated) {
                line += ',';
                const RatingKind kind = columns[c].kind;
                if (const auto rating = item ? rateMeasuredValue(kind, item->value) : std::nullopt)
                    line += csvField(utf8(ctx, ctx.language.texts.text(ratingLanguageKey(kind, *rating))));
            }
        }
        const auto result = judged.find(r);
        line += result == judged.end() ? judgingFields(ctx, nullptr, nullptr, judging)
                                       : judgingFields(ctx, result->second.first, result->second.second, judging);
        out += line + "\r\n";
    }
    return out;
}

QString proposedValuesCsvName(const QString& currentFileName)
{
    if (currentFileName.isEmpty())
        return {};
    const qsizetype slash = std::max(currentFileName.lastIndexOf(u'/'), currentFileName.lastIndexOf(u'\\'));
    const qsizetype dot = currentFileName.indexOf(u'.', slash + 1);
    return (dot < 0 ? currentFileName : currentFileName.left(dot)) + QStringLiteral(".csv");
}

bool runValuesCsvExport(StructureContext& ctx, const CsvJudging* judging, WorkRunner& runner)
{
    return saveCsvThroughDialog(
        ctx, "ExportCsvTo_40", proposedValuesCsvName(ctx.document.fileName),
        [&ctx, judging] { return judging ? valuesCsv(ctx, *judging) : valuesCsv(ctx); }, runner,
        judging ? judging->readFrom : QStringList());
}

bool saveCsvThroughDialog(StructureContext& ctx, const char* titleKey, const QString& proposedName,
                          const std::function<std::string()>& csv, WorkRunner& runner, const QStringList& readFrom)
{
    FileDialogRequest r;
    r.title = ctx.language.texts.text(titleKey);
    r.filterName = ctx.language.texts.text("CsvFiles_12");
    r.pattern = QStringLiteral("*.csv");
    r.proposedName = proposedName;
    const auto path = chooseFileToWrite(
        ctx.language, r, [](const QString& chosen) { return withExtensionWhenNone(chosen, QStringLiteral("csv")); });
    if (!path)
        return false;
    // The archive the values were judged by would be destroyed.
    if (outputWritesOver(*path, readFrom)) {
        ctx.language.prompts->message(
            MsgType::Error, ctx.language.encode(*path) + '\r' + ctx.language.texts.text("HistoryArchiveNoOutput_60"),
            MbOK);
        return false;
    }
    bool written = false;
    runner.run([&] { written = writeChosenFile(ctx.language, *path, csv()); });
    return written;
}

} // namespace zentrova
