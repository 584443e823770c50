// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/RecordDetailDialog.h"

#include "history/PointJudgement.h"
#include "language/Profile.h"
#include "report/CellMarkup.h"
#include "shell/AppContext.h"
#include "structure/VerdictTexts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zentrova {

namespace {

constexpr int ItemColumns = 5; // kind, quantity, value, unit, rating (shown only when an item has one)
constexpr int RatingColumn = 4;

} // namespace

RecordDetailDialog::RecordDetailDialog(AppContext& context, QWidget* parent) : QDialog(parent), ctx_(context)
{
    setObjectName(QStringLiteral("RecordDetail"));
    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    form_->setLabelAlignment(Qt::AlignLeft);
    layout->addLayout(form_);
    items_ = new QTableWidget(0, ItemColumns, this);
    items_->setObjectName(QStringLiteral("RecordItems"));
    items_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    items_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // One line of text per item: a diagnostic test's thirteen items fit
    // without scrolling.
    items_->verticalHeader()->setDefaultSectionSize(items_->fontMetrics().height() + 6);
    items_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    items_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(items_, 1);
    orderNote_ = new QLabel(this);
    orderNote_->setObjectName(QStringLiteral("OrderNote"));
    orderNote_->setWordWrap(true);
    layout->addWidget(orderNote_);
    // The judging, as advice beside the instrument's limit.
    correction_ = new QLabel(this);
    correction_->setObjectName(QStringLiteral("RecordCorrection"));
    correction_->setWordWrap(true);
    correction_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(correction_);
    verdictsLabel_ = new QLabel(this);
    QFont bold = verdictsLabel_->font();
    bold.setBold(true);
    verdictsLabel_->setFont(bold);
    layout->addWidget(verdictsLabel_);
    verdicts_ = new QListWidget(this);
    verdicts_->setObjectName(QStringLiteral("RecordVerdicts"));
    verdicts_->setWordWrap(true);
    verdicts_->setMaximumHeight(verdicts_->fontMetrics().height() * 7);
    layout->addWidget(verdicts_);
    auto* buttons = new QHBoxLayout;
    closeButton_ = new QPushButton(this);
    closeButton_->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    resize(620, 680);
    applyTexts();
}

void RecordDetailDialog::applyTexts()
{
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("RecordDetail_30"));
    // The text also heads CSV columns after a quantity's name ("PI rating
    // (advice)"), so it starts small; a column heading starts capitalised.
    QString rating = t("RatingAdvice_30");
    if (!rating.isEmpty())
        rating[0] = rating[0].toUpper();
    items_->setHorizontalHeaderLabels({t("ItemKind_20"), t("Quantity_20"), t("Value_20"), t("Unit_20"), rating});
    orderNote_->setText(t("OrderNotKept_60"));
    verdictsLabel_->setText(t("RecordVerdicts_30"));
    closeButton_->setText(t("&Close_11"));
    if (detail_.row > 0)
        fill(); // the kind names and labels follow the language
}

void RecordDetailDialog::showRecord(int row)
{
    detail_.row = row;
    fill();
    show();
    raise();
    activateWindow();
}

QString RecordDetailDialog::headingValue(int i) const
{
    QLayoutItem* item = form_->itemAt(i, QFormLayout::FieldRole);
    auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    return label ? label->text() : QString();
}

void RecordDetailDialog::fill()
{
    detail_ = recordDetail(ctx_.language, ctx_.document, detail_.row);
    // A CR separates the lines of names and function texts.
    auto shown = [&](const std::string& bytes) { return ctx_.language.decode(bytes).replace(u'\r', u'\n'); };
    while (form_->rowCount() > 0)
        form_->removeRow(0);
    for (const auto& [label, text] : detail_.heading) {
        auto* value = new QLabel(shown(text), this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form_->addRow(shown(label) + u':', value);
    }
    items_->setRowCount(int(detail_.items.size()));
    for (int r = 0; r < int(detail_.items.size()); ++r) {
        const RecordDetailItem& item = detail_.items[size_t(r)];
        const std::string* cells[ItemColumns] = {&item.kindName, &item.quantity, &item.value, &item.unit, &item.rating};
        for (int c = 0; c < ItemColumns; ++c) {
            auto* cell = new QTableWidgetItem(shown(*cells[c]));
            if (c == 2)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (item.marked)
                cell->setForeground(colourOf(LineColour::Red));
            items_->setItem(r, c, cell);
        }
    }
    // The rating column is there only for a record with a PI or DAR value;
    // the last column shown takes the rest of the width.
    const bool rated = std::any_of(detail_.items.begin(), detail_.items.end(),
                                   [](const RecordDetailItem& i) { return !i.rating.empty(); });
    items_->setColumnHidden(RatingColumn, !rated);
    for (int c = 0; c + 1 < ItemColumns; ++c)
        items_->resizeColumnToContents(c);
    orderNote_->setVisible(!detail_.arrivalOrder);
    fillJudgement();
}

void RecordDetailDialog::fillJudgement()
{
    const ResultReadings result = rowReadings(ctx_.document.structure, ctx_.language.names,
                                              functionTextBase(ctx_.document.familyCode), detail_.row);
    const RuleSets rules = loadRuleSets(ruleFolders(ctx_.language.programDir), nullptr);
    // The point's equipment data and its installation's rule sets, when the
    // history archive has them.
    const DocumentJudgingData archived = documentJudgingData(ctx_);
    const EvaluationChoices choices = siteChoices(evaluationChoices(ctx_.language.settings), archived.rules);
    const EquipmentData* data = archived.equipmentOf(detail_.block, detail_.element);
    const VerdictTexts texts(ctx_.language.texts, ctx_.language.languageFiles.codec());
    const std::optional<CorrectedResistance> c = resultCorrection(result, data, rules, choices);
    if (c) {
        const char* quantity = result.function == 0 ? "Riso" : "R60s";
        const MeasuredValue* raw = result.find(quantity);
        QString text = QStringLiteral("%1 %2   \u2192   %3")
                           .arg(QLatin1String(quantity),
                                QString::fromStdString(resistanceText(raw->number, raw->bound)), texts.correction(*c));
        // The instrument's own value at 20 °C beside the program's.
        if (const MeasuredValue* r20 = result.find("R20"); r20 && r20->hasNumber && r20->baseUnit == "Ohm")
            text += u'\n' + fillTemplate(texts.text("RecordInstrumentR20_60"),
                                         {{"value", QString::fromStdString(resistanceText(r20->number, r20->bound))}});
        correction_->setText(text);
    }
    correction_->setVisible(c.has_value());
    verdicts_->clear();
    // The real reason a point of a file without a test site has no data.
    if (archived.noInstallationChosen) {
        auto* item = new QListWidgetItem(texts.text("RecordNoInstallation_60"), verdicts_);
        item->setToolTip(item->text());
    }
    for (const Verdict& v : evaluateResult(result, data, rules, choices)) {
        auto* item = new QListWidgetItem(texts.line(v), verdicts_);
        item->setToolTip(item->text());
        if (v.outcome == VerdictOutcome::Fail)
            item->setForeground(colourOf(LineColour::Red));
    }
    verdictsLabel_->setVisible(verdicts_->count() > 0);
    verdicts_->setVisible(verdicts_->count() > 0);
}

} // namespace zentrova
