// zentrova-cli history on the demo substation's earlier inspections, which
// the simulated tester sent and the program received into structure files.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace zentrova::test {
namespace {

struct HistoryRun {
    int code = -1;
    QByteArray out, err;
};

class CliHistory : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli");
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(built, exe_));
        db_ = dir_.file(QStringLiteral("archive/history.sqlite"));
        for (const char* year : {"2021", "2022", "2023"})
            years_ << QStringLiteral(ZENTROVA_DATA_DIR "/history/vrhovo-%1.zit").arg(QLatin1String(year));
    }

    HistoryRun run(QStringList args, bool withDb = true)
    {
        if (withDb)
            args << QStringLiteral("--db") << db_;
        QProcess p;
        p.start(exe_, QStringList{QStringLiteral("history")} + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    ProgramDir dir_;
    QString exe_, db_;
    QStringList years_;
};

TEST_F(CliHistory, AddsInspectionsOnceAndTrendsAPoint)
{
    HistoryRun r = run(QStringList{QStringLiteral("add")} + years_);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out.count("added to \"Substation Vrhovo / Transformer station TS 20/0.4 kV\""), 3) << r.out.constData();
    r = run(QStringList{QStringLiteral("add"), years_[1]});
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains("already in the history")) << r.out.constData();

    r = run({QStringLiteral("list"), QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QJsonArray sites = QJsonDocument::fromJson(r.out).object().value("installations").toArray();
    ASSERT_EQ(sites.size(), 1);
    const QJsonArray inspections = sites[0].toObject().value("inspections").toArray();
    ASSERT_EQ(inspections.size(), 3);
    EXPECT_EQ(inspections[0].toObject().value("takenAt").toString(), "2021-03-17T09:48:00");
    EXPECT_EQ(inspections[2].toObject().value("serialNumber").toString(), "21480173");

    // Motor M3's third phase: its PI a little lower every year, still good.
    r = run({QStringLiteral("trend"), QStringLiteral("--site"), QStringLiteral("vrhovo"), QStringLiteral("--block"),
             QStringLiteral("2"), QStringLiteral("--element"), QStringLiteral("3"), QStringLiteral("--quantity"),
             QStringLiteral("pi"), QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QJsonArray samples = QJsonDocument::fromJson(r.out).object().value("samples").toArray();
    ASSERT_EQ(samples.size(), 3);
    const double pi[] = {2.62, 2.41, 2.12};
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(samples[i].toObject().value("value").toDouble(), pi[i]);
        EXPECT_EQ(samples[i].toObject().value("rating").toString(), "Good");
    }

    // The generator's winding with its limit, as CSV.
    const QString csv = dir_.file(QStringLiteral("trend.csv"));
    r = run({QStringLiteral("trend"), QStringLiteral("--site"), QStringLiteral("Substation Vrhovo"),
             QStringLiteral("--block"), QStringLiteral("5"), QStringLiteral("--element"), QStringLiteral("2"),
             QStringLiteral("--quantity"), QStringLiteral("Riso"), QStringLiteral("--csv"), csv});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const std::string bytes = dir_.readFile(QStringLiteral("trend.csv"));
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const QStringList rows = QString::fromUtf8(bytes.substr(3)).split(QStringLiteral("\r\n"));
    ASSERT_GE(rows.size(), 4);
    EXPECT_EQ(rows[0], QStringLiteral("inspection,measured,value,unit,marks,as written,limit"));
    EXPECT_EQ(rows[1], QStringLiteral("2021-03-17T09:48:00,2021-03-17T09:48:00,182000000,Ohm,,182 MOhm,100000000"));

    r = run({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.startsWith("\xEF\xBB\xBFsite,inspection,source,block,"));
    EXPECT_TRUE(r.out.contains(",Riso,182000000,Ohm,,182 MOhm\r\n"));
}

TEST_F(CliHistory, RefusesWhatItCannotUseAndAddsNothingOfIt)
{
    const std::string broken = "*** INSTAL STRUCTURE v11\r\nnot what it says\r\n";
    dir_.writeFile(QStringLiteral("broken.zit"), broken);
    HistoryRun r = run({QStringLiteral("add"), dir_.file(QStringLiteral("broken.zit")), years_[0]});
    EXPECT_EQ(r.code, 4) << r.err.constData();
    EXPECT_TRUE(r.out.contains("vrhovo-2021.zit: added")) << "the readable file is still added";
    r = run({QStringLiteral("list")});
    EXPECT_TRUE(r.out.contains("1 inspection(s)")) << r.out.constData();

    r = run({QStringLiteral("trend"), QStringLiteral("--site"), QStringLiteral("Elsewhere"), QStringLiteral("--block"),
             QStringLiteral("1"), QStringLiteral("--element"), QStringLiteral("1"), QStringLiteral("--quantity"),
             QStringLiteral("Riso")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("no installation")) << r.err.constData();

    // Two points of one inspection are not the same point.
    r = run({QStringLiteral("link"), QStringLiteral("--site"), QStringLiteral("Vrhovo"), QStringLiteral("--point"),
             QStringLiteral("1/1"), QStringLiteral("--to"), QStringLiteral("1/2")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("not linked: both measuring points were measured in one inspection")) << r.err.constData();

    r = run({QStringLiteral("list"), QStringLiteral("--db"), QStringLiteral("postgresql://nohost")}, false);
    EXPECT_EQ(r.code, 5);
    EXPECT_TRUE(r.err.contains("cannot be used")) << r.err.constData();
}

} // namespace
} // namespace zentrova::test
