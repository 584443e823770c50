// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/Compose.h"

#include "base/Logging.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "base/TextRules.h"
#include "language/LanguageContext.h"
#include "report/CellMarkup.h"
#include "report/GridData.h"
#include "report/PrintoutHeading.h"

#include <QFile>
#include <QImageReader>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace zentrova {

QFont reportFont()
{
    QFont f(QString::fromLatin1(ReportTypeface));
    f.setPointSize(9);
    return f;
}

// ------------------------------------------------------------------ margins

const char* MarginTexts::settingKey(int side)
{
    static const char* const keys[Count] = {"MarginLeft", "MarginRight", "MarginTop", "MarginBottom"};
    return keys[side];
}

const char* MarginTexts::languageKey(int side)
{
    static const char* const keys[Count] = {"Left_7", "Right_7", "Top_7", "Bottom_7"};
    return keys[side];
}

void MarginTexts::load(const Settings& s)
{
    for (int i = 0; i < Count; ++i)
        text[size_t(i)] = s.readSetting("MARGINS", settingKey(i), "2.54");
}

void MarginTexts::save(const Settings& s) const
{
    for (int i = 0; i < Count; ++i)
        s.writeSetting("MARGINS", settingKey(i), text[size_t(i)]);
}

std::string marginErrorText(const InterfaceTexts& texts, int side, const std::string& text)
{
    return texts.text("Margins_20") + "\r" + texts.text(MarginTexts::languageKey(side)) + ": \"" + text + "\"";
}

std::string withSystemDecimalSeparator(const std::string& text)
{
    // The separator is one character in every locale that has a Latin digit
    // set; a multi-character one falls back to the point.
    const QString point = QLocale().decimalPoint();
    const char sep = point.size() == 1 && point.at(0).unicode() < 128 ? char(point.at(0).unicode()) : '.';
    std::string out = text;
    for (char& c : out)
        if (c == '.' || c == ',')
            c = sep;
    return out;
}

bool parseMarginText(const std::string& text, double& centimetres)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto isSep = [](char c) { return c == '.' || c == ','; };
    size_t i = 0;
    // The first run of digits and separators that holds a digit.
    while (i < text.size()) {
        while (i < text.size() && !isDigit(text[i]) && !isSep(text[i]))
            ++i;
        size_t j = i;
        bool digits = false;
        while (j < text.size() && (isDigit(text[j]) || isSep(text[j])))
            digits |= isDigit(text[j++]);
        if (digits)
            break;
        i = j;
    }
    if (i >= text.size())
        return false;
    // Whole part, then at most one separator and the fraction. Parsed by hand
    // so that the locale never changes the number.
    double value = 0;
    while (i < text.size() && isDigit(text[i]))
        value = value * 10 + (text[i++] - '0');
    if (i < text.size() && isSep(text[i])) {
        ++i;
        double scale = 0.1;
        while (i < text.size() && isDigit(text[i])) {
            value += (text[i++] - '0') * scale;
            scale /= 10;
        }
    }
    centimetres = value;
    return true;
}

namespace {

// A length in centimetres as margins are typed: at most two decimals, with
// the separator the margins are stored with. Cut, not rounded, so that the
// number shown as the largest margin is accepted when typed.
std::string centimetresText(double cm)
{
    QString t = QString::number(std::floor(cm * 100 + 1e-6) / 100, 'f', 2);
    while (t.endsWith(u'0'))
        t.chop(1);
    if (t.endsWith(u'.'))
        t.chop(1);
    return withSystemDecimalSeparator(t.toStdString());
}

} // namespace

