// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zentrova {

// What a measuring point is: the equipment its insulation belongs to. The
// structure file has no room for it; the history archive keeps it per point.
enum class EquipmentType {
    FormWound,         // rotating machine with form-wound coils
    RandomWound,       // rotating machine with random-wound coils
    OldOrFieldWinding, // machine winding built before about 1970, or a field winding
    Cable,
    Transformer,
    Other,
};
constexpr int EquipmentTypeCount = 6;

enum class ThermalClass { A, B, F, H };

struct EquipmentData {
    EquipmentType type = EquipmentType::Other;
    std::optional<double> ratedKv;
    std::optional<ThermalClass> thermalClass;
    // The test temperature in degrees Celsius, for results the instrument
    // sent without one.
    std::optional<double> testTemperature;
    // The user's own minimum insulation resistance of this point, in megohms.
    std::optional<double> ownMinimumMOhm;
    bool operator==(const EquipmentData&) const = default;
};

// The names rule files, the archive and the command line use: "form-wound",
// "random-wound", "pre-1970-or-field", "cable", "transformer", "other".
const char* equipmentTypeName(EquipmentType type);
// Reads a name of equipmentTypeName, ignoring case; false for any other text.
bool parseEquipmentType(std::string_view text, EquipmentType& type);
bool isRotatingMachine(EquipmentType type);

// "A", "B", "F", "H".
const char* thermalClassName(ThermalClass c);
bool parseThermalClass(std::string_view text, ThermalClass& c);

} // namespace zentrova
