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
    TSAlign align;
    std::optional<LineColour> colour;
};

struct ParseCase {
    const char* name;
    std::string cell;
    std::vector<ExpectedLine> lines;
    bool bold = false;
    int font = 0;
};

constexpr auto kRed = LineColour::Red;
constexpr auto kGreen = LineColour::Green;
constexpr auto kBlue = LineColour::Blue;
constexpr auto kBlack = LineColour::Black;
const std::optional<LineColour> kNone;

class ParseCellTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCellTest, Lines)
{
    const ParseCase& c = GetParam();
    // Alignment left, so any A or cell-object change shows.
    const CellLayout got = ParseCell(c.cell, alsLeft);
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

const char kFF = char(255);

INSTANTIATE_TEST_SUITE_P(
    Markup, ParseCellTest,
    ::testing::Values(
        ParseCase{"Empty", "", {{"", alsLeft, kNone}}},
        ParseCase{"Lines", "a\rb", {{"a", alsLeft, kNone}, {"b", alsLeft, kNone}}},
        ParseCase{"TrailingCrGivesEmptyLine", "a\r", {{"a", alsLeft, kNone}, {"", alsLeft, kNone}}},
        ParseCase{"LineFeedsDropped", "a\n\rb\n", {{"a", alsLeft, kNone}, {"b", alsLeft, kNone}}},
        ParseCase{"C1Red", M('C', 1) + "Fail", {{"Fail", alsLeft, kRed}}},
        ParseCase{"C2Blue", M('C', 2) + "x", {{"x", alsLeft, kBlue}}},
        ParseCase{"C3Green", M('C', 3) + "Pass", {{"Pass", alsLeft, kGreen}}},
        ParseCase{"C4Black", "x" + M('C', 4), {{"x", alsLeft, kBlack}}},
        ParseCase{"CLastWins", M('C', 1) + "x" + M('C', 2), {{"x", alsLeft, kBlue}}},
        ParseCase{"CUnknownRemoved", M('C', 5) + M('C', '1') + "x", {{"x", alsLeft, kNone}}},
        ParseCase{"CColoursOnlyItsLine", "a\r" + M('C', 1) + "b",
                  {{"a", alsLeft, kNone}, {"b", alsLeft, kRed}}},
        ParseCase{"BangMakesRed", "R < 1.5 MOhm !", {{"R < 1.5 MOhm !", alsLeft, kRed}}},
        ParseCase{"BangBeatsC", M('C', 3) + "Pass!", {{"Pass!", alsLeft, kRed}}},
        ParseCase{"BangOnlyItsLine", "ok\rbad!", {{"ok", alsLeft, kNone}, {"bad!", alsLeft, kRed}}},
        ParseCase{"AOnlyItsLine", "one\r" + M('A', 'R') + "two\rthree",
                  {{"one", alsLeft, kNone}, {"two", alsRight, kNone}, {"three", alsLeft, kNone}}},
        ParseCase{"ACentreAndC", "x" + M('C', 2) + M('A', 'C'), {{"x", alsCenter, kBlue}}},
        ParseCase{"AUnknownRemoved", M('A', 'x') + "y", {{"y", alsLeft, kNone}}},
        ParseCase{"AtEndOfLineIsText", "a" + std::string{kFF, 'A'} + "\rb",
                  {{"a" + std::string{kFF, 'A'}, alsLeft, kNone}, {"b", alsLeft, kNone}}},
        ParseCase{"HHidesN", "ab" + M('H', 2) + "cdef", {{"abef", alsLeft, kNone}}},
        ParseCase{"HZero", "ab" + M('H', 0) + "cd", {{"abcd", alsLeft, kNone}}},
        ParseCase{"HPastEnd", "ab" + M('H', 200) + "cd", {{"ab", alsLeft, kNone}}},
        ParseCase{"HHidesLineBreak", "a" + M('H', 1) + "\rb", {{"ab", alsLeft, kNone}}},
        ParseCase{"HHidesMarkup", "x" + M('H', 3) + M('C', 1) + "y", {{"xy", alsLeft, kNone}}},
        // A CR inside the text is a parameter like any other byte.
        ParseCase{"HWithCrParameter", "a" + std::string{kFF, 'H', '\r'} + "b", {{"a", alsLeft, kNone}}},
        ParseCase{"TrailingLead", "abc" + std::string{kFF}, {{"abc" + std::string{kFF}, alsLeft, kNone}}},
        ParseCase{"TrailingLeadAndLetter", "abc" + std::string{kFF, 'H'},
                  {{"abc" + std::string{kFF, 'H'}, alsLeft, kNone}}},
        ParseCase{"LeadWithoutCommand", std::string{kFF, 'x', 'y'}, {{std::string{kFF, 'x', 'y'}, alsLeft, kNone}}},
        ParseCase{"LowercaseIsNoCommand", std::string{kFF, 'c', 1}, {{std::string{kFF, 'c', 1}, alsLeft, kNone}}},
        // Removing one sequence joins the 255 before it to what follows.
        ParseCase{"RemovalJoins", std::string{kFF} + M('N', 'x') + "Nyz", {{"z", alsLeft, kNone}}},
        ParseCase{"Bold", M('B', 0) + "Bold", {{"Bold", alsLeft, kNone}}, true},
        ParseCase{"Font2", M('F', 2) + "x", {{"x", alsLeft, kNone}}, false, 2},
        ParseCase{"FontLastWins", M('F', 2) + "x" + M('F', 7), {{"x", alsLeft, kNone}}, false, 0},
        ParseCase{"NRemoved", "a" + M('N', 'q') + "b", {{"ab", alsLeft, kNone}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseCell, StartAlignmentAppliesToEveryLine)
{
    const CellLayout l = ParseCell("a\rb", alsCenter);
    EXPECT_EQ(l.lines[0].align, alsCenter);
    EXPECT_EQ(l.lines[1].align, alsCenter);
}

TEST(ParseCell, CellObjectAlignsLinesOverMarkup)
{
    TCellData data;
    data.lineAlignments = "Rx"; // line 1: not a letter, line 2: past the end
    const CellLayout l = ParseCell(M('A', 'L') + "a\r" + M('A', 'C') + "b\rc", alsLeft, &data);
    ASSERT_EQ(l.lines.size(), 3u);
    EXPECT_EQ(l.lines[0].align, alsRight);
    EXPECT_EQ(l.lines[1].align, alsCenter);
    EXPECT_EQ(l.lines[2].align, alsLeft);
}

TEST(ParseCell, CellObjectAlignmentsStopAt203)
{
    TCellData data;
    data.lineAlignments = std::string(300, 'R');
    std::string cell;
    for (int i = 0; i < 210; ++i)
        cell += "x\r";
    const CellLayout l = ParseCell(cell, alsLeft, &data);
    EXPECT_EQ(l.lines[202].align, alsRight);
    EXPECT_EQ(l.lines[203].align, alsLeft);
}

TEST(ParseCell, CellObjectFontDropsColourButKeepsBang)
{
    TCellData data;
    data.font = QFont("DejaVu Sans", 9);
    const CellLayout l = ParseCell(M('C', 1) + "Fail\r" + M('C', 3) + "Pass!", alsLeft, &data);
    EXPECT_EQ(l.lines[0].colour, kNone);
    EXPECT_EQ(l.lines[1].colour, kRed);
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
        {"end" + std::string{kFF}, "end" + std::string{kFF}},
        {"", ""},
        {"a\r\r", "a\r\r"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleText(c.cell), c.shown);
}

TEST(ParseCell, ArbitraryBytesStayInside)
{
    // Texts dense in lead bytes, command letters and line breaks: every line
    // comes from the text, nothing is invented, nothing read past the end.
    const std::string alphabet = std::string{kFF, kFF, kFF, '\r', '\n', '!', 0, 1, 2, 3} + "HFNBACx";
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string cell(size_t(rng() % 24), ' ');
        for (char& ch : cell)
            ch = alphabet[rng() % alphabet.size()];
        const std::string shown = VisibleText(cell);
        ASSERT_LE(shown.size(), cell.size());
        const CellLayout l = ParseCell(cell, alsRight);
        ASSERT_FALSE(l.lines.empty());
        ASSERT_EQ(l.lines.size(), size_t(std::count(shown.begin(), shown.end(), '\r')) + 1);
        ASSERT_EQ(shown.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace zentrova
