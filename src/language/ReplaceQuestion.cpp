// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "language/ReplaceQuestion.h"

#include "base/FileIO.h"
#include "base/Prompts.h"
#include "language/LanguageContext.h"

#include <QFileInfo>

namespace zentrova {

unsigned askToReplace(const LanguageContext& ctx, const QString& path)
{
    // Only a file that can be opened for reading counts as there.
    if (!canBeRead(path))
        return MbYes;
    const std::string question =
        ctx.encode(path) + "\r" + ctx.texts.text("AlreadyExists_40") + "\r" + ctx.texts.text("ReplaceIt_40");
    return ctx.prompts->message(MsgType::Warning, question, MbYes | MbNo | MbCancel);
}

std::optional<QString> chooseFileToWrite(const LanguageContext& ctx, FileDialogRequest request,
                                         const std::function<QString(const QString&)>& completeName)
{
    for (;;) {
        const auto chosen = ctx.prompts->saveFileName(request);
        if (!chosen)
            return std::nullopt;
        const QString path = completeName(*chosen);
        request.proposedName = path;
        if (canBeRead(path)) {
            const unsigned answer = askToReplace(ctx, path);
            if (answer == MbNo)
                continue;
            if (answer != MbYes)
                return std::nullopt;
        } else if (QFileInfo::exists(path)) {
            // There, but not readable: say so and ask again.
            ctx.prompts->message(MsgType::Error, ctx.texts.text("Error_30"), MbOK);
            continue;
        }
        return path;
    }
}

QString withExtensionWhenNone(const QString& name, const QString& extension)
{
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    return name.indexOf(u'.', slash + 1) < 0 ? name + u'.' + extension : name;
}

bool writeChosenFile(const LanguageContext& ctx, const QString& path, std::string_view bytes)
{
    QString failure;
    if (writeFileSafely(path, bytes, &failure))
        return true;
    ctx.prompts->message(MsgType::Error, ctx.encode(path + u'\r' + failure), MbOK);
    return false;
}

} // namespace zentrova
