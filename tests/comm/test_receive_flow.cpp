// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Instrument > Receive Results against a scripted instrument: the stages,
// their messages and what stays in the model when something goes wrong.
#include "Records.h"
#include "ScriptedPort.h"
#include "base/LogRecorder.h"
#include "base/TextRules.h"
#include "comm/InstrumentData.h"
#include "comm/PortDirectory.h"
#include "comm/Receive.h"
#include "comm/TransferLog.h"
#include "structure/StructureFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <grp.h>
#include <unistd.h>

namespace zentrova::test {
namespace {

const std::string MrdCommand("MRD\0", 4), MexCommand("MEX\0", 4);

struct Flow : ::testing::Test {
    LoadedProgram program;
    AppContext& ctx = *program.ctx;
    ScriptedPort port;
    ScriptedInstrument instrument{port};
    RecordingProgress progress;
    InstrumentLink link{port};
    std::vector<ReceiveStep> steps;
    bool saveAnswer = true;

    void SetUp() override
    {
        instrument.identificationPayload = ScriptedInstrument::payload(
            114, {"TeraTester", "5 kV insulation tester", "HW 2.1", "21120345", "Acme\rMain street 1", "Plant 4",
                  "FW 1.07", "Line 5", "Line 6", "Line 7"});
        // A structure that was there before.
        resetToNewStructure(ctx.document, ctx.language, ctx.defaultNames);
    }
    ReceiveOutcome run()
    {
        ReceiveHooks hooks;
        hooks.querySaveChanges = [&] { return saveAnswer; };
        hooks.refresh = [&](ReceiveStep s) { steps.push_back(s); };
        return receiveResults(ctx, link, progress, hooks, port);
    }
    int sent(const std::string& cmd) const { return int(std::count(port.writes.begin(), port.writes.end(), cmd)); }
    void records(int n)
    {
        for (int i = 0; i < n; ++i)
            instrument.records.push_back(rec(1 + i / 5, 1 + i % 5, 0, coded('R', 1, 7, std::to_string(100 + i))));
    }
    std::string missingText(int done, int count) const
    {
        return ctx.language.texts.text("MeasuresMissing_30") + "\r" + std::to_string(done) + "/" +
               std::to_string(count);
    }
};

TEST_F(Flow, NormalTransferFillsTableTreeAndView)
{
    records(12);
    const ReceiveOutcome out = run();
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Received);
    EXPECT_EQ(out.done, 12);
    EXPECT_EQ(instrument.commands.front(), "MRD");
    EXPECT_EQ(instrument.commands[1], "MWH");
    EXPECT_EQ(instrument.commands[2], "MNU");
    EXPECT_EQ(instrument.commands[3], "MSS");
    EXPECT_EQ(instrument.commands.back(), "MEX");
    EXPECT_EQ(sent("MRE"), 13);
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 13);
    EXPECT_EQ(ctx.document.structure.table.cell(1, 0),
              "TeraTester\r5 kV insulation tester\rHW 2.1\r21120345\rFW 1.07\rLine 5\rLine 6\rLine 7");
    EXPECT_EQ(ctx.document.structure.table.cell(2, 0), "Acme\rMain street 1");
    EXPECT_EQ(ctx.document.structure.tree.roots().size(), 3u);
    EXPECT_EQ(out.resultsView, 1);
    EXPECT_FALSE(ctx.document.saved);
    EXPECT_EQ(ctx.document.fileName, ctx.language.decode(ctx.language.texts.defaultFileName));
    EXPECT_EQ(steps, (std::vector<ReceiveStep>{ReceiveStep::StructureCleared, ReceiveStep::TreeBuilt,
                                               ReceiveStep::ViewShown}));
    EXPECT_EQ(progress.captions, std::vector<std::string>{ctx.language.texts.text("ReceiveResults_30")});
    // The records' gauge reaches 100, then the tree's runs from 0 to 100.
    const auto hundred = std::find(progress.positions.begin(), progress.positions.end(), 100);
    ASSERT_NE(hundred, progress.positions.end());
    EXPECT_NE(std::find(hundred, progress.positions.end(), 0), progress.positions.end());
    EXPECT_EQ(progress.hides, 1);
    EXPECT_FALSE(port.active());
    EXPECT_TRUE(program.prompts.messages.empty());
}

