// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/PrintoutHeading.h"
#include "report/ReportPages.h"
#include "structure/Structure.h"

#include <QString>

#include <cstdint>

namespace zentrova {

// One structure file as the program holds it: what the file holds, where it
// came from and whether the user's changes are written. The open structure is
// one; a comparison or the history reads another beside it.
struct Document {
    uint8_t familyCode = 0;  // the instrument family the results came from
    PrintoutHeading heading; // operator, footer and site lines, logo
    Comments comments;       // the report's comments, autotest lines and switches
    Structure structure;     // the element tree and the result table
    ReportPages reportPages; // the report pages kept with the structure
    QString fileName;        // the structure file's path, or the default name
    bool saved = true;       // false after any change not yet written
    // Reading emptied the results: the seal over the identification did not match.
    bool resultsDiscarded = false;
    // Reading stopped before the file's end marker: the rest of it is missing.
    bool incomplete = false;
};

struct LanguageContext;
class InterfaceTexts;

// A new document in place of `open`, before a file is read into it: what a
// file may leave unsaid (its family code, heading and comments) and the file
// name start as in `open`; the structure and the report pages are empty.
Document successorOf(const Document& open);

// What names a new numbered element: the default names the user keeps, else
// the kind's name in the language.
struct NewElementNames {
    const DefaultNames& defaults;
    const InterfaceTexts& texts;
};

ElementNode* addElementNode(Document& document, ElementNode* parent);
// A numbered element is named after its kind with the next free number
// among its siblings (top-level elements: among all); an element that is
// not numbered is named "xxx".
void initElement(Document& document, ElementNode* node, uint8_t kind, bool numbered, const NewElementNames& names);
void clearStructure(Document& document);
void clearResultTable(Document& document);
// The model part of a new structure: both halves cleared, one numbered
// top-level element selected, the default file name of `language`, saved.
void resetToNewStructure(Document& document, const LanguageContext& language, const DefaultNames& defaults);

} // namespace zentrova
