// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/GridData.h"

#include <algorithm>

namespace zentrova {

namespace {
const std::string EmptyText;
const std::optional<QFont> NoFont;
// Alignment lists grow up to the column set; a column number past any real
// grid is ignored rather than allowed to allocate without bound.
constexpr int MaxAlignedColumns = 4096;

void setListEntry(std::vector<std::optional<Alignment>>& list, int c, Alignment a)
{
    if (c < 0 || c >= MaxAlignedColumns)
        return;
    if (size_t(c) >= list.size())
        list.resize(size_t(c) + 1);
    list[size_t(c)] = a;
}

Alignment listEntry(const std::vector<std::optional<Alignment>>& list, int c, Alignment fallback)
{
    if (c < 0 || size_t(c) >= list.size() || !list[size_t(c)])
        return fallback;
    return *list[size_t(c)];
}
} // namespace

GridData::GridData(int colCount, int rowCount)
{
    setColCount(colCount);
    setRowCount(rowCount);
}

GridData::~GridData() = default;

void GridData::setColCount(int n)
{
    n = std::max(n, 0);
    if (n == cols_)
        return;
    // Row-major storage: re-lay every row. Column changes are rare and the
    // grids narrow (at most a dozen columns), so this stays cheap.
    std::vector<std::string> cells(size_t(n) * size_t(rows_));
    std::vector<std::unique_ptr<CellData>> data(cells.size());
    const int keep = std::min(n, cols_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < keep; ++c) {
            cells[size_t(r) * size_t(n) + size_t(c)] = std::move(cells_[index(c, r)]);
            data[size_t(r) * size_t(n) + size_t(c)] = std::move(data_[index(c, r)]);
        }
    cells_ = std::move(cells);
    data_ = std::move(data);
    cols_ = n;
    colWidths_.resize(size_t(n), defaultColWidth_);
    changed(Change::Geometry);
}

void GridData::setRowCount(int n)
{
    n = std::max(n, 0);
    if (n == rows_)
        return;
    rows_ = n;
    cells_.resize(size_t(cols_) * size_t(n));
    data_.resize(cells_.size());
    rowHeights_.resize(size_t(n), defaultRowHeight_);
    changed(Change::Geometry);
}

void GridData::setFixedRows(int n)
{
    n = std::max(n, 0);
    if (n == fixedRows_)
        return;
    fixedRows_ = n;
    changed(Change::Geometry);
}

void GridData::setFixedCols(int n)
{
    n = std::max(n, 0);
    if (n == fixedCols_)
        return;
    fixedCols_ = n;
    changed(Change::Geometry);
}

const std::string& GridData::cell(int c, int r) const
{
    return contains(c, r) ? cells_[index(c, r)] : EmptyText;
}

void GridData::setCell(int c, int r, std::string bytes)
{
    if (!contains(c, r))
        return;
    cells_[index(c, r)] = std::move(bytes);
    changed(Change::Content);
}

CellData* GridData::cellData(int c, int r) const
{
    return contains(c, r) ? data_[index(c, r)].get() : nullptr;
}

void GridData::setCellData(int c, int r, std::unique_ptr<CellData> data)
{
    if (!contains(c, r))
        return;
    data_[index(c, r)] = std::move(data);
    changed(Change::Content);
}

std::unique_ptr<CellData> GridData::takeCellData(int c, int r)
{
    if (!contains(c, r))
        return nullptr;
    auto data = std::move(data_[index(c, r)]);
    if (data)
        changed(Change::Content);
    return data;
}

void GridData::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from >= rows_ || to >= rows_ || from == to)
        return;
    const auto rotate = [&](auto& v, size_t width) {
        auto first = v.begin() + ptrdiff_t(size_t(std::min(from, to)) * width);
        auto last = v.begin() + ptrdiff_t(size_t(std::max(from, to) + 1) * width);
        if (from < to)
            std::rotate(first, first + ptrdiff_t(width), last);
        else
            std::rotate(first, last - ptrdiff_t(width), last);
    };
    rotate(cells_, size_t(cols_));
    rotate(data_, size_t(cols_));
    rotate(rowHeights_, 1);
    changed(Change::Geometry);
}

void GridData::clear()
{
    for (auto& s : cells_)
        std::string().swap(s);
    for (auto& d : data_)
        d.reset();
    changed(Change::Content);
}

void GridData::setDefaultColWidth(int w)
{
    defaultColWidth_ = std::max(w, 0);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    changed(Change::Geometry);
}

void GridData::setDefaultRowHeight(int h)
{
    defaultRowHeight_ = std::max(h, 0);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
    changed(Change::Geometry);
}

int GridData::colWidth(int c) const
{
    return c >= 0 && c < cols_ ? colWidths_[size_t(c)] : defaultColWidth_;
}

int GridData::rowHeight(int r) const
{
    return r >= 0 && r < rows_ ? rowHeights_[size_t(r)] : defaultRowHeight_;
}

void GridData::setColWidth(int c, int w)
{
    if (c < 0 || c >= cols_ || colWidths_[size_t(c)] == std::max(w, 0))
        return;
    colWidths_[size_t(c)] = std::max(w, 0);
    changed(Change::Geometry);
}

void GridData::setRowHeight(int r, int h)
{
    if (r < 0 || r >= rows_ || rowHeights_[size_t(r)] == std::max(h, 0))
        return;
    rowHeights_[size_t(r)] = std::max(h, 0);
    changed(Change::Geometry);
}

int64_t GridData::rowsHeight(int first, int last) const
{
    first = std::clamp(first, 0, rows_);
    last = std::clamp(last, first, rows_);
    int64_t sum = 0;
    for (int r = first; r < last; ++r)
        sum += rowHeights_[size_t(r)];
    return sum;
}

void GridData::setAlignment(Alignment a)
{
    alignment_ = a;
    changed(Change::Content);
}

Alignment GridData::bodyColumnAlignment(int c) const
{
    return listEntry(bodyAlign_, c, alignment_);
}

Alignment GridData::headingColumnAlignment(int c) const
{
    return listEntry(headingAlign_, c, alignment_);
}

void GridData::setBodyColumnAlignment(int c, Alignment a)
{
    setListEntry(bodyAlign_, c, a);
    changed(Change::Content);
}

void GridData::setHeadingColumnAlignment(int c, Alignment a)
{
    setListEntry(headingAlign_, c, a);
    changed(Change::Content);
}

const std::optional<QFont>& GridData::extraFont(int n) const
{
    return n >= 1 && n <= 3 ? extraFonts_[size_t(n - 1)] : NoFont;
}

void GridData::setExtraFont(int n, std::optional<QFont> font)
{
    if (n < 1 || n > 3)
        return;
    extraFonts_[size_t(n - 1)] = std::move(font);
    changed(Change::Content);
}

void GridData::setFont(const QFont& font)
{
    if (font == font_)
        return;
    font_ = font;
    changed(Change::Geometry);
}

} // namespace zentrova
