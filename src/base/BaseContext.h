// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/Settings.h"

#include <QString>
#include <string>

namespace zentrova {

class Prompts;

// What every part of the program sees: the program's folder, the prompts that
// talk to the user and the settings file. The language context adds the
// active language to it; the open document is held beside it, never in it.
struct BaseContext {
    // `settingsFile` empty: ZENTRO.INI in `programDir`.
    BaseContext(const QString& programDir, Prompts& prompts, const QString& settingsFile = {});

    QString programDir; // the language files and help pages, with trailing separator
    Prompts* prompts;
    Settings settings;

    // Set when a broken language file ends the program; the running sequence
    // goes on with empty texts and the program quits when it returns.
    bool quitRequested = false;

    // Reports a fatal condition (error box) and asks the program to end. Only
    // the first such report is shown: the program is ending anyway.
    void fatal(const std::string& message);
};

} // namespace zentrova