struct TypeCase {
    unsigned typeCode;
    bool recordsRead;
};
void PrintTo(const TypeCase& c, std::ostream* os)
{
    *os << "type code " << c.typeCode;
}
class TypeCodeFlow : public Flow, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeCodeFlow, OnlyThisFamilyGetsRecordsRead)
{
    instrument.identificationPayload = ScriptedInstrument::payload(GetParam().typeCode, {"Other"});
    records(3);
    const ReceiveOutcome out = run();
    EXPECT_EQ(sent("MSS"), GetParam().recordsRead ? 1 : 0);
    EXPECT_EQ(sent("MRE"), GetParam().recordsRead ? 4 : 0);
    EXPECT_EQ(sent(MexCommand), 1);
    EXPECT_EQ(ctx.document.structure.table.rowCount(), GetParam().recordsRead ? 4 : 1);
    EXPECT_EQ(nthLine(ctx.document.structure.table.cell(1, 0), 1), "Other");
    if (!GetParam().recordsRead) {
        EXPECT_EQ(ctx.document.familyCode, 114);
        EXPECT_EQ(out.status, ReceiveOutcome::Status::OtherInstrument);
        EXPECT_TRUE(ctx.document.structure.tree.empty());
        EXPECT_TRUE(steps == std::vector<ReceiveStep>{ReceiveStep::StructureCleared});
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, TypeCodeFlow,
                         ::testing::Values(TypeCase{114, true}, TypeCase{14, true}, TypeCase{370, false}),
                         [](const auto& info) { return "Type" + std::to_string(info.param.typeCode); });

TEST_F(Flow, ErrorInOneReadEndsTransferWithoutRepeatingARecord)
{
    records(5);
    // MRD, MWH, MNU, MSS, MRE, MRE fine; the third MRE cannot be written.
    port.failWriteAfter = 6;
    program.prompts.expectMessage(MbOK);
    program.prompts.expectMessage(MbOK);
    const ReceiveOutcome out = run();
    ASSERT_EQ(program.prompts.messages.size(), 2u);
    EXPECT_EQ(program.prompts.messages[0], "8: ERROR");
    EXPECT_EQ(program.prompts.messages[1], missingText(2, 5));
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 3); // two records, none decoded twice
    EXPECT_EQ(out.done, 2);
    EXPECT_EQ(sent(MexCommand), 1);
}

TEST_F(Flow, DeviceLostMidTransferGivesOneMessageAndKeepsRows)
{
    records(5);
    port.loseAfterWrites = 7; // during the fourth MRE
    program.prompts.expectMessage(MbOK);
    const ReceiveOutcome out = run();
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Incomplete);
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    const std::string& m = program.prompts.messages[0];
    EXPECT_EQ(m.rfind("11: COMM ERROR\rRead error (5), ", 0), 0u) << m;
    EXPECT_NE(m.find(missingText(3, 5)), std::string::npos) << m;
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 4);
    EXPECT_EQ(ctx.document.structure.tree.roots().size(), 1u);
    EXPECT_EQ(sent(MexCommand), 0);
    EXPECT_FALSE(port.active());
    EXPECT_EQ(progress.hides, 1);
}

TEST_F(Flow, DeviceLostBeforeAnyRecordLeavesStructure)
{
    records(5);
    port.loseAfterWrites = 2; // while asking for the count
    program.prompts.expectMessage(MbOK);
    run();
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0].rfind("11: COMM ERROR\r", 0), 0u);
    ASSERT_EQ(ctx.document.structure.tree.roots().size(), 1u); // the structure from before
    EXPECT_TRUE(ctx.document.saved);
}

TEST_F(Flow, CancelBetweenRecordsEndsQuietlyAndSendsMex)
{
    records(40);
    progress.cancelAtPosition = 50;
    const ReceiveOutcome out = run();
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Incomplete);
    EXPECT_TRUE(program.prompts.messages.empty());
    EXPECT_EQ(out.done, 20);
    EXPECT_EQ(sent(MexCommand), 1);
    // The tree covers every row that came, the Cancel notwithstanding.
    EXPECT_EQ(ctx.document.structure.tree.roots().size(), 4u);
}

TEST_F(Flow, BadIdentificationKeepsEarlierExtraLines)
{
    link.instrumentExtraLines = {"old 5", "old 6", "old 7"};
    ctx.document.familyCode = 14;
    instrument.identificationPayload = "";
    // An empty payload cannot hold the type code: the reply is not valid.
    records(1);
    run();
    EXPECT_EQ(ctx.document.structure.table.cell(1, 0), "\r\r\r\r\rold 5\rold 6\rold 7");
    EXPECT_EQ(ctx.document.structure.table.cell(2, 0), "");
    EXPECT_EQ(ctx.document.structure.table.rowCount(), 2); // familyCode kept its value 14
}

