// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/ProgramPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zentrova {

namespace {
QString withSlash(const QString& dir)
{
    return dir.endsWith(u'/') ? dir : dir + u'/';
}
} // namespace

QString programDataDir(const QString& executableDir)
{
    const QString own = withSlash(executableDir);
    if (QFileInfo::exists(own + QStringLiteral("LNG_MAIN.INI")))
        return own;
    const QString shared = QDir::cleanPath(own + QStringLiteral("../share/zentrova")) + u'/';
    if (QFileInfo::exists(shared + QStringLiteral("LNG_MAIN.INI")))
        return shared;
    return own;
}

QString settingsFilePath(const QString& executableDir)
{
    const QString own = withSlash(executableDir) + QStringLiteral("ZENTRO.INI");
    if (QFileInfo::exists(own))
        return own;
    // $XDG_CONFIG_HOME when set to an absolute path, else ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/zentrova/ZENTRO.INI");
}

} // namespace zentrova
