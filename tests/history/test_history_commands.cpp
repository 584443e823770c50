// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Adding the open document to the history archive, the archive's settings,
// and the history window over an archive of two inspections.
#include "base/Progress.h"
#include "comm/Receive.h"
#include "comm/Records.h"
#include "history/EquipmentData.h"
#include "history/HistoryArchive.h"
#include "history/HistoryCommands.h"
#include "history/HistorySettings.h"
#include "history/PointJudgement.h"
#include "history/windows/HistoryWindow.h"
#include "shell/windows/HelpViewer.h"
#include "structure/StructureContext.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QLogValueAxis>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QValueAxis>

namespace zentrova::test {
namespace {

class RecordingProgress : public Progress {
public:
    void show(const std::string&, const std::string&, bool) override { visible = true; }
    void setLine2(const std::string&) override {}
    void setPosition(int p) override { positions.push_back(p); }
    void hide() override { visible = false; }
    bool cancelRequested() const override { return false; }
    bool visible = false;
    std::vector<int> positions;
};

// A downloaded memory of two measuring points of block 5: the first with
// its insulation resistance (GOhm) and limit, the second a diagnostic test
// with its PI.
struct HistoryFixture : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    RecordingProgress progress;
    QString archivePath = program.dir.file("archive.sqlite");

    void SetUp() override
    {
        ctx.language.settings.writeSetting("HISTORY", "Database", archivePath.toStdString());
        ctx.document.heading.site[0] = "Plant A";
    }

    void download(const std::string& riso, const std::string& pi, const std::string& date)
    {
        receive({
            rec(5, 1, 0, coded('R', 1, 8, riso) + coded('P', 16, 8, "1.00") + plain('D', date)),
            rec(5, 2, 1, coded('R', 7, 0, pi) + coded('R', 6, 0, "1.30") + plain('D', date)),
        });
    }

    // A download of these records as the open document.
    void receive(const std::vector<std::string>& records)
    {
        ctx.document.familyCode = 14;
        applyFamilyProfile(ctx);
        ResultTable& table = ctx.document.structure.table;
        table.clear();
        table.setCell(1, 0, "identification");
        int row = 1;
        for (const std::string& r : records)
            decodeRecord(ctx, r.data(), r.size(), row++);
        NullProgress quiet;
        buildTreeFromResults(ctx, quiet);
        ctx.document.fileName = ctx.language.decode(ctx.language.texts.defaultFileName);
    }

    std::string text(const char* key) const { return ctx.language.texts.text(key); }

    HistoryAddOutcome add()
    {
        program.prompts.expectMessage(MbOK);
        return addDocumentToHistory(ctx, progress);
    }
};

TEST_F(HistoryFixture, AddsADownloadOnceAndRefusesADocumentWithoutResults)
{
    download("5.00", "2.50", "14.03.2023");
    const HistoryAddOutcome first = add();
    ASSERT_EQ(first.status, HistoryAddOutcome::Status::Added) << program.prompts.messages.back();
    EXPECT_EQ(first.import.measurements, 2);
    EXPECT_EQ(first.import.newPoints, 2);
    EXPECT_EQ(program.prompts.messages.back(), text("HistoryAdded_50") + ": Plant A\r" + text("Measurements_30") +
                                                   ": 2\r" + text("HistoryNewPoints_30") + ": 2");
    EXPECT_FALSE(progress.visible);
    EXPECT_EQ(progress.positions.back(), 100);

    // The same download again, this time saved under a name of its own.
    const QString saved = program.dir.file("plant.ZIT");
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    file.close();
    ctx.document.fileName = saved;
    EXPECT_EQ(add().status, HistoryAddOutcome::Status::AlreadyStored);
    EXPECT_EQ(program.prompts.messages.back(), text("HistoryAlreadyStored_60"));

    // A later inspection from that file keeps the file's name.
    download("2.00", "1.50", "14.03.2024");
    ctx.document.fileName = saved;
    const HistoryAddOutcome later = add();
    ASSERT_EQ(later.status, HistoryAddOutcome::Status::Added);
    EXPECT_EQ(later.import.newPoints, 0);
    EXPECT_EQ(program.prompts.messages.back(), text("HistoryAdded_50") + ": Plant A\r" + text("Measurements_30") +
                                                   ": 2\r" + text("HistoryNewPoints_30") + ": 0");

    resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames);
    EXPECT_EQ(add().status, HistoryAddOutcome::Status::NoMeasurements);
    EXPECT_EQ(program.prompts.messages.back(), text("HistoryNoResults_60"));

    HistoryArchive archive;
    QString error;
    ASSERT_TRUE(openConfiguredArchive(ctx.language.settings, archive, &error)) << error.toStdString();
    const std::vector<InstallationEntry> sites = archive.installations();
    ASSERT_EQ(sites.size(), 1u);
    EXPECT_EQ(sites[0].site, QStringLiteral("Plant A"));
    const std::vector<InspectionEntry> inspections = archive.inspections(sites[0].id);
    ASSERT_EQ(inspections.size(), 2u);
    QStringList sources;
    for (const InspectionEntry& e : inspections)
        sources << e.source;
    sources.sort();
    EXPECT_EQ(sources, QStringList({QString(), saved}));
}

