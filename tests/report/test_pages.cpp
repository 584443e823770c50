// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The report page set: pages, tables, emptiness, row deletion and discarding.
#include "report/ReportPages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QImage>

namespace zentrova::test {
namespace {

class PagesTest : public ::testing::Test {
protected:
    LoadedProgram program;
    ReportPages pages;
    AppContext& ctx() { return *program.ctx; }
    ReportTables* newTables(ReportKind kind)
    {
        return pages.createTables(kind, pages.countOf(kind) + 1, ctx().language.texts, reportTableFont());
    }
};

TEST_F(PagesTest, PagesTakeTheirFormAndLabels)
{
    struct Case {
        ReportKind kind;
        int labels, edits, checks;
        const std::string* firstLabel;
    };
    const ReportLabels& l = ctx().language.reportLabels;
    for (const Case& c :
         {Case{ReportObject, 21, 14, 0, &l.objLabels[0]}, Case{ReportDistributionBlock, 38, 6, 29, &l.blokLabels[0]},
          Case{ReportLightningProtection, 48, 20, 24, &l.strelaLabels[0]},
          Case{ReportFloorPlan, 2, 1, 0, &l.tlorisLabels[0]}}) {
        ReportPage* p = pages.createPage(c.kind, 1, l);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->labelCount(), c.labels);
        EXPECT_EQ(p->editCount(), c.edits);
        EXPECT_EQ(p->checkCount(), c.checks);
        EXPECT_EQ(p->label(1), *c.firstLabel);
        EXPECT_FALSE(p->label(1).empty());
        EXPECT_EQ(p->label(c.labels + 1), "");
        EXPECT_EQ(pages.countOf(c.kind), 1);
    }
    EXPECT_EQ(pages.createPage(ReportBlockTables, 1, l), nullptr);
    EXPECT_EQ(pages.count(), 4);
    // The block page's label 10 is the caption of its first check box.
    EXPECT_EQ(pages.page(ReportDistributionBlock, 1)->label(10), l.blokLabels[9]);
}

TEST_F(PagesTest, CheckStrings)
{
    ReportPage* p = pages.createPage(ReportDistributionBlock, 1, ctx().language.reportLabels);
    p->setCheckString("1x01");
    EXPECT_EQ(p->checkString(), "10010000000000000000000000000");
    p->setCheckString(std::string(40, '1'));
    EXPECT_EQ(p->checkString(), std::string(29, '1'));
    EXPECT_FALSE(p->checked(30));
}

TEST_F(PagesTest, NewTablesCarryHeadingsUnitsFontsAndSubData)
{
    struct Case {
        ReportKind kind;
        int which, cols;
        const char* heading0;
        const char* unitLast;
    };
    ReportTables* t5 = newTables(ReportBlockTables);
    ReportTables* t6 = newTables(ReportLightningTables);
    for (const Case& c : {Case{ReportBlockTables, 0, 11, "Glava0_0", "GlavaE10_0"},
                          Case{ReportBlockTables, 1, 5, "GlavaF0_0", "GlavaFE4_0"},
                          Case{ReportLightningTables, 0, 5, "GlavaS10_0", nullptr},
                          Case{ReportLightningTables, 1, 2, "GlavaS20_0", "GlavaS2E1_0"}}) {
        const ReportTable& t = *(c.kind == ReportBlockTables ? t5 : t6)->table(c.which);
        EXPECT_EQ(t.colCount(), c.cols);
        EXPECT_EQ(t.rowCount(), 3);
        EXPECT_EQ(t.fixedRows(), 2);
        EXPECT_EQ(t.alignment(), AlignCenter);
        EXPECT_EQ(t.cell(0, 0), ctx().language.texts.text(c.heading0));
        EXPECT_EQ(t.cell(0, 1), "");
        EXPECT_EQ(t.cell(c.cols - 1, 1), c.unitLast ? ctx().language.texts.text(c.unitLast) : "");
        for (int col = 0; col < c.cols; ++col) {
            ASSERT_NE(t.cellData(col, 0), nullptr);
            EXPECT_EQ(t.cellData(col, 0)->font->pointSize(), 9);
        }
        ASSERT_NE(subDataOf(t), nullptr);
        EXPECT_EQ(t.cellData(1, 0)->subData, nullptr);
    }
    // "$" in a heading key is a line break.
    EXPECT_NE(t5->a->cell(0, 0).find('\r'), std::string::npos);
}

TEST_F(PagesTest, Emptiness)
{
    ReportTables* t = newTables(ReportBlockTables);
    EXPECT_TRUE(tableIsEmpty(nullptr));
    EXPECT_TRUE(tableIsEmpty(t->a.get())); // headings and units only
    t->a->setRowCount(2);
    EXPECT_TRUE(tableIsEmpty(t->a.get()));
    setTableCell(*t->a, 10, 5, "");
    EXPECT_TRUE(tableIsEmpty(t->a.get()));
    setTableCell(*t->a, 10, 5, "x");
    EXPECT_FALSE(tableIsEmpty(t->a.get()));
    EXPECT_EQ(t->a->rowCount(), 6);
}

TEST_F(PagesTest, ReadCellDropsLineFeeds)
{
    ReportTables* t = newTables(ReportLightningTables);
    setTableCell(*t->b, 1, 2, "a\r\nb\n");
    EXPECT_EQ(readTableCell(*t->b, 1, 2), "a\rb");
}

TEST_F(PagesTest, DeletingARowMovesTheRestUp)
{
    ReportTables* t = newTables(ReportLightningTables);
    GridData& g = *t->b;
    for (int r = 2; r < 5; ++r)
        setTableCell(g, 0, r, "row" + std::to_string(r));
    auto marker = std::make_unique<CellData>();
    marker->lineAlignments = "R";
    g.setCellData(1, 4, std::move(marker));

    deleteTableRow(g, 2);
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.cell(0, 2), "row3");
    EXPECT_EQ(g.cell(0, 3), "row4");
    ASSERT_NE(g.cellData(1, 3), nullptr); // objects move with their rows
    EXPECT_EQ(g.cellData(1, 3)->lineAlignments, "R");

