// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The result values as CSV, read back by Python's csv module as a
// spreadsheet would read them.
#include "structure/MeasurementTime.h"
#include "structure/StructureContext.h"
#include "structure/ValuesCsv.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <map>
#include <variant>

using namespace zentrova;
using namespace zentrova::test;

namespace {

// Reads the CSV with the csv module (strict RFC 4180 dialect) and prints the
// rows as JSON objects keyed by the heading; every value column goes through
// float(), as a spreadsheet computing with it would.
const char* ReadBack = R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    rows = list(csv.reader(f, strict=True))
head = rows[0]
assert len(set(head)) == len(head), 'headings repeat'
out = []
for r in rows[1:]:
    assert len(r) == len(head), 'row of %d fields under %d headings' % (len(r), len(head))
    d = {}
    for i, (h, v) in enumerate(zip(head, r)):
        plain = i >= 7 and not h.endswith((' unit', ' mark', ' rating (advice)')) and h not in (
            'correction rule', 'verdict', 'rule', 'source')
        d[h] = (float(v) if v else None) if plain else v
    out.append(d)
print(json.dumps({'head': head, 'rows': out}))
)";

using Cell = std::variant<std::string, double, std::nullptr_t>;

// Three results, as a transfer leaves them, and a row with no result.
void fillResults(AppContext& c)
{
    ResultTable& t = c.document.structure.table;
    auto add = [&](std::vector<std::string> cells) {
        const int r = t.appendRow();
        for (size_t i = 0; i < cells.size(); ++i)
            t.setCell(int(i) + 1, r, cells[i]);
    };
    add({"1\r1\r1", "001\rHall, \"North\"\rMotor M1\r6,13", "500\rInsulation resistance", "501508>550!", "5105025.12",
         "5095025", "12.03.2024", "10:15"});
    add({"1\r1\r2", "001\rHall, \"North\"\rPompe \xE9\r6,13", "501\rDiagnostic test (DAR, PI)", "5075003,99\r5065001.6",
         "502507850\r5035071200\r5045071600\r5055086.4\r519519-3.5\r51551510", "", "2024-03-12", "10:40:05"});
    add({"1\r5\r7", "", "", "", "", "", "", ""});
    add({"1\r2\r1", "001\rBlock 2\rCable\r6,13", "503\rStep voltage test", "501507<0.01\rAAABreakdown",
         "5105021.0\r5105022.0\r510502---", "", "13/03/24", "8:00"});
}