// A document whose heading names no test site is stored only under an
// installation the user names: the question offers the file's name first and
// the installations the archive knows.
TEST_F(HistoryFixture, ADocumentWithoutATestSiteIsStoredUnderTheInstallationNamed)
{
    download("5.00", "2.50", "14.03.2023");
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    const QString saved = program.dir.file("north hall.ZIT");
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
    file.close();
    download("4.00", "2.10", "14.03.2024");
    ctx.document.fileName = saved;
    ctx.document.heading.site[0].clear();

    // Without a question: told, nothing stored.
    program.prompts.expectMessage(MbOK);
    EXPECT_EQ(addDocumentToHistory(ctx, progress).status, HistoryAddOutcome::Status::NoSite);
    EXPECT_EQ(program.prompts.messages.back(), text("HistoryNoSite_60"));

    struct Asked {
        QStringList known;
        QString proposed;
    };
    std::vector<Asked> asked;
    auto answering = [&](std::optional<QString> answer) -> InstallationQuestion {
        return [&asked, answer](const QStringList& known, const QString& proposed) {
            asked.push_back({known, proposed});
            return answer;
        };
    };
    const size_t told = program.prompts.messages.size();
    EXPECT_EQ(addDocumentToHistory(ctx, progress, HistoryTelling::Always, answering(std::nullopt)).status,
              HistoryAddOutcome::Status::NoSite);
    EXPECT_EQ(addDocumentToHistory(ctx, progress, HistoryTelling::Always, answering(QStringLiteral("  "))).status,
              HistoryAddOutcome::Status::NoSite);
    EXPECT_EQ(program.prompts.messages.size(), told) << "a declined question is not followed by a message";
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].known, QStringList{QStringLiteral("Plant A")});
    EXPECT_EQ(asked[0].proposed, QStringLiteral("north hall"));

    program.prompts.expectMessage(MbOK);
    const HistoryAddOutcome named =
        addDocumentToHistory(ctx, progress, HistoryTelling::Always, answering(QStringLiteral(" North  hall ")));
    ASSERT_EQ(named.status, HistoryAddOutcome::Status::Added) << program.prompts.messages.back();
    HistoryArchive archive;
    QString error;
    ASSERT_TRUE(openConfiguredArchive(ctx.language.settings, archive, &error)) << error.toStdString();
    QStringList sites;
    for (const InstallationEntry& e : archive.installations())
        sites << e.site;
    sites.sort();
    EXPECT_EQ(sites, QStringList({QStringLiteral("North hall"), QStringLiteral("Plant A")}));

    // Judged afterwards, the file finds the installation it was added under,
    // and so its points' equipment data.
    EquipmentData winding;
    winding.type = EquipmentType::FormWound;
    const qint64 hall = archive.findInstallation(QStringLiteral("North hall"), &error);
    ASSERT_TRUE(archive.openForWriting(&error)) << error.toStdString();
    ASSERT_TRUE(writePointEquipment(archive, archive.findPoint(hall, 5, 1, &error), winding, &error))
        << error.toStdString();
    archive.close();
    DocumentJudgingData judged = documentJudgingData(ctx);
    EXPECT_FALSE(judged.noInstallationChosen);
    ASSERT_TRUE(judged.equipmentOf(5, 1));
    EXPECT_EQ(judged.equipmentOf(5, 1)->type, EquipmentType::FormWound);

    // A file never added under an installation is told so, not "no data".
    download("3.00", "2.00", "14.03.2025");
    ctx.document.heading.site[0].clear();
    judged = documentJudgingData(ctx);
    EXPECT_TRUE(judged.noInstallationChosen);
    EXPECT_FALSE(judged.equipmentOf(5, 1));
}

// More items than one write of the archive takes, in fewer measurements
// than one write of measurements: the items must not be written first.
TEST_F(HistoryFixture, ALongDownloadIsStoredWhole)
{
    download("5.00", "2.50", "14.03.2023");
    ResultTable& table = ctx.document.structure.table;
    int row = table.rowCount();
    for (int element = 1; element <= 80; ++element) {
        const std::string r = rec(6, element, 0,
                                  coded('R', 1, 8, std::to_string(element)) + coded('P', 9, 2, "5.00") +
                                      coded('P', 16, 8, "1.00") + plain('D', "14.03.2023") + plain('T', "10:00"));
        decodeRecord(ctx, r.data(), r.size(), row++);
    }
    NullProgress quiet;
    buildTreeFromResults(ctx, quiet);
    const HistoryAddOutcome outcome = add();
    ASSERT_EQ(outcome.status, HistoryAddOutcome::Status::Added) << program.prompts.messages.back();
    EXPECT_EQ(outcome.import.measurements, 82);
    EXPECT_EQ(outcome.import.newPoints, 82);
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST_F(HistoryFixture, AnArchiveThatCannotBeOpenedIsToldAndNothingIsStored)
{
    download("5.00", "2.50", "14.03.2023");
    struct Case {
        const char* database;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"postgresql://someone@/db", "postgresql://USER@HOST:PORT/DATABASE"},
        // A file that is no archive.
        {"notes.txt", "notes.txt"},
    };
    QFile notes(program.dir.file("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write(QByteArray(4096, 'n')) == 4096);
    notes.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.database);
        const QString database = QString::fromLatin1(c.database).startsWith(QLatin1String("postgresql"))
                                     ? QString::fromLatin1(c.database)
                                     : program.dir.file(QString::fromLatin1(c.database));
        saveHistorySettings(ctx.language.settings, {database, false});
        program.prompts.expectMessage(MbOK);
        const HistoryAddOutcome outcome = addDocumentToHistory(ctx, progress, HistoryTelling::FailuresOnly);
        EXPECT_EQ(outcome.status, HistoryAddOutcome::Status::Failed);
        ASSERT_FALSE(program.prompts.messages.empty());
        const std::string& told = program.prompts.messages.back();
        EXPECT_EQ(told.rfind(text("HistoryNotAdded_50") + "\r", 0), 0u) << told;
        EXPECT_NE(told.find(c.reasonPart), std::string::npos) << told;
        EXPECT_FALSE(progress.visible);
    }
    EXPECT_FALSE(QFile::exists(archivePath));
}

