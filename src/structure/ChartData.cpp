// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/ChartData.h"

#include "language/Profile.h"
#include "structure/ResultValues.h"
#include "structure/Structure.h"
#include "structure/StructureContext.h"

#include <algorithm>

namespace zentrova {

namespace {

// Quantities counted from the family's base, as the language files name
// them at base + number.
enum Quantity : long {
    QuantityRiso = 1,
    QuantityR15s = 2,
    QuantityR30s = 3,
    QuantityR60s = 4,
    QuantityR10min = 5,
    QuantityDar = 6,
    QuantityPi = 7,
    QuantityR = 12,
    QuantityRlim = 16,
    QuantityU = 18,
};

long base(const StructureContext& ctx)
{
    return functionTextBase(ctx.document.familyCode);
}

std::string joinedName(const std::string& name)
{
    std::string out;
    for (char c : name)
        out += c == '\r' || c == '\n' ? ' ' : c;
    return out;
}

const ResultItemValue* find(const std::vector<ResultItemValue>& items, long quantity, int occurrence = 1)
{
    for (const ResultItemValue& i : items)
        if (i.quantity == quantity && i.occurrence == occurrence)
            return &i;
    return nullptr;
}

} // namespace

long chartFunctionOf(const StructureContext& ctx, int row)
{
    const long code = functionCodeOf(ctx.document.structure.table, row);
    return code == 0 ? -1 : code - base(ctx);
}

int lastRowOfFunction(const StructureContext& ctx, const ElementNode& node, long function)
{
    int last = -1;
    for (int row : rowsOfElement(ctx.document.structure, node, ctx.language.profile.positionDepth,
                                 ctx.language.profile.resultsSorted))
        if (chartFunctionOf(ctx, row) == function)
            last = row;
    return last;
}

BlockChart blockChart(const StructureContext& ctx, const ElementNode& block)
{
    BlockChart chart;
    chart.blockName = joinedName(block.name);
    const long b = base(ctx);
    for (const auto& point : block.children()) {
        const int row = lastRowOfFunction(ctx, *point, FunctionInsulationResistance);
        if (row < 0)
            continue;
        const auto items = resultItemValues(ctx.document.structure.table, row, ctx.language.names);
        const ResultItemValue* riso = find(items, b + QuantityRiso);
        if (!riso || !riso->value.hasNumber)
            continue;
        BlockChartBar bar;
        bar.elementName = joinedName(point->name);
        bar.element = point->info.number;
        bar.row = row;
        bar.resistance = riso->value;
        if (const ResultItemValue* lim = find(items, b + QuantityRlim); lim && lim->value.hasNumber) {
            bar.hasLimit = true;
            bar.limit = lim->value.number;
            bar.belowLimit = bar.resistance.bound != ValueBound::AtLeast && bar.resistance.number < bar.limit;
        }
        chart.bars.push_back(std::move(bar));
    }
    return chart;
}

ComparisonChart comparisonChart(const StructureContext& ctx, const InspectionComparison& c, long block)
{
    ComparisonChart chart;
    chart.block = block;
    const long b = base(ctx);
    // The quantities are ordered by function: an insulation-resistance
    // record's Riso comes before a diagnostic test's.
    auto risoOf = [&](const std::vector<QuantityChange>& quantities) -> const QuantityChange* {
        const auto riso = std::find_if(quantities.begin(), quantities.end(), [&](const QuantityChange& q) {
            const long f = q.function - b;
            return (f == FunctionInsulationResistance || f == FunctionDiagnosticTest) &&
                   q.quantity == b + QuantityRiso && q.occurrence == 1 &&
                   ((q.inOld && q.oldValue.hasNumber) || (q.inNew && q.newValue.hasNumber));
        });
        return riso == quantities.end() ? nullptr : &*riso;
    };
    auto add = [&](const MeasuringPoint& point, const QuantityChange& riso) {
        ComparisonChartBar bar;
        bar.elementName = joinedName(point.elementName);
        bar.element = point.element;
        bar.inOld = riso.inOld && riso.oldValue.hasNumber;
        bar.inNew = riso.inNew && riso.newValue.hasNumber;
        bar.oldResistance = riso.oldValue;
        bar.newResistance = riso.newValue;
        bar.halved = riso.resistanceHalved;
        chart.bars.push_back(std::move(bar));
    };
    for (const PointComparison& p : c.points) {
        if (p.newer.block != block)
            continue;
        chart.blockName = joinedName(p.newer.blockName);
        if (const QuantityChange* riso = risoOf(p.quantities))
            add(p.newer, *riso);
    }
    // Then, as the comparison lists them, the points of the block that are
    // in one file only: an old bar alone, a new bar alone.
    for (const PointInOneFile& p : c.onlyOld)
        if (newerBlockOf(c, p.block, p.blockName) == block)
            if (const QuantityChange* riso = risoOf(p.quantities))
                add(p, *riso);
    for (const PointInOneFile& p : c.onlyNew) {
        if (p.block != block)
            continue;
        chart.blockName = joinedName(p.blockName);
        if (const QuantityChange* riso = risoOf(p.quantities))
            add(p, *riso);
    }
    // Named as the chart window names its charts, for a saved or printed image.
    chart.title = ctx.language.texts.text("Comparison_30") + ": " +
                  (chart.blockName.empty() ? std::to_string(block) : chart.blockName);
    return chart;
}

bool absorptionChart(const StructureContext& ctx, int row, AbsorptionChart& out)
{
    if (chartFunctionOf(ctx, row) != FunctionDiagnosticTest)
        return false;
    out = AbsorptionChart{};
    out.row = row;
    const long b = base(ctx);
    const auto items = resultItemValues(ctx.document.structure.table, row, ctx.language.names);
    const std::pair<long, double> readings[] = {
        {QuantityR15s, 15}, {QuantityR30s, 30}, {QuantityR60s, 60}, {QuantityR10min, 600}};
    for (const auto& [quantity, seconds] : readings)
        if (const ResultItemValue* r = find(items, b + quantity); r && r->value.hasNumber)
            out.points.push_back({seconds, r->value});
    if (const ResultItemValue* dar = find(items, b + QuantityDar); dar && dar->value.hasNumber) {
        out.dar = dar->value;
        out.darRating = rateMeasuredValue(RatingKind::AbsorptionRatio, dar->value);
    }
    if (const ResultItemValue* pi = find(items, b + QuantityPi); pi && pi->value.hasNumber) {
        out.pi = pi->value;
        out.piRating = rateMeasuredValue(RatingKind::PolarisationIndex, pi->value);
    }
    return true;
}

bool stepChart(const StructureContext& ctx, int row, StepChart& out)
{
    if (chartFunctionOf(ctx, row) != FunctionStepVoltage)
        return false;
    out = StepChart{};
    out.row = row;
    const long b = base(ctx);
    const auto items = resultItemValues(ctx.document.structure.table, row, ctx.language.names);
    for (int step = 1;; ++step) {
        const ResultItemValue* r = find(items, b + QuantityR, step);
        if (!r)
            break;
        StepPoint p;
        p.step = step;
        p.resistance = r->value;
        if (const ResultItemValue* u = find(items, b + QuantityU, step))
            p.voltage = u->value;
        out.steps.push_back(std::move(p));
    }
    return true;
}

ChartKind defaultChartKind(const StructureContext& ctx, const ElementNode& node)
{
    if (!node.children().empty())
        return ChartKind::Block;
    if (lastRowOfFunction(ctx, node, FunctionDiagnosticTest) > 0)
        return ChartKind::Absorption;
    if (lastRowOfFunction(ctx, node, FunctionStepVoltage) > 0)
        return ChartKind::Step;
    return node.parent() ? ChartKind::Block : ChartKind::Absorption;
}

bool chartOfElement(const StructureContext& ctx, const ElementNode& node, ChartKind kind, ChartData& out,
                    std::string* error)
{
    out = ChartData{};
    out.kind = kind;
    bool drawn = false;
    std::string name = joinedName(node.name);
    switch (kind) {
    case ChartKind::Block: {
        const ElementNode& block = node.children().empty() && node.parent() ? *node.parent() : node;
        out.block = blockChart(ctx, block);
        name = out.block.blockName;
        out.title = ctx.language.texts.text("ChartBlock_30");
        drawn = !out.block.bars.empty();
        break;
    }
    case ChartKind::Absorption:
        out.title = ctx.language.texts.text("ChartAbsorption_30");
        drawn = absorptionChart(ctx, lastRowOfFunction(ctx, node, FunctionDiagnosticTest), out.absorption) &&
                !out.absorption.points.empty();
        break;
    case ChartKind::Step:
        out.title = ctx.language.texts.text("ChartStep_30");
        drawn = stepChart(ctx, lastRowOfFunction(ctx, node, FunctionStepVoltage), out.step) && !out.step.steps.empty();
        break;
    }
    if (kind != ChartKind::Block) {
        // A block's record is named by its measuring point.
        const int row = kind == ChartKind::Absorption ? out.absorption.row : out.step.row;
        for (const auto& point : node.children())
            if (drawn &&
                lastRowOfFunction(ctx, *point,
                                  kind == ChartKind::Absorption ? FunctionDiagnosticTest : FunctionStepVoltage) == row)
                name += " / " + joinedName(point->name);
        if (node.parent())
            name = joinedName(node.parent()->name) + " / " + name;
    }
    out.title += ": " + name;
    if (!drawn && error)
        *error = ctx.language.texts.text("ChartNoData_60");
    return drawn;
}

std::string resistanceText(const MeasuredValue& v)
{
    MeasuredValue ohms = v;
    ohms.baseUnit = "Ohm";
    return prefixedValueText(ohms);
}

} // namespace zentrova
