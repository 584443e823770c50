// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/Port.h"
#include "comm/Receive.h"

#include <QString>

#include <string>
#include <vector>

namespace zentrova {

struct StructureContext;
class InstrumentLink;
class Progress;
class ResultTable;

// What the instrument's-data dialog shows: the instrument lines, the serial
// number, and the firm and user data one box line per line.
struct InstrumentDataView {
    std::vector<std::string> instrument;
    std::string serialNumber;
    std::vector<std::string> firm;
    std::vector<std::string> user;
};

// The CR-separated lines of a text (an empty text is one empty line).
std::vector<std::string> splitLines(const std::string& text);

// One line of the instrument's data as it is shown (in the dialog and by the
// command-line tool): every control character, C1 and DEL included, is a
// space, so that what the instrument sent cannot move the cursor, clear the
// screen or switch a terminal's modes.
QString shownInstrumentLine(const QString& decoded);

// From row 0 of the result table: lines 1, 2, 3 and 5 of column 1, line 4 as
// the serial number, columns 2 and 3 line by line.
InstrumentDataView instrumentDataFromTable(const ResultTable& table);
// From a fresh identification: texts 1, 2, 3, 7 and the three extra lines;
// text 4; texts 5 and 6 cleaned and split.
InstrumentDataView instrumentDataFromIdentification(const InstrumentTexts& texts, const ExtraLines& extra);

struct InstrumentDataOutcome {
    bool exchanged = false; // the instrument acknowledged and was asked
    bool valid = false;     // its identification reply was valid
    unsigned typeCode = 0;  // the type code it reported (when valid)
    InstrumentTexts texts;
    InstrumentDataView view; // filled when exchanged
    std::string error;       // the port's message when it was lost or failed
    bool errorShown = false; // ... and it was shown as a message
};

// The dialog's Receive Data: opens the port (a failure does nothing, but a
// port another program holds is told, with the holder), starts
// an exchange, identifies the instrument (which sets familyCode and the extra
// lines), ends the exchange. The result table is not touched.
InstrumentDataOutcome receiveInstrumentData(const TransferTarget& ctx, InstrumentLink& link, Progress& progress,
                                            Clock& clock = systemClock());

} // namespace zentrova