TEST_F(Flow, GivingUpLeavesStructureUntouched)
{
    instrument.answerMrd = false;
    program.prompts.expectMessage(MbYes);
    const ReceiveOutcome out = run();
    EXPECT_EQ(out.status, ReceiveOutcome::Status::NotAnswered);
    ASSERT_EQ(ctx.document.structure.tree.roots().size(), 1u);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(progress.hides, 1);
    EXPECT_EQ(sent(MexCommand), 1);
}

TEST_F(Flow, DeclinedSaveQuestionSendsNothing)
{
    saveAnswer = false;
    const ReceiveOutcome out = run();
    EXPECT_EQ(out.status, ReceiveOutcome::Status::Declined);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_FALSE(port.active());
    EXPECT_TRUE(progress.captions.empty());
}

TEST_F(Flow, PortThatCannotOpenIsReportedWithSystemText)
{
    port.failOpenWith = ENOENT;
    program.prompts.expectMessage(MbOK);
    const ReceiveOutcome out = run();
    EXPECT_EQ(out.status, ReceiveOutcome::Status::PortFailed);
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0],
              "11: COMM ERROR\rUnable to open specified device COM1 (2), No such file or directory");
}

TEST_F(Flow, SecondOperationWhileOneRunsIsRefused)
{
    InstrumentLink::BusyScope running(link);
    EXPECT_EQ(run().status, ReceiveOutcome::Status::Busy);
    EXPECT_EQ(port.opens, 0);
}

TEST(ExitCode, TellsWhetherAllSomeOrNothingCame)
{
    using S = ReceiveOutcome::Status;
    const struct {
        S status;
        int done, code;
    } cases[] = {{S::Received, 30, 0},       {S::Received, 0, 0}, {S::Incomplete, 17, 3}, {S::Incomplete, 0, 3},
                 {S::Failed, 5, 3},          {S::Failed, 0, 2},   {S::PortFailed, 0, 2},  {S::NotAnswered, 0, 2},
                 {S::OtherInstrument, 0, 2}, {S::Busy, 0, 2}};
    for (const auto& c : cases) {
        ReceiveOutcome o;
        o.status = c.status;
        o.done = c.done;
        EXPECT_EQ(receiveExitCode(o), c.code) << int(c.status) << " " << c.done;
    }
}

TEST(OpenFailure, PermissionAdviceNamesTheOwningGroup)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyUSB0"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const struct group* g = getgrnam("dialout");
    if (!g)
        g = getgrnam("tty");
    if (!g || chown(QFile::encodeName(path).constData(), uid_t(-1), g->gr_gid) != 0)
        GTEST_SKIP() << "cannot give the file to a group here";
    const std::string group = g->gr_name;
    const std::string text = commErrorText(SerialError::openFailure(path, EACCES));
    const std::string expectedStart = "11: COMM ERROR\rUnable to open specified device " +
                                      QFile::encodeName(path).toStdString() + " (13), Permission denied\r";
    EXPECT_EQ(text.rfind(expectedStart, 0), 0u) << text;
    EXPECT_NE(text.find("\"" + group + "\""), std::string::npos) << text;
    EXPECT_NE(text.find("usermod -aG " + group), std::string::npos) << text;
    // Other failures get no advice.
    EXPECT_EQ(openFailureAdvice(SerialError::openFailure(path, EBUSY)), "");
}

// ------------------------------------------------------------ instrument's data

TEST_F(Flow, ReceiveDataShowsSevenLinesAndLeavesTable)
{
    instrument.identificationPayload = ScriptedInstrument::payload(
        114, {"A", "B", "C", "SN1", std::string("Firm\tone\rtwo\xc8", 13), "User", "D", "E", "F", "G"});
    const std::string row0Before = ctx.document.structure.table.cell(1, 0);
    const InstrumentDataOutcome out = receiveInstrumentData(ctx, link, progress, port);
    ASSERT_TRUE(out.exchanged);
    EXPECT_TRUE(out.valid);
    EXPECT_EQ(out.view.instrument, (std::vector<std::string>{"A", "B", "C", "D", "E", "F", "G"}));
    EXPECT_EQ(out.view.serialNumber, "SN1");
    EXPECT_EQ(out.view.firm, (std::vector<std::string>{"Firm one", "two "}));
    EXPECT_EQ(out.view.user, std::vector<std::string>{"User"});
    EXPECT_EQ(ctx.document.structure.table.cell(1, 0), row0Before);
    EXPECT_EQ(instrument.commands, (std::vector<std::string>{"MRD", "MWH", "MEX"}));
    EXPECT_EQ(progress.captions, std::vector<std::string>{ctx.language.texts.text("Receiving_30")});
    EXPECT_FALSE(port.active());
}