int checkMargins(const InterfaceTexts& texts, const MarginTexts& margins, const PageSetup& setup, std::string* error)
{
    double cm[MarginTexts::Count] = {};
    for (int i = 0; i < MarginTexts::Count; ++i) {
        if (!parseMarginText(margins.text[size_t(i)], cm[i])) {
            if (error)
                *error = marginErrorText(texts, i, margins.text[size_t(i)]);
            return i;
        }
    }
    QSizeF paper = setup.pageSize.size(QPageSize::Millimeter);
    if (setup.orientation == QPageLayout::Landscape)
        paper.transpose();
    struct Pair {
        int first, second;
        double extent; // mm
    };
    const Pair pairs[] = {{MarginTexts::Left, MarginTexts::Right, paper.width()},
                          {MarginTexts::Top, MarginTexts::Bottom, paper.height()}};
    for (const Pair& pair : pairs) {
        const double room = pair.extent - MinPrintableMm; // mm the two margins may take
        if ((cm[pair.first] + cm[pair.second]) * 10 <= room + 1e-6)
            continue;
        const int side = cm[pair.second] > cm[pair.first] ? pair.second : pair.first;
        const int other = side == pair.first ? pair.second : pair.first;
        if (error) {
            const double largest = std::max(0.0, room / 10 - cm[other]);
            *error = texts.text("Margins_20") + "\r" + texts.text(MarginTexts::languageKey(side)) + ": " +
                     margins.text[size_t(side)] + " cm\r" + texts.text("MarginTooLarge_60") + "\r" +
                     texts.text("MarginLargest_40") + " " + centimetresText(largest) + " cm";
        }
        return side;
    }
    return MarginTexts::Count;
}

namespace {

constexpr QRgb ShadeColour = qRgb(229, 229, 229);
// The operator block's left edge: 104/3 mm from the printable area's left.
constexpr double OperatorOffsetMm = 104.0 / 3.0;
// Each ShrinkStep takes one point off the table font; 16 at most.
constexpr int MaxShrinkStep = 16;
// The logo's height in the heading, and the gap kept between the operator
// block (or logo) and the test-site block.
constexpr double LogoHeightMm = 12;
constexpr double HeadingGapMm = 4;
// Heading lines too wide for their block are drawn smaller, down to this
// share of their size; what is still too wide then is cut with an ellipsis.
constexpr double MinHeadingScale = 0.6;

// One line of the printout heading: its text and size, and once fitted to
// its block the font and width it is drawn with.
struct HeadingLine {
    HeadingLine(QString t, double size, bool b = false) : text(std::move(t)), points(size), bold(b) {}
    QString text;
    double points;
    bool bold;
    QFont font;
    int width = 0;
};

// Splits a comment line into pieces no wider than `width` pixels: at the
// last space that fits, or inside a word longer than the whole width. The
// spaces at a break are dropped; those inside a piece (columns lined up in
// the fixed-width face) stay.
std::vector<QString> wrapToWidth(const QString& text, int width, const QFontMetrics& fm)
{
    std::vector<QString> pieces;
    QString rest = text;
    while (fm.horizontalAdvance(rest) > width) {
        // The longest prefix that fits, at least one character.
        int lo = 1, hi = int(rest.size());
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (fm.horizontalAdvance(rest.left(mid)) <= width)
                lo = mid;
            else
                hi = mid - 1;
        }
        int cut = lo;
        if (rest.at(cut) != u' ') {
            // Back to a space, unless the prefix holds none past its indent.
            int space = int(rest.lastIndexOf(u' ', cut - 1));
            int start = 0;
            while (start < rest.size() && rest.at(start) == u' ')
                ++start;
            if (space > start)
                cut = space;
        }
        QString piece = rest.left(cut);
        while (piece.endsWith(u' '))
            piece.chop(1);
        pieces.push_back(piece);
        int next = cut;
        while (next < rest.size() && rest.at(next) == u' ')
            ++next;
        rest = rest.mid(next);
        if (rest.isEmpty())
            return pieces;
    }
    pieces.push_back(rest);
    return pieces;
}

class ResultsComposer {
public:
    ResultsComposer(const LanguageContext& ctx, const ReportHeading& heading, const GridData& grid, PageRecorder& prn,
                    Progress& progress)
        : ctx_(ctx), heading_(heading), grid_(grid), prn_(prn), canvas_(prn.canvas()), progress_(progress)
    {
        const QPoint o = prn.printableOrigin();
        X_ = o.x();
        Y_ = o.y();
        W_ = prn.mmToPixelsX(prn.printableWidth());
        H_ = prn.mmToPixelsY(prn.printableHeight());
        G_ = mx(2);
        bottom_ = Y_ + H_ - my(10);
        tableStartY_ = Y_ + my(30);
        shading_ = prn.printerDpiX() > 250;
        dpiY_ = prn.printerDpiY();
        y_ = Y_;
    }

