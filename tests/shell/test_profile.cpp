// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Family profile, file-name rules, settings and the printout-heading store.
#include "base/IniFile.h"
#include "base/ProgramPaths.h"
#include "base/Settings.h"
#include "base/TextRules.h"
#include "language/Profile.h"
#include "report/Compose.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace zentrova;
using namespace zentrova::test;

namespace {

class AnyFamily : public ::testing::TestWithParam<int> {};

TEST_P(AnyFamily, GetsTheFamily14Profile)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.familyCode = uint8_t(GetParam());
    applyFamilyProfile(c);
    EXPECT_EQ(c.document.familyCode, GetParam()) << "the profile never changes the reported code";
    EXPECT_EQ(c.language.profileFamily, 14);
    EXPECT_EQ(c.language.profile.topLevelSelector, 12);
    EXPECT_EQ(c.language.profile.resultColumnCount, 6);
    EXPECT_EQ(c.language.profile.resultColumnMap, (std::array<int, 7>{0, 1, 2, 3, 4, 255, 5}));
    EXPECT_EQ(c.language.profile.positionDepth, 1);
    EXPECT_TRUE(c.language.profile.treeLabelEditing);
    EXPECT_EQ(c.language.profile.defaultBaudIndex, 3);
    EXPECT_EQ(c.language.profile.aboutVersion, c.language.texts.text("Version_20") + " 4.02");
    EXPECT_EQ(c.language.texts.extension, "ZIT");
}

INSTANTIATE_TEST_SUITE_P(Codes, AnyFamily, ::testing::Values(0, 4, 14, 19, 200));

TEST(FunctionTextBase, IndexedByTheRawCode)
{
    const std::pair<int, int> table[] = {{0, 0},    {5, 0},  {6, 300}, {9, 300}, {10, 400}, {13, 400},
                                         {14, 500}, {15, 0}, {22, 0},  {23, 0},  {200, 0},  {255, 0}};
    for (auto [code, base] : table)
        EXPECT_EQ(functionTextBase(uint8_t(code)), base) << code;
}

TEST(Profile, MaskAndDefaultName)
{
    LoadedProgram p;
    EXPECT_EQ(p.ctx->language.structureFileMask, "*.ZIT");
    EXPECT_EQ(p.ctx->language.texts.defaultFileName, "Noname.ZIT");
}

TEST(Profile, CurrentFileKeepsItsNameTheDefaultFollowsTheFamily)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    // Save writes to the structure's own name: another extension there would
    // make Save write over a different file.
    c.document.fileName = QStringLiteral("/home/ana/site.v2/x.old");
    applyFamilyProfile(c);
    EXPECT_EQ(c.document.fileName, QStringLiteral("/home/ana/site.v2/x.old"));

    c.document.fileName = c.language.decode(c.language.texts.defaultFileName);
    applyFamilyProfile(c);
    EXPECT_EQ(c.document.fileName, QStringLiteral("Noname.ZIT"));

    c.document.fileName = QStringLiteral("/data.d/plain");
    applyFamilyProfile(c);
    EXPECT_EQ(c.document.fileName, QStringLiteral("/data.d/plain"));
}

