// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/StructureContext.h"

namespace zentrova {

void applyFamilyProfile(StructureContext& ctx)
{
    applyFamilyProfile(ctx.language, ctx.document);
}

void applyFamilyProfile(LanguageContext& language, Document& document)
{
    const QString oldDefault = language.decode(language.texts.defaultFileName);
    loadFamilyProfile(language);
    // The default name follows the family's extension. A file that was opened
    // or saved keeps its own name: Save writes back where the structure came
    // from, never over another file that merely shares the name's stem.
    if (document.fileName == oldDefault)
        document.fileName = language.decode(language.texts.defaultFileName);
}

void followDefaultFileName(StructureContext& ctx, const std::string& oldDefault)
{
    if (ctx.document.fileName == ctx.language.decode(oldDefault))
        ctx.document.fileName = ctx.language.decode(ctx.language.texts.defaultFileName);
}

} // namespace zentrova
