// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// What zentrova-cli writes: never over a file the command reads, and with no
// control character of a name or a rule set's title reaching the terminal.
#include "base/FileIO.h"
#include "base/Progress.h"
#include "comm/Receive.h"
#include "history/HistorySettings.h"
#include "history/PointJudgement.h"
#include "structure/StructureContext.h"
#include "structure/StructureFile.h"
#include "structure/ValuesCsv.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <unistd.h>

namespace zentrova::test {
namespace {

struct CliRun {
    int code = -1;
    QByteArray out, err;
};

// The names of the files in a folder with their bytes.
std::map<QString, QByteArray> folderOf(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(folder + u'/' + name);
        files[name] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
    }
    return files;
}

class CliOutputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        exe_ = dir_.file(QStringLiteral("zentrova-cli"));
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/zentrova-cli"), exe_));
        ASSERT_TRUE(QDir().mkpath(dir_.file(QStringLiteral("config/zentrova"))));
    }

    CliRun run(const QStringList& args)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.file(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir_.file(QStringLiteral("data")));
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        p.setProcessEnvironment(env);
        p.start(exe_, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
                p.readAllStandardError()};
    }

    ProgramDir dir_;
    QString exe_;
    const QString inspection_ = QStringLiteral(ZENTROVA_DATA_DIR "/history/vrhovo-2023.zit");
};

// The archive --db names, the one the settings name and the default one are
// refused as the output of every command that reads them, with the files
// SQLite keeps beside them (there or not yet), and through either kind of
// link; the archive and its folder stay as they were.
TEST_F(CliOutputs, NoWriterWritesOverTheArchiveItReads)
{
    const QString named = dir_.file(QStringLiteral("named/history.sqlite"));
    const QString configured = dir_.file(QStringLiteral("configured/history.sqlite"));
    const QString standard = dir_.file(QStringLiteral("data/zentrova/history.sqlite"));
    for (const QString& db : {named, configured, standard}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(db).absolutePath()));
        const CliRun r =
            run({QStringLiteral("history"), QStringLiteral("add"), inspection_, QStringLiteral("--db"), db});
        ASSERT_EQ(r.code, 0) << r.err.constData();
    }
    const QString links = dir_.file(QStringLiteral("links/"));
    ASSERT_TRUE(QDir().mkpath(links));
    struct Archive {
        QString db;
        bool viaDb; // else the one the settings name, or the default
    };
    for (const Archive& a : {Archive{named, true}, Archive{configured, false}, Archive{standard, false}}) {
        SCOPED_TRACE(a.db.toStdString());
        dir_.writeFile(QStringLiteral("config/zentrova/ZENTRO.INI"),
                       a.db == configured ? "[HISTORY]\r\nDatabase=" + configured.toStdString() + "\r\n" : "");
        const QString folder = QFileInfo(a.db).absolutePath();
        const std::map<QString, QByteArray> before = folderOf(folder);
        // A symbolic link to the archive, a hard link, and a link to a side
        // file that is not there yet.
        for (const QString& name : {QStringLiteral("symbolic"), QStringLiteral("hard"), QStringLiteral("to-wal")})
            QFile::remove(links + name);
        ASSERT_EQ(::symlink(QFile::encodeName(a.db).constData(), QFile::encodeName(links + "symbolic").constData()), 0);
        ASSERT_EQ(::link(QFile::encodeName(a.db).constData(), QFile::encodeName(links + "hard").constData()), 0);
        ASSERT_EQ(
            ::symlink(QFile::encodeName(a.db + "-wal").constData(), QFile::encodeName(links + "to-wal").constData()),
            0);
        const QStringList db = a.viaDb ? QStringList{QStringLiteral("--db"), a.db} : QStringList();
        for (const QString& out : {a.db, a.db + "-wal", a.db + "-shm", a.db + "-journal",
                                   folder + QStringLiteral("/../") + QFileInfo(folder).fileName() + "/history.sqlite",
                                   links + "symbolic", links + "hard", links + "to-wal"}) {
            for (const QStringList& args :
                 {QStringList{QStringLiteral("evaluate"), inspection_, QStringLiteral("--csv"), out} + db,
                  QStringList{QStringLiteral("compare"), inspection_, inspection_, QStringLiteral("--csv"), out} + db,
                  QStringList{QStringLiteral("export"), inspection_, QStringLiteral("--format"), QStringLiteral("csv"),
                              QStringLiteral("-o"), out}}) {
                if (a.viaDb && args[0] == QLatin1String("export"))
                    continue; // export reads the archive the settings name
                SCOPED_TRACE(args.join(u' ').toStdString());
                const CliRun r = run(args);
                EXPECT_EQ(r.code, 1);
                EXPECT_TRUE(r.err.contains("names the history archive's file")) << r.err.constData();
                EXPECT_EQ(folderOf(folder), before);
            }
        }
    }
    // Elsewhere they write.
    const QString elsewhere = dir_.file(QStringLiteral("verdicts.csv"));
    const CliRun r = run({QStringLiteral("evaluate"), inspection_, QStringLiteral("--csv"), elsewhere});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_TRUE(QFileInfo::exists(elsewhere));
}

