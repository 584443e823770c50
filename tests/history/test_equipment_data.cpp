// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Equipment data of the archive's measuring points on both engines: set,
// read back, imported from an asset list with bad rows, kept through an
// upgrade and dropped with a point that is linked away.
#include "history/EquipmentData.h"
#include "history/HistoryArchive.h"
#include "history/Inspection.h"
#include "support/ArchiveEngines.h"

#include <gtest/gtest.h>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// An inspection of the site "Plant North" measuring points 1/1, 1/2 and 2/1.
Inspection plantNorth(const char* fingerprint = "f1", int day = 14)
{
    Inspection in;
    in.site = QStringLiteral("Plant North");
    in.instrument = QStringLiteral("TIVE5kV");
    in.serialNumber = QStringLiteral("12345678");
    in.takenAt = QDateTime(QDate(2024, 3, day), QTime(10, 0));
    in.fingerprint = fingerprint;
    int row = 0;
    for (auto [block, element, name] : {std::tuple{1L, 1L, "Motor"}, {1L, 2L, "Pump"}, {2L, 1L, "Cable"}}) {
        InspectionMeasurement m;
        m.row = ++row;
        m.object = 1;
        m.block = block;
        m.element = element;
        m.blockName = QStringLiteral("Hall");
        m.elementName = QString::fromLatin1(name);
        m.functionCode = 500;
        m.functionName = QStringLiteral("Insulation resistance");
        in.measurements.push_back(m);
    }
    return in;
}

class EquipmentDataTest : public ::testing::TestWithParam<ArchiveEngine> {
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(freshArchive(GetParam(), location, &error)) << error.toStdString();
        ASSERT_TRUE(archive.open(location, ArchiveAccess::Write, &error)) << error.toStdString();
        ASSERT_EQ(archive.importInspection(plantNorth()).status, ImportOutcome::Status::Added);
        site = archive.findInstallation(QStringLiteral("Plant North"), &error);
        ASSERT_NE(site, 0);
    }

    qint64 point(long block, long element) { return archive.findPoint(site, block, element, nullptr); }

    std::optional<EquipmentData> dataOf(qint64 p)
    {
        std::optional<EquipmentData> out;
        QString error;
        EXPECT_TRUE(readPointEquipment(archive, p, out, &error)) << error.toStdString();
        return out;
    }

    ArchiveLocation location;
    HistoryArchive archive;
    qint64 site = 0;
};

TEST_P(EquipmentDataTest, APointsDataIsSetReplacedAndListed)
{
    const qint64 motor = point(1, 1);
    EXPECT_FALSE(dataOf(motor)) << "a point without data has none";
    EquipmentData e;
    e.type = EquipmentType::FormWound;
    e.ratedKv = 6.3;
    e.thermalClass = ThermalClass::F;
    e.testTemperature = 21.5;
    QString error;
    ASSERT_TRUE(writePointEquipment(archive, motor, e, &error)) << error.toStdString();
    EXPECT_EQ(dataOf(motor), e);
    e.thermalClass.reset();
    e.ownMinimumMOhm = 250;
    ASSERT_TRUE(writePointEquipment(archive, motor, e, &error)) << error.toStdString();
    EXPECT_EQ(dataOf(motor), e) << "replaced whole, unset items unset";

    std::vector<PointEquipmentEntry> listed;
    ASSERT_TRUE(installationEquipment(archive, site, listed, &error)) << error.toStdString();
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].block, 1);
    EXPECT_EQ(listed[0].element, 1);
    EXPECT_EQ(listed[0].elementName, "Motor");
    EXPECT_EQ(listed[0].data, e);
}

TEST_P(EquipmentDataTest, DeletedDataLeavesThatPointWithoutAndTheOthersAsTheyWere)
{
    const qint64 motor = point(1, 1), pump = point(1, 2);
    EquipmentData e;
    e.type = EquipmentType::Cable;
    QString error;
    ASSERT_TRUE(writePointEquipment(archive, motor, e, &error)) << error.toStdString();
    ASSERT_TRUE(writePointEquipment(archive, pump, e, &error)) << error.toStdString();
    for (const bool had : {true, false}) {
        bool deleted = !had;
        ASSERT_TRUE(deletePointEquipment(archive, motor, deleted, &error)) << error.toStdString();
        EXPECT_EQ(deleted, had);
        EXPECT_FALSE(dataOf(motor));
        EXPECT_EQ(dataOf(pump), e);
    }
    std::vector<PointEquipmentEntry> listed;
    ASSERT_TRUE(installationEquipment(archive, site, listed, &error));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].point, pump);
}

