#include "base/Settings.h"

#include "base/FileIO.h"
#include "base/IniFile.h"

#include <unistd.h>

namespace zentrova {

std::string Settings::ReadSetting(const std::string& section, const std::string& key,
                                  const std::string& def) const
{
    CSimpleIniA ini(false, false, false);
    if (!LoadIniFile(ini, path_))
        return def;
    const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return v ? std::string(v) : def;
}

void Settings::WriteSetting(const std::string& section, const std::string& key,
                            const std::string& value) const
{
    // A file that is there but cannot be read (or a folder of that name) is
    // left alone: writing it anew would drop every other setting.
    CSimpleIniA ini(false, false, false);
    if (!LoadIniFile(ini, path_) && ::access(path_.c_str(), F_OK) == 0)
        return;
    if (ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0)
        return;
    std::string bytes;
    if (ini.Save(bytes, false) < 0)
        return;
    // Through a temporary file: a full disk must not cut the old settings
    // short. Failures are ignored by design; the old values stay.
    WriteFileSafely(FileNameFromSystem(QByteArray::fromStdString(path_)), bytes, nullptr, false);
}

QString Settings::Problem() const
{
    const QString reason = NotARegularFile(FileNameFromSystem(QByteArray::fromStdString(path_)));
    return reason.isEmpty() ? reason : FileNameFromSystem(QByteArray::fromStdString(path_)) + QStringLiteral(": ") + reason;
}

QString Settings::UnreportedProblem() const
{
    if (problemReported_)
        return {};
    QString problem = Problem();
    problemReported_ = !problem.isEmpty();
    return problem;
}

} // namespace zentrova
