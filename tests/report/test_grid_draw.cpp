// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/CellMarkup.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <climits>

namespace zentrova {
namespace {

std::string M(char letter, unsigned char param)
{
    return std::string{char(255), letter, char(param)};
}

QFont testFont(int pixels = 14)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(pixels);
    return f;
}

QString latin1(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// What a drawn area holds, by colour. Antialiased edges that are too pale to
// tell count only as ink.
struct Ink {
    int any = 0, red = 0, green = 0, blue = 0, dark = 0;
    int minX = INT_MAX, maxX = -1;
};

Ink Scan(const QImage& img, QRect area = {})
{
    if (area.isNull())
        area = img.rect();
    area &= img.rect();
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c == Qt::white)
                continue;
            ++ink.any;
            ink.minX = std::min(ink.minX, x);
            ink.maxX = std::max(ink.maxX, x);
            const int r = c.red(), g = c.green(), b = c.blue();
            if (r > g + 80 && r > b + 80)
                ++ink.red;
            else if (g > r + 50 && g > b + 50)
                ++ink.green;
            else if (b > r + 80 && b > g + 80)
                ++ink.blue;
            else if (std::max({r, g, b}) < 160 && std::max({r, g, b}) - std::min({r, g, b}) < 30)
                ++ink.dark;
        }
    return ink;
}

struct Drawn {
    QImage image;
    CellDrawResult result;
};

// Draws cell (c, r) of `g` filling an image of `size`.
Drawn Draw(GridData& g, int c, int r, QSize size = {200, 60}, QColor fontColor = Qt::black)
{
    Drawn d{QImage(size, QImage::Format_RGB32), {}};
    d.image.fill(Qt::white);
    QPainter p(&d.image);
    d.result = drawCell(p, g, c, r, QRect(QPoint(0, 0), size), testFont(), fontColor, latin1);
    EXPECT_FALSE(p.hasClipping()) << "painter state not restored";
    return d;
}

// A body cell holding `text`.
Drawn DrawText(const std::string& text, QColor fontColor = Qt::black, QSize size = {200, 60})
{
    GridData g(1, 2);
    g.setCell(0, 1, text);
    return Draw(g, 0, 1, size, fontColor);
}

enum class Expect { Red, Green, Blue, Dark };

struct ColourCase {
    const char* name;
    std::string cell;
    Expect ink;
};

void PrintTo(const ColourCase& c, std::ostream* os)
{
    *os << c.name;
}

class DrawColourTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(DrawColourTest, InkColour)
{
    const Ink ink = Scan(DrawText(GetParam().cell).image);
    const int want = GetParam().ink == Expect::Red     ? ink.red
                     : GetParam().ink == Expect::Green ? ink.green
                     : GetParam().ink == Expect::Blue  ? ink.blue
                                                       : ink.dark;
    EXPECT_GT(want, 20);
    // Nothing of any other colour.
    EXPECT_EQ(ink.red + ink.green + ink.blue + ink.dark, want);
}

