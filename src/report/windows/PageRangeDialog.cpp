#include "report/windows/PageRangeDialog.h"

#include "report/ComposePreview.h"
#include "shell/AppContext.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentrova {

PageRangeDialog::PageRangeDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx(context)
{
    setObjectName(QStringLiteral("SelectPages"));
    auto* layout = new QVBoxLayout(this);
    PagesLabel = new QLabel(this);
    layout->addWidget(PagesLabel);
    auto* range = new QHBoxLayout;
    FromPage_ = new QLineEdit(this);
    FromPage_->setObjectName(QStringLiteral("FromPage"));
    ToPage_ = new QLineEdit(this);
    ToPage_->setObjectName(QStringLiteral("ToPage"));
    for (QLineEdit* e : {FromPage_, ToPage_}) {
        e->setMaxLength(9);
        e->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    }
    range->addWidget(FromPage_);
    range->addWidget(new QLabel(QStringLiteral("-"), this));
    range->addWidget(ToPage_);
    range->addStretch();
    layout->addLayout(range);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    PrintBtn = new QPushButton(this);
    PrintBtn->setDefault(true);
    CancelBtn = new QPushButton(this);
    buttons->addWidget(PrintBtn);
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    connect(PrintBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    ApplyInterfaceTexts();
}

void PageRangeDialog::ApplyInterfaceTexts()
{
    auto t = [&](const char* key) { return ctx.decode(ctx.texts.text(key)); };
    setWindowTitle(t("SelectPages_25"));
    PagesLabel->setText(t("PagesToPrint_30"));
    PrintBtn->setText(t("&Print_11"));
    CancelBtn->setText(t("&Cancel_11"));
}

std::optional<std::pair<int, int>> PageRangeDialog::Execute(int pageCount)
{
    FromPage_->setText(QStringLiteral("1"));
    ToPage_->setText(QString::number(pageCount));
    FromPage_->setFocus();
    FromPage_->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return PagesToPrint(FromPage_->text().toLatin1().toStdString(), ToPage_->text().toLatin1().toStdString(),
                        pageCount);
}

} // namespace zentrova
