// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/ChartWindow.h"

#include "shell/AppContext.h"
#include "structure/Structure.h"
#include "structure/windows/ChartDrawing.h"
#include "structure/windows/ChartOutput.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

ChartWindow::ChartWindow(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
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
    output_ = new ChartOutput(ctx_, this);
    closeButton_ = new QPushButton(this);
    closeButton_->setDefault(true);
    buttons->addWidget(output_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    connect(kinds_, &QComboBox::activated, this,
            [this](int index) { showKind(ChartKind(kinds_->itemData(index).toInt())); });
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    resize(900, 620);
    applyTexts();
}

void ChartWindow::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    QString title = t("&Chart_30");
    title.remove(u'&');
    if (title.endsWith(QLatin1String("...")))
        title.chop(3);
    setWindowTitle(title);
    kinds_->setItemText(0, t("ChartBlock_30"));
    kinds_->setItemText(1, t("ChartAbsorption_30"));
    kinds_->setItemText(2, t("ChartStep_30"));
    output_->applyTexts();
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
        kinds_->setCurrentIndex(kinds_->findData(int(defaultChartKind(ctx_, *node_))));
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
    ctx_.document.structure.tree.forEach([&](ElementNode& n) { found = found || &n == node_; });
    return found;
}

void ChartWindow::redraw()
{
    std::string reason;
    // The tree may have been replaced since the element was shown.
    if (node_ && !elementStillThere())
        node_ = nullptr;
    drawn_ = node_ && chartOfElement(ctx_, *node_, kind(), data_, &reason);
    if (!node_)
        reason = ctx_.language.texts.text("ChartNoData_60");
    QChart* old = view_->chart();
    view_->setChart(drawn_ ? makeChart(ctx_, data_) : new QChart);
    delete old;
    note_->setText(drawn_ ? QString() : ctx_.language.decode(reason));
    note_->setVisible(!drawn_);
    if (drawn_)
        output_->setChart([this] { return makeChart(ctx_, data_); }, ctx_.language.decode(data_.title));
    else
        output_->clearChart();
}

void ChartWindow::copyChart()
{
    output_->copyChart();
}

void ChartWindow::saveChart()
{
    output_->saveChart();
}

void ChartWindow::printChart()
{
    output_->printChart();
}

} // namespace zentrova
