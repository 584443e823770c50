// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Composing the results report of a large results grid at 300 dpi: the width
// fit, the page breaks with their repeated heading rows, the page frames.
#include "BenchNames.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "report/Compose.h"
#include "report/GridData.h"
#include "shell/AppContext.h"
#include "structure/ResultsGrid.h"

#include <benchmark/benchmark.h>

#include <QFont>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace zentrova;

namespace {

// Text measuring needs the GUI application object; benchmark_main gives no
// place to make one, so the first benchmark does.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "bench_compose";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    }
}

// A results grid of `rows` insulation measurements of one block, as the main
// window shows it, with a printout heading and a comment.
struct Report {
    SilentPrompts prompts;
    AppContext ctx{QStringLiteral("/tmp/"), prompts};
    GridData grid{6, 1};
    PageRecorder prn;
    MarginTexts margins;
    NullProgress progress;

    explicit Report(int rows)
    {
        ensureApplication();
        ctx.language.profile.resultColumnMap = {0, 1, 2, 3, 4, 255, 5};
        bench::addInsulationNames(ctx.language.names);
        ctx.language.texts.set("Operator_30", "Operator");
        ctx.language.texts.set("TestSite_30", "Test site");
        ctx.document.heading.op = {"Volta Electric Ltd.", "Testing and inspection", "Licence 2231/7"};
        ctx.document.heading.site = {"Riverside Plant", "Substation 4", "Feeder bay B"};
        ctx.document.heading.footer = {"Inspection report", "", ""};
        ctx.document.comments.lines[0] = "All circuits were disconnected from the supply during the test.";

        ElementNode* block = ctx.document.structure.tree.add(nullptr);
        block->name = "001";
        block->info.kind = KindObject;
        block->info.number = 1;
        ResultTable& t = ctx.document.structure.table;
        for (int i = 0; i < rows; ++i) {
            const int r = t.appendRow();
            const int element = 1 + i / 20;
            t.setCell(1, r, "1\r1\r" + std::to_string(element));
            t.setCell(2, r, "\r001\rPoint " + std::to_string(element) + "\r13,0");
            t.setCell(3, r, i % 3 ? "500" : "501");
            t.setCell(4, r,
                      i % 3 ? "501507 " + std::to_string(100 + i % 9000) + ".5"
                            : "501508 " + std::to_string(1 + i % 97) + ".21\r5060001.62\r5070002.35!");
            t.setCell(6, r, "509501 5000");
            t.setCell(7, r, "07.12.2026");
            t.setCell(8, r, "10:15:32");
        }
        QFont mono(QStringLiteral("Courier New"));
        mono.setPointSize(10);
        grid.setFont(mono);
        writeResultHeadings(ctx, grid);
        fillResultsGrid(ctx, block, grid);
        prn.setPageSetup(PageSetup{}); // A4, 300 dpi: no printer
    }
    bool compose()
    {
        return composeReport(ctx.language, {ctx.document.heading, ctx.document.comments}, PrintResults, grid, margins,
                             prn, progress);
    }
};

void BM_ComposeResultsReport(benchmark::State& state)
{
    const int rows = int(state.range(0));
    Report report(rows);
    for (auto _ : state) {
        const bool ok = report.compose();
        benchmark::DoNotOptimize(ok);
    }
    state.counters["pages"] = report.prn.pageCount();
    state.SetComplexityN(rows);
    state.SetItemsProcessed(state.iterations() * rows);
}

// The same pages replayed into a PDF file (what Save as PDF and the
// command-line report add to the composition).
void BM_WriteReportPdf(benchmark::State& state)
{
    Report report(int(state.range(0)));
    report.compose();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    for (auto _ : state) {
        QString error;
        const bool ok = writePdf(report.prn, path, &error);
        benchmark::DoNotOptimize(ok);
    }
    state.counters["pages"] = report.prn.pageCount();
}

BENCHMARK(BM_ComposeResultsReport)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_WriteReportPdf)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
