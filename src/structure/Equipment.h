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
    Transformer, // a transformer whose insulation (liquid or dry) was not chosen: judged as before the split
    Other,
    TransformerLiquid, // liquid-filled (oil-immersed) transformer
    TransformerDry,    // dry-type transformer: solid insulation
};
constexpr int EquipmentTypeCount = 8;

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
// "random-wound", "pre-1970-or-field", "cable", "transformer", "other",
// "transformer-liquid", "transformer-dry". Stored names: never renamed.
const char* equipmentTypeName(EquipmentType type);
// Reads a name of equipmentTypeName, ignoring case; false for any other text.
bool parseEquipmentType(std::string_view text, EquipmentType& type);
bool isRotatingMachine(EquipmentType type);
// A point stored as a plain "transformer", before the types told liquid-filled
// from dry-type: it keeps the judging it had until the user chooses one.
bool transformerKindUnchosen(EquipmentType type);
// Every name of equipmentTypeName, joined by ", ", for a message.
std::string equipmentTypeNames();

// "A", "B", "F", "H".
const char* thermalClassName(ThermalClass c);
bool parseThermalClass(std::string_view text, ThermalClass& c);

} // namespace zentrova
