// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The results report as composed pages: what is on which page, where, and in
// which size.
#include "test_compose_fixture.h"

#include "report/CellMarkup.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <algorithm>

using namespace zentrova;
using namespace zentrova::test;

namespace {

std::vector<TextOp> textOps(const RecordedPage& page)
{
    std::vector<TextOp> out;
    for (const PageOp& op : page.ops)
        if (const auto* t = std::get_if<TextOp>(&op))
            out.push_back(*t);
    return out;
}

template <class Op>
int countOps(const RecordedPage& page)
{
    return int(std::count_if(page.ops.begin(), page.ops.end(),
                             [](const PageOp& op) { return std::holds_alternative<Op>(op); }));
}

const TextOp* findText(const RecordedPage& page, const QString& text)
{
    for (const PageOp& op : page.ops)
        if (const auto* t = std::get_if<TextOp>(&op); t && t->text == text)
            return t;
    return nullptr;
}

bool isShade(QRgb c)
{
    return qRed(c) == 229 && qGreen(c) == 229 && qBlue(c) == 229;
}

TEST(ComposeReport, HeadingRowOnlyDrawsNoTableAndNoFrame)
{
    ReportSample s;
    ASSERT_EQ(s.grid.rowCount(), 1);
    ASSERT_TRUE(s.compose());
    ASSERT_EQ(s.prn.pageCount(), 1);
    EXPECT_TRUE(s.prn.page(1).ops.empty());
    const QImage page = s.render(1);
    const QPoint o = s.prn.printableOrigin();
    EXPECT_EQ(page.pixel(o.x() + 5, o.y() + 5), qRgb(255, 255, 255)) << "no band, no wedge";

    // Comments start one line below the top of the printable area, still
    // without frame or heading.
    s.p.ctx->document.comments.lines[0] = "Only a remark";
    ASSERT_TRUE(s.compose());
    ASSERT_EQ(s.prn.pageCount(), 1);
    EXPECT_EQ(countOps<FillOp>(s.prn.page(1)), 0);
    EXPECT_EQ(countOps<LineOp>(s.prn.page(1)), 0);
    const auto texts = textOps(s.prn.page(1));
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Only a remark");
    const QFont f = printerFont(QStringLiteral("Courier New"), 8, 300);
    const QFontMetrics fm(f);
    EXPECT_EQ(texts[0].baseline.y(), o.y() + s.prn.mmToPixelsY(0.5) + fm.height() + fm.ascent());
}

TEST(ComposeReport, LongTableGoesOnSeveralPagesEachStartingWithTheHeadingRow)
{
    ReportSample s;
    s.addRows(200);
    ASSERT_EQ(s.grid.rowCount(), 201);
    ASSERT_TRUE(s.compose());
    const int pages = s.prn.pageCount();
    ASSERT_GE(pages, 5);

    const QString heading = s.p.ctx->language.decode(visibleText(s.grid.cell(0, 0)));
    const int tableTop = s.prn.printableOrigin().y() + s.prn.mmToPixelsY(30);
    const int bottom = s.prn.printableOrigin().y() + s.prn.mmToPixelsY(s.prn.printableHeight() - 10);
    std::vector<int> seen;
    for (int n = 1; n <= pages; ++n) {
        const RecordedPage& page = s.prn.page(n);
        // The heading row is the first thing of the table on each page: the
        // first text at or below the table's top.
        const auto texts = textOps(page);
        auto first = std::find_if(texts.begin(), texts.end(), [&](const TextOp& t) {
            return t.baseline.y() > tableTop && t.baseline.y() < bottom;
        });
        ASSERT_NE(first, texts.end()) << "page " << n;
        EXPECT_EQ(first->text, heading) << "page " << n;
        EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [&](const TextOp& t) { return t.text == heading; }), 1)
            << "page " << n;
        // Row numbers in column 0 (only row texts have a baseline in the
        // table area and are plain numbers), none below the bottom band.
        for (const TextOp& t : texts) {
            bool number = false;
            const int v = t.text.toInt(&number);
            if (number && t.baseline.y() > tableTop) {
                seen.push_back(v);
                EXPECT_LT(t.baseline.y(), bottom) << "page " << n << ": row " << v;
            }
        }
        EXPECT_TRUE(s.pageText(n).contains(QStringLiteral("- %1 -").arg(n))) << "page " << n;
    }
    // Every row once, in order: none lost, none repeated at a page break.
    ASSERT_EQ(seen.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(seen[size_t(i)], i + 1);

    // Progress went to the dialog as the rows were drawn, without Cancel.
    EXPECT_EQ(s.progress.shownLine1, s.p.ctx->language.texts.text("Wait_25"));
    EXPECT_FALSE(s.progress.shownCancellable);
    ASSERT_FALSE(s.progress.positions.empty());
    EXPECT_EQ(s.progress.positions.back(), 100);
    EXPECT_TRUE(std::is_sorted(s.progress.positions.begin(), s.progress.positions.end()));
    EXPECT_EQ(s.progress.hides, s.progress.shows);
}

