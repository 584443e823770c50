// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/ChartData.h"

#include <QByteArray>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>

class QAreaSeries;
class QChart;
class QLogValueAxis;
class QPainter;

namespace zentrova {

struct StructureContext;

// A chart's data as a Qt chart: resistance on a logarithmic axis (values
// span kilo- to teraohms); the block chart as bars with each point's limit
// drawn across its bar and the bars below it red; a value the instrument gave
// as a bound ("<" or ">") is drawn at the bound with a triangle on it.
// Texts come from the language file. The caller owns the chart.
QChart* makeChart(const StructureContext& ctx, const ChartData& data);

// Old against new for a block of a comparison, on the same axes: per point
// the older inspection's Riso as a pale bar beside the newer one's, the newer
// red where it fell to less than half, bounds marked as in makeChart. The
// caller owns the chart.
QChart* makeComparisonChart(const StructureContext& ctx, const ComparisonChart& data);

// A logarithmic axis over whole decades around the positive values from
// `low` to `high` (1 kOhm to 10 TOhm when there are none), a decade more
// where a value would sit on its floor or touch its top.
QLogValueAxis* decadeAxis(double low, double high, const QString& title);

// Labels the decades of a logarithmic resistance axis `y` of `chart` as a
// reader writes them ("1 kOhm", "1 GOhm"; also 2 and 5 of each decade when
// the axis spans less than three), on the left; call it once `y` has its
// range and title.
void labelDecades(QChart* chart, QLogValueAxis* y);

// An area series filling the rectangle from `left` to `right` and from
// `bottom` to `top` (a bar, a band). It owns the two line series that bound
// it, so they go with it when the chart that it is added to is deleted.
QAreaSeries* rectangleSeries(double left, double right, double bottom, double top);

// Makes a new chart each time it is called; the caller owns the chart.
using ChartMaker = std::function<QChart*()>;

// The chart drawn on `size` pixels, as a PNG image or an SVG drawing with
// `title`. Needs the widget application object (on the offscreen platform
// when nothing is shown).
QByteArray chartPng(const ChartMaker& make, QSize size);
QByteArray chartSvg(const ChartMaker& make, QSize size, const QString& title);
QByteArray chartPng(const StructureContext& ctx, const ChartData& data, QSize size);
QByteArray chartSvg(const StructureContext& ctx, const ChartData& data, QSize size);

// Draws the chart into `target` of a painter (a printer's page).
void paintChart(const ChartMaker& make, QPainter& painter, const QRectF& target);

// The file type of `path` by its ending: true for ".svg" (in any case), false
// for everything else, which is written as PNG.
bool isSvgFileName(const QString& path);

} // namespace zentrova
