// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Language index, language files and the name tables.
#include "language/LanguageKeys.h"
#include "language/TypedText.h"
#include "shell/Startup.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <SimpleIni.h>

#include <cctype>
#include <cstring>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// Every key the program reads must be in every shipped language file.
TEST(ShippedLanguages, HaveEveryKeyTheProgramReads)
{
    ProgramDir dir;
    for (const char* file : {"english.lng", "slovenski.lng"}) {
        CSimpleIniA ini(false, false, false);
        ASSERT_GE(ini.LoadFile(dir.file(file).toLocal8Bit().constData()), 0) << file;
        auto check = [&](const char* section, const std::vector<std::string_view>& keys) {
            for (std::string_view k : keys) {
                const char* v = ini.GetValue(section, std::string(k).c_str(), "");
                EXPECT_TRUE(v && *v) << file << " [" << section << "] lacks " << k;
                // The program keeps a text to its slot's width: a longer one
                // would be shown cut off.
                if (std::string_view(section) == "LANGUAGE" && v) {
                    EXPECT_LE(std::strlen(v),
                              isShortSlotKey(k) ? InterfaceTexts::ShortSlotWidth : InterfaceTexts::SlotWidth)
                        << file << " " << k << " is cut: " << v;
                }
            }
        };
        check("LANGUAGE", interfaceKeys());
        check("LANGUAGE", profileKeys());
        check("PROTOCOL", protocolKeys());
        CSimpleIniA::TNamesDepend namef;
        ini.GetAllKeys("NAMEF", namef);
        EXPECT_GT(namef.size(), 20u) << file;
    }
}

TEST(ShippedLanguages, LoadCompletelyInBothLanguages)
{
    for (int lang : {1, 2}) {
        LoadedProgram p(false);
        p.dir.writeFile("ZENTRO.INI", "[SETUP]\r\nLanguage=" + std::to_string(lang) + "\r\n");
        ASSERT_TRUE(p.load()) << lang;
        EXPECT_TRUE(p.prompts.messages.empty());
        EXPECT_EQ(p.ctx->language.languageFiles.selectedIndex(), lang - 1);
        EXPECT_FALSE(p.ctx->language.texts.text("&Open_30").empty());
        EXPECT_FALSE(p.ctx->language.names.function(500).empty());
        EXPECT_FALSE(p.ctx->language.reportLabels.tlorisLabels[1].empty());
    }
}

// A language index with several languages that all use the English file.
std::string indexWith(const std::vector<std::string>& sections)
{
    std::string s = "[Languages]\r\n";
    for (const auto& n : sections)
        s += n + "=\r\n";
    for (const auto& n : sections)
        s += "[" + n + "]\r\nDispName=" + n + "\r\nFile=english.lng\r\nlcid=1033\r\n";
    return s;
}

struct StoredLanguageCase {
    const char* stored;
    int expectedIndex;
};

void PrintTo(const StoredLanguageCase& c, std::ostream* os)
{
    *os << "LANGUAGE=" << (c.stored ? c.stored : "(none)");
}

class StoredLanguage : public ::testing::TestWithParam<StoredLanguageCase> {};

TEST_P(StoredLanguage, SelectsByDigitsOnly)
{
    LoadedProgram p(false);
    p.dir.writeFile("LNG_MAIN.INI", indexWith({"A1", "B1", "C1", "D1"}));
    if (GetParam().stored)
        p.dir.writeFile("ZENTRO.INI", std::string("[SETUP]\r\nLANGUAGE=") + GetParam().stored + "\r\n");
    ASSERT_TRUE(p.ctx->language.languageFiles.loadLanguageList(p.ctx->language));
    EXPECT_EQ(p.ctx->language.languageFiles.selectedIndex(), GetParam().expectedIndex);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredLanguage,
                         ::testing::Values(StoredLanguageCase{"x3y", 2}, StoredLanguageCase{"4", 3},
                                           StoredLanguageCase{"5", 0}, StoredLanguageCase{"17", 0},
                                           StoredLanguageCase{"0", 0}, StoredLanguageCase{"abc", 0},
                                           StoredLanguageCase{nullptr, 0}),
                         [](const auto& info) {
                             std::string name = info.param.stored ? info.param.stored : "none";
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return "Stored_" + name;
                         });

