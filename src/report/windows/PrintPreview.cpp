// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/PrintPreview.h"

#include "base/Prompts.h"
#include "language/ReplaceQuestion.h"
#include "report/ComposePreview.h"
#include "report/windows/MarginsDialog.h"
#include "report/windows/PageRangeDialog.h"
#include "shell/AppContext.h"
#include "shell/windows/HelpViewer.h"
#include "shell/windows/Icons.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace zentrova {

// ------------------------------------------------------------------ icons

namespace {

enum class PreviewIcon { First, Previous, Next, Last, ZoomOut, ZoomIn, PrintSetup, Margins, Pdf };

QIcon previewIcon(PreviewIcon which)
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor arrow(40, 90, 170), dark(40, 40, 40);
    auto triangle = [&](bool left, double x) {
        QPolygonF t = left ? QPolygonF({QPointF(x + 10, 7), QPointF(x + 10, 25), QPointF(x, 16)})
                           : QPolygonF({QPointF(x, 7), QPointF(x, 25), QPointF(x + 10, 16)});
        p.drawPolygon(t);
    };
    p.setPen(QPen(arrow.darker(130), 1));
    p.setBrush(arrow);
    switch (which) {
    case PreviewIcon::First:
        p.drawRect(QRectF(7, 7, 3, 18));
        triangle(true, 12);
        triangle(true, 19);
        break;
    case PreviewIcon::Previous:
        triangle(true, 10);
        break;
    case PreviewIcon::Next:
        triangle(false, 12);
        break;
    case PreviewIcon::Last:
        triangle(false, 3);
        triangle(false, 10);
        p.drawRect(QRectF(22, 7, 3, 18));
        break;
    case PreviewIcon::ZoomOut:
    case PreviewIcon::ZoomIn: {
        p.setBrush(QColor(235, 245, 255));
        p.setPen(QPen(dark, 2));
        p.drawEllipse(QRectF(4, 4, 17, 17));
        p.setPen(QPen(dark, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(19, 19), QPointF(27, 27));
        p.setPen(QPen(arrow, 2.2));
        p.drawLine(QPointF(8, 12.5), QPointF(17, 12.5));
        if (which == PreviewIcon::ZoomIn)
            p.drawLine(QPointF(12.5, 8), QPointF(12.5, 17));
        break;
    }
    case PreviewIcon::PrintSetup: {
        pm.fill(Qt::transparent);
        p.drawPixmap(0, 0, toolIcon(ToolIcon::Print).pixmap(32, 32));
        // A small gear over the printer.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 90, 100));
        const QPointF c(23, 23);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(c);
            p.rotate(i * 45);
            p.drawRect(QRectF(-1.5, -8, 3, 4));
            p.restore();
        }
        p.drawEllipse(c, 5.5, 5.5);
        p.setBrush(QColor(230, 230, 235));
        p.drawEllipse(c, 2.2, 2.2);
        break;
    }
    case PreviewIcon::Margins:
        p.setPen(QPen(dark, 1.2));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 20, 26));
        p.setPen(QPen(QColor(200, 40, 40), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(10, 7, 12, 18));
        break;
    case PreviewIcon::Pdf:
        p.setPen(QPen(dark, 1.2));
        p.setBrush(Qt::white);
        {
            QPainterPath sheet;
            sheet.moveTo(6, 3);
            sheet.lineTo(20, 3);
            sheet.lineTo(26, 9);
            sheet.lineTo(26, 29);
            sheet.lineTo(6, 29);
            sheet.closeSubpath();
            p.drawPath(sheet);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawRect(QRectF(3, 15, 22, 9));
        p.setPen(Qt::white);
        {
            QFont f(QStringLiteral("Liberation Sans"));
            f.setPixelSize(8);
            f.setBold(true);
            p.setFont(f);
            // The file format's name, the same in every language.
            p.drawText(QRectF(3, 15, 22, 9), Qt::AlignCenter, QStringLiteral("PDF"));
        }
        break;
    }
    return QIcon(pm);
}

constexpr int DeskMargin = 16; // grey around the page, in screen pixels

} // namespace

