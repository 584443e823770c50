// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Result values as numbers in base units, and the PI and DAR ratings.
#include "structure/InsulationRating.h"
#include "structure/MeasuredValue.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <map>

using namespace zentrova;
using namespace zentrova::test;

namespace {

struct Expected {
    const char* base;
    double factor;
};

// What each unit of the shipped language files means, written out by hand.
const std::map<std::string, Expected>& shippedUnits()
{
    static const std::map<std::string, Expected> units{
        {"V", {"V", 1}},         {"kV", {"V", 1e3}},     {"nA", {"A", 1e-9}},
        {"uA", {"A", 1e-6}},     {"mA", {"A", 1e-3}},    {"A", {"A", 1}},
        {"kOhm", {"Ohm", 1e3}},  {"MOhm", {"Ohm", 1e6}}, {"GOhm", {"Ohm", 1e9}},
        {"TOhm", {"Ohm", 1e12}}, {"Ohm", {"Ohm", 1}},    {"pF", {"F", 1e-12}},
        {"nF", {"F", 1e-9}},     {"uF", {"F", 1e-6}},    {"s", {"s", 1}},
        {"min", {"s", 60}},      {"%", {"%", 1}},        {"mA/(V*F)", {"mA/(V*F)", 1}},
        {"V/s", {"V/s", 1}},     {"degC", {"degC", 1}},
    };
    return units;
}

bool near(double a, double b)
{
    return std::fabs(a - b) <= 1e-12 * std::max(std::fabs(a), std::fabs(b));
}

// Every unit name either language file gives is known, with its base unit
// and factor; "2,5" and "2.5" read alike.
TEST(MeasuredValue, ReadsEveryUnitOfBothLanguageFiles)
{
    for (int lang : {1, 2}) {
        LoadedProgram p(false);
        p.dir.writeFile("ZENTRO.INI", "[SETUP]\r\nLanguage=" + std::to_string(lang) + "\r\n");
        ASSERT_TRUE(p.load()) << lang;
        int seen = 0;
        for (long n = 0; n < NameTables::UnitCount; ++n) {
            const std::string& name = p.ctx->language.names.unit(n);
            if (name.empty())
                continue;
            ++seen;
            const auto it = shippedUnits().find(name);
            ASSERT_NE(it, shippedUnits().end()) << "language " << lang << ": unit " << name << " is not described";
            for (const char* text : {"2,5", "2.5"}) {
                const MeasuredValue v = parseMeasuredValue(text, name);
                ASSERT_TRUE(v.hasNumber) << name;
                EXPECT_TRUE(v.unitKnown) << name;
                EXPECT_EQ(v.baseUnit, it->second.base) << name;
                EXPECT_TRUE(near(v.number, 2.5 * it->second.factor)) << name << " " << v.number;
            }
        }
        EXPECT_EQ(seen, int(shippedUnits().size())) << lang;
    }
}

struct ValueCase {
    const char* name;
    const char* text;
    const char* unit;
    bool hasNumber;
    double number;
    const char* base;
    ValueBound bound;
    bool flagged;
};

void PrintTo(const ValueCase& c, std::ostream* os)
{
    *os << c.name;
}

class ValueTexts : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueTexts, GiveNumberBaseUnitAndMarks)
{
    const ValueCase& c = GetParam();
    const MeasuredValue v = parseMeasuredValue(c.text, c.unit);
    EXPECT_EQ(v.hasNumber, c.hasNumber);
    if (c.hasNumber && v.hasNumber) {
        EXPECT_TRUE(near(v.number, c.number)) << v.number;
    }
    EXPECT_EQ(v.baseUnit, c.base);
    EXPECT_EQ(v.bound, c.bound);
    EXPECT_EQ(v.flagged, c.flagged);
}

const auto Exact = ValueBound::Exact, AtMost = ValueBound::AtMost, AtLeast = ValueBound::AtLeast;