    void run();

private:
    int mx(double mm) const { return prn_.mmToPixelsX(mm); }
    int my(double mm) const { return prn_.mmToPixelsY(mm); }
    QFont reportFont(double points, bool bold = false) const
    {
        return printerFont(QString::fromLatin1(ReportTypeface), points, dpiY_, bold);
    }
    QString text(const char* key) const { return ctx_.decode(ctx_.texts.text(key)); }

    void pageFrame();
    void pageHeading();
    void newPage();
    void prepareCells();
    void fitWidth();
    void cutIntoBands(int limit);
    void useBand(size_t band);
    const QFont& rowFont(int r);
    int rowHeight(int r);
    void drawRow(int r, bool heading);
    void printComments();
    const QImage& logoSource();
    const QImage& logo(QSize box);
    int naturalWidth(std::vector<HeadingLine>& lines);
    int fitLines(std::vector<HeadingLine>& lines, int width);

    const LanguageContext& ctx_;
    const ReportHeading& heading_;
    const GridData& grid_;
    PageRecorder& prn_;
    PageCanvas& canvas_;
    Progress& progress_;

    int X_ = 0, Y_ = 0, W_ = 0, H_ = 0, G_ = 0, bottom_ = 0, tableStartY_ = 0, dpiY_ = 300;
    bool shading_ = true;
    int y_ = 0;
    bool headingPrinted_ = false;

    int shrink_ = 0;
    std::vector<int> colWidths_;
    // The columns printed side by side: all of them, unless the table is
    // wider than the paper at the smallest type it may have.
    std::vector<std::vector<int>> bands_;
    const std::vector<int>* band_ = nullptr;
    int total_ = 0; // width of the band printed
    int tableX_ = 0;

    int cols_ = 0, rows_ = 0;
    std::vector<std::vector<QString>> cells_; // visible lines, row-major
    std::vector<int> rowLines_;               // most lines of any cell of the row
    QFont gridFont_;                          // the grid font at the current shrink
    QFont rowFont_;

    bool logoLoaded_ = false;
    QImage logoSource_;
    QImage logo_; // scaled into the box it was last asked for
    QSize logoBox_;
};

void ResultsComposer::newPage()
{
    // A page with nothing on it yet is used as it is: a first row or a
    // block of comments too tall for any page must not leave a blank sheet.
    if (!prn_.currentPageEmpty())
        prn_.newPage();
    headingPrinted_ = false;
}

void ResultsComposer::pageFrame()
{
    if (shading_) {
        const QColor shade(ShadeColour);
        // From corner to corner, each corner converted on its own.
        auto fill = [&](int left, int top, int right, int bottom) {
            canvas_.fillRect(QRect(left, top, right - left, bottom - top), shade);
        };
        // Bands along the four edges of the printable area.
        fill(X_, Y_, X_ + W_, Y_ + my(4));
        fill(X_, Y_ + H_ - my(10), X_ + W_, Y_ + H_);
        fill(X_, Y_, X_ + mx(2), Y_ + H_);
        fill(X_ + W_ - mx(2), Y_, X_ + W_, Y_ + H_);
        // A stepped wedge, 30 mm high and 40 mm wide, in the top-left corner.
        const int h30 = my(30), w40 = mx(40);
        int n = 100;
        while (n > 0 && (h30 / n == 0 || w40 / n == 0))
            --n;
        if (n > 0) {
            const int s = h30 / n, e = w40 / n;
            int y = Y_, right = X_ + n * e;
            for (int i = 0; i < n; ++i) {
                fill(X_, y, right, y + s);
                y += s;
                right -= e;
            }
        }
        // The band under the heading.
        fill(X_, Y_ + my(16), X_ + W_, Y_ + my(25));
    }
    if (heading_.comments.pageNumbering()) {
        const QFont keep = canvas_.font();
        canvas_.setFont(reportFont(8));
        const QString number = QStringLiteral("- %1 -").arg(prn_.pageCount());
        canvas_.textOut(X_ + (W_ - canvas_.textWidth(number)) / 2, Y_ + H_, number);
        canvas_.setFont(keep);
    }
}

