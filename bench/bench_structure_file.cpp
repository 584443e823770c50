// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Reading and writing structure files, measured against copying the same
// file's bytes (read whole, written through a temporary file) in the same
// run. Sizes: 1,000 result rows with 200 elements and 10,000 rows with 2,000
// elements, to show that both grow linearly.
#include "base/Progress.h"
#include "base/Prompts.h"
#include "language/Language.h"
#include "language/Profile.h"
#include "report/ReportPages.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "structure/StructureFile.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <map>

using namespace zentrova;

namespace {

class QuietPrompts : public Prompts {
public:
    unsigned message(MsgType, const std::string&, unsigned, int) override { return MbOK; }
    std::optional<QString> openFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

// A program folder with the language files that lie beside this program.
struct Program {
    QTemporaryDir dir;
    QuietPrompts prompts;
    std::unique_ptr<AppContext> ctx;
    NullProgress progress;
    StructureView view;

    Program()
    {
        const auto here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        for (const char* f : {"LNG_MAIN.INI", "english.lng", "slovenski.lng"})
            QFile::copy(QString::fromStdString((here / f).string()), dir.filePath(QString::fromLatin1(f)));
        ctx = std::make_unique<AppContext>(dir.path(), prompts);
        if (!loadProgramState(*ctx))
            std::abort();
        ctx->document.familyCode = 14;
        applyFamilyProfile(*ctx);
    }
    FileEnv env() { return FileEnv{*ctx, progress, view}; }
};

// A received structure: blocks with their elements, each element with rows.
void fill(AppContext& c, int rows, int elements)
{
    clearStructure(c.document);
    clearResultTable(c.document);
    const int perBlock = 20;
    const int blocks = elements / perBlock;
    c.document.structure.table.setCell(1, 0, "TIVE5kV\rHW 1.02\rFW 3.10\r12345678\r\r\r\r");
    int row = 1;
    for (int b = 1; b <= blocks; ++b) {
        ElementNode* block = addElementNode(c.document, nullptr);
        block->name = "Block " + std::to_string(b);
        block->info = {KindObject, "", b};
        for (int e = 1; e < perBlock; ++e) {
            ElementNode* el = addElementNode(c.document, block);
            el->name = "Element " + std::to_string(e);
            el->info = {KindMeasuringPoint, "", e};
        }
    }
    for (; row <= rows; ++row) {
        const int b = 1 + (row - 1) * blocks / rows, e = 1 + (row % (perBlock - 1));
        ResultTable& t = c.document.structure.table;
        const int r = t.appendRow();
        t.setCell(1, r, "1\r" + std::to_string(b) + "\r" + std::to_string(e));
        t.setCell(2, r, "House\rBlock " + std::to_string(b) + "\rElement " + std::to_string(e) + "\r13,0");
        t.setCell(3, r, "501");
        t.setCell(4, r, "0010012500.5\r0020021000\r003003>550!");
        t.setCell(5, r, "0040040.21");
        t.setCell(7, r, "12.03.2024 10:15");
    }
}

struct Sample {
    std::unique_ptr<Program> program = std::make_unique<Program>();
    QString file, copy;
    std::string bytes;
};

Sample& sample(int rows, int elements)
{
    static std::map<std::pair<int, int>, Sample> samples;
    Sample& s = samples[{rows, elements}];
    if (s.bytes.empty()) {
        fill(*s.program->ctx, rows, elements);
        s.file = s.program->dir.filePath(QStringLiteral("sample.ZIT"));
        s.copy = s.program->dir.filePath(QStringLiteral("copy.ZIT"));
        s.bytes = composeStructureFile(s.program->ctx->language, s.program->ctx->document);
        writeFileSafely(s.file, s.bytes, nullptr);
    }
    return s;
}

void report(benchmark::State& state, const Sample& s)
{
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.bytes.size()));
    state.counters["file_kB"] = double(s.bytes.size()) / 1024.0;
}

void BM_WriteStructureFile(benchmark::State& state)
{
    Sample& s = sample(int(state.range(0)), int(state.range(1)));
    Program& p = *s.program;
    p.ctx->document.fileName = s.copy;
    for (auto _ : state) {
        FileEnv env = p.env();
        if (!writeStructureFile(env))
            state.SkipWithError("write failed");
    }
    report(state, s);
}

void BM_ReadStructureFile(benchmark::State& state)
{
    Sample& s = sample(int(state.range(0)), int(state.range(1)));
    Program& p = *s.program;
    for (auto _ : state) {
        std::string bytes;
        readWholeFile(s.file, bytes, nullptr);
        FileEnv env = p.env();
        if (loadStructure(env, bytes).outcome != ReadOutcome::Read)
            state.SkipWithError("read failed");
    }
    report(state, s);
}

// The floor: the same bytes read and written through the same file calls.
void BM_CopyFileBytes(benchmark::State& state)
{
    Sample& s = sample(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        std::string bytes;
        readWholeFile(s.file, bytes, nullptr);
        if (!writeFileSafely(s.copy, bytes, nullptr))
            state.SkipWithError("copy failed");
    }
    report(state, s);
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Args({1000, 200})->Args({10000, 2000})->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_CopyFileBytes)->Apply(sizes);
BENCHMARK(BM_ReadStructureFile)->Apply(sizes);
BENCHMARK(BM_WriteStructureFile)->Apply(sizes);
