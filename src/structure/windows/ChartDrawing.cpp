// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/ChartDrawing.h"

#include "structure/StructureContext.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zentrova {

namespace {

const QColor Bar(70, 110, 170);
const QColor OldBar(160, 170, 185);
const QColor BelowLimit(200, 30, 30);
const QColor Limit(230, 140, 0);
const QColor Bound(40, 40, 40);

// Legends and axis labels read their texts as rich text: "<" must not start a tag.
QString text(const StructureContext& ctx, const char* key)
{
    return ctx.language.decode(ctx.language.texts.text(key)).toHtmlEscaped();
}

// Whole decades around the values, at least one decade high.
struct Decades {
    double low = std::numeric_limits<double>::max(), high = 0;
    void add(double v)
    {
        if (v > 0) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    QLogValueAxis* axis(const QString& title) const { return decadeAxis(low, high, title); }
};

} // namespace

QLogValueAxis* decadeAxis(double low, double high, const QString& title)
{
    double from = 1e3, to = 1e13;
    if (high > 0) {
        from = std::pow(10.0, std::floor(std::log10(low)));
        // A decade less where the lowest value would sit on the floor and
        // its bar not be seen.
        if (from > low / 1.5)
            from /= 10;
        to = std::pow(10.0, std::ceil(std::log10(high)));
        // A decade more where a value would touch the top.
        if (to < high * 1.5)
            to *= 10;
        if (to <= from * 1.0001)
            to = from * 10;
    }
    auto* a = new QLogValueAxis;
    a->setBase(10);
    a->setRange(from, to);
    a->setLabelFormat(QStringLiteral("%.0e"));
    a->setMinorTickCount(8);
    a->setTitleText(title);
    return a;
}

// A logarithmic resistance axis labels its decades as a reader writes them
// ("1 kOhm", "1 GOhm"): QLogValueAxis only takes a printf format, so its own
// labels are hidden and an axis beside it, in decades and bound to no series,
// carries the labels and the title. The log axis keeps its line and grid.
void labelDecades(QChart* chart, QLogValueAxis* y)
{
    const double low = std::log10(y->min()), high = std::log10(y->max());
    auto* decades = new QCategoryAxis;
    decades->setRange(low, high);
    // The first label sits on the lowest decade, a category's upper end.
    decades->setStartValue(low - 1);
    decades->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    // An axis of one or two decades would show only two or three labels:
    // it also labels 2 and 5 of each decade.
    const bool few = high - low < 2.5;
    for (int e = int(std::floor(low)); e <= int(std::ceil(high)); ++e)
        for (double times : {1.0, 2.0, 5.0}) {
            const double at = e + std::log10(times);
            if ((times != 1 && !few) || at < low - 1e-9 || at > high + 1e-9)
                continue;
            MeasuredValue label;
            label.hasNumber = true;
            label.number = times * std::pow(10.0, e);
            label.baseUnit = "Ohm";
            decades->append(QString::fromStdString(prefixedValueText(label)), at);
        }
    decades->setGridLineVisible(false);
    decades->setTitleText(y->titleText());
    y->setTitleText(QString());
    y->setLabelsVisible(false);
    decades->setLineVisible(false);
    chart->addAxis(decades, Qt::AlignLeft);
}

QAreaSeries* rectangleSeries(double left, double right, double bottom, double top)
{
    // QAreaSeries(upper, lower) owns neither line and makes itself a child
    // of the upper one until a chart takes it: the lines would outlive the
    // chart. Here the area is their parent.
    auto* area = new QAreaSeries;
    auto edge = [&](double y) {
        auto* line = new QLineSeries(area);
        line->append(left, y);
        line->append(right, y);
        return line;
    };
    area->setUpperSeries(edge(top));
    area->setLowerSeries(edge(bottom));
    return area;
}

namespace {

QScatterSeries* markers(const QString& name, QScatterSeries::MarkerShape shape, const QColor& color, qreal size)
{
    auto* s = new QScatterSeries;
    s->setName(name);
    s->setMarkerShape(shape);
    s->setMarkerSize(size);
    s->setColor(color);
    s->setBorderColor(color);
    return s;
}

// Adds every series to the chart and both axes to every series.
void attach(QChart* chart, const QList<QAbstractSeries*>& series, QAbstractAxis* x, QAbstractAxis* y)
{
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : series) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
}

// Shows a series in the legend only once, for the first of its kind.
void legendOnce(QChart* chart, QAbstractSeries* s, bool& shown)
{
    for (QLegendMarker* m : chart->legend()->markers(s))
        m->setVisible(!shown);
    shown = true;
}

// An axis of `count` categories, the k-th around k; each category's label
// is appended at its upper end.
QCategoryAxis* categoryAxis(size_t count)
{
    auto* x = new QCategoryAxis;
    x->setRange(-0.5, double(count) - 0.5);
    // Else the first category starts at 0 and its label sits off its middle.
    x->setStartValue(-0.5);
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    return x;
}

// A bar from `left` to `right` standing on the axis' floor up to `value`.
QAreaSeries* barSeries(double left, double right, double value, double floor, const QColor& color)
{
    QAreaSeries* bar = rectangleSeries(left, right, floor, value);
    bar->setColor(color);
    bar->setBorderColor(color.darker());
    return bar;
}

void blockChart(const StructureContext& ctx, const BlockChart& data, QChart* chart)
{
    Decades range;
    for (const BlockChartBar& b : data.bars) {
        range.add(b.resistance.number);
        if (b.hasLimit)
            range.add(b.limit);
    }
    QLogValueAxis* y = range.axis(text(ctx, "ChartResistance_25"));
    const double floor = y->min();
    QCategoryAxis* x = categoryAxis(data.bars.size());

    QList<QAbstractSeries*> series;
    QList<QAbstractSeries*> bars, belowBars, limits;
    QScatterSeries* below = markers(text(ctx, "ChartBelowLimit_25"), QScatterSeries::MarkerShapeCircle, BelowLimit, 9);
    QScatterSeries* bound = markers(text(ctx, "ChartAtBound_40"), QScatterSeries::MarkerShapeTriangle, Bound, 12);
    for (size_t i = 0; i < data.bars.size(); ++i) {
        const BlockChartBar& b = data.bars[i];
        const double at = double(i);
        const double value = std::max(b.resistance.number, floor);
        QAreaSeries* bar = barSeries(at - 0.35, at + 0.35, value, floor, b.belowLimit ? BelowLimit : Bar);
        bar->setName(b.belowLimit ? text(ctx, "ChartBelowLimit_25") : QStringLiteral("Riso"));
        (b.belowLimit ? belowBars : bars) << bar;
        series << bar;
        if (b.hasLimit) {
            auto* limit = new QLineSeries;
            limit->setName(text(ctx, "ChartLimit_25"));
            limit->append(at - 0.45, b.limit);
            limit->append(at + 0.45, b.limit);
            QPen pen(Limit, 3, Qt::DashLine);
            limit->setPen(pen);
            limits << limit;
            series << limit;
        }
        if (b.belowLimit)
            below->append(at, value);
        if (b.resistance.bound != ValueBound::Exact)
            bound->append(at, value);
        x->append(ctx.language.decode(b.elementName) + QStringLiteral("<br>") +
                      ctx.language.decode(resistanceText(b.resistance)),
                  at + 0.5);
    }
    series << bound;
    attach(chart, series, x, y);
    labelDecades(chart, y);
    // One legend entry per kind of thing drawn.
    bool shown = false;
    for (QAbstractSeries* s : bars)
        legendOnce(chart, s, shown);
    shown = false;
    for (QAbstractSeries* s : belowBars)
        legendOnce(chart, s, shown);
    shown = false;
    for (QAbstractSeries* s : limits)
        legendOnce(chart, s, shown);
    if (bound->count() == 0)
        for (QLegendMarker* m : chart->legend()->markers(bound))
            m->setVisible(false);
    delete below; // the red bars mark the points below their limits
}

void comparisonChart(const StructureContext& ctx, const ComparisonChart& data, QChart* chart)
{
    Decades range;
    for (const ComparisonChartBar& b : data.bars) {
        if (b.inOld)
            range.add(b.oldResistance.number);
        if (b.inNew)
            range.add(b.newResistance.number);
    }
    QLogValueAxis* y = range.axis(text(ctx, "ChartResistance_25"));
    const double floor = y->min();
    QCategoryAxis* x = categoryAxis(data.bars.size());

    QList<QAbstractSeries*> olds, news, halved;
    QScatterSeries* fell =
        markers(text(ctx, "CmpResistanceHalved_60"), QScatterSeries::MarkerShapeCircle, BelowLimit, 11);
    QScatterSeries* bound = markers(text(ctx, "ChartAtBound_40"), QScatterSeries::MarkerShapeTriangle, Bound, 12);
    for (size_t i = 0; i < data.bars.size(); ++i) {
        const ComparisonChartBar& b = data.bars[i];
        const double at = double(i);
        QString label = ctx.language.decode(b.elementName);
        if (b.inOld) {
            const double value = std::max(b.oldResistance.number, floor);
            QAreaSeries* bar = barSeries(at - 0.4, at - 0.02, value, floor, OldBar);
            bar->setName(text(ctx, "CmpOld_15"));
            olds << bar;
            if (b.oldResistance.bound != ValueBound::Exact)
                bound->append(at - 0.21, value);
        }
        if (b.inNew) {
            const double value = std::max(b.newResistance.number, floor);
            QAreaSeries* bar = barSeries(at + 0.02, at + 0.4, value, floor, b.halved ? BelowLimit : Bar);
            bar->setName(b.halved ? text(ctx, "CmpResistanceHalved_60") : text(ctx, "CmpNew_15"));
            (b.halved ? halved : news) << bar;
            if (b.halved)
                fell->append(at + 0.21, value);
            if (b.newResistance.bound != ValueBound::Exact)
                bound->append(at + 0.21, value);
        }
        label +=
            QStringLiteral("<br>") +
            (b.inOld ? ctx.language.decode(resistanceText(b.oldResistance)).toHtmlEscaped() : QStringLiteral("-")) +
            QStringLiteral(" &rarr; ") +
            (b.inNew ? ctx.language.decode(resistanceText(b.newResistance)).toHtmlEscaped() : QStringLiteral("-"));
        x->append(label, at + 0.5);
    }
    // In the legend: old, new, fallen.
    attach(chart, olds + news + halved + QList<QAbstractSeries*>{fell, bound}, x, y);
    labelDecades(chart, y);
    for (const QList<QAbstractSeries*>* kind : {&olds, &news, &halved}) {
        bool shown = false;
        for (QAbstractSeries* s : *kind)
            legendOnce(chart, s, shown);
    }
    // The red bars name the warning; the dots over them only point at it.
    for (QLegendMarker* m : chart->legend()->markers(fell))
        m->setVisible(false);
    if (bound->count() == 0)
        for (QLegendMarker* m : chart->legend()->markers(bound))
            m->setVisible(false);
}

// A curve of resistance readings with a marker on each and a triangle on
// each bounded one.
void curve(const StructureContext& ctx, QChart* chart, const QList<QPointF>& points, const QList<bool>& bounded,
           const QString& name, QAbstractAxis* x, QLogValueAxis* y)
{
    auto* line = new QLineSeries;
    line->setName(name);
    line->setColor(Bar);
    line->setPen(QPen(Bar, 2));
    line->setPointsVisible(true);
    auto* bound = markers(text(ctx, "ChartAtBound_40"), QScatterSeries::MarkerShapeTriangle, Bound, 12);
    for (qsizetype i = 0; i < points.size(); ++i) {
        line->append(points[i]);
        if (bounded[i])
            bound->append(points[i]);
    }
    attach(chart, {line, bound}, x, y);
    labelDecades(chart, y);
    if (bound->count() == 0)
        for (QLegendMarker* m : chart->legend()->markers(bound))
            m->setVisible(false);
}

QString ratingText(const StructureContext& ctx, const char* name, RatingKind kind, const MeasuredValue& v,
                   std::optional<RatingClass> rating)
{
    if (!v.hasNumber)
        return {};
    const QString value = QStringLiteral("%1 %2%3").arg(QLatin1String(name),
                                                        ctx.language.decode(markText(v).substr(0, 1)).toHtmlEscaped(),
                                                        QString::number(v.number, 'g', 3));
    if (!rating)
        return value; // a bound that leaves the class open
    return value + QStringLiteral(" (%1)").arg(text(ctx, ratingLanguageKey(kind, *rating)));
}

void absorptionChart(const StructureContext& ctx, const AbsorptionChart& data, QChart* chart)
{
    Decades range;
    QList<QPointF> points;
    QList<bool> bounded;
    for (const AbsorptionPoint& p : data.points) {
        range.add(p.resistance.number);
        points << QPointF(p.seconds, p.resistance.number);
        bounded << (p.resistance.bound != ValueBound::Exact);
    }
    auto* x = new QLogValueAxis;
    x->setBase(10);
    x->setRange(10, 1000);
    x->setLabelFormat(QStringLiteral("%g"));
    x->setMinorTickCount(8);
    x->setTitleText(text(ctx, "ChartTime_25"));
    QStringList ratings;
    for (const QString& r : {ratingText(ctx, "DAR", RatingKind::AbsorptionRatio, data.dar, data.darRating),
                             ratingText(ctx, "PI", RatingKind::PolarisationIndex, data.pi, data.piRating)})
        if (!r.isEmpty())
            ratings << r;
    const QString name =
        ratings.isEmpty() ? QStringLiteral("R(t)") : QStringLiteral("R(t): ") + ratings.join(QStringLiteral(", "));
    curve(ctx, chart, points, bounded, name, x, range.axis(text(ctx, "ChartResistance_25")));
}

void stepChart(const StructureContext& ctx, const StepChart& data, QChart* chart)
{
    const bool byVoltage =
        std::all_of(data.steps.begin(), data.steps.end(), [](const StepPoint& p) { return p.voltage.hasNumber; });
    Decades range;
    QList<QPointF> points;
    QList<bool> bounded;
    double xHigh = 1;
    for (const StepPoint& p : data.steps) {
        const double at = byVoltage ? p.voltage.number : p.step;
        xHigh = std::max(xHigh, at);
        range.add(p.resistance.number);
        points << QPointF(at, p.resistance.number);
        bounded << (p.resistance.bound != ValueBound::Exact);
    }
    auto* x = new QValueAxis;
    x->setRange(0, xHigh * 1.1);
    x->applyNiceNumbers();
    x->setLabelFormat(QStringLiteral("%g"));
    x->setTitleText(text(ctx, byVoltage ? "ChartVoltage_25" : "ChartStepNumber_15"));
    curve(ctx, chart, points, bounded, QStringLiteral("R(U)"), x, range.axis(text(ctx, "ChartResistance_25")));
}

QChart* emptyChart(const StructureContext& ctx, const std::string& title)
{
    auto* chart = new QChart;
    chart->setTitle(ctx.language.decode(title).toHtmlEscaped());
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setBackgroundBrush(Qt::white);
    return chart;
}

// The chart laid out on `size` in a scene of its own, drawn by `draw`.
template <typename Draw>
void drawChart(const ChartMaker& make, QSizeF size, Draw draw)
{
    QGraphicsScene scene;
    QChart* chart = make();
    scene.addItem(chart); // the scene owns the chart
    chart->setGeometry(QRectF(QPointF(0, 0), size));
    if (chart->layout())
        chart->layout()->activate();
    scene.setSceneRect(QRectF(QPointF(0, 0), size));
    draw(scene);
}

} // namespace

