// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/MeasuredValue.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zentrova {

class NameTables;
class ResultTable;

// One coded item of a result row (a result, sub-result or parameter) read as
// a number. Items of plain text ("AAA...") and untagged items carry no
// quantity and are left out.
struct ResultItemValue {
    int column = 0;     // 4 results, 5 sub-results, 6 parameters
    long quantity = 0;  // the number of its quantity name in the name tables
    int occurrence = 1; // 2 for the second item of the same quantity in the row (step voltage readings), ...
    long unit = 0;      // the number of its unit name
    std::string text;   // the value as the row holds it, marks included
    MeasuredValue value;
};

// A coded item as the row holds it: its column, quantity and unit numbers
// and the value text after them (marks included).
struct CodedItem {
    int column = 0;
    long quantity = 0, unit = 0;
    std::string_view text;
};
// Calls `each` for every coded item of row `row` with a quantity, in column
// order (4, 5, 6) and line order.
void forEachCodedItem(const ResultTable& t, int row, const std::function<void(const CodedItem&)>& each);

// The coded items of row `row`, in column order (4, 5, 6) and line order.
std::vector<ResultItemValue> resultItemValues(const ResultTable& t, int row, const NameTables& names);

// The heading of a quantity's value: its name, with " (2)", " (3)", ... for
// a further occurrence in one row; "#" and the number for a quantity without
// a name. Bytes in the language's code page.
std::string quantityHeading(const NameTables& names, long quantity, int occurrence);

} // namespace zentrova
