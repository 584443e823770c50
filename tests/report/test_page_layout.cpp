// Where things land on the page for every paper the printer offers, in both
// orientations: the heading's lines and logo, the table and the comments
// stay inside the frame and never cover one another.
#include "test_compose_fixture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <ostream>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// Where a text op's letters lie.
QRect textRect(const TextOp& t)
{
    const QFontMetrics fm(t.font);
    return QRect(t.baseline.x(), t.baseline.y() - fm.ascent(), fm.horizontalAdvance(t.text), fm.height());
}

// The printable area: the paper less the margins.
QRect frame(const PageRecorder& prn)
{
    return QRect(prn.printableOrigin(),
                 QSize(prn.mmToPixelsX(prn.printableWidth()), prn.mmToPixelsY(prn.printableHeight())));
}

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
        // Only the comments are in the fixed-width face.
        s.grid.setFont(QFont(QStringLiteral("Arial"), 10));
        // Heading lines as long as a company's full name can make them.
        AppContext& c = *s.p.ctx;
        c.heading.op = {"Volta Electric Engineering and Inspection Services Ltd.",
                        "Testing and inspection of high-voltage installations", "Licence 2231/7"};
        c.heading.site = {"Riverside Combined Cycle Power Plant", "Substation 4, transformer hall, bay B",
                          "Feeder bay B"};
        c.heading.footer = {"Footer one",
                            "Volta Electric Engineering and Inspection Services Ltd., Industrial Road "
                            "117, 2000 Riverside, phone +44 20 7946 0000, www.example.com",
                            "Footer three"};
    }

    // The heading's texts and images of page n: everything above the table.
    void headingParts(int n, std::vector<QRect>& rects, std::vector<QString>& names) const
    {
        const int tableTop = s.prn.printableOrigin().y() + s.prn.mmToPixelsY(30);
        for (const PageOp& op : s.prn.page(n).ops) {
            if (const auto* t = std::get_if<TextOp>(&op); t && t->baseline.y() < tableTop && !t->text.isEmpty()) {
                rects.push_back(textRect(*t));
                names.push_back(t->text);
            } else if (const auto* i = std::get_if<ImageOp>(&op)) {
                rects.push_back(i->target);
                names.push_back(QStringLiteral("(logo)"));
            }
        }
    }

    void expectNoOverlapInsideTheFrame(int n) const
    {
        std::vector<QRect> rects;
        std::vector<QString> names;
        headingParts(n, rects, names);
        ASSERT_GE(rects.size(), 5u);
        const QRect f = frame(s.prn);
        for (size_t i = 0; i < rects.size(); ++i) {
            EXPECT_GE(rects[i].left(), f.left()) << names[i].toStdString();
            EXPECT_LE(rects[i].right(), f.right()) << names[i].toStdString();
            for (size_t j = i + 1; j < rects.size(); ++j)
                EXPECT_FALSE(rects[i].intersects(rects[j]))
                    << names[i].toStdString() << " covers " << names[j].toStdString();
        }
    }

    ReportSample s;
};

TEST_P(PaperLayout, PageInItsOrientationWithEverythingInsideTheFrame)
{
    s.addRows(60);
    std::string remark = "The insulation of the cable to bay B was measured twice, the second time after the "
                         "terminations had been cleaned and dried; both readings are recorded in the table above.";
    s.p.ctx->comments.lines[0] = remark;
    s.p.ctx->comments.lines[1] = std::string(180, '#'); // no place to break: cut inside
    s.p.ctx->comments.lines[2] = "short";
    ASSERT_TRUE(s.compose()) << s.error;

    const QSize px = s.prn.pagePixels();
    EXPECT_EQ(px.width() > px.height(), GetParam().orientation == QPageLayout::Landscape);
    const QRect f = frame(s.prn);
    ASSERT_TRUE(QRect(QPoint(0, 0), px).contains(f));

    QString comments, hashes;
    for (int n = 1; n <= s.prn.pageCount(); ++n) {
        for (const PageOp& op : s.prn.page(n).ops) {
            if (const auto* t = std::get_if<TextOp>(&op)) {
                const QRect r = textRect(*t);
                // Everything but the page number (under the frame) is inside it.
                if (!t->text.startsWith(QStringLiteral("- "))) {
                    EXPECT_GE(r.left(), f.left()) << n << ": " << t->text.toStdString();
                    EXPECT_LE(r.right(), f.right()) << n << ": " << t->text.toStdString();
                }
                if (t->font.family().startsWith(QStringLiteral("Courier"))) {
                    // Comments stay inside the right band.
                    EXPECT_LE(r.right(), f.right() - s.prn.mmToPixelsX(2)) << t->text.toStdString();
                    if (t->text.startsWith(u'#'))
                        hashes += t->text;
                    else if (t->text != QStringLiteral("short"))
                        comments += (comments.isEmpty() ? QString() : QStringLiteral(" ")) + t->text;
                }
            } else if (const auto* l = std::get_if<LineOp>(&op)) {
                EXPECT_TRUE(f.adjusted(0, 0, 1, 1).contains(l->from) && f.adjusted(0, 0, 1, 1).contains(l->to));
            }
        }
    }
    // Wrapped, but every word is there once and in order.
    EXPECT_EQ(comments, QString::fromStdString(remark));
    EXPECT_EQ(hashes, QString(180, u'#'));
    for (int n = 1; n <= s.prn.pageCount(); ++n)
        expectNoOverlapInsideTheFrame(n);
}