TEST_F(Flow, InstrumentDataFromTableShowsFourStoredLines)
{
    records(1);
    run();
    const InstrumentDataView v = instrumentDataFromTable(ctx.document.structure.table);
    EXPECT_EQ(v.instrument, (std::vector<std::string>{"TeraTester", "5 kV insulation tester", "HW 2.1", "FW 1.07"}));
    EXPECT_EQ(v.serialNumber, "21120345");
    EXPECT_EQ(v.firm, (std::vector<std::string>{"Acme", "Main street 1"}));
    EXPECT_EQ(v.user, std::vector<std::string>{"Plant 4"});
}

std::vector<ResultTable::Row> rowsOf(const ResultTable& t)
{
    std::vector<ResultTable::Row> rows;
    for (int r = 0; r < t.rowCount(); ++r)
        rows.push_back(t.row(r));
    return rows;
}

// The received table as the structure file keeps it: written, then read by a
// fresh program. The reader's outcome and its table.
struct ReadBack {
    ReadOutcome outcome;
    std::vector<ResultTable::Row> rows;
};
ReadBack writeAndReadBack(const AppContext& ctx)
{
    const std::string bytes = composeStructureFile(ctx.language, ctx.document);
    LoadedProgram reader;
    reader.prompts.allowAnyMessage();
    NullProgress quiet;
    StructureView view;
    FileEnv env{*reader.ctx, quiet, view};
    const ReadOutcome outcome = loadStructure(env, bytes).outcome;
    return {outcome, rowsOf(reader.ctx->document.structure.table)};
}

TEST_F(Flow, BytesTheStructureFileReservesBecomeSpacesAndTheFileReadsBack)
{
    const struct {
        const char* what;
        int text; // identification text 1..10 to replace, 0: none
        std::string textBytes;
        std::string item; // the text of the record's "D" item
        std::string serialLine, itemLine;
    } cases[] = {
        {"byte 2 in the serial number", 4,
         std::string("2148\x02"
                     "0173"),
         "5.0", "2148 0173", "5.0"},
        {"CR in the first instrument line", 1, "Zentrova\rIT", "5.0", "21120345", "5.0"},
        {"CR in an extra line", 8, "Line\r5", "5.0", "21120345", "5.0"},
        {"byte 2 in an item", 0, "",
         std::string("5\x02"
                     "0"),
         "21120345", "5 0"},
        {"line feed in an item", 0, "", "5\n0", "21120345", "5 0"},
        {"CR in an item", 0, "", "5\r0", "21120345", "5 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> texts{"TeraTester", "5 kV insulation tester",
                                       "HW 2.1",     "21120345",
                                       "Acme",       "Plant 4",
                                       "FW 1.07",    "Line 5",
                                       "Line 6",     "Line 7"};
        if (c.text > 0)
            texts[size_t(c.text - 1)] = c.textBytes;
        instrument.identificationPayload = ScriptedInstrument::payload(114, texts);
        instrument.records = {rec(1, 1, 0, coded('R', 1, 7, "100") + plain('D', c.item)),
                              rec(1, 2, 0, coded('R', 1, 7, "200"))};
        ASSERT_EQ(run().status, ReceiveOutcome::Status::Received);
        const ResultTable& t = ctx.document.structure.table;
        EXPECT_EQ(nthLine(t.cell(1, 0), 4), c.serialLine);
        EXPECT_EQ(splitLines(t.cell(1, 0)).size(), 8u);
        EXPECT_EQ(t.cell(7, 1), c.itemLine);

        const ReadBack back = writeAndReadBack(ctx);
        EXPECT_EQ(back.outcome, ReadOutcome::Read);
        EXPECT_TRUE(back.rows == rowsOf(t)) << "the rows read back differ";
    }
}

