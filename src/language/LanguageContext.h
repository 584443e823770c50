// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/BaseContext.h"
#include "language/Language.h"
#include "language/Profile.h"

#include <cstdint>
#include <string>

namespace zentrova {

// The base and the active language: its texts, name tables and report labels,
// its code page, and the profile of the instrument family being served.
struct LanguageContext : BaseContext {
    using BaseContext::BaseContext;

    uint8_t profileFamily = DefaultProfileFamily;
    bool terminateOnMissingText = false;
    std::string structureFileMask;
    Profile profile;

    LanguageLoader languageFiles; // the list of languages, the chosen one and its code page
    InterfaceTexts texts;
    NameTables names;
    ReportLabels reportLabels;

    QString decode(const std::string& bytes) const { return languageFiles.codec().decode(bytes); }
    std::string encode(const QString& text) const { return languageFiles.codec().encode(text); }
};

} // namespace zentrova
