// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "language/windows/LanguageDialog.h"

#include "shell/AppContext.h"
#include "shell/Startup.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace zentrova {

LanguageDialog::LanguageDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("SelectLanguage"));
    auto* layout = new QVBoxLayout(this);
    langGroup_ = new QGroupBox(this);
    langGroup_->setObjectName(QStringLiteral("LangGroup"));
    listLayout_ = new QVBoxLayout(langGroup_);
    group_ = new QButtonGroup(this);
    layout->addWidget(langGroup_);
    auto* row = new QHBoxLayout;
    row->addStretch();
    okButton_ = new QPushButton(this);
    okButton_->setObjectName(QStringLiteral("okButton_"));
    okButton_->setDefault(true);
    cancelBtn = new QPushButton(this);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    row->addWidget(okButton_);
    row->addWidget(cancelBtn);
    layout->addLayout(row);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void LanguageDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("SelectLanguage_25"));
    langGroup_->setTitle(t("Language_25"));
    okButton_->setText(t("&OK_11"));
    cancelBtn->setText(t("&Cancel_11"));
    fillList();
    // The window manager cuts a title wider than the window: leave room for
    // the title and the frame's buttons beside it.
    QFont titleFont = font();
    titleFont.setBold(true);
    setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 120);
}

void LanguageDialog::fillList()
{
    for (QAbstractButton* b : group_->buttons()) {
        group_->removeButton(b);
        delete b;
    }
    const auto& entries = ctx_.language.languageFiles.entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        // Each display name is written in its own language's code page.
        const TextCodec own(entries[i].lcid);
        auto* rb = new QRadioButton(own.decode(entries[i].dispName), langGroup_);
        group_->addButton(rb, int(i));
        listLayout_->addWidget(rb);
    }
    if (QAbstractButton* b = group_->button(ctx_.language.languageFiles.selectedIndex()))
        b->setChecked(true);
}

bool LanguageDialog::execute()
{
    const int remembered = ctx_.language.languageFiles.selectedIndex();
    fillList();
    const bool ok = exec() == QDialog::Accepted;
    const int chosen = group_->checkedId();
    if (!ok || chosen < 0) {
        if (QAbstractButton* b = group_->button(remembered))
            b->setChecked(true);
        return false;
    }
    // Keeping the current language after all changes nothing; a broken
    // language file ends the program through ctx_.language.quitRequested.
    if (switchLanguage(ctx_, chosen) == LanguageSwitch::Kept) {
        if (QAbstractButton* b = group_->button(remembered))
            b->setChecked(true);
        return false;
    }
    return true;
}

} // namespace zentrova