TEST(ValuesCsv, ReadsBackAsEveryResultValueInBaseUnits)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    ASSERT_FALSE(python.isEmpty()) << "python3 is needed to read the CSV back (scripts/install-deps installs it)";

    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.familyCode = 14;
    applyFamilyProfile(c);
    fillResults(c);
    // Through the file dialog seam, as File > Export CSV: ".csv" is added.
    p.prompts.expectFile(p.dir.file(QStringLiteral("values")));
    ASSERT_TRUE(runValuesCsvExport(c));
    const QString file = p.dir.file(QStringLiteral("values.csv"));
    const std::string bytes = p.dir.readFile(QStringLiteral("values.csv"));
    EXPECT_EQ(bytes, valuesCsv(c));
    ASSERT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0);
    size_t lines = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a row ends in LF alone at " << i;
            ++lines;
        }
    EXPECT_EQ(lines, 4u); // heading and three results; the row without a result is left out
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

    QProcess py;
    py.start(python, {QStringLiteral("-c"), QString::fromLatin1(ReadBack), file});
    ASSERT_TRUE(py.waitForFinished(30000));
    ASSERT_EQ(py.exitCode(), 0) << py.readAllStandardError().toStdString();
    const QJsonObject read = QJsonDocument::fromJson(py.readAllStandardOutput()).object();

    const std::vector<std::string> head{
        "Block no.", "Block", "Element no.", "Element", "Function", "Date", "Time", "Riso", "Riso unit", "Riso mark",
        "Um", "Um unit", "Um mark", "Ut", "Ut unit", "Ut mark", "PI", "PI unit", "PI mark", "PI rating (advice)", "DAR",
        "DAR unit", "DAR mark", "DAR rating (advice)", "R15s", "R15s unit", "R15s mark", "R30s", "R30s unit",
        "R30s mark", "R60s", "R60s unit", "R60s mark", "R10min", "R10min unit", "R10min mark", "Temp", "Temp unit",
        "Temp mark", "t", "t unit", "t mark", "Um (2)", "Um (2) unit", "Um (2) mark", "Um (3)", "Um (3) unit",
        "Um (3) mark",
        // the judging, at the end of each row
        "corrected value", "base temperature", "correction rule", "verdict", "minimum", "rule", "source",
        "corrected value mark"};
    const QJsonArray readHead = read.value(QStringLiteral("head")).toArray();
    ASSERT_EQ(size_t(readHead.size()), head.size());
    for (size_t i = 0; i < head.size(); ++i)
        EXPECT_EQ(readHead[qsizetype(i)].toString().toStdString(), head[i]);

    // What each row must hold; a heading not named holds nothing.
    const std::vector<std::map<std::string, Cell>> expected{
        {{"Block no.", "1"},
         {"Block", "Hall, \"North\""},
         {"Element no.", "1"},
         {"Element", "Motor M1"},
         {"Function", "Insulation resistance"},
         {"Date", "2024-03-12"}, // ISO 8601 whatever form the instrument wrote
         {"Time", "10:15:00"},
         {"Riso", 550e9},
         {"Riso unit", "Ohm"},
         {"Riso mark", ">!"},
         {"Um", 5120.0},
         {"Um unit", "V"},
         {"Ut", 5000.0},
         {"Ut unit", "V"},
         {"correction rule", "the point has no equipment data; only the advice bands apply"},
         {"verdict", "not judged"},
         {"rule", "minimum insulation resistance"}},
        {{"Block no.", "1"},
         {"Block", "Hall, \"North\""},
         {"Element no.", "2"},
         {"Element", "Pompe \xC3\xA9"},
         {"Function", "Diagnostic test (DAR, PI)"},
         {"Date", "2024-03-12"},
         {"Time", "10:40:05"},
         {"PI", 3.99},
         {"PI rating (advice)", "Good"},
         {"DAR", 1.6},
         {"DAR rating (advice)", "Excellent"},
         {"R15s", 850e6},
         {"R15s unit", "Ohm"},
         {"R30s", 1.2e9},
         {"R30s unit", "Ohm"},
         {"R60s", 1.6e9},
         {"R60s unit", "Ohm"},
         {"R10min", 6.4e9},
         {"R10min unit", "Ohm"},
         {"Temp", -3.5},
         {"Temp unit", "degC"},
         {"t", 600.0},
         {"t unit", "s"},
         {"correction rule", "the point has no equipment data; only the advice bands apply"},
         {"verdict", "not judged"},
         {"rule", "minimum insulation resistance"}},
        {{"Block no.", "2"},
         {"Block", "Block 2"},
         {"Element no.", "1"},
         {"Element", "Cable"},
         {"Function", "Step voltage test"},
         {"Date", "2024-03-13"},
         {"Time", "08:00:00"},
         {"Riso", 1e4},
         {"Riso unit", "Ohm"},
         {"Riso mark", "<"},
         {"Um", 1000.0},
         {"Um unit", "V"},
         {"Um (2)", 2000.0},
         {"Um (2) unit", "V"}},
    };
    const QJsonArray rows = read.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(size_t(rows.size()), expected.size());
    for (size_t r = 0; r < expected.size(); ++r) {
        const QJsonObject row = rows[qsizetype(r)].toObject();
        for (const std::string& h : head) {
            const QJsonValue got = row.value(QString::fromStdString(h));
            const auto it = expected[r].find(h);
            const bool plain = got.isDouble() || got.isNull();
            if (it == expected[r].end()) {
                EXPECT_TRUE(plain ? got.isNull() : got.toString().isEmpty()) << "row " << r << " " << h;
            } else if (const double* d = std::get_if<double>(&it->second)) {
                ASSERT_TRUE(got.isDouble()) << "row " << r << " " << h;
                EXPECT_NEAR(got.toDouble(), *d, std::fabs(*d) * 1e-12) << "row " << r << " " << h;
            } else {
                EXPECT_EQ(got.toString().toStdString(), std::get<std::string>(it->second)) << "row " << r << " " << h;
            }
        }
    }
}

