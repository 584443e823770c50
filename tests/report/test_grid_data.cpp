// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/GridData.h"

#include <gtest/gtest.h>

#include <climits>

namespace zentrova {
namespace {

// Counts how many cell objects are alive, so the tests see them freed.
struct CountedData : CellData {
    explicit CountedData(int& alive) : alive(alive) { ++alive; }
    ~CountedData() override { --alive; }
    int& alive;
};

TEST(GridData, StartsLikeAStringGrid)
{
    GridData g;
    EXPECT_EQ(g.colCount(), 5);
    EXPECT_EQ(g.rowCount(), 5);
    EXPECT_EQ(g.fixedRows(), 1);
    EXPECT_EQ(g.fixedCols(), 0);
    EXPECT_EQ(g.colWidth(4), 64);
    EXPECT_EQ(g.rowHeight(4), 24);
    EXPECT_EQ(g.alignment(), AlignLeft);
    for (int n = 1; n <= 3; ++n)
        EXPECT_FALSE(g.extraFont(n));
}

TEST(GridData, OutOfRangeReadsEmptyAndWritesNothing)
{
    GridData g(2, 2);
    const std::vector<std::pair<int, int>> outside = {{-1, 0}, {0, -1}, {2, 0}, {0, 2}, {INT_MAX, INT_MAX}};
    for (auto [c, r] : outside) {
        g.setCell(c, r, "x");
        g.setCellData(c, r, std::make_unique<CellData>());
        EXPECT_EQ(g.cell(c, r), "");
        EXPECT_EQ(g.cellData(c, r), nullptr);
    }
    for (int i : {-1, 2, INT_MAX}) {
        g.setColWidth(i, 99);
        g.setRowHeight(i, 99);
    }
    EXPECT_EQ(g.colCount(), 2);
    EXPECT_EQ(g.rowCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(g.colWidth(i), 64);
        EXPECT_EQ(g.rowHeight(i), 24);
    }
}

TEST(GridData, ResizingKeepsCellsInPlaceAndFreesDropped)
{
    int alive = 0;
    GridData g(3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            g.setCell(c, r, std::to_string(c) + "," + std::to_string(r));
            g.setCellData(c, r, std::make_unique<CountedData>(alive));
        }
    g.setColWidth(1, 40);
    g.setColCount(5);
    EXPECT_EQ(g.cell(2, 2), "2,2");
    EXPECT_EQ(g.cell(4, 2), "");
    EXPECT_EQ(g.colWidth(1), 40);
    EXPECT_EQ(g.colWidth(4), 64);
    EXPECT_EQ(alive, 9);
    g.setColCount(2);
    EXPECT_EQ(alive, 6);
    EXPECT_EQ(g.cell(1, 2), "1,2");
    g.setRowCount(1);
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(g.cell(1, 0), "1,0");
    g.setRowCount(4);
    EXPECT_EQ(g.cell(1, 3), "");
    EXPECT_EQ(g.cellData(1, 3), nullptr);
    g.setRowCount(-3);
    EXPECT_EQ(g.rowCount(), 0);
    EXPECT_EQ(alive, 0);
}

TEST(GridData, ClearEmptiesCellsKeepsShape)
{
    int alive = 0;
    GridData g(2, 3);
    g.setCell(1, 2, "x");
    g.setCellData(0, 0, std::make_unique<CountedData>(alive));
    g.setRowHeight(2, 50);
    g.clear();
    EXPECT_EQ(g.cell(1, 2), "");
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.rowHeight(2), 50);
}

TEST(GridData, DefaultsResetEverySize)
{
    GridData g(3, 3);
    g.setColWidth(1, 200);
    g.setRowHeight(2, 200);
    g.setDefaultColWidth(30);
    g.setDefaultRowHeight(10);
    EXPECT_EQ(g.colWidth(1), 30);
    EXPECT_EQ(g.rowHeight(2), 10);
    g.setRowCount(5);
    EXPECT_EQ(g.rowHeight(4), 10);
    EXPECT_EQ(g.rowsHeight(0, 5), 50);
}

TEST(GridData, MoveRowCarriesTextObjectAndHeight)
{
    int alive = 0;
    GridData g(2, 4);
    for (int r = 0; r < 4; ++r)
        g.setCell(0, r, std::string(1, char('a' + r)));
    g.setCellData(1, 1, std::make_unique<CountedData>(alive));
    CellData* moved = g.cellData(1, 1);
    g.setRowHeight(1, 77);
    g.moveRow(1, 3);
    EXPECT_EQ(g.cell(0, 0) + g.cell(0, 1) + g.cell(0, 2) + g.cell(0, 3), "acdb");
    EXPECT_EQ(g.cellData(1, 3), moved);
    EXPECT_EQ(g.rowHeight(3), 77);
    g.moveRow(3, 0);
    EXPECT_EQ(g.cell(0, 0) + g.cell(0, 1) + g.cell(0, 2) + g.cell(0, 3), "bacd");
    EXPECT_EQ(alive, 1);
}

TEST(GridData, ColumnAlignmentLists)
{
    GridData g;
    g.setBodyColumnAlignment(3, AlignCenter);
    g.setHeadingColumnAlignment(1, AlignRight);
    // Columns without an entry, including those the list grew over, follow
    // the grid's alignment, also when it changes later.
    g.setAlignment(AlignRight);
    EXPECT_EQ(g.bodyColumnAlignment(0), AlignRight);
    EXPECT_EQ(g.bodyColumnAlignment(3), AlignCenter);
    EXPECT_EQ(g.bodyColumnAlignment(1), AlignRight);
    EXPECT_EQ(g.bodyColumnAlignment(99), AlignRight);
    EXPECT_EQ(g.bodyColumnAlignment(-1), AlignRight);
    g.setAlignment(AlignLeft);
    EXPECT_EQ(g.headingColumnAlignment(1), AlignRight);
    EXPECT_EQ(g.headingColumnAlignment(3), AlignLeft);
    // Fixed rows take the heading alignment.
    EXPECT_EQ(g.columnAlignment(1, 0), AlignRight);
    EXPECT_EQ(g.columnAlignment(1, 1), AlignLeft);
    EXPECT_EQ(g.columnAlignment(3, 1), AlignCenter);
    g.setBodyColumnAlignment(-5, AlignCenter);
    g.setBodyColumnAlignment(INT_MAX, AlignCenter);
    EXPECT_EQ(g.bodyColumnAlignment(INT_MAX), AlignLeft);
}

TEST(GridData, ListenerTellsContentFromGeometry)
{
    GridData g(2, 2);
    std::vector<GridData::Change> seen;
    g.setListener([&](GridData::Change c) { seen.push_back(c); });
    g.setCell(0, 0, "x");
    g.setRowCount(3);
    g.setRowHeight(2, 24); // unchanged: no notice
    g.setColWidth(0, 10);
    using C = GridData::Change;
    EXPECT_EQ(seen, (std::vector<C>{C::Content, C::Geometry, C::Geometry}));
}

} // namespace
} // namespace zentrova
