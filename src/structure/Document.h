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

} // namespace zentrova
