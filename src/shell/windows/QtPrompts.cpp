// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/QtPrompts.h"
#include "shell/windows/BackgroundWork.h"

#include "base/FileHistory.h"
#include "shell/AppContext.h"
#include "shell/windows/FileDatesModel.h"
#include "shell/windows/HelpViewer.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <algorithm>

namespace zentrova {

QString QtPrompts::tr(const char* key, const char* fallback) const
{
    if (ctx_) {
        const std::string& t = ctx_->language.texts.text(key);
        if (!t.empty())
            return ctx_->language.decode(t);
    }
    return QString::fromLatin1(fallback);
}

void QtPrompts::attach(AppContext* ctx, QWidget* parent)
{
    ctx_ = ctx;
    parent_ = parent;
    QObject::connect(qApp, &QApplication::focusChanged, parent, [this](QWidget*, QWidget* now) {
        if (!now)
            return;
        QWidget* window = now->window();
        std::erase_if(recent_, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
        recent_.emplace_back(window);
    });
}

QWidget* QtPrompts::stayingOnTop() const
{
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if ((type != Qt::Window && type != Qt::Dialog) || !w->isVisible() || w->isMinimized() ||
            !(w->windowFlags() & Qt::WindowStaysOnTopHint))
            continue;
        // Of several, the one the user worked in last.
        const auto rank = [this](QWidget* x) {
            const auto it = std::find(recent_.begin(), recent_.end(), x);
            return it == recent_.end() ? -1 : int(it - recent_.begin());
        };
        if (!found || rank(w) > rank(found))
            found = w;
    }
    return found;
}

QWidget* QtPrompts::owner() const
{
    // A window that stays on top (the progress dialog during a transfer)
    // covers every other window whatever has the focus, the main window and
    // a modal dialog under it included: a box owned by one of those would
    // open behind it. Owned by it, the box is stacked over it.
    QWidget* modal = QApplication::activeModalWidget();
    if (QWidget* top = stayingOnTop()) {
        // A box already standing over it (its question's help, a second
        // message) is the one in front.
        for (QWidget* w = modal; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
            if (w == top)
                return modal;
        return top;
    }
    // Owned by the main window, a box over the print preview would bring the
    // main window up with it, and leave it over the preview once answered.
    if (modal)
        return modal;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active;
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it)
        if (*it && (*it)->isVisible())
            return *it;
    return parent_;
}

unsigned QtPrompts::message(MsgType type, const std::string& text, unsigned buttons, int helpContext)
{
    return showBox(type, ctx_ ? ctx_->language.decode(text) : QString::fromLatin1(text.c_str()), buttons, helpContext);
}

unsigned QtPrompts::messageWithCharacters(MsgType type, const std::string& text, const QString& characters,
                                          unsigned buttons)
{
    QString spaced;
    for (char32_t c : characters.toUcs4()) {
        if (!spaced.isEmpty())
            spaced += u' ';
        // One the user could not see (a space of another width, a mark
        // joined to the character before it) is named by its code.
        if (QChar::isPrint(c) && !QChar::isMark(c) && !QChar::isSpace(c))
            spaced += QString::fromUcs4(&c, 1);
        else
            spaced += QStringLiteral("U+%1").arg(uint(c), 4, 16, QChar(u'0')).toUpper();
    }
    return showBox(type, (ctx_ ? ctx_->language.decode(text) : QString::fromLatin1(text.c_str())) + u'\n' + spaced,
                   buttons, 0);
}

unsigned QtPrompts::showBox(MsgType type, QString body, unsigned buttons, int helpContext)
{
    // Asked by work on a worker thread: the box is shown by the window's
    // thread, and the work waits for the answer.
    if (QThread::currentThread() != qApp->thread())
        return callOnThreadOf(qApp, [&] { return showBox(type, body, buttons, helpContext); });
    QWidget* parent = owner();
    QMessageBox box(parent);
    QString title;
    switch (type) {
    case MsgType::Warning:
        box.setIcon(QMessageBox::Warning);
        title = tr("Warning_30", "Warning");
        break;
    case MsgType::Error:
        box.setIcon(QMessageBox::Critical);
        title = tr("Error_30", "Error");
        break;
    case MsgType::Information:
        box.setIcon(QMessageBox::Information);
        title = tr("Information_30", "Information");
        break;
    case MsgType::Confirmation:
        box.setIcon(QMessageBox::Question);
        title = tr("Confirmation_30", "Confirmation");
        break;
    case MsgType::Custom:
        title = tr("Custom_30", "");
        break;
    }
    box.setWindowTitle(title);
    body.replace(u'\r', u'\n');
    box.setText(body);

    struct B {
        unsigned bit;
        const char* key;
        const char* fallback;
        QMessageBox::ButtonRole role;
    };
    static const B all[] = {
        {MbYes, "&Yes_11", "&Yes", QMessageBox::YesRole},
        {MbNo, "&No_11", "&No", QMessageBox::NoRole},
        {MbOK, "&OK_11", "OK", QMessageBox::AcceptRole},
        {MbCancel, "&Cancel_11", "Cancel", QMessageBox::RejectRole},
        {MbAbort, "&Abort_11", "&Abort", QMessageBox::RejectRole},
        {MbRetry, "&Retry_11", "&Retry", QMessageBox::AcceptRole},
        {MbIgnore, "&Ignore_11", "&Ignore", QMessageBox::AcceptRole},
        {MbAll, "&All_11", "&All", QMessageBox::YesRole},
        {MbNoToAll, "&NoToAll_11", "N&o to all", QMessageBox::NoRole},
        {MbYesToAll, "&YesToAll_11", "Yes to &all", QMessageBox::YesRole},
        {MbHelp, "&Help_11", "&Help", QMessageBox::HelpRole},
    };
    if (buttons == MbNone)
        buttons = MbOK;
    std::vector<std::pair<QAbstractButton*, unsigned>> made;
    for (const B& b : all) {
        if (!(buttons & b.bit))
            continue;
        QPushButton* pb = box.addButton(tr(b.key, b.fallback), b.role);
        made.emplace_back(pb, b.bit);
        if (b.bit == MbCancel || (!(buttons & MbCancel) && b.bit == MbNo))
            box.setEscapeButton(pb);
    }
    if (!made.empty())
        box.setDefaultButton(static_cast<QPushButton*>(made.front().first));

    for (;;) {
        box.exec();
        unsigned answer = MbCancel;
        for (auto& [btn, bit] : made)
            if (box.clickedButton() == btn)
                answer = bit;
        if (box.clickedButton() == nullptr)
            answer = (buttons & MbCancel) ? MbCancel : (buttons & MbNo) ? MbNo : MbOK;
        // Help shows the topic and leaves the question standing, unless the
        // caller wants to hear about Help itself.
        if (answer == MbHelp && helpContext > 0 && ctx_) {
            HelpViewer::showTopic(*ctx_, helpContext, parent);
            continue;
        }
        return answer;
    }
}

QString QtPrompts::filterOf(const FileDialogRequest& r) const
{
    const QString name = ctx_ ? ctx_->language.decode(r.filterName) : QString::fromLatin1(r.filterName.c_str());
    // The file system is case-sensitive: offer the pattern in both cases.
    QString patterns = r.pattern;
    if (r.pattern.toUpper() != r.pattern.toLower())
        patterns = r.pattern.toLower() + u' ' + r.pattern.toUpper();
    QString filter = name + QStringLiteral(" (") + patterns + u')';
    if (!r.allFilesName.empty())
        filter += QStringLiteral(";;") +
                  (ctx_ ? ctx_->language.decode(r.allFilesName) : QString::fromLatin1(r.allFilesName)) +
                  QStringLiteral(" (*)");
    return filter;
}

QString QtPrompts::startPath(const QString& proposed) const
{
    return ctx_ ? dialogStartPath(ctx_->language.settings, proposed) : proposed;
}

std::optional<QString> QtPrompts::chosen(const QString& path) const
{
    if (path.isEmpty())
        return std::nullopt;
    if (ctx_)
        rememberDialogFolder(ctx_->language.settings, path);
    return path;
}

std::optional<QString> QtPrompts::fileName(const FileDialogRequest& r, QFileDialog::AcceptMode mode)
{
    if (QThread::currentThread() != qApp->thread())
        return callOnThreadOf(qApp, [&] { return fileName(r, mode); });
    const QString title = ctx_ ? ctx_->language.decode(r.title) : QString();
    QFileDialog dialog(owner(), title, startPath(r.proposedName), filterOf(r));
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    else
        dialog.setOption(QFileDialog::DontConfirmOverwrite); // the caller asks its own replace question
    // Dates in the program's language; an English program keeps the system's
    // way of writing them. A native dialog ignores the model.
    if (ctx_)
        if (const QString code = TextCodec::languageCodeForLcid(ctx_->language.languageFiles.codec().lcid());
            !code.isEmpty() && code != QLatin1String("en"))
            dialog.setProxyModel(new FileDatesModel(QLocale(code), &dialog));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return chosen(dialog.selectedFiles().constFirst());
}

std::optional<QString> QtPrompts::openFileName(const FileDialogRequest& r)
{
    return fileName(r, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPrompts::saveFileName(const FileDialogRequest& r)
{
    return fileName(r, QFileDialog::AcceptSave);
}

} // namespace zentrova
