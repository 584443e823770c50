#include "structure/StructureContext.h"

namespace zentrova {

void applyFamilyProfile(StructureContext& ctx)
{
    const QString oldDefault = ctx.decode(ctx.texts.defaultFileName);
    loadFamilyProfile(ctx);
    if (ctx.document.fileName == oldDefault)
        ctx.document.fileName = ctx.decode(ctx.texts.defaultFileName);
    ctx.document.fileName = replaceFileExtension(ctx.document.fileName, ctx.decode(ctx.texts.extension));
}

void followDefaultFileName(StructureContext& ctx, const std::string& oldDefault)
{
    if (ctx.document.fileName == ctx.decode(oldDefault))
        ctx.document.fileName = ctx.decode(ctx.texts.defaultFileName);
}

} // namespace zentrova
