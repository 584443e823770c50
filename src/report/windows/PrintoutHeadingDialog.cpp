// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/PrintoutHeadingDialog.h"

#include "base/Prompts.h"
#include "language/TypedText.h"
#include "shell/AppContext.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

PrintoutHeadingDialog::PrintoutHeadingDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("PersonalData"));
    auto* layout = new QVBoxLayout(this);

    operatorGroup = new QGroupBox(this);
    auto* opLayout = new QHBoxLayout(operatorGroup);
    textPanel = new QWidget(operatorGroup);
    auto* textLayout = new QVBoxLayout(textPanel);
    textLayout->setContentsMargins(10, 0, 10, 0);
    for (auto& e : opEdits_) {
        e = new QLineEdit(textPanel);
        textLayout->addWidget(e);
    }
    picturePanel = new QWidget(operatorGroup);
    picturePanel->setFixedHeight(90);
    auto* picLayout = new QHBoxLayout(picturePanel);
    picLayout->setContentsMargins(8, 8, 8, 8);
    picture_ = new QLabel(picturePanel);
    picture_->setObjectName(QStringLiteral("Picture"));
    picture_->setScaledContents(true);
    picLayout->addWidget(picture_);
    picLayout->addStretch();
    auto* buttons = new QVBoxLayout;
    toggleBtn = new QPushButton(operatorGroup);
    loadBtn = new QPushButton(operatorGroup);
    buttons->addWidget(toggleBtn);
    buttons->addWidget(loadBtn);
    buttons->addStretch();
    opLayout->addWidget(textPanel, 1);
    opLayout->addWidget(picturePanel, 1);
    opLayout->addLayout(buttons);
    layout->addWidget(operatorGroup);

    footerGroup = new QGroupBox(this);
    auto* fLayout = new QVBoxLayout(footerGroup);
    for (auto& e : footerEdits_) {
        e = new QLineEdit(footerGroup);
        fLayout->addWidget(e);
    }
    layout->addWidget(footerGroup);

    siteGroup = new QGroupBox(this);
    auto* sLayout = new QVBoxLayout(siteGroup);
    for (auto& e : siteEdits_) {
        e = new QLineEdit(siteGroup);
        sLayout->addWidget(e);
    }
    layout->addWidget(siteGroup);

    auto* row = new QHBoxLayout;
    row->addStretch();
    okButton_ = new QPushButton(this);
    okButton_->setDefault(true);
    cancelBtn = new QPushButton(this);
    row->addWidget(okButton_);
    row->addWidget(cancelBtn);
    layout->addLayout(row);

    connect(toggleBtn, &QPushButton::clicked, this, &PrintoutHeadingDialog::toggleMode);
    connect(loadBtn, &QPushButton::clicked, this, &PrintoutHeadingDialog::loadPictureClicked);
    connect(okButton_, &QPushButton::clicked, this, &PrintoutHeadingDialog::accept);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 420);
}

void PrintoutHeadingDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("OperatorTestSite_40"));
    operatorGroup->setTitle(t("Operator_30"));
    footerGroup->setTitle(t("Footer_30"));
    siteGroup->setTitle(t("TestSite_30"));
    loadBtn->setText(t("Load_11"));
    okButton_->setText(t("&OK_11"));
    cancelBtn->setText(t("&Cancel_11"));
    layOut();
}

void PrintoutHeadingDialog::fillFromHeading()
{
    const PrintoutHeading& h = ctx_.document.heading;
    for (size_t i = 0; i < 3; ++i) {
        opEdits_[i]->setText(ctx_.language.decode(h.op[i]));
        footerEdits_[i]->setText(ctx_.language.decode(h.footer[i]));
        siteEdits_[i]->setText(ctx_.language.decode(h.site[i]));
    }
    logoPath_ = h.logo;
    mode_ = h.logoMode == 1 ? 1 : 0;
    layOut();
}

bool PrintoutHeadingDialog::execute()
{
    fillFromHeading();
    return exec() == QDialog::Accepted;
}

void PrintoutHeadingDialog::layOut()
{
    const bool picture_ = mode_ == 1;
    textPanel->setVisible(!picture_);
    picturePanel->setVisible(picture_);
    loadBtn->setEnabled(picture_);
    toggleBtn->setText(ctx_.language.decode(ctx_.language.texts.text(picture_ ? "Text_11" : "Picture_11")));
    if (picture_)
        loadLogo();
}

void PrintoutHeadingDialog::toggleMode()
{
    mode_ = 1 - mode_;
    layOut();
}

void PrintoutHeadingDialog::setLogoPath(const std::string& path)
{
    logoPath_ = path;
    layOut();
}

void PrintoutHeadingDialog::loadLogo()
{
    picture_->clear();
    const QString path = QString::fromLocal8Bit(logoPath_.c_str());
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return;
    const int availableHeight = picturePanel->height() - 2 * 8;
    const int availableWidth = std::max(40, picturePanel->width() - 2 * 8);
    const QSize size = fitLogo(image.size(), availableHeight, availableWidth);
    picture_->setFixedSize(size);
    picture_->setPixmap(QPixmap::fromImage(image));
}

void PrintoutHeadingDialog::loadPictureClicked()
{
    FileDialogRequest r;
    r.title = ctx_.language.texts.text("LoadLogo_30");
    r.filterName = ctx_.language.texts.text("ImageFiles_13");
    r.pattern = QStringLiteral("*.BMP *.JPG *.JPEG *.PNG *.SVG");
    r.proposedName = QString::fromLocal8Bit(logoPath_.c_str());
    r.mustExist = true;
    const auto chosen = ctx_.language.prompts->openFileName(r);
    if (!chosen)
        return;
    QImageReader reader(*chosen);
    if (!reader.canRead()) {
        // Say what the system says about the file; keep the previous logo.
        ctx_.language.prompts->message(MsgType::Error,
                                       ctx_.language.texts.text("LoadLogo_30") + "\r" + ctx_.language.encode(*chosen) +
                                           "\r" + ctx_.language.encode(reader.errorString()),
                                       MbOK);
        return;
    }
    logoPath_ = QFile::encodeName(*chosen).toStdString();
    layOut();
}

void PrintoutHeadingDialog::accept()
{
    // Texts the language's code page cannot hold keep the dialog open, as typed.
    QStringList typed;
    for (size_t i = 0; i < 3; ++i)
        typed << opEdits_[i]->text() << footerEdits_[i]->text() << siteEdits_[i]->text();
    if (!canStoreTyped(ctx_.language, typed))
        return;
    PrintoutHeading h = ctx_.document.heading;
    for (size_t i = 0; i < 3; ++i) {
        h.op[i] = ctx_.language.encode(opEdits_[i]->text());
        h.footer[i] = ctx_.language.encode(footerEdits_[i]->text());
        h.site[i] = ctx_.language.encode(siteEdits_[i]->text());
    }
    h.logo = logoPath_;
    h.logoMode = mode_;
    h.save(ctx_.language.settings);
    // The printout heading is saved with the structure.
    ctx_.document.saved = false;
    QDialog::accept();
}

} // namespace zentrova
