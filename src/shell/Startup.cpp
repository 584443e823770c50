#include "shell/Startup.h"

#include "language/Language.h"
#include "shell/AppContext.h"
#include "shell/Profile.h"

namespace zentrova {

bool loadLanguages(AppContext& ctx)
{
    // Once the program runs, a missing text ends it, as a broken language file does.
    ctx.terminateOnMissingText = true;
    return ctx.language.loadLanguageList(ctx) && loadInterfaceTexts(ctx) && loadReportTexts(ctx) && !ctx.quitRequested;
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

} // namespace zentrova