TEST(ComposeReport, RowsShadedHeadingAndBandsOnlyAbove250Dpi)
{
    ReportSample s;
    s.addRows(3);
    for (int dpi : {300, 200}) {
        ASSERT_TRUE(s.compose(dpi));
        const QImage page = s.render(1);
        const QPoint o = s.prn.printableOrigin();
        const QRgb band = page.pixel(o.x() + s.prn.mmToPixelsX(20), o.y() + s.prn.mmToPixelsY(1));
        const QRgb headingBand = page.pixel(o.x() + s.prn.mmToPixelsX(80), o.y() + s.prn.mmToPixelsY(20));
        const QRgb wedge = page.pixel(o.x() + s.prn.mmToPixelsX(10), o.y() + s.prn.mmToPixelsY(12));
        const QRgb outsideWedge = page.pixel(o.x() + s.prn.mmToPixelsX(30), o.y() + s.prn.mmToPixelsY(12));
        if (dpi > 250) {
            EXPECT_TRUE(isShade(band));
            EXPECT_TRUE(isShade(headingBand));
            EXPECT_TRUE(isShade(wedge));
            EXPECT_FALSE(isShade(outsideWedge)) << "the wedge steps back towards its bottom";
            EXPECT_GT(countOps<FillOp>(s.prn.page(1)), 100);
        } else {
            EXPECT_EQ(countOps<FillOp>(s.prn.page(1)), 0) << dpi;
            EXPECT_EQ(band, qRgb(255, 255, 255));
            EXPECT_GT(countOps<LineOp>(s.prn.page(1)), 10) << "the rules are drawn regardless";
        }
    }
}

TEST(ComposeReport, TooWideTableIsDrawnSmallerAndCentred)
{
    ReportSample s;
    s.addRows(2);
    for (int r = 1; r <= 2; ++r) {
        s.grid.setCell(2, r, "Insulation");
        s.grid.setCell(3, r, "Riso = 12 GOhm");
    }
    auto tableFontSize = [&] {
        const TextOp* t = findText(s.prn.page(1), QStringLiteral("1"));
        return t ? t->font.pixelSize() : 0;
    };
    ASSERT_TRUE(s.compose());
    const int full = tableFontSize();
    EXPECT_EQ(full, 42) << "10 points at 300 dpi";

    // Long texts: the font shrinks until the table fits, and the table stays
    // inside the gaps.
    s.grid.setCell(2, 1, std::string(70, 'W'));
    ASSERT_TRUE(s.compose());
    const int smaller = tableFontSize();
    EXPECT_LT(smaller, full);
    EXPECT_GT(smaller, 0);
    const QPoint o = s.prn.printableOrigin();
    const int gap = s.prn.mmToPixelsX(2);
    const int W = s.prn.mmToPixelsX(s.prn.printableWidth());
    int left = INT_MAX, right = 0;
    for (const PageOp& op : s.prn.page(1).ops)
        if (const auto* l = std::get_if<LineOp>(&op); l && l->from.y() == l->to.y() && l->from.y() > o.y() + 300) {
            left = std::min({left, l->from.x(), l->to.x()});
            right = std::max({right, l->from.x(), l->to.x()});
        }
    EXPECT_GE(left, o.x() + gap);
    EXPECT_LE(right, o.x() + W - gap);
    EXPECT_NEAR(left - (o.x() + gap), o.x() + W - gap - right, 2) << "centred";

    // Hopelessly wide: 16 points off at most (one point is the floor), and the
    // column too wide for any page runs out to the left on a page of its own.
    s.grid.setCell(2, 1, std::string(900, 'W'));
    ASSERT_TRUE(s.compose());
    EXPECT_EQ(tableFontSize(), printerFont(QStringLiteral("x"), 1, 300).pixelSize());
    left = INT_MAX;
    for (int n = 1; n <= s.prn.pageCount(); ++n)
        for (const PageOp& op : s.prn.page(n).ops)
            if (const auto* l = std::get_if<LineOp>(&op); l && l->from.y() == l->to.y() && l->from.y() > o.y() + 300)
                left = std::min({left, l->from.x(), l->to.x()});
    EXPECT_LT(left, o.x() + gap);
}

