// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "language/LanguageContext.h"
#include "report/PrintoutHeading.h"
#include "structure/Document.h"
#include "structure/Export.h"

namespace zentrova {

// The program's state, composed of its parts: the language (with the
// program's folder, prompts and settings it was loaded with), the default
// names of new elements, the open document and the export's delimiters, kept
// between exports. What belongs to one structure file is in the document
// alone, so a second file is read into a Document of its own; a function that
// needs only the language is handed `language`.
struct StructureContext {
    // `settingsFile` empty: ZENTRO.INI in `programDir`.
    StructureContext(const QString& programDir, Prompts& prompts, const QString& settingsFile = {})
        : language(programDir, prompts, settingsFile)
    {
    }

    LanguageContext language;
    DefaultNames defaultNames;
    Document document;
    ExportFormat exportFormat;

    NewElementNames newElementNames() const { return {defaultNames, language.texts}; }
};

// Loads the family profile, and lets the open document's default name follow: it becomes the new default name. A
// structure's own file name stays as it is, whatever the family's extension.
void applyFamilyProfile(StructureContext& ctx);
// The same for `document`, held apart from the program's state.
void applyFamilyProfile(LanguageContext& language, Document& document);

// After the interface texts were loaded again: a document that still has the
// previous default name `oldDefault` (bytes) takes the new one.
void followDefaultFileName(StructureContext& ctx, const std::string& oldDefault);

} // namespace zentrova
