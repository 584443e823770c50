// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/ExportDialog.h"

#include "shell/AppContext.h"
#include "shell/windows/HelpViewer.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace zentrova {

ExportDialog::ExportDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("ExportDlg"));
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    colGroup = new QGroupBox(this);
    rowGroup = new QGroupBox(this);
    colDelimiter = new QComboBox(colGroup);
    colDelimiter->setObjectName(QStringLiteral("ColDelimiter"));
    rowDelimiter_ = new QComboBox(rowGroup);
    rowDelimiter_->setObjectName(QStringLiteral("RowDelimiter"));
    (new QVBoxLayout(colGroup))->addWidget(colDelimiter);
    (new QVBoxLayout(rowGroup))->addWidget(rowDelimiter_);
    groups->addWidget(colGroup);
    groups->addWidget(rowGroup);
    layout->addLayout(groups);
    auto* row = new QHBoxLayout;
    row->addStretch();
    okButton_ = new QPushButton(this);
    okButton_->setDefault(true);
    cancelbtn = new QPushButton(this);
    row->addWidget(okButton_);
    row->addWidget(cancelbtn);
    layout->addLayout(row);
    connect(okButton_, &QPushButton::clicked, this, &ExportDialog::accept);
    connect(cancelbtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { HelpViewer::showTopic(ctx_, HelpContext, this); });
}

void ExportDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("ExportFormat_30"));
    colGroup->setTitle(t("Delimiter_25"));
    rowGroup->setTitle(t("EOLSign_25"));
    // Each list keeps its selection across a change of language.
    const int col = std::max(0, colDelimiter->currentIndex());
    const int row = std::max(0, rowDelimiter_->currentIndex());
    colDelimiter->clear();
    colDelimiter->addItems({t("TAB_15"), t("semicolon_15")});
    rowDelimiter_->clear();
    rowDelimiter_->addItems({t("CRLF_15"), t("CR_15"), t("LF_15")});
    colDelimiter->setCurrentIndex(col);
    rowDelimiter_->setCurrentIndex(row);
    okButton_->setText(t("&OK_11"));
    cancelbtn->setText(t("&Cancel_11"));
}

bool ExportDialog::execute()
{
    colDelimiter->setCurrentIndex(ctx_.exportFormat.column);
    rowDelimiter_->setCurrentIndex(ctx_.exportFormat.row);
    return exec() == QDialog::Accepted;
}

void ExportDialog::accept()
{
    ctx_.exportFormat.column = std::max(0, colDelimiter->currentIndex());
    ctx_.exportFormat.row = std::max(0, rowDelimiter_->currentIndex());
    QDialog::accept();
}

} // namespace zentrova
