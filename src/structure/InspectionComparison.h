// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Evaluation.h"
#include "structure/InsulationRating.h"
#include "structure/MeasuredValue.h"
#include "structure/PointMatching.h"

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

namespace zentrova {

class JsonWriter;
struct ComparedCorrection;
struct StructureContext;
struct Structure;
struct Document;
class NameTables;

// A measuring point of a structure: the position its result rows share, the
// names those rows hold for it (code page bytes), and the rows in table order.
struct MeasuringPoint {
    long object = 0, block = 0, element = 0;
    std::string blockName, elementName;
    std::vector<int> rows;
};

// The measuring points of the rows that hold a result, in the order of their
// first row.
std::vector<MeasuringPoint> measuringPoints(const Structure& s);

// One quantity of a point in both inspections. When a point has several
// results of one function, the last one in the table counts (the latest).
struct QuantityChange {
    long function = 0; // function code of the result row
    long quantity = 0;
    int occurrence = 1;
    std::string functionName, quantityName; // code page bytes, as the new file's language names them
    bool inOld = false, inNew = false;
    bool fromResults = false; // a result or sub-result on both sides, not a parameter
    MeasuredValue oldValue, newValue;
    bool hasChange = false;
    double changePercent = 0; // (new - old) / |old| * 100, when both are numbers and old is not 0
    // A change from or to a value beyond the instrument's range is a bound:
    // 100 to "< 1" is "< -99 %". None when the two marks leave it open.
    ValueBound changeBound = ValueBound::Exact;
    bool rated = false; // a PI or DAR
    RatingKind kind = RatingKind::PolarisationIndex;
    // Each side's class as rateMeasuredValue gives it: none for a marked
    // value whose bound leaves the class open.
    std::optional<RatingClass> oldRating, newRating;
    // Set only when the marks make it certain (fellToLessThanHalf, and both
    // classes settled).
    bool resistanceHalved = false; // an insulation resistance fell to less than half
    bool ratingFell = false;       // PI or DAR fell by at least one rating class
    // The new inspection's verdicts of this quantity (judgeNewerResults),
    // of the last result of its function.
    std::vector<Verdict> newVerdicts;
};

struct PointComparison {
    MeasuringPoint older, newer;
    PointMatch match = PointMatch::SameNumbersAndNames;
    std::vector<QuantityChange> quantities; // by function, quantity, occurrence
    bool flagged() const;
};

// A point found in one file only, with the last value of each of its
// quantities on its own side (inOld or inNew set, nothing to compare).
struct PointInOneFile : MeasuringPoint {
    std::vector<QuantityChange> quantities; // by function, quantity, occurrence
};

struct InspectionComparison {
    std::vector<PointComparison> points; // in the new file's order
    std::vector<PointInOneFile> onlyOld, onlyNew;
    // The new inspection's verdicts were added (judgeNewerResults): the
    // outputs then end in them.
    bool judged = false;
    int flagCount() const;
};

// Matches the measuring points of two inspections as matchPoints does, the
// older inspection's points being the known ones: first those with the same
// numbers and names, then those with the same block and element names
// (renumbered; only names that are unique in each file), then those with the
// same numbers (renamed). What is left is in one file only. Function and
// quantity names come from `names`.
InspectionComparison compareInspections(const Document& older, const Document& newer, const NameTables& names);

// The block of the newer file that block `olderBlock` of the older file
// became: the one its matched points went to, else the one with its name,
// else the one with its number; -1 when the newer file has none of these.
long newerBlockOf(const InspectionComparison& c, long olderBlock, const std::string& olderBlockName);

// The outputs below take the corrected insulation resistances of
// compareCorrections (in its order; null for none). Those of points with
// equipment data are shown beside their quantity: the values corrected to
// the base temperature with the rule, or why a side was not corrected, and
// the warning for tests far apart in temperature. A point without equipment
// data is written as without corrections.

// The comparison as UTF-8 CSV (RFC 4180, CR LF rows, byte order mark): one
// row per point and quantity, one per point that is in one file only;
// headings and warnings in the language of `ctx`, values as plain numbers in
// base units. When a point has equipment data every row ends in the old and
// the new corrected value, the base temperature and the correction rule (or
// why not).
std::string comparisonCsv(const StructureContext& ctx, const InspectionComparison& c,
                          const std::vector<ComparedCorrection>* corrections = nullptr);
// As JSON for programs, written into `json` point by point and finished;
// names decoded from the code page of `ctx`. A corrected quantity has the
// key "corrected".
void writeComparisonJson(const StructureContext& ctx, const InspectionComparison& c, JsonWriter& json,
                         const std::vector<ComparedCorrection>* corrections = nullptr);
// The same, indented, as one text.
QByteArray comparisonJson(const StructureContext& ctx, const InspectionComparison& c,
                          const std::vector<ComparedCorrection>* corrections = nullptr);
// A change in per cent rounded to one decimal, as the outputs write it.
std::string changePercentText(double v);
// The change's bound mark: "<", ">" or "".
const char* changeMarkText(const QuantityChange& q);
// The warnings of a quantity in the language of `ctx` as UTF-8, joined by
// "; " ("" for none); a fallen rating names the old and the new class.
std::string comparisonWarningText(const StructureContext& ctx, const QuantityChange& q);
// As UTF-8 lines for a person reading a terminal; a corrected quantity has a
// line of its own under it.
std::string comparisonText(const StructureContext& ctx, const InspectionComparison& c,
                           const std::vector<ComparedCorrection>* corrections = nullptr);

} // namespace zentrova
