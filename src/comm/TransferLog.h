// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/Receive.h"

#include <QDateTime>
#include <QString>
#include <string>

namespace zentrova {

struct LanguageContext;

// A transfer that did not finish: records are missing, nobody answered, the
// port failed, a stage failed. Its log is worth sending.
bool transferWentWrong(const ReceiveOutcome& outcome);

// The log of a transfer as a user sends it: when and on which port, the
// outcome, the program's messages while it ran and the trace of the bytes
// that went over the line. Plain text, LF line ends.
std::string transferLogText(const ReceiveOutcome& outcome, const QString& port, int baud, const QDateTime& when,
                            const std::string& messages, const std::string& trace);

// Asks whether to save the log of a transfer that went wrong, then where
// (transfer-YYYYMMDD-HHMMSS.log proposed, a file that is there replaced only
// when the user says so), and writes it. True when written.
bool offerTransferLog(const LanguageContext& ctx, const QDateTime& when, const std::string& log);

} // namespace zentrova
