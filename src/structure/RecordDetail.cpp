// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/RecordDetail.h"

#include "structure/InsulationRating.h"
#include "structure/MeasuredValue.h"
#include "structure/ResultRow.h"
#include "structure/ResultsGrid.h"
#include "structure/StructureContext.h"

#include <algorithm>
#include <array>

namespace zentrova {

namespace {

// The result table column of each tag, as the received row fills it: the
// untagged items follow the function's lines.
ResultColumn columnOfKind(RecordItemKind kind)
{
    switch (kind) {
    case RecordItemKind::Result:
        return ResultColumn::Results;
    case RecordItemKind::SubResult:
        return ResultColumn::SubResults;
    case RecordItemKind::Parameter:
        return ResultColumn::Parameters;
    case RecordItemKind::Date:
        return ResultColumn::Date;
    case RecordItemKind::Time:
        return ResultColumn::Time;
    default:
        return ResultColumn::Function;
    }
}

const char* kindKey(RecordItemKind kind)
{
    switch (kind) {
    case RecordItemKind::Result:
        return "Result_20";
    case RecordItemKind::SubResult:
        return "SubResult_20";
    case RecordItemKind::Parameter:
        return "Parameter_20";
    case RecordItemKind::Date:
        return "Date_20";
    case RecordItemKind::Time:
        return "Time_20";
    default:
        return "Untagged_20";
    }
}

// The name of the tree element standing for position (object, block,
// element) at `level` (0 object, 1 block, 2 element); empty when the tree has
// none.
std::string elementName(const LanguageContext& ctx, const Document& document, long object, long block, long element,
                        int level)
{
    std::string name;
    bool found = false;
    document.structure.tree.forEach([&](ElementNode& node) {
        if (found)
            return;
        const Position p = positionOf(node, ctx.profile.positionDepth);
        if (p.depth != level || p.object != object || (level >= 1 && p.block != block) ||
            (level >= 2 && p.element != element))
            return;
        name = node.name;
        found = true;
    });
    return name;
}

std::string numberAndName(long number, const std::string& name)
{
    std::string text = std::to_string(number);
    if (!name.empty())
        text += "  " + name;
    return text;
}

// The rating's language key of a PI or DAR value; null when the item is
// another quantity, no number, or a bound that leaves the class open.
const char* ratingKeyOf(const ResultToken& t)
{
    RatingKind kind;
    if (!ratingKindOfQuantity(t.quantity, kind))
        return nullptr;
    const bool bound = t.comparator == "<" || t.comparator == ">";
    const MeasuredValue v = parseMeasuredValue((bound ? t.comparator : std::string()) + t.value, t.unit);
    const auto rating = rateMeasuredValue(kind, v);
    return rating ? ratingLanguageKey(kind, *rating) : nullptr;
}

RecordDetailItem itemOf(const LanguageContext& ctx, RecordItemKind kind, const std::string& line)
{
    RecordDetailItem item;
    item.kind = kind;
    item.kindName = ctx.texts.text(kindKey(kind));
    const ResultColumn column = columnOfKind(kind);
    if (column != ResultColumn::Results && column != ResultColumn::SubResults && column != ResultColumn::Parameters) {
        item.value = line;
        return item;
    }
    const ResultToken t = splitResultToken(line, ctx.names);
    item.quantity = t.quantity;
    item.unit = t.unit;
    if (t.comparator == "<" || t.comparator == ">")
        item.value = t.comparator + " ";
    item.value += t.value;
    item.marked = t.marked;
    if (t.marked)
        item.value += " !";
    if (const char* key = ratingKeyOf(t))
        item.rating = ctx.texts.text(key);
    return item;
}

} // namespace

RecordItemKind recordItemKindOf(char tag)
{
    switch (tag) {
    case 'R':
        return RecordItemKind::Result;
    case 'M':
        return RecordItemKind::SubResult;
    case 'P':
        return RecordItemKind::Parameter;
    case 'D':
        return RecordItemKind::Date;
    case 'T':
        return RecordItemKind::Time;
    default:
        return RecordItemKind::Untagged;
    }
}

int resultRowOfGridRow(const StructureContext& ctx, const ElementNode* selected, int gridRow)
{
    if (!selected || gridRow < 1)
        return -1;
    const std::vector<int> rows = rowsOfElement(ctx.document.structure, *selected, ctx.language.profile.positionDepth,
                                                ctx.language.profile.resultsSorted);
    return gridRow <= int(rows.size()) ? rows[size_t(gridRow - 1)] : -1;
}

RecordDetail recordItems(const LanguageContext& ctx, const Document& document, int row)
{
    RecordDetail d;
    const ResultTable& t = document.structure.table;
    d.row = row;
    const ResultRow resultRow(t, row);
    d.object = resultRow.object();
    d.block = resultRow.block();
    d.element = resultRow.element();
    d.functionCode = resultRow.functionCode();
    const std::string functionTemplate = ctx.names.function(d.functionCode);
    d.functionName = headingText(functionTemplate);

    std::array<std::vector<std::string>, ResultTable::ColumnCount> lines;
    for (ResultColumn c : {ResultColumn::Function, ResultColumn::Results, ResultColumn::SubResults,
                           ResultColumn::Parameters, ResultColumn::Date, ResultColumn::Time})
        lines[size_t(c)] = resultRow.lines(c);
    // The function cell holds the function's code, its name's lines, then
    // the untagged items.
    std::vector<std::string>& functionLines = lines[size_t(ResultColumn::Function)];
    const std::string& order = resultRow.itemOrder();
    d.arrivalOrder = !order.empty();
    size_t untaggedFrom = 0;
    if (d.arrivalOrder) {
        const size_t untagged = size_t(std::count_if(
            order.begin(), order.end(), [](char tag) { return recordItemKindOf(tag) == RecordItemKind::Untagged; }));
        untaggedFrom = functionLines.size() - std::min(untagged, functionLines.size());
    } else if (d.functionCode != 0) {
        untaggedFrom = std::min(functionLines.size(),
                                size_t(2 + std::count(functionTemplate.begin(), functionTemplate.end(), '$')));
    }
    std::array<size_t, ResultTable::ColumnCount> next{};
    next[size_t(ResultColumn::Function)] = untaggedFrom;
    auto take = [&](RecordItemKind kind) {
        const size_t c = size_t(columnOfKind(kind));
        const std::string line = next[c] < lines[c].size() ? lines[c][next[c]] : std::string();
        ++next[c];
        d.items.push_back(itemOf(ctx, kind, line));
    };
    if (d.arrivalOrder) {
        for (char tag : order)
            take(recordItemKindOf(tag));
    } else {
        for (RecordItemKind kind : {RecordItemKind::Result, RecordItemKind::SubResult, RecordItemKind::Parameter,
                                    RecordItemKind::Date, RecordItemKind::Time, RecordItemKind::Untagged})
            while (next[size_t(columnOfKind(kind))] < lines[size_t(columnOfKind(kind))].size())
                take(kind);
    }
    const std::vector<std::string>& dates = lines[size_t(ResultColumn::Date)];
    const std::vector<std::string>& times = lines[size_t(ResultColumn::Time)];
    d.date = dates.empty() ? std::string() : dates.front();
    d.time = times.empty() ? std::string() : times.front();
    return d;
}

RecordDetail recordDetail(const LanguageContext& ctx, const Document& document, int row)
{
    RecordDetail d = recordItems(ctx, document, row);
    const long o = d.object, b = d.block, e = d.element;
    if (ctx.profile.positionDepth >= 3)
        d.heading.emplace_back(ctx.texts.text("Object_20"), numberAndName(o, elementName(ctx, document, o, b, e, 0)));
    d.heading.emplace_back(ctx.texts.text("BLOCK_20"), numberAndName(b, elementName(ctx, document, o, b, e, 1)));
    d.heading.emplace_back(headingText(ctx.texts.text("VGlava1_0")),
                           numberAndName(e, elementName(ctx, document, o, b, e, 2)));
    d.heading.emplace_back(headingText(ctx.texts.text("VGlava2_0")), d.functionName);
    d.heading.emplace_back(ctx.texts.text("Date_20"), d.date);
    d.heading.emplace_back(ctx.texts.text("Time_20"), d.time);
    return d;
}

} // namespace zentrova
