// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/CellMarkup.h"

#include <gtest/gtest.h>

#include <random>

namespace zentrova {
namespace {

std::string M(char letter, unsigned char param)
{
    return std::string{char(255), letter, char(param)};
}

struct ExpectedLine {
    std::string text;
    Alignment align;
    std::optional<LineColour> colour;
};

struct ParseCase {
    const char* name;
    std::string cell;
    std::vector<ExpectedLine> lines;
    bool bold = false;
    int font = 0;
};

constexpr auto RedLine = LineColour::Red;
constexpr auto GreenLine = LineColour::Green;
constexpr auto BlueLine = LineColour::Blue;
constexpr auto BlackLine = LineColour::Black;
const std::optional<LineColour> NoLine;

// Cases are named by their name in test output, not dumped as bytes.
void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.name;
}

class ParseCellTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCellTest, Lines)
{
    const ParseCase& c = GetParam();
    // Alignment left, so any A or cell-object change shows.
    const CellLayout got = parseCell(c.cell, AlignLeft);
    ASSERT_EQ(got.lines.size(), c.lines.size());
    for (size_t i = 0; i < c.lines.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got.lines[i].text, c.lines[i].text);
        EXPECT_EQ(got.lines[i].align, c.lines[i].align);
        EXPECT_EQ(got.lines[i].colour, c.lines[i].colour);
    }
    EXPECT_EQ(got.bold, c.bold);
    EXPECT_EQ(got.fontIndex, c.font);
}

const char ByteFF = char(255);

