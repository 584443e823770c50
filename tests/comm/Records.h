// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "comm/Protocol.h"

#include <string>

namespace zentrova::test {

// Family 14's records carry no object number.
constexpr int RecordPositionDepth = 1;

// Record bodies as the instrument sends them (family 14: block, element,
// function byte, items). `items` are raw bytes, so that a test can also send
// an item cut short.
inline std::string rec(int block, int element, int function, const std::string& items = {})
{
    Record r;
    r.block = block;
    r.element = element;
    r.hasFunction = true;
    r.function = uint8_t(function);
    return recordBytes(r, RecordPositionDepth) + items;
}

// An item with a quantity and a unit ("R", "M" or "P").
inline std::string coded(char tag, int q, int u, const std::string& text)
{
    return recordItemBytes({tag, uint8_t(q), uint8_t(u), text});
}

// A "D", "T" or untagged item.
inline std::string plain(char tag, const std::string& text)
{
    return recordItemBytes({tag, 0, 0, text});
}

} // namespace zentrova::test
