// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zentrova {

struct AppContext;

// Configuration > History archive: where the archive lives (an SQLite file,
// chosen with Browse, or a server's postgresql:// address) and whether every
// download is added to it. OK keeps them in [HISTORY]; an address that does
// not read is refused with the reason. A server's password is never kept
// there: OK offers to write it to the password file (~/.pgpass).
class HistorySettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit HistorySettingsDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Shows the dialog with the settings; true when OK kept new ones.
    bool execute();
    void accept() override;
    void browse();

    QLineEdit* archiveEdit() const { return archive_; }
    QCheckBox* addAfterReceiveBox() const { return addAfterReceive_; }

private:
    AppContext& ctx_;
    QLabel* archiveLabel_;
    QLineEdit* archive_;
    QPushButton* browseButton_;
    QCheckBox* addAfterReceive_;
    QPushButton *okButton_, *cancelButton_;
    QString keptAddress_; // the address as the settings held it
};

} // namespace zentrova
