// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "language/TypedText.h"

#include "base/Prompts.h"
#include "language/LanguageContext.h"

namespace zentrova {

bool canStoreTyped(const LanguageContext& ctx, const QStringList& typed)
{
    // Joined by a line break, which every code page holds.
    const QString lacking = ctx.languageFiles.codec().unencodable(typed.join(u'\n'));
    if (lacking.isEmpty())
        return true;
    ctx.prompts->messageWithCharacters(MsgType::Error, ctx.texts.text("CannotStore_60"), lacking, MbOK);
    return false;
}

bool canStoreTyped(const LanguageContext& ctx, const QString& typed)
{
    return canStoreTyped(ctx, QStringList{typed});
}

} // namespace zentrova