// Paper narrower than A4 portrait keeps the type A4 portrait gives the
// table: the columns that do not fit go on pages of their own, each page's
// band led by the first column, and no line runs past the paper's gaps.
TEST(ComposeReport, TableOnSmallPaperKeepsItsTypeAndSplitsItsColumns)
{
    ReportSample s;
    s.addRows(3);
    s.grid.setCell(2, 1, std::string(40, 'W'));
    s.grid.setCell(5, 2, "far right");
    auto tableFontSize = [&] {
        const TextOp* t = findText(s.prn.page(1), QStringLiteral("1"));
        return t ? t->font.pixelSize() : 0;
    };
    ASSERT_TRUE(s.compose());
    const int onA4 = tableFontSize();
    ASSERT_EQ(s.prn.pageCount(), 1);

    const struct {
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        const char* name;
    } papers[] = {{QPageSize::A5, QPageLayout::Portrait, "A5 portrait"},
                  {QPageSize::B5, QPageLayout::Portrait, "B5 portrait"}};
    for (const auto& paper : papers) {
        SCOPED_TRACE(paper.name);
        PageSetup setup;
        setup.pageSize = QPageSize(paper.paper);
        setup.orientation = paper.orientation;
        s.prn.setPageSetup(setup);
        ASSERT_TRUE(s.compose());
        EXPECT_EQ(tableFontSize(), onA4);
        ASSERT_GE(s.prn.pageCount(), 2);
        QString all;
        for (int n = 1; n <= s.prn.pageCount(); ++n)
            all += s.pageText(n);
        EXPECT_TRUE(all.contains(QString(40, u'W')));
        EXPECT_TRUE(all.contains(QStringLiteral("far right")));
        // The first column on every page.
        for (int n = 1; n <= s.prn.pageCount(); ++n)
            EXPECT_NE(findText(s.prn.page(n), QStringLiteral("1")), nullptr) << "page " << n;
        const QPoint o = s.prn.printableOrigin();
        const int gap = s.prn.mmToPixelsX(2);
        const int W = s.prn.mmToPixelsX(s.prn.printableWidth());
        for (int n = 1; n <= s.prn.pageCount(); ++n)
            for (const PageOp& op : s.prn.page(n).ops)
                if (const auto* l = std::get_if<LineOp>(&op);
                    l && l->from.y() == l->to.y() && l->from.y() > o.y() + 300) {
                    EXPECT_GE(std::min(l->from.x(), l->to.x()), o.x() + gap) << "page " << n;
                    EXPECT_LE(std::max(l->from.x(), l->to.x()), o.x() + W - gap) << "page " << n;
                }
    }
}

