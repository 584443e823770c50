// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The full record of a measurement: what a received row keeps of its items,
// what a row read back from a structure file still shows, and the panel the
// results grid opens.
#include "app/windows/MainWindow.h"
#include "comm/Receive.h"
#include "comm/Records.h"
#include "history/EquipmentData.h"
#include "history/HistoryArchive.h"
#include "history/HistoryCommands.h"
#include "report/CellMarkup.h"
#include "report/windows/AnnotatedGrid.h"
#include "shell/Startup.h"
#include "structure/RecordDetail.h"
#include "structure/StructureFile.h"
#include "structure/windows/ElementTreeView.h"
#include "structure/windows/RecordDetailDialog.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTableWidget>

namespace zentrova::test {
namespace {

using Kind = RecordItemKind;

struct ShownItem {
    Kind kind;
    std::string quantity, value, unit;
    bool operator==(const ShownItem&) const = default;
};

void PrintTo(const ShownItem& i, std::ostream* os)
{
    *os << int(i.kind) << " [" << i.quantity << "|" << i.value << "|" << i.unit << "]";
}

std::vector<ShownItem> shown(const RecordDetail& d)
{
    std::vector<ShownItem> out;
    for (const RecordDetailItem& i : d.items)
        out.push_back({i.kind, i.quantity, i.value, i.unit});
    return out;
}

// A family-14 memory: block 5, element 2 holds a failed insulation test whose
// items come in an order of their own, an untagged line first; it arrives
// before the records of element 1, so its row moves down as they come.
struct Memory : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    ResultTable& table = ctx.document.structure.table;
    int next = 1;

    void SetUp() override
    {
        ctx.document.familyCode = 14;
        applyFamilyProfile(ctx);
        receive();
    }
    void receive()
    {
        table.clear();
        next = 1;
        table.setCell(1, 0, "identification");
        decode(rec(5, 2, 0,
                   plain('U', "U1-PE") + coded('R', 1, 7, "48.6!") + coded('P', 9, 2, "5.00") +
                       coded('M', 13, 3, "<0.5") + coded('R', 20, 7, "> 55.2 !") + plain('D', "14.03.2024") +
                       coded('P', 16, 7, "100") + plain('T', "09:48") + plain('X', "winding hot")));
        decode(rec(5, 1, 1, coded('R', 6, 0, "1.46") + plain('D', "14.03.2024") + plain('T', "08:52")));
        decode(rec(5, 1, 4, coded('R', 18, 1, "<1") + plain('D', "14.03.2024") + plain('T', "09:19")));
        NullProgress quiet;
        buildTreeFromResults(ctx, quiet);
        ctx.document.structure.tree.roots()[0]->name = "Generator G1";
    }
    void decode(const std::string& r) { decodeRecord(ctx, r.data(), r.size(), next++); }
    ElementNode* block() const { return ctx.document.structure.tree.roots()[0].get(); }
    std::string text(const char* key) const { return ctx.language.texts.text(key); }

