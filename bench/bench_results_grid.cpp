// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Refilling the results grid from the result table for one selected block.
#include "BenchNames.h"
#include "base/Prompts.h"
#include "report/GridData.h"
#include "shell/AppContext.h"
#include "structure/ResultsGrid.h"

#include <benchmark/benchmark.h>

using namespace zentrova;

namespace {

void BM_FillResultsGrid(benchmark::State& state)
{
    SilentPrompts prompts;
    AppContext ctx(QStringLiteral("/tmp/"), prompts);
    ctx.document.familyCode = 14;
    ctx.language.profile.positionDepth = 1;
    ctx.language.profile.resultColumnMap = {0, 1, 2, 3, 4, 255, 5};
    bench::addInsulationNames(ctx.language.names);

    ElementNode* block = ctx.document.structure.tree.add(nullptr);
    block->name = "001";
    block->info.kind = KindObject;
    block->info.number = 1;
    const int rows = int(state.range(0));
    ResultTable& t = ctx.document.structure.table;
    for (int i = 0; i < rows; ++i) {
        const int r = t.appendRow();
        const int element = 1 + i / 20;
        t.setCell(1, r, "1\r1\r" + std::to_string(element));
        t.setCell(2, r, "\r001\r" + std::to_string(element) + "\r13,0");
        t.setCell(3, r, i % 3 ? "501" : "502");
        t.setCell(4, r, i % 3 ? "501508<12.5" : "501508 4.21\r5060001.62\r5070002.35!");
        t.setCell(6, r, "509501 5000");
        t.setCell(7, r, "07.12.2026");
        t.setCell(8, r, "10:15:32");
    }
    GridData grid(6, 1);
    writeResultHeadings(ctx, grid);
    for (auto _ : state) {
        const int shown = fillResultsGrid(ctx, block, grid);
        benchmark::DoNotOptimize(shown);
    }
    state.SetComplexityN(rows);
    state.SetItemsProcessed(state.iterations() * rows);
}

BENCHMARK(BM_FillResultsGrid)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace
