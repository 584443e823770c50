#pragma once
#include <QDialog>

#include <optional>
#include <utility>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zentrova {

struct AppContext;

// The page range dialog: "Pages to print:" from - to.
class PageRangeDialog : public QDialog {
    Q_OBJECT
public:
    explicit PageRangeDialog(AppContext& ctx, QWidget* parent = nullptr);
    void ApplyInterfaceTexts();

    // Offers pages 1 to `pageCount`; the range to print when the user
    // pressed Print and the range lies within 1..pageCount, else nothing.
    std::optional<std::pair<int, int>> Execute(int pageCount);

    QLineEdit* FromPage() const { return FromPage_; }
    QLineEdit* ToPage() const { return ToPage_; }
    QPushButton* printButton() const { return PrintBtn; }

private:
    AppContext& ctx;
    QLabel* PagesLabel;
    QLineEdit* FromPage_;
    QLineEdit* ToPage_;
    QPushButton* PrintBtn;
    QPushButton* CancelBtn;
};

} // namespace zentrova
