// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <array>
#include <cstdint>
#include <string>

namespace zentrova {

struct LanguageContext;

// The instrument family profile: constants, captions and file-name rules of
// the family the program serves (code 14, the 5 kV insulation testers).
struct Profile {
    uint8_t topLevelSelector = 3;
    int resultColumnCount = 7;
    std::array<int, 7> resultColumnMap{0, 1, 2, 3, 4, 5, 6};
    int positionDepth = 0;
    bool treeLabelEditing = false;
    int resultLengthWidth = 1;
    bool resultsSorted = false;
    int defaultBaudIndex = 3;
    int treeHelpContext = 1200;
    QString helpFile;             // absolute path of the help index
    std::string aboutProductName; // bytes
    std::string aboutVersion;     // bytes
    bool familyLogoShown = false;
    bool detailPanelShown = false;
};

// The instrument family this program serves; every family code read or
// received is shown with its profile.
constexpr uint8_t SupportedFamily = 14;
// The family the profile's defaults describe, before the served family's
// profile is laid over them.
constexpr uint8_t DefaultProfileFamily = 4;
// The build's version (the project's version in CMakeLists.txt).
constexpr const char* ProgramVersion = ZENTROVA_VERSION;

// Offset added to a received function code to find its name (indexed by the raw family code).
int functionTextBase(uint8_t familyCode);

// programDir + helpKeyText; a name ending in ".HLP" (in any case) names the
// compiled help beside it, ".CHM". Only the ending is compared in upper case:
// the path itself keeps its case.
QString helpFileRule(const QString& programDir, const QString& helpKeyText);

// `path` with the extension of its file-name part replaced by `ext`; folders
// with "." in their names are left alone. A path whose file-name part has no
// "." is returned unchanged.
QString replaceFileExtension(const QString& path, const QString& ext);

// Writes the profile values and text slots of the family served (every
// family code is served by the family-14 profile). Touches neither the document nor the windows: see
// applyFamilyProfile for the document's name.
void loadFamilyProfile(LanguageContext& ctx);

} // namespace zentrova