TEST_P(EquipmentDataTest, AnAssetListWithARefusedRowStoresNothingAndNamesEveryBadLine)
{
    const std::string bad = "point,type,rated_kv,class,temp,limit_mohm\n"
                            "1/1,form-wound,6.3,F,,\n"
                            "1/2,boat,0.4,,,\n"         // line 3: no such type
                            "\"2/1\",cable,twenty,,,\n" // line 4: no number
                            "9/9,cable,20,,,\n"         // line 5: no such point
                            "1/1,random-wound,,,,\n"    // line 6: listed twice
                            "1/2,other,,X,,\n";         // line 7: no such class
    AssetListImport result = importAssetList(archive, bad, QStringLiteral("Plant North"));
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.rows, 6);
    std::vector<int> lines;
    for (const AssetListRefusal& r : result.refused)
        lines.push_back(r.line);
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_TRUE(result.refused[2].reason.contains(QLatin1String("9"))) << result.refused[2].reason.toStdString();
    EXPECT_FALSE(dataOf(point(1, 1))) << "nothing of a file with a refused row is stored";

    // Semicolons and decimal commas, a site column, a quoted line break and a byte order mark.
    const std::string good = "\xEF\xBB\xBFSite;Point;Type;Rated_kV;Class;Temp\r\n"
                             "Plant North;1/1;form-wound;6,3;F;\r\n"
                             "Plant North;1/2;\"random-\nwound\";0,4;B;22,5\r\n"
                             "Plant North;2/1;cable;20;;\r\n";
    result = importAssetList(archive, good, QString());
    // The quoted line break made "random-\nwound", which is no type: the
    // record that starts on line 3 is refused, and nothing is stored.
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].line, 3);
    EXPECT_FALSE(dataOf(point(1, 1)));
    const std::string fixed = "Site;Point;Type;Rated_kV;Class;Temp\r\n"
                              "Plant North;1/1;form-wound;6,3;F;\r\n"
                              "\"Plant North\";1/2;\"random-wound\";0,4;B;22,5\r\n"
                              "Plant North;2/1;cable;20;;\r\n";
    result = importAssetList(archive, fixed, QString());
    EXPECT_TRUE(result.stored) << result.error.toStdString();
    EXPECT_EQ(dataOf(point(1, 1))->ratedKv, 6.3);
    EXPECT_EQ(dataOf(point(1, 2))->testTemperature, 22.5);
    EXPECT_EQ(dataOf(point(2, 1))->type, EquipmentType::Cable);

    result = importAssetList(archive, "point,kind\n1/1,cable\n", QStringLiteral("Plant North"));
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.error,
              "line 1: the heading has no column \"type\" (site, point, type, rated_kv, class, temp, limit_mohm)");
}

// A real asset list holds many columns the import does not read: they are
// left out and named once, wherever they stand, and the columns it reads
// are found by their heading among them.
TEST_P(EquipmentDataTest, AnAssetListsOtherColumnsAreLeftOutAndNamedOnce)
{
    const struct {
        const char* name;
        std::string csv;
        QStringList leftOut;
    } cases[] = {
        {"between and around",
         "Tag,point,Manufacturer,type,Serial,temp,Tag\nM-1,1/1,ACME,cable,S1,21,x\n",
         {"Tag", "Manufacturer", "Serial"}},
        {"an unnamed one", "point,,type\n1/1,note,cable\n", {"column 2"}},
        {"past column sixteen",
         "a1,a2,a3,a4,a5,a6,a7,a8,a9,a10,a11,a12,a13,a14,a15,a16,a17,type,point\n"
         ",,,,,,,,,,,,,,,,,cable,1/1\n",
         {"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9", "a10", "a11", "a12", "a13", "a14", "a15", "a16",
          "a17"}},
        {"a long note", "point,type,note\n1/1,cable," + std::string(5000, 'n') + "\n", {"note"}},
    };
    for (const auto& c : cases) {
        const AssetListImport result = importAssetList(archive, c.csv, QStringLiteral("Plant North"));
        EXPECT_TRUE(result.stored) << c.name << ": " << result.error.toStdString();
        EXPECT_TRUE(result.refused.empty()) << c.name;
        EXPECT_EQ(result.leftOutColumns, c.leftOut) << c.name;
        ASSERT_TRUE(dataOf(point(1, 1))) << c.name;
        EXPECT_EQ(dataOf(point(1, 1))->type, EquipmentType::Cable) << c.name;
    }
    const AssetListImport missing =
        importAssetList(archive, "Tag,type,Serial\nM-1,cable,S1\n", QStringLiteral("Plant North"));
    EXPECT_EQ(missing.fault, AssetListFault::List);
    EXPECT_TRUE(missing.error.startsWith(QLatin1String("line 1: the heading has no column \"point\"")))
        << missing.error.toStdString();
}

