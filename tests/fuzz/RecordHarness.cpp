// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Received records: a run of records decoded into consecutive rows, as the
// transfer does. The first byte picks the profile: bit 0 a position of three
// numbers, bit 1 results that need no ordering, bits 2-3 the family (its
// function-name offset). Then each record is a length byte and that many
// bytes (the last one takes what is left).
//
// Whatever the bytes, the table ends with one row per record, and those rows
// are the records' own rows (each decoded alone) in stable position order.
#include "FuzzHarness.h"

#include "base/TextRules.h"
#include "comm/Receive.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace zentrova::fuzz {

namespace {

using Key = std::tuple<long, long, long>;

Key keyOf(const ResultTable::Row& row)
{
    return {digitsValue(nthLine(row[1], 1)), digitsValue(nthLine(row[1], 2)), digitsValue(nthLine(row[1], 3))};
}

} // namespace

int fuzzRecord(const uint8_t* data, size_t size)
{
    static LoadedFuzzProgram program;
    AppContext& ctx = *program.ctx;
    if (size < 1)
        return -1;
    static const uint8_t families[] = {14, 0, 7, 11};
    // The profile is the same for every family; only the function-name offset differs.
    ctx.document.familyCode = families[(data[0] >> 2) & 3];
    ctx.language.profile.positionDepth = (data[0] & 1) ? 3 : 0;
    ctx.language.profile.resultsSorted = (data[0] & 2) != 0;

    std::vector<std::string> records;
    for (size_t pos = 1; pos < size && records.size() < 200;) {
        const size_t n = std::min<size_t>(data[pos], size - pos - 1);
        records.emplace_back(reinterpret_cast<const char*>(data) + pos + 1, n);
        pos += 1 + n;
    }

    // Each record alone, in arrival order.
    std::vector<ResultTable::Row> expected;
    for (const std::string& r : records) {
        clearResultTable(ctx.document);
        decodeRecord(ctx, r.data(), r.size(), 1);
        if (ctx.document.structure.table.rowCount() != 2) {
            violated("record", "one record did not make one row");
            return 0;
        }
        expected.push_back(ctx.document.structure.table.row(1));
    }
    if (!ctx.language.profile.resultsSorted)
        std::stable_sort(expected.begin(), expected.end(),
                         [](const ResultTable::Row& x, const ResultTable::Row& y) { return keyOf(x) < keyOf(y); });

    clearResultTable(ctx.document);
    for (size_t i = 0; i < records.size(); ++i)
        decodeRecord(ctx, records[i].data(), records[i].size(), int(i + 1));

    const ResultTable& t = ctx.document.structure.table;
    if (t.rowCount() != int(records.size()) + 1) {
        violated("record", "the table holds " + std::to_string(t.rowCount()) + " rows for " +
                               std::to_string(records.size()) + " records");
        return 0;
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        const ResultTable::Row& row = t.row(int(i + 1));
        if (row != expected[i]) {
            violated("record", "row " + std::to_string(i + 1) + " is not where position order puts it");
            return 0;
        }
        if (!row[0].empty() || !row[9].empty())
            violated("record", "a decoded row fills column 0 or 9");
        if (std::count(row[1].begin(), row[1].end(), '\r') != 2)
            violated("record", "a position is not three lines: " + row[1]);
    }
    return 0;
}

} // namespace zentrova::fuzz
