// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// compare OLD NEW [--db DB] [--site S] [--csv OUT] [--json [--pretty]]: the
// measuring points of two inspections side by side, with the falls worth a
// look and the insulation resistances corrected to a base temperature.
#include "cli/Cli.h"

#include "base/FileIO.h"
#include "base/JsonWriter.h"
#include "history/SiteRules.h"
#include "structure/ComparisonJudgement.h"
#include "structure/Equipment.h"
#include "structure/InspectionComparison.h"

#include <cstdio>
#include <unistd.h>

namespace zentrova::cli {

void compareHelp()
{
    std::printf("Usage: zentrova-cli compare OLD NEW [--db DB] [--site S] [--csv OUT] [--json [--pretty]]\n\n"
                "Compares the results of two structure files, an older and a newer\n"
                "inspection of the same installation. Measuring points are matched by\n"
                "block and element number and names; a point whose numbers changed is found\n"
                "by its names, one that was renamed by its numbers. For every matched point\n"
                "and quantity it lists the old value, the new value (plain numbers in base\n"
                "units) and the change in percent, and warns when an insulation resistance\n"
                "fell to less than half or a PI or DAR fell by a rating class (the ratings\n"
                "are advice). Points found in one file only are listed at the end.\n\n"
                "A point with equipment data in the history archive (see zentrova-cli\n"
                "history point) also has its insulation resistances corrected to the base\n"
                "temperature of its correction rule, old and new, with the rule, or why a\n"
                "value was not corrected (no test temperature, no rule); tests more than\n"
                "10 °C apart are warned of. The data are of the installation --site names,\n"
                "else the new file's test site, in the archive --db names, else the\n"
                "configured one; without --db and --site the points of an archive that\n"
                "cannot be used are compared without corrections.\n\n"
                "The list goes to stdout as UTF-8 text, or as JSON with --json: compact,\n"
                "or indented for a person to read with --pretty or when stdout is a\n"
                "terminal.\n"
                "--csv OUT also writes it as UTF-8 CSV; OUT is replaced without asking,\n"
                "but never OLD, NEW or the archive and its side files, which is refused.\n"
                "--csv - writes the CSV to stdout instead of the list. With equipment data\n"
                "its rows end in the corrected values, the base temperature and the rule.\n"
                "Beside every quantity stand the new inspection's verdicts, as evaluate\n"
                "gives them (CSV: the last column; JSON: \"verdicts\"); a change from or\n"
                "to a value beyond the instrument's range is a bound (\"< -99 %%\").\n"
                "Exit code 0 whether or not there are warnings; 1 usage or no such site,\n"
                "5 the archive --db names or the output cannot be used.\n");
}

int compareCommand(const QStringList& args)
{
    QStringList files;
    QString csvOut;
    FileArgs archive; // --db and --site
    bool json = false, pretty = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--pretty")) {
            pretty = true;
        } else if (a == QLatin1String("--csv")) {
            if (i + 1 >= args.size() || !csvOut.isEmpty()) {
                fail(QStringLiteral("--csv needs one value"));
                return ExitUsage;
            }
            csvOut = args[++i];
        } else if (a == QLatin1String("--db") || a == QLatin1String("--site")) {
            if (i + 1 >= args.size() || archive.has(a)) {
                fail(QStringLiteral("%1 needs one value").arg(a));
                return ExitUsage;
            }
            archive.values.insert(a, args[++i]);
        } else if (a.startsWith(u'-') || files.size() == 2) {
            fail(QStringLiteral("unexpected argument \"%1\" (see zentrova-cli compare --help)").arg(a));
            return ExitUsage;
        } else {
            files << a;
        }
    }
    if (pretty && !json) {
        fail(QStringLiteral("--pretty goes with --json"));
        return ExitUsage;
    }
    if (files.size() != 2) {
        fail(QStringLiteral("compare needs OLD and NEW (see zentrova-cli compare --help)"));
        return ExitUsage;
    }
    // The older file is read into a document beside the program's, the newer
    // one into the program.
    auto newer = loadProgram();
    if (!newer)
        return ExitProgramData;
    // The CSV, and the list unless the CSV goes to standard output.
    const ReadFiles reads{files, commandArchiveFiles(archive, *newer)};
    if (!csvOut.isEmpty())
        if (const int rc = refuseOutputOverReadFiles(reads, csvOut, "--csv", "compare"); rc != ExitOk)
            return rc;
    if (csvOut != QLatin1String("-"))
        if (const int rc = refuseOutputOverReadFiles(reads, QStringLiteral("-"), nullptr, "compare"); rc != ExitOk)
            return rc;
    Document older;
    if (const int rc = readInputBeside(*newer, files[0], older); rc != ExitOk)
        return rc;
    if (const int rc = readInput(*newer, files[1]); rc != ExitOk)
        return rc;
    InspectionComparison c = compareInspections(older, newer->ctx->document, newer->ctx->language.names);
    // The points' equipment data are looked up by their numbers in the newer file.
    PointEquipment equipment;
    SiteRuleChoice siteRules;
    QString site;
    if (const int rc = archiveEquipment(archive, *newer, false, equipment, siteRules, site); rc != ExitOk)
        return rc;
    // The corrections point into the rule sets. Every point is judged, with
    // its equipment data or by the advice bands only.
    QStringList problems;
    const RuleSets rules = loadRuleSets(ruleFolders(newer->ctx->language.programDir), &problems);
    for (const QString& p : problems)
        fail(QStringLiteral("rule set left out: %1").arg(p));
    const auto equipmentOf = [&equipment](long block, long element) -> const EquipmentData* {
        const auto e = equipment.find({block, element});
        return e == equipment.end() ? nullptr : &e->second;
    };
    const EvaluationChoices choices = siteChoices(evaluationChoices(newer->ctx->language.settings), siteRules);
    std::vector<ComparedCorrection> corrections;
    if (!equipment.empty())
        corrections =
            compareCorrections(older, newer->ctx->document, newer->ctx->language.names, c, equipmentOf, rules, choices);
    judgeNewerResults(c, newer->ctx->document, newer->ctx->language.names, equipmentOf, rules, choices);
    if (!csvOut.isEmpty()) {
        QString error;
        if (!writeFileSafely(csvOut, comparisonCsv(*newer->ctx, c, &corrections), &error)) {
            fail(outputName(csvOut) + QStringLiteral(": ") + error);
            return ExitCannotWrite;
        }
        // The CSV on standard output is the whole output.
        if (csvOut == QLatin1String("-"))
            return ExitOk;
    }
    // Names come from the files, where anything may have been typed.
    if (!json)
        return writeStandardOutput(shownLines(comparisonText(*newer->ctx, c, &corrections)));
    // The JSON of two large files runs to hundreds of megabytes: it goes out
    // as it is made, indented only where a person reads it.
    OutputFile out;
    QString error;
    if (out.open(QStringLiteral("-"), &error)) {
        JsonWriter writer(pretty || isatty(STDOUT_FILENO) == 1, [&out](std::string_view piece) { out.write(piece); });
        writeComparisonJson(*newer->ctx, c, writer, &corrections);
        if (out.commit(&error))
            return ExitOk;
    }
    fail(QStringLiteral("standard output: ") + error);
    return ExitCannotWrite;
}

} // namespace zentrova::cli