// ------------------------------------------------------------------ page view

PreviewPageView::PreviewPageView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("Prn"));
    viewport()->setAutoFillBackground(false);
    setFrameShape(QFrame::NoFrame);
}

void PreviewPageView::setRecorder(const PageRecorder* recorder)
{
    recorder_ = recorder;
    pagesChanged();
}

void PreviewPageView::setPage(int n)
{
    page_ = n;
    viewport()->update();
}

void PreviewPageView::setZoom(Fit fit, int percent)
{
    fit_ = fit;
    percent_ = percent;
    updateScrollBars();
    viewport()->update();
}

void PreviewPageView::pagesChanged()
{
    updateScrollBars();
    viewport()->update();
}

double PreviewPageView::scale() const
{
    const QSize px = recorder_ ? recorder_->pagePixels() : QSize();
    if (px.isEmpty())
        return 1.0;
    const double w = std::max(1, viewport()->width() - 2 * DeskMargin);
    const double h = std::max(1, viewport()->height() - 2 * DeskMargin);
    switch (fit_) {
    case Fit::PageWidth:
        return w / px.width();
    case Fit::WholePage:
        return std::min(w / px.width(), h / px.height());
    case Fit::Percent:
        break;
    }
    // 100 % shows the page at its size on paper.
    return percent_ / 100.0 * logicalDpiX() / recorder_->printerDpiX();
}

QRect PreviewPageView::pageRect() const
{
    const QSize px = recorder_ ? recorder_->pagePixels() : QSize();
    const double s = scale();
    const QSize size(std::max(1, int(std::lround(px.width() * s))), std::max(1, int(std::lround(px.height() * s))));
    const QSize vp = viewport()->size();
    // Centred when smaller than the window, else scrolled.
    const int x = size.width() + 2 * DeskMargin <= vp.width() + 1 ? (vp.width() - size.width()) / 2
                                                                  : DeskMargin - horizontalScrollBar()->value();
    const int y = size.height() + 2 * DeskMargin <= vp.height() + 1 ? (vp.height() - size.height()) / 2
                                                                    : DeskMargin - verticalScrollBar()->value();
    return QRect(QPoint(x, y), size);
}

void PreviewPageView::updateScrollBars()
{
    const QSize px = recorder_ ? recorder_->pagePixels() : QSize();
    const double s = scale();
    const int w = int(std::lround(px.width() * s)) + 2 * DeskMargin;
    const int h = int(std::lround(px.height() * s)) + 2 * DeskMargin;
    const QSize vp = viewport()->size();
    // A fitted page needs no scrolling in the direction it was fitted to
    // (rounding must not bring up a scroll bar of one pixel).
    const bool fitsWidth = fit_ != Fit::Percent;
    const bool fitsHeight = fit_ == Fit::WholePage;
    horizontalScrollBar()->setRange(0, fitsWidth ? 0 : std::max(0, w - vp.width()));
    horizontalScrollBar()->setPageStep(vp.width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, fitsHeight ? 0 : std::max(0, h - vp.height()));
    verticalScrollBar()->setPageStep(vp.height());
    verticalScrollBar()->setSingleStep(20);
}

void PreviewPageView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), QColor(128, 128, 128));
    if (!recorder_ || recorder_->pageCount() == 0)
        return;
    const QRect page = pageRect();
    p.fillRect(page.translated(4, 4), QColor(60, 60, 60)); // shadow
    p.setRenderHint(QPainter::Antialiasing, true);
    recorder_->paintPage(p, std::clamp(page_, 1, recorder_->pageCount()), QRectF(page));
}

void PreviewPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PreviewPageView::scrollContentsBy(int, int)
{
    viewport()->update();
}

// ------------------------------------------------------------------ preview