    emptyTable(g);
    EXPECT_EQ(g.rowCount(), 2); // the last two rows are emptied, not removed
    EXPECT_EQ(g.cell(0, 0), "");
    EXPECT_EQ(subDataOf(g), nullptr);
}

TEST_F(PagesTest, EntriesKeepTheirOrderAndIndexes)
{
    pages.createPage(ReportObject, 1, ctx().language.reportLabels);
    newTables(ReportBlockTables);
    pages.createPage(ReportObject, 7, ctx().language.reportLabels)->objectName = "second";
    EXPECT_EQ(pages.count(), 3);
    EXPECT_EQ(pages.entry(3).index, 7);
    EXPECT_EQ(pages.pageOfEntry(3)->objectName, "second");
    EXPECT_EQ(pages.pageOfEntry(2), nullptr);
    EXPECT_NE(pages.tablesOfEntry(2), nullptr);
    EXPECT_EQ(pages.entry(4).kind, 0);
}

TEST_F(PagesTest, DiscardLeavesTheFirstPageOfEachKindInTheSettings)
{
    const ReportLabels& l = ctx().language.reportLabels;
    ReportPage* o1 = pages.createPage(ReportObject, 1, l);
    ReportPage* o2 = pages.createPage(ReportObject, 2, l);
    for (int e = 4; e <= 11; ++e) {
        o1->setEdit(e, "first " + std::to_string(e));
        o2->setEdit(e, "second " + std::to_string(e));
    }
    ReportPage* b1 = pages.createPage(ReportDistributionBlock, 1, l);
    b1->setEdit(6, "EN 61439");
    b1->setCheckString("11");
    pages.createPage(ReportDistributionBlock, 2, l)->setCheckString("0");
    pages.createPage(ReportLightningProtection, 1, l)->setCheckString("0001");

    pages.discard(ctx().language.settings);
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(pages.countOf(ReportObject), 0);
    const Settings& s = ctx().language.settings;
    const char* keys[] = {"network",     "distributor",  "InstType", "purpose",
                          "instruments", "traceability", "methods",  "safety"};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(s.readSetting("OBJPAGE", keys[k], "?"), "first " + std::to_string(4 + k));
    EXPECT_EQ(s.readSetting("BLOKPAGE", "regulatives", "?"), "EN 61439");
    EXPECT_EQ(s.readSetting("BLOKPAGE", "check", "?"), "11" + std::string(27, '0'));
    EXPECT_EQ(s.readSetting("STRELAPAGE", "check", "?"), "0001" + std::string(20, '0'));
}

TEST_F(PagesTest, FloorPlanPicture)
{
    ReportPage* p = pages.createPage(ReportFloorPlan, 1, ctx().language.reportLabels);
    auto* plan = static_cast<FloorPlanPage*>(p);
    QImage img(8, 4, QImage::Format_RGB32);
    img.fill(Qt::green);
    const QString png = program.dir.file(QStringLiteral("plan.png"));
    ASSERT_TRUE(img.save(png));
    plan->setImagePath(png.toStdString(), png);
    EXPECT_EQ(plan->picture().size(), QSize(8, 4));
    // A path naming no picture keeps the path, loses the picture.
    plan->setImagePath("gone.png", program.dir.file(QStringLiteral("gone.png")));
    EXPECT_EQ(plan->imagePath(), "gone.png");
    EXPECT_TRUE(plan->picture().isNull());
    plan->setImagePath("folder", program.dir.path());
    EXPECT_TRUE(plan->picture().isNull());
    plan->setImagePath(std::string("plan\0.png", 9), png + QChar(u'\0'));
    EXPECT_TRUE(plan->picture().isNull());
}

TEST_F(PagesTest, TheSetRefusesEntriesPastItsCapacity)
{
    for (int i = 0; i < ReportPages::MaxEntries; ++i)
        ASSERT_NE(pages.createPage(ReportFloorPlan, i + 1, ctx().language.reportLabels), nullptr);
    EXPECT_EQ(pages.createPage(ReportObject, 1, ctx().language.reportLabels), nullptr);
    EXPECT_EQ(newTables(ReportBlockTables), nullptr);
    EXPECT_EQ(pages.count(), ReportPages::MaxEntries);
}

} // namespace
} // namespace zentrova::test
