#include "shell/Settings.h"

#include <SimpleIni.h>

namespace zentrova {

std::string Settings::ReadSetting(const std::string& section, const std::string& key,
                                  const std::string& def) const
{
    CSimpleIniA ini(false, false, false);
    if (ini.LoadFile(path_.c_str()) < 0)
        return def;
    const char* v = ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return v ? std::string(v) : def;
}

void Settings::WriteSetting(const std::string& section, const std::string& key,
                            const std::string& value) const
{
    CSimpleIniA ini(false, false, false);
    ini.LoadFile(path_.c_str()); // a missing file is created by the save below
    if (ini.SetValue(section.c_str(), key.c_str(), value.c_str()) < 0)
        return;
    ini.SaveFile(path_.c_str(), false); // failures are ignored by design
}

} // namespace zentrova