// The history window reads: before the first inspection is added it shows
// the history empty, and makes no file for it.
TEST_F(HistoryFixture, TheWindowsArchiveIsReadWithoutBeingMade)
{
    HistoryArchive archive;
    QString error;
    ASSERT_TRUE(openConfiguredArchive(ctx.language.settings, archive, &error)) << error.toStdString();
    EXPECT_TRUE(archive.installations(&error).empty()) << error.toStdString();
    EXPECT_FALSE(QFile::exists(archivePath));
    download("5.00", "2.50", "14.03.2023");
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    ASSERT_TRUE(openConfiguredArchive(ctx.language.settings, archive, &error)) << error.toStdString();
    EXPECT_EQ(archive.installations().size(), 1u);
}

TEST_F(HistoryFixture, SettingsKeepTheArchiveAndTheAutomaticAddition)
{
    saveHistorySettings(ctx.language.settings, {});
    EXPECT_EQ(loadHistorySettings(ctx.language.settings), HistorySettings());
    const HistorySettings chosen{QStringLiteral("/srv/mérítés/history.sqlite"), true};
    saveHistorySettings(ctx.language.settings, chosen);
    EXPECT_EQ(loadHistorySettings(ctx.language.settings), chosen);
    EXPECT_EQ(ctx.language.settings.readSetting("HISTORY", "AddAfterReceive", ""), "1");
    const HistorySettings server{QStringLiteral("postgresql://lab@db.example:5433/history"), false};
    saveHistorySettings(ctx.language.settings, server);
    EXPECT_EQ(loadHistorySettings(ctx.language.settings), server);
}

TEST_F(HistoryFixture, WindowShowsTheFallenPointFirstAndItsTrend)
{
    download(">5.00", "2.50", "14.03.2023");
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    download("0.80", "1.50", "14.03.2024");
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);

    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh()) << window.problemLabel()->text().toStdString();
    EXPECT_EQ(window.installationList()->topLevelItemCount(), 1);
    ASSERT_EQ(window.inspectionList()->topLevelItemCount(), 2);
    EXPECT_TRUE(window.inspectionList()->topLevelItem(0)->text(0).startsWith(QLatin1String("2023-03-14")));
    ASSERT_EQ(window.points().size(), 2u);
    const PointEntry& fallen = window.points().front();
    EXPECT_EQ(fallen.element, 1);
    EXPECT_TRUE(fallen.fellByHalf);
    EXPECT_TRUE(fallen.belowLimit) << "the limit Rlim came as a test parameter";
    const QTreeWidgetItem* row = window.pointList()->topLevelItem(0);
    EXPECT_EQ(row->text(4), QStringLiteral("800 MOhm"));
    EXPECT_EQ(row->text(5), QStringLiteral("> 5 GOhm"));
    EXPECT_EQ(row->text(6), ctx.language.decode(text("CmpResistanceHalved_60")) + QStringLiteral("; ") +
                                ctx.language.decode(text("ChartBelowLimit_25")));
    EXPECT_EQ(row->foreground(0).color(), QColor(200, 30, 30));
    // The other point's PI fell from good to questionable: a fall of a rating class needs attention too.
    const QTreeWidgetItem* second = window.pointList()->topLevelItem(1);
    EXPECT_EQ(second->foreground(0).color(), QColor(200, 30, 30));
    EXPECT_EQ(second->text(6), ctx.language.decode(text("CmpRatingFell_60")));

    auto series = [&](const QString& name) -> QXYSeries* {
        for (QAbstractSeries* s : window.chartView()->chart()->series())
            if (s->name() == name)
                return qobject_cast<QXYSeries*>(s);
        return nullptr;
    };
    window.selectPoint(fallen.id);
    window.selectQuantity(1);
    ASSERT_TRUE(window.hasTrend());
    ASSERT_EQ(window.trend().samples.size(), 2u);
    QXYSeries* riso = series(window.trend().quantityName);
    ASSERT_TRUE(riso);
    ASSERT_EQ(riso->count(), 2);
    EXPECT_DOUBLE_EQ(riso->at(0).y(), 5e9);
    EXPECT_DOUBLE_EQ(riso->at(1).y(), 0.8e9);
    EXPECT_LT(riso->at(0).x(), riso->at(1).x());
    EXPECT_TRUE(qobject_cast<QLogValueAxis*>(riso->attachedAxes().value(1)));
    QStringList decades;
    for (QAbstractAxis* a : window.chartView()->chart()->axes(Qt::Vertical))
        if (auto* labels = qobject_cast<QCategoryAxis*>(a))
            decades += labels->categoriesLabels();
    EXPECT_TRUE(decades.contains(QStringLiteral("1 GOhm"))) << decades.join(u',').toStdString();
    // Beyond the range: drawn at the bound, with a marker on it.
    QXYSeries* bounds = series(ctx.language.decode(ctx.language.texts.text("ChartAtBound_40")).toHtmlEscaped());
    ASSERT_TRUE(bounds);
    ASSERT_EQ(bounds->count(), 1);
    EXPECT_EQ(bounds->at(0), riso->at(0));
    QXYSeries* limit = series(ctx.language.decode(ctx.language.texts.text("ChartLimit_25")));
    ASSERT_TRUE(limit);
    for (const QPointF& p : limit->points())
        EXPECT_DOUBLE_EQ(p.y(), 1e9);

    // The PI of the other point, over its rating bands.
    window.selectPoint(window.points()[1].id);
    window.selectQuantity(7);
    ASSERT_TRUE(window.hasTrend());
    EXPECT_TRUE(window.trend().rated);
    QXYSeries* pi = series(window.trend().quantityName);
    ASSERT_TRUE(pi);
    ASSERT_EQ(pi->count(), 2);
    EXPECT_DOUBLE_EQ(pi->at(1).y(), 1.5);
    EXPECT_TRUE(qobject_cast<QValueAxis*>(pi->attachedAxes().value(1)));
    int bands = 0;
    for (QAbstractSeries* s : window.chartView()->chart()->series())
        bands += qobject_cast<QAreaSeries*>(s) != nullptr;
    EXPECT_EQ(bands, 4);
}

