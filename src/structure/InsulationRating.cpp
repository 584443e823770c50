// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/InsulationRating.h"

#include "structure/MeasuredValue.h"

#include <array>

namespace zentrova {

namespace {

// The one table of the ratings.
constexpr std::array<RatingBand, 4> PiBands{{
    {-1e308, RatingClass::Dangerous, "RatingDangerous_20"},
    {1.0, RatingClass::Questionable, "RatingQuestionable_20"},
    {2.0, RatingClass::Good, "RatingGood_20"},
    {4.0, RatingClass::Best, "RatingVeryGood_20"},
}};
constexpr std::array<RatingBand, 4> DarBands{{
    {-1e308, RatingClass::Dangerous, "RatingDangerous_20"},
    {1.0, RatingClass::Questionable, "RatingQuestionable_20"},
    {1.25, RatingClass::Good, "RatingGood_20"},
    {1.6, RatingClass::Best, "RatingExcellent_20"},
}};

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

const RatingBand* ratingBands(RatingKind kind)
{
    return kind == RatingKind::PolarisationIndex ? PiBands.data() : DarBands.data();
}

RatingClass rateValue(RatingKind kind, double value)
{
    const RatingBand* bands = ratingBands(kind);
    RatingClass r = bands[0].rating;
    for (int i = 0; i < 4; ++i)
        if (value >= bands[i].from)
            r = bands[i].rating;
    return r;
}

const char* ratingLanguageKey(RatingKind kind, RatingClass rating)
{
    return ratingBands(kind)[int(rating)].languageKey;
}

bool ratingKindOfQuantity(std::string_view quantityName, RatingKind& kind)
{
    if (sameLetters(quantityName, "PI")) {
        kind = RatingKind::PolarisationIndex;
        return true;
    }
    if (sameLetters(quantityName, "DAR")) {
        kind = RatingKind::AbsorptionRatio;
        return true;
    }
    return false;
}

std::optional<RatingClass> rateMeasuredValue(RatingKind kind, const MeasuredValue& value)
{
    if (!value.hasNumber)
        return std::nullopt;
    const RatingClass rating = rateValue(kind, value.number);
    // At most the number: sure only when the number lies in the lowest band.
    if (value.bound == ValueBound::AtMost)
        return value.number > ratingBands(kind)[1].from ? std::nullopt : std::optional(RatingClass::Dangerous);
    // At least the number: sure only when it lies in the best band.
    if (value.bound == ValueBound::AtLeast && rating != RatingClass::Best)
        return std::nullopt;
    return rating;
}

} // namespace zentrova
