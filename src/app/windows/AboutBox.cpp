// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "app/windows/AboutBox.h"

#include "shell/AppContext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

namespace {
QPixmap drawFamilyLogo()
{
    // A stylised 5 kV tester face: the family's mark.
    QPixmap pm(96, 96);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(245, 170, 30));
    p.drawRoundedRect(QRectF(14, 4, 68, 88), 8, 8);
    p.setBrush(QColor(200, 230, 200));
    p.drawRect(QRectF(22, 12, 52, 26));
    p.setPen(QColor(30, 60, 30));
    QFont f(QStringLiteral("Arial"), 12, QFont::Bold);
    p.setFont(f);
    p.drawText(QRectF(22, 12, 52, 26), Qt::AlignCenter, QStringLiteral("5 kV"));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 30, 30));
    p.drawEllipse(QRectF(38, 52, 20, 20));
    return pm;
}
} // namespace

AboutBox::AboutBox(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("AboutBox"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    familyLogo = new QLabel(this);
    familyLogo->setPixmap(drawFamilyLogo());
    familyLogo->hide();
    auto* texts = new QVBoxLayout;
    productName_ = new QLabel(this);
    QFont big = productName_->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    productName_->setFont(big);
    productName_->hide();
    version_ = new QLabel(this);
    version_->hide();
    credits = new QLabel(this);
    credits->setFrameShape(QFrame::StyledPanel);
    credits->setMargin(8);
    texts->addWidget(productName_);
    texts->addWidget(version_);
    texts->addWidget(credits);
    texts->addStretch();
    top->addWidget(familyLogo);
    top->addLayout(texts, 1);
    layout->addLayout(top);
    auto* row = new QHBoxLayout;
    row->addStretch();
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setDefault(true);
    row->addWidget(okButton_);
    row->addStretch();
    layout->addLayout(row);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::applyTexts()
{
    setWindowTitle(ctx_.language.decode(ctx_.language.texts.text("About_30")));
    credits->setText(QStringLiteral("Zentrova\n") + ctx_.language.decode(ctx_.language.texts.text("AboutCredits_30")) +
                     QLatin1Char('\n') + ctx_.language.decode(ctx_.language.texts.text("AboutLicence_60")) +
                     QLatin1Char('\n') + ctx_.language.decode(ctx_.language.texts.text("AboutWarranty_60")));
    okButton_->setText(ctx_.language.decode(ctx_.language.texts.text("&OK_11")));
}

void AboutBox::applyProfile()
{
    productName_->setText(ctx_.language.decode(ctx_.language.profile.aboutProductName));
    version_->setText(ctx_.language.decode(ctx_.language.profile.aboutVersion));
    productName_->setVisible(ctx_.language.profile.familyLogoShown);
    version_->setVisible(ctx_.language.profile.familyLogoShown);
    familyLogo->setVisible(ctx_.language.profile.familyLogoShown);
}

} // namespace zentrova