// Linking offers only the points that can be linked, chooses none, and asks
// with both names; Unlink undoes it after asking the same way.
TEST_F(HistoryFixture, WindowLinksOnlyLinkablePointsAfterAskingAndUnlinks)
{
    download("5.00", "2.50", "14.03.2023");
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    // In 2024 the second point was measured as 6/7.
    download("4.00", "2.40", "14.03.2024");
    ResultTable& table = ctx.document.structure.table;
    table.clear();
    table.setCell(1, 0, "identification");
    const std::string records[] = {
        rec(5, 1, 0, coded('R', 1, 8, "4.00") + plain('D', "14.03.2024")),
        rec(6, 7, 0, coded('R', 1, 8, "3.00") + plain('D', "14.03.2024")),
    };
    int row = 1;
    for (const std::string& r : records)
        decodeRecord(ctx, r.data(), r.size(), row++);
    NullProgress quiet;
    buildTreeFromResults(ctx, quiet);
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);

    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh()) << window.problemLabel()->text().toStdString();
    ASSERT_EQ(window.points().size(), 3u);
    auto pointAt = [&](long block, long element) {
        for (const PointEntry& p : window.points())
            if (p.block == block && p.element == element)
                return p;
        return PointEntry();
    };
    const PointEntry renamed = pointAt(6, 7), earlier = pointAt(5, 2);
    ASSERT_TRUE(renamed.id && earlier.id);
    auto* unlink = window.findChild<QPushButton*>(QStringLiteral("HistoryUnlinkPoint"));
    ASSERT_TRUE(unlink);
    window.selectPoint(renamed.id);
    EXPECT_FALSE(unlink->isEnabled());

    QStringList offered;
    int chosenAtFirst = 0;
    bool okAtFirst = true;
    QTimer::singleShot(0, &window, [&] {
        auto* ask = window.findChild<QDialog*>(QStringLiteral("LinkPointDialog"));
        auto* choices = ask ? ask->findChild<QComboBox*>(QStringLiteral("LinkPointChoice")) : nullptr;
        auto* ok = ask ? ask->findChild<QPushButton*>(QStringLiteral("LinkPointOK")) : nullptr;
        if (!choices || !ok)
            return;
        for (int i = 0; i < choices->count(); ++i)
            offered << choices->itemText(i);
        chosenAtFirst = choices->currentIndex();
        okAtFirst = ok->isEnabled();
        choices->setCurrentIndex(0);
        ok->click();
    });
    program.prompts.expectMessage(MbYes);
    window.linkSelectedPoint();
    ASSERT_EQ(offered.size(), 1) << "5/1 was measured in 2024 with 6/7";
    EXPECT_TRUE(offered[0].startsWith(QStringLiteral("5/2  "))) << offered[0].toStdString();
    EXPECT_EQ(chosenAtFirst, -1);
    EXPECT_FALSE(okAtFirst);
    const std::string& asked = program.prompts.messages.back();
    EXPECT_EQ(asked.rfind(text("LinkPointConfirm_60") + "\r6/7  ", 0), 0u) << asked;
    EXPECT_NE(asked.find("\r5/2  "), std::string::npos) << asked;
    ASSERT_EQ(window.points().size(), 2u);
    EXPECT_EQ(window.point(), earlier.id);
    EXPECT_TRUE(unlink->isEnabled());

    // Declined: nothing changes.
    program.prompts.expectMessage(MbNo);
    window.unlinkSelectedPoint();
    EXPECT_EQ(window.points().size(), 2u);
    program.prompts.expectMessage(MbYes);
    window.unlinkSelectedPoint();
    // The point as it stays, then what becomes a point of its own again.
    EXPECT_EQ(program.prompts.messages.back().rfind(text("UnlinkPointConfirm_60") + "\r5/2  ", 0), 0u)
        << program.prompts.messages.back();
    EXPECT_NE(program.prompts.messages.back().find("\r6/7  "), std::string::npos);
    ASSERT_EQ(window.points().size(), 3u);
    EXPECT_EQ(pointAt(6, 7).inspectionCount, 1);
    EXPECT_EQ(pointAt(5, 2).inspectionCount, 1);
}