TEST(LanguageList, RemovedSectionsAreDroppedWhereverTheyStand)
{
    LoadedProgram p(false);
    const std::string spanish2 = "\x45\x53\x50\x41\xD1\x4F\x4C\x32";
    p.dir.writeFile("LNG_MAIN.INI",
                    indexWith({"ROMANIAN1", "ENGLISH1", "ITALIANO2", spanish2, "ESPANOL1", "DEUTSCH2", "DEUTSCH1"}));
    ASSERT_TRUE(p.ctx->language.languageFiles.loadLanguageList(p.ctx->language));
    std::vector<std::string> names;
    for (const auto& e : p.ctx->language.languageFiles.entries())
        names.push_back(e.section);
    EXPECT_EQ(names, (std::vector<std::string>{"ENGLISH1", "ESPANOL1", "DEUTSCH1"}));
}

TEST(LanguageList, NothingLeftEndsTheProgram)
{
    LoadedProgram p(false);
    p.dir.writeFile("LNG_MAIN.INI", indexWith({"ROMANIAN1", "SVENSKA2"}));
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.ctx->language.languageFiles.loadLanguageList(p.ctx->language));
    EXPECT_TRUE(p.ctx->language.quitRequested);
    EXPECT_EQ(p.prompts.messages.at(0), "Error in LANGUAGE.INI");
}

TEST(LanguageList, MissingIndexKeyResetsTheLanguageAndEnds)
{
    LoadedProgram p(false);
    p.dir.writeFile("ZENTRO.INI", "[SETUP]\r\nLanguage=2\r\n");
    p.dir.writeFile("LNG_MAIN.INI", "[Languages]\r\nA1=\r\n[A1]\r\nFile=english.lng\r\nlcid=1033\r\n");
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.ctx->language.languageFiles.loadLanguageList(p.ctx->language));
    EXPECT_EQ(p.prompts.messages.at(0), "Error in LNG_MAIN.INI\rDispName");
    EXPECT_EQ(p.ctx->language.settings.readSetting("SETUP", "LANGUAGE", ""), "1");
    EXPECT_TRUE(p.ctx->language.quitRequested);
}

TEST(LanguageList, NonIntegerLcidNamesFileAndKey)
{
    LoadedProgram p(false);
    p.dir.editLine("LNG_MAIN.INI", "lcid=1033", "lcid=10x3");
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.load());
    ASSERT_EQ(p.prompts.messages.size(), 1u);
    EXPECT_NE(p.prompts.messages[0].find("LNG_MAIN.INI"), std::string::npos);
    EXPECT_NE(p.prompts.messages[0].find("lcid"), std::string::npos);
    EXPECT_TRUE(p.ctx->language.quitRequested);
}

TEST(LanguageFile, MissingKeyEndsWithOneMessageAndResetsTheLanguage)
{
    LoadedProgram p(false);
    p.dir.writeFile("ZENTRO.INI", "[SETUP]\r\nLanguage=2\r\n");
    p.dir.editLine("slovenski.lng", "&Copy_30=", "");
    p.dir.editLine("slovenski.lng", "Stop_11=", "");
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.load());
    // Only the first missing key is reported: the program is ending anyway.
    ASSERT_EQ(p.prompts.messages.size(), 1u);
    EXPECT_EQ(p.prompts.messages[0], "Error in LANGUAGE.INI\rStop_11");
    EXPECT_EQ(p.ctx->language.settings.readSetting("SETUP", "Language", ""), "1");

    // The next start uses the first language and works.
    LoadedProgram again(false);
    again.dir.writeFile("ZENTRO.INI", p.dir.readFile("ZENTRO.INI"));
    EXPECT_TRUE(again.load());
    EXPECT_EQ(again.ctx->language.languageFiles.selectedIndex(), 0);
}

TEST(LanguageFile, MissingKeyBeforeActivationGivesEmptyText)
{
    LoadedProgram p(false);
    p.dir.editLine("english.lng", "Stop_11=", "");
    p.ctx->language.terminateOnMissingText = false;
    p.prompts.expectMessage(MbOK);
    ASSERT_TRUE(p.ctx->language.languageFiles.loadLanguageList(p.ctx->language));
    EXPECT_TRUE(loadInterfaceTexts(p.ctx->language));
    EXPECT_FALSE(p.ctx->language.quitRequested);
    EXPECT_EQ(p.ctx->language.texts.text("Stop_11"), "");
}

TEST(LanguageFile, MissingFileEndsTheProgram)
{
    LoadedProgram p(false);
    QFile::remove(p.dir.file("english.lng"));
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.load());
    EXPECT_NE(p.prompts.messages.at(0).find("Error in LANGUAGE.INI"), std::string::npos);
}

