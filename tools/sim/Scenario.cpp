// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "Scenario.h"

#include "comm/Protocol.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

namespace sim {

namespace {

bool isCommand(const std::string& c)
{
    zentrova::Request request;
    return zentrova::requestNamed(c, request);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Words of a statement: plain words, or texts in double quotes with escapes.
// A quoted word is marked by a leading '"' in `quoted`.
bool split(const std::string& line, std::vector<std::string>& words, std::vector<bool>& quoted, std::string& error)
{
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        std::string w;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    const char e = line[i++];
                    switch (e) {
                    case 'r':
                        w += '\r';
                        break;
                    case 'n':
                        w += '\n';
                        break;
                    case 't':
                        w += '\t';
                        break;
                    case '0':
                        w += '\0';
                        break;
                    case 'x': {
                        const int h = i < line.size() ? hexDigit(line[i]) : -1;
                        const int l = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
                        if (h < 0 || l < 0) {
                            error = "\\x needs two hex digits";
                            return false;
                        }
                        w += char(h * 16 + l);
                        i += 2;
                        break;
                    }
                    default:
                        w += e;
                    }
                    continue;
                }
                w += c;
            }
            if (!closed) {
                error = "text without its closing quote";
                return false;
            }
            words.push_back(w);
            quoted.push_back(true);
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                w += line[i++];
            words.push_back(w);
            quoted.push_back(false);
        }
    }
    return true;
}