INSTANTIATE_TEST_SUITE_P(
    Values, ValueTexts,
    testing::Values(ValueCase{"AboveRange", ">550", "GOhm", true, 550e9, "Ohm", AtLeast, false},
                    ValueCase{"BelowRangeFlagged", "<0.01!", "MOhm", true, 1e4, "Ohm", AtMost, true},
                    ValueCase{"MarksAnywhere", "1!2>", "kV", true, 12e3, "V", AtLeast, true},
                    ValueCase{"BothBoundsLessWins", "<>5", "V", true, 5, "V", AtMost, false},
                    ValueCase{"ExactRoundingOfPrefix", "2500.5", "MOhm", true, 2500500000.0, "Ohm", Exact, false},
                    ValueCase{"Exponent", "1.5E-3", "A", true, 1.5e-3, "A", Exact, false},
                    ValueCase{"NegativeTemperature", "-12,5", "degC", true, -12.5, "degC", Exact, false},
                    ValueCase{"Minutes", "10", "min", true, 600, "s", Exact, false},
                    ValueCase{"NoUnitRatio", "3,25", "", true, 3.25, "", Exact, false},
                    ValueCase{"MicroSignCodePage", "4",
                              "\xB5"
                              "A",
                              true, 4e-6, "A", Exact, false},
                    ValueCase{"MicroSignUtf8", "4",
                              "\xC2\xB5"
                              "A",
                              true, 4e-6, "A", Exact, false},
                    ValueCase{"OmegaUtf8", "7", "k\xCE\xA9", true, 7e3, "Ohm", Exact, false},
                    ValueCase{"LowerCaseOhmBlanks", " 7 ", " Mohm ", true, 7e6, "Ohm", Exact, false},
                    ValueCase{"UnknownUnitKeptAsIs", "3", "furlong", true, 3, "furlong", Exact, false},
                    ValueCase{"Empty", "", "V", false, 0, "V", Exact, false},
                    ValueCase{"OnlyMarks", "<!", "V", false, 0, "V", AtMost, true},
                    ValueCase{"Dashes", "----", "MOhm", false, 0, "Ohm", Exact, false},
                    ValueCase{"TwoDecimalMarks", "1,2.3", "V", false, 0, "V", Exact, false},
                    ValueCase{"TrailingText", "12abc", "V", false, 0, "V", Exact, false},
                    ValueCase{"BareExponent", "1e", "V", false, 0, "V", Exact, false},
                    ValueCase{"OutOfRange", "1e999", "TOhm", false, 0, "Ohm", Exact, false},
                    ValueCase{"HoursPastRange", "1e305", "h", false, 0, "s", Exact, false},
                    ValueCase{"MinutesPastRange", "-1.8e307", "min", false, 0, "s", Exact, false},
                    ValueCase{"HoursAtTheEdge", "1e300", "h", true, 3.6e303, "s", Exact, false},
                    ValueCase{"Infinity", "inf", "V", false, 0, "V", Exact, false},
                    ValueCase{"BytesAboveAscii", "\xFF\x80\x01", "\xFF", false, 0, "\xFF", Exact, false}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

TEST(MeasuredValue, PlainNumbersReadBackAndUseAPoint)
{
    for (double d : {2500500000.0, 0.21, 1e-9, -12.5, 600.0, 1.0 / 3.0}) {
        const std::string s = plainNumber(d);
        EXPECT_EQ(s.find(','), std::string::npos) << s;
        EXPECT_EQ(std::stod(s), d) << s;
    }
    EXPECT_EQ(plainNumber(2500500000.0), "2500500000");
    EXPECT_EQ(plainNumber(0.25), "0.25");
    EXPECT_EQ(plainNumber(2e9), "2000000000");
    EXPECT_EQ(plainNumber(4e-12), "0.000000000004");
    EXPECT_EQ(plainNumber(1e300), "1e+300");
}

// Whole numbers take a shorter way; they read as the shortest fixed form
// writes them, up to where a double no longer holds every whole number.
TEST(MeasuredValue, PlainWholeNumbersAsTheShortestFixedForm)
{
    for (double d : {0.0, -0.0, 1.0, -1.0, 40.0, -55.0, 850.0, 2e9, 9007199254740991.0, -9007199254740991.0,
                     9007199254740992.0, 9007199254740994.0, 1e15}) {
        std::array<char, 48> buf{};
        const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), d, std::chars_format::fixed);
        EXPECT_EQ(plainNumber(d), std::string(buf.data(), r.ptr)) << d;
    }
}