// File > Export CSV refuses the archive its judging was read from, after
// the question whether to replace it, with a message; the archive stays.
TEST(ValuesCsvExport, RefusesTheArchiveItJudgesBy)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    const QString db = p.dir.file(QStringLiteral("history.sqlite"));
    p.dir.writeFile(QStringLiteral("history.sqlite"), "archive");
    saveHistorySettings(c.language.settings, HistorySettings{db, false});
    const CsvJudging judging = archiveCsvJudging(c);
    for (const QString& chosen : {db, db + QStringLiteral("-journal")}) {
        p.prompts.expectFile(chosen);
        if (QFileInfo::exists(chosen))
            p.prompts.expectMessage(MbYes); // replace it
        p.prompts.expectMessage(MbOK);
        EXPECT_FALSE(runValuesCsvExport(c, &judging));
        ASSERT_FALSE(p.prompts.messages.empty());
        EXPECT_NE(p.prompts.messages.back().find(c.language.texts.text("HistoryArchiveNoOutput_60")), std::string::npos)
            << p.prompts.messages.back();
        EXPECT_EQ(p.dir.readFile(QStringLiteral("history.sqlite")), "archive");
        EXPECT_FALSE(QFileInfo::exists(db + QStringLiteral("-journal")));
    }
}

// A structure file whose block and element names hold escape sequences.
void writeFileWithNames(const QString& path, const std::string& block, const std::string& element)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.familyCode = 14;
    applyFamilyProfile(c);
    ResultTable& t = c.document.structure.table;
    t.setCell(1, 0, "TIVE5kV\rHW 1.02\rFW 3.10\r12345678\r\r\r\r");
    const int r = t.appendRow();
    t.setCell(1, r, "1\r1\r1");
    t.setCell(2, r, "001\r" + block + "\r" + element + "\r6,13");
    t.setCell(3, r, "501\rDiagnostic test (DAR, PI)");
    t.setCell(4, r, "5015082\r5075003.0");
    t.setCell(7, r, "12.03.2024");
    t.setCell(8, r, "10:15");
    NullProgress progress;
    buildTreeFromResults(c, progress);
    ASSERT_TRUE(writeFileSafely(path, composeStructureFile(c.language, c.document), nullptr));
}

// Names from the files and rule set titles from the user's own rule files
// reach the terminal with their control characters as spaces.
TEST_F(CliOutputs, NamesAndRuleTitlesReachTheTerminalWithoutControlCharacters)
{
    const QString file = dir_.file(QStringLiteral("escapes.ZIT"));
    writeFileWithNames(file, "Hall \x1b]0;owned\x07", "Motor \x1b[2J");
    ASSERT_TRUE(QDir().mkpath(dir_.file(QStringLiteral("config/zentrova/rules"))));
    dir_.writeFile(QStringLiteral("config/zentrova/rules/pi-dar-advice.json"),
                   "{\"id\": \"pi-dar-advice\", \"kind\": \"rating-advice\", "
                   "\"title\": \"bands \\u001b[31m\\u009b1m\\u0007\", \"source\": \"mine\"}");
    for (const QStringList& args :
         {QStringList{QStringLiteral("compare"), file, file}, QStringList{QStringLiteral("evaluate"), file},
          QStringList{QStringLiteral("evaluate"), dir_.file(QStringLiteral("\x1b[2J.ZIT"))}}) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const CliRun r = run(args);
        EXPECT_TRUE(r.out.contains("Motor  [2J") || r.err.contains(" [2J")) << r.out.constData() << r.err.constData();
        for (const QByteArray& output : {r.out, r.err})
            EXPECT_FALSE(output.contains('\x1b') || output.contains('\x07') || output.contains("\xc2\x9b"))
                << output.constData();
    }
    EXPECT_TRUE(run({QStringLiteral("evaluate"), file}).out.contains("Advice, bands  [31m 1m ")) << "title shown";
}

} // namespace
} // namespace zentrova::test
