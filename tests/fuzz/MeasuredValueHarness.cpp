// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Result values with their unit names: the bytes up to the first byte 0 are
// the value text, the rest the unit name. Whatever the bytes, a number read
// is finite, the marks are those the text holds, the plain number written
// for it reads back as the same number, and the text with a prefix keeps the
// mark in front and the unit behind.
#include "FuzzHarness.h"

#include "structure/MeasuredValue.h"

#include <charconv>
#include <cmath>

namespace zentrova::fuzz {

int fuzzMeasuredValue(const uint8_t* data, size_t size)
{
    const auto [text, unit] = twoTexts(data, size);

    const MeasuredValue v = parseMeasuredValue(text, unit);
    if (v.flagged != (text.find('!') != std::string_view::npos))
        violated("measured value", "the flag does not follow the text's \"!\"");
    const bool below = text.find('<') != std::string_view::npos, above = text.find('>') != std::string_view::npos;
    const ValueBound bound = below ? ValueBound::AtMost : above ? ValueBound::AtLeast : ValueBound::Exact;
    if (v.bound != bound)
        violated("measured value", "the bound does not follow the text's marks");
    if (!v.hasNumber)
        return 0;
    if (!std::isfinite(v.number))
        violated("measured value", "a number that is not finite");
    const std::string plain = plainNumber(v.number);
    double back = 0;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), back);
    if (r.ec != std::errc() || back != v.number || plain.find(',') != std::string::npos)
        violated("measured value", "the plain number does not read back");
    const std::string prefixed = prefixedValueText(v);
    const std::string mark = v.bound == ValueBound::AtMost ? "< " : v.bound == ValueBound::AtLeast ? "> " : "";
    if (prefixed.size() <= mark.size() + v.baseUnit.size() || prefixed.compare(0, mark.size(), mark) != 0 ||
        prefixed.compare(prefixed.size() - v.baseUnit.size(), v.baseUnit.size(), v.baseUnit) != 0)
        violated("measured value", "the prefixed text lost its mark, its number or its unit");
    return 0;
}

} // namespace zentrova::fuzz
