// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <string>
#include <string_view>

namespace zentrova {

// The integer formed by all decimal digits of `text` in order, 0 when it has
// none: numbers inside cells, file lines and settings are read this way, so
// stray characters are ignored. A run of digits too long for the number keeps
// its first digits rather than overflowing.
long digitsValue(std::string_view text);

// The n-th (1-based) carriage-return-separated line of `text`; empty when missing.
std::string nthLine(std::string_view text, int n);
// The same line without copying it: it lives as long as `text`'s bytes.
std::string_view nthLineView(std::string_view text, int n);

} // namespace zentrova
