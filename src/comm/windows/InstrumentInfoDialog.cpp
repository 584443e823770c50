// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/windows/InstrumentInfoDialog.h"

#include "base/Progress.h"
#include "comm/InstrumentData.h"
#include "comm/InstrumentLink.h"
#include "shell/AppContext.h"
#include "structure/StructureContext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace zentrova {

InstrumentInfoDialog::InstrumentInfoDialog(AppContext& context, InstrumentLink& l, Progress& p, QWidget* parent)
    : QDialog(parent), ctx_(context), link(l), progress(p), ownRunner_(context.language)
{
    setObjectName(QStringLiteral("InstrumentData"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* grid = new QGridLayout(this);
    auto box = [this](const char* name) {
        auto* b = new QPlainTextEdit(this);
        b->setObjectName(QLatin1String(name));
        b->setReadOnly(true);
        b->setLineWrapMode(QPlainTextEdit::NoWrap);
        return b;
    };
    instrLabel = new QLabel(this);
    instrBox_ = box("InstrBox");
    numLabel = new QLabel(this);
    numBox_ = new QLineEdit(this);
    numBox_->setObjectName(QStringLiteral("NumBox"));
    numBox_->setReadOnly(true);
    firmLabel = new QLabel(this);
    firmBox_ = box("FirmBox");
    userLabel = new QLabel(this);
    userBox_ = box("UserBox");
    grid->addWidget(instrLabel, 0, 0);
    grid->addWidget(instrBox_, 1, 0);
    grid->addWidget(numLabel, 2, 0);
    grid->addWidget(numBox_, 3, 0);
    grid->addWidget(firmLabel, 0, 1);
    grid->addWidget(firmBox_, 1, 1);
    grid->addWidget(userLabel, 2, 1);
    grid->addWidget(userBox_, 3, 1, 2, 1);
    auto* buttons = new QHBoxLayout;
    receiveBtn = new QPushButton(this);
    okButton_ = new QPushButton(this);
    okButton_->setDefault(true);
    buttons->addWidget(receiveBtn);
    buttons->addStretch();
    buttons->addWidget(okButton_);
    grid->addLayout(buttons, 5, 0, 1, 2);
    connect(receiveBtn, &QPushButton::clicked, this, &InstrumentInfoDialog::receiveInstrumentData);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    applyTexts();
}

void InstrumentInfoDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("InstrumentsData_30"));
    instrLabel->setText(t("Instrument_25"));
    numLabel->setText(t("SerialNumber_25"));
    firmLabel->setText(t("FirmData_25"));
    userLabel->setText(t("UserData_25"));
    receiveBtn->setText(t("&ReceiveData_15"));
    okButton_->setText(t("&OK_11"));
}

void InstrumentInfoDialog::showView(const InstrumentDataView& view)
{
    auto fill = [&](QPlainTextEdit* b, const std::vector<std::string>& lines) {
        QStringList l;
        for (const std::string& s : lines)
            l << shownInstrumentLine(ctx_.language.decode(s));
        b->setPlainText(l.join(u'\n'));
        QTextCursor c = b->textCursor();
        c.movePosition(QTextCursor::Start);
        b->setTextCursor(c);
    };
    fill(instrBox_, view.instrument);
    numBox_->setText(shownInstrumentLine(ctx_.language.decode(view.serialNumber)));
    numBox_->setCursorPosition(0);
    fill(firmBox_, view.firm);
    fill(userBox_, view.user);
}

void InstrumentInfoDialog::fillFromTable()
{
    showView(instrumentDataFromTable(ctx_.document.structure.table));
}

void InstrumentInfoDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    fillFromTable();
}

void InstrumentInfoDialog::receiveInstrumentData()
{
    receiveBtn->setEnabled(false);
    // The exchange runs off the window's thread on a document of its own and
    // only reads the language: the identification may change the family code
    // and the default file name, which the open document takes when it is
    // over, and the family's profile is applied here then.
    Document identified;
    identified.familyCode = ctx_.document.familyCode;
    identified.fileName = ctx_.document.fileName;
    InstrumentDataOutcome out;
    const bool ran = runner_->run([&] {
        out = zentrova::receiveInstrumentData(TransferTarget(ctx_.language, ctx_.defaultNames, identified), link,
                                              progress);
    });
    if (ran) {
        ctx_.document.familyCode = identified.familyCode;
        ctx_.document.fileName = identified.fileName;
        applyFamilyProfile(ctx_);
        if (out.exchanged)
            showView(out.view);
    } else {
        progress.hide();
    }
    receiveBtn->setEnabled(true);
}

} // namespace zentrova
