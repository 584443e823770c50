// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QVBoxLayout;

namespace zentrova {

struct AppContext;

// The language dialog: one radio button per language, OK and Cancel.
class LanguageDialog : public QDialog {
    Q_OBJECT
public:
    LanguageDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Shows the dialog; true when OK changed the language.
    bool execute();
    // Fills the radio group from the language list.
    void fillList();
    QGroupBox* langGroup() const { return langGroup_; }
    QButtonGroup* buttons() const { return group_; }
    QPushButton* okButton() const { return okButton_; }

private:
    AppContext& ctx_;
    QGroupBox* langGroup_;
    QVBoxLayout* listLayout_;
    QButtonGroup* group_;
    QPushButton* okButton_;
    QPushButton* cancelBtn;
};

} // namespace zentrova
