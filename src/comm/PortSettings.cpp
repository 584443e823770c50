// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "comm/PortSettings.h"

#include "base/TextRules.h"
#include "comm/Exchange.h"
#include "comm/Port.h"
#include "comm/PortDirectory.h"
#include "language/LanguageContext.h"

namespace zentrova {

const std::array<const char*, BaudEntryCount> BaudEntries = {"115200", "38400", "19200", "9600", "4800", "2400"};

namespace {
// A stored entry number N (1-based) selects entry N-1 when 0 < N <= count;
// anything else (the default "-1", 0, too large, not a number) selects nothing.
int storedIndex(const std::string& value, int count)
{
    bool digitsOnly = !value.empty();
    for (char c : value)
        if (c < '0' || c > '9')
            digitsOnly = false;
    if (!digitsOnly || value.size() > 6)
        return -1;
    const long n = digitsValue(value);
    return (n > 0 && n <= count) ? int(n - 1) : -1;
}
} // namespace

PortChoice loadPortChoice(const LanguageContext& ctx)
{
    PortChoice c;
    c.port = 0;
    c.baud = ctx.profile.defaultBaudIndex >= 0 && ctx.profile.defaultBaudIndex < BaudEntryCount
                 ? ctx.profile.defaultBaudIndex
                 : 3;
    const int p = storedIndex(ctx.settings.readSetting("SETUP", "COM", "-1"), PortEntryCount);
    if (p >= 0)
        c.port = p;
    const int b = storedIndex(ctx.settings.readSetting("SETUP", "BAUD", "-1"), BaudEntryCount);
    if (b >= 0)
        c.baud = b;
    return c;
}

void savePortChoice(const LanguageContext& ctx, const PortChoice& choice)
{
    ctx.settings.writeSetting("SETUP", "COM", std::to_string(choice.port + 1));
    ctx.settings.writeSetting("SETUP", "BAUD", std::to_string(choice.baud + 1));
}

void applyPortSettings(Port& port, const QString& portEntry, const QString& baudEntry)
{
    const int n = portNumberOf(portEntry);
    if (n > 0 && !port.active())
        port.setPortName(portEntryName(n));
    for (const char* rate : BaudEntries)
        if (baudEntry == QLatin1String(rate))
            port.setBaudRate(QString::fromLatin1(rate).toInt());
    port.setParity(Parity::None);
    port.setDataBits(8);
    port.setStopBits(2);
}

void applyPortSettings(Port& port, const PortChoice& choice)
{
    const QString portText =
        choice.port >= 0 && choice.port < PortEntryCount ? portEntryName(choice.port + 1) : QString();
    const QString baudText =
        choice.baud >= 0 && choice.baud < BaudEntryCount ? QLatin1String(BaudEntries[size_t(choice.baud)]) : QString();
    applyPortSettings(port, portText, baudText);
}

SearchResult searchInstrument(Exchange& exchange, const std::function<bool()>& stopRequested,
                              const std::function<void(const PortChoice&)>& select)
{
    SearchResult r;
    Port& port = exchange.port();
    for (int p = 0; p < PortEntryCount; ++p) {
        for (int b = 0; b < BaudEntryCount; ++b) {
            if (stopRequested && stopRequested()) {
                r.stopped = true;
                return r;
            }
            r.choice = PortChoice{p, b};
            if (select)
                select(r.choice);
            try {
                port.open();
            } catch (const SerialError&) {
                continue; // nothing there, or not ours to open
            }
            if (!port.active())
                continue;
            ++r.attempts;
            int status = 1;
            try {
                port.purge();
                exchange.sendRequest(Request::Start);
                status = exchange.waitAcknowledge(SearchAcknowledgeTimeoutMs);
            } catch (const SerialError&) {
                status = 1; // the device went away during the attempt
            }
            port.close();
            if (status == 0) {
                r.found = true;
                return r;
            }
        }
    }
    return r;
}

void endSearch(Exchange& exchange)
{
    Port& port = exchange.port();
    try {
        port.open();
    } catch (const SerialError&) {
        return;
    }
    if (port.active()) {
        try {
            exchange.endExchange();
        } catch (const SerialError&) {
        }
        port.close();
    }
}

} // namespace zentrova
