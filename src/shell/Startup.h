// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once

namespace zentrova {

struct AppContext;

// The start of the program, the same for the windows, the command-line tool,
// the tests and the benchmarks.

// The language list, the interface texts and the report labels of the
// selected language. False when a language file is broken (the error was
// shown and ctx.language.quitRequested is set).
bool loadLanguages(AppContext& ctx);

// What the user keeps in the settings file for reports: the printout
// heading, margins, comments and the default names of new elements.
void loadReportSettings(AppContext& ctx);

// The program as its first activation leaves it, without windows: languages
// and texts, the family profile of no instrument yet, the report settings,
// an empty saved structure. A broken language file ends the program: false.
bool loadProgramState(AppContext& ctx);

// The language dialog's OK: stores the choice (1-based), reloads the texts and
// report labels, re-applies the family profile and resets the default names.
// False when the new language's files are broken (the program ends).
bool changeLanguage(AppContext& ctx, int index);

enum class LanguageSwitch {
    Switched, // the new language is active, the open structure's texts follow its code page
    Kept,     // the user chose to keep the current language: nothing changed
    Failed,   // the new language's files are broken (the program ends)
};

// changeLanguage for the language dialog, with the open structure: its texts
// are re-encoded in the new language's code page. When some of them hold
// characters that code page cannot write, the user is shown those lines and
// asked first; the answer No keeps the current language.
LanguageSwitch switchLanguage(AppContext& ctx, int index);

} // namespace zentrova
