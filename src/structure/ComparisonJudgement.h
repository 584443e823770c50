// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Evaluation.h"
#include "structure/InspectionComparison.h"

#include <functional>
#include <optional>
#include <vector>

namespace zentrova {

// The insulation resistance of a compared point, old and new, corrected to
// the point's base temperature: values measured at different temperatures
// are only comparable so. Advice beside the comparison's own warnings.
struct ComparedCorrection {
    size_t point = 0;  // index into InspectionComparison::points
    long function = 0; // the function code of the result rows, the family's base included
    long quantity = 0; // the quantity corrected (Riso or R60s), the family's base included
    std::optional<double> oldTemperature, newTemperature;
    std::optional<CorrectedResistance> oldCorrected, newCorrected;
    // Both temperatures known and more than 10 °C apart: retesting near the
    // earlier temperature is the advice.
    bool temperaturesApart = false;
    bool hasEquipment = false; // the point has equipment data: the outputs show the correction
};

// For every compared point with an insulation-resistance result or a
// diagnostic test on both sides, the last of each side; `equipmentOf` gives
// a point's data by its block and element number in the newer file (null
// for none).
std::vector<ComparedCorrection>
compareCorrections(const Document& older, const Document& newer, const NameTables& names,
                   const InspectionComparison& comparison,
                   const std::function<const EquipmentData*(long block, long element)>& equipmentOf,
                   const RuleSets& rules, const EvaluationChoices& choices);

// The new inspection's verdicts beside each quantity of every compared point:
// those of the last result of the quantity's function, judged as evaluate
// judges them (`equipmentOf` as above). Marks the comparison as judged.
void judgeNewerResults(InspectionComparison& comparison, const Document& newer, const NameTables& names,
                       const std::function<const EquipmentData*(long block, long element)>& equipmentOf,
                       const RuleSets& rules, const EvaluationChoices& choices);

} // namespace zentrova