TEST_P(PaperLayout, WideOrTallLogoFitsItsBoxBesideTheTestSite)
{
    s.addRows(1);
    QTemporaryDir dir;
    AppContext& c = *s.p.ctx;
    c.heading.logoMode = 1;
    const int opX = s.prn.printableOrigin().x() + s.prn.mmToPixelsX(104.0 / 3);
    for (const QSize size : {QSize(2000, 150), QSize(100, 400)}) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(20, 60, 160));
        const QString path = dir.filePath(QStringLiteral("logo%1.jpg").arg(size.width()));
        ASSERT_TRUE(picture.save(path, "JPG"));
        c.heading.logo = QFile::encodeName(path).toStdString();
        ASSERT_TRUE(s.compose());
        const ImageOp* image = nullptr;
        for (const PageOp& op : s.prn.page(1).ops)
            if (const auto* i = std::get_if<ImageOp>(&op))
                image = i;
        ASSERT_NE(image, nullptr);
        const QRect t = image->target;
        EXPECT_EQ(image->image.size(), t.size());
        EXPECT_EQ(t.left(), opX);
        EXPECT_LE(t.height(), s.prn.mmToPixelsY(12));
        // Proportions kept to the pixel the rounding allows.
        EXPECT_NEAR(double(t.width()) / t.height(), double(size.width()) / size.height(),
                    double(size.width()) / size.height() * (1.0 / t.height() + 1.0 / t.width()) + 1e-9);
        // As large as it may be: 12 mm high, or up to the gap before the
        // test-site block.
        int siteLeft = INT_MAX;
        for (const PageOp& op : s.prn.page(1).ops)
            if (const auto* text = std::get_if<TextOp>(&op); text && text->baseline.x() > opX)
                siteLeft = std::min(siteLeft, text->baseline.x());
        EXPECT_TRUE(t.height() == s.prn.mmToPixelsY(12) || t.right() + s.prn.mmToPixelsX(4) >= siteLeft - 2)
            << t.width() << " " << siteLeft;
        expectNoOverlapInsideTheFrame(1);
    }
}

const Paper kPapers[] = {
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
INSTANTIATE_TEST_SUITE_P(Papers, PaperLayout, ::testing::ValuesIn(kPapers),
                         [](const ::testing::TestParamInfo<Paper>& info) { return std::string(info.param.name); });

TEST(MarginCheck, NamesTheMarginThatLeavesNoRoomOnThisPaper)
{
    ReportSample s;
    AppContext& c = *s.p.ctx;
    PageSetup a4;
    MarginTexts m;
    std::string error;
    EXPECT_EQ(checkMargins(c, m, a4, &error), MarginTexts::Count);

    // 99 cm at the top of 29.7 cm: the top margin, and how large it may be.
    m.text[MarginTexts::Top] = "99";
    EXPECT_EQ(checkMargins(c, m, a4, &error), MarginTexts::Top);
    EXPECT_NE(error.find(c.texts.text("Top_7") + ": 99 cm"), std::string::npos) << error;
    EXPECT_EQ(error.find(c.texts.text("Bottom_7")), std::string::npos) << "only the wrong one is named";
    EXPECT_NE(error.find(c.texts.text("MarginTooLarge_60")), std::string::npos);
    EXPECT_NE(error.find(c.texts.text("MarginLargest_40") + " " + withSystemDecimalSeparator("22.16") + " cm"),
              std::string::npos)
        << error;

    // Of a pair too wide together, the larger one; which pair depends on
    // the orientation.
    m.text = {"8", "9,5", "2.54", "2.54"};
    EXPECT_EQ(checkMargins(c, m, a4, &error), MarginTexts::Right);
    PageSetup landscape;
    landscape.orientation = QPageLayout::Landscape;
    EXPECT_EQ(checkMargins(c, m, landscape, &error), MarginTexts::Count);
    m.text = {"2", "2", "8", "9"};
    EXPECT_EQ(checkMargins(c, m, a4), MarginTexts::Count);
    EXPECT_EQ(checkMargins(c, m, landscape), MarginTexts::Bottom);

    // No number at all comes first, whatever the paper.
    m.text[MarginTexts::Left] = "wide";
    EXPECT_EQ(checkMargins(c, m, landscape, &error), MarginTexts::Left);
    EXPECT_NE(error.find("\"wide\""), std::string::npos);
}

} // namespace
