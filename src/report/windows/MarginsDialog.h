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
// accepted as typed) and closes; a margin without a number is refused with a
// message and the dialog stays open, so nothing of the previous report is lost.
class MarginsDialog : public QDialog {
    Q_OBJECT
public:
    explicit MarginsDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyInterfaceTexts();

    // Shows `margins` in the four fields; true when the user saved (the
    // settings then hold the new texts, and so does `margins`).
    bool execute(MarginTexts& margins);

    // For the tests and Execute.
    void fill(const MarginTexts& margins);
    QLineEdit* field(int side) const { return fields_[size_t(side)]; }
    QPushButton* saveButton() const { return saveBtn; }
    const MarginTexts& saved() const { return saved_; }
    void saveClicked();

private:
    AppContext& ctx;
    std::array<QLineEdit*, MarginTexts::Count> fields_{};
    std::array<QLabel*, MarginTexts::Count> labels_{};
    QPushButton* saveBtn;
    QPushButton* cancelBtn;
    MarginTexts saved_;
};

} // namespace zentrova