// The largest transfer a structure file can hold: 65,535 records below the
// identification row. 65,536 records announce a count of 0.
TEST_F(Flow, ReceivingStopsWhenTheResultTableIsFull)
{
    const int limit = structure_file::MaxTableRows - 1;
    for (const int held : {limit - 1, limit, limit + 1}) {
        SCOPED_TRACE(held);
        program.prompts.messages.clear();
        instrument.records.clear();
        for (int i = 0; i < held; ++i)
            instrument.records.push_back(rec(1 + i / 1000, 1 + i % 1000, 0));
        const bool full = held > limit;
        if (full)
            program.prompts.expectMessage(MbOK);
        const ReceiveOutcome out = run();
        EXPECT_EQ(out.done, std::min(held, limit));
        EXPECT_EQ(out.tableFull, full);
        EXPECT_EQ(out.status, full ? ReceiveOutcome::Status::Incomplete : ReceiveOutcome::Status::Received);
        EXPECT_EQ(ctx.document.structure.table.rowCount(), std::min(held, limit) + 1);
        EXPECT_EQ(port.writes.back(), MexCommand);
        if (!full) {
            EXPECT_TRUE(program.prompts.messages.empty());
            continue;
        }
        ASSERT_EQ(program.prompts.messages.size(), 1u);
        EXPECT_EQ(program.prompts.messages[0], ctx.language.texts.text("TableFull_50") + " 65535");
        const ReadBack back = writeAndReadBack(ctx);
        EXPECT_EQ(back.outcome, ReadOutcome::Read);
        EXPECT_EQ(back.rows.size(), size_t(structure_file::MaxTableRows));
        EXPECT_TRUE(back.rows == rowsOf(ctx.document.structure.table)) << "the rows read back differ";
    }
}

TEST_F(Flow, ReceiveDataOnAPortThatWillNotOpenDoesNothingUnlessAnotherProgramHoldsIt)
{
    for (const int error : {ENOENT, EACCES, EBUSY}) {
        program.prompts.messages.clear();
        if (error == EBUSY)
            program.prompts.expectMessage(MbOK);
        port.failOpenWith = error;
        const InstrumentDataOutcome out = receiveInstrumentData(ctx, link, progress, port);
        EXPECT_FALSE(out.exchanged);
        EXPECT_TRUE(progress.captions.empty());
        if (error != EBUSY) {
            EXPECT_TRUE(program.prompts.messages.empty()) << error;
            continue;
        }
        ASSERT_EQ(program.prompts.messages.size(), 1u);
        EXPECT_EQ(nthLine(program.prompts.messages[0], 3), ctx.language.texts.text("PortBusy_40") + " COM1");
    }
}

// A transfer cut short keeps its messages and the bytes that went over the
// line; the user is offered to save them as one log, and a transfer that
// worked offers nothing.
TEST_F(Flow, ATransferCutShortCanBeSavedAsALogWithItsTrace)
{
    records(10);
    instrument.silentAfterRecords = 4;
    program.prompts.expectMessage(MbOK); // measurements missing
    const QDateTime started(QDate(2026, 3, 12), QTime(10, 15, 0));
    ReceiveOutcome out;
    std::string messages;
    link.keepTrace(true);
    {
        LogRecorder recorder;
        out = run();
        messages = recorder.text();
    }
    const std::string trace = link.keptTrace();
    link.keepTrace(false);
    EXPECT_TRUE(link.keptTrace().empty());
    ASSERT_EQ(out.status, ReceiveOutcome::Status::Incomplete);
    ASSERT_TRUE(transferWentWrong(out));
    const std::string log = transferLogText(out, port.portName(), port.baudRate(), started, messages, trace);

    program.prompts.expectMessage(MbYes);
    program.prompts.expectFile(program.dir.file(QStringLiteral("cut")));
    ASSERT_TRUE(offerTransferLog(ctx.language, started, log));
    EXPECT_EQ(program.prompts.fileRequests.back().proposedName, QStringLiteral("transfer-20260312-101500.log"));
    const std::string saved = program.dir.readFile(QStringLiteral("cut.log"));
    EXPECT_EQ(saved, log);
    for (const char* part :
         {"Outcome: incomplete, 4 of 10 records\n", "zentrova.comm info: port ", " opened at ",
          "zentrova.comm info: record 5 of 10: failed\n", "zentrova.comm debug: MRE: 0 of ",
          "zentrova.comm info: transfer incomplete: 4 of 10 records\n", "> 4D 52 45 | MRE\n", " closed\n"})
        EXPECT_NE(saved.find(part), std::string::npos) << part << " in\n" << saved;

    program.prompts.expectMessage(MbNo);
    EXPECT_FALSE(offerTransferLog(ctx.language, started, log));
    ReceiveOutcome worked;
    worked.status = ReceiveOutcome::Status::Received;
    EXPECT_FALSE(transferWentWrong(worked));
}

} // namespace
} // namespace zentrova::test
