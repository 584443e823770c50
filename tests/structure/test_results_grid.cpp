// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The results grid: what a selection shows, token formatting, Copy.
#include "app/windows/MainWindow.h"
#include "report/GridData.h"
#include "report/windows/AnnotatedGrid.h"
#include "structure/CopyBuffer.h"
#include "structure/ResultsGrid.h"
#include "structure/windows/ElementTreeView.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QTest>

using namespace zentrova;
using namespace zentrova::test;

namespace {

TEST(ResultToken, Formatting)
{
    NameTables n;
    n.setEntry("velicina12", "R");
    n.setEntry("enota7", "MOhm");
    n.setEntry("velicina20", "Test:");
    n.setEntry("velicina21", "DAR");
    const std::pair<const char*, const char*> cases[] = {
        {"012007<1.5", "R < 1.5 MOhm"},
        {"012007>1.5", "R > 1.5 MOhm"},
        {"012007<>1.5", "R < 1.5 MOhm"}, // "<" wins
        {"0120071.5!", "R = 1.5 MOhm !"},
        {"012007!>2", "R > 2 MOhm !"},
        {"020000ok", "Test: ok"},
        {"0210001.32", "DAR = 1.32"},
        {"0000075", " 5 MOhm"},
        {"000000", ""},
        {"AAAfree text!<", "free text!<"},
        {"012", "R ="},
        {"", ""},
    };
    for (auto [token, shown] : cases)
        EXPECT_EQ(formatResultToken(token, n), shown) << token;
    EXPECT_EQ(formatResultText("0120071\r0210002", n), "R = 1 MOhm\rDAR = 2");
}

// A family-14 structure: block 1 with measuring points 1 and 2.
struct Sample {
    LoadedProgram p;
    Sample()
    {
        AppContext& c = *p.ctx;
        ElementNode* block = addElementNode(c.document, nullptr);
        block->name = "001";
        block->info.kind = KindObject;
        block->info.number = 1;
        for (int e = 1; e <= 2; ++e) {
            ElementNode* pt = addElementNode(c.document, block);
            pt->name = "00" + std::to_string(e);
            pt->info.kind = KindMeasuringPoint;
            pt->info.number = e;
        }
        ElementNode* empty = addElementNode(c.document, nullptr);
        empty->name = "Spare\rfeeder";
        empty->info.number = 9;
        add(1, "500", "507501250\r5085011.2", "5095025.0");
        add(1, "0", "ignored", "");
        add(2, "501", "AAAhidden", "");
        c.document.structure.tree.selected = block;
    }
    void add(int element, const char* code, const char* results, const char* params)
    {
        ResultTable& t = p.ctx->document.structure.table;
        const int r = t.appendRow();
        t.setCell(1, r, "1\r1\r" + std::to_string(element));
        t.setCell(2, r, "Obj\rBlock\rPoint " + std::to_string(element) + "\r13,0");
        t.setCell(3, r, code);
        t.setCell(4, r, results);
        t.setCell(5, r, "hidden");
        t.setCell(6, r, params);
        t.setCell(7, r, "07.12.2026");
        t.setCell(8, r, "10:15");
    }
};

TEST(FillResultsGrid, ShowsTheRowsOfTheSelectionInItsColumns)
{
    Sample s;
    AppContext& c = *s.p.ctx;
    GridData g(6, 1);
    writeResultHeadings(c, g);
    EXPECT_EQ(g.cell(5, 0), headingText(c.language.texts.text("VGlava6_0")));
    EXPECT_EQ(g.bodyColumnAlignment(0), AlignCenter);
    EXPECT_EQ(g.bodyColumnAlignment(1), AlignLeft);
    EXPECT_EQ(g.headingColumnAlignment(5), AlignCenter);

    ASSERT_EQ(fillResultsGrid(c, c.document.structure.tree.selected, g), 2);
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.cell(5, 0), headingText(c.language.texts.text("VGlava6_0"))) << "headings survive";
    EXPECT_EQ(g.cell(0, 1), "1");
    EXPECT_EQ(g.cell(0, 2), "2");
    EXPECT_EQ(g.cell(1, 1), "Point 1");
    EXPECT_EQ(g.cell(2, 1), headingText(c.language.names.function(500)));
    EXPECT_EQ(g.cell(3, 1), c.language.names.quantity(507) + " = 250 " + c.language.names.unit(501) + "\r" +
                                c.language.names.quantity(508) + " = 1.2 " + c.language.names.unit(501));
    EXPECT_EQ(g.cell(4, 1), c.language.names.quantity(509) + " = 5.0 " + c.language.names.unit(502));
    EXPECT_EQ(g.cell(5, 1), "07.12.2026\r10:15");
    EXPECT_EQ(g.cell(3, 2), "hidden");
    for (int col = 0; col < 6; ++col)
        EXPECT_EQ(g.cell(col, 1).find("hidden"), std::string::npos) << "column 5 of the table is not shown";

    // A measuring point shows only its own rows.
    ElementNode* second = c.document.structure.tree.roots()[0]->children()[1].get();
    ASSERT_EQ(fillResultsGrid(c, second, g), 1);
    EXPECT_EQ(g.rowCount(), 2);
    EXPECT_EQ(g.cell(0, 1), "1");