// A point that fails its minimum once it has equipment data needs
// attention; its trend is corrected to 40 °C at the switch, with a warning
// for inspections tested more than 10 °C apart; its data is edited (a field
// without a number refused) and copied to another point.
TEST_F(HistoryFixture, WindowJudgesCorrectsAndKeepsEquipmentData)
{
    for (const auto& [riso, temperature, date] :
         {std::tuple{"100", "20", "14.03.2023"}, std::tuple{"60.0", "35", "14.03.2024"}}) {
        receive({
            rec(5, 1, 0,
                coded('R', 1, 7, riso) + coded('M', 19, 19, temperature) + coded('P', 15, 14, "60") + plain('D', date)),
            rec(5, 2, 0, coded('R', 1, 7, "900") + plain('D', date)),
        });
        ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    }
    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh()) << window.problemLabel()->text().toStdString();
    ASSERT_EQ(window.points().size(), 2u);
    const qint64 motor = window.points()[0].element == 1 ? window.points()[0].id : window.points()[1].id;
    const qint64 other = window.points()[0].id == motor ? window.points()[1].id : window.points()[0].id;
    EXPECT_FALSE(window.attentionOf(motor).any()) << "without equipment data only the advice bands speak";

    // Edited: "6,x" is no number and is named; then 6 kV, form-wound, class F.
    window.selectPoint(motor);
    std::string refusal;
    QTimer::singleShot(0, &window, [&] {
        auto* ask = window.findChild<QDialog*>(QStringLiteral("EquipmentDialog"));
        if (!ask)
            return;
        ask->findChild<QComboBox*>(QStringLiteral("EquipmentType"))->setCurrentIndex(int(EquipmentType::FormWound));
        ask->findChild<QComboBox*>(QStringLiteral("EquipmentClass"))->setCurrentIndex(3);
        auto* kv = ask->findChild<QLineEdit*>(QStringLiteral("EquipmentRatedKv"));
        auto* ok = ask->findChild<QPushButton*>(QStringLiteral("EquipmentOK"));
        kv->setText(QStringLiteral("6,x"));
        ok->click();
        refusal = program.prompts.messages.back();
        kv->setText(QStringLiteral("6,0"));
        ok->click();
    });
    program.prompts.expectMessage(MbOK);
    window.editSelectedEquipment();
    EXPECT_EQ(refusal, text("EqBadNumber_60") + "\r" + text("EqRatedKv_25"));
    ASSERT_TRUE(window.equipmentOf(motor));
    EXPECT_EQ(window.equipmentOf(motor)->type, EquipmentType::FormWound);
    EXPECT_EQ(window.equipmentOf(motor)->ratedKv, 6.0);
    EXPECT_EQ(window.equipmentOf(motor)->thermalClass, ThermalClass::F);

    // 60 MΩ at 35 °C is 42 MΩ at 40 °C, below the 100 MΩ of form-wound windings.
    EXPECT_TRUE(window.attentionOf(motor).failsMinimum);
    EXPECT_EQ(window.points().front().id, motor);
    EXPECT_EQ(window.pointList()->topLevelItem(0)->text(6), ctx.language.decode(text("HistFailsMinimum_40")));
    EXPECT_EQ(window.pointList()->topLevelItem(0)->foreground(0).color(), QColor(200, 30, 30));

    window.selectPoint(motor);
    window.selectQuantity(1);
    EXPECT_TRUE(window.noteLabel()->text().contains(ctx.language.decode(text("HistTemperaturesApart_60"))));
    ASSERT_EQ(window.drawnTrend().samples.size(), 2u);
    EXPECT_DOUBLE_EQ(window.drawnTrend().samples[0].value.number, 100e6) << "as measured";
    ASSERT_TRUE(window.correctedSwitch()->isEnabled());
    window.correctedSwitch()->setChecked(true);
    ASSERT_EQ(window.drawnTrend().samples.size(), 2u);
    EXPECT_NEAR(window.drawnTrend().samples[0].value.number, 25e6, 1);
    EXPECT_NEAR(window.drawnTrend().samples[1].value.number, 60e6 * std::sqrt(0.5), 1);
    EXPECT_FALSE(window.drawnTrend().samples[0].hasLimit);

    // The other point has no temperature and no data: nothing to draw corrected, and the reason.
    window.selectPoint(other);
    EXPECT_TRUE(window.drawnTrend().samples.empty());
    EXPECT_TRUE(window.noteLabel()->text().contains(ctx.language.decode(text("VerdictNoEquipment_60"))))
        << window.noteLabel()->text().toStdString();
    EXPECT_FALSE(window.noteLabel()->text().contains(ctx.language.decode(text("HistNotCorrected_60"))))
        << "nothing is left out for its temperature: " << window.noteLabel()->text().toStdString();

    // Copied to the other point.
    window.selectPoint(motor);
    int offered = 0;
    QTimer::singleShot(0, &window, [&] {
        auto* ask = window.findChild<QDialog*>(QStringLiteral("CopyEquipmentDialog"));
        auto* list = ask ? ask->findChild<QListWidget*>(QStringLiteral("CopyEquipmentPoints")) : nullptr;
        if (!list)
            return;
        offered = list->count();
        list->item(0)->setCheckState(Qt::Checked);
        ask->findChild<QPushButton*>(QStringLiteral("CopyEquipmentOK"))->click();
    });
    window.copySelectedEquipment();
    EXPECT_EQ(offered, 1);
    ASSERT_TRUE(window.equipmentOf(other));
    EXPECT_EQ(*window.equipmentOf(other), *window.equipmentOf(motor));

    // Deleted once confirmed: the motor is judged by the advice bands only
    // again, and the other point keeps its copy.
    window.selectPoint(motor);
    auto* deleteButton = window.findChild<QPushButton*>(QStringLiteral("HistoryDeleteEquipment"));
    ASSERT_TRUE(deleteButton);
    EXPECT_TRUE(deleteButton->isEnabled());
    program.prompts.expectMessage(MbNo);
    deleteButton->click();
    EXPECT_EQ(program.prompts.messages.back().rfind(text("EqDeleteConfirm_60") + "\r5/1  ", 0), 0u)
        << program.prompts.messages.back();
    EXPECT_TRUE(window.equipmentOf(motor)) << "kept when not confirmed";
    program.prompts.expectMessage(MbYes);
    deleteButton->click();
    EXPECT_FALSE(window.equipmentOf(motor));
    EXPECT_FALSE(window.attentionOf(motor).any());
    EXPECT_EQ(window.point(), motor);
    EXPECT_FALSE(deleteButton->isEnabled()) << "nothing left to delete";
    EXPECT_EQ(window.equipmentLabel()->text(), ctx.language.decode(text("EqNone_30")));
    EXPECT_TRUE(window.equipmentOf(other));
}