TEST(FileNameRules, ExtensionOfTheFileNamePartOnly)
{
    const std::pair<const char*, const char*> cases[] = {
        {"x.old", "x.ZIT"},
        {"/a.b/c.d/x.old", "/a.b/c.d/x.ZIT"},
        {"/a.b/x", "/a.b/x"},
        {"C:\\a.b\\x.y.z", "C:\\a.b\\x.ZIT"},
        {"", ""},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(replaceFileExtension(QString::fromLatin1(in), QStringLiteral("ZIT")), QString::fromLatin1(out)) << in;
}

TEST(FileNameRules, HelpFileKeepsTheCaseOfItsPath)
{
    EXPECT_EQ(helpFileRule(QStringLiteral("/opt/Zentrova/"), QStringLiteral("help/en/index.html")),
              QStringLiteral("/opt/Zentrova/help/en/index.html"));
    EXPECT_EQ(helpFileRule(QStringLiteral("/opt/Zentrova/"), QStringLiteral("Mini.hlp")),
              QStringLiteral("/opt/Zentrova/Mini.CHM"));
    EXPECT_EQ(helpFileRule(QStringLiteral("/x.HLPdir/"), QStringLiteral("a.html")), QStringLiteral("/x.HLPdir/a.html"));
}

TEST(TextRules, DigitsValueAndNthLine)
{
    EXPECT_EQ(digitsValue("B12a3"), 123);
    EXPECT_EQ(digitsValue("x3y"), 3);
    EXPECT_EQ(digitsValue(""), 0);
    EXPECT_EQ(digitsValue("no digits"), 0);
    EXPECT_GT(digitsValue(std::string(40, '9')), 0) << "a long digit run must not overflow";
    EXPECT_EQ(nthLine("a\rb\rc", 2), "b");
    EXPECT_EQ(nthLine("a\rb\rc", 3), "c");
    EXPECT_EQ(nthLine("a\rb", 3), "");
    EXPECT_EQ(nthLine("a\r", 2), "");
    EXPECT_EQ(nthLine("", 1), "");
    EXPECT_EQ(nthLine("abc", 0), "");
}

TEST(Settings, FirstStartWithoutAFile)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    EXPECT_FALSE(QFile::exists(c.language.programDir + "ZENTRO.INI"));
    EXPECT_EQ(c.language.languageFiles.selectedIndex(), 0);
    EXPECT_EQ(c.language.settings.readSetting("SETUP", "COM", "-1"), "-1");
    MarginTexts margins;
    margins.load(c.language.settings);
    EXPECT_EQ(margins.text[MarginTexts::Left], "2.54");
    EXPECT_EQ(margins.text[MarginTexts::Bottom], "2.54");
    EXPECT_EQ(c.document.comments.checks, "101");
    EXPECT_TRUE(c.document.comments.commentsEnabled());
    EXPECT_TRUE(c.document.comments.pageNumbering());
    EXPECT_EQ(c.defaultNames.names[DefaultNames::Object], c.language.texts.text("Object_20"));
    EXPECT_EQ(c.defaultNames.names[DefaultNames::Earthing], c.language.texts.text("OZEMLJITEV_20"));
}

TEST(Settings, WriteCreatesAndKeepsOtherKeys)
{
    ProgramDir dir;
    Settings s((dir.path() + "ZENTRO.INI").toStdString());
    dir.writeFile("ZENTRO.INI", "; mine\r\n[SETUP]\r\nCOM=3\r\nUnknown=keep\r\n");
    s.writeSetting("setup", "baud", "2");
    EXPECT_EQ(s.readSetting("SETUP", "BAUD", ""), "2");
    EXPECT_EQ(s.readSetting("SETUP", "com", ""), "3");
    EXPECT_EQ(s.readSetting("SETUP", "Unknown", ""), "keep");
    EXPECT_EQ(s.readSetting("NOPE", "x", "def"), "def");
}

// A value written keeps the file as the user wrote it: the one line changes
// or is added, in the file's own line ends and spacing.
TEST(Settings, WritingKeepsTheFilesForm)
{
    ProgramDir dir;
    Settings s((dir.path() + "ZENTRO.INI").toStdString());
    const std::string head = "; written by hand\r\n[SETUP]\r\nCOM=3\r\n", tail = "\r\n[MARGINS]\r\nMarginTop=2\r\n";
    dir.writeFile("ZENTRO.INI", head + "BAUD=1\r\n" + tail);
    s.writeSetting("setup", "baud", "4");
    EXPECT_EQ(dir.readFile("ZENTRO.INI"), head + "BAUD=4\r\n" + tail);
    s.writeSetting("SETUP", "Language", "2");
    EXPECT_EQ(dir.readFile("ZENTRO.INI"), head + "BAUD=4\r\nLanguage=2\r\n" + tail);
    EXPECT_EQ(s.readSetting("SETUP", "LANGUAGE", ""), "2");

    // A new file is written as before.
    Settings fresh((dir.path() + "NEW.INI").toStdString());
    fresh.writeSetting("SETUP", "COM", "1");
    EXPECT_EQ(dir.readFile("NEW.INI"), "[SETUP]\nCOM = 1\n");
}