// A folder where a file of texts or settings belongs is refused with its
// path named, before any byte of it is taken.
TEST(LanguageFile, FoldersInPlaceOfFilesAreNamed)
{
    struct Case {
        const char* name;
        bool ends;
        const char* message;
    };
    for (const Case& c :
         {Case{"LNG_MAIN.INI", true, "Error in LNG_MAIN.INI\r"}, Case{"english.lng", true, "Error in LANGUAGE.INI\r"},
          Case{"ZENTRO.INI", false, "Error in ZENTRO.INI\r"}}) {
        SCOPED_TRACE(c.name);
        LoadedProgram p(false);
        const QString path = p.dir.file(QString::fromLatin1(c.name));
        QFile::remove(path);
        ASSERT_TRUE(QDir().mkdir(path));
        p.prompts.expectMessage(MbOK);
        EXPECT_EQ(p.load(), !c.ends);
        ASSERT_EQ(p.prompts.messages.size(), 1u);
        EXPECT_EQ(p.prompts.messages[0].rfind(c.message, 0), 0u) << p.prompts.messages[0];
        EXPECT_NE(p.prompts.messages[0].find(path.toStdString()), std::string::npos) << p.prompts.messages[0];
        if (!c.ends) {
            // Settings read as their defaults; a write leaves the folder alone.
            EXPECT_EQ(p.ctx->language.settings.readSetting("SETUP", "Language", "dflt"), "dflt");
            p.ctx->language.settings.writeSetting("SETUP", "Language", "2");
            EXPECT_TRUE(QFileInfo(path).isDir());
        }
    }
}

TEST(LanguageFile, MissingReportLabelEnds)
{
    LoadedProgram p(false);
    p.dir.editLine("english.lng", "SS_CBox20_0=", "");
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.load());
    EXPECT_EQ(p.prompts.messages.at(0), "Error in LANGUAGES\rSS_CBox20_0");
}

TEST(LanguageFile, EmptyNamefEnds)
{
    LoadedProgram p(false);
    std::string s = p.dir.readFile("english.lng");
    s = s.substr(0, s.find("[NAMEF]") + 7) + "\r\n";
    p.dir.writeFile("english.lng", s);
    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(p.load());
    EXPECT_EQ(p.prompts.messages.at(0), "Error in NAMEF");
}

TEST(LanguageFile, ReportLabelsLandInTheirPages)
{
    LoadedProgram p;
    std::string s = p.dir.readFile("english.lng");
    auto value = [&](const std::string& key) {
        const size_t at = s.find("\n" + key + "=");
        const size_t start = at + key.size() + 2;
        return s.substr(start, s.find('\r', start) - start);
    };
    const ReportLabels& r = p.ctx->language.reportLabels;
    EXPECT_EQ(r.objLabels[20], value("OO_Lab21_0"));
    EXPECT_EQ(r.blokLabels[9], value("BB_CBox1_0"));
    EXPECT_EQ(r.strelaLabels[33], value("SS_CBox1_0"));
    EXPECT_EQ(r.strelaLabels[42], value("SS_CBox19_0"));
    EXPECT_EQ(r.strelaLabels[47], value("SS_CBox24_0"));
}

TEST(NameTables, KeysChooseTableNumberAndWidth)
{
    NameTables t;
    t.setEntry("funkcija12", "Loop");
    t.setEntry("text5", "A_B");
    t.setEntry("enota1200", "ignored");
    t.setEntry("enota998", "last unit");
    t.setEntry("velicina3", "a quantity far too long for the table");
    t.setEntry("other7", "ignored");
    t.setEntry("FUNKCIJA13", "Upper");
    EXPECT_EQ(t.function(12), "Loop");
    EXPECT_EQ(t.textName(5), "A B");
    EXPECT_EQ(t.unit(998), "last unit");
    EXPECT_EQ(t.unit(1200), "");
    EXPECT_EQ(t.quantity(3), "a quantity far ");
    EXPECT_EQ(t.quantity(3).size(), size_t(NameTables::QuantityWidth));
    EXPECT_EQ(t.function(13), "Upper");
    EXPECT_EQ(t.function(-1), "");
}

TEST(InterfaceTexts, SlotsCutLongTexts)
{
    InterfaceTexts s;
    s.set("Error_30", std::string(150, 'x'));
    s.set("GlavaE1_0", std::string(30, 'y'));
    EXPECT_EQ(s.text("Error_30").size(), 100u);
    EXPECT_EQ(s.text("GlavaE1_0").size(), 20u);
    EXPECT_EQ(s.text("NeverSet_1"), "");
}

TEST(InterfaceTexts, DollarInHeadingsBreaksTheLine)
{
    LoadedProgram p(false);
    p.dir.editLine("english.lng", "Glava3_0=", "Glava3_0=Upper$Lower");
    ASSERT_TRUE(p.load());
    EXPECT_EQ(p.ctx->language.texts.text("Glava3_0"), "Upper\rLower");
}

