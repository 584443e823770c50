#include "structure/windows/ChartWindow.h"

#include "base/FileIO.h"
#include "base/Prompts.h"
#include "shell/AppContext.h"
#include "structure/Structure.h"
#include "structure/windows/ChartDrawing.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

namespace {

// The size a copied or saved chart is drawn at.
const QSize ImageSize(1000, 600);

} // namespace

ChartWindow::ChartWindow(AppContext& context, QWidget* parent) : QDialog(parent), ctx(context)
{
    setObjectName(QStringLiteral("ChartWindow"));
    auto* layout = new QVBoxLayout(this);
    kinds_ = new QComboBox(this);
    kinds_->setObjectName(QStringLiteral("ChartKind"));
    kinds_->addItem(QString(), int(ChartKind::Block));
    kinds_->addItem(QString(), int(ChartKind::Absorption));
    kinds_->addItem(QString(), int(ChartKind::Step));
    auto* top = new QHBoxLayout;
    top->addWidget(kinds_);
    top->addStretch();
    layout->addLayout(top);
    view_ = new QChartView(this);
    view_->setObjectName(QStringLiteral("ChartView"));
    view_->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(view_, 1);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("ChartNote"));
    note_->setAlignment(Qt::AlignCenter);
    layout->addWidget(note_);
    auto* buttons = new QHBoxLayout;
    copyButton_ = new QPushButton(this);
    copyButton_->setObjectName(QStringLiteral("ChartCopy"));
    saveButton_ = new QPushButton(this);
    saveButton_->setObjectName(QStringLiteral("ChartSave"));
    printButton_ = new QPushButton(this);
    printButton_->setObjectName(QStringLiteral("ChartPrint"));
    closeButton_ = new QPushButton(this);
    closeButton_->setDefault(true);
    buttons->addWidget(copyButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(printButton_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    connect(kinds_, &QComboBox::activated, this,
            [this](int index) { showKind(ChartKind(kinds_->itemData(index).toInt())); });
    connect(copyButton_, &QPushButton::clicked, this, &ChartWindow::copyChart);
    connect(saveButton_, &QPushButton::clicked, this, &ChartWindow::saveChart);
    connect(printButton_, &QPushButton::clicked, this, &ChartWindow::printChart);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    resize(900, 620);
    applyTexts();
}

void ChartWindow::applyTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    QString title = t("&Chart_30");
    title.remove(u'&');
    if (title.endsWith(QLatin1String("...")))
        title.chop(3);
    setWindowTitle(title);
    kinds_->setItemText(0, t("ChartBlock_30"));
    kinds_->setItemText(1, t("ChartAbsorption_30"));
    kinds_->setItemText(2, t("ChartStep_30"));
    copyButton_->setText(t("&Copy_30"));
    saveButton_->setText(t("&SaveImage_30"));
    printButton_->setText(t("&Print_11"));
    closeButton_->setText(t("&Close_11"));
    if (node_)
        redraw(); // the chart's texts follow the language
}

ChartKind ChartWindow::kind() const
{
    return ChartKind(kinds_->currentData().toInt());
}

void ChartWindow::showElement(const ElementNode* node)
{
    node_ = node;
    if (node_)
        kinds_->setCurrentIndex(kinds_->findData(int(defaultChartKind(ctx, *node_))));
    redraw();
    show();
    raise();
    activateWindow();
}

void ChartWindow::showKind(ChartKind k)
{
    kinds_->setCurrentIndex(kinds_->findData(int(k)));
    redraw();
}

bool ChartWindow::elementStillThere() const
{
    bool found = false;
    ctx.document.structure.tree.forEach([&](ElementNode& n) { found = found || &n == node_; });
    return found;
}

void ChartWindow::redraw()
{
    std::string reason;
    // The tree may have been replaced since the element was shown.
    if (node_ && !elementStillThere())
        node_ = nullptr;
    drawn_ = node_ && chartOfElement(ctx, *node_, kind(), data_, &reason);
    if (!node_)
        reason = ctx.texts.text("ChartNoData_60");
    QChart* old = view_->chart();
    view_->setChart(drawn_ ? makeChart(ctx, data_) : new QChart);
    delete old;
    note_->setText(drawn_ ? QString() : ctx.decode(reason));
    note_->setVisible(!drawn_);
    copyButton_->setEnabled(drawn_);
    saveButton_->setEnabled(drawn_);
    printButton_->setEnabled(drawn_);
}

void ChartWindow::copyChart()
{
    if (drawn_)
        QApplication::clipboard()->setImage(QImage::fromData(chartPng(ctx, data_, ImageSize), "PNG"));
}

void ChartWindow::saveChart()
{
    if (!drawn_)
        return;
    FileDialogRequest request;
    request.title = ctx.texts.text("&SaveImage_30");
    request.filterName = "PNG, SVG";
    request.pattern = QStringLiteral("*.png *.svg");
    request.proposedName = QStringLiteral("chart.png");
    const std::optional<QString> path = ctx.prompts->saveFileName(request);
    if (!path)
        return;
    const QByteArray bytes = isSvgFileName(*path) ? chartSvg(ctx, data_, ImageSize) : chartPng(ctx, data_, ImageSize);
    QString error;
    if (!writeFileSafely(*path, std::string_view(bytes.constData(), size_t(bytes.size())), &error))
        ctx.prompts->message(MsgType::Error, ctx.encode(*path + QStringLiteral("\r") + error), MbOK);
}

void ChartWindow::printChart()
{
    if (!drawn_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The painter's origin is the corner of the printable area.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QPainter painter(&printer);
    paintChart(ctx, data_, painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
}

} // namespace zentrova
