// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The archive's queries tell an archive that holds nothing from one they
// cannot read, and never hand on what they held before.
#include "history/HistoryArchive.h"
#include "structure/Evaluation.h"
#include "support/ArchiveEngines.h"

#include <gtest/gtest.h>

#include <QSqlError>
#include <QSqlQuery>

#include <functional>
#include <map>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// What a query said: whether it could read the archive, and how much it
// found (its out parameter is given something beforehand, to be replaced).
struct Answer {
    bool read = false;
    size_t found = 0;
};

template <class Entry>
Answer listed(bool read, const std::vector<Entry>& list)
{
    return {read, list.size()};
}

struct Query {
    const char* name;
    std::function<Answer(HistoryArchive&, QString*)> ask;
};

const std::vector<Query> Queries = {
    {"installations",
     [](HistoryArchive& a, QString* e) {
         std::vector<InstallationEntry> list(1);
         return listed(a.installations(list, e), list);
     }},
    {"inspections",
     [](HistoryArchive& a, QString* e) {
         std::vector<InspectionEntry> list(1);
         return listed(a.inspections(0, list, e), list);
     }},
    {"points",
     [](HistoryArchive& a, QString* e) {
         std::vector<PointEntry> list(1);
         return listed(a.points(1, list, e), list);
     }},
    {"quantitiesOfPoint",
     [](HistoryArchive& a, QString* e) {
         std::vector<std::pair<long, QString>> list(1);
         return listed(a.quantitiesOfPoint(1, list, e), list);
     }},
    {"linkablePoints",
     [](HistoryArchive& a, QString* e) {
         std::vector<qint64> list(1);
         return listed(a.linkablePoints(1, list, e), list);
     }},
    {"quantityByName",
     [](HistoryArchive& a, QString* e) {
         long quantity = 7;
         const bool read = a.quantityByName(QStringLiteral("Riso"), quantity, e);
         return Answer{read, quantity != 0 ? 1u : 0u};
     }},
    {"installationTrends",
     [](HistoryArchive& a, QString* e) {
         std::map<qint64, Trend> trends{{1, Trend()}};
         return Answer{a.installationTrends(1, 1, trends, e), trends.size()};
     }},
    {"installationLatestReadings",
     [](HistoryArchive& a, QString* e) {
         std::map<qint64, std::vector<ResultReadings>> readings{{1, {}}};
         return Answer{a.installationLatestReadings(1, readings, e), readings.size()};
     }},
    {"sampleTemperatures",
     [](HistoryArchive& a, QString* e) {
         Trend trend;
         trend.point.id = 1;
         trend.samples.resize(1);
         std::vector<std::optional<double>> temperatures{20.0, 30.0};
         const bool read = a.sampleTemperatures(trend, temperatures, e);
         return Answer{read, temperatures.size() == 1 && !temperatures[0] ? 0u : 1u};
     }},
    {"latestLink",
     [](HistoryArchive& a, QString* e) {
         std::optional<PointLink> link = PointLink();
         const bool read = a.latestLink(1, link, e);
         return Answer{read, link ? 1u : 0u};
     }},
};

class ArchiveQueryTest : public ::testing::TestWithParam<ArchiveEngine> {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(freshArchive(GetParam(), location, &error)) << error.toStdString();
        ASSERT_TRUE(archive.open(location, ArchiveAccess::Write, &error)) << error.toStdString();
    }

    ArchiveLocation location;
    HistoryArchive archive;
};

TEST_P(ArchiveQueryTest, AnEmptyArchiveIsReadAndHoldsNothing)
{
    for (const Query& query : Queries) {
        QString error;
        const Answer answer = query.ask(archive, &error);
        EXPECT_TRUE(answer.read) << query.name << ": " << error.toStdString();
        EXPECT_EQ(answer.found, 0u) << query.name;
        EXPECT_TRUE(error.isEmpty()) << query.name;
    }
}

TEST_P(ArchiveQueryTest, AnArchiveThatCannotBeReadIsSaidSoWithTheReason)
{
    // Every table a query reads, gone from where it looks.
    for (const char* table : {"items", "measurements", "point_links", "points", "inspections", "installations"}) {
        QSqlQuery q(archive.database());
        ASSERT_TRUE(q.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %1_gone").arg(QLatin1String(table))))
            << table << ": " << q.lastError().text().toStdString();
    }
    for (const Query& query : Queries) {
        QString error;
        const Answer answer = query.ask(archive, &error);
        EXPECT_FALSE(answer.read) << query.name;
        EXPECT_EQ(answer.found, 0u) << query.name << " handed on what it held before";
        EXPECT_FALSE(error.isEmpty()) << query.name;
        EXPECT_FALSE(query.ask(archive, nullptr).read) << query.name << ", asked without a reason";
    }
    QString error;
    EXPECT_EQ(archive.findInstallation(QStringLiteral("Plant North"), &error), 0);
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Engines, ArchiveQueryTest, ::testing::ValuesIn(availableArchiveEngines()),
                         [](const auto& info) { return engineName(info.param); });

} // namespace
