#pragma once
#include <QString>

namespace zentrova {

class Settings;

// The history archive's settings, section [HISTORY] of the settings file.
struct HistorySettings {
    // "Database": empty for the default SQLite file, else an SQLite file's
    // path or a server's "postgresql://USER@HOST:PORT/DATABASE".
    QString database;
    // "AddAfterReceive": every download is added to the archive once it is received.
    bool addAfterReceive = false;
    bool operator==(const HistorySettings&) const = default;
};

HistorySettings loadHistorySettings(const Settings& settings);
void saveHistorySettings(const Settings& settings, const HistorySettings& history);

} // namespace zentrova
