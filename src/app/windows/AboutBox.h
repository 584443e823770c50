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
    QLabel* productName() const { return ProductName; }
    QLabel* version() const { return Version; }

private:
    AppContext& ctx;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Credits;
    QLabel* FamilyLogo;
    QPushButton* OKButton;
};

} // namespace zentrova