    // The failed test, in the order its items came.
    const std::vector<ShownItem> failedInArrivalOrder{
        {Kind::Untagged, "", "U1-PE", ""},         {Kind::Result, "Riso", "48.6 !", "MOhm"},
        {Kind::Parameter, "Ut", "5.00", "kV"},     {Kind::SubResult, "I", "< 0.5", "nA"},
        {Kind::Result, "R20", "> 55.2 !", "MOhm"}, {Kind::Date, "", "14.03.2024", ""},
        {Kind::Parameter, "Rlim", "100", "MOhm"},  {Kind::Time, "", "09:48", ""},
        {Kind::Untagged, "", "windinghot", ""}, // the row keeps no spaces
    };
};

TEST_F(Memory, ReceivedRowShowsEveryItemInArrivalOrderWithItsPosition)
{
    // Grid line 3 of the block is element 2's record, moved to table row 3.
    const int row = resultRowOfGridRow(ctx, block(), 3);
    ASSERT_EQ(row, 3);
    ASSERT_EQ(resultRowOfGridRow(ctx, block(), 4), -1);
    const RecordDetail d = recordDetail(ctx.language, ctx.document, row);
    EXPECT_TRUE(d.arrivalOrder);
    EXPECT_EQ(shown(d), failedInArrivalOrder);
    EXPECT_EQ(d.items[1].kindName, text("Result_20"));
    EXPECT_EQ(d.items[0].kindName, text("Untagged_20"));

    using Line = std::pair<std::string, std::string>;
    const std::vector<Line> heading{{text("BLOCK_20"), "5  Generator G1"},
                                    {"Element", "2  002"},
                                    {"Function", "Insulation resistance"},
                                    {text("Date_20"), "14.03.2024"},
                                    {text("Time_20"), "09:48"}};
    EXPECT_EQ(d.heading, heading);

    // The grid's lines map to the rows they show, element by element.
    EXPECT_EQ(recordDetail(ctx.language, ctx.document, resultRowOfGridRow(ctx, block(), 2)).items[0].value, "< 1");
    EXPECT_EQ(resultRowOfGridRow(ctx, block()->children()[1].get(), 1), 3);
    EXPECT_EQ(resultRowOfGridRow(ctx, nullptr, 1), -1);
}

TEST_F(Memory, RowReadFromAStructureFileShowsItsItemsByKind)
{
    // A function name of two lines: the untagged items follow both.
    ctx.language.names.setEntry("funkcija500", "Insulation$resistance");
    receive();
    ctx.document.fileName = program.dir.file(QStringLiteral("memory.ZIT"));
    NullProgress quiet;
    StructureView view;
    FileEnv env{ctx, quiet, view};
    ASSERT_TRUE(writeStructureFile(env));
    ASSERT_EQ(readStructureFile(env, ctx.document.fileName).outcome, ReadOutcome::Read);

    const RecordDetail d = recordDetail(ctx.language, ctx.document, 3);
    EXPECT_FALSE(d.arrivalOrder);
    std::vector<ShownItem> byKind = failedInArrivalOrder;
    std::stable_sort(byKind.begin(), byKind.end(),
                     [](const ShownItem& a, const ShownItem& b) { return a.kind < b.kind; });
    EXPECT_EQ(shown(d), byKind);
    EXPECT_EQ(d.functionName, "Insulation\rresistance");
}

// PI and DAR values carry their rating (advice); a boundary value goes to the
// better class, and a bound is rated only when it settles the class.
TEST_F(Memory, PiAndDarValuesShowTheirRating)
{
    table.clear();
    next = 1;
    table.setCell(1, 0, "identification");
    decode(rec(3, 1, 0,
               coded('R', 7, 0, "2.00") + coded('R', 6, 0, "1.6") + coded('M', 6, 0, "0,99") + coded('R', 7, 0, "<1") +
                   coded('R', 7, 0, "<3") + coded('R', 7, 0, "> 4 !") + coded('R', 6, 0, ">1.3") +
                   coded('R', 1, 7, "2.00") + coded('R', 7, 0, "---") + coded('R', 6, 0, "1.2499")));
    const RecordDetail d = recordDetail(ctx.language, ctx.document, 1);
    std::vector<std::string> ratings;
    for (const RecordDetailItem& i : d.items)
        ratings.push_back(i.rating);
    const std::vector<std::string> expected{
        text("RatingGood_20"),
        text("RatingExcellent_20"),
        text("RatingDangerous_20"),
        text("RatingDangerous_20"),
        "",
        text("RatingVeryGood_20"),
        "",
        "",
        "",
        text("RatingQuestionable_20"),
    };
    EXPECT_EQ(ratings, expected);
    EXPECT_EQ(d.items[5].value, "> 4 !") << "the value itself is shown as before";

    RecordDetailDialog panel(ctx);
    panel.showRecord(1);
    QTableWidget* items = panel.itemsTable();
    EXPECT_FALSE(items->isColumnHidden(4));
    EXPECT_EQ(items->item(1, 4)->text(), ctx.language.decode(text("RatingExcellent_20")));
    EXPECT_EQ(items->horizontalHeaderItem(4)->text().toLower(), ctx.language.decode(text("RatingAdvice_30")).toLower());
}

// The panel corrects the insulation resistance by the point's equipment
// data in the history archive and shows every verdict; without data it says
// why nothing is corrected or judged; the texts follow the language.
TEST_F(Memory, PanelShowsTheCorrectedValueAndTheVerdictsOfThePoint)
{
    int row = 0; // 5/2's, which moved down as 5/1 came
    for (int r = 1; r < ctx.document.structure.table.rowCount(); ++r)
        if (recordDetail(ctx.language, ctx.document, r).element == 2)
            row = r;
    ASSERT_GT(row, 0);
    RecordDetailDialog panel(ctx);
    panel.showRecord(row);
    // The instrument's own R20 is told apart from the program's correction.
    const QString instrumentR20 = QStringLiteral(
        "\nR20 > 55.2 MΩ: the instrument's own value at 20 °C; the corrected value above is the program's");
    EXPECT_EQ(panel.correctionLabel()->text(), QStringLiteral("Riso 48.6 MΩ   \u2192   Not corrected: ") +
                                                   ctx.language.decode(text("VerdictNoEquipment_60")) + instrumentR20);
    // The file has no test site and was never added: no installation is chosen for it.
    ASSERT_EQ(panel.verdictList()->count(), 2);
    EXPECT_EQ(panel.verdictList()->item(0)->text(), ctx.language.decode(text("RecordNoInstallation_60")));
    EXPECT_EQ(panel.verdictList()->item(1)->text(),
              QStringLiteral("Not judged against minimum insulation resistance: ") +
                  ctx.language.decode(text("VerdictNoEquipment_60")));

    // A form-wound winding tested at 24 °C: 48.6 MΩ is 16 MΩ at 40 °C.
    const QString archivePath = program.dir.file(QStringLiteral("archive.sqlite"));
    ctx.language.settings.writeSetting("HISTORY", "Database", archivePath.toStdString());
    ctx.document.heading.site[0] = "Plant A";
    NullProgress quiet;
    program.prompts.expectMessage(MbOK);
    ASSERT_EQ(addDocumentToHistory(ctx, quiet).status, HistoryAddOutcome::Status::Added);
    {
        HistoryArchive archive;
        ArchiveLocation where;
        QString error;
        ASSERT_TRUE(parseArchiveLocation(archivePath, where, &error));
        ASSERT_TRUE(archive.open(where, ArchiveAccess::Write, &error)) << error.toStdString();
        const qint64 point =
            archive.findPoint(archive.findInstallation(QStringLiteral("Plant A"), &error), 5, 2, &error);
        ASSERT_NE(point, 0) << error.toStdString();
        EquipmentData winding;
        winding.type = EquipmentType::FormWound;
        winding.ratedKv = 10.5;
        winding.testTemperature = 24;
        ASSERT_TRUE(writePointEquipment(archive, point, winding, &error)) << error.toStdString();
    }
    panel.showRecord(row);
    EXPECT_EQ(panel.correctionLabel()->text(),
              QStringLiteral("Riso 48.6 MΩ   \u2192   Corrected: 16 MΩ at 40 °C (tested at 24 °C) by the halving rule, "
                             "base 40 °C") +
                  instrumentR20);
    QStringList lines;
    for (int i = 0; i < panel.verdictList()->count(); ++i)
        lines << panel.verdictList()->item(i)->text();
    ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    // The record has no test duration: the minimum, of a 1-minute reading, is advice.
    EXPECT_EQ(lines[0], QStringLiteral("Advice, IEEE 43 minimum for form-wound windings: 16 MΩ at 40 °C < 100 MΩ "
                                       "(the test duration is unknown; the minimum is for a 1-minute reading) "
                                       "[IEEE Std 43-2013, 12.3; corrected by the halving rule, base 40 °C: "
                                       "IEEE Std 43-2000, 6.3]"));

    ASSERT_TRUE(changeLanguage(ctx, 1));
    panel.applyTexts();
    EXPECT_EQ(
        panel.correctionLabel()->text(),
        QStringLiteral("Riso 48.6 MΩ   \u2192   Preračunano: 16 MΩ pri 40 °C (merjeno pri 24 °C; korekcija: pravilo "
                       "razpolovitve, osnova 40 °C)\nR20 > 55.2 MΩ: instrumentova vrednost pri 20 °C; zgornjo je "
                       "preračunal program"));
    EXPECT_TRUE(panel.verdictList()->item(0)->text().startsWith(
        QStringLiteral("Nasvet – najmanjša vrednost po IEEE 43 za oblikovana navitja")));
}

// The results grid opens the panel on a double click and on Enter.
TEST_F(Memory, GridOpensTheRecordOfTheRowDoubleClickedOrEntered)
{
    MainWindow form(ctx);
    RecordDetailDialog panel(ctx, &form);
    MainWindow::Windows w;
    w.recordDetail = &panel;
    form.setWindows(w, nullptr);
    form.activated();
    form.refreshStructureView();
    form.show();
    form.tree()->selectNode(block());
    AnnotatedGrid* grid = form.resultsGrid();
    ASSERT_EQ(grid->data().rowCount(), 4);
    EXPECT_FALSE(panel.isVisible());

    const QPoint at = grid->cellRect(2, 3).center();
    QMouseEvent click(QEvent::MouseButtonDblClick, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &click);
    ASSERT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.detail().row, 3);
    QTableWidget* items = panel.itemsTable();
    ASSERT_EQ(items->rowCount(), int(failedInArrivalOrder.size()));
    EXPECT_EQ(items->item(1, 0)->text(), ctx.language.decode(text("Result_20")));
    EXPECT_EQ(items->item(1, 1)->text(), QStringLiteral("Riso"));
    EXPECT_EQ(items->item(1, 2)->text(), QStringLiteral("48.6 !"));
    EXPECT_EQ(items->item(1, 3)->text(), QStringLiteral("MOhm"));
    EXPECT_EQ(items->item(1, 2)->foreground().color(), QColor(Qt::red)) << "a failed value is red, as in the grid";
    EXPECT_NE(items->item(2, 2)->foreground().color(), QColor(Qt::red));
    EXPECT_EQ(panel.headingValue(0), QStringLiteral("5  Generator G1"));
    EXPECT_EQ(panel.headingValue(2), QStringLiteral("Insulation resistance"));
    EXPECT_FALSE(panel.findChild<QWidget*>(QStringLiteral("OrderNote"))->isVisible());
    EXPECT_TRUE(items->isColumnHidden(4)) << "no rating column without a PI or DAR value";

    grid->setCurrentCell(0, 1);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(grid, &enter);
    EXPECT_EQ(panel.detail().row, 1);
    EXPECT_EQ(panel.itemsTable()->rowCount(), 3);
    EXPECT_EQ(panel.itemsTable()->item(0, 1)->text(), QStringLiteral("DAR"));
    EXPECT_EQ(panel.itemsTable()->item(0, 4)->text(), ctx.language.decode(text("RatingGood_20")));
    EXPECT_FALSE(panel.itemsTable()->isColumnHidden(4));

    // A new memory may hold another record in that row: the panel closes.
    form.refreshStructureView();
    EXPECT_FALSE(panel.isVisible());
}

} // namespace
} // namespace zentrova::test
