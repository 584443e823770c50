// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/MarginsDialog.h"

#include "base/Prompts.h"
#include "shell/AppContext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

MarginsDialog::MarginsDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("Margins"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    static const char* const names[MarginTexts::Count] = {"MarLeft", "MarRight", "MarTop", "MarBottom"};
    for (int i = 0; i < MarginTexts::Count; ++i) {
        labels_[size_t(i)] = new QLabel(this);
        fields_[size_t(i)] = new QLineEdit(this);
        fields_[size_t(i)]->setObjectName(QString::fromLatin1(names[i]));
        fields_[size_t(i)]->setMaxLength(20);
        labels_[size_t(i)]->setBuddy(fields_[size_t(i)]);
        grid->addWidget(labels_[size_t(i)], i, 0);
        grid->addWidget(fields_[size_t(i)], i, 1);
        // The unit symbol is the same in every language.
        grid->addWidget(new QLabel(QStringLiteral("cm"), this), i, 2);
    }
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    saveBtn = new QPushButton(this);
    saveBtn->setDefault(true);
    cancelBtn = new QPushButton(this);
    buttons->addWidget(saveBtn);
    buttons->addWidget(cancelBtn);
    layout->addLayout(buttons);
    connect(saveBtn, &QPushButton::clicked, this, &MarginsDialog::saveClicked);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    applyInterfaceTexts();
}

void MarginsDialog::applyInterfaceTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("Margins_20"));
    for (int i = 0; i < MarginTexts::Count; ++i)
        labels_[size_t(i)]->setText(t(MarginTexts::languageKey(i)));
    saveBtn->setText(t("&Save_11"));
    cancelBtn->setText(t("&Cancel_11"));
}

void MarginsDialog::fill(const MarginTexts& margins)
{
    saved_ = margins;
    for (int i = 0; i < MarginTexts::Count; ++i)
        fields_[size_t(i)]->setText(ctx_.language.decode(margins.text[size_t(i)]));
}

void MarginsDialog::saveClicked()
{
    MarginTexts typed;
    for (int i = 0; i < MarginTexts::Count; ++i)
        typed.text[size_t(i)] = ctx_.language.encode(fields_[size_t(i)]->text().trimmed());
    std::string error;
    const int wrong = checkMargins(ctx_.language.texts, typed, setup_, &error);
    if (wrong != MarginTexts::Count) {
        ctx_.language.prompts->message(MsgType::Error, error, MbOK);
        fields_[size_t(wrong)]->setFocus();
        fields_[size_t(wrong)]->selectAll();
        return;
    }
    for (std::string& text : typed.text)
        text = withSystemDecimalSeparator(text);
    typed.save(ctx_.language.settings);
    saved_ = typed;
    accept();
}

bool MarginsDialog::execute(MarginTexts& margins, const PageSetup& setup)
{
    setup_ = setup;
    fill(margins);
    fields_[0]->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    margins = saved_;
    return true;
}

} // namespace zentrova
