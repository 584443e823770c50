// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/TextCodec.h"

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace zentrova {

struct LanguageContext;

// The interface texts of the selected language: one slot per key of the
// language file's [LANGUAGE] section, each at most 100 bytes (the report unit-row
// headings at most 20), plus the structure file extension and the default file
// name that the family profile derives.
class InterfaceTexts {
public:
    static constexpr size_t SlotWidth = 100;
    static constexpr size_t ShortSlotWidth = 20;

    // The text of `key`, empty when the slot was never filled.
    const std::string& text(const std::string& key) const;
    // Stores `value` in the slot of `key`, cut to the slot's width.
    void set(const std::string& key, const std::string& value);
    void clear() { slots_.clear(); }

    std::string extension = "*";
    std::string defaultFileName; // Noname + "." + extension

private:
    std::unordered_map<std::string, std::string> slots_;
};

// The numbered names of [NAMEF]: units, function names, quantity names, texts.
class NameTables {
public:
    static constexpr int UnitCount = 999, UnitWidth = 25;
    static constexpr int FunctionCount = 999, FunctionWidth = 35;
    static constexpr int QuantityCount = 999, QuantityWidth = 15;
    static constexpr int TextCount = 1000, textWidth = 30;

    NameTables();
    void clear();
    // Takes one key=value line of [NAMEF]; keys of other forms and numbers
    // outside a table are ignored.
    void setEntry(const std::string& key, const std::string& value);

    // Each returns an empty text for a number outside its table.
    const std::string& unit(long n) const { return at(units_, n); }
    const std::string& function(long n) const { return at(functions_, n); }
    const std::string& quantity(long n) const { return at(quantities_, n); }
    const std::string& textName(long n) const { return at(texts_, n); }

private:
    static const std::string& at(const std::vector<std::string>& v, long n);
    std::vector<std::string> units_, functions_, quantities_, texts_;
};

// The labels of the report data pages, from the language file's [PROTOCOL].
struct ReportLabels {
    std::array<std::string, 21> objLabels;    // object page labels 1..21
    std::array<std::string, 38> blokLabels;   // block page: 9 labels, then 29 check-box texts
    std::array<std::string, 48> strelaLabels; // lightning-protection page labels 1..48
    std::array<std::string, 2> tlorisLabels;  // floor-plan page labels 1..2
    void clear();
};

struct LanguageEntry {
    std::string section;  // section name in LNG_MAIN.INI
    std::string dispName; // shown in the language dialog, in its own code page
    int lcid = 0;         // 0 when the index's value is not a number
};

// Language index and the language file while it is being read.
class LanguageLoader {
public:
    LanguageLoader();
    ~LanguageLoader();

    const std::vector<LanguageEntry>& entries() const { return entries_; }
    int selectedIndex() const { return selected_; }
    void setSelectedIndex(int i) { selected_ = i; }
    const TextCodec& codec() const { return codec_; }
    int charset() const { return codec_.lcid() == 1071 ? 204 : 1; }

    // Reads LNG_MAIN.INI and selects the stored language. False when the
    // program has to end (the reason was shown).
    bool loadLanguageList(LanguageContext& ctx);
    // Section name and absolute path of the selected language's file; sets the
    // character set from its lcid. False when the index is broken (program ends).
    bool currentLanguage(LanguageContext& ctx, std::string& section, std::string& filePath);

    // Opens the selected language's file for reading single keys.
    bool open(LanguageContext& ctx);
    void close();
    bool isOpen() const;
    // One key of [LANGUAGE]; a missing or empty key is reported (and ends the
    // program once the main window was activated).
    std::string readText(LanguageContext& ctx, const std::string& key);
    // A key of any section of the open file, "" when missing; no message.
    std::string rawValue(const std::string& section, const std::string& key) const;
    // Every key=value of a section of the open file, in file order.
    std::vector<std::pair<std::string, std::string>> sectionEntries(const std::string& section) const;

private:
    std::string readIndexKey(LanguageContext& ctx, void* index, const std::string& section, const std::string& key,
                             bool& ok);

    std::vector<LanguageEntry> entries_;
    int selected_ = 0;
    TextCodec codec_;
    struct Open;
    std::unique_ptr<Open> open_;
};

// Section names of LNG_MAIN.INI that the program never offers.
bool isRemovedLanguage(const std::string& section);

// Reads every [LANGUAGE] key into ctx.texts and [NAMEF] into ctx.names, and
// sets the default file name of the new texts. False when the program has to end.
bool loadInterfaceTexts(LanguageContext& ctx);
// Reads every [PROTOCOL] key into ctx.reportLabels. False when the program has to end.
bool loadReportTexts(LanguageContext& ctx);

// The text of a heading key with each "$" turned into a line break (CR).
std::string headingText(const std::string& text);

} // namespace zentrova

namespace zentrova {
} // namespace zentrova
