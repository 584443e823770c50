// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/ComparisonJudgement.h"

#include "language/Profile.h"
#include "structure/Document.h"
#include "structure/ResultValues.h"

#include <cmath>
#include <map>

namespace zentrova {

namespace {

// The instrument's numbers of the insulation-resistance function, the
// diagnostic test, and the resistances they are judged by.
constexpr long InsulationResistance = 0, DiagnosticTest = 1;
constexpr long QuantityRiso = 1, QuantityR60s = 4;

// The last row of `rows` holding a result of `function`, as numbers.
std::optional<ResultReadings> lastOfFunction(const Document& d, const NameTables& names, const std::vector<int>& rows,
                                             long function)
{
    const long base = functionTextBase(d.familyCode);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (functionCodeOf(d.structure.table, *row) - base == function)
            return rowReadings(d.structure, names, base, *row);
    return std::nullopt;
}

} // namespace

std::vector<ComparedCorrection>
compareCorrections(const Document& older, const Document& newer, const NameTables& names,
                   const InspectionComparison& comparison,
                   const std::function<const EquipmentData*(long block, long element)>& equipmentOf,
                   const RuleSets& rules, const EvaluationChoices& choices)
{
    std::vector<ComparedCorrection> out;
    for (size_t i = 0; i < comparison.points.size(); ++i) {
        const PointComparison& p = comparison.points[i];
        const EquipmentData* equipment = equipmentOf ? equipmentOf(p.newer.block, p.newer.element) : nullptr;
        for (long function : {InsulationResistance, DiagnosticTest}) {
            const auto before = lastOfFunction(older, names, p.older.rows, function);
            const auto after = lastOfFunction(newer, names, p.newer.rows, function);
            if (!before || !after)
                continue;
            ComparedCorrection c;
            c.point = i;
            c.hasEquipment = equipment != nullptr;
            c.function = functionTextBase(newer.familyCode) + function;
            c.quantity =
                functionTextBase(newer.familyCode) + (function == InsulationResistance ? QuantityRiso : QuantityR60s);
            c.oldTemperature = resultTemperature(*before, equipment);
            c.newTemperature = resultTemperature(*after, equipment);
            c.oldCorrected = resultCorrection(*before, equipment, rules, choices);
            c.newCorrected = resultCorrection(*after, equipment, rules, choices);
            c.temperaturesApart =
                c.oldTemperature && c.newTemperature && std::fabs(*c.newTemperature - *c.oldTemperature) > 10;
            out.push_back(std::move(c));
        }
    }
    return out;
}

void judgeNewerResults(InspectionComparison& comparison, const Document& newer, const NameTables& names,
                       const std::function<const EquipmentData*(long block, long element)>& equipmentOf,
                       const RuleSets& rules, const EvaluationChoices& choices)
{
    const long base = functionTextBase(newer.familyCode);
    for (PointComparison& p : comparison.points) {
        const EquipmentData* equipment = equipmentOf ? equipmentOf(p.newer.block, p.newer.element) : nullptr;
        // A point's results of one function are judged once.
        std::map<long, std::vector<Verdict>> byFunction;
        for (QuantityChange& q : p.quantities) {
            const char* symbol = quantitySymbol(q.quantity - base);
            if (!q.inNew || !symbol || q.occurrence != 1)
                continue;
            auto judged = byFunction.find(q.function);
            if (judged == byFunction.end()) {
                std::vector<Verdict> verdicts;
                if (const auto result = lastOfFunction(newer, names, p.newer.rows, q.function - base))
                    verdicts = evaluateResult(*result, equipment, rules, choices);
                judged = byFunction.emplace(q.function, std::move(verdicts)).first;
            }
            for (const Verdict& v : judged->second)
                if (v.quantity == symbol)
                    q.newVerdicts.push_back(v);
        }
    }
    comparison.judged = true;
}

} // namespace zentrova