TEST(ComposeReport, PageNumbersFollowTheSwitch)
{
    ReportSample s;
    s.addRows(80);
    s.p.ctx->document.comments.checks = "100";
    ASSERT_TRUE(s.compose());
    ASSERT_GE(s.prn.pageCount(), 2);
    for (int n = 1; n <= s.prn.pageCount(); ++n)
        EXPECT_FALSE(s.pageText(n).contains(QStringLiteral("- %1 -").arg(n)));

    s.p.ctx->document.comments.checks = "1"; // too short: counts as "101"
    ASSERT_TRUE(s.compose());
    for (int n = 1; n <= s.prn.pageCount(); ++n) {
        const TextOp* number = findText(s.prn.page(n), QStringLiteral("- %1 -").arg(n));
        ASSERT_NE(number, nullptr) << "page " << n;
        // Centred under the printable area, its top at the area's bottom edge.
        const QPoint o = s.prn.printableOrigin();
        const int W = s.prn.mmToPixelsX(s.prn.printableWidth());
        const QFontMetrics fm(number->font);
        EXPECT_NEAR(number->baseline.x() + fm.horizontalAdvance(number->text) / 2.0, o.x() + W / 2.0, 2);
        EXPECT_EQ(number->baseline.y() - fm.ascent(), o.y() + s.prn.mmToPixelsY(s.prn.printableHeight()));
    }
}

TEST(ComposeReport, CommentsFollowTheTableOnlyWhenSwitchedOn)
{
    ReportSample s;
    s.addRows(5);
    s.p.ctx->document.comments.lines[0] = "First remark";
    s.p.ctx->document.comments.lines[4] = "Fifth remark";
    s.p.ctx->document.comments.checks = "001";
    ASSERT_TRUE(s.compose());
    const auto off = s.prn.page(s.prn.pageCount()).texts();
    EXPECT_EQ(std::count(off.begin(), off.end(), QStringLiteral("First remark")), 0);
    EXPECT_EQ(std::count(off.begin(), off.end(), QStringLiteral("Fifth remark")), 0);

    s.p.ctx->document.comments.checks = "101";
    ASSERT_TRUE(s.compose());
    ASSERT_EQ(s.prn.pageCount(), 1);
    const TextOp* first = findText(s.prn.page(1), QStringLiteral("First remark"));
    const TextOp* fifth = findText(s.prn.page(1), QStringLiteral("Fifth remark"));
    ASSERT_TRUE(first && fifth);
    const int line = QFontMetrics(first->font).height();
    EXPECT_EQ(fifth->baseline.y() - first->baseline.y(), 4 * line) << "empty lines between keep their place";
}

TEST(ComposeReport, CommentsThatDoNotFitStartOnANewPageWithFrameAndHeading)
{
    ReportSample s;
    s.addRows(36); // nearly a full page
    for (int i = 0; i < 60; ++i)
        s.p.ctx->document.comments.lines[size_t(i)] = "Remark " + std::to_string(i + 1);
    ASSERT_TRUE(s.compose());
    const int pages = s.prn.pageCount();
    ASSERT_GE(pages, 2);
    // The block does not fit under the table: it starts on the next page, at
    // the table's top, under a fresh frame and heading.
    int firstPage = 0;
    for (int n = 1; n <= pages && !firstPage; ++n)
        if (findText(s.prn.page(n), QStringLiteral("Remark 1")))
            firstPage = n;
    ASSERT_GT(firstPage, 0);
    const RecordedPage& page = s.prn.page(firstPage);
    EXPECT_NE(findText(page, s.p.ctx->language.decode(s.p.ctx->language.texts.text("Operator_30")) + u':'), nullptr);
    EXPECT_GT(countOps<FillOp>(page), 0);
    const TextOp* r1 = findText(page, QStringLiteral("Remark 1"));
    const QFontMetrics fm(r1->font);
    EXPECT_EQ(r1->baseline.y(),
              s.prn.printableOrigin().y() + s.prn.mmToPixelsY(30) + s.prn.mmToPixelsY(0.5) + fm.height() + fm.ascent());
    EXPECT_EQ(findText(page, s.p.ctx->language.decode(visibleText(s.grid.cell(0, 0)))), nullptr) << "no table here";
    int found = 0;
    for (int n = 1; n <= pages; ++n)
        for (int i = 1; i <= 60; ++i)
            found += findText(s.prn.page(n), QStringLiteral("Remark %1").arg(i)) != nullptr;
    EXPECT_EQ(found, 60);
}

