// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// A result row read by name: short cells, missing lines and rows the table
// does not have read as empty, never past a cell.
#include "structure/ResultRow.h"

#include <gtest/gtest.h>

using namespace zentrova;

namespace {

struct RowCase {
    const char* name;
    std::string position, names, function;
    PositionNumbers numbers;
    std::string objectName, blockName, elementName;
    long functionCode;
};

void PrintTo(const RowCase& c, std::ostream* os)
{
    *os << c.name;
}

class ResultRowCells : public testing::TestWithParam<RowCase> {};

TEST_P(ResultRowCells, ReadNumbersNamesAndFunction)
{
    const RowCase& c = GetParam();
    ResultTable t;
    const int r = t.appendRow();
    t.setCell(ResultColumn::Position, r, c.position);
    t.setCell(ResultColumn::Names, r, c.names);
    t.setCell(ResultColumn::Function, r, c.function);
    const ResultRow row(t, r);
    EXPECT_EQ(row.positionNumbers(), c.numbers);
    EXPECT_EQ((PositionNumbers{row.object(), row.block(), row.element()}), c.numbers);
    EXPECT_EQ(row.objectName(), c.objectName);
    EXPECT_EQ(row.blockName(), c.blockName);
    EXPECT_EQ(row.elementName(), c.elementName);
    EXPECT_EQ(row.functionCode(), c.functionCode);
    EXPECT_EQ(functionCodeOf(t, r), c.functionCode);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ResultRowCells,
    testing::Values(
        RowCase{
            "Received", "1\r5\r12", "001\r005\r012\r6,13", "2807\rRiso\r1 kV", {1, 5, 12}, "001", "005", "012", 2807},
        RowCase{"StrayCharactersInNumbers",
                "B1\r5a\r1x2",
                "Hall\rBoard\rFeed",
                "F 28 07",
                {1, 5, 12},
                "Hall",
                "Board",
                "Feed",
                2807},
        RowCase{"PositionOfOneLine", "7", "Hall", "2807", {7, 0, 0}, "Hall", "", "", 2807},
        RowCase{"EmptyLinesInside", "\r\r4", "\rBoard", "\r2807", {0, 0, 4}, "", "Board", "", 0},
        RowCase{"EmptyCells", "", "", "", {0, 0, 0}, "", "", "", 0}),
    [](const testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST(ResultRow, RowTheTableLacksReadsEmpty)
{
    ResultTable t;
    t.setCell(ResultColumn::Position, 1, "1\r2\r3");
    for (int r : {-1, 2, 99}) {
        const ResultRow row(t, r);
        EXPECT_EQ(row.index(), r);
        EXPECT_EQ(row.positionNumbers(), PositionNumbers{});
        EXPECT_EQ(row.elementName(), "");
        EXPECT_EQ(row.functionCode(), 0);
        EXPECT_EQ(row.results(), "");
        EXPECT_TRUE(row.lines(ResultColumn::Date).empty());
        EXPECT_EQ(row.itemOrder(), "");
    }
    EXPECT_EQ(ResultRow(t, 1).cell(ResultColumn(ResultTable::ColumnCount)), "") << "a column past the row";
}

TEST(ResultRow, ItemsAndLinesOfACell)
{
    ResultTable t;
    const int r = t.appendRow();
    t.setCell(ResultColumn::Results, r, "512507550");
    t.setCell(ResultColumn::SubResults, r, "513508\r\r5135081.5");
    t.setCell(ResultColumn::Parameters, r, "514509");
    t.setCell(ResultColumn::Date, r, "01.02.2026\r");
    t.setCell(ResultColumn::Time, r, "10:11");
    t.setItemOrder(r, "RMPD");
    const ResultRow row(t, r);
    EXPECT_EQ(row.results(), "512507550");
    EXPECT_EQ(row.lines(ResultColumn::SubResults), (std::vector<std::string>{"513508", "", "5135081.5"}));
    EXPECT_EQ(row.lines(ResultColumn::Date), (std::vector<std::string>{"01.02.2026", ""}));
    EXPECT_TRUE(row.lines(ResultColumn::Unused).empty()) << "an empty cell has no line";
    EXPECT_EQ(row.line(ResultColumn::SubResults, 3), "5135081.5");
    EXPECT_EQ(row.line(ResultColumn::SubResults, 4), "");
    EXPECT_EQ(row.line(ResultColumn::SubResults, 0), "");
    EXPECT_EQ(row.parameters(), "514509");
    EXPECT_EQ(row.time(), "10:11");
    EXPECT_EQ(row.itemOrder(), "RMPD");
}

TEST(ResultTable, IdentificationIsRowZero)
{
    ResultTable t;
    t.setIdentification(IdentificationColumn::Instrument, "Insulation\rtester\r5 kV\r12345678\rv1");
    t.setIdentification(IdentificationColumn::User, "Someone");
    EXPECT_EQ(t.cell(1, 0), "Insulation\rtester\r5 kV\r12345678\rv1");
    EXPECT_EQ(t.cell(3, 0), "Someone");
    EXPECT_EQ(t.identification(IdentificationColumn::Firm), "");
    EXPECT_EQ(nthLineView(t.identification(IdentificationColumn::Instrument), SerialNumberLine), "12345678");
    EXPECT_EQ(nthLineView(t.identification(IdentificationColumn::Instrument), InstrumentLine4), "v1");
    EXPECT_EQ(t.rowCount(), 1);
}

} // namespace
