// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/Compose.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zentrova {

struct AppContext;

// The margins dialog: the four page margins in centimetres. Save stores them
// in the settings (with the locale's decimal separator, "." and "," both
// accepted as typed) and closes. A margin without a number, or one that
// leaves the report too little of the paper, is refused with a message that
// names it; nothing is stored and the dialog stays open on that margin.
class MarginsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MarginsDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyInterfaceTexts();

    // Shows `margins` in the four fields; true when the user saved (the
    // settings then hold the new texts, and so does `margins`). The margins
    // are checked against the paper of `setup`.
    bool execute(MarginTexts& margins, const PageSetup& setup);

    // For the tests and Execute.
    void fill(const MarginTexts& margins);
    QLineEdit* field(int side) const { return fields_[size_t(side)]; }
    QPushButton* saveButton() const { return saveBtn; }
    const MarginTexts& saved() const { return saved_; }
    void saveClicked();

private:
    AppContext& ctx_;
    std::array<QLineEdit*, MarginTexts::Count> fields_{};
    std::array<QLabel*, MarginTexts::Count> labels_{};
    QPushButton* saveBtn;
    QPushButton* cancelBtn;
    MarginTexts saved_;
    PageSetup setup_;
};

} // namespace zentrova
