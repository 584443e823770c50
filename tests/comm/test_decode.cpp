// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Decoding of measurement records, their ordered insertion and the tree
// rebuilt from the rows.
#include "Records.h"
#include "ScriptedPort.h"
#include "comm/Receive.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace zentrova::test {
namespace {

struct DecodeFixture : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    ResultTable& table = ctx.document.structure.table;
    RecordingProgress progress;
    int next = 1;

    void SetUp() override
    {
        ctx.document.familyCode = 14;
        applyFamilyProfile(ctx);
        table.setCell(1, 0, "identification");
    }
    void decode(const std::string& r) { decodeRecord(ctx, r.data(), r.size(), next++); }
    std::string positionOf(int row) const { return table.cell(1, row); }
    std::vector<std::string> names(const ElementNode* parent) const
    {
        std::vector<std::string> out;
        const auto& list = parent ? parent->children() : ctx.document.structure.tree.roots();
        for (const auto& n : list)
            out.push_back(n->name);
        return out;
    }
};

TEST_F(DecodeFixture, RecordBytesGiveRowExactly)
{
    const std::string r("\x00\x03\x00\x07\x05R\x0c\x07 1 . 5\x00", 15);
    decode(r);
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.cell(0, 1), "");
    EXPECT_EQ(table.cell(1, 1), "1\r3\r7");
    EXPECT_EQ(table.cell(2, 1), "001\r003\r007\r6,13");
    EXPECT_EQ(table.cell(3, 1), "505\r" + ctx.language.names.function(505));
    EXPECT_EQ(ctx.language.names.function(505), "Insulation resistance (ramp)");
    EXPECT_EQ(table.cell(4, 1), "5125071.5");
    for (int c = 5; c < ResultTable::ColumnCount; ++c)
        EXPECT_EQ(table.cell(c, 1), "") << "column " << c;
}

TEST_F(DecodeFixture, ItemsGoToTheirColumnsInArrivalOrder)
{
    decode(rec(1, 1, 0,
               coded('R', 1, 7, "1 2 5 . 0") + coded('R', 12, 8, "3.40") + coded('M', 9, 2, "2.50") +
                   coded('P', 16, 7, "100") + plain('D', "2 0 2 4") + plain('T', "20 C") + plain('X', "note")));
    EXPECT_EQ(table.cell(3, 1), "500\rInsulation resistance\rnote");
    EXPECT_EQ(table.cell(4, 1), "501507125.0\r5125083.40");
    EXPECT_EQ(table.cell(5, 1), "5095022.50");
    EXPECT_EQ(table.cell(6, 1), "516507100");
    EXPECT_EQ(table.cell(7, 1), "2024");
    EXPECT_EQ(table.cell(8, 1), "20C");
}

struct TruncatedCase {
    const char* name;
    std::string record;
    std::string column1, column3, column4;
};

void PrintTo(const TruncatedCase& c, std::ostream* os)
{
    *os << c.name;
}

class TruncatedRecordTest : public DecodeFixture, public ::testing::WithParamInterface<TruncatedCase> {};

TEST_P(TruncatedRecordTest, DecodingStopsAtTheRecordsEnd)
{
    const auto& c = GetParam();
    // The bytes after the record are readable memory that must not be used.
    const std::string withTail = c.record + std::string("R\x01\x07"
                                                        "999\0",
                                                        8);
    decodeRecord(ctx, withTail.data(), c.record.size(), 1);
    EXPECT_EQ(table.cell(1, 1), c.column1);
    EXPECT_EQ(table.cell(3, 1), c.column3);
    EXPECT_EQ(table.cell(4, 1), c.column4);
}

