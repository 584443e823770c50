// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/ComposePages.h"

#include <QFont>

#include <array>
#include <string>

namespace zentrova {

struct LanguageContext;
struct ReportHeading;
class GridData;
class InterfaceTexts;
class Progress;
class Settings;

// The report's typeface; the program maps it onto an installed face.
inline constexpr const char* ReportTypeface = "Arial";
// The report font of the report tables: the report typeface, 9 points.
QFont reportFont();

// The results grid's font from the settings (section TabFONTS) over `base`:
// the window's font, or Courier New 10 points when composing without it.
QFont reportGridFont(const Settings& s, QFont base = QFont(QStringLiteral("Courier New"), 10));

// What a composition prints. The results report is the only one: the
// results grid under the printout heading, then the comments, on the paper
// and in the orientation of the page setup.
enum PrintMode { PrintResults = 0 };

// The four page margins as the user typed them, in centimetres
// (settings section MARGINS).
struct MarginTexts {
    enum Side { Left, Right, Top, Bottom, Count };
    std::array<std::string, Count> text{"2.54", "2.54", "2.54", "2.54"};

    static const char* settingKey(int side);
    static const char* languageKey(int side); // the side's label
    void load(const Settings& s);
    void save(const Settings& s) const;
};

// The message for a margin text that is no number (bytes): the dialog's
// caption, the side's label and the text as typed.
std::string marginErrorText(const InterfaceTexts& texts, int side, const std::string& text);

// The report needs this much of the paper between opposite margins: the
// frame's 40 mm corner wedge across, the heading's 30 mm above the table and
// the 10 mm band below it down the page.
inline constexpr double MinPrintableMm = 50;

// Checks the margin texts against the paper of `setup`: each must be a
// number, and each pair of opposite margins must leave MinPrintableMm of the
// page. Returns the side at fault (of a pair that is too wide, the larger
// margin), or MarginTexts::Count when all fit; `error` then gets the message
// that names the margin and says why it does not fit (bytes).
int checkMargins(const InterfaceTexts& texts, const MarginTexts& margins, const PageSetup& setup,
                 std::string* error = nullptr);

// A margin text with "." and "," both turned into the decimal separator of
// the user's locale: how the margins are stored.
std::string withSystemDecimalSeparator(const std::string& text);
// Reads a margin text in centimetres: its first number, with "." or "," as
// the decimal separator, whatever the locale. False when it has no digits.
bool parseMarginText(const std::string& text, double& centimetres);

// Composes the results report of `grid` into `recorder`: every page with its
// frame and printout heading, the table fitted to the printable width and
// split into pages with its heading row repeated, then the comments. The
// recorder's page setup (paper and resolution) must be set.
//
// The margins are checked first (checkMargins): when one of them is wrong,
// nothing is recorded (the previous pages stay), `error` gets the message to
// show (bytes) and the result is false.
bool composeReport(const LanguageContext& ctx, const ReportHeading& heading, PrintMode mode, const GridData& grid,
                   const MarginTexts& margins, PageRecorder& recorder, Progress& progress,
                   std::string* error = nullptr);

} // namespace zentrova
