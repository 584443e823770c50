#include "shell/AppContext.h"

#include "base/FileIO.h"
#include "base/Prompts.h"

#include <QFile>

namespace zentrova {

AppContext::AppContext(const QString& programDir, Prompts& p)
    : programDir(programDir.endsWith(u'/') ? programDir : programDir + u'/'), prompts(&p),
      settings(fileNameToSystem(programDir + QStringLiteral("ZENTRO.INI")).toStdString())
{
}

void AppContext::fatal(const std::string& message)
{
    if (quitRequested)
        return;
    quitRequested = true;
    prompts->message(MsgType::Error, message, MbOK);
}

} // namespace zentrova
