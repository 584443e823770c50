// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/MeasuredValue.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace zentrova {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

struct BaseName {
    std::string_view spelling;
    std::string_view base;
    double factor;
};

// Every spelling of a base unit; "min" and "h" come with their factor to seconds.
constexpr std::array<BaseName, 19> BaseNames{{
    {"Ohm", "Ohm", 1},
    {"ohm", "Ohm", 1},
    {"Ohms", "Ohm", 1},
    {"\xCE\xA9", "Ohm", 1},     // Greek capital Omega, UTF-8
    {"\xE2\x84\xA6", "Ohm", 1}, // Ohm sign, UTF-8
    {"V", "V", 1},
    {"A", "A", 1},
    {"F", "F", 1},
    {"s", "s", 1},
    {"sec", "s", 1},
    {"min", "s", 60},
    {"h", "s", 3600},
    {"%", "%", 1},
    {"degC", "degC", 1},
    {"\xB0"
     "C",
     "degC", 1}, // degree sign in cp1250 and cp1252
    {"\xC2\xB0"
     "C",
     "degC", 1}, // degree sign, UTF-8
    {"V/s", "V/s", 1},
    {"mA/(V*F)", "mA/(V*F)", 1}, // dielectric discharge, a unit of its own
    {"", "", 1},
}};

struct Prefix {
    std::string_view spelling;
    int shift;
};

constexpr std::array<Prefix, 11> Prefixes{{
    {"p", -12},
    {"n", -9},
    {"u", -6},
    {"\xB5", -6},     // micro sign in cp1250 and cp1252
    {"\xC2\xB5", -6}, // micro sign, UTF-8
    {"\xCE\xBC", -6}, // Greek small mu, UTF-8
    {"m", -3},
    {"k", 3},
    {"M", 6},
    {"G", 9},
    {"T", 12},
}};

const BaseName* baseNamed(std::string_view s)
{
    for (const BaseName& b : BaseNames)
        if (b.spelling == s)
            return &b;
    return nullptr;
}

} // namespace

UnitScale unitScale(std::string_view unitName)
{
    const std::string_view name = trimmed(unitName);
    // Whole names first: "min" is minutes, not milli-"in", and "mA/(V*F)" is
    // not milli-anything.
    if (const BaseName* b = baseNamed(name))
        return UnitScale{std::string(b->base), 0, b->factor, true};
    auto withPrefix = [&](std::string_view p, int shift) -> std::optional<UnitScale> {
        if (name.size() <= p.size() || name.substr(0, p.size()) != p)
            return std::nullopt;
        const BaseName* b = baseNamed(name.substr(p.size()));
        if (!b || b->spelling.empty() || b->factor != 1)
            return std::nullopt;
        return UnitScale{std::string(b->base), shift, 1, true};
    };
    for (const Prefix& p : Prefixes)
        if (auto s = withPrefix(p.spelling, p.shift))
            return *s;
    return UnitScale{std::string(name), 0, 1, false};
}

MeasuredValue parseMeasuredValue(std::string_view valueText, std::string_view unitName)
{
    MeasuredValue v;
    const UnitScale scale = unitScale(unitName);
    v.baseUnit = scale.baseUnit;
    v.unitKnown = scale.known;

    bool below = false, above = false;
    // Mantissa and exponent rebuilt as "digits.digits e exponent", so the
    // prefix shifts the exponent and the number is rounded once.
    std::string text;
    text.reserve(valueText.size() + 8);
    for (char c : valueText) {
        if (c == '<')
            below = true;
        else if (c == '>')
            above = true;
        else if (c == '!')
            v.flagged = true;
        else if (c != ' ' && c != '\t')
            text.push_back(c == ',' ? '.' : c);
    }
    v.bound = below ? ValueBound::AtMost : above ? ValueBound::AtLeast : ValueBound::Exact;

    // The accepted form: [+-] digits [. digits] [(e|E) [+-] digits], at least
    // one digit in the mantissa.
    size_t i = 0;
    const size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9')
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i, ++digits;
    }
    if (digits == 0)
        return v;
    const size_t mantissaEnd = i;
    long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const size_t expStart = i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        const size_t expDigits = i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == expDigits || i - expDigits > 4)
            return v;
        std::from_chars(text.data() + (text[expStart] == '+' ? expStart + 1 : expStart), text.data() + i, exponent);
    }
    if (i != n)
        return v; // trailing bytes: not a number
    std::string scaled = text.substr(0, mantissaEnd);
    if (scaled[0] == '+')
        scaled.erase(0, 1);
    scaled += 'e';
    scaled += std::to_string(exponent + scale.decimalShift);
    double number = 0;
    const auto r = std::from_chars(scaled.data(), scaled.data() + scaled.size(), number);
    if (r.ec != std::errc() || r.ptr != scaled.data() + scaled.size())
        return v; // out of the double's range
    // Hours and minutes scale once more: 1e305 h is past the double's range.
    if (!std::isfinite(number * scale.factor))
        return v;
    v.number = number * scale.factor;
    v.hasNumber = true;
    return v;
}

