// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/PointMatching.h"

#include <cstddef>
#include <set>
#include <tuple>

namespace zentrova {

namespace {

using Numbers = std::tuple<long, long, long>;

Numbers numbersOf(const PointIdentity& p)
{
    return {p.object, p.block, p.element};
}

// The one known point under `key`, or 0 when none or several were.
template <class Key>
long long onlyPoint(const std::map<Key, std::set<long long>>& points, const Key& key)
{
    const auto it = points.find(key);
    return it != points.end() && it->second.size() == 1 ? *it->second.begin() : 0;
}

} // namespace

std::vector<PointFound> matchPoints(const std::vector<KnownPoint>& known, const std::vector<PointIdentity>& points)
{
    std::map<PointIdentity, long long> exact;
    std::map<int, std::set<long long>> byNames;
    std::map<Numbers, std::set<long long>> byNumbers;
    for (const KnownPoint& k : known) {
        exact.emplace(k.identity, k.point);
        byNames[k.identity.names].insert(k.point);
        byNumbers[numbersOf(k.identity)].insert(k.point);
    }
    std::map<int, int> namesHere;
    for (const PointIdentity& p : points)
        ++namesHere[p.names];

    std::vector<PointFound> found(points.size());
    std::set<long long> claimed;
    const auto claim = [&](size_t i, long long point, PointMatch how) {
        if (point == 0 || claimed.count(point))
            return;
        found[i] = {point, how};
        claimed.insert(point);
    };
    for (size_t i = 0; i < points.size(); ++i)
        if (const auto it = exact.find(points[i]); it != exact.end())
            claim(i, it->second, PointMatch::SameNumbersAndNames);
    for (size_t i = 0; i < points.size(); ++i)
        if (!found[i].point && namesHere[points[i].names] == 1)
            claim(i, onlyPoint(byNames, points[i].names), PointMatch::SameNames);
    for (size_t i = 0; i < points.size(); ++i)
        if (!found[i].point)
            claim(i, onlyPoint(byNumbers, numbersOf(points[i])), PointMatch::SameNumbers);
    return found;
}

} // namespace zentrova