PrintPreview::PrintPreview(AppContext& context, QWidget* parent) : QWidget(parent), ctx_(context)
{
    setObjectName(QStringLiteral("Preview"));
    setWindowFlag(Qt::Window);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    toolBar_ = new QToolBar(this);
    toolBar_->setIconSize(QSize(24, 24));
    layout->addWidget(toolBar_);
    view_ = new PreviewPageView(this);
    view_->setRecorder(&prn_);
    layout->addWidget(view_, 1);

    auto makeButton = [&](const char* name, const QIcon& icon, void (PrintPreview::*slot)()) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(icon);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, slot);
        toolBar_->addWidget(b);
        return b;
    };
    icoLeftK = makeButton("IcoLeftK", previewIcon(PreviewIcon::First), &PrintPreview::showFirstPage);
    icoLeft = makeButton("IcoLeft", previewIcon(PreviewIcon::Previous), &PrintPreview::showPreviousPage);
    page = new QLineEdit(this);
    page->setObjectName(QStringLiteral("Page"));
    page->setAlignment(Qt::AlignCenter);
    page->setMaxLength(30);
    page->setFixedWidth(page->fontMetrics().horizontalAdvance(QStringLiteral("0000 of 0000")) + 24);
    page->installEventFilter(this);
    connect(page, &QLineEdit::returnPressed, this, &PrintPreview::pageKeyEnter);
    // Left without Enter: the box shows where the preview is again.
    connect(page, &QLineEdit::editingFinished, this, &PrintPreview::refreshNavigation);
    toolBar_->addWidget(page);
    icoRight = makeButton("IcoRight", previewIcon(PreviewIcon::Next), &PrintPreview::showNextPage);
    icoRightK = makeButton("IcoRightK", previewIcon(PreviewIcon::Last), &PrintPreview::showLastPage);
    toolBar_->addSeparator();
    icoZoomOut = makeButton("IcoZoomOut", previewIcon(PreviewIcon::ZoomOut), &PrintPreview::zoomOut);
    zoom = new QComboBox(this);
    zoom->setObjectName(QStringLiteral("Zoom"));
    zoom->setEditable(true);
    zoom->setInsertPolicy(QComboBox::NoInsert);
    zoom->setMaxVisibleItems(15);
    for (int step : ZoomSteps)
        zoom->addItem(QString::number(step) + u'%');
    zoom->addItem(QString());
    zoom->addItem(QString());
    zoom->setMinimumContentsLength(11);
    toolBar_->addWidget(zoom);
    connect(zoom, &QComboBox::activated, this, &PrintPreview::zoomChanged);
    connect(zoom->lineEdit(), &QLineEdit::returnPressed, this, &PrintPreview::zoomKeyEnter);
    icoZoomIn = makeButton("IcoZoomIn", previewIcon(PreviewIcon::ZoomIn), &PrintPreview::zoomIn);
    toolBar_->addSeparator();
    icoPrintSet = makeButton("IcoPrintSet", previewIcon(PreviewIcon::PrintSetup), &PrintPreview::printSetup);
    icoMargins = makeButton("IcoMargins", previewIcon(PreviewIcon::Margins), &PrintPreview::editMargins);
    icoPrint = makeButton("IcoPrint", toolIcon(ToolIcon::Print), &PrintPreview::printPages);
    icoPdf = makeButton("IcoPdf", previewIcon(PreviewIcon::Pdf), &PrintPreview::saveAsPdf);
    toolBar_->addSeparator();
    icoExit = makeButton("IcoExit", QIcon(), &PrintPreview::closePreview);
    icoExit->setToolButtonStyle(Qt::ToolButtonTextOnly);

    // Paging from the keyboard as well.
    auto key = [&](QKeySequence seq, void (PrintPreview::*slot)()) {
        auto* s = new QShortcut(seq, this);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, slot);
    };
    key(QKeySequence(Qt::Key_PageDown), &PrintPreview::showNextPage);
    key(QKeySequence(Qt::Key_PageUp), &PrintPreview::showPreviousPage);
    key(QKeySequence(Qt::CTRL | Qt::Key_Home), &PrintPreview::showFirstPage);
    key(QKeySequence(Qt::CTRL | Qt::Key_End), &PrintPreview::showLastPage);
    key(QKeySequence(Qt::Key_Escape), &PrintPreview::closePreview);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { HelpViewer::showTopic(ctx_, PreviewHelpContext, this); });

    margins_ = new MarginsDialog(ctx_, this);
    pages_ = new PageRangeDialog(ctx_, this);
    applyInterfaceTexts();
    marginTexts_.load(ctx_.language.settings);
    zoom->setCurrentIndex(ZoomDefaultIndex);
    zoomChanged(ZoomDefaultIndex);
}

