// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/TextRules.h"

namespace zentrova {

long digitsValue(std::string_view text)
{
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        if (v > 99999999L)
            break;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string nthLine(std::string_view text, int n)
{
    return std::string(nthLineView(text, n));
}

std::string_view nthLineView(std::string_view text, int n)
{
    if (n < 1)
        return {};
    size_t start = 0;
    for (int line = 1; line < n; ++line) {
        const size_t cr = text.find('\r', start);
        if (cr == std::string_view::npos)
            return {};
        start = cr + 1;
    }
    const size_t end = text.find('\r', start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

} // namespace zentrova