QChart* makeChart(const StructureContext& ctx, const ChartData& data)
{
    QChart* chart = emptyChart(ctx, data.title);
    switch (data.kind) {
    case ChartKind::Block:
        blockChart(ctx, data.block, chart);
        break;
    case ChartKind::Absorption:
        absorptionChart(ctx, data.absorption, chart);
        break;
    case ChartKind::Step:
        stepChart(ctx, data.step, chart);
        break;
    }
    return chart;
}

QChart* makeComparisonChart(const StructureContext& ctx, const ComparisonChart& data)
{
    QChart* chart = emptyChart(ctx, data.title);
    comparisonChart(ctx, data, chart);
    return chart;
}

QByteArray chartPng(const ChartMaker& make, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    drawChart(make, size, [&](QGraphicsScene& scene) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, QRectF(QPointF(0, 0), size), scene.sceneRect());
    });
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray chartSvg(const ChartMaker& make, QSize size, const QString& title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    drawChart(make, size, [&](QGraphicsScene& scene) {
        QPainter painter(&svg);
        scene.render(&painter, QRectF(QPointF(0, 0), size), scene.sceneRect());
    });
    return bytes;
}

QByteArray chartPng(const StructureContext& ctx, const ChartData& data, QSize size)
{
    return chartPng([&] { return makeChart(ctx, data); }, size);
}

QByteArray chartSvg(const StructureContext& ctx, const ChartData& data, QSize size)
{
    return chartSvg([&] { return makeChart(ctx, data); }, size, ctx.language.decode(data.title));
}

void paintChart(const ChartMaker& make, QPainter& painter, const QRectF& target)
{
    // Laid out at a screen's size, then scaled onto the target.
    QSizeF size(1000, 1000 * target.height() / std::max(1.0, target.width()));
    drawChart(make, size, [&](QGraphicsScene& scene) { scene.render(&painter, target, scene.sceneRect()); });
}

bool isSvgFileName(const QString& path)
{
    return path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive);
}

} // namespace zentrova
