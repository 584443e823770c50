// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/Startup.h"

#include "base/Prompts.h"
#include "language/Language.h"
#include "shell/AppContext.h"
#include "structure/StructureTexts.h"

#include <algorithm>

namespace zentrova {

namespace {

// The interface texts of the selected language; a document that still has
// the previous default name takes the new one.
bool loadInterfaceTextsFollowingName(AppContext& ctx)
{
    const std::string before = ctx.language.texts.defaultFileName;
    const bool loaded = loadInterfaceTexts(ctx.language);
    if (ctx.language.texts.defaultFileName != before)
        followDefaultFileName(ctx, before.empty() ? std::string("..") : before);
    return loaded;
}

} // namespace

bool loadLanguages(AppContext& ctx)
{
    // Once the program runs, a missing text ends it, as a broken language file does.
    ctx.language.terminateOnMissingText = true;
    return ctx.language.languageFiles.loadLanguageList(ctx.language) && loadInterfaceTextsFollowingName(ctx) &&
           loadReportTexts(ctx.language) && !ctx.language.quitRequested;
}

void loadReportSettings(AppContext& ctx)
{
    ctx.document.heading.load(ctx.language.settings);
    ctx.document.comments.load(ctx.language.settings);
    ctx.defaultNames.load(ctx.language.settings, ctx.language.texts);
}

bool loadProgramState(AppContext& ctx)
{
    const bool loaded = loadLanguages(ctx);
    ctx.document.familyCode = 0;
    applyFamilyProfile(ctx);
    loadReportSettings(ctx);
    ctx.document.saved = true;
    ctx.document.resultsDiscarded = false;
    return loaded && !ctx.language.quitRequested;
}

bool changeLanguage(AppContext& ctx, int index)
{
    if (index < 0 || size_t(index) >= ctx.language.languageFiles.entries().size())
        return false;
    ctx.language.settings.writeSetting("SETUP", "Language", std::to_string(index + 1));
    ctx.language.languageFiles.setSelectedIndex(index);
    if (!loadInterfaceTextsFollowingName(ctx) || !loadReportTexts(ctx.language))
        return false;
    applyFamilyProfile(ctx);
    ctx.defaultNames.reset(ctx.language.settings, ctx.language.texts);
    return !ctx.language.quitRequested;
}

LanguageSwitch switchLanguage(AppContext& ctx, int index)
{
    if (index < 0 || size_t(index) >= ctx.language.languageFiles.entries().size())
        return LanguageSwitch::Failed;
    const TextCodec from = ctx.language.languageFiles.codec();
    const TextCodec to(ctx.language.languageFiles.entries()[size_t(index)].lcid);
    if (from.codePage() != to.codePage()) {
        const QStringList lost = structureLinesNotHeldBy(ctx, from, to);
        if (!lost.isEmpty()) {
            // The lines are asked about in the current language, whose code
            // page holds them. A long list shows its start and how many more.
            constexpr int Shown = 12;
            std::string question = ctx.language.texts.text("NamesNotHeld_50");
            for (int i = 0; i < std::min<int>(Shown, int(lost.size())); ++i)
                question += "\r    " + from.encode(lost[i]);
            if (lost.size() > Shown)
                question +=
                    "\r    " + ctx.language.texts.text("AndMore_50") + ' ' + std::to_string(lost.size() - Shown);
            question += "\r" + ctx.language.texts.text("SwitchLanguageAnyway_50");
            if (ctx.language.prompts->message(MsgType::Confirmation, question, MbYes | MbNo) != MbYes)
                return LanguageSwitch::Kept;
        }
    }
    if (!changeLanguage(ctx, index))
        return LanguageSwitch::Failed;
    convertStructureTexts(ctx, from, ctx.language.languageFiles.codec());
    return LanguageSwitch::Switched;
}

} // namespace zentrova
