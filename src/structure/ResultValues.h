// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/MeasuredValue.h"
#include "structure/ResultColumns.h"

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
    int column = 0;     // the ResultColumn it came from: Results, SubResults or Parameters
    long quantity = 0;  // the number of its quantity name in the name tables
    int occurrence = 1; // 2 for the second item of the same quantity in the row (step voltage readings), ...
    long unit = 0;      // the number of its unit name
    std::string text;   // the value as the row holds it, marks included
    MeasuredValue value;
};

// A coded item as the row holds it: its column, quantity and unit numbers
// and the value text after them (marks included).
struct CodedItem {
    ResultColumn column = ResultColumn::Unused;
    long quantity = 0, unit = 0;
    std::string_view text;
};
// Calls `each` for every coded item of row `row` with a quantity: its results,
// then its sub-results, then its parameters, each cell's in line order.
void forEachCodedItem(const ResultTable& t, int row, const std::function<void(const CodedItem&)>& each);

// The coded items of row `row`: its results, then its sub-results, then its
// parameters, each cell's in line order.
std::vector<ResultItemValue> resultItemValues(const ResultTable& t, int row, const NameTables& names);

// The heading of a quantity's value: its name, with " (2)", " (3)", ... for
// a further occurrence in one row; "#" and the number for a quantity without
// a name. Bytes in the language's code page.
std::string quantityHeading(const NameTables& names, long quantity, int occurrence);

} // namespace zentrova
