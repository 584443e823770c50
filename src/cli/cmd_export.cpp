// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// export FILE -o OUT: the structure as delimited text, the same bytes as the
// windowed program's export; with --format csv the result values as CSV, as
// File > Export CSV writes them.
#include "cli/Cli.h"

#include "history/HistoryCommands.h"
#include "history/PointJudgement.h"

#include "report/ReportPages.h"
#include "structure/Evaluation.h"
#include "structure/Export.h"
#include "structure/ValuesCsv.h"

#include <cstdio>

namespace zentrova::cli {

void exportHelp()
{
    std::printf("Usage: zentrova-cli export FILE -o OUT [--delimiter tab|semicolon] [--eol crlf|cr|lf]\n"
                "       zentrova-cli export FILE -o OUT.csv --format csv\n\n"
                "Writes the structure file FILE as delimited text for spreadsheets: the\n"
                "printout heading, the element tree, the result rows and the report tables,\n"
                "in the language's code page, exactly as File > Export writes them.\n"
                "Defaults: tab and crlf. OUT is replaced without asking.\n\n"
                "--format csv writes the result values instead, exactly as File > Export CSV\n"
                "writes them: UTF-8 CSV (RFC 4180, CR LF), one row per measurement with its\n"
                "block, element, function, date and time, and per quantity its value as a\n"
                "plain number in the base unit, the base unit and the marks (< > !), with\n"
                "the PI and DAR ratings as advice. --format text is the default.\n"
                "OUT is never FILE, nor, with --format csv, the configured history archive\n"
                "or its side files, whose equipment data judge the values: that is refused.\n");
}

int exportCommand(const QStringList& args)
{
    FileArgs a;
    const QString delimiter = QStringLiteral("--delimiter"), eol = QStringLiteral("--eol"),
                  formatOption = QStringLiteral("--format");
    if (const int rc = parseFileArgs(args, "export", {QStringLiteral("-o"), delimiter, eol, formatOption}, a);
        rc != ExitOk)
        return rc;
    bool csv = false;
    if (a.has(formatOption)) {
        const QString v = a.value(formatOption).toLower();
        if (v != QLatin1String("text") && v != QLatin1String("csv")) {
            fail(QStringLiteral("--format is text or csv"));
            return ExitUsage;
        }
        csv = v == QLatin1String("csv");
        if (csv && (a.has(delimiter) || a.has(eol))) {
            fail(QStringLiteral("--format csv takes no --delimiter or --eol"));
            return ExitUsage;
        }
    }
    const QString in = a.file, out = a.value(QStringLiteral("-o"));
    ExportFormat format;
    if (a.has(delimiter)) {
        const QString v = a.value(delimiter).toLower();
        if (v != QLatin1String("tab") && v != QLatin1String("semicolon")) {
            fail(QStringLiteral("--delimiter is tab or semicolon"));
            return ExitUsage;
        }
        format.column = v == QLatin1String("tab") ? ExportFormat::Tab : ExportFormat::Semicolon;
    }
    if (a.has(eol)) {
        const QString v = a.value(eol).toLower();
        if (v == QLatin1String("crlf"))
            format.row = ExportFormat::CrLf;
        else if (v == QLatin1String("cr"))
            format.row = ExportFormat::Cr;
        else if (v == QLatin1String("lf"))
            format.row = ExportFormat::Lf;
        else {
            fail(QStringLiteral("--eol is crlf, cr or lf"));
            return ExitUsage;
        }
    }
    if (in.isEmpty() || out.isEmpty()) {
        fail(QStringLiteral("export needs FILE and -o OUT (see zentrova-cli export --help)"));
        return ExitUsage;
    }
    auto program = loadProgram();
    if (!program)
        return ExitProgramData;
    // The values CSV is judged by the equipment data of the configured archive.
    const ReadFiles reads{{in}, csv ? configuredArchiveFiles(program->ctx->language.settings) : QStringList()};
    if (const int rc = refuseOutputOverReadFiles(reads, out, "-o", "export"); rc != ExitOk)
        return rc;
    if (const int rc = readInput(*program, in); rc != ExitOk)
        return rc;
    const AppContext& ctx = *program->ctx;
    if (csv) {
        // The judging columns go without a rule file that does not read: name it, as evaluate does.
        QStringList problems;
        loadRuleSets(ruleFolders(ctx.language.programDir), &problems);
        for (const QString& p : problems)
            fail(QStringLiteral("rule set left out: %1").arg(p));
    }
    // The judging columns go by the points' equipment data in the configured archive, when it has them.
    const std::string bytes = csv ? valuesCsv(ctx, archiveCsvJudging(ctx))
                                  : exportText(ctx.language, ctx.document, format, program->progress);
    program->progress.hide();
    QString error;
    if (!writeFileSafely(out, bytes, &error)) {
        fail(outputName(out) + QStringLiteral(": ") + error);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
