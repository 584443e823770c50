// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <array>
#include <functional>

namespace zentrova {

struct LanguageContext;
class Port;
class Exchange;

// The entries of the COM dialog's lists. The port list holds "COM1".."COM16";
// the baud list these six rates, fastest first.
constexpr int BaudEntryCount = 6;
extern const std::array<const char*, BaudEntryCount> BaudEntries;

// The selected list indexes: port 0..15 (COM1..COM16), baud 0..5.
struct PortChoice {
    int port = 0;
    int baud = 3;
    bool operator==(const PortChoice&) const = default;
};

// The first activation's COM set-up: COM1 and the profile's default rate,
// unless [SETUP] COM / BAUD hold an entry number 1..count.
PortChoice loadPortChoice(const LanguageContext& ctx);
// The COM dialog's OK: [SETUP] COM and BAUD := index + 1.
void savePortChoice(const LanguageContext& ctx, const PortChoice& choice);

// Copies the selected entries into the port, matched by their texts: "COM"
// and the digits of n sets port n (1..16); a rate's digits set that rate; a
// text that matches nothing leaves the port's value. Then no parity, 8 data
// bits, 2 stop bits.
void applyPortSettings(Port& port, const QString& portEntry, const QString& baudEntry);
void applyPortSettings(Port& port, const PortChoice& choice);

// The automatic search: every port entry in list order and within it every
// rate, fastest first; each attempt opens the port, sends "MRD" and waits up
// to SearchAcknowledgeTimeoutMs for the acknowledgement. `select` is told
// each combination before it is tried (it shows it and applies it to the
// port); `stopRequested` is asked between attempts. Returns the combination that answered, or nothing. An
// attempt's port failures are part of the search (that entry is not it).
struct SearchResult {
    bool found = false;
    bool stopped = false;
    PortChoice choice;
    int attempts = 0;
};
SearchResult searchInstrument(Exchange& exchange, const std::function<bool()>& stopRequested,
                              const std::function<void(const PortChoice&)>& select);
// After a successful search: ends the exchange the search started ("MEX").
void endSearch(Exchange& exchange);

} // namespace zentrova
