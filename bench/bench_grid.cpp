// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The annotated grid's data and its markup parser: filling and clearing a
// long results grid, and parsing the cells every repaint parses.
#include "report/CellMarkup.h"
#include "report/GridData.h"

#include <benchmark/benchmark.h>

using namespace zentrova;

namespace {

void BM_GridFillAndClear(benchmark::State& state)
{
    const int rows = int(state.range(0));
    GridData grid(6, 1);
    const std::string text = "R < 12.5 GOhm\rUt = 5000 V";
    for (auto _ : state) {
        for (int r = 1; r <= rows; ++r) {
            if (grid.rowCount() <= r)
                grid.setRowCount(r + 1);
            for (int c = 0; c < 6; ++c)
                grid.setCell(c, r, text);
        }
        grid.clear();
        grid.setRowCount(1);
    }
    state.SetComplexityN(rows);
    state.SetItemsProcessed(state.iterations() * rows * 6);
}
BENCHMARK(BM_GridFillAndClear)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_ParseCell(benchmark::State& state)
{
    const std::string mark{char(255), 'C', 1};
    const std::string cell = state.range(0) ? mark + "Riso > 12.5 GOhm !\r" + mark + "DAR 1.62\rPI 2.35"
                                            : "Riso > 12.5 GOhm !\rDAR 1.62\rPI 2.35";
    for (auto _ : state)
        benchmark::DoNotOptimize(parseCell(cell, AlignCenter));
    state.SetBytesProcessed(state.iterations() * int64_t(cell.size()));
}
BENCHMARK(BM_ParseCell)->Arg(0)->Arg(1);

// A cell dense in markup: the removal passes stay linear in the text.
void BM_VisibleTextDenseMarkup(benchmark::State& state)
{
    std::string cell;
    for (int i = 0; i < state.range(0); ++i)
        cell += std::string{char(255), 'N', 'x'} + "ab";
    for (auto _ : state)
        benchmark::DoNotOptimize(visibleText(cell));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_VisibleTextDenseMarkup)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN);

} // namespace
