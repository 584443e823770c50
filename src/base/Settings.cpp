#include "base/Settings.h"

#include "base/FileIO.h"
#include "base/IniFile.h"

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

void Settings::writeSetting(const std::string& section, const std::string& key, const std::string& value) const
{
    // A file that is there but cannot be read (or a folder of that name) is
    // left alone: writing it anew would drop every other setting.
    const QString file = fileNameFromSystem(QByteArray::fromStdString(path_));
    std::string before;
    if (!readWholeFile(file, before) && ::access(path_.c_str(), F_OK) == 0)
        return;
    // The one line changes; the rest of the file (comments, blank lines,
    // line ends and spacing the user chose) stays as it is.
    const std::string bytes = withIniValue(before, section, key, value);
    // Through a temporary file: a full disk must not cut the old settings
    // short. Failures are ignored by design; the old values stay.
    writeFileSafely(file, bytes, nullptr, false);
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
