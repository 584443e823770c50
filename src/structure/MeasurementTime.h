// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QDateTime>
#include <QString>
#include <string>

namespace zentrova {

// A record's date as the instrument writes it: day, month and year (four or
// two digits, "24" is 2024) with dots, slashes or dashes between, or year,
// month and day with dashes (ISO 8601). Invalid when it does not read as a
// date of the calendar.
QDate measurementDate(const QString& dateText);
// A record's time: hours and minutes, perhaps seconds, with colons. Invalid
// when it does not read as one.
QTime measurementClock(const QString& timeText);

// The date and time of a record together. Invalid when the date does not
// read; a time that does not read is taken as midnight.
QDateTime measurementTime(const QString& dateText, const QString& timeText);

// A date or time cell of the instrument (code page bytes) for a CSV file: in
// ISO 8601 ("2024-03-12", "10:15:00") when it reads, so that a spreadsheet
// need not guess the order; else the bytes as they are, nothing lost.
std::string isoDateOrText(const std::string& dateText);
std::string isoTimeOrText(const std::string& timeText);

} // namespace zentrova
