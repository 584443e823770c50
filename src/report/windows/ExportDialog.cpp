#include "report/windows/ExportDialog.h"

#include "shell/AppContext.h"
#include "app/windows/HelpViewer.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace zentrova {

ExportDialog::ExportDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx(context)
{
    setObjectName(QStringLiteral("ExportDlg"));
    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;
    ColGroup = new QGroupBox(this);
    RowGroup = new QGroupBox(this);
    ColDelimiter = new QComboBox(ColGroup);
    ColDelimiter->setObjectName(QStringLiteral("ColDelimiter"));
    RowDelimiter = new QComboBox(RowGroup);
    RowDelimiter->setObjectName(QStringLiteral("RowDelimiter"));
    (new QVBoxLayout(ColGroup))->addWidget(ColDelimiter);
    (new QVBoxLayout(RowGroup))->addWidget(RowDelimiter);
    groups->addWidget(ColGroup);
    groups->addWidget(RowGroup);
    layout->addLayout(groups);
    auto* row = new QHBoxLayout;
    row->addStretch();
    OKbtn = new QPushButton(this);
    OKbtn->setDefault(true);
    Cancelbtn = new QPushButton(this);
    row->addWidget(OKbtn);
    row->addWidget(Cancelbtn);
    layout->addLayout(row);
    connect(OKbtn, &QPushButton::clicked, this, &ExportDialog::accept);
    connect(Cancelbtn, &QPushButton::clicked, this, &QDialog::reject);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { HelpViewer::showTopic(ctx, HelpContext, this); });
}

void ExportDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    setWindowTitle(t("ExportFormat_30"));
    ColGroup->setTitle(t("Delimiter_25"));
    RowGroup->setTitle(t("EOLSign_25"));
    // Each list keeps its selection across a change of language.
    const int col = std::max(0, ColDelimiter->currentIndex());
    const int row = std::max(0, RowDelimiter->currentIndex());
    ColDelimiter->clear();
    ColDelimiter->addItems({t("TAB_15"), t("semicolon_15")});
    RowDelimiter->clear();
    RowDelimiter->addItems({t("CRLF_15"), t("CR_15"), t("LF_15")});
    ColDelimiter->setCurrentIndex(col);
    RowDelimiter->setCurrentIndex(row);
    OKbtn->setText(t("&OK_11"));
    Cancelbtn->setText(t("&Cancel_11"));
}

bool ExportDialog::execute()
{
    ColDelimiter->setCurrentIndex(ctx.exportFormat.column);
    RowDelimiter->setCurrentIndex(ctx.exportFormat.row);
    return exec() == QDialog::Accepted;
}

void ExportDialog::accept()
{
    ctx.exportFormat.column = std::max(0, ColDelimiter->currentIndex());
    ctx.exportFormat.row = std::max(0, RowDelimiter->currentIndex());
    QDialog::accept();
}

} // namespace zentrova
