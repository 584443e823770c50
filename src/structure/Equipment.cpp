// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/Equipment.h"

#include <array>
#include <cctype>
#include <string>

namespace zentrova {

namespace {

constexpr std::array<const char*, EquipmentTypeCount> TypeNames{
    "form-wound",  "random-wound", "pre-1970-or-field",  "cable",
    "transformer", "other",        "transformer-liquid", "transformer-dry",
};
constexpr std::array<const char*, 4> ClassNames{"A", "B", "F", "H"};

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

const char* equipmentTypeName(EquipmentType type)
{
    return TypeNames[size_t(type)];
}

bool parseEquipmentType(std::string_view text, EquipmentType& type)
{
    text = trimmed(text);
    for (size_t i = 0; i < TypeNames.size(); ++i)
        if (sameIgnoringCase(text, TypeNames[i])) {
            type = EquipmentType(i);
            return true;
        }
    return false;
}

bool isRotatingMachine(EquipmentType type)
{
    return type == EquipmentType::FormWound || type == EquipmentType::RandomWound ||
           type == EquipmentType::OldOrFieldWinding;
}

bool transformerKindUnchosen(EquipmentType type)
{
    return type == EquipmentType::Transformer;
}

std::string equipmentTypeNames()
{
    std::string names;
    for (const char* name : TypeNames)
        names.append(names.empty() ? "" : ", ").append(name);
    return names;
}

const char* thermalClassName(ThermalClass c)
{
    return ClassNames[size_t(c)];
}

bool parseThermalClass(std::string_view text, ThermalClass& c)
{
    text = trimmed(text);
    for (size_t i = 0; i < ClassNames.size(); ++i)
        if (sameIgnoringCase(text, ClassNames[i])) {
            c = ThermalClass(i);
            return true;
        }
    return false;
}

} // namespace zentrova
