#include "structure/ReplaceQuestion.h"

#include "base/FileIO.h"
#include "base/Prompts.h"
#include "language/LanguageContext.h"

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

} // namespace zentrova
