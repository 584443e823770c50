// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Language and settings files, loaded as at start-up from a private program
// folder. The first byte picks the file the rest of the input becomes (the
// others are the shipped ones): 0 the language index LNG_MAIN.INI, 1 the
// English language file (the index's first language), 2 the settings file
// ZENTRO.INI.
//
// Whatever the files hold, loading ends (with a message when the program has
// to stop), every text fits its slot, and the settings file keeps what is
// written to it: a new key reads back, the keys already there keep their
// values, and the printout heading saved reads back the same.
#include "FuzzHarness.h"

#include "comm/PortDirectory.h"
#include "language/LanguageKeys.h"
#include "language/Profile.h"
#include "report/Compose.h"

namespace zentrova::fuzz {

namespace {

const QString LanguageFiles[] = {QStringLiteral("LNG_MAIN.INI"), QStringLiteral("english.lng"),
                                 QStringLiteral("ZENTRO.INI")};

void checkTextWidths(const AppContext& ctx)
{
    for (std::string_view k : interfaceKeys()) {
        const std::string key(k);
        if (ctx.language.texts.text(key).size() >
            (isShortSlotKey(key) ? InterfaceTexts::ShortSlotWidth : InterfaceTexts::SlotWidth))
            violated("language", "the text of " + key + " is wider than its slot");
    }
    for (long n = 0; n < 1000; ++n)
        if (ctx.language.names.unit(n).size() > size_t(NameTables::UnitWidth) ||
            ctx.language.names.function(n).size() > size_t(NameTables::FunctionWidth) ||
            ctx.language.names.quantity(n).size() > size_t(NameTables::QuantityWidth) ||
            ctx.language.names.textName(n).size() > size_t(NameTables::textWidth))
            violated("language", "name " + std::to_string(n) + " is wider than its table");
}

void checkSettingsKeepWhatIsWritten(const AppContext& ctx)
{
    const Settings& s = ctx.language.settings;
    const std::string language = s.readSetting("SETUP", "Language", "?");
    const std::string com = s.readSetting("SETUP", "COM", "?");
    s.writeSetting("FUZZ", "Probe", "two words");
    if (s.readSetting("FUZZ", "Probe", "") != "two words")
        violated("language", "a value written to the settings does not read back");
    if (s.readSetting("SETUP", "Language", "?") != language || s.readSetting("SETUP", "COM", "?") != com)
        violated("language", "writing one setting changed another");

    PrintoutHeading heading, again;
    heading.load(s);
    heading.save(s);
    again.load(s);
    if (again.op != heading.op || again.footer != heading.footer || again.site != heading.site ||
        again.logo != heading.logo || again.logoMode != heading.logoMode)
        violated("language", "the printout heading saved does not read back the same");
}

} // namespace

int fuzzLanguage(const uint8_t* data, size_t size)
{
    static FuzzFolder folder;
    if (size < 1)
        return -1;
    const int which = data[0] % 3;
    for (const QString& name : LanguageFiles)
        folder.restore(name);
    folder.write(LanguageFiles[which], std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

    SilentPrompts prompts;
    AppContext ctx(folder.path(), prompts);
    ctx.language.terminateOnMissingText = true;
    const bool loaded = ctx.language.languageFiles.loadLanguageList(ctx.language) && loadInterfaceTexts(ctx.language) &&
                        loadReportTexts(ctx.language);
    if (loaded) {
        if (ctx.language.languageFiles.selectedIndex() < 0 ||
            size_t(ctx.language.languageFiles.selectedIndex()) >= ctx.language.languageFiles.entries().size())
            violated("language", "the selected language is not in the index");
        if (ctx.language.quitRequested)
            violated("language", "the texts loaded although the program was asked to end");
    }
    applyFamilyProfile(ctx);
    checkTextWidths(ctx);
    if (which != 2)
        return 0;
    // Everything else the settings file holds, read as at start-up.
    ctx.document.heading.load(ctx.language.settings);
    ctx.document.comments.load(ctx.language.settings);
    ctx.defaultNames.load(ctx.language.settings, ctx.language.texts);
    MarginTexts margins;
    margins.load(ctx.language.settings);
    const PortDirectory ports(ctx.language.settings, [] { return std::vector<SerialDevice>{}; });
    ports.devices();
    ports.resolve(QStringLiteral("COM3"));
    checkSettingsKeepWhatIsWritten(ctx);
    return 0;
}

} // namespace zentrova::fuzz