INSTANTIATE_TEST_SUITE_P(
    Items, TruncatedRecordTest,
    ::testing::Values(TruncatedCase{"textWithoutEnd",
                                    rec(1, 2, 0,
                                        coded('R', 1, 7, "5.0") + "R\x01\x07"
                                                                  "12"),
                                    "1\r1\r2", "500\rInsulation resistance", "5015075.0"},
                      TruncatedCase{"unitMissing", rec(1, 2, 0, coded('R', 1, 7, "5.0") + "R\x01"), "1\r1\r2",
                                    "500\rInsulation resistance", "5015075.0"},
                      TruncatedCase{"tagOnly", rec(1, 2, 0, std::string("R")), "1\r1\r2", "500\rInsulation resistance",
                                    ""},
                      TruncatedCase{"noFunctionByte", rec(1, 2, 0).substr(0, 4), "1\r1\r2", "", ""},
                      TruncatedCase{"halfAPosition", std::string("\x00\x04\x00", 3), "1\r4\r0", "", ""},
                      TruncatedCase{"empty", std::string(), "1\r0\r0", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DecodeFixture, UnknownCodesGiveEmptyNames)
{
    decode(rec(1, 1, 250, coded('R', 250, 255, "1")));
    EXPECT_EQ(table.cell(3, 1), "750\r");
    EXPECT_EQ(table.cell(4, 1), "7507551");
}

TEST_F(DecodeFixture, EqualPositionsKeepArrivalOrder)
{
    decode(rec(1, 2, 0, plain('T', "first")));
    decode(rec(1, 1, 0, plain('T', "second")));
    decode(rec(1, 2, 0, plain('T', "third")));
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.cell(8, 1), "second");
    EXPECT_EQ(table.cell(8, 2), "first");
    EXPECT_EQ(table.cell(8, 3), "third");

    buildTreeFromResults(ctx, progress);
    EXPECT_EQ(names(nullptr), std::vector<std::string>{"001"});
    EXPECT_EQ(names(ctx.document.structure.tree.first()), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(ctx.document.structure.tree.first()->info.kind, KindObject);
    EXPECT_EQ(ctx.document.structure.tree.first()->children()[1]->info.kind, KindMeasuringPoint);
    EXPECT_EQ(ctx.document.structure.tree.first()->children()[1]->info.number, 2);
    EXPECT_EQ(ctx.document.structure.tree.selected, ctx.document.structure.tree.first());
}

TEST_F(DecodeFixture, BlocksAreRegroupedUnderOneElementEach)
{
    decode(rec(1, 1, 0));
    decode(rec(2, 1, 0));
    decode(rec(1, 3, 0));
    EXPECT_EQ(positionOf(1), "1\r1\r1");
    EXPECT_EQ(positionOf(2), "1\r1\r3");
    EXPECT_EQ(positionOf(3), "1\r2\r1");
    buildTreeFromResults(ctx, progress);
    EXPECT_EQ(names(nullptr), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(names(ctx.document.structure.tree.roots()[0].get()), (std::vector<std::string>{"001", "003"}));
}

TEST_F(DecodeFixture, ElementZeroStartingABlockGetsNoParticular)
{
    decode(rec(1, 4, 0));
    decode(rec(2, 0, 0));
    decode(rec(2, 5, 0));
    buildTreeFromResults(ctx, progress);
    ASSERT_EQ(names(nullptr), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(names(ctx.document.structure.tree.roots()[1].get()), std::vector<std::string>{"005"});
    EXPECT_EQ(table.rowCount(), 4); // the element-0 row stays
}

TEST_F(DecodeFixture, RandomArrivalsEndInStablePositionOrder)
{
    std::mt19937 rng(7);
    struct Arrival {
        int b, e, seq;
    };
    std::vector<Arrival> arrivals;
    for (int i = 0; i < 600; ++i)
        arrivals.push_back({int(rng() % 5), int(rng() % 7), i});
    for (const auto& a : arrivals)
        decode(rec(a.b, a.e, 0, plain('T', std::to_string(a.seq))));
    std::stable_sort(arrivals.begin(), arrivals.end(),
                     [](const Arrival& x, const Arrival& y) { return std::tie(x.b, x.e) < std::tie(y.b, y.e); });
    ASSERT_EQ(table.rowCount(), 601);
    for (size_t i = 0; i < arrivals.size(); ++i)
        ASSERT_EQ(table.cell(8, int(i) + 1), std::to_string(arrivals[i].seq)) << "row " << i + 1;
}

TEST_F(DecodeFixture, ArbitraryBytesStayInsideTheRecord)
{
    // Line noise taken for records: every length up to 255, every byte value.
    // Each record is decoded from its own exactly sized buffer, so a read past
    // its end shows under the address sanitizer.
    std::mt19937 rng(11);
    for (int i = 0; i < 2000; ++i) {
        std::vector<char> bytes(size_t(rng() % 256));
        for (char& c : bytes)
            c = char(rng() % 4 == 0 ? "RMPDT"[rng() % 5] : rng());
        decodeRecord(ctx, bytes.data(), bytes.size(), next++);
    }
    ASSERT_EQ(table.rowCount(), 2001);
    for (int r = 1; r < table.rowCount(); ++r)
        ASSERT_EQ(std::count(table.cell(1, r).begin(), table.cell(1, r).end(), '\r'), 2) << "row " << r;
}

TEST_F(DecodeFixture, TreeNeedsRowsAndAnIdentification)
{
    buildTreeFromResults(ctx, progress); // no result rows: nothing happens
    EXPECT_TRUE(ctx.document.structure.tree.empty());
    decode(rec(1, 1, 0));
    table.setCell(1, 0, "");
    buildTreeFromResults(ctx, progress);
    EXPECT_TRUE(ctx.document.structure.tree.empty());
}

// ------------------------------------------------------------ identification

struct FamilyCase {
    unsigned typeCode;
    int family;
};
void PrintTo(const FamilyCase& c, std::ostream* os)
{
    *os << "type code " << c.typeCode;
}

class FamilyCodeTest : public ::testing::TestWithParam<FamilyCase> {};
TEST_P(FamilyCodeTest, FollowsTypeCode)
{
    EXPECT_EQ(familyCodeOf(GetParam().typeCode), GetParam().family);
}
INSTANTIATE_TEST_SUITE_P(Codes, FamilyCodeTest,
                         ::testing::Values(FamilyCase{114, 14}, FamilyCase{14, 14}, FamilyCase{370, 114},
                                           FamilyCase{100, 0}, FamilyCase{199, 99}, FamilyCase{200, 200},
                                           FamilyCase{65535, 255}),
                         [](const auto& info) { return "Type" + std::to_string(info.param.typeCode); });

TEST(Identification, TextsEndAtNulDropLineFeedsAndStopAtBuffer)
{
    std::string p = ScriptedInstrument::payload(114, {"Tera\nTester", "5 kV", "", "SN 123"});
    Identification id;
    ASSERT_TRUE(parseIdentification(p, id));
    EXPECT_EQ(id.typeCode, 114u);
    EXPECT_EQ(id.texts[0], "TeraTester");
    EXPECT_EQ(id.texts[1], "5 kV");
    EXPECT_EQ(id.texts[3], "SN 123");
    EXPECT_EQ(id.texts[9], "");

    // A text running past the 400-byte buffer is cut there.
    const std::string longText(600, 'a');
    ASSERT_TRUE(parseIdentification(ScriptedInstrument::payload(14, {longText, "lost"}), id));
    EXPECT_EQ(id.texts[0].size(), IdentificationBufferSize - 2);
    EXPECT_EQ(id.texts[1], "");

    EXPECT_FALSE(parseIdentification(std::string(1, '\x0e'), id));
}

TEST(Identification, CleaningKeepsCarriageReturns)
{
    EXPECT_EQ(cleanInstrumentText(std::string("A\tB\rC\xc8"
                                              "D\x01",
                                              8)),
              "A B\rC D ");
}

// ------------------------------------------------------------ frames

// Lengths and counts travel high byte first, the type code low byte first:
// each frame is written out here byte by byte, so that the encoders the
// simulator answers with and the decoders the program reads with are both
// held to the wire rather than to each other.
TEST(Frames, NumbersHaveTheirByteOrder)
{
    int n = 0;
    EXPECT_EQ(countFrame(300), std::string("SNU\0\x01\x2c", 6));
    ASSERT_TRUE(countOf(std::string("SNU\0\x01\x2c", 6), n));
    EXPECT_EQ(n, 300);
    EXPECT_FALSE(countOf(std::string("SNX\0\x01\x2c", 6), n));
    EXPECT_FALSE(countOf(std::string("SNU\0\x01", 5), n));

    EXPECT_EQ(identificationFrame(std::string(300, 'x')).substr(0, 5), std::string("SWH\x01\x2c", 5));
    ASSERT_TRUE(identificationLengthOf(std::string("SWH\x01\x2c", 5), n));
    EXPECT_EQ(n, 300);
    EXPECT_EQ(identificationPayload(0x1234, {"A"}), std::string("\x34\x12"
                                                                "A\0",
                                                                4));

    EXPECT_EQ(recordHeader(300, 2), std::string("SRE\x01\x2c", 5));
    EXPECT_EQ(recordHeader(200), std::string("SRE\xc8", 4));
    ASSERT_TRUE(recordLengthOf(std::string("SRE\x01\x2c", 5), 2, n));
    EXPECT_EQ(n, 300);
    ASSERT_TRUE(recordLengthOf(std::string("SRE\xc8", 4), 1, n));
    EXPECT_EQ(n, 200);

    EXPECT_EQ(requestFrame(Request::Start), std::string("MRD\0", 4));
    EXPECT_EQ(requestFrame(Request::NextRecord), "MRE");
    EXPECT_EQ(acknowledgeStatus(acknowledgeFrame(5)), 5);
}

TEST(Frames, RecordWithAnObjectNumber)
{
    const std::string bytes("\x01\x02"
                            "\x00\x03"
                            "\x01\x00"
                            "\x07"
                            "R\x01\x08"
                            "5\0"
                            "D"
                            "2024\0",
                            18);
    const Record r = parseRecord(bytes.data(), bytes.size(), 3);
    EXPECT_EQ(r.object, 258);
    EXPECT_EQ(r.block, 3);
    EXPECT_EQ(r.element, 256);
    ASSERT_TRUE(r.hasFunction);
    EXPECT_EQ(r.function, 7);
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].quantity, 1);
    EXPECT_EQ(r.items[0].unit, 8);
    EXPECT_EQ(r.items[0].text, "5");
    EXPECT_EQ(r.items[1].tag, 'D');
    EXPECT_EQ(r.items[1].text, "2024");
    EXPECT_EQ(recordBytes(r, 3), bytes);
}

} // namespace
} // namespace zentrova::test
