// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "language/Language.h"

#include "base/FileIO.h"
#include "base/IniFile.h"
#include "base/Prompts.h"
#include "base/TextRules.h"
#include "language/LanguageContext.h"
#include "language/LanguageKeys.h"

#include <QFile>
#include <algorithm>
#include <cctype>

namespace zentrova {

namespace {

const std::string EmptyText;

std::string cut(const std::string& s, size_t width)
{
    return s.size() > width ? s.substr(0, width) : s;
}

bool startsWithNoCase(const std::string& s, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (s.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower((unsigned char)s[i]) != prefix[i])
            return false;
    return true;
}

bool loadIni(CSimpleIniA& ini, const QString& path, QString* error = nullptr)
{
    return loadIniFile(ini, fileNameToSystem(path).toStdString(), error);
}

} // namespace

// ---------------------------------------------------------------- InterfaceTexts

const std::string& InterfaceTexts::text(const std::string& key) const
{
    auto it = slots_.find(key);
    return it == slots_.end() ? EmptyText : it->second;
}

void InterfaceTexts::set(const std::string& key, const std::string& value)
{
    slots_[key] = cut(value, isShortSlotKey(key) ? ShortSlotWidth : SlotWidth);
}

// ---------------------------------------------------------- NameTables

NameTables::NameTables()
{
    clear();
}

void NameTables::clear()
{
    units_.assign(UnitCount, {});
    functions_.assign(FunctionCount, {});
    quantities_.assign(QuantityCount, {});
    texts_.assign(TextCount, {});
}

const std::string& NameTables::at(const std::vector<std::string>& v, long n)
{
    return (n >= 0 && size_t(n) < v.size()) ? v[size_t(n)] : EmptyText;
}

void NameTables::setEntry(const std::string& key, const std::string& value)
{
    std::vector<std::string>* table = nullptr;
    size_t width = 0;
    bool underscores = false;
    // "funkcija" before "text"/"enota"/"velicina": no prefix is another's start.
    if (startsWithNoCase(key, "enota")) {
        table = &units_;
        width = UnitWidth;
    } else if (startsWithNoCase(key, "funkcija")) {
        table = &functions_;
        width = FunctionWidth;
    } else if (startsWithNoCase(key, "velicina")) {
        table = &quantities_;
        width = QuantityWidth;
    } else if (startsWithNoCase(key, "text")) {
        table = &texts_;
        width = textWidth;
        underscores = true;
    } else {
        return;
    }
    const long n = digitsValue(key);
    bool hasDigit = std::any_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!hasDigit || n < 0 || size_t(n) >= table->size())
        return;
    std::string v = cut(value, width);
    if (underscores)
        std::replace(v.begin(), v.end(), '_', ' ');
    (*table)[size_t(n)] = std::move(v);
}

void ReportLabels::clear()
{
    for (auto& s : objLabels)
        s.clear();
    for (auto& s : blokLabels)
        s.clear();
    for (auto& s : strelaLabels)
        s.clear();
    for (auto& s : tlorisLabels)
        s.clear();
}

// ------------------------------------------------------------- LanguageLoader

struct LanguageLoader::Open {
    CSimpleIniA ini{false, false, false};
};

LanguageLoader::LanguageLoader() = default;
LanguageLoader::~LanguageLoader() = default;

bool isRemovedLanguage(const std::string& section)
{
    static const char* const removed[] = {
        "ITALIANO2", "\x45\x53\x50\x41\xD1\x4F\x4C\x32", "SVENSKA2", "DEUTSCH2", "PORTUGUES1", "NEDERLANDS1",
        "ROMANIAN1",
    };
    for (const char* r : removed)
        if (section == r)
            return true;
    return false;
}

std::string LanguageLoader::readIndexKey(LanguageContext& ctx, void* index, const std::string& section,
                                         const std::string& key, bool& ok)
{
    auto* ini = static_cast<CSimpleIniA*>(index);
    const char* v = ini->GetValue(section.c_str(), key.c_str(), nullptr);
    if (!v || !*v) {
        ctx.settings.writeSetting("SETUP", "Language", "1");
        ctx.fatal("Error in LNG_MAIN.INI\r" + key);
        ok = false;
        return {};
    }
    return v;
}

