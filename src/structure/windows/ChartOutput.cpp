// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/ChartOutput.h"

#include "base/FileIO.h"
#include "base/Prompts.h"
#include "language/ReplaceQuestion.h"
#include "shell/AppContext.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace zentrova {

namespace {

// The size a copied or saved chart is drawn at.
const QSize ImageSize(1000, 600);

} // namespace

ChartOutput::ChartOutput(AppContext& context, QWidget* parent) : QWidget(parent), ctx_(context)
{
    auto* buttons = new QHBoxLayout(this);
    buttons->setContentsMargins(0, 0, 0, 0);
    copyButton_ = new QPushButton(this);
    copyButton_->setObjectName(QStringLiteral("ChartCopy"));
    saveButton_ = new QPushButton(this);
    saveButton_->setObjectName(QStringLiteral("ChartSave"));
    printButton_ = new QPushButton(this);
    printButton_->setObjectName(QStringLiteral("ChartPrint"));
    buttons->addWidget(copyButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(printButton_);
    connect(copyButton_, &QPushButton::clicked, this, &ChartOutput::copyChart);
    connect(saveButton_, &QPushButton::clicked, this, &ChartOutput::saveChart);
    connect(printButton_, &QPushButton::clicked, this, &ChartOutput::printChart);
    applyTexts();
    enableButtons();
}

void ChartOutput::applyTexts()
{
    copyButton_->setText(ctx_.language.decode(ctx_.language.texts.text("&Copy_30")));
    saveButton_->setText(ctx_.language.decode(ctx_.language.texts.text("&SaveImage_30")));
    printButton_->setText(ctx_.language.decode(ctx_.language.texts.text("&Print_11")));
}

void ChartOutput::setChart(ChartMaker make, const QString& title)
{
    make_ = std::move(make);
    title_ = title;
    enableButtons();
}

void ChartOutput::clearChart()
{
    make_ = nullptr;
    title_.clear();
    enableButtons();
}

void ChartOutput::enableButtons()
{
    copyButton_->setEnabled(hasChart());
    saveButton_->setEnabled(hasChart());
    printButton_->setEnabled(hasChart());
}

void ChartOutput::copyChart()
{
    if (make_)
        QApplication::clipboard()->setImage(QImage::fromData(chartPng(make_, ImageSize), "PNG"));
}

void ChartOutput::saveChart()
{
    if (!make_)
        return;
    FileDialogRequest request;
    // The button's text, without its accelerator and dots, titles the dialog.
    std::string title = ctx_.language.texts.text("&SaveImage_30");
    std::erase(title, '&');
    if (title.size() > 3 && title.ends_with("..."))
        title.resize(title.size() - 3);
    request.title = title;
    request.filterName = "PNG, SVG";
    request.pattern = QStringLiteral("*.png *.svg");
    request.proposedName = QStringLiteral("chart.png");
    const std::optional<QString> path = chooseFileToWrite(
        ctx_.language, request, [](const QString& name) { return withExtensionWhenNone(name, QStringLiteral("png")); });
    if (!path)
        return;
    const QByteArray bytes = isSvgFileName(*path) ? chartSvg(make_, ImageSize, title_) : chartPng(make_, ImageSize);
    writeChosenFile(ctx_.language, *path, std::string_view(bytes.constData(), size_t(bytes.size())));
}

void ChartOutput::printChart()
{
    if (!make_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        // Printing to a PDF file: the file is named in the program's own
        // dialog, which asks before it replaces one that is there.
        FileDialogRequest request;
        request.title = ctx_.language.texts.text("PrintToFile_40");
        request.filterName = "PDF";
        request.pattern = QStringLiteral("*.pdf");
        request.proposedName = printer.outputFileName();
        const std::optional<QString> path = chooseFileToWrite(ctx_.language, request, [](const QString& name) {
            return withExtensionWhenNone(name, QStringLiteral("pdf"));
        });
        if (!path)
            return;
        printer.setOutputFileName(*path);
    }
    // The painter's origin is the corner of the printable area.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    QPainter painter(&printer);
    paintChart(make_, painter, QRectF(QPointF(0, 0), QSizeF(page.size())));
}

} // namespace zentrova
