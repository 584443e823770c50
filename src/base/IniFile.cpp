#include "base/IniFile.h"

#include "base/FileIO.h"

namespace zentrova {

bool loadIniFile(CSimpleIniA& ini, const std::string& path, QString* error)
{
    std::string bytes;
    if (!readWholeFile(fileNameFromSystem(QByteArray::fromStdString(path)), bytes, error))
        return false;
    if (ini.LoadData(bytes.data(), bytes.size()) < 0) {
        if (error)
            *error = QStringLiteral("not an INI file");
        return false;
    }
    return true;
}

} // namespace zentrova
