// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// A record's date and time cells: the bytes up to the first byte 0 are the
// date text, the rest the time text. Whatever the bytes, a date or time that
// reads is a valid one, the CSV's ISO text of it reads back as the same, and
// one that does not read is kept as it was.
#include "FuzzHarness.h"

#include "structure/MeasurementTime.h"

namespace zentrova::fuzz {

int fuzzMeasurementTime(const uint8_t* data, size_t size)
{
    const auto [dateView, timeView] = twoTexts(data, size);
    const std::string dateText(dateView), timeText(timeView);

    const QDate date = measurementDate(QString::fromLatin1(dateText));
    const std::string isoDate = isoDateOrText(dateText);
    if (!date.isNull() && !date.isValid())
        violated("measurement time", "a date read that is none of the calendar");
    if (date.isValid() ? measurementDate(QString::fromStdString(isoDate)) != date : isoDate != dateText)
        violated("measurement time", "the CSV's date does not read back, or a date that does not read was changed");
    const QTime time = measurementClock(QString::fromLatin1(timeText));
    const std::string isoTime = isoTimeOrText(timeText);
    if (time.isValid() ? measurementClock(QString::fromStdString(isoTime)) != time : isoTime != timeText)
        violated("measurement time", "the CSV's time does not read back, or a time that does not read was changed");
    if (measurementTime(QString::fromLatin1(dateText), QString::fromLatin1(timeText)).isValid() != date.isValid())
        violated("measurement time", "the date and time together do not follow the date");
    return 0;
}

} // namespace zentrova::fuzz