// Copying equipment data over a point that has its own: the list marks
// that point with its data, and the question names it; only Yes replaces.
TEST_F(HistoryFixture, WindowAsksBeforeACopyReplacesAPointsData)
{
    receive({rec(5, 1, 0, coded('R', 1, 7, "100") + plain('D', "14.03.2024")),
             rec(5, 2, 0, coded('R', 1, 7, "900") + plain('D', "14.03.2024")),
             rec(5, 3, 0, coded('R', 1, 7, "900") + plain('D', "14.03.2024"))});
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh()) << window.problemLabel()->text().toStdString();
    ASSERT_EQ(window.points().size(), 3u);
    std::map<long, qint64> idOf;
    for (const PointEntry& p : window.points())
        idOf[p.element] = p.id;
    EquipmentData motor, pump;
    motor.type = EquipmentType::FormWound;
    pump.type = EquipmentType::Cable;
    pump.ratedKv = 20;
    ASSERT_TRUE(window.storeEquipment({idOf[1]}, motor));
    ASSERT_TRUE(window.storeEquipment({idOf[2]}, pump));

    const std::string hasData = text("EqCopyHasData_30");
    for (const unsigned answer : {unsigned(MbNo), unsigned(MbYes)}) {
        window.selectPoint(idOf[1]);
        QStringList offered;
        QTimer::singleShot(0, &window, [&] {
            auto* ask = window.findChild<QDialog*>(QStringLiteral("CopyEquipmentDialog"));
            auto* list = ask ? ask->findChild<QListWidget*>(QStringLiteral("CopyEquipmentPoints")) : nullptr;
            if (!list)
                return;
            for (int i = 0; i < list->count(); ++i) {
                offered << list->item(i)->text();
                list->item(i)->setCheckState(Qt::Checked);
            }
            ask->findChild<QPushButton*>(QStringLiteral("CopyEquipmentOK"))->click();
        });
        program.prompts.expectMessage(answer);
        const size_t asked = program.prompts.messages.size();
        window.copySelectedEquipment();
        ASSERT_EQ(offered.size(), 2);
        offered.sort();
        EXPECT_TRUE(offered[0].startsWith(QStringLiteral("5/2")) &&
                    offered[0].contains(ctx.language.decode(hasData) + QStringLiteral(": ")))
            << offered[0].toStdString();
        EXPECT_FALSE(offered[1].contains(ctx.language.decode(hasData))) << offered[1].toStdString();
        ASSERT_EQ(program.prompts.messages.size(), asked + 1);
        const std::string& question = program.prompts.messages.back();
        EXPECT_EQ(question.rfind(text("EqCopyReplace_60") + "\r5/2  ", 0), 0u) << question;
        EXPECT_EQ(question.find("5/3"), std::string::npos) << "only points with data are named: " << question;
        ASSERT_TRUE(window.equipmentOf(idOf[2]));
        EXPECT_EQ(*window.equipmentOf(idOf[2]), answer == MbYes ? motor : pump);
        EXPECT_EQ(window.equipmentOf(idOf[3]) != nullptr, answer == MbYes) << "No leaves every point as it was";
    }
}