TEST(Codec, ByLocale)
{
    TextCodec sl(1060), mk(1071), en(1033);
    EXPECT_EQ(sl.codePage(), 1250);
    EXPECT_EQ(mk.codePage(), 1251);
    EXPECT_EQ(en.codePage(), 1252);
    EXPECT_EQ(sl.decode("\x9a\xe8"), QStringLiteral("šč"));
    EXPECT_EQ(mk.decode("\xe0"), QStringLiteral("а"));
    EXPECT_EQ(en.decode("\x80"), QStringLiteral("€"));
    EXPECT_EQ(sl.encode(QStringLiteral("Žč€")), std::string("\x8e\xe8\x80"));
    EXPECT_EQ(en.encode(QStringLiteral("č")), "?");
    // Every byte survives a round trip, also the markup byte 255.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(char(b));
    for (const TextCodec* c : {&sl, &mk, &en})
        EXPECT_EQ(c->encode(c->decode(all)), all) << c->codePage();
}

TEST(Codec, NamesTheCharactersItCannotStore)
{
    TextCodec sl(1060), mk(1071), en(1033);
    struct Case {
        const TextCodec* codec;
        QString text;
        QString lacking;
    };
    const Case cases[] = {
        {&en, QStringLiteral("Trafo T1 - HV winding čšž ČŠŽ"), QStringLiteral("čČ")}, // š, ž, Š, Ž are in 1252
        {&sl, QStringLiteral("Trafo T1 - HV winding čšž ČŠŽ"), QString()},
        {&en, QStringLiteral("čaČač"), QStringLiteral("čČ")}, // each once, first seen first
        {&en, QStringLiteral("Kabel ?1 \t\r€ÿ"), QString()},
        {&sl, QStringLiteral("ÿ"), QStringLiteral("ÿ")},
        {&mk, QStringLiteral("Кабел č"), QStringLiteral("č")},
        {&en, QStringLiteral("a\U0001F50Cb\U0001F50C"), QStringLiteral("\U0001F50C")}, // kept whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " in " + std::to_string(c.codec->codePage()));
        EXPECT_EQ(c.codec->unencodable(c.text), c.lacking);
        // What it names is exactly what encoding would lose.
        EXPECT_EQ(c.codec->decode(c.codec->encode(c.text)) == c.text, c.lacking.isEmpty());
    }
}

TEST(Codec, TypedTextTheLanguageCannotStoreIsRefusedWithOneMessage)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    EXPECT_TRUE(canStoreTyped(c.language, QStringList{QStringLiteral("Hall B"), QStringLiteral("šž")}));
    EXPECT_TRUE(p.prompts.messages.empty());

    p.prompts.expectMessage(MbOK);
    EXPECT_FALSE(canStoreTyped(c.language, QStringList{QStringLiteral("Kabel č"), QString(), QStringLiteral("ČŠŽ č")}));
    ASSERT_EQ(p.prompts.messages.size(), 1u);
    EXPECT_EQ(p.prompts.messages[0], c.language.texts.text("CannotStore_60") + "\rU+010D U+010C");

    // The same text is fine once the language's code page holds it.
    ASSERT_TRUE(changeLanguage(c, 1));
    EXPECT_TRUE(canStoreTyped(c.language, QStringLiteral("Kabel čšž ČŠŽ")));
    EXPECT_EQ(p.prompts.messages.size(), 1u);
}

TEST(LanguageChange, TextsProfileAndDefaultNamesFollow)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.fileName = c.language.decode(c.language.texts.defaultFileName);
    c.language.settings.writeSetting("DEFNAMES", "OBJECT", "Plant");
    c.defaultNames.load(c.language.settings, c.language.texts);
    ASSERT_EQ(c.defaultNames.names[0], "Plant");
    const std::string englishOpen = c.language.texts.text("&Open_30");

    ASSERT_TRUE(changeLanguage(c, 1));
    EXPECT_EQ(c.language.settings.readSetting("SETUP", "Language", ""), "2");
    EXPECT_NE(c.language.texts.text("&Open_30"), englishOpen);
    EXPECT_EQ(c.document.fileName, c.language.decode(c.language.texts.defaultFileName));
    EXPECT_EQ(c.language.texts.defaultFileName, c.language.texts.text("Noname_8") + "." + c.language.texts.extension);
    EXPECT_EQ(c.defaultNames.names[0], c.language.texts.text("Object_20"));
    EXPECT_EQ(c.language.languageFiles.codec().codePage(), 1250);
}

} // namespace

