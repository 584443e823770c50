// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "history/windows/TrendChart.h"

#include "structure/InsulationRating.h"
#include "structure/StructureContext.h"
#include "structure/windows/ChartDrawing.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTimeAxis>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zentrova {

namespace {

const QColor Line(70, 110, 170);
const QColor Limit(230, 140, 0);
const QColor Bound(40, 40, 40);
// Dangerous, questionable, good, best.
const QColor BandColours[] = {QColor(230, 90, 80, 70), QColor(240, 190, 60, 70), QColor(150, 210, 120, 70),
                              QColor(60, 170, 90, 70)};

constexpr qint64 DayMs = 24 * 3600 * 1000;

// Texts of legends and axes are read as rich text: "<" must not start a tag.
QString text(const StructureContext& ctx, const char* key)
{
    return ctx.language.decode(ctx.language.texts.text(key)).toHtmlEscaped();
}

// The archive keeps wall-clock times; the date axis shows local time.
qreal axisTime(const QDateTime& t)
{
    return qreal(QDateTime(t.date(), t.time(), Qt::LocalTime).toMSecsSinceEpoch());
}

QScatterSeries* markers(const QString& name, QScatterSeries::MarkerShape shape, const QColor& colour, qreal size)
{
    auto* s = new QScatterSeries;
    s->setName(name);
    s->setMarkerShape(shape);
    s->setMarkerSize(size);
    s->setColor(colour);
    s->setBorderColor(colour);
    return s;
}

void hideFromLegend(QChart* chart, QAbstractSeries* s)
{
    for (QLegendMarker* m : chart->legend()->markers(s))
        m->setVisible(false);
}

} // namespace

bool isResistanceTrend(const Trend& trend)
{
    bool any = false;
    for (const TrendSample& s : trend.samples) {
        if (!s.value.hasNumber)
            continue;
        if (s.value.baseUnit != "Ohm")
            return false;
        any = true;
    }
    return any;
}

