// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// compare OLD NEW [--csv OUT] [--json [--pretty]]: the measuring points of two
// inspections side by side, with the falls worth a look.
#include "cli/Cli.h"

#include "base/FileIO.h"
#include "base/JsonWriter.h"
#include "structure/InspectionComparison.h"

#include <cstdio>
#include <unistd.h>

namespace zentrova::cli {

void compareHelp()
{
    std::printf("Usage: zentrova-cli compare OLD NEW [--csv OUT] [--json [--pretty]]\n\n"
                "Compares the results of two structure files, an older and a newer\n"
                "inspection of the same installation. Measuring points are matched by\n"
                "block and element number and names; a point whose numbers changed is found\n"
                "by its names, one that was renamed by its numbers. For every matched point\n"
                "and quantity it lists the old value, the new value (plain numbers in base\n"
                "units) and the change in percent, and warns when an insulation resistance\n"
                "fell to less than half or a PI or DAR fell by a rating class (the ratings\n"
                "are advice). Points found in one file only are listed at the end.\n\n"
                "The list goes to stdout as UTF-8 text, or as JSON with --json: compact,\n"
                "or indented for a person to read with --pretty or when stdout is a\n"
                "terminal.\n"
                "--csv OUT also writes it as UTF-8 CSV; OUT is replaced without asking.\n"
                "--csv - writes the CSV to stdout instead of the list.\n"
                "Exit code 0 whether or not there are warnings.\n");
}

int compareCommand(const QStringList& args)
{
    QStringList files;
    QString csvOut;
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
    if (!csvOut.isEmpty()) {
        for (const QString& in : files)
            if (const int rc = refuseOutputOverInput(in, csvOut, "compare"); rc != ExitOk)
                return rc;
    }
    // The older file is read into a document beside the program's, the newer
    // one into the program.
    auto newer = loadProgram();
    if (!newer)
        return ExitProgramData;
    Document older;
    if (const int rc = readInputBeside(*newer, files[0], older); rc != ExitOk)
        return rc;
    if (const int rc = readInput(*newer, files[1]); rc != ExitOk)
        return rc;
    const InspectionComparison c = compareInspections(older, newer->ctx->document, newer->ctx->names);
    if (!csvOut.isEmpty()) {
        QString error;
        if (!writeFileSafely(csvOut, comparisonCsv(*newer->ctx, c), &error)) {
            fail(csvOut + QStringLiteral(": ") + error);
            return ExitCannotWrite;
        }
        // The CSV on standard output is the whole output.
        if (csvOut == QLatin1String("-"))
            return ExitOk;
    }
    if (!json)
        return writeStandardOutput(comparisonText(*newer->ctx, c));
    // The JSON of two large files runs to hundreds of megabytes: it goes out
    // as it is made, indented only where a person reads it.
    OutputFile out;
    QString error;
    if (out.open(QStringLiteral("-"), &error)) {
        JsonWriter writer(pretty || isatty(STDOUT_FILENO) == 1, [&out](std::string_view piece) { out.write(piece); });
        writeComparisonJson(*newer->ctx, c, writer);
        if (out.commit(&error))
            return ExitOk;
    }
    fail(QStringLiteral("standard output: ") + error);
    return ExitCannotWrite;
}

} // namespace zentrova::cli
