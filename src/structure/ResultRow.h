// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/TextRules.h"
#include "structure/ResultColumns.h"
#include "structure/Structure.h"

#include <compare>
#include <string>
#include <string_view>
#include <vector>

namespace zentrova {

// The object, block and element numbers of a result row, ordered as the
// table orders its rows.
struct PositionNumbers {
    long object = 0;
    long block = 0;
    long element = 0;
    auto operator<=>(const PositionNumbers&) const = default;
};

// One row of the result table read by the names of its cells and lines. It
// copies nothing: it reads the table's cells in place and stays valid while
// the table's rows are neither moved nor dropped. A row the table does not
// have, a cell never written and a line the cell lacks read as empty, and a
// number as 0.
class ResultRow {
public:
    ResultRow(const ResultTable& table, int row)
        : table_(&table), cells_(row >= 0 && row < table.rowCount() ? &table.row(row) : nullptr), row_(row)
    {
    }

    int index() const { return row_; }

    const std::string& cell(ResultColumn column) const
    {
        const auto c = size_t(column);
        return cells_ && c < cells_->size() ? (*cells_)[c] : emptyCell();
    }
    // Line `n` (1-based) of a cell, inside the table's bytes.
    std::string_view line(ResultColumn column, int n) const { return nthLineView(cell(column), n); }
    // Every line of a cell; none for an empty cell.
    std::vector<std::string> lines(ResultColumn column) const;

    long object() const { return number(ObjectLine); }
    long block() const { return number(BlockLine); }
    long element() const { return number(ElementLine); }
    long number(PositionLine level) const { return digitsValue(line(ResultColumn::Position, level)); }
    // The three numbers read in one pass over the cell.
    PositionNumbers positionNumbers() const;

    std::string objectName() const { return name(ObjectLine); }
    std::string blockName() const { return name(BlockLine); }
    std::string elementName() const { return name(ElementLine); }
    std::string name(PositionLine level) const { return std::string(line(ResultColumn::Names, level)); }

    // 0 when the row is no result.
    long functionCode() const { return digitsValue(line(ResultColumn::Function, FunctionCodeLine)); }

    const std::string& results() const { return cell(ResultColumn::Results); }
    const std::string& subResults() const { return cell(ResultColumn::SubResults); }
    const std::string& parameters() const { return cell(ResultColumn::Parameters); }
    const std::string& date() const { return cell(ResultColumn::Date); }
    const std::string& time() const { return cell(ResultColumn::Time); }
    // The tags of the items in the order they came (ResultTable::itemOrder).
    const std::string& itemOrder() const { return table_->itemOrder(row_); }

private:
    static const std::string& emptyCell();

    const ResultTable* table_;
    const ResultTable::Row* cells_;
    int row_;
};

} // namespace zentrova
