// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/MeasuredValue.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace zentrova {

struct LanguageContext;
struct Document;

// What an item of a stored measurement is: the result table column it came
// from. Coded items (results, sub-results, parameters) carry a quantity and a
// unit; the others are kept as their text.
enum class StoredItemKind { Result = 4, SubResult = 5, Parameter = 6, Date = 7, Time = 8, Untagged = 9 };

// One item of a measurement as the archive keeps it: the original text and,
// for a coded item, the value as a number in its base unit.
struct InspectionItem {
    StoredItemKind kind = StoredItemKind::Untagged;
    int sequence = 0;   // the item's place in its measurement, from 0
    long quantity = 0;  // 0 for an item without a quantity
    int occurrence = 1; // 2 for the second item of the same quantity in the measurement, ...
    long unit = 0;
    QString quantityName, unitName; // as the language named them when the item was stored
    QString text;                   // the value as the instrument wrote it, marks included
    MeasuredValue value;
};

// One measurement (a result row) with the position and names it was stored under.
struct InspectionMeasurement {
    int row = 0; // the row in the result table, from 1
    long object = 0, block = 0, element = 0;
    QString blockName, elementName; // lines joined by spaces
    long functionCode = 0;          // as the row holds it (the family's base included)
    long function = 0;              // counted from the family's base
    QString functionName;
    QString dateText, timeText; // the first date and time item
    QDateTime measuredAt;       // from them; invalid when they do not read as a date
    std::vector<InspectionItem> items;
};

// One download or structure file as the archive stores it.
struct Inspection {
    // The installation: the name the caller gave, else the heading's test-site
    // lines (bounded); empty when neither names one, and then it is asked for.
    QString site;
    QStringList siteLines; // the heading's test-site lines as they are
    QStringList objectNames;
    QString instrument;   // the identification's lines, joined by " / "
    QString serialNumber; // line 4 of the identification
    QString source;       // the structure file's path, or empty for a download
    // When the inspection was made: the latest date of its measurements, else
    // the file's time (a download's: the time it was received).
    QDateTime takenAt;
    QDateTime firstMeasuredAt, lastMeasuredAt; // invalid when no measurement has a date
    // The same download saved, renamed or added again gives the same
    // fingerprint: it covers the identification and every measurement's
    // position, function and items, not the names.
    QByteArray fingerprint; // hexadecimal SHA-256
    std::vector<InspectionMeasurement> measurements;
};

// `document` as an inspection, its texts decoded in the language of `ctx`.
// `source` is the file it came
// from (empty for a download), `sourceTime` the file's time or the time of
// the download; `siteOverride`, when not empty, names the installation
// instead of the heading.
Inspection inspectionFromDocument(const LanguageContext& ctx, const Document& document, const QString& source,
                                  const QDateTime& sourceTime, const QString& siteOverride = QString());

} // namespace zentrova
