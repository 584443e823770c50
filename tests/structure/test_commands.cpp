// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// File commands, the Save As loop and the save question, answered by script.
#include "test_file_support.h"

#include "base/FileHistory.h"
#include "base/FileIO.h"
#include "base/TextRules.h"
#include "structure/FileCommands.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include <unistd.h>

namespace zentrova::test {
namespace {

class CommandsTest : public ::testing::Test {
protected:
    FileFixture f;
    FileCommands commands{f.env};

    // A received structure: unsaved, default name, several rows.
    void receivedStructure()
    {
        AppContext& c = f.ctx();
        c.document.familyCode = 14;
        resetToNewStructure(c.document, c.language, c.defaultNames);
        c.document.structure.table.setCell(3, 1, "501");
        c.document.structure.table.setCell(3, 2, "502");
        c.document.saved = false;
    }
    QString defaultName() { return f.ctx().language.decode(f.ctx().language.texts.defaultFileName); }
    std::string replaceQuestion(const QString& name)
    {
        return f.ctx().language.encode(name) + "\r" + f.ctx().language.texts.text("AlreadyExists_40") + "\r" +
               f.ctx().language.texts.text("ReplaceIt_40");
    }
};

TEST_F(CommandsTest, SaveOnDefaultNameOpensSaveAsAndAddsTheExtension)
{
    receivedStructure();
    f.prompts().expectFile(f.path("site"));
    commands.save();
    EXPECT_EQ(f.ctx().document.fileName, f.path("site.ZIT"));
    EXPECT_TRUE(f.ctx().document.saved);
    EXPECT_EQ(f.prompts().fileRequests.at(0).proposedName, defaultName());
    EXPECT_EQ(f.prompts().fileRequests.at(0).title, f.ctx().language.texts.text("SaveAs_30"));
    EXPECT_EQ(f.prompts().fileRequests.at(0).pattern, QStringLiteral("*.ZIT"));
    EXPECT_EQ(f.prompts().fileRequests.at(0).allFilesName, "All files");
    EXPECT_EQ(fileBytes(f.path("site.ZIT")), composeStructureFile(f.ctx().language, f.ctx().document));

    // Now the structure has a name of its own: Save writes without a question.
    f.ctx().document.structure.table.setCell(4, 1, "changed");
    f.ctx().document.saved = false;
    commands.save();
    EXPECT_TRUE(f.ctx().document.saved);
    EXPECT_NE(fileBytes(f.path("site.ZIT")).find("changed"), std::string::npos);
}

TEST_F(CommandsTest, SaveAndSaveAsDoNothingWithoutAStructure)
{
    f.view.panel = false;
    commands.save();
    commands.saveAs();
    EXPECT_TRUE(f.prompts().fileRequests.empty());
}

TEST_F(CommandsTest, ExtensionRuleLooksAtTheFileNameOnly)
{
    receivedStructure();
    QDir().mkpath(f.path("job.2024"));
    struct Case {
        QString chosen, saved;
    };
    for (const Case& c : {Case{f.path("job.2024/site"), f.path("job.2024/site.ZIT")},
                          Case{f.path("job.2024/site.old"), f.path("job.2024/site.old")}}) {
        f.prompts().expectFile(c.chosen);
        commands.saveAs();
        EXPECT_EQ(f.ctx().document.fileName, c.saved);
        EXPECT_TRUE(QFile::exists(c.saved));
    }
}

TEST_F(CommandsTest, ReplaceQuestionNoReopensTheDialogCancelKeepsTheName)
{
    receivedStructure();
    f.program.dir.writeFile(QStringLiteral("old.ZIT"), "previous");
    f.prompts().expectFile(f.path("old.ZIT"));
    f.prompts().expectMessage(MbNo);
    f.prompts().expectFile(f.path("old.ZIT"));
    f.prompts().expectMessage(MbCancel);
    commands.saveAs();
    EXPECT_EQ(f.prompts().fileRequests.size(), 2u);
    EXPECT_EQ(f.prompts().messages.at(0), replaceQuestion(f.path("old.ZIT")));
    EXPECT_EQ(f.ctx().document.fileName, defaultName());
    EXPECT_EQ(fileBytes(f.path("old.ZIT")), "previous");
    EXPECT_FALSE(f.ctx().document.saved);

    f.prompts().expectFile(f.path("old.ZIT"));
    f.prompts().expectMessage(MbYes);
    commands.saveAs();
    EXPECT_EQ(f.ctx().document.fileName, f.path("old.ZIT"));
    EXPECT_NE(fileBytes(f.path("old.ZIT")), "previous");
}

TEST_F(CommandsTest, ClosingAsksOnlyWhenSomethingWouldBeLost)
{
    // A new structure: one element, one row.
    f.ctx().document.familyCode = 14;
    resetToNewStructure(f.ctx().document, f.ctx().language, f.ctx().defaultNames);
    f.ctx().document.saved = false;
    EXPECT_TRUE(commands.closeRequested());
    EXPECT_TRUE(f.prompts().messages.empty());
}

TEST_F(CommandsTest, ClosingWithUnsavedChanges)
{
    receivedStructure();
    // The question ends in its own "?", with no space before it.
    const std::string question = "Save changes to the structure?";

    f.prompts().expectMessage(MbCancel);
    EXPECT_FALSE(commands.closeRequested());
    EXPECT_FALSE(f.ctx().document.saved);

    f.prompts().expectMessage(MbNo);
    EXPECT_TRUE(commands.closeRequested());
    EXPECT_FALSE(QFile::exists(f.path(defaultName())));

    // Yes on an unnamed structure opens Save As; cancelling it asks again.
    f.prompts().expectMessage(MbYes);
    f.prompts().expectFile(std::nullopt);
    f.prompts().expectMessage(MbYes);
    f.prompts().expectFile(f.path("kept"));
    EXPECT_TRUE(commands.closeRequested());
    EXPECT_TRUE(f.ctx().document.saved);
    EXPECT_TRUE(QFile::exists(f.path("kept.ZIT")));
    ASSERT_GE(f.prompts().messages.size(), 2u);
    EXPECT_EQ(f.prompts().messages.at(0), question);

    // With a name of its own the question names the file and Yes writes at once.
    f.ctx().document.saved = false;
    f.prompts().expectMessage(MbYes);
    EXPECT_TRUE(commands.closeRequested());
    EXPECT_EQ(f.prompts().messages.back(), question + "\r" + f.ctx().language.encode(f.path("kept.ZIT")));
}

TEST_F(CommandsTest, ClosingRecordsTheFirstPagesInTheSettings)
{
    ASSERT_EQ(commands.openCommandLineFile(dataFile("full.ZIT")).outcome, ReadOutcome::Read);
    f.pages.createPage(ReportObject, 2, f.ctx().language.reportLabels)->setEdit(4, "second page's network");
    EXPECT_TRUE(commands.closeRequested());
    EXPECT_TRUE(f.pages.empty());
    const Settings& s = f.ctx().language.settings;
    EXPECT_EQ(s.readSetting("OBJPAGE", "network", "?"), "TS Vrh");
    EXPECT_EQ(s.readSetting("OBJPAGE", "safety", "?"), "Automatic disconnection");
    EXPECT_EQ(s.readSetting("BLOKPAGE", "regulatives", "?"), "EN 61439");
    EXPECT_EQ(s.readSetting("BLOKPAGE", "check", "?"), "11111111111111111000110100101");
    EXPECT_EQ(s.readSetting("STRELAPAGE", "check", "?"), "101000110000001110000001");
}

TEST_F(CommandsTest, OpenAsksFirstThenReadsAndRefillsTheGrid)
{
    receivedStructure();
    f.prompts().expectMessage(MbNo);
    f.prompts().expectFile(dataFile("full.ZIT"));
    EXPECT_EQ(commands.open().outcome, ReadOutcome::Read);
    EXPECT_EQ(f.prompts().fileRequests.at(0).title, f.ctx().language.texts.text("Open_30"));
    EXPECT_TRUE(f.prompts().fileRequests.at(0).mustExist);
    // A structure saved under a name of its own choice must be found again.
    EXPECT_EQ(f.prompts().fileRequests.at(0).allFilesName, "All files");
    EXPECT_EQ(f.ctx().document.fileName, dataFile("full.ZIT"));
    EXPECT_TRUE(f.ctx().document.saved);
    EXPECT_EQ(f.view.resultsViews.back(), 1);
    EXPECT_GE(f.view.fills, 1);
    EXPECT_EQ(f.view.treeReplacements, 1);
    EXPECT_EQ(f.ctx().document.structure.tree.selected->name, "Main");

    // Cancelled dialog and a file that cannot be opened leave everything.
    f.prompts().expectFile(std::nullopt);
    EXPECT_EQ(commands.open().outcome, ReadOutcome::Cancelled);
    f.prompts().expectFile(f.path("missing.ZIT"));
    f.prompts().expectMessage(MbOK);
    EXPECT_EQ(commands.open().outcome, ReadOutcome::CannotOpen);
    EXPECT_EQ(f.prompts().messages.back(),
              f.ctx().language.encode(f.path("missing.ZIT")) + "\r" + f.ctx().language.texts.text("FileNotExist_40"));
    EXPECT_EQ(f.ctx().document.fileName, dataFile("full.ZIT"));
    EXPECT_EQ(f.ctx().document.structure.tree.count(), 5u);
}

// A file opened under a name the family's extension would change is saved
// under that same name: the file of the family's name beside it, an earlier
// inspection perhaps, is neither replaced nor made.
TEST_F(CommandsTest, SaveWritesTheFileThatWasOpened)
{
    const std::string earlier = "an earlier inspection";
    for (const char* name : {"site.2023.zit", "site.zit", "site"}) {
        SCOPED_TRACE(name);
        QTemporaryDir dir;
        const QString opened = dir.filePath(QString::fromLatin1(name));
        const QString familyName = dir.filePath(QStringLiteral("site.ZIT"));
        ASSERT_TRUE(writeFileSafely(opened, dataBytes("full.ZIT")));
        const bool familyFileThere = QString::fromLatin1(name) != QStringLiteral("site.zit");
        if (familyFileThere) {
            ASSERT_TRUE(writeFileSafely(familyName, earlier));
        }
        ASSERT_EQ(commands.openFile(opened).outcome, ReadOutcome::Read);
        EXPECT_EQ(f.ctx().document.fileName, opened);
        EXPECT_EQ(recentFiles(f.ctx().language.settings).front(), opened);

        f.ctx().document.structure.table.setCell(4, 1, "changed");
        f.ctx().document.saved = false;
        commands.save();
        EXPECT_TRUE(f.ctx().document.saved);
        EXPECT_NE(fileBytes(opened).find("changed"), std::string::npos);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), familyFileThere ? 2 : 1);
        if (familyFileThere) {
            EXPECT_EQ(fileBytes(familyName), earlier);
        }
        // Save As offers the file's own name; the replace question guards any other.
        f.prompts().expectFile(std::nullopt);
        commands.saveAs();
        EXPECT_EQ(f.prompts().fileRequests.back().proposedName, opened);
    }
}

