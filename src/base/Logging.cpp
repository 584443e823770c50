// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/Logging.h"

#include "base/Settings.h"
#include "base/TextRules.h"

namespace zentrova {

namespace {

// Held as objects that may change: a log recorder turns them on for a while.
QLoggingCategory& category(int which)
{
    static QLoggingCategory comm("zentrova.comm", QtWarningMsg), file("zentrova.file", QtWarningMsg),
        history("zentrova.history", QtWarningMsg), report("zentrova.report", QtWarningMsg);
    QLoggingCategory* all[] = {&comm, &file, &history, &report};
    return *all[which];
}

} // namespace

const QLoggingCategory& logComm()
{
    return category(0);
}

const QLoggingCategory& logFile()
{
    return category(1);
}

const QLoggingCategory& logHistory()
{
    return category(2);
}

const QLoggingCategory& logReport()
{
    return category(3);
}

std::array<QLoggingCategory*, 4> programLogCategories()
{
    return {&category(0), &category(1), &category(2), &category(3)};
}

LogDetail logDetailSetting(const Settings& settings)
{
    const std::string value = settings.readSetting("DIAGNOSTICS", "LogLevel", "0");
    const long level = digitsValue(value);
    return level >= 2 ? LogDetail::Debug : level == 1 ? LogDetail::Info : LogDetail::Off;
}

void setLogDetail(LogDetail detail)
{
    switch (detail) {
    case LogDetail::Off:
        QLoggingCategory::setFilterRules(QString());
        break;
    case LogDetail::Info:
        QLoggingCategory::setFilterRules(QStringLiteral("zentrova.*.info=true"));
        break;
    case LogDetail::Debug:
        QLoggingCategory::setFilterRules(QStringLiteral("zentrova.*.info=true\nzentrova.*.debug=true"));
        break;
    }
}

} // namespace zentrova
