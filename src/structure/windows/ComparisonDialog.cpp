// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/ComparisonDialog.h"

#include "history/PointJudgement.h"
#include "structure/VerdictTexts.h"

#include "base/FileIO.h"
#include "base/Progress.h"
#include "base/Prompts.h"
#include "history/PointJudgement.h"
#include "report/CellMarkup.h"
#include "shell/AppContext.h"
#include "shell/windows/BackgroundWork.h"
#include "structure/MeasuredValue.h"
#include "structure/StructureFile.h"
#include "structure/ValuesCsv.h"
#include "structure/VerdictTexts.h"
#include "structure/windows/ChartDrawing.h"
#include "structure/windows/ChartOutput.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zentrova {

namespace {

enum Column {
    BlockColumn,
    ElementColumn,
    FunctionColumn,
    QuantityColumn,
    OldColumn,
    NewColumn,
    ChangeColumn,
    WarningColumn,
    VerdictColumn, // the new inspection's verdicts of the quantity
    ColumnCount
};

QString shownName(const AppContext& ctx, const std::string& name)
{
    return ctx.language.decode(name).replace(u'\r', u' ');
}

QString numberAndName(const AppContext& ctx, long number, const std::string& name)
{
    QString s = QString::number(number);
    if (!name.empty())
        s += QStringLiteral("  ") + shownName(ctx, name);
    return s;
}

// A point matched by its names or its numbers shows what changed once:
// "1  Transformer T1 -> Main transformer", "2 -> 3  Yard".
QString numberAndNames(const AppContext& ctx, long oldNumber, const std::string& oldName, long newNumber,
                       const std::string& newName)
{
    const bool sameNumber = oldNumber == newNumber, sameName = oldName == newName;
    if (sameName)
        return sameNumber ? numberAndName(ctx, newNumber, newName)
                          : numberAndName(ctx, oldNumber, {}) + QStringLiteral(" -> ") +
                                numberAndName(ctx, newNumber, newName);
    if (sameNumber)
        return numberAndName(ctx, newNumber, oldName) + QStringLiteral(" -> ") + shownName(ctx, newName);
    return numberAndName(ctx, oldNumber, oldName) + QStringLiteral(" -> ") + numberAndName(ctx, newNumber, newName);
}

// A side's value as a reader writes it ("44.1 GOhm", "> 10 TOhm"), with the
// instrument's "!" behind; "-" when the quantity is not on that side. The
// CSV and JSON keep plain numbers in base units for programs to compute with.
QString valueShown(const AppContext& ctx, bool present, const MeasuredValue& v)
{
    if (!present)
        return QStringLiteral("-");
    if (!v.hasNumber) {
        QString s = QString::fromStdString(markText(v)) + u'?';
        if (!v.baseUnit.empty())
            s += u' ' + ctx.language.decode(v.baseUnit);
        return s;
    }
    QString s = ctx.language.decode(prefixedValueText(v));
    if (v.flagged)
        s += QStringLiteral(" !");
    return s;
}

} // namespace

