// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/ComposePages.h"

#include "base/FileIO.h"
#include "base/Logging.h"

#include <QBuffer>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace zentrova {

QSize PageSetup::pagePixels() const
{
    const QSizeF mm = pageSize.size(QPageSize::Millimeter);
    QSize px(int(std::lround(mm.width() / 25.4 * dpiX)), int(std::lround(mm.height() / 25.4 * dpiY)));
    if (orientation == QPageLayout::Landscape)
        px = QSize(int(std::lround(mm.height() / 25.4 * dpiX)), int(std::lround(mm.width() / 25.4 * dpiY)));
    return px;
}

// ------------------------------------------------------------------ pages

void RecordedPage::paint(QPainter& painter, bool hairlinesVisible) const
{
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const double scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    const QFont startFont = painter.font();
    for (const PageOp& op : ops) {
        if (const auto* f = std::get_if<FillOp>(&op)) {
            painter.fillRect(f->rect, f->colour);
        } else if (const auto* l = std::get_if<LineOp>(&op)) {
            QPen pen(Qt::black);
            pen.setCapStyle(Qt::SquareCap);
            if (hairlinesVisible && l->width * scale < 1.0)
                pen.setWidth(0); // cosmetic: one device pixel
            else
                pen.setWidth(l->width);
            painter.setPen(pen);
            painter.drawLine(l->from, l->to);
        } else if (const auto* t = std::get_if<TextOp>(&op)) {
            painter.setPen(Qt::black);
            painter.setFont(t->font);
            painter.drawText(t->baseline, t->text);
        } else if (const auto* i = std::get_if<ImageOp>(&op)) {
            painter.drawImage(i->target, i->image);
        }
    }
    painter.setFont(startFont);
    painter.restore();
}

std::vector<QString> RecordedPage::texts() const
{
    std::vector<QString> out;
    for (const PageOp& op : ops)
        if (const auto* t = std::get_if<TextOp>(&op))
            out.push_back(t->text);
    return out;
}

// ------------------------------------------------------------------ measuring

int TextMeasure::Font::width(const QString& text)
{
    auto it = widths.find(text);
    if (it != widths.end())
        return it->second;
    const int w = metrics.horizontalAdvance(text);
    widths.emplace(text, w);
    return w;
}

TextMeasure::Font& TextMeasure::of(const QFont& font)
{
    const QString key = font.key();
    auto it = fonts_.find(key);
    if (it == fonts_.end())
        it = fonts_.emplace(key, std::make_unique<Font>(font)).first;
    return *it->second;
}

// ------------------------------------------------------------------ canvas

void PageCanvas::setFont(const QFont& font)
{
    if (fontEntry_ && font == font_)
        return;
    font_ = font;
    fontEntry_ = nullptr;
}

TextMeasure::Font& PageCanvas::metrics()
{
    if (!fontEntry_)
        fontEntry_ = &recorder_.measure().of(font_);
    return *fontEntry_;
}

int PageCanvas::textWidth(const QString& text)
{
    return text.isEmpty() ? 0 : metrics().width(text);
}

int PageCanvas::textHeight()
{
    return metrics().height;
}

void PageCanvas::textOut(int x, int y, const QString& text)
{
    if (text.isEmpty())
        return;
    recorder_.add(TextOp{QPoint(x, y + metrics().ascent), text, font_});
}

void PageCanvas::fillRect(const QRect& rect, const QColor& colour)
{
    if (rect.isEmpty())
        return;
    recorder_.add(FillOp{rect, colour});
}

void PageCanvas::line(int x1, int y1, int x2, int y2)
{
    // One pixel at the common printer resolutions, as thin as a printed rule
    // should be; finer printers get proportionally wider pens.
    const int width = std::max(1, recorder_.printerDpiX() / 300);
    recorder_.add(LineOp{QPoint(x1, y1), QPoint(x2, y2), width});
}

void PageCanvas::drawImage(const QRect& target, const QImage& image)
{
    if (target.isEmpty() || image.isNull())
        return;
    QImage scaled = image.size() == target.size()
                        ? image
                        : image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    recorder_.add(ImageOp{target, std::move(scaled)});
}

// ------------------------------------------------------------------ recorder

PageRecorder::PageRecorder() : canvas_(*this)
{
}
PageRecorder::~PageRecorder() = default;

void PageRecorder::setPageSetup(const PageSetup& setup)
{
    setup_ = setup;
    if (setup_.dpiX <= 0)
        setup_.dpiX = PageSetup::DefaultDpi;
    if (setup_.dpiY <= 0)
        setup_.dpiY = PageSetup::DefaultDpi;
}

void PageRecorder::beginDoc()
{
    // Measurements are kept for one document: a long run previewing many
    // structures must not collect the widths of every text it ever printed.
    canvas_.forgetMetrics();
    measure_.clear();
    pages_.clear();
    pages_.emplace_back();
    recording_ = true;
}

void PageRecorder::newPage()
{
    if (!recording_)
        return;
    pages_.back().ops.shrink_to_fit();
    pages_.emplace_back();
}

void PageRecorder::endDoc()
{
    if (!pages_.empty())
        pages_.back().ops.shrink_to_fit();
    recording_ = false;
}

