// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zentrova {

// The usual reading of a polarisation index (PI = R10min / R60s) and a
// dielectric absorption ratio (DAR = R60s / R30s, or R60s / R15s). It is
// advice for the person reading the results, not a verdict of the instrument.
enum class RatingKind { PolarisationIndex, AbsorptionRatio };

// Classes from worst to best; the best class is named "very good" for PI and
// "excellent" for DAR.
enum class RatingClass { Dangerous = 0, Questionable = 1, Good = 2, Best = 3 };

struct RatingBand {
    double from; // the band holds values from `from` (included) up to the next band's `from`
    RatingClass rating;
    const char* languageKey;
};

// The bands of a kind, lowest first. A value on a boundary belongs to the
// better class: PI 2.0 is good, DAR 1.6 is excellent.
//   PI:  below 1 dangerous, 1 up to 2 questionable, 2 up to 4 good, 4 and above very good
//   DAR: below 1 dangerous, 1 up to 1.25 questionable, 1.25 up to 1.6 good, 1.6 and above excellent
const RatingBand* ratingBands(RatingKind kind); // four bands

RatingClass rateValue(RatingKind kind, double value);

struct MeasuredValue;
// The class of a measured value with its marks: a "<" value (below the
// instrument's range) is rated only when its bound settles the class, as is
// a ">" value; nothing for a value without a number.
std::optional<RatingClass> rateMeasuredValue(RatingKind kind, const MeasuredValue& value);
// The language key of the class's name ("RatingDangerous_20", ...).
const char* ratingLanguageKey(RatingKind kind, RatingClass rating);

// The kind a quantity name stands for ("PI", "DAR", in any case); false for
// other quantities.
bool ratingKindOfQuantity(std::string_view quantityName, RatingKind& kind);

} // namespace zentrova