TEST_F(CommandsTest, FileOfAnotherFamilyHidesTheStructure)
{
    EXPECT_EQ(commands.openCommandLineFile(dataFile("other_family.ZIT")).outcome, ReadOutcome::FamilyNotServed);
    EXPECT_FALSE(f.view.panel);
    commands.save(); // nothing to save: no dialog
}

TEST_F(CommandsTest, DamagedFileShowsItsMessage)
{
    f.prompts().expectMessage(MbOK);
    EXPECT_EQ(commands.openCommandLineFile(dataFile("damaged_page.ZIT")).outcome, ReadOutcome::Damaged);
    EXPECT_NE(f.prompts().messages.at(0).find("X1"), std::string::npos);
    EXPECT_TRUE(f.view.panel);
    EXPECT_FALSE(f.progress.visible);

    // The partial structure is not the file: Save asks for a name instead of
    // overwriting the original.
    EXPECT_EQ(f.ctx().document.fileName, f.ctx().language.decode(f.ctx().language.texts.defaultFileName));
    f.prompts().expectFile(std::nullopt);
    commands.save();
}

// A complete file whose seal does not match keeps its name; the results go.
TEST_F(CommandsTest, OpeningSaysWhatTheFileLost)
{
    f.prompts().expectMessage(MbOK);
    EXPECT_EQ(commands.openCommandLineFile(dataFile("changed_serial.ZIT")).outcome, ReadOutcome::Read);
    ASSERT_EQ(f.prompts().messages.size(), 1u);
    EXPECT_EQ(f.prompts().messages[0], f.ctx().language.encode(dataFile("changed_serial.ZIT")) + "\r" +
                                           f.ctx().language.texts.text("ResultsDiscarded_50"));
    EXPECT_EQ(f.ctx().document.fileName, dataFile("changed_serial.ZIT"));
}

