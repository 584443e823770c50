// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The structure file: writer and reader against hand-made files and each other.
#include "test_file_support.h"

#include "base/TextRules.h"

#include <gtest/gtest.h>

#include <QDir>

namespace zentrova::test {
namespace {

// name/kind/number[children], siblings separated by ",".
std::string shape(const std::vector<std::unique_ptr<ElementNode>>& nodes)
{
    std::string s;
    for (const auto& n : nodes) {
        if (!s.empty())
            s += ",";
        s += n->name + "/" + std::to_string(n->info.kind) + "/" + std::to_string(n->info.number);
        if (!n->children().empty())
            s += "[" + shape(n->children()) + "]";
    }
    return s;
}

std::string split(const std::string& bytes, int line) // 1-based line of a CR LF file
{
    size_t start = 0;
    for (int i = 1; i < line; ++i)
        start = bytes.find("\r\n", start) + 2;
    return bytes.substr(start, bytes.find("\r\n", start) - start);
}

TEST(ResultsSealTest, FollowsTheFormula)
{
    const int32_t base14 = 21 * 5820417 + 13 + 14;
    EXPECT_EQ(resultsSeal(14, ""), base14);
    EXPECT_EQ(resultsSeal(14, "abc"), base14 + 590);
    // Bytes count as unsigned codes.
    EXPECT_EQ(resultsSeal(14, "\xe8"), base14 + 232);
    // 32-bit wrap-around: (255 + 7) x M + 268 plus a long serial passes 2^31.
    const std::string serial(4000, 'z');
    int64_t expected = int64_t(262) * 5820417 + 13 + 255;
    for (int j = 1; j <= 4000; ++j)
        expected += int64_t(j) * 'z';
    EXPECT_EQ(resultsSeal(255, serial), int32_t(uint32_t(uint64_t(expected))));
    EXPECT_LT(resultsSeal(255, serial), 0);
}

class FileFormatTest : public ::testing::Test {
protected:
    FileFixture f;
    ReadResult load(const std::string& bytes) { return loadStructure(f.env, bytes, "test"); }
};

TEST_F(FileFormatTest, NewStructureWritesTheFixedLayout)
{
    f.ctx().document.familyCode = 14; // as after a transfer, the only way to a new structure
    resetToNewStructure(f.ctx().document, f.ctx().language, f.ctx().defaultNames);
    const std::string written = composeStructureFile(f.ctx().language, f.ctx().document, &f.progress);
    EXPECT_EQ(written, dataBytes("new_structure.ZIT"));
    EXPECT_EQ(split(written, 248), "*** STRUCTURE DATA");
    EXPECT_EQ(f.progress.line1, f.ctx().language.texts.text("Wait_25"));
    EXPECT_FALSE(f.progress.cancelShown);
}

// Files written by the program itself read and write back byte for byte.
TEST_F(FileFormatTest, CanonicalFilesWriteBackIdentically)
{
    for (const char* name : {"new_structure.ZIT", "full.ZIT", "odd_kinds.ZIT"}) {
        SCOPED_TRACE(name);
        const std::string original = dataBytes(name);
        ASSERT_EQ(load(original).outcome, ReadOutcome::Read);
        EXPECT_EQ(composeStructureFile(f.ctx().language, f.ctx().document), original);
    }
}

struct HandMadeCase {
    const char* file;
    ReadOutcome outcome;
    const char* tree;
    const char* checks;
    bool discarded;
    int pages;
};

const char* const FullTree = "Main/1/1[Outlet 1/13/1,Outlet\r2/13/2],Garage/1/2[Door/13/1]";

void PrintTo(const HandMadeCase& c, std::ostream* os)
{
    *os << c.file;
}

class HandMadeFileTest : public FileFormatTest, public ::testing::WithParamInterface<HandMadeCase> {};

TEST_P(HandMadeFileTest, ReadsAsWritten)
{
    const HandMadeCase& c = GetParam();
    f.ctx().document.comments.checks = "xyz";
    const ReadResult r = load(dataBytes(c.file));
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(shape(f.ctx().document.structure.tree.roots()), c.tree);
    if (c.outcome != ReadOutcome::FamilyNotServed) {
        EXPECT_EQ(f.ctx().document.comments.checks, c.checks);
    }
    EXPECT_EQ(f.ctx().document.resultsDiscarded, c.discarded);
    EXPECT_EQ(f.pages.count(), c.pages);
    EXPECT_TRUE(f.ctx().document.saved);
    EXPECT_FALSE(f.progress.visible);
    EXPECT_EQ(f.ctx().document.structure.tree.selected, f.ctx().document.structure.tree.first());
}

INSTANTIATE_TEST_SUITE_P(
    Files, HandMadeFileTest,
    ::testing::Values(HandMadeCase{"full.ZIT", ReadOutcome::Read, FullTree, "011", false, 6},
                      HandMadeCase{"full_lf.ZIT", ReadOutcome::Read, FullTree, "011", false, 6},
                      HandMadeCase{"version10.ZIT", ReadOutcome::Read, FullTree, "011", false, 0},
                      HandMadeCase{"no_comments2.ZIT", ReadOutcome::Read, FullTree, "011", false, 0},
                      HandMadeCase{"short_comments.ZIT", ReadOutcome::Read, FullTree, "101", false, 0},
                      HandMadeCase{"short_switch.ZIT", ReadOutcome::Read, FullTree, "101", false, 0},
                      HandMadeCase{"changed_serial.ZIT", ReadOutcome::Read, FullTree, "011", true, 0},
                      // Family 14 keeps two levels: 3, 7 and 7 all go under the first object.
                      HandMadeCase{"kinds.ZIT", ReadOutcome::Read,
                                   "Obj A/1/1[Block/3/1,Fuse 1/7/1,Fuse 2/7/2],Obj B/1/2[Point/13/1]", "011", false, 0},
                      // 200 is past the known kinds: level 3 (here 2), no image. 0 has level 0: top.
                      HandMadeCase{"odd_kinds.ZIT", ReadOutcome::Read, "Top/1/1[Unknown/200/5],Unset/0/0[Below/13/3]",
                                   "011", false, 0},
                      HandMadeCase{"other_family.ZIT", ReadOutcome::FamilyNotServed, "", "", false, 0},
                      HandMadeCase{"truncated_table.ZIT", ReadOutcome::Read, FullTree, "011", false, 0},
                      HandMadeCase{"damaged_page.ZIT", ReadOutcome::Damaged, FullTree, "011", false, 1}),
    [](const auto& info) {
        std::string n = info.param.file;
        n.resize(n.find('.'));
        return n;
    });

TEST_F(FileFormatTest, FullFileFillsEveryPartOfTheModel)
{
    ASSERT_EQ(load(dataBytes("full.ZIT")).outcome, ReadOutcome::Read);
    AppContext& c = f.ctx();
    EXPECT_EQ(c.document.heading.op[1], "Measuring Lab \xe8rni");
    EXPECT_EQ(c.document.heading.site[2], "Floor 2");
    EXPECT_EQ(c.document.heading.logo, "C:\\logos\\lab.bmp");
    EXPECT_EQ(c.document.heading.logoMode, 1);
    EXPECT_EQ(c.document.comments.lines[19], "Comment line 20");
    EXPECT_EQ(c.document.comments.lines[25], "Line 26 of the long comments");
    EXPECT_EQ(c.document.comments.lines[199], "Last line 200");
    EXPECT_EQ(c.document.comments.autotest[4], "Auto 5");
    EXPECT_EQ(c.document.structure.tree.roots()[0]->info.selection, "1101");
    EXPECT_EQ(nthLine(cellOf(c, 1, 0), 4), "12345678");
    EXPECT_EQ(cellOf(c, 4, 1), "aaa\rbbb"); // code 2 in a cell is a line break
    EXPECT_EQ(cellOf(c, 9, 3), "9");

    ASSERT_EQ(f.pages.count(), 6);
    const int kinds[] = {1, 2, 5, 3, 4, 6};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(f.pages.entry(i).kind, kinds[i - 1]);
    const ReportPage* obj = f.pages.page(ReportObject, 1);
    EXPECT_EQ(obj->edit(14), "0.45");
    EXPECT_EQ(obj->label(1), c.language.reportLabels.objLabels[0]);
    const ReportPage* blok = f.pages.page(ReportDistributionBlock, 1);
    EXPECT_TRUE(blok->checked(1));
    EXPECT_FALSE(blok->checked(18));
    EXPECT_EQ(blok->blockName, "Main");
    const auto* plan = static_cast<const FloorPlanPage*>(f.pages.page(ReportFloorPlan, 1));
    EXPECT_EQ(plan->imagePath(), "plan-that-does-not-exist.png");
    EXPECT_TRUE(plan->picture().isNull());
    const ReportTables* t5 = f.pages.tables(ReportBlockTables, 1);
    EXPECT_EQ(t5->a->cell(0, 3), "F2\rsockets");
    EXPECT_EQ(subDataOf(*t5->a)->text1, "Measured with the cover off");
    const ReportTables* t6 = f.pages.tables(ReportLightningTables, 1);
    EXPECT_EQ(t6->b->cell(1, 1), "Ohm");
    EXPECT_EQ(subDataOf(*t6->a)->text2, "Second note");
}

TEST_F(FileFormatTest, OlderFormKeepsTheNewHeadingLinesEmpty)
{
    f.ctx().document.heading.op[2] = "stale";
    ASSERT_EQ(load(dataBytes("version10.ZIT")).outcome, ReadOutcome::Read);
    const PrintoutHeading& h = f.ctx().document.heading;
    EXPECT_EQ(h.op[0], "Ana Novak");
    EXPECT_EQ(h.footer[0], "Footer one");
    EXPECT_EQ(h.site[1], "Ljubljana");
    EXPECT_EQ(h.logo, "C:\\logos\\lab.bmp");
    for (const std::string* s : {&h.op[2], &h.footer[1], &h.footer[2], &h.site[2]})
        EXPECT_EQ(*s, "");
    EXPECT_EQ(cellOf(f.ctx(), 3, 3), "503");
}

TEST_F(FileFormatTest, ShortCommentBlocksLeaveTheRestEmpty)
{
    f.ctx().document.comments.lines[150] = "stale";
    ASSERT_EQ(load(dataBytes("no_comments2.ZIT")).outcome, ReadOutcome::Read);
    EXPECT_EQ(f.ctx().document.comments.lines[19], "Comment line 20");
    EXPECT_EQ(f.ctx().document.comments.lines[25], "");
    EXPECT_EQ(f.ctx().document.comments.lines[150], "");
    ASSERT_EQ(load(dataBytes("short_comments.ZIT")).outcome, ReadOutcome::Read);
    EXPECT_EQ(f.ctx().document.comments.lines[2], "c3");
    EXPECT_EQ(f.ctx().document.comments.lines[3], "");
}

TEST_F(FileFormatTest, ChangedSerialEmptiesEveryResultCellButKeepsTheRest)
{
    ASSERT_EQ(load(dataBytes("changed_serial.ZIT")).outcome, ReadOutcome::Read);
    const ResultTable& t = f.ctx().document.structure.table;
    EXPECT_EQ(t.rowCount(), 4);
    for (int r = 0; r < t.rowCount(); ++r)
        for (const auto& cell : t.row(r))
            EXPECT_EQ(cell, "");
    EXPECT_EQ(f.ctx().document.heading.op[0], "Ana Novak");
}

TEST_F(FileFormatTest, FileEndingInsideTheTableKeepsWhatWasRead)
{
    ASSERT_EQ(load(dataBytes("truncated_table.ZIT")).outcome, ReadOutcome::Read);
    // The row the file never reached is no result.
    EXPECT_EQ(f.ctx().document.structure.table.rowCount(), 3);
    EXPECT_EQ(cellOf(f.ctx(), 4, 2), "5.2");
    EXPECT_EQ(cellOf(f.ctx(), 3, 3), "");
}

TEST_F(FileFormatTest, OtherFamilyReadsNothingButTheFamily)
{
    ASSERT_EQ(load(dataBytes("other_family.ZIT")).outcome, ReadOutcome::FamilyNotServed);
    EXPECT_EQ(f.ctx().document.familyCode, 6);
    EXPECT_NE(f.ctx().document.heading.op[0], "Ana Novak");
    EXPECT_EQ(f.ctx().document.structure.table.rowCount(), 1);
}

TEST_F(FileFormatTest, NotAStructureFileLeavesTheModelEmpty)
{
    ASSERT_EQ(load(dataBytes("full.ZIT")).outcome, ReadOutcome::Read);
    EXPECT_EQ(load("*** INSTAL STRUCTURE v12\r\n14\r\n").outcome, ReadOutcome::NotStructure);
    EXPECT_TRUE(f.ctx().document.structure.tree.empty());
    EXPECT_EQ(f.ctx().document.structure.table.rowCount(), 1);
    EXPECT_TRUE(f.pages.empty()); // the previous structure's pages went with it
    EXPECT_EQ(load("").outcome, ReadOutcome::NotStructure);
}

TEST_F(FileFormatTest, DamagedPageRecordEndsReadingCleanly)
{
    const ReadResult r = load(dataBytes("damaged_page.ZIT"));
    ASSERT_EQ(r.outcome, ReadOutcome::Damaged);
    EXPECT_NE(r.message.find("X1"), std::string::npos);
    EXPECT_EQ(f.pages.page(ReportObject, 1)->objectName, "First");
    EXPECT_EQ(f.pages.page(ReportObject, 2), nullptr);
    EXPECT_EQ(cellOf(f.ctx(), 3, 1), "501"); // results read before the damage stay
    EXPECT_FALSE(f.progress.visible);
}

// Builds a file around a result table of `rows` x `cols` declared cells.
std::string withTable(int rows, int cols, const std::string& pages = {})
{
    std::string s = dataBytes("new_structure.ZIT");
    s.resize(s.find("*** TABLE DATA"));
    s += "*** TABLE DATA\r\n" + std::to_string(rows) + "\r\n" + std::to_string(cols) + "\r\n";
    for (long i = 0; i < long(rows) * cols; ++i)
        s += (i == cols + 3) ? "501\r\n" : "\r\n";
    return s + pages + "*** KONEC\r\n";
}

TEST_F(FileFormatTest, TableLimits)
{
    struct Case {
        int rows, cols;
        int expectRows;
    };
    // A transfer can give 65,535 results below the identification row.
    for (const Case& c :
         {Case{10001, 10, 10001}, Case{65536, 10, 65536}, Case{65537, 10, 1}, Case{3, 1000, 3}, Case{3, 1001, 1}}) {
        SCOPED_TRACE(std::to_string(c.rows) + "x" + std::to_string(c.cols));
        const std::string page = "\r\n*** PROTOCOL DATA\r\n1\r\n1\r\nObj\r\n";
        ASSERT_EQ(load(withTable(c.rows, c.cols, page)).outcome, ReadOutcome::Read);
        EXPECT_EQ(f.ctx().document.structure.table.rowCount(), c.expectRows);
        // A refused table skips the page records too.
        EXPECT_EQ(f.pages.count(), c.expectRows > 1 ? 1 : 0);
    }
}

TEST_F(FileFormatTest, PageKindsOutsideTheSetAreSkipped)
{
    const std::string pages = "*** PROTOCOL DATA\r\n7\r\n1\r\nnot a page\r\n"
                              "*** PROTOCOL DATA\r\n0\r\n1\r\n"
                              "*** PROTOCOL DATA\r\n1\r\n1\r\nKept\r\n";
    ASSERT_EQ(load(withTable(2, 10, pages)).outcome, ReadOutcome::Read);
    ASSERT_EQ(f.pages.count(), 1);
    EXPECT_EQ(f.pages.page(ReportObject, 1)->objectName, "Kept");
}

TEST_F(FileFormatTest, ReportTableLargerThanTheFileHoldsIsBounded)
{
    const std::string pages = "*** PROTOCOL DATA\r\n5\r\n1\r\nObj\r\nBlk\r\n65536\r\n1000\r\n\r\n\r\nc0\r\nc1\r\n";
    ASSERT_EQ(load(withTable(2, 10, pages)).outcome, ReadOutcome::Read);
    const ReportTables* t = f.pages.tables(ReportBlockTables, 1);
    ASSERT_NE(t, nullptr);
    EXPECT_LE(t->a->rowCount(), 3); // a new table's rows; the file fills none past them
    EXPECT_EQ(t->a->cell(1, 0), "c1");
    const std::string tooWide = "*** PROTOCOL DATA\r\n5\r\n1\r\nObj\r\nBlk\r\n1\r\n1001\r\n\r\n\r\n";
    EXPECT_EQ(load(withTable(2, 10, tooWide)).outcome, ReadOutcome::Damaged);
}

// Report tables of blocks (kind 5) and lightning-protection sets (kind 6):
// a table read from a file grows to the file's size and never shrinks below a
// new table; the writer writes the size it holds.
TEST_F(FileFormatTest, ReportTablesGrowToTheFileNeverBelowANewTable)
{
    struct Stored {
        int rows, cols;
    };
    struct Case {
        ReportKind kind;
        Stored a, b;
        Stored expectA, expectB;
    };
    auto table = [](const Stored& t) {
        std::string s = "Obj\r\nBlk\r\n" + std::to_string(t.rows) + "\r\n" + std::to_string(t.cols) + "\r\n\r\n\r\n";
        for (int r = 0; r < t.rows; ++r)
            for (int c = 0; c < t.cols; ++c)
                s += "r" + std::to_string(r) + "c" + std::to_string(c) + "\r\n";
        return s;
    };
    const Case cases[] = {
        {ReportBlockTables, {2, 4}, {6, 7}, {3, 11}, {6, 7}},
        {ReportBlockTables, {0, 0}, {3, 5}, {3, 11}, {3, 5}},
        {ReportLightningTables, {2, 2}, {4, 1}, {3, 5}, {4, 2}},
        {ReportLightningTables, {5, 6}, {0, 3}, {5, 6}, {3, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + ", A " + std::to_string(c.a.rows) + "x" +
                     std::to_string(c.a.cols) + ", B " + std::to_string(c.b.rows) + "x" + std::to_string(c.b.cols));
        const std::string page =
            "*** PROTOCOL DATA\r\n" + std::to_string(c.kind) + "\r\n1\r\n" + table(c.a) + table(c.b);
        ASSERT_EQ(load(withTable(2, 10, page)).outcome, ReadOutcome::Read);
        const ReportTables* t = f.pages.tables(c.kind, 1);
        ASSERT_NE(t, nullptr);
        const auto fresh = newReportTable(c.kind, 0, f.ctx().language.texts, reportTableFont());
        for (int which = 0; which < 2; ++which) {
            const ReportTable& read = *t->table(which);
            const Stored& stored = which ? c.b : c.a;
            const Stored& expect = which ? c.expectB : c.expectA;
            EXPECT_EQ(read.rowCount(), expect.rows) << "table " << which;
            EXPECT_EQ(read.colCount(), expect.cols) << "table " << which;
            if (stored.rows > 0 && stored.cols > 0) {
                EXPECT_EQ(read.cell(stored.cols - 1, stored.rows - 1),
                          "r" + std::to_string(stored.rows - 1) + "c" + std::to_string(stored.cols - 1));
            }
        }
        // Cells the file does not give keep the new table's headings.
        if (c.a.cols < fresh->colCount()) {
            EXPECT_EQ(t->a->cell(fresh->colCount() - 1, 0), fresh->cell(fresh->colCount() - 1, 0));
        }

        const std::string written = composeStructureFile(f.ctx().language, f.ctx().document);
        const std::string declared =
            "\r\nObj\r\nBlk\r\n" + std::to_string(c.expectA.rows) + "\r\n" + std::to_string(c.expectA.cols) + "\r\n";
        EXPECT_NE(written.find(declared), std::string::npos) << "written as held";
        ASSERT_EQ(load(written).outcome, ReadOutcome::Read);
        EXPECT_EQ(composeStructureFile(f.ctx().language, f.ctx().document), written);
    }
}

// A model with every kind of content, written and read back.
TEST_F(FileFormatTest, RoundTripKeepsEverything)
{
    AppContext& c = f.ctx();
    c.document.familyCode = 14;
    c.document.heading.op = {"op 1", "op\xe8 2", ""};
    c.document.heading.logoMode = 1;
    c.document.comments.lines[0] = "*** COMMENTS2"; // text that the reader takes for a marker
    c.document.comments.lines[1] = "*** STRUCTURE DATA";
    c.document.comments.lines[150] = "deep";
    c.document.comments.autotest[2] = "auto";
    c.document.comments.checks = "110";
    ElementNode* top = addElementNode(c.document, nullptr);
    top->name = "Board\r2";
    top->info = {KindObject, "1011", 7};
    ElementNode* child = addElementNode(c.document, top);
    child->name = "Socket\twith tab";
    child->info = {KindMeasuringPoint, "", 3};
    c.document.structure.table.setCell(1, 0, "id\rhw\rfw\r" + std::string(6000, 'z')); // seal wraps below zero
    c.document.structure.table.setCell(2, 1, "a\rb\r\rd");
    c.document.structure.table.setCell(3, 1, "501");
    ReportPage* p = f.pages.createPage(ReportLightningProtection, 1, c.language.reportLabels);
    p->setCheckString("0101");
    p->setEdit(20, "moist");
    ReportTables* t = f.pages.createTables(ReportBlockTables, 1, c.language.texts, reportTableFont());
    setTableCell(*t->a, 3, 4, "x\ry");
    ensureSubData(*t->b)->text2 = "note";
    EXPECT_LT(resultsSeal(c.document), 0);

    const std::string first = composeStructureFile(c.language, c.document);
    EXPECT_EQ(split(first, 248), "*** STRUCTURE DATA");
    ASSERT_EQ(loadStructure(f.env, first).outcome, ReadOutcome::Read);
    EXPECT_FALSE(c.document.resultsDiscarded);
    EXPECT_EQ(shape(c.document.structure.tree.roots()), "Board\r2/1/7[Socket with tab/13/3]");
    EXPECT_EQ(c.document.structure.tree.roots()[0]->info.selection, "1011");
    EXPECT_EQ(c.document.heading.op[1], "op\xe8 2");
    EXPECT_EQ(c.document.comments.lines[0], "*** COMMENTS2");
    // A comment that is exactly the structure marker cannot stand alone on
    // its line: it comes back with a space after it.
    EXPECT_EQ(c.document.comments.lines[1], "*** STRUCTURE DATA ");
    EXPECT_EQ(c.document.comments.lines[150], "deep");
    EXPECT_EQ(c.document.comments.autotest[2], "auto");
    EXPECT_EQ(c.document.comments.checks, "110");
    EXPECT_EQ(cellOf(c, 2, 1), "a\rb\r\rd");
    EXPECT_EQ(f.pages.page(ReportLightningProtection, 1)->checkString(), "010100000000000000000000");
    EXPECT_EQ(f.pages.page(ReportLightningProtection, 1)->edit(20), "moist");
    EXPECT_EQ(f.pages.tables(ReportBlockTables, 1)->a->cell(3, 4), "x\ry");
    EXPECT_EQ(subDataOf(*f.pages.tables(ReportBlockTables, 1)->b)->text2, "note");
    EXPECT_EQ(composeStructureFile(c.language, c.document), first);
}

TEST_F(FileFormatTest, ElementLinesHaveThreeTabsAndCellsOneLine)
{
    AppContext& c = f.ctx();
    c.document.familyCode = 14;
    ElementNode* n = addElementNode(c.document, nullptr);
    n->name = "two\rlines";
    n->info.kind = KindObject;
    c.document.structure.table.setCell(5, 0, "cell\r\nwith lf");
    const std::string s = composeStructureFile(c.language, c.document);
    EXPECT_EQ(split(s, 250), "two\x02lines\t1\t0\t");
    EXPECT_NE(s.find("\r\ncell\x02with lf\r\n"), std::string::npos);
}

// A second file is read into a document of its own: the open structure, its
// report pages and its name stay as they are, whatever the file holds.
TEST_F(FileFormatTest, FileReadBesideLeavesTheOpenDocumentAlone)
{
    struct Case {
        const char* file;
        bool read;      // a document comes back
        int messages;   // the user is told of a loss or a failure
        bool whole;     // read up to its end marker
        bool discarded; // the seal did not match: the results were emptied
    };
    const Case cases[] = {
        {"full.ZIT", true, 0, true, false},          {"truncated_table.ZIT", true, 1, false, false},
        {"changed_serial.ZIT", true, 1, true, true}, {"damaged_page.ZIT", false, 1, false, false},
        {"other_family.ZIT", false, 0, true, false}, {"version10.ZIT", true, 0, true, false},
        {"no-such-file.ZIT", false, 1, true, false},
    };
    AppContext& c = f.ctx();
    ASSERT_EQ(load(dataBytes("kinds.ZIT")).outcome, ReadOutcome::Read);
    c.document.fileName = f.path(QStringLiteral("open.ZIT"));
    c.document.saved = false;
    const std::string open = composeStructureFile(c.language, c.document);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.file);
        for (int i = 0; i < k.messages; ++i)
            f.prompts().expectMessage(MbOK);
        const std::optional<Document> read = readDocumentBeside(c.language, dataFile(k.file), f.progress);
        EXPECT_EQ(f.prompts().messages.size(), size_t(k.messages));
        f.prompts().messages.clear();
        ASSERT_EQ(read.has_value(), k.read);
        if (read) {
            EXPECT_EQ(read->fileName, dataFile(k.file));
            EXPECT_EQ(read->incomplete, !k.whole);
            EXPECT_EQ(read->resultsDiscarded, k.discarded);
            EXPECT_EQ(read->familyCode, 14);
            EXPECT_TRUE(read->saved);
        }
        EXPECT_EQ(composeStructureFile(c.language, c.document), open);
        EXPECT_EQ(c.document.fileName, f.path(QStringLiteral("open.ZIT")));
        EXPECT_FALSE(c.document.saved);
    }
}

// Reading returns what the file holds, the same in a document of its own as
// in the open one.
TEST_F(FileFormatTest, DocumentReadAloneIsTheDocumentOpened)
{
    const std::string bytes = dataBytes("full.ZIT");
    const DocumentRead alone = readDocument(f.ctx().language, bytes, f.progress, Document());
    ASSERT_EQ(alone.result.outcome, ReadOutcome::Read);
    ASSERT_EQ(load(bytes).outcome, ReadOutcome::Read);
    EXPECT_EQ(composeStructureFile(f.ctx().language, alone.document),
              composeStructureFile(f.ctx().language, f.ctx().document));
    EXPECT_EQ(composeStructureFile(f.ctx().language, alone.document), bytes);
}

// The fuzzer's inputs: whatever the reader makes of them is written so that
// it reads back to the same file.
TEST_F(FileFormatTest, FuzzCorpusReadsBackAsWritten)
{
    const QDir corpus(QStringLiteral(ZENTROVA_TEST_DATA_DIR "/../fuzz/corpus"));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        if (loadStructure(f.env, fileBytes(corpus.filePath(name))).outcome != ReadOutcome::Read)
            continue;
        const std::string written = composeStructureFile(f.ctx().language, f.ctx().document);
        ASSERT_EQ(loadStructure(f.env, written).outcome, ReadOutcome::Read);
        EXPECT_EQ(composeStructureFile(f.ctx().language, f.ctx().document), written);
    }
}

} // namespace
} // namespace zentrova::test