// A list the import cannot go by stores nothing and says why, as a fault
// of the list (bad input), never of the archive.
TEST_P(EquipmentDataTest, AnEmptyListOrAnUnclosedQuoteIsAFaultOfTheList)
{
    const struct {
        const char* name;
        std::string csv;
        const char* error;
    } cases[] = {
        {"empty", "", "the file holds no heading line"},
        {"blank lines", "\r\n\n", "the file holds no heading line"},
        {"heading only", "point,type\n", "the file holds no rows below its heading"},
        {"unclosed quote", "point,type\n1/1,cable\n1/2,\"cable\n2/1,cable\n", "line 3: the quote that opens here"},
    };
    for (const auto& c : cases) {
        const AssetListImport result = importAssetList(archive, c.csv, QStringLiteral("Plant North"));
        EXPECT_FALSE(result.stored) << c.name;
        EXPECT_EQ(result.fault, AssetListFault::List) << c.name;
        EXPECT_TRUE(result.error.startsWith(QLatin1String(c.error))) << c.name << ": " << result.error.toStdString();
        EXPECT_TRUE(result.refused.empty()) << c.name;
    }
    EXPECT_FALSE(dataOf(point(1, 1))) << "the row before the open quote is not kept";
}

// Many refused rows: the first twenty are named, the rest counted, each
// cell cut short in its reason, and a "%1" in a cell stays as typed.
TEST_P(EquipmentDataTest, ARefusedRowsCellsAreQuotedShortAndVerbatim)
{
    std::string csv = "point,type,rated_kv\n1/1,cable,\"%1\"\n";
    const std::string longType(5000, 'x');
    for (int i = 0; i < 24; ++i)
        csv += "1/2," + longType + ",\n";
    const AssetListImport result = importAssetList(archive, csv, QStringLiteral("Plant North"));
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.rows, 25);
    EXPECT_EQ(result.refusedRows, 25);
    ASSERT_EQ(result.refused.size(), AssetListImport::NamedRefusals);
    EXPECT_EQ(result.refused[0].reason, "rated_kv \"%1\" is no number from 0.001 to 1000");
    EXPECT_EQ(result.refused[19].line, 21);
    EXPECT_EQ(result.refused[1].reason, QStringLiteral("a cell is longer than 4096 bytes"));
    EXPECT_FALSE(dataOf(point(1, 1)));

    const std::string shorter(300, 'y');
    const AssetListImport typed =
        importAssetList(archive, "point,type\n1/2," + shorter + "\n", QStringLiteral("Plant North"));
    ASSERT_EQ(typed.refused.size(), 1u);
    EXPECT_TRUE(typed.refused[0].reason.startsWith(QStringLiteral("type \"") + QString(80, u'y') +
                                                   QStringLiteral("\u2026\" is none of")))
        << typed.refused[0].reason.toStdString();
}

