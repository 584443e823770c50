// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/ResultValues.h"

#include "base/TextRules.h"
#include "language/Language.h"
#include "structure/ResultRow.h"

#include <string_view>

namespace zentrova {

void forEachCodedItem(const ResultTable& t, int row, const std::function<void(const CodedItem&)>& each)
{
    const ResultRow resultRow(t, row);
    for (ResultColumn column : {ResultColumn::Results, ResultColumn::SubResults, ResultColumn::Parameters}) {
        std::string_view rest = resultRow.cell(column);
        while (!rest.empty()) {
            const size_t cr = rest.find('\r');
            const std::string_view token = rest.substr(0, cr);
            rest = cr == std::string_view::npos ? std::string_view() : rest.substr(cr + 1);
            // The results grid shows the same tokens: "AAA" starts plain
            // text, else three digits of quantity, three of unit, the value.
            if (token.size() < 6 || token.compare(0, 3, "AAA") == 0)
                continue;
            CodedItem item;
            item.column = column;
            item.quantity = digitsValue(token.substr(0, 3));
            item.unit = digitsValue(token.substr(3, 3));
            if (item.quantity == 0)
                continue;
            item.text = token.substr(6);
            each(item);
        }
    }
}

std::vector<ResultItemValue> resultItemValues(const ResultTable& t, int row, const NameTables& names)
{
    std::vector<ResultItemValue> items;
    forEachCodedItem(t, row, [&](const CodedItem& coded) {
        ResultItemValue item;
        item.column = int(coded.column);
        item.quantity = coded.quantity;
        item.unit = coded.unit;
        for (const ResultItemValue& before : items)
            if (before.quantity == item.quantity)
                ++item.occurrence;
        item.text = coded.text;
        item.value = parseMeasuredValue(item.text, names.unit(item.unit));
        items.push_back(std::move(item));
    });
    return items;
}

std::string quantityHeading(const NameTables& names, long quantity, int occurrence)
{
    std::string name = names.quantity(quantity);
    // A name ending in ":" is shown as a label in the grid; the colon is no part of it.
    if (!name.empty() && name.back() == ':')
        name.pop_back();
    if (name.empty())
        name = "#" + std::to_string(quantity);
    if (occurrence > 1)
        name += " (" + std::to_string(occurrence) + ")";
    return name;
}

} // namespace zentrova
