// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// evaluate FILE [--db DB] [--site S] [--json [--pretty] | --csv OUT]: every
// measuring point's results judged by the rule sets, each verdict with its
// rule and source.
#include "cli/Cli.h"

#include "base/FileIO.h"
#include "base/JsonWriter.h"
#include "base/TextRules.h"
#include "comm/InstrumentData.h"
#include "history/EquipmentData.h"
#include "history/HistoryArchive.h"
#include "history/HistoryCommands.h"
#include "history/HistorySettings.h"
#include "history/Inspection.h"
#include "history/SiteRules.h"
#include "structure/Evaluation.h"
#include "structure/MeasuredValue.h"
#include "structure/ValuesCsv.h"

#include <QFileInfo>

#include <cstdio>
#include <map>
#include <unistd.h>

namespace zentrova::cli {

namespace {

using PointKey = std::pair<long, long>; // block, element

// "<" or ">" for a value beyond the instrument's range, "" for an exact one.
const char* boundMarkText(ValueBound b)
{
    return b == ValueBound::AtMost ? "<" : b == ValueBound::AtLeast ? ">" : "";
}

std::string optionalNumberText(const std::optional<double>& v)
{
    return v ? plainNumber(*v) : std::string();
}

void writeEquipmentJson(JsonWriter& json, const EquipmentData* e)
{
    if (!e) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("type");
    json.string(std::string_view(equipmentTypeName(e->type)));
    auto number = [&](const char* key, const std::optional<double>& v) {
        json.key(key);
        v ? json.number(*v) : json.null();
    };
    number("ratedKv", e->ratedKv);
    json.key("thermalClass");
    e->thermalClass ? json.string(std::string_view(thermalClassName(*e->thermalClass))) : json.null();
    number("testTemperature", e->testTemperature);
    number("ownMinimumMOhm", e->ownMinimumMOhm);
    json.endObject();
}

void writeVerdictJson(JsonWriter& json, const Verdict& v)
{
    json.beginObject();
    auto text = [&](const char* key, const std::string& s) {
        json.key(key);
        json.string(std::string_view(s));
    };
    auto number = [&](const char* key, const std::optional<double>& x) {
        json.key(key);
        x ? json.number(*x) : json.null();
    };
    json.key("row");
    json.integer(v.row);
    text("outcome", outcomeName(v.outcome));
    text("quantity", v.quantity);
    text("rule", v.rule.english);
    text("ruleSet", v.ruleSetId);
    text("source", v.source.english);
    number("value", v.value);
    text("unit", v.unit);
    text("valueMark", boundMarkText(v.valueBound));
    number("temperature", v.temperature);
    json.key("corrected");
    json.string(std::string_view(v.corrected ? "yes" : "no"));
    number("limit", v.limit);
    text("detail", v.detail);
    text("text", v.text);
    json.endObject();
}

int writeJson(const Program& program, const QString& site, const RuleSets& rules, const EvaluationChoices& choices,
              const std::vector<PointVerdicts>& verdicts, bool pretty)
{
    OutputFile out;
    QString error;
    if (out.open(QStringLiteral("-"), &error)) {
        JsonWriter json(pretty || isatty(STDOUT_FILENO) == 1, [&out](std::string_view piece) { out.write(piece); });
        json.beginObject();
        json.key("site");
        json.string(site);
        json.key("ruleSets");
        json.beginArray();
        for (const RuleSet& s : rules.sets) {
            json.beginObject();
            json.key("id");
            json.string(std::string_view(s.id));
            json.key("title");
            json.string(std::string_view(s.title.english));
            json.key("source");
            json.string(std::string_view(s.citation().english));
            json.key("file");
            json.string(s.file);
            json.endObject();
        }
        json.endArray();
        // The correction each equipment type is corrected by, as the settings
        // and the installation's own choice in the archive make it.
        json.key("corrections");
        json.beginObject();
        for (int t = 0; t < EquipmentTypeCount; ++t) {
            json.key(equipmentTypeName(EquipmentType(t)));
            // A chosen set not installed here is named, marked missing: its values are not corrected.
            std::string missing;
            if (const RuleSet* s = rules.correctionFor(EquipmentType(t), choices, &missing)) {
                json.string(std::string_view(s->id));
            } else if (!missing.empty()) {
                json.beginObject();
                json.key("id");
                json.string(std::string_view(missing));
                json.key("missing");
                json.boolean(true);
                json.endObject();
            } else {
                json.null();
            }
        }
        json.endObject();
        json.key("points");
        json.beginArray();
        for (const PointVerdicts& p : verdicts) {
            json.beginObject();
            json.key("block");
            json.integer(p.point->block);
            json.key("element");
            json.integer(p.point->element);
            json.key("blockName");
            json.string(program.ctx->language.decode(p.point->blockName));
            json.key("elementName");
            json.string(program.ctx->language.decode(p.point->elementName));
            json.key("equipment");
            writeEquipmentJson(json, p.equipment);
            json.key("verdicts");
            json.beginArray();
            for (const Verdict& v : p.verdicts)
                writeVerdictJson(json, v);
            json.endArray();
            json.endObject();
        }
        json.endArray();
        json.endObject();
        json.finish();
        if (out.commit(&error))
            return ExitOk;
    }
    fail(QStringLiteral("standard output: ") + error);
    return ExitCannotWrite;
}

int writeCsv(const Program& program, const QString& path, const std::vector<PointVerdicts>& verdicts)
{
    OutputFile out;
    QString error;
    if (out.open(path, &error)) {
        // With a byte order mark, as every CSV of the program: a spreadsheet
        // then reads "MΩ" and "°C" as UTF-8.
        out.write("\xEF\xBB\xBF"
                  "block,element,block_name,element_name,row,quantity,verdict,value,unit,temperature,corrected,"
                  "minimum,rule,source,detail,value_mark\r\n");
        for (const PointVerdicts& p : verdicts) {
            const std::string names = csvField(program.ctx->language.decode(p.point->blockName).toStdString()) + "," +
                                      csvField(program.ctx->language.decode(p.point->elementName).toStdString());
            for (const Verdict& v : p.verdicts) {
                const std::string line = std::to_string(p.point->block) + "," + std::to_string(p.point->element) + "," +
                                         names + "," + std::to_string(v.row) + "," + csvField(v.quantity) + "," +
                                         outcomeName(v.outcome) + "," + optionalNumberText(v.value) + "," +
                                         csvField(v.unit) + "," + optionalNumberText(v.temperature) + "," +
                                         (v.corrected ? "yes" : "no") + "," + optionalNumberText(v.limit) + "," +
                                         csvField(v.rule.english) + "," + csvField(v.source.english) + "," +
                                         csvField(v.detail) + "," + boundMarkText(v.valueBound) + "\r\n";
                out.write(line);
            }
        }
        if (out.commit(&error))
            return ExitOk;
    }
    fail(outputName(path) + QStringLiteral(": ") + error);
    return ExitCannotWrite;
}

std::string pointsText(const Program& program, const std::vector<PointVerdicts>& verdicts)
{
    std::string text;
    for (const PointVerdicts& p : verdicts) {
        text += std::to_string(p.point->block) + "/" + std::to_string(p.point->element) + " " +
                shownInstrumentLine(program.ctx->language.decode(p.point->blockName)).toStdString() + " / " +
                shownInstrumentLine(program.ctx->language.decode(p.point->elementName)).toStdString() + ": ";
        if (p.equipment) {
            text += equipmentTypeName(p.equipment->type);
            if (p.equipment->ratedKv)
                text += ", " + plainNumber(*p.equipment->ratedKv) + " kV";
            if (p.equipment->thermalClass)
                text += std::string(", class ") + thermalClassName(*p.equipment->thermalClass);
        } else {
            text += "no equipment data";
        }
        text += "\n";
        for (const Verdict& v : p.verdicts)
            text += "  " + std::to_string(v.row) + " " + v.quantity + ": " + v.text + "\n";
    }
    // Rule titles and texts come from the user's own rule files too.
    return shownLines(text);
}

} // namespace

namespace {

// What --db names, else the settings' archive (empty for the default file).
QString archiveAddress(const FileArgs& a, const Program& program)
{
    return a.has(QStringLiteral("--db")) ? a.value(QStringLiteral("--db"))
                                         : loadHistorySettings(program.ctx->language.settings).database;
}

} // namespace

QStringList commandArchiveFiles(const FileArgs& a, const Program& program)
{
    ArchiveLocation location;
    return parseArchiveLocation(archiveAddress(a, program), location, nullptr) ? archiveFiles(location) : QStringList();
}

int archiveEquipment(const FileArgs& a, const Program& program, bool noteWhenUnavailable, PointEquipment& out,
                     SiteRuleChoice& rules, QString& site)
{
    const bool asked = a.has(QStringLiteral("--db")) || a.has(QStringLiteral("--site"));
    site = a.value(QStringLiteral("--site"));
    if (site.isEmpty())
        site = inspectionFromDocument(program.ctx->language, program.ctx->document, QString(), QDateTime(), QString())
                   .site;
    const QString where = archiveAddress(a, program);
    auto unavailable = [&](const QString& why) {
        if (asked) {
            fail(why);
            return int(a.has(QStringLiteral("--site")) ? ExitUsage : ExitCannotWrite);
        }
        if (noteWhenUnavailable)
            fail(QStringLiteral("note: no equipment data (%1); judged by the advice bands only").arg(why));
        return int(ExitOk);
    };
    if (site.isEmpty())
        return unavailable(QStringLiteral("the file names no test site; name its installation with --site S"));
    ArchiveLocation location;
    QString error;
    HistoryArchive archive;
    if (!parseArchiveLocation(where, location, &error) || !archive.open(location, ArchiveAccess::Read, &error))
        return unavailable(QStringLiteral("the history archive cannot be used: %1").arg(error));
    const qint64 installation = archive.findInstallation(site, &error);
    if (!installation)
        return unavailable(shownInstrumentLine(error));
    std::vector<PointEquipmentEntry> entries;
    if (!installationEquipment(archive, installation, entries, &error) ||
        !readSiteRules(archive, installation, rules, &error)) {
        fail(QStringLiteral("the history archive cannot be read: %1").arg(error));
        return ExitCannotWrite;
    }
    for (PointEquipmentEntry& e : entries)
        out.emplace(PointKey{e.block, e.element}, std::move(e.data));
    return ExitOk;
}

void evaluateHelp()
{
    std::printf("Usage: zentrova-cli evaluate FILE [--db DB] [--site S] [--json [--pretty] | --csv OUT]\n\n"
                "Judges every measuring point's results of a structure file by the rule\n"
                "sets: insulation resistance corrected to a base temperature and held\n"
                "against the minimum of IEEE 43 (rotating machines) or of the NETA table\n"
                "(other equipment) for the point's type and rated voltage, the minimum PI\n"
                "by thermal class, the PI, DAR and DD advice bands, the fall of the step\n"
                "voltage test and the point's own limit. Every verdict says pass, fail,\n"
                "advice or not judged, the rule, the value it was held against and the\n"
                "source; a result without a temperature is not corrected, and says so.\n"
                "These are aids to judgement, not a substitute for the standards.\n\n"
                "The equipment data come from the history archive (see zentrova-cli history\n"
                "point): of the installation --site names, else the file's test site, in\n"
                "the archive --db names, else the configured one. Without --db and --site\n"
                "an archive that cannot be used leaves the points without data, and a note\n"
                "on stderr says so; a point without data is judged by the advice bands only.\n\n"
                "The rule sets are the JSON files in the program's rules folder and in\n"
                "~/.config/zentrova/rules (a file with the id of a shipped one replaces\n"
                "it). The settings' [EVALUATION] Correction_TYPE=ID chooses a correction\n"
                "rule set per equipment type, StepVoltageFall=PERCENT the step test's\n"
                "threshold. An installation's own choice of correction rule sets, made\n"
                "in the history window or with zentrova-cli history rules and kept in the\n"
                "archive, takes the settings' place for its points. A threshold that is no\n"
                "number from 0 up to 100 is refused, and a chosen correction rule set that\n"
                "is not installed leaves its type's values uncorrected: stderr says each\n"
                "once. A test voltage outside the range recommended for the rated voltage\n"
                "is advice.\n\n"
                "The verdicts go to stdout as UTF-8 text, or as JSON with --json: compact,\n"
                "or indented with --pretty or when stdout is a terminal. The JSON also\n"
                "lists the rule sets and, under corrections, the correction rule set each\n"
                "equipment type was corrected by; one chosen but not installed is\n"
                "{\"id\": ID, \"missing\": true}.\n"
                "--csv OUT writes them as UTF-8 CSV instead (- for stdout); never over\n"
                "FILE or the archive and its side files, which is refused.\n"
                "Exit code 0 whether or not a verdict fails; 1 usage or no such site,\n"
                "2 program data, 4 unreadable input, 5 the archive or output cannot be\n"
                "used.\n");
}

int evaluateCommand(const QStringList& args)
{
    QStringList plain;
    bool json = false, pretty = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--json"))
            json = true;
        else if (a == QLatin1String("--pretty"))
            pretty = true;
        else
            plain << a;
    }
    FileArgs a;
    if (const int rc = parseFileArgs(plain, "evaluate",
                                     {QStringLiteral("--db"), QStringLiteral("--site"), QStringLiteral("--csv")}, a);
        rc != ExitOk)
        return rc;
    if (pretty && !json) {
        fail(QStringLiteral("--pretty goes with --json"));
        return ExitUsage;
    }
    const QString csvOut = a.value(QStringLiteral("--csv"));
    if (json && a.has(QStringLiteral("--csv"))) {
        fail(QStringLiteral("--json and --csv cannot go together"));
        return ExitUsage;
    }
    auto program = loadProgram();
    if (!program)
        return ExitProgramData;
    // The verdicts go to --csv's file or to standard output (">> FILE").
    if (const int rc = refuseOutputOverReadFiles({{a.file}, commandArchiveFiles(a, *program)},
                                                 csvOut.isEmpty() ? QStringLiteral("-") : csvOut,
                                                 csvOut.isEmpty() ? nullptr : "--csv", "evaluate");
        rc != ExitOk)
        return rc;
    if (const int rc = readInput(*program, a.file); rc != ExitOk)
        return rc;
    QStringList problems;
    const RuleSets rules = loadRuleSets(ruleFolders(program->ctx->language.programDir), &problems);
    for (const QString& p : problems)
        fail(QStringLiteral("rule set left out: %1").arg(p));
    PointEquipment equipment;
    SiteRuleChoice siteRules;
    QString site;
    if (const int erc = archiveEquipment(a, *program, true, equipment, siteRules, site); erc != ExitOk)
        return erc;
    const std::vector<PointResults> points = pointResults(*program->ctx);
    const EvaluationChoices choices = siteChoices(evaluationChoices(program->ctx->language.settings), siteRules);
    // Said once here, not beside every value it leaves uncorrected.
    for (const std::string& p : evaluationProblems(rules, choices))
        fail(QString::fromStdString(p));
    const std::vector<PointVerdicts> verdicts = evaluatePoints(
        points,
        [&](const PointResults& p) -> const EquipmentData* {
            const auto e = equipment.find(PointKey{p.block, p.element});
            return e == equipment.end() ? nullptr : &e->second;
        },
        rules, choices);
    if (a.has(QStringLiteral("--csv")))
        return writeCsv(*program, csvOut, verdicts);
    if (json)
        return writeJson(*program, site, rules, choices, verdicts, pretty);
    return writeStandardOutput(pointsText(*program, verdicts));
}

} // namespace zentrova::cli
