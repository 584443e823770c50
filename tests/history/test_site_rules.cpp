// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The correction rule sets chosen for an installation, on both engines:
// kept per installation, replaced whole, taking the settings' place only
// where they choose, and brought by an upgrade to an archive with data.
#include "history/HistoryArchive.h"
#include "history/SiteRules.h"
#include "support/ArchiveEngines.h"

#include <gtest/gtest.h>

using namespace zentrova;
using namespace zentrova::test;

namespace {

Inspection inspectionAt(const char* site)
{
    Inspection in;
    in.site = QString::fromLatin1(site);
    in.takenAt = QDateTime(QDate(2024, 3, 14), QTime(10, 0));
    in.fingerprint = QByteArray("site-") + site;
    InspectionMeasurement m;
    m.row = 1;
    m.object = m.block = m.element = 1;
    m.functionCode = 500;
    in.measurements.push_back(m);
    return in;
}

class SiteRulesTest : public ::testing::TestWithParam<ArchiveEngine> {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(freshArchive(GetParam(), location, &error)) << error.toStdString();
    }

    // The archive at `version` (0: the latest) with the sites North and South.
    void open(int version = 0)
    {
        QString error;
        ASSERT_TRUE(version ? archive.openAtVersion(location, version, &error)
                            : archive.open(location, ArchiveAccess::Write, &error))
            << error.toStdString();
        for (const char* site : {"North", "South"}) {
            if (!archive.findInstallation(QString::fromLatin1(site), nullptr)) {
                ASSERT_EQ(archive.importInspection(inspectionAt(site)).status, ImportOutcome::Status::Added);
            }
        }
        north = archive.findInstallation(QStringLiteral("North"), &error);
        south = archive.findInstallation(QStringLiteral("South"), &error);
    }

    SiteRuleChoice rulesOf(qint64 installation)
    {
        SiteRuleChoice out;
        out.correctionFor[0] = "left over";
        QString error;
        EXPECT_TRUE(readSiteRules(archive, installation, out, &error)) << error.toStdString();
        return out;
    }

    ArchiveLocation location;
    HistoryArchive archive;
    qint64 north = 0, south = 0;
};

TEST_P(SiteRulesTest, AnInstallationsChoiceIsKeptApartAndReplacedWhole)
{
    open();
    EXPECT_FALSE(rulesOf(north).any()) << "none chosen";
    SiteRuleChoice choice;
    choice.correctionFor[int(EquipmentType::Cable)] = "halving-40";
    choice.correctionFor[int(EquipmentType::FormWound)] = "halving-20";
    QString error;
    ASSERT_TRUE(writeSiteRules(archive, north, choice, &error)) << error.toStdString();
    EXPECT_EQ(rulesOf(north), choice);
    EXPECT_FALSE(rulesOf(south).any()) << "the other installation keeps its own";

    choice.correctionFor[int(EquipmentType::FormWound)].clear();
    ASSERT_TRUE(writeSiteRules(archive, north, choice, &error)) << error.toStdString();
    EXPECT_EQ(rulesOf(north), choice) << "a type left empty goes back to the settings";
    ASSERT_TRUE(writeSiteRules(archive, north, SiteRuleChoice(), &error));
    EXPECT_FALSE(rulesOf(north).any());
}

TEST_P(SiteRulesTest, AnArchiveOfThePreviousSchemaIsUpgradedWithItsInstallations)
{
    open(HistoryArchive::latestSchemaVersion() - 1);
    SiteRuleChoice none;
    QString error;
    EXPECT_FALSE(readSiteRules(archive, north, none, &error)) << "no table before the upgrade";
    EXPECT_FALSE(error.isEmpty());
    archive.close();
    open();
    SiteRuleChoice choice;
    choice.correctionFor[int(EquipmentType::Transformer)] = "halving-40";
    ASSERT_TRUE(writeSiteRules(archive, south, choice, &error)) << error.toStdString();
    EXPECT_EQ(rulesOf(south), choice);
    EXPECT_EQ(archive.installations().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Engines, SiteRulesTest, ::testing::ValuesIn(availableArchiveEngines()),
                         [](const auto& info) { return engineName(info.param); });

TEST(SiteRules, TakeTheSettingsPlaceOnlyWhereTheyChoose)
{
    EvaluationChoices settings;
    settings.correctionFor[int(EquipmentType::Cable)] = "from-settings";
    settings.correctionFor[int(EquipmentType::Other)] = "from-settings";
    settings.stepFallPercent = 12;
    SiteRuleChoice site;
    site.correctionFor[int(EquipmentType::Cable)] = "from-site";
    site.correctionFor[int(EquipmentType::Transformer)] = "from-site";
    const EvaluationChoices judged = siteChoices(settings, site);
    EXPECT_EQ(judged.correctionFor[int(EquipmentType::Cable)], "from-site");
    EXPECT_EQ(judged.correctionFor[int(EquipmentType::Transformer)], "from-site");
    EXPECT_EQ(judged.correctionFor[int(EquipmentType::Other)], "from-settings");
    EXPECT_EQ(judged.correctionFor[int(EquipmentType::FormWound)], "");
    EXPECT_EQ(judged.stepFallPercent, 12);
}

} // namespace