const QImage& ResultsComposer::logoSource()
{
    if (logoLoaded_)
        return logoSource_;
    logoLoaded_ = true;
    const QString path = QFile::decodeName(QByteArray::fromStdString(heading_.printout.logo));
    if (path.isEmpty() || !QFile::exists(path))
        return logoSource_;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // A drawing has no pixels of its own: it is read large enough to stay
    // sharp in any box the heading gives it.
    if (reader.format().startsWith("svg")) {
        constexpr int DrawingSide = 2000;
        if (const QSize drawn = reader.size(); drawn.isValid() && !drawn.isEmpty())
            reader.setScaledSize(drawn.scaled(DrawingSide, DrawingSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    }
    const QImage image = reader.read();
    if (!image.isNull() && image.width() > 0 && image.height() > 0)
        logoSource_ = image;
    return logoSource_;
}

const QImage& ResultsComposer::logo(QSize box)
{
    const QImage& source = logoSource();
    if (source.isNull() || box.isEmpty() || box == logoBox_)
        return logo_;
    logoBox_ = box;
    // As large as the box allows, proportions kept.
    QSize size = source.size().scaled(box, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1)).boundedTo(box);
    logo_ = source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return logo_;
}

int ResultsComposer::naturalWidth(std::vector<HeadingLine>& lines)
{
    int widest = 0;
    for (HeadingLine& l : lines) {
        l.font = reportFont(l.points, l.bold);
        canvas_.setFont(l.font);
        l.width = canvas_.textWidth(l.text);
        widest = std::max(widest, l.width);
    }
    return widest;
}

// Fits a block of heading lines into `width` pixels: all of them drawn
// smaller by the same share when the widest needs more, and any still too
// wide cut with an ellipsis. Returns the widest line's width.
int ResultsComposer::fitLines(std::vector<HeadingLine>& lines, int width)
{
    const int natural = naturalWidth(lines);
    if (natural <= width)
        return natural;
    const double scale = std::max(MinHeadingScale, double(width) / natural);
    int widest = 0;
    for (HeadingLine& l : lines) {
        l.font = reportFont(l.points * scale, l.bold);
        canvas_.setFont(l.font);
        l.width = canvas_.textWidth(l.text);
        if (l.width > width) {
            l.text = QFontMetrics(l.font).elidedText(l.text, Qt::ElideRight, std::max(0, width));
            l.width = canvas_.textWidth(l.text);
        }
        widest = std::max(widest, l.width);
    }
    return widest;
}

void ResultsComposer::pageHeading()
{
    const QFont keep = canvas_.font();
    const auto& h = heading_.printout;
    auto decode = [&](const std::string& bytes) { return ctx_.decode(bytes); };

    // The line positions at full size, shared by both blocks; lines drawn
    // smaller keep them (line 1 stands on the rule).
    canvas_.setFont(reportFont(12, true));
    const int h1 = canvas_.textHeight();
    const int line1Y = Y_ + my(4);
    const int ruleY = line1Y + h1 + 1;
    const int line2Y = line1Y + h1 + 3;

    // The two blocks share the room between the operator block's left edge
    // and the inner edge of the right band. When their lines need more, a
    // block that needs no more than half keeps what it needs and the other
    // gets the rest; else each gets half.
    const int opX = X_ + mx(OperatorOffsetMm);
    const int right = X_ + W_ - mx(2);
    const int gap = mx(HeadingGapMm);
    const int room = std::max(0, right - opX - gap);

    std::vector<HeadingLine> opCaption{{text("Operator_30") + u':', 8}};
    std::vector<HeadingLine> opLines{{decode(h.op[0]), 12, true}, {decode(h.op[1]), 8}, {decode(h.op[2]), 8}};
    // The captions are fitted on their own, so that both keep their size
    // when only the lines of one block must be drawn smaller.
    std::vector<HeadingLine> siteCaption{{text("TestSite_30") + u':', 8}};
    std::vector<HeadingLine> site{{decode(h.site[0]), 12, true}, {decode(h.site[1]), 8}, {decode(h.site[2]), 8}};
    const QImage& source = h.logoMode == 1 ? logoSource() : QImage();
    int opNeed = naturalWidth(opCaption);
    if (h.logoMode == 0)
        opNeed = std::max(opNeed, naturalWidth(opLines));
    else if (!source.isNull())
        opNeed = std::max(opNeed, int(std::lround(double(source.width()) * my(LogoHeightMm) / source.height())));
    const int siteNeed = std::max(naturalWidth(siteCaption), naturalWidth(site));
    int opWidth = opNeed, siteWidth = siteNeed;
    if (opNeed + siteNeed > room) {
        const int half = room / 2;
        if (opNeed <= half) {
            siteWidth = room - opNeed;
        } else if (siteNeed <= half) {
            opWidth = room - siteNeed;
        } else {
            opWidth = half;
            siteWidth = room - half;
        }
    }

    auto draw = [&](const HeadingLine& l, int x, int y) {
        canvas_.setFont(l.font);
        canvas_.textOut(x, y, l.text);
    };
    auto lineHeight = [&](const HeadingLine& l) {
        canvas_.setFont(l.font);
        return canvas_.textHeight();
    };

    fitLines(opCaption, opWidth);
    draw(opCaption[0], opX, Y_);
    if (h.logoMode == 0) {
        const int o = fitLines(opLines, opWidth);
        draw(opLines[0], opX + o - opLines[0].width, ruleY - 1 - lineHeight(opLines[0]));
        canvas_.line(opX, ruleY, opX + o, ruleY);
        draw(opLines[1], opX, line2Y);
        draw(opLines[2], opX, line2Y + lineHeight(opLines[1]) + 3);
    } else if (h.logoMode == 1) {
        const QImage& image = logo(QSize(opWidth, my(LogoHeightMm)));
        if (!image.isNull())
            canvas_.drawImage(QRect(QPoint(opX, line1Y), image.size()), image);
    }

    // The test-site block, right-aligned to the inner edge of the right band.
    const int o = std::max(fitLines(siteCaption, siteWidth), fitLines(site, siteWidth));
    draw(siteCaption[0], right - o, Y_);
    draw(site[0], right - site[0].width, ruleY - 1 - lineHeight(site[0]));
    canvas_.line(right, ruleY, right - o, ruleY);
    draw(site[1], right - o, line2Y);
    draw(site[2], right - o, line2Y + lineHeight(site[1]) + 3);

    // Footer lines, centred in the bottom band, within the side bands.
    std::vector<HeadingLine> footer;
    for (const std::string& line : h.footer)
        footer.emplace_back(decode(line), 7);
    fitLines(footer, W_ - 2 * mx(2));
    int fy = Y_ + H_ - my(10);
    for (const HeadingLine& l : footer) {
        draw(l, X_ + (W_ - l.width) / 2, fy);
        fy += lineHeight(l);
    }
    canvas_.setFont(keep);
}

void ResultsComposer::prepareCells()
{
    cols_ = std::max(0, grid_.colCount());
    rows_ = std::max(0, grid_.rowCount());
    cells_.assign(size_t(cols_) * size_t(rows_), {});
    rowLines_.assign(size_t(rows_), 1);
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < cols_; ++c) {
            // The text as the grid shows it: markup and hidden text left out.
            const std::string visible = visibleText(grid_.cell(c, r));
            auto& lines = cells_[size_t(r) * size_t(cols_) + size_t(c)];
            size_t start = 0;
            while (true) {
                const size_t end = visible.find('\r', start);
                lines.push_back(ctx_.decode(visible.substr(start, end == std::string::npos ? end : end - start)));
                if (end == std::string::npos)
                    break;
                start = end + 1;
            }
            rowLines_[size_t(r)] = std::max(rowLines_[size_t(r)], int(lines.size()));
        }
    }
}

