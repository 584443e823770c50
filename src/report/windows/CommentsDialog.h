// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>
#include <QString>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace zentrova {

struct AppContext;

// The comments dialog: the 200 comment lines printed after the results, the
// five autotest lines, and the three switches of the report.
class CommentsDialog : public QDialog {
    Q_OBJECT
public:
    CommentsDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    void setBoxFont(const QFont& font);
    bool execute();

    // For the tests.
    void fillFromSettings();
    void accept() override;
    QPlainTextEdit* commentBox() const { return commentBox_; }
    QCheckBox* checkBox(int i) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void boxChanged(QPlainTextEdit* box, int maxLines, QString& remembered, int& caret);

    AppContext& ctx_;
    QPlainTextEdit* commentBox_;
    QPlainTextEdit* autotestBox;
    QCheckBox* commentsCheck;
    QCheckBox* autotestCheck;
    QCheckBox* pageNumbersCheck;
    QPushButton* okButton_;
    QPushButton* cancelBtn;
    QString rememberedText_, rememberedAuto_;
    int rememberedCaret_ = 0, rememberedAutoCaret_ = 0;
    bool restoring_ = false;
};

} // namespace zentrova