PrintPreview::~PrintPreview() = default;

QString PrintPreview::text(const char* key) const
{
    return ctx_.language.decode(ctx_.language.texts.text(key));
}

QToolButton* PrintPreview::button(const char* name) const
{
    return findChild<QToolButton*>(QString::fromLatin1(name));
}

void PrintPreview::applyInterfaceTexts()
{
    setWindowTitle(text("PrintPreview_40"));
    icoLeftK->setToolTip(text("HintFirstPage_30"));
    icoLeft->setToolTip(text("HintPreviousPage_30"));
    icoRight->setToolTip(text("HintNextPage_30"));
    icoRightK->setToolTip(text("HintLastPage_30"));
    icoZoomOut->setToolTip(text("HintZoomOut_30"));
    icoZoomIn->setToolTip(text("HintZoomIn_30"));
    icoPrintSet->setToolTip(text("HintPrintSetup_30"));
    icoMargins->setToolTip(text("HintMargins_30"));
    icoPrint->setToolTip(text("HintPrint_30"));
    icoPdf->setToolTip(text("SaveAs_30") + QStringLiteral(" (PDF)"));
    icoExit->setText(text("Stop_11"));
    icoExit->setToolTip(text("HintStopPreview_30"));
    page->setToolTip(text("HintTypePage_40"));
    const QString current = zoom->currentText();
    const int index = zoom->currentIndex();
    zoom->setItemText(ZoomPageWidth, text("PageWidth_12"));
    zoom->setItemText(ZoomWholePage, text("WholePage_12"));
    if (index == ZoomPageWidth || index == ZoomWholePage) {
        zoomText_ = zoom->itemText(index);
        zoom->setEditText(zoomText_);
    } else {
        zoom->setEditText(current);
    }
    margins_->applyInterfaceTexts();
    pages_->applyInterfaceTexts();
    refreshNavigation();
}

void PrintPreview::loadMargins()
{
    marginTexts_.load(ctx_.language.settings);
}

void PrintPreview::initPreview()
{
    zoom->setCurrentIndex(ZoomDefaultIndex);
    zoomChanged(ZoomDefaultIndex);
    loadMargins();
    prn_.clear();
    grid_ = nullptr;
    view_->setPage(1);
    view_->pagesChanged();
    page->clear();
}

QPrinter& PrintPreview::printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageOrientation(QPageLayout::Portrait);
        // Printing asks for the file name; what Qt would propose (print.pdf
        // in the working folder) is no choice of the user's.
        printer_->setOutputFileName(QString());
    }
    return *printer_;
}

bool PrintPreview::printerAvailable()
{
    QPrinter& p = printer();
    return p.outputFormat() == QPrinter::NativeFormat && p.isValid() && !p.printerName().isEmpty() &&
           !QPrinterInfo::availablePrinters().isEmpty();
}

PageSetup PrintPreview::currentSetup()
{
    PageSetup setup;
    QPrinter& p = printer();
    const QPageSize size = p.pageLayout().pageSize();
    if (size.isValid())
        setup.pageSize = size;
    setup.orientation = p.pageLayout().orientation();
    if (printerAvailable() && p.resolution() > 0) {
        setup.dpiX = setup.dpiY = p.resolution();
    } else {
        setup.dpiX = setup.dpiY = PageSetup::DefaultDpi;
    }
    return setup;
}

bool PrintPreview::compose(PrintMode mode, const GridData& grid)
{
    // The progress dialog lets window messages run while the pages are being
    // recorded: a second composition (or printing half a document) must not
    // start from them.
    if (composing_)
        return false;
    grid_ = &grid;
    mode_ = mode;
    if (!isVisible()) {
        // Without a window manager "maximised" means nothing: fill the screen.
        if (QScreen* screen = this->screen())
            setGeometry(screen->availableGeometry());
        showMaximized();
    }
    raise();
    activateWindow();
    return composePages(true);
}