ComparisonDialog::ComparisonDialog(AppContext& newer, InspectionComparison comparison, const QString& olderFile,
                                   QWidget* parent, WorkRunner& runner)
    : QDialog(parent), ctx_(newer), runner_(runner), comparison_(std::move(comparison)), olderFile_(olderFile)
{
    setObjectName(QStringLiteral("Comparison"));
    auto t = [&](const char* key) { return ctx_.language.decode(ctx_.language.texts.text(key)); };
    setWindowTitle(t("Comparison_30"));
    auto* layout = new QVBoxLayout(this);
    files_ = new QLabel(this);
    files_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(files_);
    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("ComparisonTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    // Rows as high as a line of text, as the results grid's: the style's
    // default is nearly twice that.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    // One line per quantity: a warning is read across, not folded.
    table_->setWordWrap(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setHorizontalHeaderLabels({t("CsvBlockName_20"), t("CsvElementName_20"), t("CsvFunction_20"),
                                       t("CmpQuantity_20"), t("CmpOld_15"), t("CmpNew_15"), t("CmpChange_20"),
                                       t("CmpWarning_20"), t("CmpVerdicts_30")});
    chartView_ = new QChartView(this);
    chartView_->setObjectName(QStringLiteral("ComparisonChart"));
    chartView_->setRenderHint(QPainter::Antialiasing);
    chartView_->setMinimumHeight(200);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(table_);
    splitter->addWidget(chartView_);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ComparisonSummary"));
    layout->addWidget(summary_);
    auto* buttons = new QHBoxLayout;
    saveButton_ = new QPushButton(t("&SaveCsv_30"), this);
    saveButton_->setObjectName(QStringLiteral("SaveCsv"));
    chartOutput_ = new ChartOutput(ctx_, this);
    closeButton_ = new QPushButton(t("&Close_11"), this);
    closeButton_->setDefault(true);
    buttons->addWidget(saveButton_);
    buttons->addWidget(chartOutput_);
    buttons->addStretch();
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
    connect(saveButton_, &QPushButton::clicked, this, &ComparisonDialog::saveCsv);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) { showBlockOfRow(row); });
    resize(1120, 820);
    fill();
    showBlockOfRow(0);
}

void ComparisonDialog::showBlockOfRow(int row)
{
    if (row < 0 || row >= int(rowBlocks_.size()) || rowBlocks_[row] < 0 || rowBlocks_[row] == chartBlock_)
        return;
    chartBlock_ = rowBlocks_[row];
    ComparisonChart chart = comparisonChart(ctx_, comparison_, chartBlock_);
    QChart* old = chartView_->chart();
    chartView_->setChart(makeComparisonChart(ctx_, chart));
    delete old; // the view leaves the chart it showed to its caller
    const QString title = ctx_.language.decode(chart.title);
    chartOutput_->setChart([this, chart = std::move(chart)] { return makeComparisonChart(ctx_, chart); }, title);
}

namespace {

// "corrected: 25 MΩ → 20 MΩ at 40 °C", or why a side is not corrected.
QString correctedShown(const VerdictTexts& texts, const ComparedCorrection& c)
{
    const bool both = c.oldCorrected && c.newCorrected && c.oldCorrected->corrected && c.newCorrected->corrected;
    if (!both) {
        const std::optional<CorrectedResistance>& failed =
            c.oldCorrected && !c.oldCorrected->corrected ? c.oldCorrected : c.newCorrected;
        return failed ? texts.correction(*failed) : QString();
    }
    return texts.text("CmpCorrected_20") +
           QStringLiteral(": %1 \u2192 %2 (%3)")
               .arg(QString::fromStdString(resistanceText(c.oldCorrected->ohms, c.oldCorrected->bound)),
                    QString::fromStdString(resistanceText(c.newCorrected->ohms, c.newCorrected->bound)),
                    QString::fromStdString(degreesText(c.newCorrected->temperature)));
}

} // namespace