namespace zentrova::test {
namespace {

// The open structure's names read the same after a switch of code page; a
// character the new one cannot write is named first, and No keeps all as it was.
TEST(LanguageChange, OpenStructureFollowsTheNewCodePage)
{
    const struct {
        const char* what;
        QString name;
        bool asked;
        unsigned answer;
        QString nameAfter; // empty: the switch was refused
        bool unsaved;
    } cases[] = {
        {"every character held", QStringLiteral("Trafo šž ŠŽ"), false, MbNone, QStringLiteral("Trafo šž ŠŽ"), false},
        {"switch refused", QStringLiteral("Trafo čšž ČŠŽ"), true, MbNo, QString(), false},
        {"switch accepted", QStringLiteral("Trafo čšž ČŠŽ"), true, MbYes, QStringLiteral("Trafo ?šž ?ŠŽ"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadedProgram p;
        AppContext& ctx = *p.ctx;
        ASSERT_TRUE(changeLanguage(ctx, 1)); // Slovenian, code page 1250
        ElementNode* node = addElementNode(ctx.document, nullptr);
        node->name = ctx.language.encode(c.name);
        ctx.document.structure.table.setRowCount(2);
        ctx.document.structure.table.setCell(1, 1, ctx.language.encode(QStringLiteral("Hala\r") + c.name));
        ctx.document.saved = true;
        const std::string before = node->name;
        // Asked in the language in force, whose code page holds the line.
        const std::string question = ctx.language.texts.text("NamesNotHeld_50") + "\r    " + before + "\r" +
                                     ctx.language.texts.text("SwitchLanguageAnyway_50");
        if (c.asked)
            p.prompts.expectMessage(c.answer);

        const LanguageSwitch result = switchLanguage(ctx, 0);
        ASSERT_EQ(p.prompts.messages.size(), c.asked ? 1u : 0u);
        if (c.asked) { // the line is named once, although the cell holds it too
            EXPECT_EQ(p.prompts.messages[0], question);
        }
        if (c.nameAfter.isEmpty()) {
            EXPECT_EQ(result, LanguageSwitch::Kept);
            EXPECT_EQ(ctx.language.languageFiles.selectedIndex(), 1);
            EXPECT_EQ(ctx.language.settings.readSetting("SETUP", "Language", ""), "2");
            EXPECT_EQ(node->name, before);
            EXPECT_TRUE(ctx.document.saved);
        } else {
            EXPECT_EQ(result, LanguageSwitch::Switched);
            EXPECT_EQ(ctx.language.languageFiles.codec().codePage(), 1252);
            EXPECT_EQ(ctx.language.decode(node->name), c.nameAfter);
            EXPECT_EQ(ctx.language.decode(ctx.document.structure.table.cell(1, 1)),
                      QStringLiteral("Hala\r") + c.nameAfter);
            // The file still holds the old code page's bytes.
            EXPECT_EQ(ctx.document.saved, !c.unsaved);
        }
    }
}

// The heading and comments the settings file keeps for new structures follow
// the switch as well; the logo's path, the system's bytes, stays as it was.
TEST(LanguageChange, HeadingKeptInTheSettingsFollowsTheNewCodePage)
{
    LoadedProgram p;
    AppContext& ctx = *p.ctx;
    ASSERT_TRUE(changeLanguage(ctx, 1));
    ctx.language.settings.writeSetting("SITE", "site1", ctx.language.encode(QStringLiteral("Postaja Črnuče")));
    ctx.language.settings.writeSetting("COMMENTS", "comm1", ctx.language.encode(QStringLiteral("Izolacija šž")));
    ctx.document.heading.logo = "/tmp/\xc4\x8d.png";
    p.prompts.expectMessage(MbYes);

    ASSERT_EQ(switchLanguage(ctx, 0), LanguageSwitch::Switched);
    ASSERT_EQ(p.prompts.messages.size(), 1u);
    EXPECT_NE(p.prompts.messages[0].find("\r    Postaja \xc8rnu\xe8"
                                         "e\r"),
              std::string::npos);
    EXPECT_EQ(ctx.language.decode(ctx.language.settings.readSetting("SITE", "site1", "")),
              QStringLiteral("Postaja ?rnu?e"));
    EXPECT_EQ(ctx.language.decode(ctx.language.settings.readSetting("COMMENTS", "comm1", "")),
              QStringLiteral("Izolacija šž"));
    EXPECT_EQ(ctx.document.heading.logo, "/tmp/\xc4\x8d.png");
}

} // namespace
} // namespace zentrova::test
