#include "comm/windows/ProgressDialog.h"

#include "shell/AppContext.h"
#include "app/windows/HelpViewer.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace zentrova {

ProgressDialog::ProgressDialog(AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ctx(context)
{
    setObjectName(QStringLiteral("GaugeDlg"));
    setModal(false);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setStyleSheet(QStringLiteral("color: red"));
    Label1->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setMinimumWidth(260);
    CancelBtn = new QPushButton(this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(ProgressBar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(CancelBtn, &QPushButton::clicked, this, [this] { cancelRequested_ = true; });
    applyTexts();
}

void ProgressDialog::applyTexts()
{
    CancelBtn->setText(ctx.decode(ctx.texts.text("&Cancel_11")));
}

void ProgressDialog::show(const std::string& caption, const std::string& line1, bool cancellable)
{
    cancelRequested_ = false;
    setWindowTitle(ctx.decode(caption));
    Label1->setText(ctx.decode(line1));
    Label1->setVisible(!line1.empty());
    CancelBtn->setVisible(cancellable);
    ProgressBar->setValue(0);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        move(r.center() - rect().center());
    }
    QDialog::show();
    raise();
}

void ProgressDialog::setLine2(const std::string& text) { Label2->setText(ctx.decode(text)); }

void ProgressDialog::setPosition(int percent) { ProgressBar->setValue(std::clamp(percent, 0, 100)); }

void ProgressDialog::hide() { QDialog::hide(); }

void ProgressDialog::processEvents(int ms)
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, std::max(ms, 0));
}

void ProgressDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1) {
        HelpViewer::showTopic(ctx, helpContext_, this);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        // Escape is Cancel, and only where Cancel is offered.
        if (CancelBtn->isVisible())
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
