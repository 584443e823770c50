// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/StructureContext.h"

namespace zentrova {

void applyFamilyProfile(StructureContext& ctx)
{
    const QString oldDefault = ctx.decode(ctx.texts.defaultFileName);
    loadFamilyProfile(ctx);
    // The default name follows the family's extension. A file that was opened
    // or saved keeps its own name: Save writes back where the structure came
    // from, never over another file that merely shares the name's stem.
    if (ctx.document.fileName == oldDefault)
        ctx.document.fileName = ctx.decode(ctx.texts.defaultFileName);
}

void followDefaultFileName(StructureContext& ctx, const std::string& oldDefault)
{
    if (ctx.document.fileName == ctx.decode(oldDefault))
        ctx.document.fileName = ctx.decode(ctx.texts.defaultFileName);
}

} // namespace zentrova