bool LanguageLoader::loadLanguageList(LanguageContext& ctx)
{
    entries_.clear();
    selected_ = 0;
    // A settings file that is a folder or a device keeps nothing: say so once.
    if (const QString problem = ctx.settings.unreportedProblem(); !problem.isEmpty())
        ctx.prompts->message(MsgType::Error, "Error in ZENTRO.INI\r" + ctx.encode(problem), MbOK);
    CSimpleIniA ini(false, false, false);
    const QString indexPath = ctx.programDir + "LNG_MAIN.INI";
    if (const QString problem = notARegularFile(indexPath); !problem.isEmpty()) {
        ctx.fatal("Error in LNG_MAIN.INI\r" + ctx.encode(indexPath + QStringLiteral(": ") + problem));
        return false;
    }
    loadIni(ini, indexPath);

    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys("Languages", keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> names;
    for (const auto& k : keys)
        if (!isRemovedLanguage(k.pItem))
            names.emplace_back(k.pItem);

    if (names.empty()) {
        ctx.fatal("Error in LANGUAGE.INI");
        return false;
    }
    for (const auto& name : names) {
        bool ok = true;
        std::string disp = readIndexKey(ctx, &ini, name, "DispName", ok);
        std::string lcid;
        if (ok)
            lcid = readIndexKey(ctx, &ini, name, "lcid", ok);
        if (!ok)
            return false;
        entries_.push_back({name, disp, int(digitsValue(lcid))});
    }

    const long stored = digitsValue(ctx.settings.readSetting("SETUP", "LANGUAGE", "0"));
    long n = stored > long(entries_.size()) ? 1 : stored;
    if (n > 0)
        selected_ = int(n - 1);
    return true;
}

bool LanguageLoader::currentLanguage(LanguageContext& ctx, std::string& section, std::string& filePath)
{
    if (selected_ < 0 || size_t(selected_) >= entries_.size())
        return false;
    // A settings file that is a folder or a device keeps nothing: say so once.
    if (const QString problem = ctx.settings.unreportedProblem(); !problem.isEmpty())
        ctx.prompts->message(MsgType::Error, "Error in ZENTRO.INI\r" + ctx.encode(problem), MbOK);
    CSimpleIniA ini(false, false, false);
    const QString indexPath = ctx.programDir + "LNG_MAIN.INI";
    if (const QString problem = notARegularFile(indexPath); !problem.isEmpty()) {
        ctx.fatal("Error in LNG_MAIN.INI\r" + ctx.encode(indexPath + QStringLiteral(": ") + problem));
        return false;
    }
    loadIni(ini, indexPath);
    section = entries_[size_t(selected_)].section;
    bool ok = true;
    const std::string file = readIndexKey(ctx, &ini, section, "File", ok);
    if (!ok)
        return false;
    const std::string lcidText = readIndexKey(ctx, &ini, section, "lcid", ok);
    if (!ok)
        return false;
    // The locale must be a plain decimal number; anything else would leave
    // the texts in an unknown code page.
    size_t pos = 0;
    int lcid = 0;
    try {
        lcid = std::stoi(lcidText, &pos, 10);
    } catch (...) {
        pos = 0;
    }
    while (pos < lcidText.size() && std::isspace((unsigned char)lcidText[pos]))
        ++pos;
    if (pos == 0 || pos != lcidText.size()) {
        ctx.settings.writeSetting("SETUP", "Language", "1");
        ctx.fatal("Error in LNG_MAIN.INI\r[" + section + "] lcid=" + lcidText + " is not a number");
        return false;
    }
    codec_.setLcid(lcid);
    filePath = fileNameToSystem(ctx.programDir).toStdString() + file;
    return true;
}

bool LanguageLoader::open(LanguageContext& ctx)
{
    std::string section, path;
    if (!currentLanguage(ctx, section, path))
        return false;
    open_ = std::make_unique<Open>();
    QString why;
    if (!loadIniFile(open_->ini, path, &why)) {
        open_.reset();
        ctx.settings.writeSetting("SETUP", "Language", "1");
        ctx.fatal("Error in LANGUAGE.INI\r" + path + ": " + ctx.encode(why));
        return false;
    }
    return true;
}

void LanguageLoader::close()
{
    open_.reset();
}
bool LanguageLoader::isOpen() const
{
    return bool(open_);
}

std::string LanguageLoader::rawValue(const std::string& section, const std::string& key) const
{
    if (!open_)
        return {};
    const char* v = open_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return v ? std::string(v) : std::string();
}

std::vector<std::pair<std::string, std::string>> LanguageLoader::sectionEntries(const std::string& section) const
{
    std::vector<std::pair<std::string, std::string>> out;
    if (!open_)
        return out;
    CSimpleIniA::TNamesDepend keys;
    open_->ini.GetAllKeys(section.c_str(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& k : keys) {
        const char* v = open_->ini.GetValue(section.c_str(), k.pItem, "");
        out.emplace_back(k.pItem, v ? v : "");
    }
    return out;
}

std::string LanguageLoader::readText(LanguageContext& ctx, const std::string& key)
{
    std::string v = rawValue("LANGUAGE", key);
    if (!v.empty())
        return v;
    ctx.settings.writeSetting("SETUP", "Language", "1");
    const std::string message = "Error in LANGUAGE.INI\r" + key;
    if (ctx.terminateOnMissingText)
        ctx.fatal(message);
    else if (!ctx.quitRequested)
        ctx.prompts->message(MsgType::Error, message, MbOK);
    return {};
}

std::string headingText(const std::string& text)
{
    std::string s = text;
    std::replace(s.begin(), s.end(), '$', '\r');
    return s;
}

// ------------------------------------------------------------ loading

bool loadInterfaceTexts(LanguageContext& ctx)
{
    LanguageLoader& lang = ctx.languageFiles;
    if (!lang.open(ctx))
        return false;

    for (std::string_view k : interfaceKeys()) {
        const std::string key(k);
        std::string v = lang.readText(ctx, key);
        if (startsWithNoCase(key, "glava") || startsWithNoCase(key, "vglava"))
            v = headingText(v);
        ctx.texts.set(key, v);
    }
    // The extension first comes from the generic key; the profile replaces it.
    ctx.texts.extension = cut(ctx.texts.text("ExtensionVEKO_3"), InterfaceTexts::SlotWidth);

    // [NAMEF]
    ctx.names.clear();
    const auto namef = lang.sectionEntries("NAMEF");
    lang.close();
    if (namef.empty()) {
        ctx.fatal("Error in NAMEF");
        return false;
    }
    for (const auto& [key, value] : namef)
        ctx.names.setEntry(key, value);

    const std::string newDefault =
        cut(ctx.texts.text("Noname_8") + "." + ctx.texts.extension, InterfaceTexts::SlotWidth);
    ctx.texts.defaultFileName = newDefault;
    return !ctx.quitRequested;
}

bool loadReportTexts(LanguageContext& ctx)
{
    LanguageLoader& lang = ctx.languageFiles;
    if (!lang.open(ctx))
        return false;
    ctx.reportLabels.clear();
    ReportLabels& r = ctx.reportLabels;

    auto read = [&](const std::string& key, std::string& target) {
        if (ctx.quitRequested)
            return;
        std::string v = lang.rawValue("PROTOCOL", key);
        if (v.empty()) {
            ctx.fatal("Error in LANGUAGES\r" + key);
            return;
        }
        target = v;
    };
    for (int i = 1; i <= 21; ++i)
        read("OO_Lab" + std::to_string(i) + "_0", r.objLabels[size_t(i - 1)]);
    for (int i = 1; i <= 9; ++i)
        read("BB_Lab" + std::to_string(i) + "_0", r.blokLabels[size_t(i - 1)]);
    for (int i = 1; i <= 29; ++i)
        read("BB_CBox" + std::to_string(i) + "_0", r.blokLabels[size_t(9 + i - 1)]);
    for (int i = 1; i <= 33; ++i)
        read("SS_Lab" + std::to_string(i) + "_0", r.strelaLabels[size_t(i - 1)]);
    for (int i = 1; i <= 9; ++i)
        read("SS_CBox" + std::to_string(i) + "_0", r.strelaLabels[size_t(33 + i - 1)]);
    // Check boxes 10..18 of the lightning-protection page carry no caption.
    for (int i = 19; i <= 24; ++i)
        read("SS_CBox" + std::to_string(i) + "_0", r.strelaLabels[size_t(42 + i - 19)]);
    read("TT_Lab1_0", r.tlorisLabels[0]);
    read("TT_Lab2_0", r.tlorisLabels[1]);
    lang.close();
    return !ctx.quitRequested;
}

} // namespace zentrova
