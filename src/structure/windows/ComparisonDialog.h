// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/WorkRunner.h"
#include "structure/ComparisonJudgement.h"
#include "structure/InspectionComparison.h"

#include <QDialog>
#include <memory>

class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

namespace zentrova {

struct AppContext;
class ChartOutput;

// The comparison of an older inspection with the open structure: per
// measuring point and quantity the old value, the new value and the change,
// the warnings marked, then the points that are in one file only. Below the
// table, the insulation resistances of the selected row's block, old against
// new, which can be copied, saved as PNG or SVG and printed.
class ComparisonDialog : public QDialog {
    Q_OBJECT
public:
    // `newer` is the open structure's context (its language names the texts);
    // the CSV is written through `runner` (the main window's, so that it
    // knows of the work).
    ComparisonDialog(AppContext& newer, InspectionComparison comparison, const QString& olderFile,
                     QWidget* parent = nullptr, WorkRunner& runner = inPlace());

    const InspectionComparison& comparison() const { return comparison_; }
    QTableWidget* table() const { return table_; }
    QChartView* chartView() const { return chartView_; }
    ChartOutput* chartOutput() const { return chartOutput_; }
    // The block (its number in the newer file) the chart shows; -1 for none.
    long chartBlock() const { return chartBlock_; }
    // Save as CSV: asks for the file and writes comparisonCsv of a copy of
    // the comparison, so that nothing the window owns is read off its
    // thread. False when cancelled or the write failed (the reason was
    // shown). The window stays open until the write is over.
    bool saveCsv();
    bool saving() const { return saving_; }
    // The insulation resistances corrected to their base temperature, shown
    // in the warning column with a warning for tests far apart in
    // temperature. Their correction rules point into `rules`, which the
    // window keeps as long as it keeps them (null: the caller keeps the rule
    // sets for the window's life).
    void setCorrections(std::vector<ComparedCorrection> corrections, std::shared_ptr<const RuleSets> rules = nullptr);
    // The files the comparison was made from (the two structure files, the
    // history archive and its side files): its CSV never replaces one.
    void setReadFrom(QStringList files) { readFrom_ = std::move(files); }

public slots:
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void fill();
    // Draws the chart of the block of table row `row`, unless it shows it
    // already; a row of an old point whose block the newer file lacks keeps
    // the chart as it is.
    void showBlockOfRow(int row);

    AppContext& ctx_;
    WorkRunner& runner_;
    InspectionComparison comparison_;
    std::vector<ComparedCorrection> corrections_;
    std::shared_ptr<const RuleSets> rules_; // what corrections_ point into
    QStringList readFrom_;
    bool saving_ = false;
    QString olderFile_;
    QLabel* files_;
    QLabel* summary_;
    QTableWidget* table_;
    QChartView* chartView_;
    std::vector<long> rowBlocks_; // per table row, the block it belongs to; -1 for none
    long chartBlock_ = -1;
    ChartOutput* chartOutput_;
    QPushButton* saveButton_;
    QPushButton* closeButton_;
};

// File > Compare with...: asks for the older structure file, reads it beside
// the open structure and shows the comparison in a window of its own, which
// deletes itself when closed. Null when the user cancelled or the file could
// not be read (the reason was shown).
ComparisonDialog* compareWithFile(AppContext& ctx, QWidget* parent, WorkRunner& runner = inPlace());

} // namespace zentrova