    EXPECT_EQ(fillResultsGrid(c, c.document.structure.tree.roots()[1].get(), g), 0);
    EXPECT_EQ(g.rowCount(), 1);
    EXPECT_EQ(fillResultsGrid(c, nullptr, g), 0);
}

// One clipboard line per grid row: a cell of several lines is quoted so that
// a spreadsheet keeps it in one cell.
TEST(Copy, SelectionTextLines)
{
    GridData g(3, 3);
    g.setCell(0, 1, "a");
    g.setCell(1, 1, "b1\rb2");
    g.setCell(0, 2, "c\n");
    g.setCell(1, 2, "d");
    EXPECT_EQ(selectionText(g, 0, 1, 1, 2), "a\t\"b1\nb2\"\r\nc\td");
    EXPECT_EQ(selectionText(g, 1, 2, 1, 2), "d");
}

TEST(Copy, CellsAsSpreadsheetsPasteThem)
{
    const std::pair<std::string, std::string> cases[] = {
        {"07.12.2026", "07.12.2026"},
        {"07.12.2026\r08.12.2026", "\"07.12.2026\n08.12.2026\""},
        {"DAR = 1.62\rPI = 2.35 !", "\"DAR = 1.62\nPI = 2.35 !\""},
        {"5\" pipe\rsecond", "\"5\"\" pipe\nsecond\""}, // a quote inside is doubled
        {"5\" pipe", "5\" pipe"},                       // one line: as it is
        {"line\r\nnext\r", "\"line\nnext\n\""},         // LF dropped, an empty last line kept
        {"", ""},
    };
    for (const auto& [cell, expected] : cases)
        EXPECT_EQ(CopyBuffer::cellText(cell), expected) << cell;
}

TEST(CopyBuffer, EscapesAndLimits)
{
    CopyBuffer b;
    EXPECT_TRUE(b.append(std::string("a\xff", 2) + std::string(1, '\0') + "z"));
    EXPECT_EQ(b.bytes(), std::string("a\xff\xff\xff\xfez", 6));
    b.clear();
    EXPECT_TRUE(b.append(std::string(30000, 'x')));
    EXPECT_FALSE(b.append(std::string(100, 'y')));
    EXPECT_EQ(b.bytes().size(), CopyBuffer::StopAfter + 1);
    EXPECT_LE(b.bytes().size(), CopyBuffer::Capacity);
}

struct Window {
    Sample s;
    MainWindow form{*s.p.ctx};
    Window()
    {
        form.activated();
        form.refreshStructureView();
        form.show();
    }
};

TEST(ResultsView, SelectionFillsOrHidesTheGrid)
{
    Window w;
    AppContext& c = *w.s.p.ctx;
    AnnotatedGrid* grid = w.form.resultsGrid();
    EXPECT_EQ(w.form.tree()->topLevelItemCount(), 2);
    EXPECT_EQ(w.form.tree()->topLevelItem(1)->text(0), QStringLiteral("Spare\nfeeder"));
    EXPECT_EQ(w.form.tree()->topLevelItem(0)->child(0)->icon(0).isNull(), false);

    w.form.tree()->selectNode(c.document.structure.tree.roots()[0].get());
    EXPECT_TRUE(grid->isVisible());
    EXPECT_FALSE(w.form.panelCaption()->isVisible());
    EXPECT_EQ(grid->data().rowCount(), 3);

    w.form.tree()->selectNode(c.document.structure.tree.roots()[1].get());
    EXPECT_FALSE(grid->isVisible());
    EXPECT_TRUE(w.form.panelCaption()->isVisible());
    EXPECT_EQ(w.form.panelCaption()->text(),
              c.language.decode(c.language.texts.text("NoMeasuresIn_30")) + QStringLiteral(" Spare\rfeeder"));
}

TEST(ResultsView, CopyNeedsTheGridsFocus)
{
    Window w;
    AppContext& c = *w.s.p.ctx;
    w.form.tree()->selectNode(c.document.structure.tree.roots()[0].get());
    AnnotatedGrid* grid = w.form.resultsGrid();
    grid->setSelection({2, 1, 3, 2});
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    w.form.tree()->setFocus();
    w.form.copyRows();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());

    w.form.activateWindow();
    grid->setFocus();
    QApplication::processEvents();
    if (!grid->hasFocus())
        GTEST_SKIP() << "the offscreen platform gave no focus";
    // Ctrl+C in the grid copies as the menu entry does.
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines = QGuiApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 2) << "a row of two result lines stays one row";
    EXPECT_TRUE(lines[0].startsWith(c.language.decode(c.language.names.function(500)) + QStringLiteral("\t\"")));
    EXPECT_EQ(lines[0].count(u'\n'), 1);
    EXPECT_EQ(lines[1], c.language.decode(c.language.names.function(501)) + QStringLiteral("\thidden"));

    // With the grid focused, the context menu offers Copy alone.
    QMenu* menu = w.form.gridMenu();
    emit menu->aboutToShow();
    int visible = 0;
    for (QAction* a : menu->actions())
        visible += a->isVisible();
    EXPECT_EQ(visible, 1);
}

} // namespace