void PageRecorder::add(PageOp op)
{
    if (pages_.empty())
        pages_.emplace_back();
    pages_.back().ops.push_back(std::move(op));
}

int PageRecorder::mmToPixelsX(double mm) const
{
    return int(std::lround(mm / 25.4 * setup_.dpiX));
}
int PageRecorder::mmToPixelsY(double mm) const
{
    return int(std::lround(mm / 25.4 * setup_.dpiY));
}

double PageRecorder::printableWidth() const
{
    const QSizeF mm = setup_.pageSize.size(QPageSize::Millimeter);
    const double w = setup_.orientation == QPageLayout::Landscape ? mm.height() : mm.width();
    return w - margins_.left - margins_.right;
}

double PageRecorder::printableHeight() const
{
    const QSizeF mm = setup_.pageSize.size(QPageSize::Millimeter);
    const double h = setup_.orientation == QPageLayout::Landscape ? mm.width() : mm.height();
    return h - margins_.top - margins_.bottom;
}

QPoint PageRecorder::printableOrigin() const
{
    return QPoint(mmToPixelsX(margins_.left), mmToPixelsY(margins_.top));
}

void PageRecorder::paintPage(QPainter& painter, int n, const QRectF& target) const
{
    painter.fillRect(target, Qt::white);
    if (n < 1 || n > pageCount())
        return;
    const QSize px = pagePixels();
    if (px.isEmpty())
        return;
    painter.save();
    painter.setClipRect(target);
    painter.translate(target.topLeft());
    painter.scale(target.width() / px.width(), target.height() / px.height());
    page(n).paint(painter, true);
    painter.restore();
}

// ------------------------------------------------------------------ fonts

QFont printerFont(const QString& family, double pointSize, int dpiY, bool bold)
{
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(pointSize * dpiY / 72.0))));
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

QFont shrunkPrinterFont(const QFont& font, int shrink, int dpiY)
{
    double points = font.pointSizeF();
    if (points <= 0) // a font given in pixels: screen pixels of 96 dpi
        points = font.pixelSize() > 0 ? font.pixelSize() * 72.0 / 96.0 : 9.0;
    points = std::max(1.0, points - shrink);
    QFont f(font);
    f.setPixelSize(std::max(1, int(std::lround(points * dpiY / 72.0))));
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

// ------------------------------------------------------------------ replay

std::vector<int> printOrder(int from, int to, int count, int copies, bool collate)
{
    std::vector<int> order;
    if (from < 1 || to < from || to > count)
        return order;
    copies = std::max(1, copies);
    if (collate) {
        for (int c = 0; c < copies; ++c)
            for (int p = from; p <= to; ++p)
                order.push_back(p);
    } else {
        for (int p = from; p <= to; ++p)
            for (int c = 0; c < copies; ++c)
                order.push_back(p);
    }
    return order;
}

bool replayPages(const PageRecorder& recorder, QPagedPaintDevice& device, const std::vector<int>& order)
{
    const PageSetup& setup = recorder.pageSetup();
    device.setPageSize(setup.pageSize);
    device.setPageOrientation(setup.orientation);
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    qCInfo(logReport) << "drawing" << order.size() << "of" << recorder.pageCount() << "pages at" << device.logicalDpiX()
                      << "dpi";
    QPainter painter;
    if (!painter.begin(&device)) {
        qCInfo(logReport) << "the device refused to be drawn on";
        return false;
    }
    // Whatever margin the device insisted on moves its origin: undo that, so
    // that the recorded paper corner lands on the paper's corner.
    const int res = device.logicalDpiX();
    const QPoint shift = device.pageLayout().paintRectPixels(res).topLeft();
    bool first = true;
    for (int n : order) {
        if (n < 1 || n > recorder.pageCount())
            continue;
        if (!first && !device.newPage()) {
            qCInfo(logReport) << "the device refused page" << n;
            painter.end();
            return false;
        }
        first = false;
        painter.resetTransform();
        painter.translate(-shift);
        painter.scale(double(device.logicalDpiX()) / setup.dpiX, double(device.logicalDpiY()) / setup.dpiY);
        recorder.page(n).paint(painter);
    }
    return painter.end();
}

bool writePdf(const PageRecorder& recorder, const QString& path, QString* error)
{
    std::vector<int> all;
    for (int n = 1; n <= recorder.pageCount(); ++n)
        all.push_back(n);
    return writePdf(recorder, path, error, all);
}

bool writePdf(const PageRecorder& recorder, const QString& path, QString* error, const std::vector<int>& order)
{
    // The document is made in memory and written in one piece, so a disk
    // that fills up cannot leave a cut-off PDF under the target's name.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(recorder.printerDpiX());
        writer.setCreator(QStringLiteral("Zentrova"));
        if (!replayPages(recorder, writer, order)) {
            if (error)
                *error = QStringLiteral("The pages could not be drawn.");
            return false;
        }
    }
    const QByteArray& pdf = buffer.data();
    return writeFileSafely(path, std::string_view(pdf.constData(), size_t(pdf.size())), error);
}

} // namespace zentrova
