// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <string>

namespace zentrova {

struct StructureContext;
class ElementNode;
class GridData;
class NameTables;

// A result token "qqquuuvalue" taken apart as the grid shows it.
struct ResultToken {
    std::string quantity;   // the quantity's name, without a closing ':'
    std::string comparator; // "=", "<", ">", ":" (the name ended in ':'), or empty
    std::string value;      // the value without its marks
    std::string unit;
    bool marked = false; // the value held a "!"
};
// A token starting with "AAA" is all value, from its fourth character on.
ResultToken splitResultToken(const std::string& token, const NameTables& names);

// One result token "qqquuuvalue" as the grid shows it: quantity and unit names
// from the name tables, the comparator, the value and the "!" mark; a token
// starting with "AAA" is shown from its fourth character on.
std::string formatResultToken(const std::string& token, const NameTables& names);
// Every CR-separated line of a result cell formatted as a token.
std::string formatResultText(const std::string& text, const NameTables& names);

// The heading row of the results grid and the alignments of its columns.
void writeResultHeadings(const StructureContext& ctx, GridData& grid);
// Rebuilds the grid for `selected` (nullptr: empty grid). Returns the number
// of result rows shown; with none the grid stays at its heading row.
int fillResultsGrid(const StructureContext& ctx, const ElementNode* selected, GridData& grid);
// Drops every result row; column widths and row heights go back to 30 x 10.
void clearResultsGrid(GridData& grid);

// The panel caption shown instead of an empty grid.
std::string noResultsCaption(const StructureContext& ctx, const ElementNode* selected);

// The cells of a selected rectangle as clipboard text: one line per grid row,
// cells joined by TAB, lines by CR LF, no line end after the last line. A cell
// of several lines is quoted (CopyBuffer::cellText), so a spreadsheet keeps
// it in one cell.
std::string selectionText(const GridData& grid, int left, int top, int right, int bottom);

} // namespace zentrova