TEST(ComposeReport, HeadingTextOrLogo)
{
    ReportSample s;
    s.addRows(1);
    AppContext& c = *s.p.ctx;
    const QString operatorCaption = c.language.decode(c.language.texts.text("Operator_30")) + u':';
    const QString siteCaption = c.language.decode(c.language.texts.text("TestSite_30")) + u':';

    ASSERT_TRUE(s.compose());
    QString text = s.pageText(1);
    for (const QString& t :
         {operatorCaption, siteCaption, QStringLiteral("Volta Electric Ltd."), QStringLiteral("Licence 2231/7"),
          QStringLiteral("Riverside Plant"), QStringLiteral("Feeder bay B"), QStringLiteral("Footer three")})
        EXPECT_TRUE(text.contains(t + u'|')) << t.toStdString();
    // Line 1 of both blocks ends where its block ends: operator line 1 is
    // right-aligned over lines 2 and 3, site line 1 at the right band.
    const TextOp* op1 = findText(s.prn.page(1), QStringLiteral("Volta Electric Ltd."));
    const TextOp* op2 = findText(s.prn.page(1), QStringLiteral("Testing and inspection"));
    const TextOp* site1 = findText(s.prn.page(1), QStringLiteral("Riverside Plant"));
    ASSERT_TRUE(op1 && op2 && site1);
    const int opX = s.prn.printableOrigin().x() + s.prn.mmToPixelsX(104.0 / 3);
    EXPECT_EQ(op2->baseline.x(), opX);
    const int o = std::max(QFontMetrics(op1->font).horizontalAdvance(op1->text),
                           QFontMetrics(op2->font).horizontalAdvance(op2->text));
    EXPECT_EQ(op1->baseline.x() + QFontMetrics(op1->font).horizontalAdvance(op1->text), opX + o);
    EXPECT_EQ(site1->baseline.x() + QFontMetrics(site1->font).horizontalAdvance(site1->text),
              s.prn.printableOrigin().x() + s.prn.mmToPixelsX(s.prn.printableWidth()) - s.prn.mmToPixelsX(2));
    EXPECT_EQ(countOps<ImageOp>(s.prn.page(1)), 0);

    // Logo mode without the file: neither logo nor operator lines, the
    // captions and the site block stay.
    QTemporaryDir dir;
    c.document.heading.logoMode = 1;
    c.document.heading.logo = QFile::encodeName(dir.filePath(QStringLiteral("missing.bmp"))).toStdString();
    ASSERT_TRUE(s.compose());
    text = s.pageText(1);
    EXPECT_FALSE(text.contains(QStringLiteral("Volta Electric Ltd.")));
    EXPECT_FALSE(text.contains(QStringLiteral("Testing and inspection")));
    EXPECT_TRUE(text.contains(operatorCaption));
    EXPECT_TRUE(text.contains(siteCaption));
    EXPECT_TRUE(text.contains(QStringLiteral("Riverside Plant")));
    EXPECT_EQ(countOps<ImageOp>(s.prn.page(1)), 0);

    // A bitmap and a JPEG logo: 12 mm high, proportions kept, at the
    // operator block's place.
    for (const char* format : {"BMP", "JPG"}) {
        QImage picture(300, 100, QImage::Format_RGB32);
        picture.fill(QColor(20, 60, 160));
        const QString path = dir.filePath(QStringLiteral("logo.") + QString::fromLatin1(format).toLower());
        ASSERT_TRUE(picture.save(path, format));
        c.document.heading.logo = QFile::encodeName(path).toStdString();
        ASSERT_TRUE(s.compose());
        const ImageOp* image = nullptr;
        for (const PageOp& op : s.prn.page(1).ops)
            if (const auto* i = std::get_if<ImageOp>(&op))
                image = i;
        ASSERT_NE(image, nullptr) << format;
        EXPECT_EQ(image->target.height(), s.prn.mmToPixelsY(12));
        EXPECT_EQ(image->target.width(), 3 * s.prn.mmToPixelsY(12));
        EXPECT_EQ(image->target.topLeft(), QPoint(opX, s.prn.printableOrigin().y() + s.prn.mmToPixelsY(4)));
        EXPECT_FALSE(s.pageText(1).contains(QStringLiteral("Volta Electric Ltd.")));
    }

    // Any other mode prints neither.
    c.document.heading.logoMode = 2;
    ASSERT_TRUE(s.compose());
    EXPECT_EQ(countOps<ImageOp>(s.prn.page(1)), 0);
    EXPECT_FALSE(s.pageText(1).contains(QStringLiteral("Volta Electric Ltd.")));
    EXPECT_TRUE(s.pageText(1).contains(operatorCaption));
}

