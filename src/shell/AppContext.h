#pragma once
#include "base/Settings.h"
#include "language/Language.h"
#include "report/Export.h"
#include "report/PrintoutHeading.h"
#include "shell/Profile.h"
#include "structure/Document.h"

#include <QString>
#include <cstdint>

namespace zentrova {

class Prompts;

// The program-wide state: one instance owns it for the run and is passed by
// reference; tests make a fresh one for each case.
struct AppContext {
    AppContext(const QString& programDir, Prompts& prompts);

    QString programDir; // with trailing separator
    Prompts* prompts;
    Settings settings;

    uint8_t familyCode = 0;
    uint8_t profileFamily = 4;
    bool terminateOnMissingText = false;
    int resultsView = 0;
    std::string structureFileMask;
    Profile profile;

    LanguageLoader language;
    InterfaceTexts texts;
    NameTables names;
    ReportLabels reportLabels;

    PrintoutHeading heading;
    Comments comments;
    DefaultNames defaultNames;

    Document document;         // the open structure file's content
    ExportFormat exportFormat; // the export's delimiters, kept between exports

    // Set when a broken language file ends the program; the running sequence
    // goes on with empty texts and the program quits when it returns.
    bool quitRequested = false;

    QString decode(const std::string& bytes) const { return language.codec().decode(bytes); }
    std::string encode(const QString& text) const { return language.codec().encode(text); }
    // Reports a fatal condition (error box) and asks the program to end. Only
    // the first such report is shown: the program is ending anyway.
    void fatal(const std::string& message);
};

} // namespace zentrova