TEST(Settings, OneLineChangesOrIsAdded)
{
    struct Case {
        const char* name;
        std::string before, section, key, value, after;
    };
    const Case cases[] = {
        {"spaced LF file", "[A]\nx = 1\n", "A", "x", "22", "[A]\nx = 22\n"},
        {"blanks around the value", "[A]\n  x =\t1  \n", "A", "x", "2", "[A]\n  x =\t2  \n"},
        {"empty value", "[A]\r\nx=\r\n", "A", "x", "5", "[A]\r\nx=5\r\n"},
        {"same key in another section", "[B]\r\nx=1\r\n[A]\r\ny=2\r\n", "a", "X", "3",
         "[B]\r\nx=1\r\n[A]\r\ny=2\r\nX=3\r\n"},
        {"key given twice: the last is read", "[A]\nx=1\nx=2\n", "A", "x", "3", "[A]\nx=1\nx=3\n"},
        {"comment and blank line after the section's keys", "[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\n", "A", "y", "2",
         "[A]\r\nx=1\r\ny=2\r\n; note\r\n\r\n[B]\r\n"},
        {"section without keys", "[A]\r\n[B]\r\nk = v\r\n", "A", "x", "1", "[A]\r\nx = 1\r\n[B]\r\nk = v\r\n"},
        {"last line without line end", "[A]\r\nx=1", "A", "y", "2", "[A]\r\nx=1\r\ny=2"},
        {"new section after sections without blank lines", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n", "C", "z", "3",
         "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n"},
        {"new section after one section", "[A]\r\nx=1", "C", "z", "3", "[A]\r\nx=1\r\n\r\n[C]\r\nz=3\r\n"},
        {"a commented key is no key", "[A]\n;x=1\n", "A", "x", "2", "[A]\nx = 2\n;x=1\n"},
        {"a NUL hides nothing after it", std::string("[A]\nx=1\n\0[B]\n", 13), "B", "y", "2",
         std::string("[A]\nx=1\n\0[B]\ny=2\n", 17)},
        {"a [ line without ] hides nothing after it", "[A]\nx=1\n[\n[B]\ny=1\n", "B", "y", "2",
         "[A]\nx=1\n[\n[B]\ny=2\n"},
        {"a new section after a [ line", "[A]\nx=1\n[ broken", "H", "Database", "d",
         "[A]\nx=1\n[ broken\n\n[H]\nDatabase=d\n"},
        {"empty file", "", "S", "k", "v", "[S]\nk = v\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string after = withIniValue(c.before, c.section, c.key, c.value);
        EXPECT_EQ(after, c.after);
        CSimpleIniA ini(false, false, false);
        const std::string parsed = iniTextToParse(after);
        ASSERT_GE(ini.LoadData(parsed.data(), parsed.size()), 0);
        EXPECT_STREQ(ini.GetValue(c.section.c_str(), c.key.c_str(), "(missing)"), c.value.c_str());
    }
}

// What the program writes reads back, whatever damage the file had before;
// what it cannot keep on one line it refuses and says so.
TEST(Settings, DamagedLinesHideNothingAndValuesThatCannotBeKeptAreTold)
{
    using namespace std::string_literals;
    ProgramDir dir;
    Settings s((dir.path() + "ZENTRO.INI").toStdString());
    QStringList told;
    s.setWriteFailureHandler([&](const QString& problem) { told << problem; });
    const std::string damaged[] = {
        "[SETUP]\r\nCOM=2\r\n[\r\n",
        "[SETUP]\r\nCOM=2\r\n[OPERATOR\r\nOP1=x\r\n",
        "[SETUP]\r\nCOM=2\0\r\n"s,
        "\0[SETUP]\r\nCOM=2\r\n"s,
    };
    for (const std::string& before : damaged) {
        SCOPED_TRACE(before);
        dir.writeFile("ZENTRO.INI", before);
        EXPECT_EQ(s.readSetting("SETUP", "COM", "-1"), "2");
        EXPECT_TRUE(s.writeSetting("HISTORY", "Database", "/srv/archive.sqlite"));
        EXPECT_EQ(s.readSetting("HISTORY", "Database", ""), "/srv/archive.sqlite");
        EXPECT_EQ(dir.readFile("ZENTRO.INI").substr(0, before.size()), before) << "the rest stays as it was";
        EXPECT_TRUE(s.writeSetting("SETUP", "BAUD", "3"));
        EXPECT_EQ(s.readSetting("SETUP", "BAUD", ""), "3");
        EXPECT_EQ(s.readSetting("SETUP", "COM", "-1"), "2");
    }
    EXPECT_TRUE(told.isEmpty());

    dir.writeFile("ZENTRO.INI", "[OPERATOR]\r\nOP1=old\r\n");
    for (const std::string& value : {std::string("two\rlines"), std::string("two\nlines"), std::string("nul\0", 4)}) {
        EXPECT_FALSE(s.writeSetting("OPERATOR", "OP1", value));
        EXPECT_EQ(s.readSetting("OPERATOR", "OP1", ""), "old");
    }
    EXPECT_EQ(dir.readFile("ZENTRO.INI"), "[OPERATOR]\r\nOP1=old\r\n");
    ASSERT_EQ(told.size(), 3) << "each value refused is told";
    EXPECT_TRUE(told[0].endsWith(QStringLiteral("[OPERATOR] OP1: a value with a line break cannot be kept")))
        << told[0].toStdString();
}

TEST(Settings, BadFilesReadAsDefaultsAndAFailedWriteIsToldOnce)
{
    ProgramDir dir;
    Settings s((dir.path() + "ZENTRO.INI").toStdString());
    dir.writeFile("ZENTRO.INI", std::string("\x00\xff[[[garbage\r\n=\r\n[SETUP\r\nCOM\r\n", 30));
    EXPECT_EQ(s.readSetting("SETUP", "COM", "-1"), "-1");
    dir.writeFile("ZENTRO.INI", "");
    EXPECT_EQ(s.readSetting("SETUP", "COM", "-1"), "-1");

    dir.writeFile("ZENTRO.INI", "[SETUP]\r\nCOM=2\r\n");
    QFile::setPermissions(dir.file("ZENTRO.INI"), QFileDevice::ReadOwner);
    s.writeSetting("SETUP", "COM", "5");
    if (::geteuid() != 0) { // root writes through read-only bits
        EXPECT_EQ(s.readSetting("SETUP", "COM", ""), "2");
    }

    Settings nowhere("/nonexistent-folder/ZENTRO.INI");
    QStringList told;
    nowhere.setWriteFailureHandler([&](const QString& problem) { told << problem; });
    nowhere.writeSetting("SETUP", "COM", "1");
    nowhere.writeSetting("SETUP", "LANGUAGE", "2");
    EXPECT_EQ(nowhere.readSetting("SETUP", "COM", "-1"), "-1");
    ASSERT_EQ(told.size(), 1) << "the user is told once per run";
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("/nonexistent-folder/ZENTRO.INI: "))) << told[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/nonexistent-folder"))) << "no folder is made outside ~/.config";
}