TEST(ComposeReport, CellsPrintAsTheGridShowsThem)
{
    ReportSample s;
    s.addRows(2);
    // Markup: colour, hidden text, bold. None of its bytes may reach paper.
    s.grid.setCell(3, 1,
                   "\xff"
                   "C\x01"
                   "Fail\r\xff"
                   "H\x04"
                   "xxxxPass\xff"
                   "B1");
    ASSERT_TRUE(s.compose());
    const QString text = s.pageText(1);
    EXPECT_TRUE(text.contains(QStringLiteral("|Fail|Pass|")));
    EXPECT_FALSE(text.contains(QChar(0xff)));
    EXPECT_FALSE(text.contains(QStringLiteral("xxxx")));

    // Centred columns are centred; every other one starts at the cell's left,
    // right-aligned ones included.
    s.grid.setBodyColumnAlignment(1, AlignRight);
    s.grid.setBodyColumnAlignment(0, AlignCenter);
    s.grid.setCell(0, 1, "7");
    s.grid.setCell(0, 2, "1234567");
    s.grid.setCell(1, 1, "ab");
    s.grid.setCell(1, 2, "abcdefgh");
    ASSERT_TRUE(s.compose());
    const TextOp* narrow = findText(s.prn.page(1), QStringLiteral("7"));
    const TextOp* wide = findText(s.prn.page(1), QStringLiteral("1234567"));
    const TextOp* shortLeft = findText(s.prn.page(1), QStringLiteral("ab"));
    const TextOp* longLeft = findText(s.prn.page(1), QStringLiteral("abcdefgh"));
    ASSERT_TRUE(narrow && wide && shortLeft && longLeft);
    const QFontMetrics fm(narrow->font);
    EXPECT_NEAR(narrow->baseline.x() + fm.horizontalAdvance(QStringLiteral("7")) / 2.0,
                wide->baseline.x() + fm.horizontalAdvance(QStringLiteral("1234567")) / 2.0, 1.5);
    EXPECT_EQ(shortLeft->baseline.x(), longLeft->baseline.x());
}

TEST(ComposeReport, RowTallerThanAPageLeavesNoBlankSheet)
{
    ReportSample s;
    s.addRows(2);
    std::string tall;
    for (int i = 0; i < 150; ++i)
        tall += "line " + std::to_string(i) + "\r";
    s.grid.setCell(3, 1, tall);
    ASSERT_TRUE(s.compose());
    ASSERT_EQ(s.prn.pageCount(), 2);
    EXPECT_TRUE(s.pageText(1).contains(QStringLiteral("|line 0|"))) << "drawn once, on the first page";
    EXPECT_TRUE(s.pageText(1).contains(QStringLiteral("|line 149|")));
    EXPECT_FALSE(s.pageText(2).contains(QStringLiteral("line 0")));
    EXPECT_TRUE(s.pageText(2).contains(QStringLiteral("- 2 -")));
}

TEST(ComposeReport, MarginsThatAreNoNumberOrLeaveNoRoomKeepThePreviousPages)
{
    ReportSample s;
    s.addRows(60);
    ASSERT_TRUE(s.compose());
    const int pages = s.prn.pageCount();
    const QString firstPage = s.pageText(1);

    s.margins.text[MarginTexts::Top] = "abc";
    EXPECT_FALSE(s.compose());
    EXPECT_NE(s.error.find(s.p.ctx->language.texts.text("Top_7")), std::string::npos);
    EXPECT_NE(s.error.find("abc"), std::string::npos);
    EXPECT_EQ(s.prn.pageCount(), pages);
    EXPECT_EQ(s.pageText(1), firstPage);

    s.margins.text[MarginTexts::Top] = "2.54";
    s.margins.text[MarginTexts::Left] = "10";
    s.margins.text[MarginTexts::Right] = "10,5";
    EXPECT_FALSE(s.compose());
    EXPECT_NE(s.error.find("10,5 cm"), std::string::npos);
    EXPECT_EQ(s.prn.pageCount(), pages);
    EXPECT_DOUBLE_EQ(s.prn.margins().left, 25.4);

    // Wider margins, narrower pages: in millimetres, from centimetres.
    s.margins.text = {"4", "4,0", "1.5", "1.5"};
    ASSERT_TRUE(s.compose());
    EXPECT_DOUBLE_EQ(s.prn.margins().left, 40);
    EXPECT_DOUBLE_EQ(s.prn.margins().right, 40);
    EXPECT_DOUBLE_EQ(s.prn.margins().top, 15);
    EXPECT_EQ(s.prn.printableOrigin(), QPoint(s.prn.mmToPixelsX(40), s.prn.mmToPixelsY(15)));
}

