// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <compare>
#include <map>
#include <vector>

namespace zentrova {

// How a measuring point of one inspection was found among the points known
// before it (an older inspection's, or the archive's).
enum class PointMatch {
    SameNumbersAndNames,
    SameNames,   // renumbered: the numbers differ, the block and element names are the same
    SameNumbers, // renamed: the names differ, the numbers are the same
};

// What identifies a measuring point: its position numbers, and its block and
// element names as one number that two points share exactly when their names
// are the same (see PointNames).
struct PointIdentity {
    long object = 0, block = 0, element = 0;
    int names = 0;
    auto operator<=>(const PointIdentity&) const = default;
};

// Gives each distinct pair of block and element names its number, so that
// names kept as bytes and names kept as text are matched by one rule.
template <class Name>
class PointNames {
public:
    int numberOf(const Name& blockName, const Name& elementName)
    {
        return numbers_.try_emplace({blockName, elementName}, int(numbers_.size())).first->second;
    }

private:
    std::map<std::pair<Name, Name>, int> numbers_;
};

// A point known before, under one of the identities it had. A point renamed
// or renumbered over the years is known under each of them.
struct KnownPoint {
    PointIdentity identity;
    long long point = 0; // who the point is: the same for each of its identities
};

struct PointFound {
    long long point = 0; // the known point; 0 when none was found
    PointMatch match = PointMatch::SameNumbersAndNames;
};

// Finds each of `points` among the points known before, in four steps, and
// no known point twice:
// 1. the same numbers and names (the first point known under them);
// 2. renumbered: the same names, where only one known point had them and
//    only one of `points` has them;
// 3. renamed: the same numbers, where only one known point had them;
// 4. what is left is new (PointFound::point 0).
// Each step goes through `points` in their order. Known points are given
// numbers other than 0.
std::vector<PointFound> matchPoints(const std::vector<KnownPoint>& known, const std::vector<PointIdentity>& points);

} // namespace zentrova
