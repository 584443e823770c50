// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/windows/HistorySettingsDialog.h"

#include "base/Prompts.h"
#include "history/HistoryArchive.h"
#include "history/HistoryCommands.h"
#include "history/HistorySettings.h"
#include "shell/AppContext.h"

#include <QCheckBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

HistorySettingsDialog::HistorySettingsDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("HistorySettingsDialog"));
    auto* layout = new QVBoxLayout(this);
    archiveLabel_ = new QLabel(this);
    layout->addWidget(archiveLabel_);
    auto* row = new QHBoxLayout;
    archive_ = new QLineEdit(this);
    archive_->setObjectName(QStringLiteral("HistoryArchive"));
    archive_->setMinimumWidth(460);
    archive_->setClearButtonEnabled(true);
    archiveLabel_->setBuddy(archive_);
    browseButton_ = new QPushButton(this);
    browseButton_->setObjectName(QStringLiteral("HistoryBrowse"));
    row->addWidget(archive_, 1);
    row->addWidget(browseButton_);
    layout->addLayout(row);
    addAfterReceive_ = new QCheckBox(this);
    addAfterReceive_->setObjectName(QStringLiteral("HistoryAddAfterReceive"));
    layout->addWidget(addAfterReceive_);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    okButton_ = new QPushButton(this);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(this);
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    layout->addLayout(buttons);
    connect(browseButton_, &QPushButton::clicked, this, &HistorySettingsDialog::browse);
    connect(okButton_, &QPushButton::clicked, this, &HistorySettingsDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    applyTexts();
}

void HistorySettingsDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("HistorySettings_30"));
    archiveLabel_->setText(t("HistoryDatabase_40"));
    // Empty means the default file: the user sees which one.
    archive_->setPlaceholderText(QDir::toNativeSeparators(defaultArchivePath()));
    browseButton_->setText(t("&Browse_15"));
    addAfterReceive_->setText(t("HistoryAddAfterReceive_60"));
    okButton_->setText(t("&OK_11"));
    cancelButton_->setText(t("&Cancel_11"));
}

bool HistorySettingsDialog::execute()
{
    const HistorySettings kept = loadHistorySettings(ctx_.language.settings);
    // A password kept by an earlier version is not shown; OK offers to move
    // it to the password file.
    archive_->setText(archiveAddressWithoutPassword(kept.database));
    keptAddress_ = kept.database;
    addAfterReceive_->setChecked(kept.addAfterReceive);
    return exec() == QDialog::Accepted;
}

void HistorySettingsDialog::browse()
{
    FileDialogRequest request;
    request.title = ctx_.language.texts.text("HistoryChooseFile_40");
    request.filterName = ctx_.language.texts.text("HistoryFiles_12");
    request.pattern = QStringLiteral("*.sqlite *.db");
    request.allFilesName = ctx_.language.texts.text("AllFiles_13");
    ArchiveLocation current;
    const bool isFile =
        parseArchiveLocation(archive_->text(), current, nullptr) && current.engine == ArchiveLocation::Engine::SQLite;
    request.proposedName = isFile ? current.path : defaultArchivePath();
    // A new archive is made where the user names it: the file need not exist.
    if (const std::optional<QString> path = ctx_.language.prompts->saveFileName(request))
        archive_->setText(QDir::toNativeSeparators(*path));
}

void HistorySettingsDialog::accept()
{
    ArchiveLocation where;
    QString reason;
    if (!parseArchiveLocation(archive_->text(), where, &reason)) {
        ctx_.language.prompts->message(
            MsgType::Error, ctx_.language.texts.text("HistoryBadAddress_50") + "\r" + ctx_.language.encode(reason),
            MbOK);
        archive_->setFocus();
        return;
    }
    // The settings file is readable by others: a password goes to the
    // password file libpq reads, or is not kept at all.
    QString password = where.password;
    const QString address = archiveAddressWithoutPassword(archive_->text().trimmed());
    if (password.isEmpty() && address == archiveAddressWithoutPassword(keptAddress_.trimmed())) {
        ArchiveLocation kept;
        if (parseArchiveLocation(keptAddress_, kept, nullptr))
            password = kept.password;
    }
    // The address is tried before it is kept: one that cannot be used is
    // refused with the reason, rather than found out in the history window.
    ArchiveLocation tried = where;
    tried.password = password;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool usable = tryArchiveLocation(tried, &reason);
    QGuiApplication::restoreOverrideCursor();
    if (!usable) {
        ctx_.language.prompts->message(
            MsgType::Error, ctx_.language.texts.text("HistoryBadAddress_50") + "\r" + ctx_.language.encode(reason),
            MbOK);
        archive_->setFocus();
        return;
    }
    if (!password.isEmpty()) {
        const unsigned answer = ctx_.language.prompts->message(MsgType::Confirmation,
                                                               ctx_.language.texts.text("HistoryPasswordFile_60") +
                                                                   "\r" + ctx_.language.encode(passwordFilePath()),
                                                               MbYes | MbNo | MbCancel);
        if (answer != MbYes && answer != MbNo)
            return;
        QString error;
        if (answer == MbYes &&
            !storeArchivePassword(where.host, where.port, where.database, where.user, password, &error)) {
            ctx_.language.prompts->message(MsgType::Error, ctx_.language.encode(passwordFilePath() + u'\r' + error),
                                           MbOK);
            return;
        }
    }
    HistorySettings chosen;
    chosen.database = address;
    chosen.addAfterReceive = addAfterReceive_->isChecked();
    saveHistorySettings(ctx_.language.settings, chosen);
    QDialog::accept();
}

} // namespace zentrova