// An installation's own correction rule set for an equipment type takes the
// settings' place in its corrected trends; the choice is kept in the
// archive, and "as in the settings" gives the settings' rule back.
TEST_F(HistoryFixture, WindowCorrectsAnInstallationByItsOwnChoiceOfRules)
{
    for (const auto& [riso, temperature, date] :
         {std::tuple{"100", "20", "14.03.2023"}, std::tuple{"60.0", "35", "14.03.2024"}}) {
        receive({rec(5, 1, 0, coded('R', 1, 7, riso) + coded('M', 19, 19, temperature) + plain('D', date))});
        ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    }
    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh()) << window.problemLabel()->text().toStdString();
    ASSERT_EQ(window.points().size(), 1u);
    const qint64 motor = window.points()[0].id;
    EquipmentData formWound;
    formWound.type = EquipmentType::FormWound;
    ASSERT_TRUE(window.storeEquipment({motor}, formWound));
    window.selectPoint(motor);
    window.selectQuantity(1);
    window.correctedSwitch()->setChecked(true);
    ASSERT_EQ(window.drawnTrend().samples.size(), 2u);
    EXPECT_NEAR(window.drawnTrend().samples[0].value.number, 25e6, 1) << "the settings' rule: base 40 °C";

    // Each type offers the settings' rule first, then every correction rule set.
    auto choose = [&](const char* id) {
        QString offered;
        QTimer::singleShot(0, &window, [&] {
            auto* ask = window.findChild<QDialog*>(QStringLiteral("SiteRulesDialog"));
            auto* list = ask ? ask->findChild<QComboBox*>(
                                   QStringLiteral("SiteRulesCorrection%1").arg(int(EquipmentType::FormWound)))
                             : nullptr;
            if (!list)
                return;
            offered = list->itemText(0);
            list->setCurrentIndex(list->findData(QString::fromLatin1(id)));
            ask->findChild<QPushButton*>(QStringLiteral("SiteRulesOK"))->click();
        });
        window.chooseSiteRules();
        return offered;
    };
    EXPECT_EQ(choose("halving-20"),
              ctx.language.decode(text("SiteRulesAsSettings_30")) + QStringLiteral(": halving rule, base 40 °C"));
    EXPECT_EQ(window.siteRules().correctionFor[int(EquipmentType::FormWound)], "halving-20");
    ASSERT_EQ(window.drawnTrend().samples.size(), 2u);
    EXPECT_NEAR(window.drawnTrend().samples[0].value.number, 100e6, 1) << "corrected to 20 °C now";
    EXPECT_NEAR(window.drawnTrend().samples[1].value.number, 60e6 * std::pow(2, 1.5), 1);
    EXPECT_TRUE(window.drawnTrend().quantityName.endsWith(QStringLiteral("(20 °C)")))
        << window.drawnTrend().quantityName.toStdString();

    HistoryWindow later(ctx);
    ASSERT_TRUE(later.refresh());
    EXPECT_EQ(later.judgingChoices().correctionFor[int(EquipmentType::FormWound)], "halving-20")
        << "kept in the archive";
    // The values CSV of the open download of the site judges by it too.
    const CsvJudging judging = archiveCsvJudging(ctx);
    EXPECT_EQ(judging.choices.correctionFor[int(EquipmentType::FormWound)], "halving-20");
    EXPECT_TRUE(judging.equipmentOf(5, 1));

    choose("");
    EXPECT_FALSE(window.siteRules().any());
    EXPECT_NEAR(window.drawnTrend().samples[0].value.number, 25e6, 1) << "the settings' rule again";
}

