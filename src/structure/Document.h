// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/ReportPages.h"
#include "structure/Structure.h"

#include <QString>

namespace zentrova {

// The open document: what one structure file holds, where it came from and
// whether the user's changes are written.
struct Document {
    Structure structure;     // the element tree and the result table
    ReportPages reportPages; // the report pages kept with the structure
    QString fileName;        // the structure file's path, or the default name
    bool saved = true;       // false after any change not yet written
    // Reading emptied the results: the seal over the identification did not match.
    bool resultsDiscarded = false;
};

} // namespace zentrova