INSTANTIATE_TEST_SUITE_P(Markup, DrawColourTest,
                         ::testing::Values(ColourCase{"FailRed", M('C', 1) + "Fail", Expect::Red},
                                           ColourCase{"PassGreen", M('C', 3) + "Pass", Expect::Green},
                                           ColourCase{"Blue", M('C', 2) + "Info", Expect::Blue},
                                           ColourCase{"Plain", "Text", Expect::Dark},
                                           ColourCase{"BangOverGreen", M('C', 3) + "Pass !", Expect::Red},
                                           ColourCase{"BangWithoutMarkup", "R > 2 !", Expect::Red}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrawCell, MarkupBytesAreNotDrawn)
{
    // The marked-up cell must look exactly like its bare text drawn in the
    // markup's colour.
    EXPECT_EQ(DrawText(M('C', 1) + "Fail").image, DrawText("Fail", QColor(255, 0, 0)).image);
    EXPECT_EQ(DrawText(M('C', 3) + "Pass").image, DrawText("Pass", QColor(0, 128, 0)).image);
    EXPECT_EQ(DrawText("a" + M('H', 3) + "xyzb").image, DrawText("ab").image);
}

TEST(DrawCell, TrailingLeadByteIsDrawn)
{
    EXPECT_GT(Scan(DrawText("ab" + std::string{char(255)}).image).maxX, Scan(DrawText("ab").image).maxX + 3);
}

TEST(DrawCell, BoldMarkupDrawsHeavier)
{
    EXPECT_GT(Scan(DrawText(M('B', 0) + "Fail").image).dark, Scan(DrawText("Fail").image).dark);
}

TEST(DrawCell, AlignMarkupMovesOnlyItsLine)
{
    const Drawn d = DrawText("abc\r" + M('A', 'R') + "abc");
    const int h = d.result.lineHeight;
    const Ink first = Scan(d.image, QRect(0, 2, 200, h));
    const Ink second = Scan(d.image, QRect(0, 2 + h, 200, h));
    EXPECT_LE(first.minX, 4);
    EXPECT_LT(first.maxX, 100);
    EXPECT_GT(second.minX, 100);
    EXPECT_GE(second.maxX, 190);
    EXPECT_LE(second.maxX, 197);
}

TEST(DrawCell, ColumnAlignmentByRowKind)
{
    GridData g(1, 2);
    g.setCell(0, 0, "Head");
    g.setCell(0, 1, "Body");
    g.setHeadingColumnAlignment(0, AlignCenter);
    g.setBodyColumnAlignment(0, AlignRight);
    const Ink head = Scan(Draw(g, 0, 0).image);
    EXPECT_NEAR((head.minX + head.maxX) / 2.0, 100, 3);
    const Ink body = Scan(Draw(g, 0, 1).image);
    EXPECT_GT(body.minX, 150);
}

TEST(DrawCell, RowAndColumnGrowToFitButNeverShrink)
{
    GridData g(1, 2);
    g.setCell(0, 1, "a\rbb\rc");
    g.setRowHeight(1, 10);
    g.setColWidth(0, 10);
    const Drawn d = Draw(g, 0, 1);
    const QFontMetrics fm(testFont(), &d.image);
    EXPECT_EQ(d.result.lineHeight, fm.height());
    EXPECT_EQ(d.result.lines, 3);
    EXPECT_EQ(g.rowHeight(1), 3 * fm.height() + 2);
    EXPECT_EQ(g.colWidth(0), fm.horizontalAdvance("bb") + 5);

    g.setRowHeight(1, 500);
    g.setColWidth(0, 500);
    Draw(g, 0, 1);
    EXPECT_EQ(g.rowHeight(1), 500);
    EXPECT_EQ(g.colWidth(0), 500);

    g.setRowHeight(1, 1);
    QImage img(50, 50, QImage::Format_RGB32);
    QPainter p(&img);
    drawCell(p, g, 0, 1, img.rect(), testFont(), Qt::black, latin1, false);
    EXPECT_EQ(g.rowHeight(1), 1);
}

TEST(DrawCell, CellObjectFontLosesColourKeepsBang)
{
    GridData g(1, 3);
    g.setCell(0, 1, M('C', 1) + "Fail");
    g.setCell(0, 2, M('C', 3) + "Fail!");
    for (int r = 1; r <= 2; ++r) {
        auto data = std::make_unique<CellData>();
        data->font = testFont(22);
        g.setCellData(0, r, std::move(data));
    }
    const Drawn plain = Draw(g, 0, 1);
    const Ink a = Scan(plain.image);
    EXPECT_EQ(a.red, 0);
    EXPECT_GT(a.dark, 20);
    EXPECT_EQ(plain.result.lineHeight, QFontMetrics(testFont(22), &plain.image).height());
    const Ink b = Scan(Draw(g, 0, 2).image);
    EXPECT_GT(b.red, 20);
    EXPECT_EQ(b.green, 0);
}

TEST(DrawCell, ExtraFontOnlyWhenSupplied)
{
    GridData g(1, 2);
    g.setCell(0, 1, M('F', 2) + "x");
    EXPECT_EQ(Draw(g, 0, 1).result.lineHeight, QFontMetrics(testFont()).height());
    g.setExtraFont(2, testFont(30));
    EXPECT_EQ(Draw(g, 0, 1).result.lineHeight, QFontMetrics(testFont(30)).height());
}

TEST(DrawCell, ClippedToItsRectangle)
{
    GridData g(1, 2);
    g.setCell(0, 1, "WWWWWWWWWWWW\rWWWW\rWWWW\rWWWW");
    QImage img(120, 80, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QRect R(10, 10, 30, 16);
    {
        QPainter p(&img);
        drawCell(p, g, 0, 1, R, testFont(), Qt::black, latin1);
    }
    EXPECT_GT(Scan(img, R).any, 0);
    EXPECT_EQ(Scan(img).any, Scan(img, R).any);
}

} // namespace
} // namespace zentrova
