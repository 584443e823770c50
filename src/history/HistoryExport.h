// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>

namespace zentrova {

class HistoryArchive;
class OutputFile;

// The archive's items of an installation (0: of all) as UTF-8 CSV with a
// byte-order mark, one row per item, written into `out` row by row as the
// archive gives them, so that no export is ever held in memory whole. Text
// cells go through csvField; numbers stay numbers. False with the reason
// when the archive could not be read. A failed write ends the export early
// and is for out.commit() to tell.
bool writeHistoryCsv(HistoryArchive& archive, qint64 installation, OutputFile& out, QString* error);

} // namespace zentrova
