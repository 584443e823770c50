// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/Settings.h"

#include "base/FileIO.h"
#include "base/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace zentrova {

std::string Settings::readSetting(const std::string& section, const std::string& key, const std::string& def) const
{
    CSimpleIniA ini(false, false, false);
    if (!loadIniFile(ini, path_))
        return def;
    const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return v ? std::string(v) : def;
}

bool Settings::writeSetting(const std::string& section, const std::string& key, const std::string& value) const
{
    // One line holds one value: a line break would start another line and a
    // NUL is no text, so such a value could not read back as written.
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        if (onWriteFailure_)
            onWriteFailure_(QStringLiteral("%1: [%2] %3: a value with a line break cannot be kept")
                                .arg(fileNameFromSystem(QByteArray::fromStdString(path_)), QString::fromLatin1(section),
                                     QString::fromLatin1(key)));
        return false;
    }
    // A file that is there but cannot be read (or a folder of that name) is
    // left alone: writing it anew would drop every other setting.
    const QString file = fileNameFromSystem(QByteArray::fromStdString(path_));
    std::string before;
    QString error;
    if (!readWholeFile(file, before, &error) && ::access(path_.c_str(), F_OK) == 0) {
        reportWriteFailure(error);
        return false;
    }
    // The one line changes; the rest of the file (comments, blank lines,
    // line ends and spacing the user chose) stays as it is.
    const std::string bytes = withIniValue(before, section, key, value);
    // Through a temporary file: a full disk must not cut the old settings
    // short; the old values stay. The first setting creates the folder of a
    // settings file in the user's configuration folder.
    // Only there: a settings path elsewhere names a folder that is there.
    // When it cannot be made, the write below says why.
    const QString folder = QFileInfo(file).absolutePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (!QFileInfo::exists(folder) && !config.isEmpty() && folder.startsWith(config + u'/'))
        QDir().mkpath(folder);
    if (writeFileSafely(file, bytes, &error, false))
        return true;
    reportWriteFailure(error);
    return false;
}

void Settings::reportWriteFailure(const QString& reason) const
{
    if (problemReported_)
        return;
    problemReported_ = true;
    if (onWriteFailure_)
        onWriteFailure_(fileNameFromSystem(QByteArray::fromStdString(path_)) + QStringLiteral(": ") + reason);
}

QString Settings::problem() const
{
    const QString reason = notARegularFile(fileNameFromSystem(QByteArray::fromStdString(path_)));
    return reason.isEmpty() ? reason
                            : fileNameFromSystem(QByteArray::fromStdString(path_)) + QStringLiteral(": ") + reason;
}

QString Settings::unreportedProblem() const
{
    if (problemReported_)
        return {};
    QString found = problem();
    problemReported_ = !found.isEmpty();
    return found;
}

} // namespace zentrova