// An installation finds its files in ../share/zentrova and keeps its
// settings in the user's configuration folder; a program folder that holds
// them (the build folder, a portable copy) keeps using its own.
TEST(ProgramPaths, OwnFolderFirstThenTheInstallationAndTheUsersConfiguration)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    const QString share = root.filePath(QStringLiteral("usr/share/zentrova"));
    QDir().mkpath(bin);
    QDir().mkpath(share);
    QFile(share + QStringLiteral("/LNG_MAIN.INI")).open(QIODevice::WriteOnly);
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());

    EXPECT_EQ(programDataDir(bin), share + u'/');
    EXPECT_EQ(settingsFilePath(bin), root.filePath(QStringLiteral("config/zentrova/ZENTRO.INI")));
    Settings user(settingsFilePath(bin).toStdString());
    user.writeSetting("SETUP", "COM", "3");
    EXPECT_EQ(user.readSetting("SETUP", "COM", ""), "3") << "the first setting makes the folder";

    QFile(bin + QStringLiteral("/LNG_MAIN.INI")).open(QIODevice::WriteOnly);
    QFile(bin + QStringLiteral("/ZENTRO.INI")).open(QIODevice::WriteOnly);
    EXPECT_EQ(programDataDir(bin), bin + u'/');
    EXPECT_EQ(settingsFilePath(bin), bin + QStringLiteral("/ZENTRO.INI"));
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(PrintoutHeading, LogoModeAndRoundTrip)
{
    ProgramDir dir;
    Settings s((dir.path() + "ZENTRO.INI").toStdString());
    dir.writeFile("ZENTRO.INI", "[OPERATOR]\r\nLogoText=ab1\r\nOP2=Ana \x8a\r\n[SITE]\r\nsite3=Hall B\r\n");
    PrintoutHeading h;
    h.load(s);
    EXPECT_EQ(h.logoMode, 1);
    EXPECT_EQ(h.op[1], "Ana \x8a");
    EXPECT_EQ(h.site[2], "Hall B");
    h.footer[2] = "Page footer";
    h.logo = "/tmp/logo.jpg";
    h.save(s);
    PrintoutHeading back;
    back.load(s);
    EXPECT_EQ(back.footer[2], "Page footer");
    EXPECT_EQ(back.logo, "/tmp/logo.jpg");
    EXPECT_EQ(back.logoMode, 1);
    EXPECT_EQ(s.readSetting("OPERATOR", "LogoText", ""), "1");
}