// Values as the comparison window and the charts write them: the prefix
// keeps the number from 1 to 999 where the unit takes one, three digits
// rounded before the prefix is chosen, the bound mark in front.
TEST(MeasuredValue, PrefixedTextsKeepTheNumberFrom1To999)
{
    struct Case {
        const char* text;
        const char* unit;
        const char* shown;
    };
    const Case cases[] = {
        {"44.1", "GOhm", "44.1 GOhm"},
        {">10.0", "TOhm", "> 10 TOhm"},
        {"<0.5", "MOhm", "< 500 kOhm"},
        {"48.6!", "MOhm", "48.6 MOhm"}, // the "!" mark is not shown
        {"999.5", "kOhm", "1 MOhm"},    // rounds over into the next prefix
        {"999.4", "kOhm", "999 kOhm"},
        {"999.5", "TOhm", "1e+03 TOhm"}, // nothing above T
        {"0.051", "Ohm", "0.051 Ohm"},   // no milliohms
        {"2.50", "kV", "2.5 kV"},
        {"0.5", "V", "500 mV"},
        {"-1234", "V", "-1.23 kV"},
        {"0.0123", "uA", "12.3 nA"},
        {"-0.0005", "A", "-500 uA"},
        {"0.00099951", "uF", "1 nF"},
        {"470", "pF", "470 pF"},
        {"0.5", "pF", "0.5 pF"}, // nothing below p
        {"0", "MOhm", "0 Ohm"},
        {"-0", "kV", "0 V"},
        {"10", "min", "600 s"},
        {"61.1", "%", "61.1 %"},
        {"-12,5", "degC", "-12.5 degC"},
        {"2.63", "", "2.63"},
        {"1500", "V/s", "1500 V/s"},
        {"3", "furlong", "3 furlong"},
        {"", "V", ""},
        {"---", "MOhm", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + c.unit);
        EXPECT_EQ(prefixedValueText(parseMeasuredValue(c.text, c.unit)), c.shown);
    }
}

struct RatingCase {
    RatingKind kind;
    double value;
    RatingClass rating;
    const char* key;
};

// At, just below and above each boundary: a boundary value is in the better class.
TEST(InsulationRating, BoundariesBelongToTheBetterClass)
{
    const auto Pi = RatingKind::PolarisationIndex, Dar = RatingKind::AbsorptionRatio;
    const RatingCase cases[] = {
        {Pi, 0.0, RatingClass::Dangerous, "RatingDangerous_20"},
        {Pi, 0.999, RatingClass::Dangerous, "RatingDangerous_20"},
        {Pi, 1.0, RatingClass::Questionable, "RatingQuestionable_20"},
        {Pi, 1.999, RatingClass::Questionable, "RatingQuestionable_20"},
        {Pi, 2.0, RatingClass::Good, "RatingGood_20"},
        {Pi, 3.999, RatingClass::Good, "RatingGood_20"},
        {Pi, 4.0, RatingClass::Best, "RatingVeryGood_20"},
        {Pi, 12.0, RatingClass::Best, "RatingVeryGood_20"},
        {Dar, 0.999, RatingClass::Dangerous, "RatingDangerous_20"},
        {Dar, 1.0, RatingClass::Questionable, "RatingQuestionable_20"},
        {Dar, 1.249, RatingClass::Questionable, "RatingQuestionable_20"},
        {Dar, 1.25, RatingClass::Good, "RatingGood_20"},
        {Dar, 1.599, RatingClass::Good, "RatingGood_20"},
        {Dar, 1.6, RatingClass::Best, "RatingExcellent_20"},
        {Dar, 3.0, RatingClass::Best, "RatingExcellent_20"},
    };
    for (const RatingCase& c : cases) {
        const RatingClass r = rateValue(c.kind, c.value);
        EXPECT_EQ(r, c.rating) << c.value;
        EXPECT_STREQ(ratingLanguageKey(c.kind, r), c.key) << c.value;
    }
    RatingKind kind;
    EXPECT_TRUE(ratingKindOfQuantity("pi", kind));
    EXPECT_EQ(kind, Pi);
    EXPECT_TRUE(ratingKindOfQuantity("DAR", kind));
    EXPECT_EQ(kind, Dar);
    EXPECT_FALSE(ratingKindOfQuantity("PIX", kind));
}

} // namespace

namespace {

// A value marked beyond the instrument's range is rated only when the mark
// settles the class; the record panel and the CSV rate through this one rule.
TEST(InsulationRating, MarkedValuesAreRatedOnlyWhenTheBoundSettlesTheClass)
{
    const auto pi = [](const char* text) {
        return rateMeasuredValue(RatingKind::PolarisationIndex, parseMeasuredValue(text, ""));
    };
    EXPECT_EQ(pi("<0.9"), RatingClass::Dangerous);
    EXPECT_EQ(pi("<3"), std::nullopt);
    EXPECT_EQ(pi(">5"), RatingClass::Best);
    EXPECT_EQ(pi(">3"), std::nullopt);
    EXPECT_EQ(pi("2.0"), RatingClass::Good);
    EXPECT_EQ(pi("2,0 !"), RatingClass::Good);
    EXPECT_EQ(pi("---"), std::nullopt);
}

} // namespace
