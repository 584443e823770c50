#pragma once
#include <QString>
#include <array>
#include <cstdint>
#include <string>

namespace zentrova {

struct AppContext;

// The instrument family profile: constants, captions and file-name rules of
// the family the program serves (code 14, the 5 kV insulation testers).
struct Profile {
    uint8_t TopLevelSelector = 3;
    int ResultColumnCount = 7;
    std::array<int, 7> ResultColumnMap{0, 1, 2, 3, 4, 5, 6};
    int PositionDepth = 0;
    bool TreeLabelEditing = false;
    int ResultLengthWidth = 1;
    bool ResultsSorted = false;
    int DefaultBaudIndex = 3;
    int TreeHelpContext = 1200;
    QString HelpFile;            // absolute path of the help index
    std::string AboutProductName; // bytes
    std::string AboutVersion;     // bytes
    bool FamilyLogoShown = false;
    bool DetailPanelShown = false;
};

constexpr uint8_t SupportedFamily = 14;
constexpr const char* ProgramVersion = "4.02";

// Offset added to a received function code to find its name (indexed by the raw family code).
int FunctionTextBase(uint8_t familyCode);

// ProgramDir + helpKeyText; a name ending in ".HLP" (in any case) names the
// compiled help beside it, ".CHM". Only the ending is compared in upper case:
// the path itself keeps its case.
QString HelpFileRule(const QString& programDir, const QString& helpKeyText);

// `path` with the extension of its file-name part replaced by `ext`; folders
// with "." in their names are left alone. A path whose file-name part has no
// "." is returned unchanged.
QString ReplaceFileExtension(const QString& path, const QString& ext);

// Writes the profile values and text slots for ctx.FamilyCode (any code gives
// the family-14 profile). Does not touch the windows; the main window refreshes
// its caption and grid afterwards.
void ApplyFamilyProfile(AppContext& ctx);

} // namespace zentrova
