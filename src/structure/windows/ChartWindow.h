// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/ChartData.h"

#include <QDialog>

class QChartView;
class QComboBox;
class QLabel;
class QPushButton;

namespace zentrova {

struct AppContext;
class ChartOutput;
class ElementNode;

// A chart of the selected element's results: the block at a glance, a
// diagnostic test's absorption curve or a step voltage test, chosen in a
// list. The chart can be copied, saved as PNG or SVG and printed. Stays open
// beside the main window; showing another element replaces the chart.
class ChartWindow : public QDialog {
    Q_OBJECT
public:
    explicit ChartWindow(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // Shows `node`'s chart of the kind it offers first and brings the window
    // to the front.
    void showElement(const ElementNode* node);
    // Draws the chart of `kind` for the element shown.
    void showKind(ChartKind kind);
    void copyChart();
    void saveChart();
    void printChart();

    const ChartData& data() const { return data_; }
    bool hasChart() const { return drawn_; }
    ChartKind kind() const;

private:
    void redraw();
    bool elementStillThere() const;

    AppContext& ctx_;
    const ElementNode* node_ = nullptr;
    ChartData data_;
    bool drawn_ = false;
    QComboBox* kinds_;
    QChartView* view_;
    QLabel* note_;
    ChartOutput* output_;
    QPushButton* closeButton_;
};

} // namespace zentrova
