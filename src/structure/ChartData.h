// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/InspectionComparison.h"
#include "structure/InsulationRating.h"
#include "structure/MeasuredValue.h"

#include <string>
#include <vector>

namespace zentrova {

struct StructureContext;
class ElementNode;

// The charts the program draws of a block's or a record's results.
enum class ChartKind { Block, Absorption, Step };

// The function a result row's code stands for, counted from the family's
// base (the row holds base + the instrument's function byte).
enum ChartFunction : long { FunctionInsulationResistance = 0, FunctionDiagnosticTest = 1, FunctionStepVoltage = 3 };

// One measuring point of a block with an insulation-resistance record: the
// record's result Riso in ohms with its marks, and the limit Rlim when the
// record holds one.
struct BlockChartBar {
    std::string elementName; // code page bytes, lines joined by spaces
    long element = 0;        // the point's number
    int row = 0;             // the result row (the last insulation-resistance record of the point)
    MeasuredValue resistance;
    bool hasLimit = false;
    double limit = 0; // ohms
    // The resistance is surely below the limit: an exact value or a value
    // "at most" under the limit. A value "at least" some number, or "at
    // most" a number at or above the limit, is not counted below.
    bool belowLimit = false;
};

// The block at a glance: its measuring points in tree order, each with an
// insulation-resistance record.
struct BlockChart {
    std::string blockName; // code page bytes, lines joined by spaces
    std::vector<BlockChartBar> bars;
};

BlockChart blockChart(const StructureContext& ctx, const ElementNode& block);

// One reading of the insulation resistance over the time of the test.
struct AbsorptionPoint {
    double seconds = 0; // 15, 30, 60, 600
    MeasuredValue resistance;
};

// A diagnostic test's absorption curve: the readings R15s, R30s, R60s and
// R10min the record holds (in that order), with DAR and PI and their ratings.
struct AbsorptionChart {
    int row = 0;
    std::vector<AbsorptionPoint> points;
    MeasuredValue dar, pi; // hasNumber false when the record holds none
    // As rateMeasuredValue gives them: none for a marked value whose bound
    // leaves the class open.
    std::optional<RatingClass> darRating, piRating;
};

// False when row `row` is no diagnostic test record.
bool absorptionChart(const StructureContext& ctx, int row, AbsorptionChart& out);

// One step of a step voltage test: the k-th voltage reading U and the k-th
// resistance reading R of the record. A record without voltage readings
// leaves `voltage` without a number.
struct StepPoint {
    int step = 1;
    MeasuredValue voltage; // volts
    MeasuredValue resistance;
};

struct StepChart {
    int row = 0;
    std::vector<StepPoint> steps;
};

// False when row `row` is no step voltage test record.
bool stepChart(const StructureContext& ctx, int row, StepChart& out);

// The last result row of `node` (a measuring point, or any point of a
// block) whose function is `function`; -1 when there is none.
int lastRowOfFunction(const StructureContext& ctx, const ElementNode& node, long function);

// The function of a result row counted from the family's base; -1 for none.
long chartFunctionOf(const StructureContext& ctx, int row);

// One measuring point of a block in two inspections: its insulation
// resistance Riso in ohms in the older and in the newer one.
struct ComparisonChartBar {
    std::string elementName; // code page bytes, lines joined by spaces; the newer file's unless only in the older
    long element = 0;        // the point's number, in the newer file unless only in the older
    bool inOld = false, inNew = false;
    MeasuredValue oldResistance, newResistance;
    bool halved = false; // the comparison's warning: it fell to less than half
};

// A block of the newer inspection, old against new: its compared points in
// the comparison's order, each with Riso on at least one side, then those
// found in the older file only (in the block their old block became, see
// newerBlockOf) and those in the newer file only.
struct ComparisonChart {
    long block = 0;
    std::string blockName; // code page bytes, lines joined by spaces
    std::string title;     // code page bytes: the comparison's name and the block's
    std::vector<ComparisonChartBar> bars;
};

// The chart of block `block` (its number in the newer file) of `c`. A point
// with Riso of an insulation-resistance record counts that one, else the one
// of a diagnostic test. `ctx` is the newer inspection's (its family's function
// codes).
ComparisonChart comparisonChart(const StructureContext& ctx, const InspectionComparison& c, long block);

// One chart of an element, ready to draw: the kind's data with its title.
struct ChartData {
    ChartKind kind = ChartKind::Block;
    std::string title; // code page bytes: the kind's name and the element's
    BlockChart block;
    AbsorptionChart absorption;
    StepChart step;
};

// The kind an element shows first: a block's own chart for an element with
// measuring points under it, else the absorption curve when the element holds
// a diagnostic test, else its step voltage test.
ChartKind defaultChartKind(const StructureContext& ctx, const ElementNode& node);

// The chart of `kind` for `node`: the block chart of the node or, for a
// measuring point, of its block; the absorption curve and the step voltage
// chart of the last such record of the node. False, with the language
// file's reason, when there is nothing to draw.
bool chartOfElement(const StructureContext& ctx, const ElementNode& node, ChartKind kind, ChartData& out,
                    std::string* error);

// A value in ohms as a reader writes it, whatever its unit says: its mark,
// three significant digits and the prefix that keeps the number from 1 to 999
// ("> 10 TOhm", "48.6 MOhm"), as prefixedValueText writes ohms.
std::string resistanceText(const MeasuredValue& v);

} // namespace zentrova