// A plain transformer says that its kind was not chosen, in the point's
// data and in the type choice, which offers both kinds; a correction rule set
// the settings chose that is not installed is named in the trend's note and
// the installation's rules.
TEST_F(HistoryFixture, WindowNamesAnUnchosenTransformerKindAndAMissingCorrection)
{
    ctx.language.settings.writeSetting("EVALUATION", "Correction_form-wound", "gone");
    for (const auto& [riso, temperature, date] :
         {std::tuple{"100", "20", "14.03.2023"}, std::tuple{"60.0", "35", "14.03.2024"}}) {
        receive({rec(5, 1, 0, coded('R', 1, 7, riso) + coded('M', 19, 19, temperature) + plain('D', date))});
        ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    }
    auto t = [&](const char* key) { return ctx.language.decode(text(key)); };
    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh()) << window.problemLabel()->text().toStdString();
    ASSERT_EQ(window.points().size(), 1u);
    const qint64 point = window.points()[0].id;
    EquipmentData transformer;
    transformer.type = EquipmentType::Transformer;
    ASSERT_TRUE(window.storeEquipment({point}, transformer));
    window.selectPoint(point);
    const QString unchosen = QStringLiteral(" (") + t("EqTransformerUnchosen_60") + u')';
    EXPECT_EQ(window.equipmentLabel()->text(), t("HistEquipment_25") + QStringLiteral(": ") + t("EqTransformer_30") +
                                                   QStringLiteral("\n(") + t("EqTransformerUnchosen_60") + u')');

    QStringList offered;
    QString current;
    QTimer::singleShot(0, &window, [&] {
        auto* ask = window.findChild<QDialog*>(QStringLiteral("EquipmentDialog"));
        auto* type = ask ? ask->findChild<QComboBox*>(QStringLiteral("EquipmentType")) : nullptr;
        if (!type)
            return;
        for (int i = 0; i < type->count(); ++i)
            offered << type->itemText(i);
        current = type->currentText();
        ask->reject();
    });
    window.editSelectedEquipment();
    EXPECT_TRUE(offered.contains(t("EqTransformerLiquid_30"))) << offered.join(u'|').toStdString();
    EXPECT_TRUE(offered.contains(t("EqTransformerDry_30"))) << offered.join(u'|').toStdString();
    EXPECT_EQ(current, t("EqTransformer_30") + unchosen) << "a stored plain transformer stays what it is";
    EXPECT_EQ(window.equipmentOf(point)->type, EquipmentType::Transformer);

    EquipmentData formWound;
    formWound.type = EquipmentType::FormWound;
    ASSERT_TRUE(window.storeEquipment({point}, formWound));
    window.selectPoint(point);
    window.selectQuantity(1);
    window.correctedSwitch()->setChecked(true);
    EXPECT_TRUE(window.drawnTrend().samples.empty()) << "no other rule stands in";
    const QString missing = missingCorrectionText(ctx.language, "gone", EquipmentType::FormWound);
    EXPECT_EQ(missing, QStringLiteral("the correction rule set \"gone\" chosen for form-wound is not installed here"));
    EXPECT_TRUE(window.noteLabel()->text().contains(missing)) << window.noteLabel()->text().toStdString();

    QString asSettings;
    QTimer::singleShot(0, &window, [&] {
        auto* ask = window.findChild<QDialog*>(QStringLiteral("SiteRulesDialog"));
        auto* list =
            ask ? ask->findChild<QComboBox*>(QStringLiteral("SiteRulesCorrection%1").arg(int(EquipmentType::FormWound)))
                : nullptr;
        if (!list)
            return;
        asSettings = list->itemText(0);
        ask->reject();
    });
    window.chooseSiteRules();
    EXPECT_EQ(asSettings, t("SiteRulesAsSettings_30") + QStringLiteral(": \"gone\" (not installed here)"));
}

// Without the chosen rule set nothing is corrected, and that is the reason
// given, also for a sample that lacks a test temperature besides.
TEST(CorrectedTrend, AChosenRuleSetNotInstalledIsTheReasonForEverySample)
{
    Trend trend;
    for (const double ohms : {100e6, 60e6}) {
        TrendSample s;
        s.value.hasNumber = true;
        s.value.number = ohms;
        s.value.baseUnit = "Ohm";
        trend.samples.push_back(s);
    }
    EquipmentData cable;
    cable.type = EquipmentType::Cable;
    EvaluationChoices choices;
    choices.correctionFor[int(EquipmentType::Cable)] = "gone";
    const CorrectedTrend corrected = correctTrend(trend, {20.0, std::nullopt}, &cable, RuleSets(), choices);
    EXPECT_EQ(corrected.corrected(), 0);
    EXPECT_EQ(corrected.missingCorrection, "gone");
    EXPECT_EQ(corrected.why, std::vector<VerdictReason>(2, VerdictReason::ChosenCorrectionMissing));
}

// The window fits a screen 1280 pixels wide, its inspections list shows more
// than a handful of rows, and F1 has a page of its own in both languages.
TEST_F(HistoryFixture, WindowFitsTheScreenShowsItsListsAndHasItsHelpTopic)
{
    download("5.00", "2.50", "14.03.2023");
    ASSERT_EQ(add().status, HistoryAddOutcome::Status::Added);
    HistoryWindow window(ctx);
    ASSERT_TRUE(window.refresh());
    window.show();
    QCoreApplication::processEvents();
    EXPECT_LE(window.frameGeometry().width(), 1280);
    const int rowHeight = window.inspectionList()->sizeHintForRow(0);
    ASSERT_GT(rowHeight, 0);
    EXPECT_GE(window.inspectionList()->viewport()->height() / rowHeight, 8);
    EXPECT_GE(window.pointList()->viewport()->height() / rowHeight, 8);
    const QString topic = HelpViewer::topicPath(ctx.language.profile.helpFile, HistoryWindow::HelpContext);
    EXPECT_TRUE(topic.endsWith(QStringLiteral("/topic1500.html"))) << topic.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QString(topic).replace(QStringLiteral("/en/"), QStringLiteral("/sl/"))))
        << topic.toStdString();
}

TEST_F(HistoryFixture, WindowSaysWhyTheArchiveCannotBeOpened)
{
    saveHistorySettings(ctx.language.settings, {QStringLiteral("postgresql://nobody@/"), false});
    HistoryWindow window(ctx);
    EXPECT_FALSE(window.refresh());
    EXPECT_TRUE(
        window.problemLabel()->text().startsWith(ctx.language.decode(ctx.language.texts.text("HistoryCannotOpen_50"))));
    EXPECT_EQ(window.installationList()->topLevelItemCount(), 0);
    EXPECT_FALSE(window.hasTrend());
}

} // namespace
} // namespace zentrova::test
