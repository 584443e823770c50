// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/MeasurementTime.h"

#include <QRegularExpression>

namespace zentrova {

QDate measurementDate(const QString& dateText)
{
    static const QRegularExpression dayFirst(QStringLiteral(R"(^\s*(\d{1,2})[./-](\d{1,2})[./-](\d{2}|\d{4})\s*$)"));
    static const QRegularExpression yearFirst(QStringLiteral(R"(^\s*(\d{4})-(\d{1,2})-(\d{1,2})\s*$)"));
    if (const auto m = dayFirst.match(dateText); m.hasMatch()) {
        int year = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            year += 2000;
        return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
    }
    if (const auto y = yearFirst.match(dateText); y.hasMatch())
        return QDate(y.captured(1).toInt(), y.captured(2).toInt(), y.captured(3).toInt());
    return {};
}

QTime measurementClock(const QString& timeText)
{
    static const QRegularExpression clock(QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2}))?\s*$)"));
    if (const auto c = clock.match(timeText); c.hasMatch())
        return QTime(c.captured(1).toInt(), c.captured(2).toInt(), c.captured(3).toInt());
    return {};
}

QDateTime measurementTime(const QString& dateText, const QString& timeText)
{
    const QDate date = measurementDate(dateText);
    if (!date.isValid())
        return {};
    const QTime time = measurementClock(timeText);
    return QDateTime(date, time.isValid() ? time : QTime(0, 0), Qt::UTC);
}

// The cells are code page bytes; a date or time that reads is ASCII digits
// and punctuation, which every code page the program knows keeps as they
// are, so Latin-1 decodes them without the code page.
std::string isoDateOrText(const std::string& dateText)
{
    const QDate date = measurementDate(QString::fromLatin1(dateText));
    return date.isValid() ? date.toString(Qt::ISODate).toStdString() : dateText;
}

std::string isoTimeOrText(const std::string& timeText)
{
    const QTime time = measurementClock(QString::fromLatin1(timeText));
    return time.isValid() ? time.toString(Qt::ISODate).toStdString() : timeText;
}

} // namespace zentrova
