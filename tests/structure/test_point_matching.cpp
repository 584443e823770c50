// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// One rule finds a measuring point among the points known before it, for the
// comparison of two files and for the history archive alike.
#include "structure/PointMatching.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zentrova;

namespace {

struct Point {
    long block, element;
    const char *blockName, *elementName;
};

struct Known {
    Point identity;
    long long point;
};

struct Found {
    long long point;
    PointMatch match;
};

struct Case {
    const char* name;
    std::vector<Known> known;
    std::vector<Point> points;
    std::vector<Found> found;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

constexpr auto Both = PointMatch::SameNumbersAndNames;
constexpr auto Names = PointMatch::SameNames;
constexpr auto Numbers = PointMatch::SameNumbers;

const Case cases[] = {
    {"EachStep",
     {{{1, 1, "Hall", "Motor"}, 10}, {{1, 2, "Hall", "Pump"}, 20}, {{2, 1, "Yard", "Gate"}, 30}},
     {{1, 1, "Hall", "Motor"}, {5, 5, "Hall", "Pump"}, {2, 1, "Yard", "Door"}, {7, 7, "Shed", "Fan"}},
     {{10, Both}, {20, Names}, {30, Numbers}, {0, Both}}},
    // A name shared with a point found by numbers and names stays ambiguous:
    // every known point counts, as the archive always counted them.
    {"NamesSharedWithAFoundPoint",
     {{{1, 1, "Hall", "Motor"}, 10}, {{1, 2, "Hall", "Motor"}, 20}},
     {{1, 1, "Hall", "Motor"}, {1, 3, "Hall", "Motor"}},
     {{10, Both}, {0, Both}}},
    {"NamesTwiceInTheNewPoints",
     {{{1, 1, "Hall", "Motor"}, 10}},
     {{1, 5, "Hall", "Motor"}, {1, 6, "Hall", "Motor"}},
     {{0, Both}, {0, Both}}},
    // A point renamed over the years is known under each name, and is still
    // one point: its names and its numbers find it.
    {"OnePointUnderTwoIdentities",
     {{{1, 1, "Hall", "Motor"}, 10}, {{1, 1, "Hall", "Motor M1"}, 10}, {{1, 2, "Hall", "Pump"}, 20}},
     {{4, 4, "Hall", "Motor M1"}, {1, 2, "Hall", "Pump P1"}},
     {{10, Names}, {20, Numbers}}},
    {"NumbersOfTwoKnownPoints",
     {{{1, 1, "Hall", "Motor"}, 10}, {{1, 1, "Hall", "Pump"}, 20}},
     {{1, 1, "Hall", "Fan"}},
     {{0, Both}}},
    // No known point is found twice: the second point with the same numbers
    // is new.
    {"NoPointTwice",
     {{{1, 1, "Hall", "Motor"}, 10}},
     {{1, 1, "Hall", "Fan"}, {1, 1, "Hall", "Motor"}, {1, 1, "Hall", "Pump"}},
     {{0, Both}, {10, Both}, {0, Both}}},
    // Under identical numbers and names the first known point is the one.
    {"FirstOfTwoIdenticalIdentities",
     {{{1, 1, "Hall", "Motor"}, 10}, {{1, 1, "Hall", "Motor"}, 20}},
     {{1, 1, "Hall", "Motor"}, {1, 1, "Hall", "Motor"}},
     {{10, Both}, {0, Both}}},
};

class MatchPoints : public testing::TestWithParam<Case> {};

TEST_P(MatchPoints, FindsEachPointOnce)
{
    const Case& c = GetParam();
    PointNames<std::string> names;
    const auto identity = [&](const Point& p) {
        return PointIdentity{1, p.block, p.element, names.numberOf(p.blockName, p.elementName)};
    };
    std::vector<KnownPoint> known;
    for (const Known& k : c.known)
        known.push_back({identity(k.identity), k.point});
    std::vector<PointIdentity> points;
    for (const Point& p : c.points)
        points.push_back(identity(p));
    const std::vector<PointFound> found = matchPoints(known, points);
    ASSERT_EQ(found.size(), c.found.size());
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].point, c.found[i].point) << "point " << i;
        if (c.found[i].point)
            EXPECT_EQ(found[i].match, c.found[i].match) << "point " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MatchPoints, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
