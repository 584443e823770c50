// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/FileHistory.h"

#include "base/FileIO.h"
#include "base/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace zentrova {

namespace {
const std::string RecentSection = "RECENT";
const std::string WindowSection = "WINDOW";

std::string recentKey(int i)
{
    return "File" + std::to_string(i + 1);
}

void writeRecentFiles(const Settings& settings, const QStringList& files)
{
    // Every slot is written, so entries that moved up leave no stale copies below.
    for (int i = 0; i < file_history::MaxRecentFiles; ++i) {
        const QString name = i < files.size() ? files[i] : QString();
        settings.writeSetting(RecentSection, recentKey(i), fileNameToSystem(name).toStdString());
    }
}
} // namespace

QStringList recentFiles(const Settings& settings)
{
    QStringList files;
    for (int i = 0; i < file_history::MaxRecentFiles; ++i) {
        const std::string value = settings.readSetting(RecentSection, recentKey(i), "");
        const QString name = fileNameFromSystem(QByteArray::fromStdString(value));
        if (!name.isEmpty() && !files.contains(name))
            files << name;
    }
    return files;
}

void addRecentFile(const Settings& settings, const QString& path)
{
    if (path.isEmpty())
        return;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles(settings);
    files.removeAll(absolute);
    files.prepend(absolute);
    while (files.size() > file_history::MaxRecentFiles)
        files.removeLast();
    writeRecentFiles(settings, files);
}

void removeRecentFile(const Settings& settings, const QString& path)
{
    QStringList files = recentFiles(settings);
    if (files.removeAll(path) > 0)
        writeRecentFiles(settings, files);
}

QString dialogStartPath(const Settings& settings, const QString& proposed)
{
    const QFileInfo info(proposed);
    if (!proposed.isEmpty() && (info.isAbsolute() || info.isDir()))
        return proposed;
    const QString folder =
        fileNameFromSystem(QByteArray::fromStdString(settings.readSetting(WindowSection, "Folder", "")));
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return proposed;
    return proposed.isEmpty() ? folder : QDir(folder).filePath(proposed);
}

void rememberDialogFolder(const Settings& settings, const QString& chosen)
{
    if (chosen.isEmpty())
        return;
    const QString folder = QFileInfo(chosen).absolutePath();
    settings.writeSetting(WindowSection, "Folder", fileNameToSystem(folder).toStdString());
}

} // namespace zentrova