bool PrintPreview::composePages(bool fromFirstPage)
{
    composing_ = true;
    toolBar_->setEnabled(false);
    page->clear();
    prn_.setPageSetup(currentSetup());
    std::string error;
    const bool ok = composeReport(ctx_.language, {ctx_.document.heading, ctx_.document.comments}, mode_, *grid_,
                                  marginTexts_, prn_, *progress_, &error);
    toolBar_->setEnabled(true);
    composing_ = false;
    if (!ok) {
        ctx_.language.prompts->message(MsgType::Error, error, MbOK);
        keepInFront();
    } else if (fromFirstPage) {
        view_->setPage(1);
    }
    view_->setPage(std::clamp(view_->page(), 1, std::max(1, prn_.pageCount())));
    view_->pagesChanged();
    refreshNavigation();
    return ok;
}

bool PrintPreview::recompose()
{
    if (!grid_ || composing_)
        return false;
    return composePages(false);
}

void PrintPreview::refreshIfShown()
{
    if (isVisible())
        recompose();
}

void PrintPreview::keepInFront()
{
    if (!isVisible())
        return;
    raise();
    activateWindow();
}

bool PrintPreview::eventFilter(QObject* watched, QEvent* event)
{
    // Clicking into the page box selects its text, so that typing a number
    // replaces "3 of 12".
    if (watched == page && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, page, [box = page] { box->selectAll(); });
    return QWidget::eventFilter(watched, event);
}

void PrintPreview::showPage(int n)
{
    const int count = prn_.pageCount();
    if (count == 0)
        return;
    n = std::clamp(n, 1, count);
    if (n == view_->page())
        return;
    view_->setPage(n);
    refreshNavigation();
}

void PrintPreview::refreshNavigation()
{
    const int count = prn_.pageCount();
    const NavigationState s = navigation(view_->page(), count, zoomValue(zoom->currentText()));
    icoLeftK->setEnabled(s.first);
    icoLeft->setEnabled(s.previous);
    icoRight->setEnabled(s.next);
    icoRightK->setEnabled(s.last);
    icoZoomIn->setEnabled(s.zoomIn);
    icoZoomOut->setEnabled(s.zoomOut);
    if (count > 0 && grid_)
        page->setText(zentrova::pageIndicator(view_->page(), count, text("of_5")));
}

void PrintPreview::showFirstPage()
{
    showPage(1);
}
void PrintPreview::showPreviousPage()
{
    showPage(view_->page() - 1);
}
void PrintPreview::showNextPage()
{
    showPage(view_->page() + 1);
}
void PrintPreview::showLastPage()
{
    showPage(prn_.pageCount());
}

void PrintPreview::zoomChanged(int index)
{
    if (index < 0 || index > ZoomWholePage)
        return;
    zoom->setCurrentIndex(index);
    zoomText_ = zoom->itemText(index);
    zoom->setEditText(zoomText_);
    if (index == ZoomPageWidth)
        view_->setZoom(PreviewPageView::Fit::PageWidth);
    else if (index == ZoomWholePage)
        view_->setZoom(PreviewPageView::Fit::WholePage);
    else
        view_->setZoom(PreviewPageView::Fit::Percent, ZoomSteps[size_t(index)]);
    refreshNavigation();
}

void PrintPreview::zoomKeyEnter()
{
    const std::optional<int> typed = typedZoom(zoom->currentText());
    if (!typed) {
        // Not a number: the zoom stays, and so does what the box said.
        zoom->setEditText(zoomText_);
        return;
    }
    view_->setZoom(PreviewPageView::Fit::Percent, *typed);
    zoomText_ = QString::number(*typed) + u'%';
    zoom->setEditText(zoomText_);
    refreshNavigation();
}

void PrintPreview::pageKeyEnter()
{
    if (const std::optional<int> typed = typedPage(page->text(), prn_.pageCount()))
        showPage(*typed);
    refreshNavigation();
    page->selectAll();
}

