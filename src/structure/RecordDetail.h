// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace zentrova {

struct StructureContext;
struct LanguageContext;
struct Document;
class ElementNode;

// What an item of a measurement record is, by its tag.
enum class RecordItemKind { Result, SubResult, Parameter, Date, Time, Untagged };

RecordItemKind recordItemKindOf(char tag);

// One item of a record as the detail panel shows it; bytes in the language's
// code page.
struct RecordDetailItem {
    RecordItemKind kind = RecordItemKind::Untagged;
    std::string kindName; // from the language file
    std::string quantity; // coded items only
    // The comparator ("<" or ">"), the value and " !" for a marked value, as
    // the results grid shows them; a date, time or untagged item as it came.
    std::string value;
    std::string unit;    // coded items only
    bool marked = false; // the "!": the grid shows the line in red
    // The rating's name (advice, from the language file) of a PI or DAR value
    // that is a number; empty for every other item. A value beyond the
    // instrument's range ("<" or ">") is rated only when every value on its
    // side of the bound is in one class.
    std::string rating;
};

// The full record behind one result table row.
struct RecordDetail {
    int row = 0; // in the result table
    long object = 0, block = 0, element = 0;
    long functionCode = 0; // the family's base included, as the row holds it
    std::string functionName;
    std::string date, time; // the first date and time item
    // Label and text of each line above the items: object (three-level
    // positions only), block, element, function, date, time.
    std::vector<std::pair<std::string, std::string>> heading;
    // True when the items are in the order they came; false for a row read
    // from a structure file, which keeps no order: then results, sub-results,
    // parameters, dates, times and untagged items follow each other.
    bool arrivalOrder = false;
    std::vector<RecordDetailItem> items;
};

// The result table row shown on line `gridRow` (1 = the first result) of the
// results grid of `selected`; -1 when there is none.
int resultRowOfGridRow(const StructureContext& ctx, const ElementNode* selected, int gridRow);

// The record of result table row `row` (1 or more), its names from the
// language's name tables and the structure's element tree.
RecordDetail recordDetail(const LanguageContext& ctx, const Document& document, int row);
// The same without the heading lines, which look the names up in the tree:
// for going through many rows.
RecordDetail recordItems(const LanguageContext& ctx, const Document& document, int row);

} // namespace zentrova