void ResultsComposer::fitWidth()
{
    const int limit = W_ - 2 * G_;
    // The type shrinks no further than the same table needs on A4 portrait
    // with these margins: on narrower paper fewer columns go on a page.
    const PageMarginsMm& margins = prn_.margins();
    const int a4PortraitLimit = mx(210.0 - margins.left - margins.right) - 2 * G_;
    TextMeasure& measure = prn_.measure();
    for (shrink_ = 0;; ++shrink_) {
        TextMeasure::Font& gridFont = measure.of(shrunkPrinterFont(grid_.font(), shrink_, dpiY_));
        colWidths_.assign(size_t(cols_), 0);
        for (int r = 0; r < rows_; ++r) {
            for (int c = 0; c < cols_; ++c) {
                const CellData* data = grid_.cellData(c, r);
                TextMeasure::Font& f =
                    data && data->font ? measure.of(shrunkPrinterFont(*data->font, shrink_, dpiY_)) : gridFont;
                int& widest = colWidths_[size_t(c)];
                for (const QString& line : cells_[size_t(r) * size_t(cols_) + size_t(c)])
                    if (!line.isEmpty())
                        widest = std::max(widest, f.width(line));
            }
        }
        total_ = 0;
        for (int& w : colWidths_) {
            w += mx(3);
            total_ += w;
        }
        if (total_ <= limit || total_ <= a4PortraitLimit || shrink_ >= MaxShrinkStep)
            break;
    }
    gridFont_ = shrunkPrinterFont(grid_.font(), shrink_, dpiY_);
    cutIntoBands(limit);
}

