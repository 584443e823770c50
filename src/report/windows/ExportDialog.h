// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>

class QComboBox;
class QGroupBox;
class QPushButton;

namespace zentrova {

struct AppContext;

// The export format dialog: column and row delimiters.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 1310;
    ExportDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Shows the dialog; true when OK set the delimiters.
    bool execute();
    QComboBox* columnDelimiter() const { return colDelimiter; }
    QComboBox* rowDelimiter() const { return rowDelimiter_; }
    void accept() override;

private:
    AppContext& ctx_;
    QGroupBox* colGroup;
    QGroupBox* rowGroup;
    QComboBox* colDelimiter;
    QComboBox* rowDelimiter_;
    QPushButton* okButton_;
    QPushButton* cancelbtn;
};

} // namespace zentrova