QChart* makeTrendChart(const StructureContext& ctx, const Trend& trend)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setBackgroundBrush(Qt::white);
    const PointEntry& p = trend.point;
    QString title = QStringLiteral("%1/%2 %3 %4: %5")
                        .arg(p.block)
                        .arg(p.element)
                        .arg(p.blockName, p.elementName, trend.quantityName)
                        .simplified()
                        .toHtmlEscaped();
    chart->setTitle(title);

    const bool resistance = isResistanceTrend(trend);
    QString unit;
    auto* values = new QLineSeries;
    values->setName(trend.quantityName.toHtmlEscaped());
    values->setPen(QPen(Line, 2));
    values->setPointsVisible(true);
    QScatterSeries* bound = markers(text(ctx, "ChartAtBound_40"), QScatterSeries::MarkerShapeTriangle, Bound, 12);
    auto* limit = new QLineSeries;
    limit->setName(text(ctx, "ChartLimit_25"));
    limit->setPen(QPen(Limit, 3, Qt::DashLine));

    double low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    qreal first = std::numeric_limits<qreal>::max(), last = std::numeric_limits<qreal>::lowest();
    for (const TrendSample& s : trend.samples) {
        const qreal at = axisTime(s.takenAt);
        first = std::min(first, at);
        last = std::max(last, at);
        if (s.value.hasNumber && (!resistance || s.value.number > 0)) {
            values->append(at, s.value.number);
            if (s.value.bound != ValueBound::Exact)
                bound->append(at, s.value.number);
            low = std::min(low, s.value.number);
            high = std::max(high, s.value.number);
            unit = QString::fromStdString(s.value.baseUnit);
        }
        if (resistance && s.hasLimit && s.limit > 0) {
            limit->append(at, s.limit);
            low = std::min(low, s.limit);
            high = std::max(high, s.limit);
        }
    }
    if (trend.samples.empty())
        first = last = qreal(QDateTime::currentMSecsSinceEpoch());
    // Room on both sides, so the first and last values are not on the frame.
    const qreal margin = std::max<qreal>((last - first) * 0.06, 20 * DayMs);
    const qreal from = first - margin, to = last + margin;
    // The limit reaches across the chart from the first inspection that had
    // one to the last, and to the edges beyond them.
    if (limit->count() > 0) {
        const QPointF head = limit->at(0), tail = limit->at(limit->count() - 1);
        limit->insert(0, QPointF(from, head.y()));
        limit->append(to, tail.y());
    }

    auto* x = new QDateTimeAxis;
    x->setFormat(QStringLiteral("yyyy-MM-dd"));
    x->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)), QDateTime::fromMSecsSinceEpoch(qint64(to)));
    x->setTickCount(std::clamp(int(trend.samples.size()) + 1, 3, 7));
    x->setTitleText(text(ctx, "ChartInspectionDate_25"));
    chart->addAxis(x, Qt::AlignBottom);
    // A few inspections are labelled with their own dates, a grid line
    // through each, rather than with evenly spaced dates between them.
    if (!trend.samples.empty() && trend.samples.size() <= 12) {
        auto* dates = new QCategoryAxis;
        dates->setRange(from, to);
        dates->setStartValue(from);
        dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        qreal previous = from;
        bool labelled = false;
        for (const TrendSample& s : trend.samples) {
            const qreal at = axisTime(s.takenAt);
            const QString label = s.takenAt.date().toString(QStringLiteral("yyyy-MM-dd"));
            // Labels are unique and rise: a second inspection on one day, or
            // one too close to the last to read, keeps the line it is on.
            if (at <= previous || dates->categoriesLabels().contains(label) || (labelled && at - previous < 45 * DayMs))
                continue;
            dates->append(label, at);
            previous = at;
            labelled = true;
        }
        dates->setTitleText(x->titleText());
        x->setTitleText(QString());
        x->setLabelsVisible(false);
        x->setGridLineVisible(false);
        dates->setLineVisible(false);
        chart->addAxis(dates, Qt::AlignBottom);
    }

    QAbstractAxis* y = nullptr;
    if (resistance) {
        y = decadeAxis(low, high, text(ctx, "ChartResistance_25"));
    } else {
        // From zero (or the lowest value below it) to a little over the highest.
        const bool anyValue = values->count() > 0;
        double yLow = anyValue ? std::min(0.0, low) : 0, yHigh = anyValue ? std::max(0.0, high) : 1;
        const double pad = yHigh > yLow ? (yHigh - yLow) * 0.15 : 1;
        if (yHigh > 0 || yLow == 0)
            yHigh += pad;
        if (yLow < 0)
            yLow -= pad;
        if (trend.rated) {
            const RatingBand* bands = ratingBands(trend.ratingKind);
            yLow = 0;
            yHigh = std::max(yHigh, bands[3].from * 1.3);
        }
        auto* v = new QValueAxis;
        v->setRange(yLow, yHigh);
        v->applyNiceNumbers();
        v->setLabelFormat(QStringLiteral("%g"));
        const QString heading = trend.quantityName.toHtmlEscaped();
        v->setTitleText(unit.isEmpty() ? heading : QStringLiteral("%1 (%2)").arg(heading, unit.toHtmlEscaped()));
        y = v;
    }
    chart->addAxis(y, Qt::AlignLeft);
    if (resistance)
        labelDecades(chart, static_cast<QLogValueAxis*>(y));

    if (trend.rated && !resistance) {
        // The bands behind the values, each named at the right edge.
        const RatingBand* bands = ratingBands(trend.ratingKind);
        auto* v = static_cast<QValueAxis*>(y);
        auto* names = new QCategoryAxis;
        names->setRange(v->min(), v->max());
        names->setStartValue(v->min());
        names->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
        names->setGridLineVisible(false);
        names->setTitleText(text(ctx, "ChartRatingBands_40"));
        chart->addAxis(names, Qt::AlignRight);
        for (int i = 0; i < 4; ++i) {
            const double bottom = std::max(bands[i].from, v->min());
            const double top = i < 3 ? std::min(bands[i + 1].from, v->max()) : v->max();
            if (top <= bottom)
                continue;
            QAreaSeries* band = rectangleSeries(from, to, bottom, top);
            const QString name = text(ctx, ratingLanguageKey(trend.ratingKind, bands[i].rating));
            band->setName(name);
            band->setColor(BandColours[i]);
            band->setBorderColor(Qt::transparent);
            chart->addSeries(band);
            band->attachAxis(x);
            band->attachAxis(y);
            hideFromLegend(chart, band);
            names->append(name, top);
        }
    }

    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(limit), static_cast<QAbstractSeries*>(values),
                               static_cast<QAbstractSeries*>(bound)}) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    if (limit->count() == 0)
        hideFromLegend(chart, limit);
    if (bound->count() == 0)
        hideFromLegend(chart, bound);
    return chart;
}

} // namespace zentrova
