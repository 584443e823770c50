// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// zentrova-cli history point, history points import and evaluate on the
// demo substation's inspection of 2023.
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace zentrova::test {
namespace {

struct CliResult {
    int code = -1;
    QByteArray out, err;
};

class CliEvaluate : public ::testing::Test {
protected:
    void SetUp() override
    {
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli"), exe_));
        db_ = dir_.file(QStringLiteral("history.sqlite"));
        ASSERT_EQ(
            run({QStringLiteral("history"), QStringLiteral("add"), inspection_, QStringLiteral("--db"), db_}).code, 0);
    }

    CliResult run(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.file(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.start(exe_, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    CliResult history(QStringList args)
    {
        return run(QStringList{QStringLiteral("history")} + args + QStringList{QStringLiteral("--db"), db_});
    }

    ProgramDir dir_;
    QString exe_, db_;
    const QString inspection_ = QStringLiteral(ZENTROVA_DATA_DIR "/history/vrhovo-2023.zit");
};

TEST_F(CliEvaluate, EquipmentDataSetByHandAndFromAnAssetListJudgesThePoints)
{
    CliResult r =
        history({QStringLiteral("point"), QStringLiteral("--site"), QStringLiteral("Vrhovo"), QStringLiteral("--point"),
                 QStringLiteral("2/1"), QStringLiteral("--rated-kv"), QStringLiteral("6")});
    EXPECT_EQ(r.code, 1) << "a point without data needs its type";
    EXPECT_TRUE(r.err.contains("give its --type")) << r.err.constData();
    r = history({QStringLiteral("point"), QStringLiteral("--site"), QStringLiteral("Vrhovo"), QStringLiteral("--point"),
                 QStringLiteral("2/1"), QStringLiteral("--type"), QStringLiteral("form-wound"),
                 QStringLiteral("--rated-kv"), QStringLiteral("6"), QStringLiteral("--class"), QStringLiteral("F"),
                 QStringLiteral("--temp"), QStringLiteral("20")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out, "2/1: form-wound, 6 kV, class F, tested at 20 °C\n");

    const QString list = dir_.file(QStringLiteral("assets.csv"));
    dir_.writeFile(QStringLiteral("assets.csv"), "point,type,rated_kv\n1/1,transformer,20\n3/1,cable,twenty\n");
    r = history(
        {QStringLiteral("points"), QStringLiteral("import"), list, QStringLiteral("--site"), QStringLiteral("Vrhovo")});
    EXPECT_EQ(r.code, 4);
    EXPECT_TRUE(r.err.contains("line 3 refused: rated_kv \"twenty\"")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("nothing of the file was stored")) << r.err.constData();
    dir_.writeFile(QStringLiteral("assets.csv"), "point,type,rated_kv\n1/1,transformer,20\n3/1,cable,20\n");
    r = history(
        {QStringLiteral("points"), QStringLiteral("import"), list, QStringLiteral("--site"), QStringLiteral("Vrhovo")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    // A plain transformer says that its kind was not chosen.
    r = history({QStringLiteral("point"), QStringLiteral("--site"), QStringLiteral("Vrhovo"), QStringLiteral("--point"),
                 QStringLiteral("1/1")});
    EXPECT_EQ(r.out, "1/1: transformer (liquid-filled or dry-type not chosen: judged as before), 20 kV\n");

    r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--db"), db_, QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    std::map<QString, QJsonArray> verdicts;
    for (const QJsonValue p : QJsonDocument::fromJson(r.out).object().value(QStringLiteral("points")).toArray()) {
        const QJsonObject o = p.toObject();
        verdicts[QStringLiteral("%1/%2").arg(o.value("block").toInt()).arg(o.value("element").toInt())] =
            o.value("verdicts").toArray();
    }
    ASSERT_TRUE(verdicts.count(QStringLiteral("2/1")));
    QStringList motor;
    for (const QJsonValue v : verdicts[QStringLiteral("2/1")])
        motor << v.toObject().value("text").toString();
    EXPECT_TRUE(motor.contains(
        QStringLiteral("Fails IEEE 43 minimum PI for thermal classes B, F and H: 1.94 < 2 [IEEE Std 43-2013, 12.2]")))
        << motor.join(u'\n').toStdString();
    // A point without data: the minimum is not judged, and says why.
    EXPECT_EQ(verdicts[QStringLiteral("1/2")][0].toObject().value("outcome").toString(), "not judged");

    // The CSV, and the same without an archive: a note, advice only.
    r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--db"), db_, QStringLiteral("--csv"),
             QStringLiteral("-")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    // With a byte order mark, as every CSV of the program.
    EXPECT_TRUE(r.out.startsWith("\xEF\xBB\xBF"
                                 "block,element,block_name,element_name,row,quantity,verdict,value,unit,temperature,"
                                 "corrected,minimum,rule,source,detail,value_mark\r\n"))
        << r.out.left(200).constData();
    EXPECT_TRUE(r.out.contains(",R60s,pass,950")) << r.out.constData();
    r = run({QStringLiteral("evaluate"), inspection_});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("note: no equipment data")) << r.err.constData();
    EXPECT_FALSE(r.out.contains("IEEE 43 minimum PI"));
    r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--db"), db_, QStringLiteral("--site"),
             QStringLiteral("Nowhere")});
    EXPECT_EQ(r.code, 1) << "a site asked for must be there";
}

// A list of many bad rows names twenty and counts the rest; an empty list
// is bad input like any other.
TEST_F(CliEvaluate, AnAssetListNamesTwentyRefusedLinesAndCountsTheRest)
{
    std::string csv = "point,type\n";
    for (int i = 1; i <= 25; ++i)
        csv += "9/" + std::to_string(i) + ",cable\n";
    const QString list = dir_.file(QStringLiteral("assets.csv"));
    dir_.writeFile(QStringLiteral("assets.csv"), csv);
    const QStringList import{QStringLiteral("points"), QStringLiteral("import"), list, QStringLiteral("--site"),
                             QStringLiteral("Vrhovo")};
    CliResult r = history(import);
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.err.count(" refused: "), 20) << r.err.constData();
    EXPECT_TRUE(r.err.contains("line 21 refused: ")) << r.err.constData();
    EXPECT_FALSE(r.err.contains("line 22 refused: ")) << r.err.constData();
    EXPECT_TRUE(r.err.contains(": and 5 more lines refused\n")) << r.err.constData();
    EXPECT_TRUE(r.err.contains(": 25 of 25 rows refused; nothing of the file was stored")) << r.err.constData();

    for (const char* bad : {"", "point,type\n1/1,\"cable\n"}) {
        dir_.writeFile(QStringLiteral("assets.csv"), bad);
        r = history(import);
        EXPECT_EQ(r.code, 4) << "bad input: " << r.err.constData();
        EXPECT_TRUE(r.err.contains("nothing stored")) << r.err.constData();
        EXPECT_FALSE(r.err.contains("rows refused")) << r.err.constData();
    }
}

// A user's rule file that does not read is named by the CSV export too.
TEST_F(CliEvaluate, TheCsvExportNamesARuleFileItLeftOut)
{
    ASSERT_TRUE(QDir().mkpath(dir_.file(QStringLiteral("config/zentrova/rules"))));
    dir_.writeFile(QStringLiteral("config/zentrova/rules/absurd.json"),
                   R"({"id": "mine", "kind": "correction", "title": "t", "source": "s", "method": "halving",
                       "halvingStep": 1e-300, "baseTemperature": 20})");
    const CliResult r =
        run({QStringLiteral("export"), inspection_, QStringLiteral("-o"), dir_.file(QStringLiteral("values.csv")),
             QStringLiteral("--format"), QStringLiteral("csv")});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("rule set left out: ")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("absurd.json: \"halvingStep\"")) << r.err.constData();
}

// Deleting a point's data leaves it judged by the advice bands only; the
// other points keep theirs.
TEST_F(CliEvaluate, EquipmentDataClearedLeavesThePointJudgedByTheAdviceBandsOnly)
{
    const QStringList motor{QStringLiteral("point"), QStringLiteral("--site"), QStringLiteral("Vrhovo"),
                            QStringLiteral("--point"), QStringLiteral("2/1")};
    const QStringList clear = motor + QStringList{QStringLiteral("--clear")};
    for (const char* point : {"2/1", "1/1"}) {
        const CliResult r = history({QStringLiteral("point"), QStringLiteral("--site"), QStringLiteral("Vrhovo"),
                                     QStringLiteral("--point"), QString::fromLatin1(point), QStringLiteral("--type"),
                                     QStringLiteral("form-wound"), QStringLiteral("--class"), QStringLiteral("F")});
        ASSERT_EQ(r.code, 0) << r.err.constData();
    }
    CliResult r = history(clear + QStringList{QStringLiteral("--class"), QStringLiteral("B")});
    EXPECT_EQ(r.code, 1) << "--clear sets nothing";
    EXPECT_TRUE(r.err.contains("takes none of")) << r.err.constData();
    EXPECT_EQ(history(motor).out, "2/1: form-wound, class F\n") << "a refused --clear keeps the data";

    r = history(clear);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out, "2/1: equipment data deleted; judged by the advice bands only\n");
    r = history(clear);
    EXPECT_EQ(r.code, 0) << "deleting what is not there is no fault";
    EXPECT_EQ(r.out, "2/1: no equipment data\n");
    EXPECT_EQ(history(motor).out, "2/1: no equipment data\n");

    r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--db"), db_, QStringLiteral("--json")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    std::map<QString, QJsonObject> points;
    for (const QJsonValue p : QJsonDocument::fromJson(r.out).object().value(QStringLiteral("points")).toArray())
        points[QStringLiteral("%1/%2")
                   .arg(p.toObject().value("block").toInt())
                   .arg(p.toObject().value("element").toInt())] = p.toObject();
    ASSERT_TRUE(points.count(QStringLiteral("2/1")) && points.count(QStringLiteral("1/1")));
    EXPECT_TRUE(points[QStringLiteral("2/1")].value("equipment").isNull());
    EXPECT_FALSE(QJsonDocument(points[QStringLiteral("2/1")]).toJson().contains("IEEE 43 minimum PI"));
    EXPECT_EQ(points[QStringLiteral("2/1")].value("verdicts").toArray()[0].toObject().value("outcome").toString(),
              "not judged");
    EXPECT_EQ(points[QStringLiteral("1/1")].value("equipment").toObject().value("type").toString(), "form-wound");
}

// The installation's own correction rule set for form-wound windings, kept
// in the archive, takes the settings' place in the verdicts.
TEST_F(CliEvaluate, AnInstallationsOwnCorrectionRulesJudgeItsPoints)
{
    CliResult r =
        history({QStringLiteral("point"), QStringLiteral("--site"), QStringLiteral("Vrhovo"), QStringLiteral("--point"),
                 QStringLiteral("2/1"), QStringLiteral("--type"), QStringLiteral("form-wound"),
                 QStringLiteral("--rated-kv"), QStringLiteral("6"), QStringLiteral("--temp"), QStringLiteral("30")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    const QStringList evaluate{QStringLiteral("evaluate"), inspection_,        QStringLiteral("--db"), db_,
                               QStringLiteral("--csv"),    QStringLiteral("-")};
    r = run(evaluate);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("at 30 °C by the halving rule, base 40 °C")) << r.out.constData();

    const QStringList rules{QStringLiteral("rules"), QStringLiteral("--site"), QStringLiteral("Vrhovo")};
    const QStringList formWound{QStringLiteral("--type"), QStringLiteral("form-wound")};
    r = history(rules + formWound + QStringList{QStringLiteral("--correction"), QStringLiteral("dd-advice")});
    EXPECT_EQ(r.code, 1) << "only a correction rule set corrects";
    EXPECT_TRUE(r.err.contains("halving-20")) << "the refusal lists the ids to choose from: " << r.err.constData();
    EXPECT_EQ(history(rules + formWound).code, 1) << "--type alone sets nothing";
    r = history(rules + formWound + QStringList{QStringLiteral("--correction"), QStringLiteral("halving-20")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.startsWith("form-wound: halving-20 (")) << r.out.constData();
    EXPECT_TRUE(r.out.contains("chosen for this installation")) << r.out.constData();
    r = history(rules);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out.count('\n'), 8) << "one line per equipment type: " << r.out.constData();
    EXPECT_TRUE(r.out.contains("cable: halving-20 (")) << r.out.constData();
    r = run(evaluate);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("at 30 °C by the halving rule, base 20 °C")) << r.out.constData();
    EXPECT_FALSE(r.out.contains("base 40 °C")) << r.out.constData();
    r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--db"), db_, QStringLiteral("--json")});
    const QJsonObject corrections = QJsonDocument::fromJson(r.out).object().value("corrections").toObject();
    EXPECT_EQ(corrections.value("form-wound").toString(), "halving-20");

    // Cleared, the settings' choice judges the point again.
    r = history(rules + formWound + QStringList{QStringLiteral("--clear")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("the default")) << r.out.constData();
    EXPECT_TRUE(run(evaluate).out.contains("base 40 °C"));

    // A rule file chosen on one computer and missing on another corrects
    // nothing there, and evaluate says so once.
    QDir().mkpath(dir_.file(QStringLiteral("config/zentrova/rules")));
    dir_.writeFile(QStringLiteral("config/zentrova/rules/mine.json"),
                   R"({"id": "mine", "kind": "correction", "title": "my rule", "source": "me", "method": "halving",
                       "halvingStep": 10, "baseTemperature": 40})");
    r = history(rules + formWound + QStringList{QStringLiteral("--correction"), QStringLiteral("mine")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    ASSERT_TRUE(QFile::remove(dir_.file(QStringLiteral("config/zentrova/rules/mine.json"))));
    r = run(evaluate);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.err.count("\"mine\" chosen for form-wound is not installed here"), 1) << r.err.constData();
    EXPECT_TRUE(r.out.contains("is not installed here")) << r.out.constData();
    EXPECT_FALSE(r.out.contains("by the halving rule")) << "no other rule stands in: " << r.out.constData();
    // Named everywhere: among the corrections, marked missing, and beside the corrected trend.
    r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--db"), db_, QStringLiteral("--json")});
    const QJsonObject missing =
        QJsonDocument::fromJson(r.out).object().value("corrections").toObject().value("form-wound").toObject();
    EXPECT_EQ(missing.value("id").toString(), "mine") << r.out.left(2000).constData();
    EXPECT_TRUE(missing.value("missing").toBool());
    r = history({QStringLiteral("trend"), QStringLiteral("--site"), QStringLiteral("Vrhovo"), QStringLiteral("--block"),
                 QStringLiteral("2"), QStringLiteral("--element"), QStringLiteral("1")});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("the correction rule set \"mine\" chosen for form-wound is not installed here"))
        << r.err.constData();
    // The settings' own choice, not installed, is named by history rules too.
    dir_.writeFile(QStringLiteral("ZENTRO.INI"), "[EVALUATION]\r\nCorrection_cable=gone\r\n");
    r = history(rules);
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("cable: the correction rule set \"gone\" chosen in the settings is not installed "
                               "here: not corrected\n"))
        << r.out.constData();
}

} // namespace
} // namespace zentrova::test
