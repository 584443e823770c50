// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/CellObject.h"

#include <QFont>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zentrova {

// Column alignment of the annotated grid (the numbering is stored in files and
// must not change).
enum Alignment : uint8_t { AlignRight = 0, AlignLeft = 1, AlignCenter = 2 };

struct ReportTableTexts; // the two free texts of a report table, kept by the report pages

// The object a grid cell may carry: per-line alignment, a font for the whole
// cell, and for report tables their sub-data.
struct CellData : CellObject {
    // Character i aligns line i of the cell: "L", "R" or "C"; any other
    // character leaves the line alone. Only the first MaxLineAlignments count.
    static constexpr size_t MaxLineAlignments = 203;
    std::string lineAlignments;
    std::optional<QFont> font; // replaces the drawing font of the whole cell
    std::shared_ptr<ReportTableTexts> subData;
};

// The contents of an annotated grid, independent of any window: texts
// (bytes), cell objects, column widths and row heights, alignments and the
// extra fonts of the F markup. Report tables live as GridData only; the
// results grid widget shows one.
//
// Out-of-range reads give "" / nullptr / the default size; out-of-range
// writes are ignored (grow the grid with setColCount / setRowCount first).
class GridData {
public:
    static constexpr int DefaultColumnWidth = 64;
    static constexpr int DefaultRowHeight = 24;

    // What a change touched: Content needs a repaint, Geometry also a new
    // layout (counts, widths, heights, fixed rows or columns).
    enum class Change { Content, Geometry };
    using Listener = std::function<void(Change)>;

    explicit GridData(int colCount = 5, int rowCount = 5);
    virtual ~GridData();
    GridData(const GridData&) = delete;
    GridData& operator=(const GridData&) = delete;

    // Called after every change; the widget showing the grid listens here.
    void setListener(Listener listener) { listener_ = std::move(listener); }

    int colCount() const { return cols_; }
    int rowCount() const { return rows_; }
    // Both grow with empty cells of the default size, or drop what lies past
    // the new count (cell objects freed). Negative counts read as 0.
    void setColCount(int n);
    void setRowCount(int n);

    int fixedRows() const { return fixedRows_; }
    int fixedCols() const { return fixedCols_; }
    void setFixedRows(int n);
    void setFixedCols(int n);
    bool isFixedRow(int r) const { return r >= 0 && r < fixedRows_; }
    bool isFixedCol(int c) const { return c >= 0 && c < fixedCols_; }

    bool contains(int c, int r) const { return c >= 0 && r >= 0 && c < cols_ && r < rows_; }
    const std::string& cell(int c, int r) const;
    void setCell(int c, int r, std::string bytes);

    CellData* cellData(int c, int r) const;
    // The grid owns what is attached; attaching replaces (and frees) the old one.
    void setCellData(int c, int r, std::unique_ptr<CellData> data);
    std::unique_ptr<CellData> takeCellData(int c, int r);

    // Moves row `from` to position `to` (texts, cell objects and height); the
    // rows between shift by one.
    void moveRow(int from, int to);
    // Empties every cell and frees every cell object; counts, sizes,
    // alignments and fonts stay.
    void clear();

    int defaultColWidth() const { return defaultColWidth_; }
    int defaultRowHeight() const { return defaultRowHeight_; }
    // Setting a default also sets every existing column (row) to it.
    void setDefaultColWidth(int w);
    void setDefaultRowHeight(int h);
    int colWidth(int c) const;
    int rowHeight(int r) const;
    void setColWidth(int c, int w);
    void setRowHeight(int r, int h);
    // Sum of the heights of rows [first, last) (clamped to the grid).
    int64_t rowsHeight(int first, int last) const;

    // Column alignments. A column without an entry uses alignment().
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment a);
    Alignment bodyColumnAlignment(int c) const;
    Alignment headingColumnAlignment(int c) const;
    void setBodyColumnAlignment(int c, Alignment a);
    void setHeadingColumnAlignment(int c, Alignment a);
    // The alignment a cell's lines start from: heading for fixed rows.
    Alignment columnAlignment(int c, int r) const
    {
        return isFixedRow(r) ? headingColumnAlignment(c) : bodyColumnAlignment(c);
    }

    // Extra fonts 1..3 for the F markup; absent unless supplied.
    const std::optional<QFont>& extraFont(int n) const;
    void setExtraFont(int n, std::optional<QFont> font);

    // The grid font: cells draw with it unless their markup or cell object
    // says otherwise. The widget keeps it equal to its own font.
    const QFont& font() const { return font_; }
    void setFont(const QFont& font);

protected:
    void changed(Change what) const
    {
        if (listener_)
            listener_(what);
    }

private:
    size_t index(int c, int r) const { return size_t(r) * size_t(cols_) + size_t(c); }

    int cols_ = 0, rows_ = 0;
    int fixedRows_ = 1, fixedCols_ = 0;
    // Row-major, cols_ * rows_ entries each.
    std::vector<std::string> cells_;
    std::vector<std::unique_ptr<CellData>> data_;
    int defaultColWidth_ = DefaultColumnWidth, defaultRowHeight_ = DefaultRowHeight;
    std::vector<int> colWidths_, rowHeights_;
    Alignment alignment_ = AlignLeft;
    std::vector<std::optional<Alignment>> bodyAlign_, headingAlign_;
    std::array<std::optional<QFont>, 3> extraFonts_;
    QFont font_;
    Listener listener_;
};

// A report table: the grid with the names of the object and block it
// belongs to.
class ReportTable : public GridData {
public:
    using GridData::GridData;
    std::string objectName;
    std::string blockName;
};

} // namespace zentrova
