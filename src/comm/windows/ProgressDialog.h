// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Progress.h"

#include <QDialog>
#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zentrova {

struct AppContext;

// The progress dialog: a small stay-on-top window with a caption, a bold red
// first line, a second line for the current phase, a gauge and Cancel. It is
// shown without blocking the main window; the file, report and export work
// hide its Cancel button. Work on a worker thread reports here as well: its
// calls are carried to the window's thread, and Cancel is read from any.
class ProgressDialog : public QDialog, public Progress {
    Q_OBJECT
public:
    explicit ProgressDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();

    // Progress
    using QDialog::show;
    void show(const std::string& caption, const std::string& line1, bool cancellable) override;
    void setLine2(const std::string& text) override;
    void setPosition(int percent) override;
    void hide() override;
    bool cancelRequested() const override { return cancelRequested_; }

    // 1 normally; a results transfer sets 2000 for its duration.
    void setHelpContext(int context) { helpContext_ = context; }
    int helpContext() const { return helpContext_; }

    QLabel* label1() const { return label1_; }
    QLabel* label2() const { return label2_; }
    QProgressBar* progressBar() const { return progressBar_; }
    QPushButton* cancelButton() const { return cancelBtn; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void showNow(const std::string& caption, const std::string& line1, bool cancellable);
    // Work running on the window's own thread (the report's pages): the
    // dialog and its gauge are painted at once, no input is taken meanwhile.
    void paintNow();
    bool onOwnThread() const;

    AppContext& ctx_;
    QLabel* label1_;
    QLabel* label2_;
    QProgressBar* progressBar_;
    QPushButton* cancelBtn;
    std::atomic<bool> cancelRequested_ = false;
    std::atomic<int> queuedPosition_ = 0; // the gauge's value last sent to it
    int helpContext_ = 1;
};

} // namespace zentrova
