// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// What each cell of the result table holds, and the lines inside the cells
// that are read one by one. A cell of several lines separates them with CR.
#pragma once

namespace zentrova {

// The columns of a result row (rows 1 and on), as a received record fills
// them and a structure file keeps them.
enum class ResultColumn : int {
    Unused = 0,     // nothing; a received row leaves it empty
    Position = 1,   // object, block and element number, one decimal line each (PositionLine)
    Names = 2,      // object, block and element name, then the element's kinds ("6,13") (PositionLine)
    Function = 3,   // the function code (FunctionCodeLine), the function name's lines, then the untagged items
    Results = 4,    // the 'R' items, one a line: quantity and unit in three digits each, then the value
    SubResults = 5, // the 'M' items, written as the results are
    Parameters = 6, // the 'P' items, written as the results are
    Date = 7,       // the 'D' items: the date as the instrument wrote it, one a line
    Time = 8,       // the 'T' items: the time as the instrument wrote it, one a line
    Selection = 9,  // the measurement selection of an element built from the row; empty in a received row
};

// The columns of row 0, the identification of the instrument that took the
// results. Column 0 and columns 4 and on are empty there.
enum class IdentificationColumn : int {
    Instrument = 1, // the instrument's lines and its serial number (IdentificationLine)
    Firm = 2,       // the firm's data the instrument holds, one line each
    User = 3,       // the user's data the instrument holds, one line each
};

// The lines of the position and the names cell, 1-based as nthLine counts
// them: the object's, the block's and the element's number or name; the names
// cell then has the element's kinds.
enum PositionLine : int { ObjectLine = 1, BlockLine = 2, ElementLine = 3, KindsLine = 4 };

// The first line of the function cell: the function code, the family's
// function text base included; 0 or none means the row is no result.
constexpr int FunctionCodeLine = 1;

// The lines of row 0's instrument cell: the instrument's first three lines,
// its serial number, its fourth line, then three extra lines it sent.
enum IdentificationLine : int {
    InstrumentLine1 = 1,
    InstrumentLine2 = 2,
    InstrumentLine3 = 3,
    SerialNumberLine = 4,
    InstrumentLine4 = 5,
    ExtraLine1 = 6,
    ExtraLine2 = 7,
    ExtraLine3 = 8,
};

} // namespace zentrova