TEST(MarginText, ReadsTheFirstNumberWithEitherSeparator)
{
    const std::pair<const char*, double> good[] = {
        {"2.54", 2.54}, {"2,54", 2.54}, {" 1,5 cm", 1.5},  {"3", 3},    {".5", 0.5},
        {"1.2.3", 1.2}, {"-1", 1},      {"cm 0,75", 0.75}, {"., 4", 4}, {"2 5", 2},
    };
    for (auto [text, value] : good) {
        double v = -1;
        EXPECT_TRUE(parseMarginText(text, v)) << text;
        EXPECT_NEAR(v, value, 1e-12) << text;
    }
    for (const char* bad : {"", "abc", ".", ",", " , cm"}) {
        double v = 7;
        EXPECT_FALSE(parseMarginText(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
}

TEST(MarginText, StoredWithTheLocaleSeparatorAndReadTheSameEverywhere)
{
    const QLocale previous;
    for (QLocale::Language language : {QLocale::English, QLocale::German}) {
        QLocale::setDefault(QLocale(language));
        const char sep = language == QLocale::German ? ',' : '.';
        for (const char* typed : {"2.5", "2,5"}) {
            const std::string stored = withSystemDecimalSeparator(typed);
            EXPECT_EQ(stored, std::string("2") + sep + "5") << typed;
            double v = 0;
            ASSERT_TRUE(parseMarginText(stored, v));
            EXPECT_DOUBLE_EQ(v, 2.5);
        }
    }
    QLocale::setDefault(previous);

    LoadedProgram p;
    MarginTexts m;
    m.text = {"1,5", "2.5", "3", "x"};
    m.save(p.ctx->language.settings);
    MarginTexts back;
    back.load(p.ctx->language.settings);
    EXPECT_EQ(back.text, m.text);
    p.ctx->language.settings.writeSetting("MARGINS", "MarginTop", "");
    back.load(p.ctx->language.settings);
    EXPECT_EQ(back.text[MarginTexts::Top], "");
}

TEST(PrintOrder, CopiesCollatedOrNot)
{
    EXPECT_EQ(printOrder(2, 3, 4, 2, true), (std::vector<int>{2, 3, 2, 3}));
    EXPECT_EQ(printOrder(2, 3, 4, 2, false), (std::vector<int>{2, 2, 3, 3}));
    EXPECT_EQ(printOrder(1, 1, 1, 0, true), (std::vector<int>{1}));
    EXPECT_TRUE(printOrder(3, 2, 4, 1, true).empty());
    EXPECT_TRUE(printOrder(0, 2, 4, 1, true).empty());
    EXPECT_TRUE(printOrder(1, 5, 4, 1, true).empty());
}

TEST(WritePdf, SamePagesAsRecordedAndNoFileOnFailure)
{
    ReportSample s;
    s.addRows(120);
    ASSERT_TRUE(s.compose());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.pdf"));
    QString error;
    ASSERT_TRUE(writePdf(s.prn, path, &error)) << error.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), s.prn.pageCount());
    // A4 at 72 points per inch: 595 x 842.
    EXPECT_TRUE(pdf.contains("/MediaBox [0 0 595")) << pdf.left(2000).toStdString();

    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/report.pdf"));
    EXPECT_FALSE(writePdf(s.prn, nowhere, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(nowhere));
}

} // namespace
