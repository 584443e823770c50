// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace zentrova {

// The paper the report is composed for: its size, orientation and the
// printer's resolution. Without a printer the pages are composed at 300 dpi.
struct PageSetup {
    static constexpr int DefaultDpi = 300;
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int dpiX = DefaultDpi;
    int dpiY = DefaultDpi;

    // The whole sheet in printer pixels, oriented.
    QSize pagePixels() const;
};

// Page margins in millimetres.
struct PageMarginsMm {
    double left = 25.4, right = 25.4, top = 25.4, bottom = 25.4;
};

// One drawing operation of a recorded page, in page pixels (the paper's
// top-left corner is 0,0).
struct FillOp {
    QRect rect;
    QColor colour;
};
struct LineOp {
    QPoint from, to;
    int width; // page pixels
};
struct TextOp {
    QPoint baseline; // start of the text's baseline
    QString text;
    QFont font; // pixel-sized for the page's resolution
};
struct ImageOp {
    QRect target;
    QImage image; // already scaled to the target's size
};
using PageOp = std::variant<FillOp, LineOp, TextOp, ImageOp>;

// A recorded page: what was drawn, in order.
struct RecordedPage {
    std::vector<PageOp> ops;
    // Replays the page onto `painter`, whose coordinates are page pixels
    // (scale the painter to show it smaller or larger). With
    // `hairlinesVisible` a rule never gets thinner than one device pixel, so
    // it stays visible on a page shown smaller than its size.
    void paint(QPainter& painter, bool hairlinesVisible = false) const;
    // Every text drawn on the page, in order (for finding what a page says).
    std::vector<QString> texts() const;
};

// Text widths and heights per font. Widths are remembered per text, so a
// table measured again at the same size costs a lookup per cell.
class TextMeasure {
public:
    struct Font {
        explicit Font(const QFont& f) : metrics(f), height(metrics.height()), ascent(metrics.ascent()) {}
        QFontMetrics metrics;
        int height;
        int ascent;
        std::unordered_map<QString, int> widths;
        int width(const QString& text);
    };
    // The entry of a (pixel-sized) font; stays valid as long as this object.
    Font& of(const QFont& font);
    void clear() { fonts_.clear(); }

private:
    std::unordered_map<QString, std::unique_ptr<Font>> fonts_;
};

class PageRecorder;

// The canvas of the page being recorded: a current font, text measuring and
// the drawing operations the report uses.
class PageCanvas {
public:
    explicit PageCanvas(PageRecorder& recorder) : recorder_(recorder) {}

    // `font` must be pixel-sized for the page's resolution (see printerFont).
    void setFont(const QFont& font);
    const QFont& font() const { return font_; }
    int textWidth(const QString& text);
    // The height of a line of text in the current font.
    int textHeight();
    // Draws `text` with its top-left corner at (x, y).
    void textOut(int x, int y, const QString& text);
    void fillRect(const QRect& rect, const QColor& colour);
    // A rule from (x1, y1) to (x2, y2).
    void line(int x1, int y1, int x2, int y2);
    void drawImage(const QRect& target, const QImage& image);
    // Drops the remembered measurements of the current font.
    void forgetMetrics() { fontEntry_ = nullptr; }

private:
    TextMeasure::Font& metrics();

    PageRecorder& recorder_;
    QFont font_;
    TextMeasure::Font* fontEntry_ = nullptr;
};

// The page recorder: keeps the pages of one document, each recorded at the
// printer's resolution, for the preview to show scaled and for printing and
// PDF to replay. Lengths are given in millimetres and converted with the
// printer's resolution.
class PageRecorder {
public:
    PageRecorder();
    ~PageRecorder();
    PageRecorder(const PageRecorder&) = delete;
    PageRecorder& operator=(const PageRecorder&) = delete;

    void setPageSetup(const PageSetup& setup);
    const PageSetup& pageSetup() const { return setup_; }
    void setMargins(const PageMarginsMm& margins) { margins_ = margins; }
    const PageMarginsMm& margins() const { return margins_; }

    // Starts a new document with one empty page; the previous pages are gone.
    void beginDoc();
    // Closes the current page and opens the next one.
    void newPage();
    void endDoc();
    // No document at all.
    void clear()
    {
        pages_.clear();
        recording_ = false;
    }
    bool recording() const { return recording_; }

    PageCanvas& canvas() { return canvas_; }
    TextMeasure& measure() { return measure_; }

    // x / 25.4 * dots per inch, rounded.
    int mmToPixelsX(double mm) const;
    int mmToPixelsY(double mm) const;
    // Page size less margins, in millimetres.
    double printableWidth() const;
    double printableHeight() const;
    // The paper corner moved in by the left and top margins, in pixels.
    QPoint printableOrigin() const;
    int printerDpiX() const { return setup_.dpiX; }
    int printerDpiY() const { return setup_.dpiY; }
    QSize pagePixels() const { return setup_.pagePixels(); }

    int pageCount() const { return int(pages_.size()); }
    // Page n, 1-based (the one being recorded included).
    const RecordedPage& page(int n) const { return pages_.at(size_t(n - 1)); }
    bool currentPageEmpty() const { return pages_.empty() || pages_.back().ops.empty(); }

    // Paints page n scaled into `target` (device coordinates of `painter`),
    // on white paper.
    void paintPage(QPainter& painter, int n, const QRectF& target) const;

private:
    friend class PageCanvas;
    void add(PageOp op);

    PageSetup setup_;
    PageMarginsMm margins_;
    std::vector<RecordedPage> pages_;
    bool recording_ = false;
    TextMeasure measure_;
    PageCanvas canvas_;
};

// A font of `pointSize` points for a page of `dpiY` dots per inch, pixel-sized
// so that measuring and drawing agree on every device.
QFont printerFont(const QString& family, double pointSize, int dpiY, bool bold = false);
// The same for a font given by the program (the grid font, a cell's font),
// its size reduced by `shrink` points but never below one point.
QFont shrunkPrinterFont(const QFont& font, int shrink, int dpiY);

// The order pages go to the printer: from..to once per copy, collated
// (1 2 3 1 2 3) or not (1 1 2 2 3 3). Empty for a range outside 1..count.
std::vector<int> printOrder(int from, int to, int count, int copies, bool collate);

// Replays pages `order` (1-based) onto a paged device (printer, PDF writer):
// each page after the first starts a new sheet; the recorded pixels are
// scaled to the device's resolution. The device's page size is set to the
// recorder's and its margins to zero, so the paper corner is 0,0. False when
// painting could not start (the device's file cannot be written, ...).
bool replayPages(const PageRecorder& recorder, QPagedPaintDevice& device, const std::vector<int>& order);

// Writes every recorded page to a PDF file with vector text, at the
// resolution the pages were recorded at. The file is replaced only when the
// PDF is complete; on failure `error` says why and a previous file stays.
bool writePdf(const PageRecorder& recorder, const QString& path, QString* error);
// The same for pages `order` (1-based) only.
bool writePdf(const PageRecorder& recorder, const QString& path, QString* error, const std::vector<int>& order);

} // namespace zentrova