// With equipment data the row's resistance is corrected and judged; the
// columns before the judging stay as they were without it.
TEST(ValuesCsv, TheJudgingColumnsFollowEveryRowsOwnColumns)
{
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.familyCode = 14;
    applyFamilyProfile(c);
    fillResults(c);
    CsvJudging judging = csvJudging(c);
    EquipmentData motor;
    motor.type = EquipmentType::FormWound;
    motor.ratedKv = 6;
    motor.testTemperature = 20;
    judging.equipmentOf = [&](long block, long element) { return block == 1 && element == 1 ? &motor : nullptr; };
    const std::string plain = valuesCsv(c), judged = valuesCsv(c, judging);
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            out.push_back(text.substr(at, end - at));
        return out;
    };
    auto withoutJudging = [](const std::string& line) {
        size_t cut = line.size();
        for (int k = 0; k < 8; ++k)
            cut = line.rfind(',', cut - 1);
        return line.substr(0, cut);
    };
    const std::vector<std::string> a = lines(plain), b = lines(judged);
    ASSERT_EQ(a.size(), 4u);
    ASSERT_EQ(b.size(), a.size());
    std::vector<std::string> judgedFields(a.size());
    for (size_t i = 0; i < a.size(); ++i) {
        const std::string own = withoutJudging(a[i]); // no judging field of `plain` holds a comma
        ASSERT_EQ(b[i].compare(0, own.size(), own), 0) << i << ": " << b[i];
        judgedFields[i] = b[i].substr(own.size());
    }
    // > 550 GΩ at 20 °C is > 137.5 GΩ at 40 °C, above the 100 MΩ of form-wound
    // windings; without the test's duration that is advice. The corrected
    // value keeps its mark and three digits.
    EXPECT_EQ(judgedFields[1], ",138000000000,40,\"halving rule, base 40 \xC2\xB0"
                               "C\",advice,100000000,IEEE 43 minimum for form-wound windings,\"IEEE Std 43-2013, 12.3; "
                               "corrected by the halving rule, base 40 \xC2\xB0"
                               "C: IEEE Std 43-2000, 6.3\",>");
    EXPECT_EQ(judgedFields[3], ",,,,,,,,") << "a step test without steps has no verdict";
}

TEST(ValuesCsv, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(csvField("plain text"), "plain text");
    EXPECT_EQ(csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(csvField("two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(csvField(""), "");
    EXPECT_EQ(csvField("a=b-c"), "a=b-c");
    EXPECT_EQ(proposedValuesCsvName(QStringLiteral("/x/plant.v2/site.ZIT")), QStringLiteral("/x/plant.v2/site.csv"));
}

// A date or time that is none of the calendar stays as the instrument wrote it.
TEST(ValuesCsv, DatesThatDoNotReadAreKeptAsWritten)
{
    const std::pair<const char*, const char*> dates[] = {
        {"1.3.24", "2024-03-01"}, {"31.02.2024", "31.02.2024"}, {"12.03.2024 10:15", "12.03.2024 10:15"}};
    for (const auto& [text, cell] : dates)
        EXPECT_EQ(isoDateOrText(text), cell);
    EXPECT_EQ(isoTimeOrText("9:05"), "09:05:00");
    EXPECT_EQ(isoTimeOrText("25:00"), "25:00");
}

// A spreadsheet runs a cell beginning with "=", "+", "-" or "@" (or a tab
// or CR before one) as a formula: such texts get a "'" in front, inside the
// quotes when the cell needs them.
TEST(ValuesCsv, FormulaLikeTextsAreKeptAsText)
{
    const std::pair<const char*, const char*> cases[] = {
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"+1", "'+1"},
        {"-2", "'-2"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"=A1,B1", "\"'=A1,B1\""},
        {"=\"x\"", "\"'=\"\"x\"\"\""},
    };
    for (const auto& [text, field] : cases)
        EXPECT_EQ(csvField(text), field) << text;

    // Names and dates are texts; the values stay numbers, a negative one too.
    LoadedProgram p;
    AppContext& c = *p.ctx;
    c.document.familyCode = 14;
    applyFamilyProfile(c);
    ResultTable& t = c.document.structure.table;
    const int r = t.appendRow();
    const char* cells[] = {
        "1\r1\r1", "001\r@evil\r=cmd|' /C calc'!A0\r6,13", "500\rInsulation resistance", "519519-3.5", "", "", "=1+1",
        "-1"};
    for (int i = 0; i < 8; ++i)
        t.setCell(i + 1, r, cells[i]);
    const std::string csv = valuesCsv(c);
    EXPECT_NE(csv.find("\r\n1,'@evil,1,'=cmd|' /C calc'!A0,Insulation resistance,'=1+1,'-1,-3.5,degC,,,,,,,,,\r\n"),
              std::string::npos)
        << csv;
}

} // namespace
