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
    CSimpleIniA ini(false, false, false);
    if (!loadIniFile(ini, path_) && ::access(path_.c_str(), F_OK) == 0)
        return;
    if (ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0)
        return;
    std::string bytes;
    if (ini.Save(bytes, false) < 0)
        return;
    // Through a temporary file: a full disk must not cut the old settings
    // short. Failures are ignored by design; the old values stay.
    writeFileSafely(fileNameFromSystem(QByteArray::fromStdString(path_)), bytes, nullptr, false);
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
