// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/windows/ChartDrawing.h"

#include <QWidget>

class QPushButton;

namespace zentrova {

struct AppContext;

// The Copy, Save Image and Print buttons of a window that shows a chart, and
// what they do: the chart is drawn afresh for each, copied to the clipboard
// as an image, saved as PNG or SVG (by the file name's ending) or printed on
// a landscape page. The buttons are off while there is no chart.
class ChartOutput : public QWidget {
    Q_OBJECT
public:
    explicit ChartOutput(AppContext& ctx, QWidget* parent = nullptr);
    void applyTexts();
    // The chart the buttons draw, with the title an SVG drawing is given.
    void setChart(ChartMaker make, const QString& title);
    void clearChart();
    bool hasChart() const { return bool(make_); }

    void copyChart();
    // Asks for the file; a failed write is shown with its reason.
    void saveChart();
    void printChart();

private:
    void enableButtons();

    AppContext& ctx_;
    ChartMaker make_;
    QString title_;
    QPushButton *copyButton_, *saveButton_, *printButton_;
};

} // namespace zentrova