bool number(const std::string& w, long lo, long hi, long& out)
{
    if (w.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(w.c_str(), &end, 0);
    if (*end || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

// Realistic results of the family's functions, used by "generate": each a
// function byte and its items (quantity and unit bytes as the language files
// name them at 500 + code).
struct Template {
    int function;
    std::vector<std::tuple<char, int, int, const char*>> items;
};
const Template kTemplates[] = {
    {0, {{'R', 1, 8, "12.4"}, {'P', 9, 1, "500"}, {'M', 10, 1, "512"}, {'M', 13, 4, "0.04"}}},
    {0, {{'R', 1, 8, "48.7"}, {'P', 9, 2, "1.00"}, {'M', 10, 2, "1.02"}, {'M', 15, 14, "60"}}},
    {0, {{'R', 1, 9, "1.21"}, {'P', 9, 2, "2.50"}, {'M', 10, 2, "2.53"}}},
    {0, {{'R', 1, 8, "985"}, {'P', 9, 2, "5.00"}, {'M', 10, 2, "5.04"}, {'M', 14, 12, "2.31"}}},
    {1, {{'R', 6, 0, "1.42"}, {'R', 7, 0, "2.85"}, {'M', 3, 8, "8.72"}, {'M', 4, 8, "12.3"}, {'P', 9, 2, "5.00"}}},
    {2, {{'R', 8, 17, "1.9"}, {'M', 14, 12, "4.80"}, {'P', 9, 2, "2.50"}}},
    {3, {{'R', 1, 8, "56.3"}, {'M', 18, 1, "1000"}, {'M', 18, 1, "2000"}, {'M', 18, 1, "3000"}, {'P', 9, 2, "5.00"}}},
};

std::string templateRecord(const Template& t, int block, int element)
{
    zentrova::Record r;
    r.block = block;
    r.element = element;
    r.hasFunction = true;
    r.function = uint8_t(t.function);
    for (const auto& [tag, q, u, text] : t.items)
        r.items.push_back({tag, uint8_t(q), uint8_t(u), text});
    return zentrova::recordBytes(r, PositionDepth);
}

} // namespace

bool Scenario::apply(const std::string& line, std::string& error)
{
    std::vector<std::string> w;
    std::vector<bool> q;
    if (!split(line, w, q, error))
        return false;
    if (w.empty())
        return true;
    const std::string& kw = w[0];
    long v = 0, v2 = 0;
    if (kw == "type") {
        if (w.size() != 2 || !number(w[1], 0, 65535, v))
            return error = "type CODE (0..65535)", false;
        type = unsigned(v);
    } else if (kw == "text") {
        if (w.size() != 3 || !number(w[1], 1, 10, v) || !q[2])
            return error = "text N \"TEXT\" (N 1..10)", false;
        texts[size_t(v - 1)] = w[2];
    } else if (kw == "record") {
        long b = 0, e = 0, f = 0;
        if (w.size() < 4 || !number(w[1], 0, 65535, b) || !number(w[2], 0, 65535, e) || !number(w[3], 0, 255, f))
            return error = "record BLOCK ELEMENT FUNCTION ITEM...", false;
        zentrova::Record r;
        r.block = b;
        r.element = e;
        r.hasFunction = true;
        r.function = uint8_t(f);
        size_t i = 4;
        while (i < w.size()) {
            const std::string& tag = w[i++];
            if (tag == "R" || tag == "M" || tag == "P") {
                long qq = 0, uu = 0;
                if (i + 2 >= w.size() || !number(w[i], 0, 255, qq) || !number(w[i + 1], 0, 255, uu) || !q[i + 2])
                    return error = tag + " QUANTITY UNIT \"TEXT\"", false;
                r.items.push_back({tag[0], uint8_t(qq), uint8_t(uu), w[i + 2]});
                i += 3;
            } else if (tag == "D" || tag == "T" || tag == "U") {
                if (i >= w.size() || !q[i])
                    return error = tag + " \"TEXT\"", false;
                r.items.push_back({tag[0], 0, 0, w[i]});
                i += 1;
            } else {
                return error = "unknown item " + tag + " (R, M, P, D, T or U)", false;
            }
        }
        std::string bytes = zentrova::recordBytes(r, PositionDepth);
        if (bytes.size() > 255)
            return error = "a record holds at most 255 bytes", false;
        records.push_back(std::move(bytes));
    } else if (kw == "raw") {
        std::string r;
        for (size_t i = 1; i < w.size(); ++i) {
            if (w[i].size() != 2 || hexDigit(w[i][0]) < 0 || hexDigit(w[i][1]) < 0)
                return error = "raw takes hex pairs", false;
            r += char(hexDigit(w[i][0]) * 16 + hexDigit(w[i][1]));
        }
        if (r.size() > 255)
            return error = "a record holds at most 255 bytes", false;
        records.push_back(r);
    } else if (kw == "generate") {
        if (w.size() != 2 || !number(w[1], 0, 65535, v))
            return error = "generate N", false;
        // Twenty measuring points per block, blocks after those already there.
        int block = 0;
        for (const std::string& r : records)
            block = std::max(block, int(zentrova::parseRecord(r.data(), r.size(), PositionDepth).block));
        for (long i = 0; i < v; ++i) {
            const Template& t = kTemplates[size_t(i) % (sizeof kTemplates / sizeof kTemplates[0])];
            records.push_back(templateRecord(t, block + 1 + int(i / 20), 1 + int(i % 20)));
        }
    } else if (kw == "count") {
        if (w.size() != 2 || !number(w[1], 0, 65535, v))
            return error = "count N (0..65535)", false;
        count = int(v);
    } else if (kw == "baud") {
        if (w.size() != 2 || !number(w[1], 0, 10'000'000, v))
            return error = "baud N", false;
        baud = int(v);
    } else if (kw == "delivery") {
        if (w.size() != 2 || !deliveryFromName(w[1], delivery))
            return error = "delivery uart|usb|burst", false;
    } else if (kw == "usb-latency") {
        if (w.size() != 2 || !number(w[1], 1, 1000, v))
            return error = "usb-latency MS (1..1000)", false;
        usbLatencyMs = int(v);
    } else if (kw == "usb-packet") {
        if (w.size() != 2 || !number(w[1], 1, 4096, v))
            return error = "usb-packet N (1..4096)", false;
        usbPacket = int(v);
    } else if (kw == "fault") {
        if (w.size() < 2)
            return error = "fault NAME ...", false;
        const std::string& name = w[1];
        if (name == "silent") {
            if (w.size() < 3 || !isCommand(w[2]) || (w.size() == 4 && !number(w[3], 1, 1'000'000, v)) || w.size() > 4)
                return error = "fault silent COMMAND [TIMES]", false;
            faults[w[2]].silent = w.size() == 4 ? int(v) : -1;
        } else if (name == "status") {
            if (w.size() < 4 || !isCommand(w[2]) || !number(w[3], 0, 255, v) ||
                (w.size() == 5 && !number(w[4], 1, 1'000'000, v2)) || w.size() > 5)
                return error = "fault status COMMAND VALUE [TIMES]", false;
            faults[w[2]].status = int(v);
            faults[w[2]].statusTimes = w.size() == 5 ? int(v2) : -1;
        } else if (name == "garbage") {
            if (w.size() != 4 || !isCommand(w[2]) || !q[3])
                return error = "fault garbage COMMAND \"BYTES\"", false;
            faults[w[2]].garbage = w[3];
            faults[w[2]].hasGarbage = true;
        } else if (name == "stale") {
            if (w.size() != 3 || !number(w[2], 0, 60000, v))
                return error = "fault stale N", false;
            stale = int(v);
        } else if (name == "stop-after") {
            if (w.size() != 3 || !number(w[2], 0, 65535, v))
                return error = "fault stop-after N", false;
            stopAfter = int(v);
        } else if (name == "hangup-after") {
            if (w.size() != 3 || !number(w[2], 0, 65535, v))
                return error = "fault hangup-after N", false;
            hangupAfter = int(v);
        } else if (name == "slow") {
            if (w.size() < 4 || !number(w[2], 0, 60000, v) || !isCommand(w[3]) ||
                (w.size() == 5 && !number(w[4], 1, 65535, v2)) || w.size() > 5)
                return error = "fault slow MS COMMAND [BYTES]", false;
            faults[w[3]].slowMs = int(v);
            faults[w[3]].slowBytes = w.size() == 5 ? int(v2) : -1;
        } else if (name == "truncate") {
            if (w.size() != 4 || !number(w[2], 1, 65535, v) || !number(w[3], 0, 255, v2))
                return error = "fault truncate N KEEP", false;
            truncateRecord = int(v);
            truncateKeep = int(v2);
        } else if (name == "ident-size") {
            if (w.size() != 3 || !number(w[2], 0, 65535, v))
                return error = "fault ident-size N", false;
            identSize = int(v);
        } else {
            return error = "unknown fault " + name, false;
        }
    } else {
        return error = "unknown statement " + kw, false;
    }
    return true;
}

bool Scenario::deliveryFromName(const std::string& name, Delivery& d)
{
    if (name == "uart")
        d = Delivery::Uart;
    else if (name == "usb")
        d = Delivery::Usb;
    else if (name == "burst")
        d = Delivery::Burst;
    else
        return false;
    return true;
}

bool Scenario::load(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return error = path + ": cannot be read", false;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string e;
        if (!apply(line, e)) {
            std::ostringstream s;
            s << path << ":" << n << ": " << e;
            error = s.str();
            return false;
        }
    }
    return true;
}

std::string Scenario::identificationPayload() const
{
    std::string p = zentrova::identificationPayload(type, {texts.begin(), texts.end()});
    if (identSize >= 0) {
        if (size_t(identSize) > p.size())
            p.append(size_t(identSize) - p.size(), 'x');
        else
            p.resize(size_t(identSize));
    }
    return p;
}

} // namespace sim
