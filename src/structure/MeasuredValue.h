// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <string>
#include <string_view>

namespace zentrova {

// What a value's marks say about its number: the instrument writes "<" before
// a value below its range (the true value is at most the number) and ">"
// before one above it (the true value is at least the number).
enum class ValueBound { Exact, AtMost, AtLeast };

// A unit name as a factor to its base unit: "MOhm" is 1e6 "Ohm", "min" is 60
// "s". A unit the program does not know keeps its own name with factor 1.
struct UnitScale {
    std::string baseUnit; // "Ohm", "V", "A", "F", "s", "%", "degC", "V/s", ...; "" for none
    int decimalShift = 0; // power of ten of the prefix
    double factor = 1;    // a further factor that is not a power of ten (min, h)
    bool known = true;
};

// The unit names of the language files and their usual spellings: Ohm, ohm,
// the Greek Omega and the Ohm sign (UTF-8), V, A, F, s, min, h, %, degC and
// the degree sign (code page or UTF-8), V/s, mA/(V*F); the prefixes p, n, u,
// the micro sign (code page or UTF-8), m, k, M, G, T. Surrounding blanks are
// ignored.
UnitScale unitScale(std::string_view unitName);

// One value of a result as a number in its base unit, with its marks apart.
struct MeasuredValue {
    bool hasNumber = false; // false for an empty value or one that is no number
    double number = 0;      // in baseUnit
    std::string baseUnit;
    bool unitKnown = true;
    ValueBound bound = ValueBound::Exact;
    bool flagged = false; // "!": the instrument marked the value
};

// The value text of a result item (the bytes after the quantity and unit
// numbers) with its unit's name. The marks "<", ">" and "!" may stand
// anywhere; when both "<" and ">" occur "<" counts, as the results grid shows
// it. The number is an optional sign, digits with one decimal point or comma,
// and an optional exponent; anything else gives no number, and so does a
// number past the double's range, in the text or once in its base unit.
MeasuredValue parseMeasuredValue(std::string_view valueText, std::string_view unitName);

// The mark characters of a value as the instrument wrote them, in the order
// "<" or ">" first, then "!" ("" for none).
std::string markText(const MeasuredValue& v);

// Whether a value certainly fell to less than half of an earlier one of the
// same base unit. The marks are bounds that hold strictly ("<50" is below 50,
// ">100" above 100), so a bound settles the question when it reaches the half:
// 100 to "<50" and ">100" to 50 fell, 100 to 50 did not. An earlier "<" value
// or a later ">" one leaves it open.
bool fellToLessThanHalf(const MeasuredValue& earlier, const MeasuredValue& later);

// A number as a spreadsheet reads it whatever the locale: the shortest text
// that reads back as the same double, "." as the decimal point, without an
// exponent from 1e-12 up to 1e16.
std::string plainNumber(double v);

// A value as a reader writes it: its bound mark ("< ", "> "), three
// significant digits and the prefix that keeps the number from 1 to 999:
// "44.1 GOhm", "> 10 TOhm", "2.5 kV", "12.3 nA". Ohm takes the prefixes from
// none to T (an insulation tester has no use for milliohms), V, A and F from
// p to T; beyond the ends the number leaves 1..999 ("0.051 Ohm"). Seconds,
// per cent, degrees, ratios, compound and unknown units are the plain number
// with the unit ("600 s", "2.63"). The "!" mark is left out; "" for a value
// without a number.
std::string prefixedValueText(const MeasuredValue& v);

} // namespace zentrova
