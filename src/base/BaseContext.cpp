#include "base/BaseContext.h"

#include "base/FileIO.h"
#include "base/Prompts.h"

namespace zentrova {

BaseContext::BaseContext(const QString& programDir, Prompts& p)
    : programDir(programDir.endsWith(u'/') ? programDir : programDir + u'/'), prompts(&p),
      settings(fileNameToSystem(programDir + QStringLiteral("ZENTRO.INI")).toStdString())
{
}

void BaseContext::fatal(const std::string& message)
{
    if (quitRequested)
        return;
    quitRequested = true;
    prompts->message(MsgType::Error, message, MbOK);
}

} // namespace zentrova
