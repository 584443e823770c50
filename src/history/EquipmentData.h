// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/Equipment.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace zentrova {

class HistoryArchive;

// The equipment data of the archive's measuring points. The archive must be
// open; writing needs it opened for writing.

// The data of `point`; false with the reason when the archive cannot be
// read. `out` stays empty for a point without data.
bool readPointEquipment(HistoryArchive& archive, qint64 point, std::optional<EquipmentData>& out, QString* error);
// Sets (replaces) the data of `point`.
bool writePointEquipment(HistoryArchive& archive, qint64 point, const EquipmentData& data, QString* error);
// Deletes the data of `point`, which is then judged as a point without
// data; `deleted` says whether it had any.
bool deletePointEquipment(HistoryArchive& archive, qint64 point, bool& deleted, QString* error);

// A point of an installation that has data, with the numbers and names of
// the latest inspection that measured it.
struct PointEquipmentEntry {
    qint64 point = 0;
    long block = 0, element = 0;
    QString blockName, elementName;
    EquipmentData data;
};
bool installationEquipment(HistoryArchive& archive, qint64 installation, std::vector<PointEquipmentEntry>& out,
                           QString* error);

// An asset list: UTF-8 CSV (comma or semicolon separated, as its heading
// line is) with the columns site, point ("B/E"), type, rated_kv, class,
// temp and limit_mohm found by their heading in any order; point and type
// are needed, site unless `defaultSite` names the installation. Columns of
// any other heading are left out, and named in leftOutColumns. An empty cell leaves that item
// unset. Every row is checked, and stored as it is checked inside one
// transaction, which is rolled back once a row is refused: a file with any
// refused row stores nothing. The list is read piece by piece and no row is
// kept once checked, so a list of any size takes little memory.
struct AssetListRefusal {
    int line = 0; // of the file, from 1
    QString reason;
};
enum class AssetListFault {
    None,
    List,    // the list cannot be read: empty, a bad heading, an unclosed quote, a read error
    Archive, // the archive cannot be read or written
};
struct AssetListImport {
    // How many refused rows are named; the rest are counted.
    static constexpr size_t NamedRefusals = 20;
    bool stored = false;                   // every row was stored
    int rows = 0;                          // rows read
    std::vector<AssetListRefusal> refused; // the first NamedRefusals refused rows
    int refusedRows = 0;                   // all refused rows
    QStringList leftOutColumns;            // headings of the columns not read, once each, in order
    AssetListFault fault = AssetListFault::None;
    QString error; // why, for a fault
};
// Puts the list's next bytes into `chunk`, which comes empty at the end;
// false with the reason when the list cannot be read.
using AssetListSource = std::function<bool(std::string& chunk, QString* error)>;
AssetListImport importAssetList(HistoryArchive& archive, const AssetListSource& source, const QString& defaultSite);
AssetListImport importAssetList(HistoryArchive& archive, std::string_view csv, const QString& defaultSite);
// The list in the regular file `path`, read piece by piece.
AssetListImport importAssetListFile(HistoryArchive& archive, const QString& path, const QString& defaultSite);

} // namespace zentrova
