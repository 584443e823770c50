// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Every series a chart draws goes when the chart is deleted: the bars of the
// result and comparison charts and the rating bands of a trend are area
// series whose edges are line series of their own.
#include "history/windows/TrendChart.h"
#include "structure/ChartData.h"
#include "structure/StructureContext.h"
#include "structure/windows/ChartDrawing.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QChart>
#include <QLineSeries>
#include <QPointer>

#include <functional>

using namespace zentrova;
using namespace zentrova::test;

namespace {

MeasuredValue ohms(double v)
{
    MeasuredValue m;
    m.hasNumber = true;
    m.number = v;
    m.baseUnit = "Ohm";
    return m;
}

MeasuredValue ratio(double v)
{
    MeasuredValue m;
    m.hasNumber = true;
    m.number = v;
    return m;
}

struct ChartCase {
    const char* name;
    size_t areas; // bars or bands drawn
    std::function<QChart*(const StructureContext&)> make;
};

ChartData threeBars()
{
    ChartData d;
    d.title = "Block";
    for (int i = 0; i < 3; ++i) {
        BlockChartBar b;
        b.elementName = "Point " + std::to_string(i);
        b.resistance = ohms(1e6 * (i + 1));
        d.block.bars.push_back(b);
    }
    return d;
}

ComparisonChart twoPairs()
{
    ComparisonChart c;
    c.title = "Comparison";
    for (int i = 0; i < 2; ++i) {
        ComparisonChartBar b;
        b.elementName = "Point";
        b.inOld = b.inNew = true;
        b.oldResistance = ohms(5e9);
        b.newResistance = ohms(1e9);
        b.halved = true;
        c.bars.push_back(b);
    }
    return c;
}

Trend ratedTrend()
{
    Trend t;
    t.quantityName = QStringLiteral("PI");
    t.rated = true;
    t.ratingKind = RatingKind::PolarisationIndex;
    for (int year : {2021, 2023}) {
        TrendSample s;
        s.takenAt = QDateTime(QDate(year, 3, 12), QTime(10, 0));
        s.value = ratio(2.5);
        t.samples.push_back(s);
    }
    return t;
}

const ChartCase Charts[] = {
    {"BlockChart", 3, [](const StructureContext& ctx) { return makeChart(ctx, threeBars()); }},
    {"ComparisonChart", 4, [](const StructureContext& ctx) { return makeComparisonChart(ctx, twoPairs()); }},
    {"TrendBands", 4, [](const StructureContext& ctx) { return makeTrendChart(ctx, ratedTrend()); }},
};

TEST(ChartOwnership, AreaEdgesAreDeletedWithTheChart)
{
    LoadedProgram p;
    for (const ChartCase& c : Charts) {
        SCOPED_TRACE(c.name);
        QChart* chart = c.make(*p.ctx);
        std::vector<QPointer<QLineSeries>> edges;
        for (QAbstractSeries* s : chart->series())
            if (auto* area = qobject_cast<QAreaSeries*>(s)) {
                edges.emplace_back(area->upperSeries());
                edges.emplace_back(area->lowerSeries());
            }
        EXPECT_EQ(edges.size(), 2 * c.areas);
        delete chart;
        for (const QPointer<QLineSeries>& edge : edges)
            EXPECT_TRUE(edge.isNull()) << "an area's edge outlived its chart";
    }
}

} // namespace
