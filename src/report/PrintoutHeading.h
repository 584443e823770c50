// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <array>
#include <string>

namespace zentrova {

class Settings;
class InterfaceTexts;

// Operator, footer and test-site lines and the logo of every printed page.
struct PrintoutHeading {
    std::array<std::string, 3> op;     // OPERATOR OP1..OP3
    std::array<std::string, 3> footer; // OPERATOR FOOTER, FOOTER2, FOOTER3
    std::array<std::string, 3> site;   // SITE site1..site3
    std::string logo;                  // OPERATOR Logo (path)
    int logoMode = 0;                  // 0 = operator text lines, 1 = logo picture

    void load(const Settings& s);
    void save(const Settings& s) const;
};

// The report's comment lines, the autotest comments and the three switches.
struct Comments {
    static constexpr int LineCount = 200;
    static constexpr int AutotestCount = 5;
    std::array<std::string, LineCount> lines;
    std::array<std::string, AutotestCount> autotest;
    std::string checks = "101";

    void load(const Settings& s);
    void save(const Settings& s) const;
    // The switches as the report reads them: a checks text shorter than three
    // characters counts as "101".
    bool commentsEnabled() const;
    bool autotestEnabled() const;
    bool pageNumbering() const;
    // The boxes of the dialog: all cleared when checks is too short.
    std::array<bool, 3> dialogBoxes() const;
    static std::string checksFromBoxes(const std::array<bool, 3>& boxes);
};

// Names given to new elements of each kind.
// What a report prints around the results of one structure: its printout
// heading on every page, its comments after the table.
struct ReportHeading {
    const PrintoutHeading& printout;
    const Comments& comments;
};

struct DefaultNames {
    enum Index {
        Object,
        Block,
        LightningConductor,
        BondingPoint,
        Fuse,
        ResidualCurrentDevice,
        Electrode,
        Connection1,
        Connection2,
        Earthing,
        Count
    };
    std::array<std::string, Count> names;

    void load(const Settings& s, const InterfaceTexts& texts);
    // A language change: forget the stored names, take the new language's.
    void reset(const Settings& s, const InterfaceTexts& texts);

    static const char* settingKey(int i);
    static const char* languageKey(int i);
};

} // namespace zentrova

#include <QString>

namespace zentrova {
// The comments box's typing rule: while the caret stands before the end and
// the text ends in a space or control character, that character is dropped.
QString trimTrailingBeforeKey(const QString& text, int caret);
// Number of lines of a text box's contents (an empty text has one line).
int lineCountOf(const QString& text);
// The first `max` lines of `text`.
QString firstLines(const QString& text, int max);
} // namespace zentrova

#include <QSize>

namespace zentrova {
// The size a logo picture is shown at in the operator dialog: scaled to the
// available height, then, when still too wide, to the available width.
QSize fitLogo(QSize picture, int availableHeight, int availableWidth);
} // namespace zentrova
