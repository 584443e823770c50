// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "history/HistoryArchive.h"

#include <QString>
#include <string>
#include <vector>

namespace zentrova::test {

// The engines the history archive's tests run on: an SQLite file, and a
// PostgreSQL server of the tests' own, started on first use and stopped
// when the test program ends.
enum class ArchiveEngine { SQLite, PostgreSQL };

std::vector<ArchiveEngine> availableArchiveEngines();
std::string engineName(ArchiveEngine engine);

// A new, empty archive: a new file in a temporary folder, or a new database
// on the private server. False with the reason (the server did not start).
bool freshArchive(ArchiveEngine engine, ArchiveLocation& out, QString* error);

// Runs one statement on the archive through a connection of its own.
bool runSql(const ArchiveLocation& where, const QString& sql, QString* error);

} // namespace zentrova::test