void ResultsComposer::cutIntoBands(int limit)
{
    bands_.clear();
    std::vector<int> band;
    int width = 0;
    for (int c = 0; c < cols_; ++c) {
        const int w = colWidths_[size_t(c)];
        if (!band.empty() && width + w > limit) {
            bands_.push_back(std::move(band));
            band.clear();
            width = 0;
            // The first column names the row: each further band repeats it
            // where it leaves room.
            if (colWidths_[0] + w <= limit) {
                band.push_back(0);
                width = colWidths_[0];
            }
        }
        band.push_back(c);
        width += w;
    }
    bands_.push_back(std::move(band));
    useBand(0);
}

void ResultsComposer::useBand(size_t band)
{
    band_ = &bands_[band];
    total_ = 0;
    for (int c : *band_)
        total_ += colWidths_[size_t(c)];
    // Centred; a single column still too wide starts left of the gap.
    tableX_ = X_ + G_ + (W_ - 2 * G_ - total_) / 2;
}

const QFont& ResultsComposer::rowFont(int r)
{
    const CellData* data = grid_.cellData(0, r);
    if (data && data->font) {
        rowFont_ = shrunkPrinterFont(*data->font, shrink_, dpiY_);
        return rowFont_;
    }
    return gridFont_;
}

int ResultsComposer::rowHeight(int r)
{
    canvas_.setFont(rowFont(r));
    return rowLines_[size_t(r)] * canvas_.textHeight() + my(1);
}

void ResultsComposer::drawRow(int r, bool heading)
{
    const int height = rowHeight(r); // also selects the row's font
    const int lineHeight = canvas_.textHeight();
    const int padLeft = mx(1.5), padTop = my(0.5), pads = mx(3);
    int x = tableX_;
    for (int c : *band_) {
        const int w = colWidths_[size_t(c)];
        if (heading && shading_)
            canvas_.fillRect(QRect(x, y_, w, height), QColor(ShadeColour));
        const bool centred = grid_.bodyColumnAlignment(c) == AlignCenter;
        int ly = y_ + padTop;
        for (const QString& line : cells_[size_t(r) * size_t(cols_) + size_t(c)]) {
            const int offset = centred ? (w - pads - canvas_.textWidth(line)) / 2 : 0;
            canvas_.textOut(x + padLeft + offset, ly, line);
            ly += lineHeight;
        }
        canvas_.line(x, y_, x, y_ + height);
        x += w;
    }
    canvas_.line(x, y_, x, y_ + height);
    if (heading)
        canvas_.line(tableX_, y_, tableX_ + total_, y_);
    y_ += height;
    canvas_.line(tableX_, y_, tableX_ + total_, y_);
    if (heading)
        headingPrinted_ = true;
}

