#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace zentrova {

struct AppContext;
class InstrumentLink;
class Progress;
struct InstrumentDataView;

// The instrument's-data dialog: who produced the results (row 0 of the result
// table), and Receive Data to ask the connected instrument again without
// touching the results.
class InstrumentInfoDialog : public QDialog {
    Q_OBJECT
public:
    InstrumentInfoDialog(AppContext& ctx, InstrumentLink& link, Progress& progress, QWidget* parent = nullptr);
    void applyTexts();
    void execute() { exec(); }

    void receiveInstrumentData();
    // Fills the boxes from row 0 (done each time the dialog opens).
    void fillFromTable();

    QPlainTextEdit* instrBox() const { return InstrBox; }
    QLineEdit* numBox() const { return NumBox; }
    QPlainTextEdit* firmBox() const { return FirmBox; }
    QPlainTextEdit* userBox() const { return UserBox; }
    QPushButton* receiveButton() const { return ReceiveBtn; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void showView(const InstrumentDataView& view);

    AppContext& ctx;
    InstrumentLink& link;
    Progress& progress;
    QLabel* InstrLabel;
    QLabel* NumLabel;
    QLabel* FirmLabel;
    QLabel* UserLabel;
    QPlainTextEdit* InstrBox;
    QLineEdit* NumBox;
    QPlainTextEdit* FirmBox;
    QPlainTextEdit* UserBox;
    QPushButton* ReceiveBtn;
    QPushButton* OKbtn;
};

} // namespace zentrova
