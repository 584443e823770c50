// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "base/WorkRunner.h"
#include "structure/Evaluation.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace zentrova {

struct StructureContext;

// Text as one RFC 4180 field: quoted when it holds a comma, a quote, CR or
// LF (quotes doubled), as it is otherwise. A text beginning with "=", "+",
// "-", "@", a tab or CR gets a "'" in front, so that a spreadsheet shows it
// as text and never runs it as a formula (a date text or a name from the
// instrument can be anything). Only for text cells: the writers put numbers
// in as plainNumber writes them, so that -5 stays a number.
std::string csvField(const std::string& utf8);

// A corrected value to three significant digits, as the CSVs write it: the
// correction is not more exact than that.
double threeSignificantDigits(double v);

// The results of the open structure as CSV for spreadsheets, in UTF-8 with a
// byte order mark, rows ended by CR LF. A heading row, then one row per
// result: block number and name, element number and name, function, date
// and time (ISO 8601 when they read, see isoDateOrText), and for every quantity any result of the structure has (in the
// order they first appear) its value as a plain number in the base unit ("." decimal point; empty when the value is no
// number), the base unit, and the marks ("<", ">", "!"); after PI and DAR their rating, which is advice.
// At the end of each row the judging, as advice: the insulation resistance
// corrected to its base temperature, that temperature and the correction
// rule (or why it was not corrected), then the result's verdict (the first
// that fails, else one held against a limit, else the first), its minimum
// in the base unit, its rule and source.
std::string valuesCsv(const StructureContext& ctx);

// What the judging columns go by: the rule sets, the settings' choices and
// each measuring point's equipment data.
struct CsvJudging {
    RuleSets rules;
    EvaluationChoices choices;
    // A point's data by block and element number; null (or no function) for none.
    std::function<const EquipmentData*(long block, long element)> equipmentOf;
    // The files the data were read from (the history archive's), which the
    // CSV must not replace.
    QStringList readFrom;
};
// The program's rule sets and the settings' choices, no equipment data.
CsvJudging csvJudging(const StructureContext& ctx);
std::string valuesCsv(const StructureContext& ctx, const CsvJudging& judging);

// The name the CSV file dialog offers: the structure file's name with ".csv"
// (empty when no file is open).
QString proposedValuesCsvName(const QString& currentFileName);

// File > Export CSV without its window: asks for the file through
// ctx.language.prompts (and whether to replace one), then composes and writes it
// safely through `runner`; a file the judging was read from is refused, with
// a message. True when a file was written.
bool runValuesCsvExport(StructureContext& ctx, const CsvJudging* judging = nullptr, WorkRunner& runner = inPlace());

// The save steps of a CSV file: the file dialog titled by `titleKey`, ".csv"
// added to a name without an extension, the question before replacing a
// file, then `csv()` written safely. One of `readFrom` (the files the CSV
// was composed from) is refused with a message ("HistoryArchiveNoOutput_60").
// True when a file was written.
bool saveCsvThroughDialog(StructureContext& ctx, const char* titleKey, const QString& proposedName,
                          const std::function<std::string()>& csv, WorkRunner& runner = inPlace(),
                          const QStringList& readFrom = {});

} // namespace zentrova
