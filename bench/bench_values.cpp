// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The result values as CSV, and the comparison of two inspections, on the
// largest result table a transfer gives: 65,535 results (262 blocks of 250
// elements), each with Riso, PI, DAR, R60s, Um and the test voltage, decoded
// from records as the instrument sends them. The newer inspection has every
// seventh resistance halved and every eleventh PI a class lower.
#include "base/JsonWriter.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "comm/Receive.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "structure/ChartData.h"
#include "structure/InspectionComparison.h"
#include "structure/RecordDetail.h"
#include "structure/StructureContext.h"
#include "structure/ValuesCsv.h"

#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <map>

using namespace zentrova;

namespace {

constexpr int ResultCount = 65535;

class QuietPrompts : public Prompts {
public:
    unsigned message(MsgType, const std::string&, unsigned, int) override { return MbOK; }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

std::string record(int block, int element, bool newer, int i)
{
    return test::diagnosticRecord(block, element, newer && i % 7 == 0 ? "5.1" : "12.4",
                                  newer && i % 11 == 0 ? "1.8" : "3.1");
}

// An insulation-resistance measurement with its limit, all in block 1.
std::string insulationRecord(int element)
{
    std::string r;
    r += char(0);
    r += char(1);
    r += char((element >> 8) & 0xff);
    r += char(element & 0xff);
    r += char(0); // insulation resistance
    for (const auto& [tag, q, u, text] : {std::tuple{'R', 1, 8, element % 5 ? "12.4" : "0.08"},
                                          std::tuple{'P', 16, 8, "0.10"}, std::tuple{'P', 9, 2, "5.00"}}) {
        r += tag;
        r += char(q);
        r += char(u);
        r += text;
        r += '\0';
    }
    return r;
}

// A program with the shipped languages and a received table of `count`
// results made by `make(i)`.
struct Inspection {
    QTemporaryDir dir;
    QuietPrompts prompts;
    std::unique_ptr<AppContext> ctx;

    Inspection(int count, const std::function<std::string(int)>& make)
    {
        const auto here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        for (const char* f : {"LNG_MAIN.INI", "english.lng", "slovenski.lng"})
            QFile::copy(QString::fromStdString((here / f).string()), dir.filePath(QString::fromLatin1(f)));
        ctx = std::make_unique<AppContext>(dir.path(), prompts);
        if (!loadProgramState(*ctx))
            std::abort();
        ctx->document.familyCode = 14;
        applyFamilyProfile(*ctx);
        for (int i = 0; i < count; ++i) {
            const std::string r = make(i);
            decodeRecord(*ctx, r.data(), r.size(), i + 1);
        }
        // The tree is built under an identification, as after a transfer.
        ctx->document.structure.table.setCell(1, 0, "Bench tester\r\r\r21480173");
        NullProgress progress;
        buildTreeFromResults(*ctx, progress);
    }
};

// The inspections the benchmarks share, made once each.
Inspection& inspection(bool newer, int count = ResultCount)
{
    static std::map<std::pair<bool, int>, std::unique_ptr<Inspection>> made;
    auto& slot = made[{newer, count}];
    if (!slot)
        slot =
            std::make_unique<Inspection>(count, [newer](int i) { return record(1 + i / 250, 1 + i % 250, newer, i); });
    return *slot;
}

void BM_ValuesCsv(benchmark::State& state)
{
    const int count = int(state.range(0));
    const AppContext& ctx = *inspection(false, count).ctx;
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string csv = valuesCsv(ctx);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["csv_kB"] = double(bytes) / 1024.0;
    state.SetComplexityN(count);
}
// Three sizes up to the largest table: the time must grow in proportion.
BENCHMARK(BM_ValuesCsv)
    ->Arg(16384)
    ->Arg(32768)
    ->Arg(ResultCount)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_CompareInspections(benchmark::State& state)
{
    const int count = int(state.range(0));
    const AppContext &older = *inspection(false, count).ctx, &newer = *inspection(true, count).ctx;
    int warnings = 0;
    for (auto _ : state) {
        const InspectionComparison c = compareInspections(older.document, newer.document, newer.language.names);
        warnings = c.flagCount();
        benchmark::DoNotOptimize(c.points.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * count);
    state.counters["warnings"] = warnings;
    state.SetComplexityN(count);
}
BENCHMARK(BM_CompareInspections)
    ->Arg(16384)
    ->Arg(32768)
    ->Arg(ResultCount)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_CompareInspectionsAsCsv(benchmark::State& state)
{
    const AppContext &older = *inspection(false).ctx, &newer = *inspection(true).ctx;
    const InspectionComparison c = compareInspections(older.document, newer.document, newer.language.names);
    for (auto _ : state) {
        const std::string csv = comparisonCsv(newer, c);
        benchmark::DoNotOptimize(csv.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
}
BENCHMARK(BM_CompareInspectionsAsCsv)->Unit(benchmark::kMillisecond);

// The same comparison as JSON, compact and indented, written piece by piece
// as the command-line tool writes it.
void BM_CompareInspectionsAsJson(benchmark::State& state)
{
    const AppContext &older = *inspection(false).ctx, &newer = *inspection(true).ctx;
    const InspectionComparison c = compareInspections(older.document, newer.document, newer.language.names);
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        JsonWriter json(state.range(0) != 0, [&bytes](std::string_view piece) { bytes += piece.size(); });
        writeComparisonJson(newer, c, json);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
    state.counters["json_MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_CompareInspectionsAsJson)->ArgName("indented")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The record panel for the last result of the largest table: the position
// names, the function and every item, as the panel shows them.
void BM_RecordDetailOfTheLastResult(benchmark::State& state)
{
    const AppContext& ctx = *inspection(false).ctx;
    for (auto _ : state) {
        const RecordDetail d = recordDetail(ctx.language, ctx.document, ResultCount);
        benchmark::DoNotOptimize(d.items.data());
    }
}
BENCHMARK(BM_RecordDetailOfTheLastResult)->Unit(benchmark::kMicrosecond);

// The block chart's data for a block of 1,000 measuring points, each with an
// insulation resistance and its limit (every fifth below it).
void BM_BlockChartOfAThousandPoints(benchmark::State& state)
{
    static Inspection block(1000, [](int i) { return insulationRecord(1 + i); });
    const AppContext& ctx = *block.ctx;
    if (ctx.document.structure.tree.roots().empty()) {
        state.SkipWithError(
            ("no block was built from " + std::to_string(ctx.document.structure.table.rowCount()) + " rows").c_str());
        return;
    }
    const ElementNode& node = *ctx.document.structure.tree.roots().front();
    size_t bars = 0;
    for (auto _ : state) {
        const BlockChart chart = blockChart(ctx, node);
        bars = chart.bars.size();
        benchmark::DoNotOptimize(chart.bars.data());
    }
    state.counters["bars"] = double(bars);
}
BENCHMARK(BM_BlockChartOfAThousandPoints)->Unit(benchmark::kMillisecond);

} // namespace
