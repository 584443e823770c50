// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace zentrova {

struct AppContext;

// The about box: product name, version, the maker's credits and the family's logo.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    void applyProfile();
    QLabel* productName() const { return productName_; }
    QLabel* version() const { return version_; }

private:
    AppContext& ctx_;
    QLabel* productName_;
    QLabel* version_;
    QLabel* credits;
    QLabel* familyLogo;
    QPushButton* okButton_;
};

} // namespace zentrova
