// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/RecordDetail.h"

#include <QDialog>

class QFormLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace zentrova {

struct AppContext;

// The full record of one measurement: where and what was measured, then
// every item of the record. Stays open beside the main window; opening
// another record shows that one instead.
class RecordDetailDialog : public QDialog {
    Q_OBJECT
public:
    explicit RecordDetailDialog(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Shows result table row `row` and brings the dialog to the front.
    void showRecord(int row);

    const RecordDetail& detail() const { return detail_; }
    QTableWidget* itemsTable() const { return items_; }
    // The text beside heading label `i` (object or block first, time last).
    QString headingValue(int i) const;
    // The insulation resistance corrected to its base temperature, or why
    // it is not; hidden for a result without one.
    QLabel* correctionLabel() const { return correction_; }
    // The record's verdicts, each with its rule and source (advice).
    QListWidget* verdictList() const { return verdicts_; }

private:
    void fill();
    void fillJudgement();

    AppContext& ctx_;
    RecordDetail detail_;
    QFormLayout* form_;
    QTableWidget* items_;
    QLabel* orderNote_;
    QLabel* correction_;
    QLabel* verdictsLabel_;
    QListWidget* verdicts_;
    QPushButton* closeButton_;
};

} // namespace zentrova
