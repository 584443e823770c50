// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDialog>

#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zentrova {

struct AppContext;

// The page range dialog: "Pages to print:" from - to. Print with a range
// that is no pages of the document says so and keeps the dialog open.
class PageRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit PageRangeDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyInterfaceTexts();

    // Offers pages 1 to `pageCount`; the range to print when the user
    // pressed Print and the range lies within 1..pageCount, else nothing.
    std::optional<std::pair<int, int>> execute(int pageCount);

    QLineEdit* fromPage() const { return fromPage_; }
    QLineEdit* toPage() const { return toPage_; }
    QPushButton* printButton() const { return printBtn; }
    void printClicked();

private:
    AppContext& ctx_;
    QLabel* pagesLabel;
    QLineEdit* fromPage_;
    QLineEdit* toPage_;
    QPushButton* printBtn;
    QPushButton* cancelBtn;
    int pageCount_ = 0;
    std::optional<std::pair<int, int>> range_;
};

} // namespace zentrova