INSTANTIATE_TEST_SUITE_P(
    Markup, ParseCellTest,
    ::testing::Values(
        ParseCase{"Empty", "", {{"", AlignLeft, NoLine}}},
        ParseCase{"Lines", "a\rb", {{"a", AlignLeft, NoLine}, {"b", AlignLeft, NoLine}}},
        ParseCase{"TrailingCrGivesEmptyLine", "a\r", {{"a", AlignLeft, NoLine}, {"", AlignLeft, NoLine}}},
        ParseCase{"LineFeedsDropped", "a\n\rb\n", {{"a", AlignLeft, NoLine}, {"b", AlignLeft, NoLine}}},
        ParseCase{"C1Red", M('C', 1) + "Fail", {{"Fail", AlignLeft, RedLine}}},
        ParseCase{"C2Blue", M('C', 2) + "x", {{"x", AlignLeft, BlueLine}}},
        ParseCase{"C3Green", M('C', 3) + "Pass", {{"Pass", AlignLeft, GreenLine}}},
        ParseCase{"C4Black", "x" + M('C', 4), {{"x", AlignLeft, BlackLine}}},
        ParseCase{"CLastWins", M('C', 1) + "x" + M('C', 2), {{"x", AlignLeft, BlueLine}}},
        ParseCase{"CUnknownRemoved", M('C', 5) + M('C', '1') + "x", {{"x", AlignLeft, NoLine}}},
        ParseCase{
            "CColoursOnlyItsLine", "a\r" + M('C', 1) + "b", {{"a", AlignLeft, NoLine}, {"b", AlignLeft, RedLine}}},
        ParseCase{"BangMakesRed", "R < 1.5 MOhm !", {{"R < 1.5 MOhm !", AlignLeft, RedLine}}},
        ParseCase{"BangBeatsC", M('C', 3) + "Pass!", {{"Pass!", AlignLeft, RedLine}}},
        ParseCase{"BangOnlyItsLine", "ok\rbad!", {{"ok", AlignLeft, NoLine}, {"bad!", AlignLeft, RedLine}}},
        ParseCase{"AOnlyItsLine",
                  "one\r" + M('A', 'R') + "two\rthree",
                  {{"one", AlignLeft, NoLine}, {"two", AlignRight, NoLine}, {"three", AlignLeft, NoLine}}},
        ParseCase{"ACentreAndC", "x" + M('C', 2) + M('A', 'C'), {{"x", AlignCenter, BlueLine}}},
        ParseCase{"AUnknownRemoved", M('A', 'x') + "y", {{"y", AlignLeft, NoLine}}},
        ParseCase{"AtEndOfLineIsText",
                  "a" + std::string{ByteFF, 'A'} + "\rb",
                  {{"a" + std::string{ByteFF, 'A'}, AlignLeft, NoLine}, {"b", AlignLeft, NoLine}}},
        ParseCase{"HHidesN", "ab" + M('H', 2) + "cdef", {{"abef", AlignLeft, NoLine}}},
        ParseCase{"HZero", "ab" + M('H', 0) + "cd", {{"abcd", AlignLeft, NoLine}}},
        ParseCase{"HPastEnd", "ab" + M('H', 200) + "cd", {{"ab", AlignLeft, NoLine}}},
        ParseCase{"HHidesLineBreak", "a" + M('H', 1) + "\rb", {{"ab", AlignLeft, NoLine}}},
        ParseCase{"HHidesMarkup", "x" + M('H', 3) + M('C', 1) + "y", {{"xy", AlignLeft, NoLine}}},
        // A CR inside the text is a parameter like any other byte.
        ParseCase{"HWithCrParameter", "a" + std::string{ByteFF, 'H', '\r'} + "b", {{"a", AlignLeft, NoLine}}},
        ParseCase{"TrailingLead", "abc" + std::string{ByteFF}, {{"abc" + std::string{ByteFF}, AlignLeft, NoLine}}},
        ParseCase{"TrailingLeadAndLetter",
                  "abc" + std::string{ByteFF, 'H'},
                  {{"abc" + std::string{ByteFF, 'H'}, AlignLeft, NoLine}}},
        ParseCase{
            "LeadWithoutCommand", std::string{ByteFF, 'x', 'y'}, {{std::string{ByteFF, 'x', 'y'}, AlignLeft, NoLine}}},
        ParseCase{
            "LowercaseIsNoCommand", std::string{ByteFF, 'c', 1}, {{std::string{ByteFF, 'c', 1}, AlignLeft, NoLine}}},
        // Removing one sequence joins the 255 before it to what follows.
        ParseCase{"RemovalJoins", std::string{ByteFF} + M('N', 'x') + "Nyz", {{"z", AlignLeft, NoLine}}},
        ParseCase{"Bold", M('B', 0) + "Bold", {{"Bold", AlignLeft, NoLine}}, true},
        ParseCase{"Font2", M('F', 2) + "x", {{"x", AlignLeft, NoLine}}, false, 2},
        ParseCase{"FontLastWins", M('F', 2) + "x" + M('F', 7), {{"x", AlignLeft, NoLine}}, false, 0},
        ParseCase{"NRemoved", "a" + M('N', 'q') + "b", {{"ab", AlignLeft, NoLine}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseCell, StartAlignmentAppliesToEveryLine)
{
    const CellLayout l = parseCell("a\rb", AlignCenter);
    EXPECT_EQ(l.lines[0].align, AlignCenter);
    EXPECT_EQ(l.lines[1].align, AlignCenter);
}

TEST(ParseCell, CellObjectAlignsLinesOverMarkup)
{
    CellData data;
    data.lineAlignments = "Rx"; // line 1: not a letter, line 2: past the end
    const CellLayout l = parseCell(M('A', 'L') + "a\r" + M('A', 'C') + "b\rc", AlignLeft, &data);
    ASSERT_EQ(l.lines.size(), 3u);
    EXPECT_EQ(l.lines[0].align, AlignRight);
    EXPECT_EQ(l.lines[1].align, AlignCenter);
    EXPECT_EQ(l.lines[2].align, AlignLeft);
}

TEST(ParseCell, CellObjectAlignmentsStopAt203)
{
    CellData data;
    data.lineAlignments = std::string(300, 'R');
    std::string cell;
    for (int i = 0; i < 210; ++i)
        cell += "x\r";
    const CellLayout l = parseCell(cell, AlignLeft, &data);
    EXPECT_EQ(l.lines[202].align, AlignRight);
    EXPECT_EQ(l.lines[203].align, AlignLeft);
}

TEST(ParseCell, CellObjectFontDropsColourButKeepsBang)
{
    CellData data;
    data.font = QFont("DejaVu Sans", 9);
    const CellLayout l = parseCell(M('C', 1) + "Fail\r" + M('C', 3) + "Pass!", AlignLeft, &data);
    EXPECT_EQ(l.lines[0].colour, NoLine);
    EXPECT_EQ(l.lines[1].colour, RedLine);
}

struct VisibleCase {
    std::string cell, shown;
};

TEST(VisibleText, RemovesMarkupAndHiddenText)
{
    const std::vector<VisibleCase> cases = {
        {M('C', 1) + "Fail", "Fail"},
        {"a\n\rb", "a\rb"},
        {M('B', 0) + "R" + M('H', 4) + "xxxx < 1" + M('A', 'C') + "\r" + M('C', 3) + "ok", "R < 1\rok"},
        {"end" + std::string{ByteFF}, "end" + std::string{ByteFF}},
        {"", ""},
        {"a\r\r", "a\r\r"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(visibleText(c.cell), c.shown);
}

TEST(ParseCell, ArbitraryBytesStayInside)
{
    // Texts dense in lead bytes, command letters and line breaks: every line
    // comes from the text, nothing is invented, nothing read past the end.
    const std::string alphabet = std::string{ByteFF, ByteFF, ByteFF, '\r', '\n', '!', 0, 1, 2, 3} + "HFNBACx";
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string cell(size_t(rng() % 24), ' ');
        for (char& ch : cell)
            ch = alphabet[rng() % alphabet.size()];
        const std::string shown = visibleText(cell);
        ASSERT_LE(shown.size(), cell.size());
        const CellLayout l = parseCell(cell, AlignRight);
        ASSERT_FALSE(l.lines.empty());
        ASSERT_EQ(l.lines.size(), size_t(std::count(shown.begin(), shown.end(), '\r')) + 1);
        ASSERT_EQ(shown.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace zentrova
