// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/windows/ProgressDialog.h"

#include "shell/AppContext.h"
#include "shell/windows/HelpViewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

namespace zentrova {

ProgressDialog::ProgressDialog(AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ctx_(context)
{
    setObjectName(QStringLiteral("GaugeDlg"));
    setModal(false);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* layout = new QVBoxLayout(this);
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);
    label1_->setStyleSheet(QStringLiteral("color: red"));
    label1_->setAlignment(Qt::AlignCenter);
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setAlignment(Qt::AlignCenter);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 100);
    progressBar_->setMinimumWidth(260);
    cancelBtn = new QPushButton(this);
    cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    layout->addWidget(label1_);
    layout->addWidget(label2_);
    layout->addWidget(progressBar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelBtn);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cancelBtn, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
    applyTexts();
}

void ProgressDialog::applyTexts()
{
    cancelBtn->setText(ctx_.language.decode(ctx_.language.texts.text("&Cancel_11")));
}

bool ProgressDialog::onOwnThread() const
{
    return QThread::currentThread() == thread();
}

void ProgressDialog::paintNow()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ProgressDialog::show(const std::string& caption, const std::string& line1, bool cancellable)
{
    cancelRequested_ = false;
    queuedPosition_ = 0;
    if (!onOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, caption, line1, cancellable] { showNow(caption, line1, cancellable); }, Qt::QueuedConnection);
        return;
    }
    showNow(caption, line1, cancellable);
    paintNow();
}

void ProgressDialog::showNow(const std::string& caption, const std::string& line1, bool cancellable)
{
    setWindowTitle(ctx_.language.decode(caption));
    label1_->setText(ctx_.language.decode(line1));
    label1_->setVisible(!line1.empty());
    cancelBtn->setVisible(cancellable);
    progressBar_->setValue(0);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - rect().center());
    }
    QDialog::show();
    raise();
}

void ProgressDialog::setLine2(const std::string& text)
{
    if (!onOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this, text] { label2_->setText(ctx_.language.decode(text)); }, Qt::QueuedConnection);
        return;
    }
    label2_->setText(ctx_.language.decode(text));
}

void ProgressDialog::setPosition(int percent)
{
    const int value = std::clamp(percent, 0, 100);
    if (!onOwnThread()) {
        // A transfer reports every record: only a new value crosses over.
        if (value == queuedPosition_.exchange(value))
            return;
        QMetaObject::invokeMethod(
            this, [this, value] { progressBar_->setValue(value); }, Qt::QueuedConnection);
        return;
    }
    queuedPosition_ = value;
    if (progressBar_->value() == value)
        return;
    progressBar_->setValue(value);
    if (isVisible())
        paintNow();
}

void ProgressDialog::hide()
{
    if (!onOwnThread()) {
        QMetaObject::invokeMethod(
            this, [this] { QDialog::hide(); }, Qt::QueuedConnection);
        return;
    }
    QDialog::hide();
}

void ProgressDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1) {
        HelpViewer::showTopic(ctx_, helpContext_, this);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        // Escape is Cancel, and only where Cancel is offered.
        if (cancelBtn->isVisible())
            cancelRequested_ = true;
        return;
    }
    QDialog::keyPressEvent(e);
}

void ProgressDialog::closeEvent(QCloseEvent* e)
{
    // The operation that showed the dialog hides it; the window manager may not.
    e->ignore();
}

} // namespace zentrova
