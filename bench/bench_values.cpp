// The result values as CSV, and the comparison of two inspections, on the
// largest result table a transfer gives: 65,535 results (262 blocks of 250
// elements), each with Riso, PI, DAR, R60s, Um and the test voltage, decoded
// from records as the instrument sends them. The newer inspection has every
// seventh resistance halved and every eleventh PI a class lower.
#include "base/Progress.h"
#include "base/Prompts.h"
#include "comm/Receive.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "structure/InspectionComparison.h"
#include "structure/RecordDetail.h"
#include "structure/StructureContext.h"
#include "structure/ValuesCsv.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>

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
    std::string r;
    r += char((block >> 8) & 0xff);
    r += char(block & 0xff);
    r += char((element >> 8) & 0xff);
    r += char(element & 0xff);
    r += char(1); // diagnostic test
    const char* riso = newer && i % 7 == 0 ? "5.1" : "12.4";
    const char* pi = newer && i % 11 == 0 ? "1.8" : "3.1";
    for (const auto& [tag, q, u, text] :
         {std::tuple{'R', 1, 8, riso}, std::tuple{'R', 7, 0, pi}, std::tuple{'R', 6, 0, "1.42"},
          std::tuple{'M', 4, 7, ">950"}, std::tuple{'M', 10, 2, "5.03"}, std::tuple{'P', 9, 2, "5.00"}}) {
        r += tag;
        r += char(q);
        r += char(u);
        r += text;
        r += '\0';
    }
    return r;
}

// A program with the shipped languages and a received table.
struct Inspection {
    QTemporaryDir dir;
    QuietPrompts prompts;
    std::unique_ptr<AppContext> ctx;

    explicit Inspection(bool newer)
    {
        const auto here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        for (const char* f : {"LNG_MAIN.INI", "english.lng", "slovenski.lng"})
            QFile::copy(QString::fromStdString((here / f).string()), dir.filePath(QString::fromLatin1(f)));
        ctx = std::make_unique<AppContext>(dir.path(), prompts);
        if (!loadProgramState(*ctx))
            std::abort();
        ctx->familyCode = 14;
        applyFamilyProfile(*ctx);
        for (int i = 0; i < ResultCount; ++i) {
            const std::string r = record(1 + i / 250, 1 + i % 250, newer, i);
            decodeRecord(*ctx, r.data(), r.size(), i + 1);
        }
        NullProgress progress;
        buildTreeFromResults(*ctx, progress);
    }
};

Inspection& inspection(bool newer)
{
    static Inspection older(false), later(true);
    return newer ? later : older;
}

void BM_ValuesCsv(benchmark::State& state)
{
    const AppContext& ctx = *inspection(false).ctx;
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string csv = valuesCsv(ctx);
        bytes = csv.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["csv_kB"] = double(bytes) / 1024.0;
}
BENCHMARK(BM_ValuesCsv)->Unit(benchmark::kMillisecond);

void BM_CompareInspections(benchmark::State& state)
{
    const AppContext &older = *inspection(false).ctx, &newer = *inspection(true).ctx;
    int warnings = 0;
    for (auto _ : state) {
        const InspectionComparison c = compareInspections(older, newer);
        warnings = c.flagCount();
        benchmark::DoNotOptimize(c.points.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
    state.counters["warnings"] = warnings;
}
BENCHMARK(BM_CompareInspections)->Unit(benchmark::kMillisecond);

void BM_CompareInspectionsAsCsv(benchmark::State& state)
{
    const AppContext &older = *inspection(false).ctx, &newer = *inspection(true).ctx;
    const InspectionComparison c = compareInspections(older, newer);
    for (auto _ : state) {
        const std::string csv = comparisonCsv(newer, c);
        benchmark::DoNotOptimize(csv.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
}
BENCHMARK(BM_CompareInspectionsAsCsv)->Unit(benchmark::kMillisecond);

// The record panel for the last result of the largest table: the position
// names, the function and every item, as the panel shows them.
void BM_RecordDetailOfTheLastResult(benchmark::State& state)
{
    const AppContext& ctx = *inspection(false).ctx;
    for (auto _ : state) {
        const RecordDetail d = recordDetail(ctx, ResultCount);
        benchmark::DoNotOptimize(d.items.data());
    }
}
BENCHMARK(BM_RecordDetailOfTheLastResult)->Unit(benchmark::kMicrosecond);

} // namespace
