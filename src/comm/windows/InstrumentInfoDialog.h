// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "shell/windows/BackgroundWork.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zentrova {

struct AppContext;
class InstrumentLink;
class Progress;
struct InstrumentDataView;

// The instrument's-data dialog: who produced the results (row 0 of the result
// table), and Receive Data to ask the connected instrument again without
// touching the results.
class InstrumentInfoDialog : public QDialog {
    Q_OBJECT
public:
    InstrumentInfoDialog(AppContext& ctx, InstrumentLink& link, Progress& progress, QWidget* parent = nullptr);
    void applyTexts();
    void execute() { exec(); }
    // Runs the exchange through `runner` (the main window's, so that it knows
    // of it) instead of a runner of its own.
    void shareRunner(WorkRunner& runner) { runner_ = &runner; }

    void receiveInstrumentData();
    // Fills the boxes from row 0 (done each time the dialog opens).
    void fillFromTable();

    QPlainTextEdit* instrBox() const { return instrBox_; }
    QLineEdit* numBox() const { return numBox_; }
    QPlainTextEdit* firmBox() const { return firmBox_; }
    QPlainTextEdit* userBox() const { return userBox_; }
    QPushButton* receiveButton() const { return receiveBtn; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void showView(const InstrumentDataView& view);

    AppContext& ctx_;
    InstrumentLink& link;
    Progress& progress;
    QLabel* instrLabel;
    QLabel* numLabel;
    QLabel* firmLabel;
    QLabel* userLabel;
    QPlainTextEdit* instrBox_;
    QLineEdit* numBox_;
    QPlainTextEdit* firmBox_;
    QPlainTextEdit* userBox_;
    QPushButton* receiveBtn;
    QPushButton* okButton_;
    BackgroundRunner ownRunner_;
    WorkRunner* runner_ = &ownRunner_;
};

} // namespace zentrova
