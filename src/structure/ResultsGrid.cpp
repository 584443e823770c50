// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/ResultsGrid.h"

#include "base/TextRules.h"
#include "report/GridData.h"
#include "structure/CopyBuffer.h"
#include "structure/ResultRow.h"
#include "structure/StructureContext.h"

#include <algorithm>

namespace zentrova {

namespace {

void removeAll(std::string& s, char c)
{
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
}

long numberIn(const std::string& token, size_t from, size_t count)
{
    if (token.size() <= from)
        return 0;
    return digitsValue(std::string_view(token).substr(from, count));
}

std::string splitJoin(const std::string& text, const NameTables& names)
{
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find('\r', start);
        out += formatResultToken(text.substr(start, cr == std::string::npos ? std::string::npos : cr - start), names);
        if (cr == std::string::npos)
            break;
        out.push_back('\r');
        start = cr + 1;
    }
    return out;
}

} // namespace

ResultToken splitResultToken(const std::string& token, const NameTables& names)
{
    ResultToken t;
    if (token.compare(0, 3, "AAA") == 0) {
        t.value = token.substr(3);
        return t;
    }
    t.quantity = names.quantity(numberIn(token, 0, 3));
    t.unit = names.unit(numberIn(token, 3, 3));
    t.value = token.size() > 6 ? token.substr(6) : std::string();
    if (t.value.find('!') != std::string::npos) {
        removeAll(t.value, '!');
        t.marked = true;
    }
    if (t.value.find('>') != std::string::npos) {
        removeAll(t.value, '>');
        t.comparator = ">";
    }
    if (t.value.find('<') != std::string::npos) {
        removeAll(t.value, '<');
        t.comparator = "<";
    }
    if (!t.quantity.empty() && t.quantity.back() == ':') {
        t.quantity.pop_back();
        t.comparator = ":";
    }
    if (!t.quantity.empty() && t.comparator.empty())
        t.comparator = "=";
    return t;
}

std::string formatResultToken(const std::string& token, const NameTables& names)
{
    if (token.compare(0, 3, "AAA") == 0)
        return token.substr(3);
    const ResultToken t = splitResultToken(token, names);
    std::string result = t.quantity;
    if (!t.comparator.empty()) {
        if (t.comparator != ":" && !result.empty())
            result.push_back(' ');
        result += t.comparator;
    }
    if (!t.value.empty())
        result += " " + t.value;
    if (!t.unit.empty()) {
        if (!result.empty())
            result.push_back(' ');
        result += t.unit;
    }
    if (t.marked)
        result += " !";
    return result;
}

std::string formatResultText(const std::string& text, const NameTables& names)
{
    return splitJoin(text, names);
}

void writeResultHeadings(const StructureContext& ctx, GridData& grid)
{
    const auto& map = ctx.language.profile.resultColumnMap;
    for (int c = 0; c < grid.colCount(); ++c) {
        std::string heading;
        for (int logical = 6; logical >= 0; --logical) {
            if (map[size_t(logical)] == c) {
                heading = headingText(ctx.language.texts.text("VGlava" + std::to_string(logical) + "_0"));
                break;
            }
        }
        grid.setCell(c, 0, heading);
    }
    for (int logical = 0; logical < 7; ++logical) {
        const int c = map[size_t(logical)];
        if (c == 255 || c >= grid.colCount())
            continue;
        const Alignment a = (logical == 0 || logical == 2 || logical == 6) ? AlignCenter : AlignLeft;
        grid.setBodyColumnAlignment(c, a);
        grid.setHeadingColumnAlignment(c, a);
    }
}

void clearResultsGrid(GridData& grid)
{
    grid.setRowCount(1);
    grid.setDefaultColWidth(30);
    grid.setDefaultRowHeight(10);
}

int fillResultsGrid(const StructureContext& ctx, const ElementNode* selected, GridData& grid)
{
    // The heading row survives clearing; the rows below are rebuilt.
    std::vector<std::string> headings;
    for (int c = 0; c < grid.colCount(); ++c)
        headings.push_back(grid.cell(c, 0));
    clearResultsGrid(grid);
    for (int c = 0; c < grid.colCount(); ++c)
        grid.setCell(c, 0, headings[size_t(c)]);
    if (!selected)
        return 0;

    const Profile& p = ctx.language.profile;
    const ResultTable& t = ctx.document.structure.table;
    const std::vector<int> rows = rowsOfElement(ctx.document.structure, *selected, p.positionDepth, p.resultsSorted);
    if (rows.empty())
        return 0;
    grid.setRowCount(int(rows.size()) + 1);
    grid.setFixedRows(1);

    auto put = [&](int logical, int k, std::string text) {
        const int c = p.resultColumnMap[size_t(logical)];
        if (c != 255 && c < grid.colCount())
            grid.setCell(c, k, std::move(text));
    };
    int k = 1;
    for (int r : rows) {
        const ResultRow row(t, r);
        put(0, k, std::to_string(k));
        switch (p.positionDepth) {
        case 3:
            put(1, k, row.objectName() + "\r " + row.blockName() + "\r  " + row.elementName());
            break;
        case 2:
            put(1, k, row.blockName() + "\r " + row.elementName());
            break;
        default:
            put(1, k, row.elementName());
            break;
        }
        // The row holds the function code with the family's base already added.
        put(2, k, headingText(ctx.language.names.function(row.functionCode())));
        put(3, k, formatResultText(row.results(), ctx.language.names));
        put(4, k, formatResultText(row.parameters(), ctx.language.names));
        put(5, k, formatResultText(row.subResults(), ctx.language.names));
        if (p.resultColumnMap[6] < 255)
            put(6, k, row.date() + "\r" + row.time());
        ++k;
    }
    return k - 1;
}

std::string noResultsCaption(const StructureContext& ctx, const ElementNode* selected)
{
    return ctx.language.texts.text("NoMeasuresIn_30") + " " + (selected ? selected->name : std::string());
}

std::string selectionText(const GridData& grid, int left, int top, int right, int bottom)
{
    std::string out;
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            if (c > left)
                out.push_back('\t');
            out += CopyBuffer::cellText(grid.cell(c, r));
        }
        if (r != bottom)
            out += "\r\n";
    }
    return out;
}

} // namespace zentrova
