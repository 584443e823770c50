// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QLoggingCategory>

#include <array>

namespace zentrova {

class Settings;

// The program's diagnostics, for a user to send when something went wrong.
// Every category is quiet by default (warnings and worse only, and the
// program logs none): QT_LOGGING_RULES ("zentrova.comm.debug=true"), the
// setting below or zentrova-cli -v turn them on. Nothing secret is logged:
// archive addresses go out without their password.
//   zentrova.comm     the port opened and closed, each exchange's outcome
//   zentrova.file     files read and written, and the ones refused
//   zentrova.history  the archive opened, migrated and added to
//   zentrova.report   reports composed, printed and written
Q_DECLARE_LOGGING_CATEGORY(logComm)
Q_DECLARE_LOGGING_CATEGORY(logFile)
Q_DECLARE_LOGGING_CATEGORY(logHistory)
Q_DECLARE_LOGGING_CATEGORY(logReport)

// The four categories, for a recorder that turns them on for a while.
std::array<QLoggingCategory*, 4> programLogCategories();

// How much the categories say: info tells what was done, debug also how
// (each exchange, each step).
enum class LogDetail { Off = 0, Info = 1, Debug = 2 };

// [DIAGNOSTICS] LogLevel: 0 (the default) off, 1 info, 2 debug; anything
// else reads as the nearest of these.
LogDetail logDetailSetting(const Settings& settings);

// Turns every category on up to `detail`; Off leaves them as Qt's rules
// have them. QT_LOGGING_RULES still has the last word.
void setLogDetail(LogDetail detail);

} // namespace zentrova
