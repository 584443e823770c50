// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// report FILE -o OUT.pdf [--element NAME[/NAME]]: composes the results
// report of one element of a structure file, as the print preview shows it,
// and writes it as a PDF.
#include "cli/Cli.h"

#include "report/Compose.h"
#include "report/GridData.h"
#include "report/ReportPages.h"
#include "structure/ResultsGrid.h"
#include "structure/Structure.h"
#include "structure/StructureFile.h"

#include <QFont>
#include <QGuiApplication>

#include <cstdio>

namespace zentrova::cli {

int reportCommand(const QStringList& args);
void reportHelp();

void reportHelp()
{
    std::printf("Usage: zentrova-cli report FILE -o OUT.pdf [--element NAME[/NAME]]\n\n"
                "Reads the structure file FILE and writes the results report of one element\n"
                "to OUT.pdf: the results table under the printout heading, followed by the\n"
                "comments, on A4 paper at 300 dpi. The heading and the comments are those\n"
                "the structure file holds; the margins and the results-grid font come from\n"
                "the settings beside the program.\n\n"
                "  --element NAME        a top-level element (block) by its name\n"
                "  --element NAME/NAME   a measuring point within it\n"
                "                        (a \"/\" within a name is written \\/, a\n"
                "                        backslash \\\\: --element \"TS 20\\/0.4 kV\")\n"
                "Without --element the element the file selects is reported (the first\n"
                "top-level element). A name with several lines is given with its lines\n"
                "joined by spaces. OUT is replaced without asking, through a temporary file:\n"
                "when writing fails, a previous OUT stays as it was.\n");
}

int composeFileReport(const FileArgs& a, const char* command, PageRecorder& prn)
{
    const QString in = a.file;
    const QString elementOption = QStringLiteral("--element");
    const QString element = a.value(elementOption);
    const bool elementGiven = a.has(elementOption);
    // Measuring and drawing text needs the GUI application object (on the
    // offscreen platform when there is no display).
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        fail(QStringLiteral("%1 cannot draw text: zentrova-cli was started without its GUI application object")
                 .arg(QString::fromLatin1(command)));
        return ExitProgramData;
    }
    // The report's typefaces, mapped as the windowed program maps them.
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

    int rc = ExitOk;
    auto program = loadProgramWithInput(in, rc);
    if (!program)
        return rc;
    AppContext& ctx = *program->ctx;

    const ElementNode* node = ctx.document.structure.tree.selected ? ctx.document.structure.tree.selected
                                                                   : ctx.document.structure.tree.first();
    if (elementGiven)
        if (const int rc = findElement(ctx, in, element, node); rc != ExitOk)
            return rc;

    GridData grid(ctx.language.profile.resultColumnCount, 1);
    grid.setFont(reportGridFont(ctx.language.settings));
    writeResultHeadings(ctx, grid);
    fillResultsGrid(ctx, node, grid);

    prn.setPageSetup(PageSetup{});
    MarginTexts margins;
    margins.load(ctx.language.settings);
    std::string error;
    if (!composeReport(ctx.language, {ctx.document.heading, ctx.document.comments}, PrintResults, grid, margins, prn,
                       program->progress, &error)) {
        fail(ctx.language.decode(error));
        return ExitProgramData;
    }
    return ExitOk;
}

int reportCommand(const QStringList& args)
{
    FileArgs a;
    if (const int rc = parseFileArgs(args, "report", {QStringLiteral("-o"), QStringLiteral("--element")}, a);
        rc != ExitOk)
        return rc;
    const QString in = a.file, out = a.value(QStringLiteral("-o"));
    if (in.isEmpty() || out.isEmpty()) {
        fail(QStringLiteral("report needs FILE and -o OUT.pdf (see zentrova-cli report --help)"));
        return ExitUsage;
    }
    if (const int rc = refuseOutputOverReadFiles({{in}, {}}, out, "-o", "report"); rc != ExitOk)
        return rc;
    PageRecorder prn;
    if (const int rc = composeFileReport(a, "report", prn); rc != ExitOk)
        return rc;
    QString writeError;
    if (!writePdf(prn, out, &writeError)) {
        fail(outputName(out) + QStringLiteral(": ") + writeError);
        return ExitCannotWrite;
    }
    return ExitOk;
}

} // namespace zentrova::cli
