// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/PageRangeDialog.h"

#include "base/Prompts.h"
#include "report/ComposePreview.h"
#include "shell/AppContext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

PageRangeDialog::PageRangeDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("SelectPages"));
    auto* layout = new QVBoxLayout(this);
    pagesLabel = new QLabel(this);
    layout->addWidget(pagesLabel);
    auto* range = new QHBoxLayout;
    fromPage_ = new QLineEdit(this);
    fromPage_->setObjectName(QStringLiteral("FromPage"));
    toPage_ = new QLineEdit(this);
    toPage_->setObjectName(QStringLiteral("ToPage"));
    for (QLineEdit* e : {fromPage_, toPage_}) {
        e->setMaxLength(9);
        e->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    }
    range->addWidget(fromPage_);
    range->addWidget(new QLabel(QStringLiteral("-"), this));
    range->addWidget(toPage_);
    range->addStretch();
    layout->addLayout(range);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    printBtn = new QPushButton(this);
    printBtn->setDefault(true);
    cancelBtn = new QPushButton(this);
    buttons->addWidget(printBtn);
    buttons->addWidget(cancelBtn);
    layout->addLayout(buttons);
    connect(printBtn, &QPushButton::clicked, this, &PageRangeDialog::printClicked);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    applyInterfaceTexts();
}

void PageRangeDialog::applyInterfaceTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("SelectPages_25"));
    pagesLabel->setText(t("PagesToPrint_30"));
    printBtn->setText(t("&Print_11"));
    cancelBtn->setText(t("&Cancel_11"));
}

void PageRangeDialog::printClicked()
{
    range_ =
        pagesToPrint(fromPage_->text().toLatin1().toStdString(), toPage_->text().toLatin1().toStdString(), pageCount_);
    if (range_) {
        accept();
        return;
    }
    ctx_.language.prompts->message(
        MsgType::Error, ctx_.language.texts.text("PageRangeInvalid_60") + " " + std::to_string(pageCount_) + ".", MbOK);
    fromPage_->setFocus();
    fromPage_->selectAll();
}

std::optional<std::pair<int, int>> PageRangeDialog::execute(int pageCount)
{
    pageCount_ = pageCount;
    range_.reset();
    fromPage_->setText(QStringLiteral("1"));
    toPage_->setText(QString::number(pageCount));
    fromPage_->setFocus();
    fromPage_->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return range_;
}

} // namespace zentrova
