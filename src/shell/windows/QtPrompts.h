// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Prompts.h"

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace zentrova {

struct AppContext;

// Message boxes and file dialogs of the windows, with button captions and box
// titles from the language file.
class QtPrompts : public Prompts {
public:
    // `parent` owns the boxes when no other window of the program was used
    // last; from here on the windows the user works in are followed.
    void attach(AppContext* ctx, QWidget* parent);
    unsigned message(MsgType type, const std::string& text, unsigned buttons, int helpContext = 0) override;
    // The characters are shown as they are: the box is not bound to the code page.
    unsigned messageWithCharacters(MsgType type, const std::string& text, const QString& characters,
                                   unsigned buttons) override;
    std::optional<QString> openFileName(const FileDialogRequest& request) override;
    std::optional<QString> saveFileName(const FileDialogRequest& request) override;

private:
    unsigned showBox(MsgType type, QString body, unsigned buttons, int helpContext);
    QString tr(const char* key, const char* fallback) const;
    QString filterOf(const FileDialogRequest& request) const;
    // The dialogs start in the folder they showed last, across runs.
    QString startPath(const QString& proposed) const;
    std::optional<QString> chosen(const QString& path) const;
    std::optional<QString> fileName(const FileDialogRequest& request, QFileDialog::AcceptMode mode);
    // The window a box or file dialog belongs to: a window that stays on
    // top (the progress dialog), else the one the user is working in (a
    // dialog, the print preview), else the main window.
    QWidget* owner() const;
    // A visible window of the program that stays on top of the others.
    QWidget* stayingOnTop() const;
    AppContext* ctx_ = nullptr;
    QWidget* parent_ = nullptr;
    // Windows that had the focus, the latest last. Right after a dialog
    // closes no window is active yet, so the latest one still shown counts.
    std::vector<QPointer<QWidget>> recent_;
};

} // namespace zentrova