void ComparisonDialog::fill()
{
    files_->setText(ctx_.language.decode(ctx_.language.texts.text("CmpOld_15")) + QStringLiteral(": ") + olderFile_ +
                    u'\n' + ctx_.language.decode(ctx_.language.texts.text("CmpNew_15")) + QStringLiteral(": ") +
                    ctx_.document.fileName);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QColor red = colourOf(LineColour::Red);
    auto put = [&](int r, int c, const QString& text) {
        auto* cell = new QTableWidgetItem(text);
        if (c == OldColumn || c == NewColumn || c == ChangeColumn)
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(r, c, cell);
        return cell;
    };
    int rows = int(comparison_.onlyOld.size() + comparison_.onlyNew.size());
    for (const PointComparison& p : comparison_.points)
        rows += int(std::max<size_t>(1, p.quantities.size()));
    table_->setRowCount(rows);
    rowBlocks_.assign(size_t(rows), -1);
    int r = 0;
    const VerdictTexts texts(ctx_.language.texts, ctx_.language.languageFiles.codec());
    for (size_t index = 0; index < comparison_.points.size(); ++index) {
        const PointComparison& p = comparison_.points[index];
        const QString block = numberAndNames(ctx_, p.older.block, p.older.blockName, p.newer.block, p.newer.blockName);
        const QString element =
            numberAndNames(ctx_, p.older.element, p.older.elementName, p.newer.element, p.newer.elementName);
        for (size_t i = 0; i < std::max<size_t>(1, p.quantities.size()); ++i)
            rowBlocks_[size_t(r) + i] = p.newer.block;
        if (p.quantities.empty()) {
            put(r, BlockColumn, block);
            put(r++, ElementColumn, element);
        }
        for (const QuantityChange& q : p.quantities) {
            put(r, BlockColumn, block);
            put(r, ElementColumn, element);
            put(r, FunctionColumn, ctx_.language.decode(q.functionName).replace(u'\r', u' '));
            put(r, QuantityColumn, ctx_.language.decode(q.quantityName));
            put(r, OldColumn, valueShown(ctx_, q.inOld, q.oldValue));
            put(r, NewColumn, valueShown(ctx_, q.inNew, q.newValue));
            if (q.hasChange)
                put(r, ChangeColumn,
                    (q.changeBound != ValueBound::Exact ? QLatin1String(changeMarkText(q)) + u' ' : QString()) +
                        (q.changePercent > 0 ? QStringLiteral("+") : QString()) +
                        QString::fromStdString(changePercentText(q.changePercent)));
            if (!q.newVerdicts.empty()) {
                QStringList lines;
                bool fails = false;
                for (const Verdict& v : q.newVerdicts) {
                    lines << texts.line(v);
                    fails = fails || v.outcome == VerdictOutcome::Fail;
                }
                QTableWidgetItem* cell = put(r, VerdictColumn, lines.join(QStringLiteral("; ")));
                cell->setToolTip(lines.join(u'\n'));
                if (fails)
                    cell->setForeground(red);
            }
            const std::string w = comparisonWarningText(ctx_, q);
            const auto correction =
                std::find_if(corrections_.begin(), corrections_.end(), [&](const ComparedCorrection& c) {
                    return c.point == index && c.function == q.function && c.quantity == q.quantity;
                });
            if (correction != corrections_.end()) {
                QStringList notes;
                if (!w.empty())
                    notes << QString::fromStdString(w);
                if (correction->temperaturesApart)
                    notes << texts.text("CmpTemperaturesApart_60");
                // A point without equipment data is not corrected, as the record panel says.
                const bool equipped =
                    correction->newCorrected && correction->newCorrected->why != VerdictReason::NoEquipmentData;
                if (equipped)
                    notes << correctedShown(texts, *correction);
                if (!notes.isEmpty()) {
                    QTableWidgetItem* cell = put(r, WarningColumn, notes.join(QStringLiteral("; ")));
                    cell->setToolTip(cell->text());
                    if (correction->temperaturesApart) {
                        cell->setIcon(warning);
                        for (int c = 0; c < ColumnCount; ++c)
                            if (QTableWidgetItem* each = table_->item(r, c))
                                each->setForeground(red);
                    }
                }
            }
            if (!w.empty()) {
                QTableWidgetItem* cell = table_->item(r, WarningColumn);
                if (!cell)
                    cell = put(r, WarningColumn, QString::fromStdString(w));
                cell->setIcon(warning);
                cell->setToolTip(cell->text());
                for (int c = 0; c < ColumnCount; ++c)
                    if (QTableWidgetItem* cell = table_->item(r, c))
                        cell->setForeground(red);
            }
            ++r;
        }
    }
    auto onlyIn = [&](const std::vector<PointInOneFile>& points, const char* key, bool old) {
        for (const PointInOneFile& p : points) {
            rowBlocks_[size_t(r)] = old ? newerBlockOf(comparison_, p.block, p.blockName) : p.block;
            put(r, BlockColumn, numberAndName(ctx_, p.block, p.blockName));
            put(r, ElementColumn, numberAndName(ctx_, p.element, p.elementName));
            put(r, FunctionColumn, ctx_.language.decode(ctx_.language.texts.text(key)))
                ->setForeground(colourOf(LineColour::Blue));
            table_->setSpan(r, FunctionColumn, 1, ColumnCount - FunctionColumn);
            ++r;
        }
    };
    onlyIn(comparison_.onlyOld, "CmpOnlyOld_40", true);
    onlyIn(comparison_.onlyNew, "CmpOnlyNew_40", false);
    table_->resizeColumnsToContents();
    const int flags = comparison_.flagCount();
    summary_->setText(ctx_.language.decode(ctx_.language.texts.text("CmpWarning_20")) + QStringLiteral(": ") +
                      QString::number(flags));
    if (flags > 0)
        summary_->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
}

