// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Decoding records and keeping the result table in position order: 65,535
// records arriving in position order against the same records in reverse
// order (every one moves to the top). The second should stay within a small
// factor of the first.
#include "base/Prompts.h"
#include "comm/Receive.h"
#include "shell/AppContext.h"

#include <benchmark/benchmark.h>

#include <QDir>

using namespace zentrova;

namespace {

constexpr int RecordCount = 65535;

// An insulation resistance result as the instrument stores it.
std::string record(int block, int element)
{
    std::string r;
    r += char((block >> 8) & 0xff);
    r += char(block & 0xff);
    r += char((element >> 8) & 0xff);
    r += char(element & 0xff);
    r += char(0);
    for (const auto& [tag, q, u, text] : {std::tuple{'R', 1, 8, "12.4"}, std::tuple{'P', 9, 2, "5.00"},
                                          std::tuple{'M', 10, 2, "5.03"}, std::tuple{'M', 13, 3, "118"}}) {
        r += tag;
        r += char(q);
        r += char(u);
        r += text;
        r += '\0';
    }
    return r;
}

const std::vector<std::string>& recordsInOrder()
{
    static const std::vector<std::string> records = [] {
        std::vector<std::string> v;
        v.reserve(RecordCount);
        for (int i = 0; i < RecordCount; ++i)
            v.push_back(record(1 + i / 250, 1 + i % 250));
        return v;
    }();
    return records;
}

void decodeAll(benchmark::State& state, bool reverse)
{
    SilentPrompts prompts;
    AppContext ctx(QDir::tempPath(), prompts);
    ctx.document.familyCode = 14;
    ctx.language.profile.positionDepth = 1;
    ctx.language.profile.resultsSorted = false;
    const auto& records = recordsInOrder();
    for (auto _ : state) {
        state.PauseTiming();
        clearResultTable(ctx.document);
        ctx.document.structure.table.setCell(1, 0, "TeraTest 5kV");
        state.ResumeTiming();
        int row = 1;
        for (int i = 0; i < RecordCount; ++i) {
            const std::string& r = records[size_t(reverse ? RecordCount - 1 - i : i)];
            decodeRecord(ctx, r.data(), r.size(), row++);
        }
        benchmark::DoNotOptimize(ctx.document.structure.table.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * RecordCount);
}

void BM_DecodeInOrder(benchmark::State& state)
{
    decodeAll(state, false);
}
void BM_DecodeReverseOrder(benchmark::State& state)
{
    decodeAll(state, true);
}

BENCHMARK(BM_DecodeInOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeReverseOrder)->Unit(benchmark::kMillisecond);

} // namespace
