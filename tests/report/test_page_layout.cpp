// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Where things land on the page for every paper the printer offers, in both
// orientations: the heading's lines and logo, the table and the comments
// stay inside the frame and never cover one another.
#include "test_compose_fixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <climits>

using namespace zentrova;
using namespace zentrova::test;

namespace {

struct Paper {
    QPageSize::PageSizeId size;
    QPageLayout::Orientation orientation;
    const char* name;
};

void PrintTo(const Paper& p, std::ostream* os)
{
    *os << p.name;
}

class PaperLayout : public ::testing::TestWithParam<Paper> {
protected:
    void SetUp() override
    {
        PageSetup setup;
        setup.pageSize = QPageSize(GetParam().size);
        setup.orientation = GetParam().orientation;
        s.prn.setPageSetup(setup);
        s.grid.setFont(QFont(QStringLiteral("Arial"), 10)); // only the comments are fixed-width
        // Heading and footer lines as long as a company's full name makes them.
        s.p.ctx->document.heading.op = {"Volta Electric Engineering and Inspection Services Ltd.",
                                        "Testing and inspection of high-voltage installations", "Licence 2231/7"};
        s.p.ctx->document.heading.site = {"Riverside Combined Cycle Power Plant",
                                          "Substation 4, transformer hall, bay B", "Feeder bay B"};
        s.p.ctx->document.heading.footer[1] =
            "Volta Electric Engineering and Inspection Services Ltd., Industrial Road 117, "
            "2000 Riverside, phone +44 20 7946 0000";
    }

    // Everything drawn on page n, text by text and the logo: no part outside
    // the frame's width, no two parts of the heading over each other.
    void expectInsideTheFrameWithoutOverlap(int n)
    {
        const QRect frame(s.prn.printableOrigin(),
                          QSize(s.prn.mmToPixelsX(s.prn.printableWidth()), s.prn.mmToPixelsY(s.prn.printableHeight())));
        const int tableTop = frame.top() + s.prn.mmToPixelsY(30);
        std::vector<std::pair<QRect, QString>> heading;
        for (const PageOp& op : s.prn.page(n).ops) {
            QRect r;
            QString name = QStringLiteral("(logo)");
            if (const auto* t = std::get_if<TextOp>(&op)) {
                const QFontMetrics fm(t->font);
                r = QRect(t->baseline.x(), t->baseline.y() - fm.ascent(), fm.horizontalAdvance(t->text), fm.height());
                name = t->text;
                if (t->font.family().startsWith(QStringLiteral("Courier"))) { // comments keep off the right band
                    EXPECT_LE(r.right(), frame.right() - s.prn.mmToPixelsX(2)) << name.toStdString();
                }
            } else if (const auto* i = std::get_if<ImageOp>(&op)) {
                r = i->target;
            } else {
                continue;
            }
            EXPECT_GE(r.left(), frame.left()) << n << ": " << name.toStdString();
            EXPECT_LE(r.right(), frame.right()) << n << ": " << name.toStdString();
            if (r.top() < tableTop && !r.isEmpty()) {
                for (const auto& [other, otherName] : heading)
                    EXPECT_FALSE(r.intersects(other)) << name.toStdString() << " covers " << otherName.toStdString();
                heading.emplace_back(r, name);
            }
        }
        EXPECT_GE(heading.size(), 5u);
    }