void ResultsComposer::printComments()
{
    int n = 0;
    if (heading_.comments.commentsEnabled())
        for (int i = Comments::LineCount; i > 0; --i)
            if (!heading_.comments.lines[size_t(i - 1)].empty()) {
                n = i;
                break;
            }
    if (n == 0)
        return;
    canvas_.setFont(printerFont(QStringLiteral("Courier New"), 8, dpiY_));
    const int s = canvas_.textHeight();
    // Under the table's left edge, but never left of the frame's band; long
    // lines are wrapped at the inner edge of the right band.
    const int x = std::max(tableX_, X_ + mx(2)) + mx(1.5);
    const int width = std::max(1, X_ + W_ - mx(2) - x);
    const QFontMetrics fm(canvas_.font());
    std::vector<QString> lines;
    for (int i = 0; i < n; ++i)
        for (QString& piece : wrapToWidth(ctx_.decode(heading_.comments.lines[size_t(i)]), width, fm))
            lines.push_back(std::move(piece));
    auto freshPage = [&] {
        newPage();
        pageFrame();
        pageHeading();
        y_ = tableStartY_;
        canvas_.setFont(printerFont(QStringLiteral("Courier New"), 8, dpiY_));
    };
    // Comments that fit together go on one page.
    if (y_ + s * (int(lines.size()) + 1) > bottom_)
        freshPage();
    int offset = s; // one empty line under the table
    for (const QString& line : lines) {
        if (y_ + my(0.5) + offset + s > bottom_) {
            freshPage();
            offset = s;
        }
        canvas_.textOut(x, y_ + my(0.5) + offset, line);
        offset += s;
    }
}

void ResultsComposer::run()
{
    progress_.show(ctx_.texts.text("PrintPreview_40"), ctx_.texts.text("Wait_25"), false);
    progress_.setLine2("");
    progress_.setPosition(0);
    prepareCells();
    fitWidth();
    int shown = 0;
    const double rowsToDraw = double(rows_ - 1) * double(bands_.size());
    for (size_t b = 0; b < bands_.size(); ++b) {
        // Each band of columns starts a page of its own.
        useBand(b);
        if (b > 0)
            newPage();
        for (int r = 1; r < rows_; ++r) {
            const int height = rowHeight(r);
            if (y_ + height > bottom_)
                newPage();
            if (!headingPrinted_) {
                pageFrame();
                pageHeading();
                y_ = tableStartY_;
                drawRow(0, true);
            }
            drawRow(r, false);
            const int percent = int(std::lround((double(b) * (rows_ - 1) + r) * 100.0 / rowsToDraw));
            if (percent != shown) {
                shown = percent;
                progress_.setPosition(percent);
            }
        }
    }
    progress_.hide();
    printComments();
}

} // namespace

QFont reportGridFont(const Settings& s, QFont f)
{
    const std::string name = s.readSetting("TabFONTS", "FontName", "");
    if (!name.empty())
        f.setFamily(QString::fromLocal8Bit(name.c_str()));
    const long size = digitsValue(s.readSetting("TabFONTS", "FontSize", ""));
    if (size > 0 && size < 200)
        f.setPointSize(int(size));
    f.setBold(s.readSetting("TabFONTS", "FontBold", "0") == "1");
    return f;
}

bool composeReport(const LanguageContext& ctx, const ReportHeading& heading, PrintMode mode, const GridData& grid,
                   const MarginTexts& margins, PageRecorder& recorder, Progress& progress, std::string* error)
{
    (void)mode; // the results report is the only one
    // Margins that leave less than the frame and heading need would give
    // pages of nothing but overlapping frames.
    if (checkMargins(ctx.texts, margins, recorder.pageSetup(), error) != MarginTexts::Count) {
        qCInfo(logReport) << "report refused: the margins leave no room";
        return false;
    }
    double cm[MarginTexts::Count] = {};
    for (int i = 0; i < MarginTexts::Count; ++i)
        parseMarginText(margins.text[size_t(i)], cm[i]);
    recorder.setMargins({cm[MarginTexts::Left] * 10, cm[MarginTexts::Right] * 10, cm[MarginTexts::Top] * 10,
                         cm[MarginTexts::Bottom] * 10});
    recorder.beginDoc();
    ResultsComposer composer(ctx, heading, grid, recorder, progress);
    composer.run();
    recorder.endDoc();
    qCInfo(logReport) << "report composed:" << recorder.pageCount() << "pages of" << grid.rowCount() << "rows";
    return true;
}

} // namespace zentrova
