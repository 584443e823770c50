#include "history/HistorySettings.h"

#include "base/FileIO.h"
#include "base/Settings.h"

namespace zentrova {

namespace {
const std::string HistorySection = "HISTORY";
} // namespace

HistorySettings loadHistorySettings(const Settings& settings)
{
    HistorySettings h;
    // A file's path is kept as the system's bytes, as the recent files are.
    h.database =
        fileNameFromSystem(QByteArray::fromStdString(settings.readSetting(HistorySection, "Database", ""))).trimmed();
    h.addAfterReceive = settings.readSetting(HistorySection, "AddAfterReceive", "0") == "1";
    return h;
}

void saveHistorySettings(const Settings& settings, const HistorySettings& history)
{
    settings.writeSetting(HistorySection, "Database", fileNameToSystem(history.database.trimmed()).toStdString());
    settings.writeSetting(HistorySection, "AddAfterReceive", history.addAfterReceive ? "1" : "0");
}

} // namespace zentrova