// Read piece by piece, a byte at a time, a list reads as it does whole:
// line ends, doubled quotes and the byte order mark may fall between pieces.
TEST_P(EquipmentDataTest, AListReadPieceByPieceStoresAsAWholeOne)
{
    const std::string csv = "\xEF\xBB\xBFSite;Point;Type;Rated_kV;Class;Temp\r\n"
                            "\"Plant \"\"North\"\"\";1/1;form-wound;6,3;F;\r\n"
                            "Plant North;1/1;form-wound;6,3;F;\r\n"
                            "\"Plant North\";1/2;\"random-wound\";0,4;B;22,5\r\n"
                            "Plant North;2/1;cable;20;;\r\n";
    size_t at = 0;
    AssetListImport result = importAssetList(
        archive,
        [&](std::string& chunk, QString*) {
            if (at < csv.size())
                chunk.assign(1, csv[at++]);
            return true;
        },
        QString());
    ASSERT_EQ(result.refused.size(), 1u) << "no installation is named with quotes";
    EXPECT_EQ(result.refused[0].line, 2);
    EXPECT_TRUE(result.refused[0].reason.contains(QLatin1String("Plant \"North\"")))
        << result.refused[0].reason.toStdString();
    EXPECT_FALSE(dataOf(point(1, 2))) << "a refused row rolls back the rows stored before it";

    const std::string good = csv.substr(0, csv.find("\r\n") + 2) + csv.substr(csv.find("Plant North;1/1"));
    at = 0;
    result = importAssetList(
        archive,
        [&](std::string& chunk, QString*) {
            if (at < good.size())
                chunk.assign(1, good[at++]);
            return true;
        },
        QString());
    EXPECT_TRUE(result.stored) << result.error.toStdString();
    EXPECT_EQ(result.rows, 3);
    EXPECT_EQ(dataOf(point(1, 2))->testTemperature, 22.5);
    EXPECT_EQ(dataOf(point(2, 1))->ratedKv, 20);
}

TEST_P(EquipmentDataTest, AnArchiveOfThePreviousSchemaIsUpgradedWithItsPoints)
{
    archive.close();
    ArchiveLocation old;
    QString error;
    ASSERT_TRUE(freshArchive(GetParam(), old, &error)) << error.toStdString();
    {
        HistoryArchive previous;
        // Version 6 brought the equipment data.
        ASSERT_TRUE(previous.openAtVersion(old, 5, &error)) << error.toStdString();
        ASSERT_EQ(previous.importInspection(plantNorth()).status, ImportOutcome::Status::Added);
        std::optional<EquipmentData> none;
        EXPECT_FALSE(readPointEquipment(previous, 1, none, &error)) << "no table before the upgrade";
    }
    HistoryArchive upgraded;
    ASSERT_TRUE(upgraded.open(old, ArchiveAccess::Write, &error)) << error.toStdString();
    const qint64 s = upgraded.findInstallation(QStringLiteral("Plant North"), &error);
    const qint64 pump = upgraded.findPoint(s, 1, 2, &error);
    ASSERT_NE(pump, 0);
    EquipmentData e;
    e.type = EquipmentType::Transformer;
    ASSERT_TRUE(writePointEquipment(upgraded, pump, e, &error)) << error.toStdString();
    std::optional<EquipmentData> back;
    ASSERT_TRUE(readPointEquipment(upgraded, pump, back, &error));
    EXPECT_EQ(back, e);
}

TEST_P(EquipmentDataTest, APointLinkedAwayTakesItsDataWithIt)
{
    // A later inspection measures a new point 3/1, never measured with 2/1.
    Inspection later = plantNorth("f2", 20);
    later.measurements.resize(1);
    later.measurements[0].block = 3;
    later.measurements[0].element = 1;
    later.measurements[0].elementName = QStringLiteral("Cable renamed");
    ASSERT_EQ(archive.importInspection(later).status, ImportOutcome::Status::Added);
    const qint64 renamed = point(3, 1), cable = point(2, 1);
    EquipmentData e;
    e.type = EquipmentType::Cable;
    QString error;
    ASSERT_TRUE(writePointEquipment(archive, renamed, e, &error)) << error.toStdString();
    ASSERT_TRUE(writePointEquipment(archive, cable, e, &error)) << error.toStdString();
    ASSERT_TRUE(archive.linkPoints(renamed, cable, &error)) << error.toStdString();
    std::vector<PointEquipmentEntry> listed;
    ASSERT_TRUE(installationEquipment(archive, site, listed, &error));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].point, cable);
}

INSTANTIATE_TEST_SUITE_P(Engines, EquipmentDataTest, ::testing::ValuesIn(availableArchiveEngines()),
                         [](const auto& info) { return engineName(info.param); });

} // namespace
