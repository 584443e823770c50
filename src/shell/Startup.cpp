#include "shell/Startup.h"

#include "language/Language.h"
#include "shell/AppContext.h"

namespace zentrova {

namespace {

// The interface texts of the selected language; a document that still has
// the previous default name takes the new one.
bool loadInterfaceTextsFollowingName(AppContext& ctx)
{
    const std::string before = ctx.texts.defaultFileName;
    const bool loaded = loadInterfaceTexts(ctx);
    if (ctx.texts.defaultFileName != before)
        followDefaultFileName(ctx, before.empty() ? std::string("..") : before);
    return loaded;
}

} // namespace

bool loadLanguages(AppContext& ctx)
{
    // Once the program runs, a missing text ends it, as a broken language file does.
    ctx.terminateOnMissingText = true;
    return ctx.language.loadLanguageList(ctx) && loadInterfaceTextsFollowingName(ctx) && loadReportTexts(ctx) &&
           !ctx.quitRequested;
}

void loadReportSettings(AppContext& ctx)
{
    ctx.heading.load(ctx.settings);
    ctx.comments.load(ctx.settings);
    ctx.defaultNames.load(ctx.settings, ctx.texts);
}

bool loadProgramState(AppContext& ctx)
{
    const bool loaded = loadLanguages(ctx);
    ctx.familyCode = 0;
    applyFamilyProfile(ctx);
    loadReportSettings(ctx);
    ctx.document.saved = true;
    ctx.document.resultsDiscarded = false;
    return loaded && !ctx.quitRequested;
}

bool changeLanguage(AppContext& ctx, int index)
{
    if (index < 0 || size_t(index) >= ctx.language.entries().size())
        return false;
    ctx.settings.writeSetting("SETUP", "Language", std::to_string(index + 1));
    ctx.language.setSelectedIndex(index);
    if (!loadInterfaceTextsFollowingName(ctx) || !loadReportTexts(ctx))
        return false;
    applyFamilyProfile(ctx);
    ctx.defaultNames.reset(ctx.settings, ctx.texts);
    return !ctx.quitRequested;
}

} // namespace zentrova