// A file cut short shows what was read, says so, and is not the file Save
// writes to: the cut-off file must not be replaced by the part of it.
TEST_F(CommandsTest, IncompleteFileIsKeptUnderTheDefaultName)
{
    const std::string cut = dataBytes("full.ZIT").substr(0, 3000);
    f.program.dir.writeFile(QStringLiteral("cut.ZIT"), cut);
    f.prompts().expectMessage(MbOK);
    const ReadResult r = commands.openCommandLineFile(f.path("cut.ZIT"));
    EXPECT_EQ(r.outcome, ReadOutcome::Read);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(f.ctx().document.fileName, defaultName());
    ASSERT_EQ(f.prompts().messages.size(), 1u);
    const std::string& m = f.prompts().messages[0];
    EXPECT_EQ(m.rfind(f.ctx().language.encode(f.path("cut.ZIT")) + "\r" +
                          f.ctx().language.texts.text("FileIncomplete_50") + "\r",
                      0),
              0u)
        << m;
    const std::string kept = "Elements kept: " + std::to_string(f.ctx().document.structure.tree.count()) +
                             "\rResults kept: " + std::to_string(f.ctx().document.structure.table.rowCount() - 1) +
                             "\r";
    EXPECT_NE(m.find(kept), std::string::npos) << m;
    EXPECT_TRUE(recentFiles(f.ctx().language.settings).isEmpty());

    f.ctx().document.saved = false;
    f.prompts().expectFile(std::nullopt);
    commands.save();
    EXPECT_EQ(f.prompts().fileRequests.size(), 1u);
    EXPECT_EQ(fileBytes(f.path("cut.ZIT")), cut);
}