void PrintPreview::zoomIn()
{
    zoomChanged(zoomInIndex(zoomValue(zoom->currentText())));
}
void PrintPreview::zoomOut()
{
    zoomChanged(zoomOutIndex(zoomValue(zoom->currentText())));
}

void PrintPreview::printSetup()
{
    if (composing_)
        return;
    QPrinter& p = printer();
    QPrintDialog dialog(&p, this);
    // The range is chosen when printing; here only the printer, paper and copies.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.exec();
    // Paper, orientation and resolution may have changed, confirmed or not.
    recompose();
}

void PrintPreview::editMargins()
{
    if (composing_)
        return;
    MarginTexts m = marginTexts_;
    const bool saved = margins_->execute(m, currentSetup());
    keepInFront();
    if (!saved)
        return;
    loadMargins();
    recompose();
}

void PrintPreview::printPages()
{
    if (composing_)
        return;
    const int count = prn_.pageCount();
    if (count == 0 || !grid_)
        return;
    const auto range = pages_->execute(count);
    keepInFront();
    if (range)
        printRange(range->first, range->second);
    keepInFront();
}

bool PrintPreview::printToPdf(const QString& path, const std::vector<int>& order)
{
    QString error;
    if (writePdf(prn_, path, &error, order))
        return true;
    ctx_.language.prompts->message(MsgType::Error, ctx_.language.encode(path + u'\r' + error), MbOK);
    keepInFront();
    return false;
}

static QString proposedPdfName(const QString& structureFile)
{
    const QFileInfo info(structureFile.isEmpty() ? QStringLiteral("report") : structureFile);
    return info.path() + u'/' + info.completeBaseName() + QStringLiteral(".pdf");
}

void PrintPreview::printRange(int from, int to)
{
    QPrinter& p = printer();
    const int count = prn_.pageCount();
    if (!printerAvailable() || p.outputFormat() == QPrinter::PdfFormat) {
        // No printer to print on, or the PDF printer chosen in Printer setup:
        // the pages go to a PDF file the user names here, the file named in
        // Printer setup offered.
        const QString named = p.outputFormat() == QPrinter::PdfFormat ? p.outputFileName() : QString();
        const auto chosen = askPdfPath(ctx_.language.texts.text("PrintToFile_40"), named);
        if (!chosen)
            return;
        const QString path = *chosen;
        // Not handed back to the printer: its set-up dialog would then ask
        // whether to overwrite a file it does not write.
        printToPdf(path, printOrder(from, to, count, 1, true));
        return;
    }
    p.setFullPage(true);
    std::vector<int> order;
    if (p.supportsMultipleCopies()) {
        order = printOrder(from, to, count, 1, true); // the printer makes the copies
    } else {
        order = printOrder(from, to, count, p.copyCount(), p.collateCopies());
    }
    if (!replayPages(prn_, p, order))
        ctx_.language.prompts->message(MsgType::Error, ctx_.language.encode(p.printerName()), MbOK);
}

std::optional<QString> PrintPreview::askPdfPath(const std::string& title, const QString& proposed)
{
    FileDialogRequest r;
    r.title = title;
    r.filterName = "PDF";
    r.pattern = QStringLiteral("*.pdf");
    r.proposedName = proposed.isEmpty() ? proposedPdfName(ctx_.document.fileName) : proposed;
    // A name without an extension gets ".pdf"; a file that is there is
    // replaced only when the user says so.
    const auto chosen = chooseFileToWrite(
        ctx_.language, r, [](const QString& name) { return withExtensionWhenNone(name, QStringLiteral("pdf")); });
    keepInFront();
    return chosen;
}

void PrintPreview::saveAsPdf()
{
    if (composing_)
        return;
    if (prn_.pageCount() == 0 || !grid_)
        return;
    const auto chosen = askPdfPath(ctx_.language.texts.text("SaveAs_30"));
    if (!chosen)
        return;
    const QString path = *chosen;
    std::vector<int> all;
    for (int n = 1; n <= prn_.pageCount(); ++n)
        all.push_back(n);
    printToPdf(path, all);
    keepInFront();
}

void PrintPreview::closePreview()
{
    close();
}

} // namespace zentrova
