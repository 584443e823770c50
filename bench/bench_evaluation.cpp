// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The evaluation of the largest result table a transfer gives: 65,535
// results (262 blocks of 250 points), each point with equipment data, every
// result a diagnostic test with its temperature, judged by the shipped rule
// sets from the table's cells to the last verdict.
#include "language/Language.h"
#include "structure/Evaluation.h"
#include "structure/Structure.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <filesystem>
#include <map>

using namespace zentrova;

namespace {

constexpr int ResultCount = 65535;
constexpr long Base = 500; // the family's base of function, quantity and unit numbers

struct Table {
    Structure structure;
    NameTables names;
    RuleSets rules;
    std::map<std::pair<long, long>, EquipmentData> equipment;
};

const Table& table()
{
    static const Table made = [] {
        Table t;
        for (const auto& [key, value] : {std::pair{"velicina501", "Riso"},
                                         {"velicina504", "R60s"},
                                         {"velicina506", "DAR"},
                                         {"velicina507", "PI"},
                                         {"velicina519", "Temp"},
                                         {"enota507", "MOhm"},
                                         {"enota508", "GOhm"},
                                         {"enota519", "degC"}})
            t.names.setEntry(key, value);
        ResultTable& cells = t.structure.table;
        constexpr EquipmentType Types[] = {EquipmentType::FormWound, EquipmentType::RandomWound,
                                           EquipmentType::OldOrFieldWinding, EquipmentType::Cable,
                                           EquipmentType::Transformer};
        for (int i = 0; i < ResultCount; ++i) {
            const long block = 1 + i / 250, element = 1 + i % 250;
            const int r = cells.appendRow();
            cells.setCell(1, r, "1\r" + std::to_string(block) + "\r" + std::to_string(element));
            cells.setCell(2, r, "001\rBlock\rPoint");
            cells.setCell(3, r, "501\rDiagnostic test (DAR, PI)");
            cells.setCell(4, r,
                          std::string("506500") + (i % 3 ? "1.42" : "1.1") + "\r507500" + (i % 7 ? "2.6" : "1.7"));
            cells.setCell(5, r, std::string("504507") + (i % 11 ? "850" : "62") + "\r51951923");
            EquipmentData e;
            e.type = Types[size_t(i) % std::size(Types)];
            e.ratedKv = 0.4 + (i % 40);
            e.thermalClass = ThermalClass::F;
            t.equipment.emplace(std::pair{block, element}, e);
        }
        const auto here = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        QStringList problems;
        t.rules = loadRuleSets({QString::fromStdString((here / "rules").string())}, &problems);
        if (!problems.isEmpty() || t.rules.sets.empty())
            std::abort();
        return t;
    }();
    return made;
}

void BM_EvaluateEveryPoint(benchmark::State& state)
{
    const Table& t = table();
    size_t verdicts = 0;
    for (auto _ : state) {
        const std::vector<PointResults> points = pointResults(t.structure, t.names, Base);
        const std::vector<PointVerdicts> judged = evaluatePoints(
            points,
            [&](const PointResults& p) {
                const auto e = t.equipment.find({p.block, p.element});
                return e == t.equipment.end() ? nullptr : &e->second;
            },
            t.rules, EvaluationChoices{});
        verdicts = 0;
        for (const PointVerdicts& p : judged)
            verdicts += p.verdicts.size();
        benchmark::DoNotOptimize(verdicts);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * ResultCount);
    state.counters["verdicts"] = double(verdicts);
}
BENCHMARK(BM_EvaluateEveryPoint)->Unit(benchmark::kMillisecond);

} // namespace