// A file cut inside its result table counts the results it holds, not the
// rows the table announced, and says when the last of them was broken off.
TEST_F(CommandsTest, FileCutInsideTheTableCountsTheResultsRead)
{
    std::vector<std::string> lines;
    const std::string full = dataBytes("full.ZIT");
    for (size_t start = 0; start < full.size();) {
        const size_t end = full.find('\n', start);
        lines.push_back(full.substr(start, end + 1 - start));
        start = end + 1;
    }
    // The table announces 3 results of 10 cells; its first cell is line 283.
    const auto through = [&](size_t lastLine) {
        std::string bytes;
        for (size_t i = 0; i < lastLine; ++i)
            bytes += lines[i];
        return bytes;
    };
    const struct {
        const char* what;
        std::string bytes;
        int results;
        bool cut;
    } cases[] = {
        {"after the first result", through(302), 1, false},
        {"after three cells of the second", through(305), 2, true},
        {"inside the last line of the third", through(321) + "9", 3, true},
        {"after the table", through(322), 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        f.program.dir.writeFile(QStringLiteral("cut.ZIT"), c.bytes);
        f.prompts().expectMessage(MbOK);
        f.prompts().messages.clear();
        commands.openCommandLineFile(f.path("cut.ZIT"));
        EXPECT_EQ(f.ctx().document.structure.table.rowCount(), c.results + 1);
        ASSERT_EQ(f.prompts().messages.size(), 1u);
        const std::string& m = f.prompts().messages[0];
        EXPECT_NE(m.find("\rResults kept: " + std::to_string(c.results) + "\r"), std::string::npos) << m;
        EXPECT_EQ(m.find(f.ctx().language.texts.text("LastResultCut_50")) != std::string::npos, c.cut) << m;
    }
    // What the broken result holds is kept.
    EXPECT_EQ(f.ctx().document.structure.table.cell(9, 3), "9");
}

// Random bytes, an empty file and huge files (sparse: nothing of them is on
// the disk) are refused by name, the huge ones before they are read; the
// structure shown before, its name and its unsaved state stay as they were.
TEST_F(CommandsTest, FileThatIsNoStructureFileIsRefused)
{
    ASSERT_EQ(commands.openCommandLineFile(dataFile("full.ZIT")).outcome, ReadOutcome::Read);
    f.ctx().document.saved = false;
    f.program.dir.writeFile(QStringLiteral("noise.ZIT"), std::string("\x8f\x01*** KONEC\r\n\xff\xfe", 15));
    f.program.dir.writeFile(QStringLiteral("empty.ZIT"), "");
    f.program.dir.writeFile(QStringLiteral("zeros.ZIT"), "");
    f.program.dir.writeFile(QStringLiteral("huge.ZIT"), "*** INSTAL STRUCTURE v11\r\n14\r\n");
    ASSERT_EQ(::truncate(QFile::encodeName(f.path("zeros.ZIT")).constData(), qint64(50) << 30), 0);
    ASSERT_EQ(::truncate(QFile::encodeName(f.path("huge.ZIT")).constData(), structure_file::MaxFileSize + 1), 0);
    struct Case {
        const char* name;
        ReadOutcome outcome;
        const char* message;
    };
    for (const Case& c : {Case{"noise.ZIT", ReadOutcome::NotStructure, "This file is not a structure file."},
                          Case{"empty.ZIT", ReadOutcome::NotStructure, "This file is not a structure file."},
                          Case{"zeros.ZIT", ReadOutcome::NotStructure, "This file is not a structure file."},
                          Case{"huge.ZIT", ReadOutcome::CannotOpen,
                               "This file is larger than any structure file, so it is not opened."}}) {
        SCOPED_TRACE(c.name);
        const QString path = f.path(QString::fromLatin1(c.name));
        f.prompts().messages.clear();
        f.prompts().expectMessage(MbOK);
        EXPECT_EQ(commands.openCommandLineFile(path).outcome, c.outcome);
        ASSERT_EQ(f.prompts().messages.size(), 1u);
        EXPECT_EQ(f.prompts().messages[0], f.ctx().language.encode(path) + "\r" + c.message);

        // The menu's way: the save question (declined), the dialog, the same refusal.
        f.prompts().expectMessage(MbNo);
        f.prompts().expectFile(path);
        f.prompts().expectMessage(MbOK);
        EXPECT_EQ(commands.open().outcome, c.outcome);

        EXPECT_EQ(f.ctx().document.fileName, dataFile("full.ZIT"));
        EXPECT_EQ(f.ctx().document.structure.tree.count(), 5u);
        EXPECT_FALSE(f.ctx().document.saved);
    }
    EXPECT_EQ(fileBytes(f.path("empty.ZIT")), "");
    EXPECT_EQ(recentFiles(f.ctx().language.settings), QStringList{dataFile("full.ZIT")});
}

TEST_F(CommandsTest, RecentFilesHoldTheLatestSixFilesReadOrWritten)
{
    const std::string bytes = dataBytes("full.ZIT");
    QStringList paths;
    for (int i = 1; i <= 7; ++i) {
        paths << f.path(QStringLiteral("site%1.ZIT").arg(i));
        f.program.dir.writeFile(QStringLiteral("site%1.ZIT").arg(i), bytes);
        ASSERT_EQ(commands.openCommandLineFile(paths.back()).outcome, ReadOutcome::Read);
    }
    // Reopening one moves it up instead of listing it twice.
    ASSERT_EQ(commands.openRecent(paths[3]).outcome, ReadOutcome::Read);
    EXPECT_EQ(recentFiles(f.ctx().language.settings),
              (QStringList{paths[3], paths[6], paths[5], paths[4], paths[2], paths[1]}));

    // Save As puts the new name first.
    f.prompts().expectFile(f.path("copy"));
    commands.saveAs();
    EXPECT_EQ(recentFiles(f.ctx().language.settings).front(), f.path("copy.ZIT"));
    EXPECT_EQ(recentFiles(f.ctx().language.settings).size(), 6);

    // A file that is gone: a message naming it, no save question, out of the list.
    f.ctx().document.saved = false;
    QFile::remove(paths[6]);
    f.prompts().expectMessage(MbOK);
    EXPECT_EQ(commands.openRecent(paths[6]).outcome, ReadOutcome::CannotOpen);
    ASSERT_EQ(f.prompts().messages.size(), 1u);
    EXPECT_EQ(f.prompts().messages[0],
              f.ctx().language.encode(paths[6]) + "\r" + f.ctx().language.texts.text("FileNotExist_40"));
    EXPECT_EQ(recentFiles(f.ctx().language.settings),
              (QStringList{f.path("copy.ZIT"), paths[3], paths[5], paths[4], paths[2]}));
    EXPECT_EQ(f.ctx().document.fileName, f.path("copy.ZIT"));
}

TEST_F(CommandsTest, NewStructureAsksAndResets)
{
    receivedStructure();
    f.prompts().expectMessage(MbCancel);
    EXPECT_FALSE(commands.newStructure());
    EXPECT_EQ(f.ctx().document.structure.table.rowCount(), 3);
    f.prompts().expectMessage(MbNo);
    EXPECT_TRUE(commands.newStructure());
    EXPECT_EQ(f.ctx().document.structure.table.rowCount(), 1);
    EXPECT_EQ(f.ctx().document.structure.tree.count(), 1u);
    EXPECT_TRUE(f.ctx().document.saved);
    EXPECT_EQ(f.view.resultsViews.back(), 0);
}

// Rows of block 1 (Main) and block 2, not sorted: every row is examined.
TEST_F(CommandsTest, RenamePropagatesToLineTwoOfTheRowsOnly)
{
    ASSERT_EQ(commands.openCommandLineFile(dataFile("full.ZIT")).outcome, ReadOutcome::Read);
    ResultTable& t = f.ctx().document.structure.table;
    const int late = t.appendRow();
    t.setCell(1, late, "1\r1\r9");
    t.setCell(2, late, "only one line");
    ElementNode& main = *f.ctx().document.structure.tree.roots()[0];
    f.view.fills = 0;
    commands.renameElement(main, "Board 2");
    EXPECT_EQ(main.name, "Board 2");
    EXPECT_FALSE(f.ctx().document.saved);
    EXPECT_EQ(f.view.fills, 1);
    EXPECT_EQ(cellOf(f.ctx(), 2, 1), "House 12\rBoard 2\rOutlet 1\r13,0");
    // The element name "Outlet<CR>2" fills lines 3 and 4 here: four lines come back.
    EXPECT_EQ(cellOf(f.ctx(), 2, 2), "House 12\rBoard 2\rOutlet\r2");
    EXPECT_EQ(cellOf(f.ctx(), 2, 3), "House 12\rGarage\rDoor\r13,0");
    EXPECT_EQ(cellOf(f.ctx(), 2, late), "only one line\rBoard 2\r\r");

    ElementNode& door = *f.ctx().document.structure.tree.roots()[1]->children()[0];
    EXPECT_EQ(propagateRename(f.ctx(), door, "Gate"), 1);
    EXPECT_EQ(cellOf(f.ctx(), 2, 3), "House 12\rGarage\rGate\r13,0");

    ElementNode* lonely = addElementNode(f.ctx().document, nullptr);
    lonely->info.number = 40;
    EXPECT_EQ(propagateRename(f.ctx(), *lonely, "Nothing"), 0);
}

// ------------------------------------------------------- a save that fails

// Saves over `target`, which holds `previous`, while writing fails.
void expectFailedSaveKeepsTheFile(FileFixture& f, FileCommands& commands, const QString& target,
                                  const std::string& previous)
{
    f.prompts().expectMessage(MbOK); // the system's message
    f.ctx().document.fileName = target;
    f.ctx().document.saved = false;
    commands.save();
    EXPECT_EQ(fileBytes(target), previous);
    EXPECT_FALSE(f.ctx().document.saved);
    EXPECT_FALSE(f.progress.visible);
    ASSERT_FALSE(f.prompts().messages.empty());
    EXPECT_NE(f.prompts().messages.back().find(f.ctx().language.encode(target)), std::string::npos);
}

// A structure big enough to fill a small device.
void bigStructure(AppContext& c)
{
    c.document.familyCode = 14;
    resetToNewStructure(c.document, c.language, c.defaultNames);
    for (int r = 1; r <= 3000; ++r) {
        c.document.structure.table.setCell(1, r, "1\r1\r" + std::to_string(r));
        c.document.structure.table.setCell(4, r, std::string(60, 'v'));
    }
}

// A small structure onto a disk full to its last block (the file is smaller
// than any write buffer), and a big one onto a disk that fills up half-way.
TEST_F(CommandsTest, SaveOntoAFullDiskKeepsThePreviousFile)
{
    const std::string previous = dataBytes("full.ZIT");
    for (const bool big : {false, true}) {
        SCOPED_TRACE(big ? "fills half-way" : "full to the last block");
        FullDisk disk(big ? 16 * 1024 : 0);
        const QString target = disk.file(QStringLiteral("site.ZIT"));
        ASSERT_TRUE(writeFileSafely(target, previous));
        disk.engage();
        if (big)
            bigStructure(f.ctx());
        else
            receivedStructure();
        expectFailedSaveKeepsTheFile(f, commands, target, previous);
        EXPECT_EQ(disk.names(), QStringList{QStringLiteral("site.ZIT")});
    }
}

TEST_F(CommandsTest, FailedSaveAsKeepsTheStructuresOwnName)
{
    receivedStructure();
    f.prompts().expectFile(f.path("no-such-folder/site.ZIT"));
    f.prompts().expectMessage(MbOK);
    commands.saveAs();
    EXPECT_EQ(f.ctx().document.fileName, defaultName());
    EXPECT_FALSE(f.ctx().document.saved);
}

} // namespace
} // namespace zentrova::test
