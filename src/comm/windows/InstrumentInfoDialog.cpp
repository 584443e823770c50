#include "comm/windows/InstrumentInfoDialog.h"

#include "comm/InstrumentData.h"
#include "comm/InstrumentLink.h"
#include "shell/AppContext.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace zentrova {

InstrumentInfoDialog::InstrumentInfoDialog(AppContext& context, InstrumentLink& l, Progress& p, QWidget* parent)
    : QDialog(parent), ctx(context), link(l), progress(p)
{
    setObjectName(QStringLiteral("InstrumentData"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    auto* grid = new QGridLayout(this);
    auto box = [this](const char* name) {
        auto* b = new QPlainTextEdit(this);
        b->setObjectName(QLatin1String(name));
        b->setReadOnly(true);
        b->setLineWrapMode(QPlainTextEdit::NoWrap);
        return b;
    };
    InstrLabel = new QLabel(this);
    InstrBox = box("InstrBox");
    NumLabel = new QLabel(this);
    NumBox = new QLineEdit(this);
    NumBox->setObjectName(QStringLiteral("NumBox"));
    NumBox->setReadOnly(true);
    FirmLabel = new QLabel(this);
    FirmBox = box("FirmBox");
    UserLabel = new QLabel(this);
    UserBox = box("UserBox");
    grid->addWidget(InstrLabel, 0, 0);
    grid->addWidget(InstrBox, 1, 0);
    grid->addWidget(NumLabel, 2, 0);
    grid->addWidget(NumBox, 3, 0);
    grid->addWidget(FirmLabel, 0, 1);
    grid->addWidget(FirmBox, 1, 1);
    grid->addWidget(UserLabel, 2, 1);
    grid->addWidget(UserBox, 3, 1, 2, 1);
    auto* buttons = new QHBoxLayout;
    ReceiveBtn = new QPushButton(this);
    OKbtn = new QPushButton(this);
    OKbtn->setDefault(true);
    buttons->addWidget(ReceiveBtn);
    buttons->addStretch();
    buttons->addWidget(OKbtn);
    grid->addLayout(buttons, 5, 0, 1, 2);
    connect(ReceiveBtn, &QPushButton::clicked, this, &InstrumentInfoDialog::receiveInstrumentData);
    connect(OKbtn, &QPushButton::clicked, this, &QDialog::accept);
    applyTexts();
}

void InstrumentInfoDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    setWindowTitle(t("InstrumentsData_30"));
    InstrLabel->setText(t("Instrument_25"));
    NumLabel->setText(t("SerialNumber_25"));
    FirmLabel->setText(t("FirmData_25"));
    UserLabel->setText(t("UserData_25"));
    ReceiveBtn->setText(t("&ReceiveData_15"));
    OKbtn->setText(t("&OK_11"));
}

void InstrumentInfoDialog::showView(const InstrumentDataView& view)
{
    auto fill = [&](QPlainTextEdit* b, const std::vector<std::string>& lines) {
        QStringList l;
        for (const std::string& s : lines)
            l << ShownInstrumentLine(ctx.decode(s));
        b->setPlainText(l.join(u'\n'));
        QTextCursor c = b->textCursor();
        c.movePosition(QTextCursor::Start);
        b->setTextCursor(c);
    };
    fill(InstrBox, view.instrument);
    NumBox->setText(ShownInstrumentLine(ctx.decode(view.serialNumber)));
    NumBox->setCursorPosition(0);
    fill(FirmBox, view.firm);
    fill(UserBox, view.user);
}

void InstrumentInfoDialog::fillFromTable() { showView(InstrumentDataFromTable(ctx.structure.table)); }

void InstrumentInfoDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    fillFromTable();
}

void InstrumentInfoDialog::receiveInstrumentData()
{
    ReceiveBtn->setEnabled(false);
    const InstrumentDataOutcome out = ReceiveInstrumentData(ctx, link, progress);
    if (out.exchanged)
        showView(out.view);
    ReceiveBtn->setEnabled(true);
}

} // namespace zentrova