TEST(Comments, ChecksSwitches)
{
    Comments c;
    c.checks = "1";
    EXPECT_TRUE(c.commentsEnabled()) << "too short counts as 101 for the report";
    EXPECT_FALSE(c.autotestEnabled());
    EXPECT_TRUE(c.pageNumbering());
    EXPECT_EQ(c.dialogBoxes(), (std::array<bool, 3>{false, false, false})) << "and as cleared boxes";
    c.checks = "0x0";
    EXPECT_FALSE(c.commentsEnabled());
    EXPECT_TRUE(c.autotestEnabled());
    EXPECT_FALSE(c.pageNumbering());
    EXPECT_EQ(Comments::checksFromBoxes({true, false, true}), "101");
    EXPECT_EQ(Comments::checksFromBoxes({false, true, false}), "010");
}

TEST(Comments, TwoHundredLinesRoundTrip)
{
    ProgramDir dir;
    Settings s((dir.path() + "ZENTRO.INI").toStdString());
    Comments c;
    c.lines[0] = "first";
    c.lines[199] = "last";
    c.autotest[4] = "auto";
    c.checks = "011";
    c.save(s);
    Comments back;
    back.load(s);
    EXPECT_EQ(back.lines[0], "first");
    EXPECT_EQ(back.lines[199], "last");
    EXPECT_EQ(back.lines[100], "");
    EXPECT_EQ(back.autotest[4], "auto");
    EXPECT_EQ(back.checks, "011");
    EXPECT_EQ(s.readSetting("COMMENTS", "comm200", "?"), "last");
}

TEST(DefaultNames, StoredNamesWinUntilTheLanguageChanges)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.language.settings.writeSetting("DEFNAMES", "FUSE", "F");
    c.language.settings.writeSetting("DEFNAMES", "BLOCK", "");
    c.defaultNames.load(c.language.settings, c.language.texts);
    EXPECT_EQ(c.defaultNames.names[DefaultNames::Fuse], "F");
    EXPECT_EQ(c.defaultNames.names[DefaultNames::Block], c.language.texts.text("BLOCK_20"));
    c.defaultNames.reset(c.language.settings, c.language.texts);
    EXPECT_EQ(c.defaultNames.names[DefaultNames::Fuse], c.language.texts.text("FUSE_20"));
    EXPECT_EQ(c.language.settings.readSetting("DEFNAMES", "FUSE", "x"), "");
}

TEST(Margins, PointOrCommaAndNoDigits)
{
    double v = -1;
    EXPECT_TRUE(parseMarginText("2,5", v));
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_TRUE(parseMarginText("2.5", v));
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_TRUE(parseMarginText(" 1.25 cm", v));
    EXPECT_DOUBLE_EQ(v, 1.25);
    v = 7;
    EXPECT_FALSE(parseMarginText("abc", v));
    EXPECT_DOUBLE_EQ(v, 7);
}

TEST(LogoFit, ScalesToHeightThenWidth)
{
    EXPECT_EQ(fitLogo(QSize(200, 100), 50, 400), QSize(100, 50));
    EXPECT_EQ(fitLogo(QSize(100, 10), 50, 300), QSize(300, 30));
    EXPECT_EQ(fitLogo(QSize(0, 10), 50, 300), QSize(0, 0));
}

TEST(CommentRules, TypingAndLineLimit)
{
    EXPECT_EQ(trimTrailingBeforeKey(QStringLiteral("ab  \n"), 1), QStringLiteral("ab"));
    EXPECT_EQ(trimTrailingBeforeKey(QStringLiteral("ab  "), 4), QStringLiteral("ab  ")) << "caret at the end";
    EXPECT_EQ(lineCountOf(QString()), 1);
    EXPECT_EQ(lineCountOf(QStringLiteral("a\nb\n")), 3);
    EXPECT_EQ(firstLines(QStringLiteral("a\nb\nc"), 2), QStringLiteral("a\nb"));
    EXPECT_EQ(firstLines(QStringLiteral("a"), 2), QStringLiteral("a"));
}

} // namespace