    ReportSample s;
};

TEST_P(PaperLayout, PageInItsOrientationWithEverythingInsideTheFrame)
{
    s.addRows(60);
    const std::string remark = "The insulation of the cable to bay B was measured twice, the second time after the "
                               "terminations had been cleaned and dried; both readings are in the table above.";
    s.p.ctx->document.comments.lines = {remark, std::string(180, '#')}; // the second has no place to break
    ASSERT_TRUE(s.compose()) << s.error;
    const QSize px = s.prn.pagePixels();
    EXPECT_EQ(px.width() > px.height(), GetParam().orientation == QPageLayout::Landscape);

    // Wrapped, but every word is there once and in order.
    QString comments, hashes;
    for (int n = 1; n <= s.prn.pageCount(); ++n) {
        expectInsideTheFrameWithoutOverlap(n);
        for (const PageOp& op : s.prn.page(n).ops)
            if (const auto* t = std::get_if<TextOp>(&op); t && t->font.family().startsWith(QStringLiteral("Courier")))
                (t->text.startsWith(u'#') ? hashes : comments) += QStringLiteral(" ") + t->text;
    }
    EXPECT_EQ(comments, QStringLiteral(" ") + QString::fromStdString(remark));
    EXPECT_EQ(hashes.remove(u' '), QString(180, u'#'));
}

TEST_P(PaperLayout, WideOrTallLogoFitsItsBoxWithItsProportions)
{
    s.addRows(1);
    QTemporaryDir dir;
    s.p.ctx->document.heading.logoMode = 1;
    const int opX = s.prn.printableOrigin().x() + s.prn.mmToPixelsX(104.0 / 3);
    for (const QSize size : {QSize(2000, 150), QSize(100, 400)}) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(20, 60, 160));
        const QString path = dir.filePath(QStringLiteral("logo%1.jpg").arg(size.width()));
        ASSERT_TRUE(picture.save(path, "JPG"));
        s.p.ctx->document.heading.logo = QFile::encodeName(path).toStdString();
        ASSERT_TRUE(s.compose());
        const ImageOp* image = nullptr;
        int siteLeft = INT_MAX;
        for (const PageOp& op : s.prn.page(1).ops) {
            if (const auto* i = std::get_if<ImageOp>(&op))
                image = i;
            else if (const auto* t = std::get_if<TextOp>(&op); t && t->baseline.x() > opX)
                siteLeft = std::min(siteLeft, t->baseline.x());
        }
        ASSERT_NE(image, nullptr);
        const QRect t = image->target;
        EXPECT_EQ(image->image.size(), t.size());
        EXPECT_EQ(t.left(), opX);
        const double ratio = double(size.width()) / size.height();
        EXPECT_NEAR(double(t.width()) / t.height(), ratio, ratio * (1.0 / t.height() + 1.0 / t.width()));
        // As large as it may be: 12 mm high, or up to the gap before the test site.
        EXPECT_LE(t.height(), s.prn.mmToPixelsY(12));
        EXPECT_TRUE(t.height() == s.prn.mmToPixelsY(12) || t.right() + s.prn.mmToPixelsX(4) >= siteLeft - 2);
        expectInsideTheFrameWithoutOverlap(1);
    }
}

const Paper PaperSizes[] = {
    {QPageSize::A3, QPageLayout::Portrait, "A3_Portrait"},
    {QPageSize::A3, QPageLayout::Landscape, "A3_Landscape"},
    {QPageSize::A4, QPageLayout::Portrait, "A4_Portrait"},
    {QPageSize::A4, QPageLayout::Landscape, "A4_Landscape"},
    {QPageSize::A5, QPageLayout::Portrait, "A5_Portrait"},
    {QPageSize::A5, QPageLayout::Landscape, "A5_Landscape"},
    {QPageSize::Letter, QPageLayout::Portrait, "Letter_Portrait"},
    {QPageSize::Letter, QPageLayout::Landscape, "Letter_Landscape"},
    {QPageSize::Legal, QPageLayout::Portrait, "Legal_Portrait"},
    {QPageSize::Legal, QPageLayout::Landscape, "Legal_Landscape"},
};
INSTANTIATE_TEST_SUITE_P(Papers, PaperLayout, ::testing::ValuesIn(PaperSizes),
                         [](const ::testing::TestParamInfo<Paper>& info) { return std::string(info.param.name); });

TEST(MarginCheck, NamesTheMarginThatLeavesNoRoomOnThisPaper)
{
    ReportSample s;
    const AppContext& c = *s.p.ctx;
    PageSetup portrait, landscape;
    landscape.orientation = QPageLayout::Landscape;
    MarginTexts m;
    std::string error;
    EXPECT_EQ(checkMargins(c.language.texts, m, portrait), MarginTexts::Count);

    // 99 cm at the top of 29.7 cm: the top margin, and how large it may be.
    m.text[MarginTexts::Top] = "99";
    EXPECT_EQ(checkMargins(c.language.texts, m, portrait, &error), MarginTexts::Top);
    EXPECT_NE(error.find(c.language.texts.text("MarginTooLarge_60")), std::string::npos);
    EXPECT_NE(error.find(c.language.texts.text("MarginLargest_40") + " " + withSystemDecimalSeparator("22.16") + " cm"),
              std::string::npos)
        << error;
    EXPECT_EQ(error.find(c.language.texts.text("Bottom_7")), std::string::npos) << "only the wrong one is named";

    // Of a pair too wide together, the larger one; which pair depends on
    // the orientation.
    m.text = {"8", "9,5", "2.54", "2.54"};
    EXPECT_EQ(checkMargins(c.language.texts, m, portrait), MarginTexts::Right);
    EXPECT_EQ(checkMargins(c.language.texts, m, landscape), MarginTexts::Count);
    m.text = {"2", "2", "8", "9"};
    EXPECT_EQ(checkMargins(c.language.texts, m, portrait), MarginTexts::Count);
    EXPECT_EQ(checkMargins(c.language.texts, m, landscape), MarginTexts::Bottom);
}

} // namespace