void ComparisonDialog::setCorrections(std::vector<ComparedCorrection> corrections,
                                      std::shared_ptr<const RuleSets> rules)
{
    corrections_ = std::move(corrections);
    rules_ = std::move(rules);
    table_->clearContents();
    fill();
}

bool ComparisonDialog::saveCsv()
{
    if (saving_)
        return false;
    QString proposed = proposedValuesCsvName(ctx_.document.fileName);
    if (!proposed.isEmpty())
        proposed.insert(proposed.size() - 4, QStringLiteral("-compare"));
    // The worker writes from values of its own: the window may be closed
    // (and deleted) only after the write, but what it shows is not read off
    // its thread. The rule sets go along with the corrections that point
    // into them.
    saving_ = true;
    saveButton_->setEnabled(false);
    closeButton_->setEnabled(false);
    const bool written = saveCsvThroughDialog(
        ctx_, "SaveComparisonCsv_40", proposed,
        [&ctx = ctx_, comparison = comparison_, corrections = corrections_, rules = rules_] {
            (void)rules; // held while the corrections are read
            return comparisonCsv(ctx, comparison, &corrections);
        },
        runner_, readFrom_);
    saving_ = false;
    saveButton_->setEnabled(true);
    closeButton_->setEnabled(true);
    return written;
}

void ComparisonDialog::done(int result)
{
    if (saving_)
        return; // the CSV is being written: the window closes afterwards
    QDialog::done(result);
}

void ComparisonDialog::closeEvent(QCloseEvent* e)
{
    if (saving_) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

ComparisonDialog* compareWithFile(AppContext& ctx, QWidget* parent, WorkRunner& runner)
{
    FileDialogRequest request = structureDialog(ctx, "CompareWith_40");
    request.mustExist = true;
    const std::optional<QString> chosen = ctx.language.prompts->openFileName(request);
    if (!chosen || chosen->isEmpty())
        return nullptr;
    // The older file is read into a document of its own, so that the open
    // structure stays as it is; reading and comparing run off the window.
    std::optional<Document> older;
    InspectionComparison comparison;
    std::vector<ComparedCorrection> corrections;
    // The corrections point into the rule sets: the window keeps them.
    std::shared_ptr<CsvJudging> judging;
    const bool compared = runner.run([&] {
        NullProgress quiet;
        older = readDocumentBeside(ctx.language, *chosen, quiet);
        if (!older)
            return;
        comparison = compareInspections(*older, ctx.document, ctx.language.names);
        // Corrected by the points' equipment data in the history archive.
        judging = std::make_shared<CsvJudging>(archiveCsvJudging(ctx));
        corrections = compareCorrections(*older, ctx.document, ctx.language.names, comparison, judging->equipmentOf,
                                         judging->rules, judging->choices);
        judgeNewerResults(comparison, ctx.document, ctx.language.names, judging->equipmentOf, judging->rules,
                          judging->choices);
    });
    if (!compared || !older)
        return nullptr;
    auto* dialog = new ComparisonDialog(ctx, std::move(comparison), *chosen, parent, runner);
    dialog->setCorrections(std::move(corrections), std::shared_ptr<const RuleSets>(judging, &judging->rules));
    QStringList readFrom = judging->readFrom;
    readFrom << *chosen << ctx.document.fileName;
    dialog->setReadFrom(std::move(readFrom));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace zentrova
