// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/TransferLog.h"

#include "base/Prompts.h"
#include "language/LanguageContext.h"
#include "language/Profile.h"
#include "language/ReplaceQuestion.h"

namespace zentrova {

bool transferWentWrong(const ReceiveOutcome& outcome)
{
    using Status = ReceiveOutcome::Status;
    switch (outcome.status) {
    case Status::Incomplete:
    case Status::NotAnswered:
    case Status::PortFailed:
    case Status::Failed:
        return true;
    case Status::Received:
    case Status::Declined:
    case Status::OtherInstrument:
    case Status::Busy:
        return false;
    }
    return false;
}

std::string transferLogText(const ReceiveOutcome& outcome, const QString& port, int baud, const QDateTime& when,
                            const std::string& messages, const std::string& trace)
{
    std::string out = std::string("Zentrova ") + ProgramVersion + " transfer log\n";
    out += "Started: " + when.toString(Qt::ISODate).toStdString() + "\n";
    out += "Port: " + port.toStdString() + " at " + std::to_string(baud) + " baud\n";
    out += std::string("Outcome: ") + receiveStatusName(outcome.status) + ", " + std::to_string(outcome.done) + " of " +
           std::to_string(outcome.count) + " records\n";
    if (outcome.identified)
        out += "Type code: " + std::to_string(outcome.typeCode) + "\n";
    if (!outcome.error.empty())
        out += "Port error: " + outcome.error + "\n";
    out += "\nMessages:\n" + (messages.empty() ? std::string("(none)\n") : messages);
    out += "\nTrace (> sent, < received, seconds since the port opened):\n" +
           (trace.empty() ? std::string("(none)\n") : trace);
    return out;
}

bool offerTransferLog(const LanguageContext& ctx, const QDateTime& when, const std::string& log)
{
    if (ctx.prompts->message(MsgType::Confirmation, ctx.texts.text("SaveTransferLog_60"), MbYes | MbNo, 0) != MbYes)
        return false;
    FileDialogRequest r;
    r.title = ctx.texts.text("TransferLog_30");
    r.filterName = ctx.texts.text("LogFiles_13");
    r.pattern = QStringLiteral("*.log");
    r.allFilesName = ctx.texts.text("AllFiles_13");
    r.proposedName = QStringLiteral("transfer-%1.log").arg(when.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const auto path = chooseFileToWrite(
        ctx, r, [](const QString& chosen) { return withExtensionWhenNone(chosen, QStringLiteral("log")); });
    return path && writeChosenFile(ctx, *path, log);
}

} // namespace zentrova