std::string markText(const MeasuredValue& v)
{
    std::string s = v.bound == ValueBound::AtMost ? "<" : v.bound == ValueBound::AtLeast ? ">" : "";
    if (v.flagged)
        s += '!';
    return s;
}

bool fellToLessThanHalf(const MeasuredValue& earlier, const MeasuredValue& later)
{
    if (!earlier.hasNumber || !later.hasNumber || earlier.baseUnit != later.baseUnit ||
        earlier.bound == ValueBound::AtMost || later.bound == ValueBound::AtLeast)
        return false;
    const double half = earlier.number / 2;
    if (earlier.bound == ValueBound::AtLeast || later.bound == ValueBound::AtMost)
        return later.number <= half;
    return later.number < half;
}

std::string plainNumber(double v)
{
    std::array<char, 48> buf{};
    // Without an exponent where that stays short (resistances in Ohm up to
    // petaohms, capacitances down to picofarads): some spreadsheets read
    // "2e+09" as text under some locales.
    const double a = std::fabs(v);
    // A whole number below 2^53 is written with its digits, as the shortest
    // fixed form writes it, only sooner; 0 keeps its sign there.
    if (a != 0 && a < 9007199254740992.0 && v == std::trunc(v)) {
        const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<long long>(v));
        return std::string(buf.data(), r.ptr);
    }
    const bool fixed = a == 0 || (a >= 1e-12 && a < 1e16);
    const auto r = fixed ? std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed)
                         : std::to_chars(buf.data(), buf.data() + buf.size(), v);
    return std::string(buf.data(), r.ptr);
}

namespace {

// The prefixes a value is written with, from the smallest; index
// PrefixNone is the base unit itself.
constexpr std::array<std::string_view, 9> WrittenPrefixes{"p", "n", "u", "m", "", "k", "M", "G", "T"};
constexpr int PrefixNone = 4;

// `v` rounded to three significant digits, as "%.3g" writes it.
double roundedToThreeDigits(double v)
{
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%.2e", v);
    double rounded = 0;
    std::from_chars(buf.data(), buf.data() + std::char_traits<char>::length(buf.data()), rounded);
    return rounded;
}

} // namespace

std::string prefixedValueText(const MeasuredValue& v)
{
    if (!v.hasNumber)
        return {};
    std::string out = v.bound == ValueBound::AtMost ? "< " : v.bound == ValueBound::AtLeast ? "> " : "";
    const std::string& unit = v.baseUnit;
    const bool prefixed = unit == "Ohm" || unit == "V" || unit == "A" || unit == "F";
    if (!prefixed || !std::isfinite(v.number)) {
        out += plainNumber(v.number == 0 ? 0.0 : v.number);
        if (!unit.empty())
            out += " " + unit;
        return out;
    }
    const int lowest = unit == "Ohm" ? PrefixNone : 0;
    const int highest = int(WrittenPrefixes.size()) - 1;
    // Rounded again after each step, so that 999.5 moves on to "1 k" rather
    // than stay as "1e+03", and so that the steps add no binary error.
    double n = roundedToThreeDigits(v.number);
    int p = PrefixNone;
    while (std::fabs(n) >= 1000 && p < highest) {
        n = roundedToThreeDigits(n / 1000);
        ++p;
    }
    while (n != 0 && std::fabs(n) < 1 && p > lowest) {
        n = roundedToThreeDigits(n * 1000);
        --p;
    }
    std::array<char, 32> digits{};
    std::snprintf(digits.data(), digits.size(), "%.3g", n == 0 ? 0.0 : n);
    out += digits.data();
    out += ' ';
    out += WrittenPrefixes[size_t(p)];
    out += unit;
    return out;
}

} // namespace zentrova
