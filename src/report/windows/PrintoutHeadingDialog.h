// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>
#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zentrova {

struct AppContext;

// Operator and test-site dialog: the printout heading's operator lines or logo,
// footer lines and test-site lines.
class PrintoutHeadingDialog : public QDialog {
    Q_OBJECT
public:
    PrintoutHeadingDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Shows the dialog filled from the printout heading; true when OK wrote it.
    bool execute();

    // For the tests.
    void fillFromHeading();
    void accept() override;
    void toggleMode();
    int mode() const { return mode_; }
    QLineEdit* operatorEdit(int i) const { return opEdits_[size_t(i)]; }
    QLineEdit* footerEdit(int i) const { return footerEdits_[size_t(i)]; }
    QLineEdit* siteEdit(int i) const { return siteEdits_[size_t(i)]; }
    QLabel* picture() const { return picture_; }
    QPushButton* toggleButton() const { return toggleBtn; }
    void setLogoPath(const std::string& path);

private:
    void layOut();
    void loadLogo();
    void loadPictureClicked();

    AppContext& ctx_;
    int mode_ = 0;
    std::string logoPath_;
    QGroupBox* operatorGroup;
    QWidget* textPanel;
    QWidget* picturePanel;
    QLabel* picture_;
    QPushButton* toggleBtn;
    QPushButton* loadBtn;
    QGroupBox* footerGroup;
    QGroupBox* siteGroup;
    QPushButton* okButton_;
    QPushButton* cancelBtn;
    std::array<QLineEdit*, 3> opEdits_{}, footerEdits_{}, siteEdits_{};
};

} // namespace zentrova
