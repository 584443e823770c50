// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/BaseContext.h"

#include "base/FileIO.h"
#include "base/Prompts.h"

namespace zentrova {

BaseContext::BaseContext(const QString& programDir, Prompts& p, const QString& settingsFile)
    : programDir(programDir.endsWith(u'/') ? programDir : programDir + u'/'), prompts(&p),
      settings(fileNameToSystem(settingsFile.isEmpty() ? this->programDir + QStringLiteral("ZENTRO.INI") : settingsFile)
                   .toStdString())
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
