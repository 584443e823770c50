// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The byte-level primitives on a scripted port with its own clock.
#include "ScriptedPort.h"
#include "comm/Exchange.h"
#include "comm/PortSettings.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zentrova::test {
namespace {

struct ExchangeFixture : ::testing::Test {
    LoadedProgram program;
    ScriptedPort port;
    RecordingProgress progress;
    Exchange ex{program.ctx->language, port, progress, port};
    void SetUp() override { port.open(); }
    int count(const std::string& cmd) const
    {
        int n = 0;
        for (const auto& w : port.writes)
            n += w == cmd;
        return n;
    }
};

struct AckCase {
    const char* name;
    std::string bytes;
    int expected;
};

void PrintTo(const AckCase& c, std::ostream* os)
{
    *os << c.name;
}

class WaitAcknowledgeTest : public ExchangeFixture, public ::testing::WithParamInterface<AckCase> {};

TEST_P(WaitAcknowledgeTest, GivesStatusOfFrame)
{
    port.deliver(GetParam().bytes, 10);
    const int64_t start = port.nowUs();
    EXPECT_EQ(ex.waitAcknowledge(1000), GetParam().expected);
    // A complete frame ends the wait at once; a short one after the idle time-out.
    const int64_t waited = port.nowUs() - start;
    if (GetParam().bytes.size() >= 5)
        EXPECT_LT(waited, 100'000);
    else
        EXPECT_GE(waited, 1000'000);
}

INSTANTIATE_TEST_SUITE_P(Statuses, WaitAcknowledgeTest,
                         ::testing::Values(AckCase{"accepted", std::string("SER\x7f\0", 5), 0},
                                           AckCase{"instrumentError", std::string("SER\x01\x05", 5), 5},
                                           AckCase{"thirdByteNotR", std::string("SEX\0\0", 5), 2},
                                           AckCase{"twoBytesThenSilence", "SE", 2},
                                           AckCase{"fourBytesThenSilence", "SER\x01", 1}, AckCase{"silence", "", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExchangeFixture, IdleTimeOutRestartsWithEveryByte)
{
    // One byte every 900 ms: 3.6 s in all, longer than the time-out, but
    // never 1 s without a byte.
    port.deliver("ABCDE", 900, 900);
    std::string got;
    EXPECT_TRUE(ex.receiveBytes(got, 5, 1000));
    EXPECT_EQ(got, "ABCDE");
    EXPECT_GE(port.nowUs(), 4'400'000);
}

TEST_F(ExchangeFixture, GapLongerThanTimeOutEndsWithWhatCame)
{
    port.deliver("AB", 10, 1100);
    std::string got;
    EXPECT_FALSE(ex.receiveBytes(got, 5, 1000));
    EXPECT_EQ(got, "A");
}

TEST_F(ExchangeFixture, LaterBytesStayQueued)
{
    port.deliver(std::string("SER\0\0SRE", 8), 1);
    EXPECT_EQ(ex.waitAcknowledge(1000), 0);
    EXPECT_EQ(port.inputCount(), 3);
}

TEST_F(ExchangeFixture, CancelEndsWaitWithBytesSoFar)
{
    port.deliver("AB", 10);
    progress.cancelWhen = [&] { return port.nowUs() > 200'000; };
    std::string got;
    EXPECT_FALSE(ex.receiveBytes(got, 5, 10000));
    EXPECT_EQ(got, "AB");
    EXPECT_LT(port.nowUs(), 300'000);
}

TEST_F(ExchangeFixture, PacedBytesAreTakenAsTheLastOneArrives)
{
    // 11000 baud: one byte a millisecond. The waits sleep through the bytes
    // still on their way but must not sleep past the last one.
    port.setBaudRate(11000);
    port.deliver(std::string(40, 'x'), 1, 1);
    std::string got;
    ASSERT_TRUE(ex.receiveBytes(got, 40, 1000));
    EXPECT_EQ(port.nowUs(), 40'000);
}

TEST_F(ExchangeFixture, LineFasterThanItsRateStopsTheEarlySleeps)
{
    // A device that ignores the rate hands over everything at once: after
    // the first read shows it, later reads take the bytes as they come.
    port.setBaudRate(2400);
    std::string got;
    port.deliver(std::string(100, 'x'), 1);
    ASSERT_TRUE(ex.receiveBytes(got, 100, 1000));
    const int64_t start = port.nowUs();
    port.deliver(std::string(100, 'y'), 1);
    ASSERT_TRUE(ex.receiveBytes(got, 100, 1000));
    EXPECT_LE(port.nowUs() - start, 1'000);
}

TEST_F(ExchangeFixture, OneEarlyBurstDoesNotCostEveryLaterReplyAWakeUpPerByte)
{
    // A reply handed over at once (a USB adapter's packet), then replies
    // paced by the line again: those are read with a few wake-ups each, not
    // one a byte, and no later than their last byte.
    port.setBaudRate(11000);
    std::string got;
    port.deliver(std::string(60, 'x'), 1);
    ASSERT_TRUE(ex.receiveBytes(got, 60, 1000));
    for (int reply = 0; reply < 3; ++reply) {
        ex.sendText("MRE");
        const int64_t start = port.nowUs();
        port.wakeUps = 0;
        port.deliver(std::string(40, 'y'), 4, 1);
        ASSERT_TRUE(ex.receiveBytes(got, 40, 1000));
        EXPECT_EQ(port.nowUs() - start, 43'000) << "reply " << reply;
        EXPECT_LE(port.wakeUps, reply == 0 ? 12 : 5) << "reply " << reply;
    }
}

TEST_F(ExchangeFixture, SendTextKeepsEmbeddedNul)
{
    ex.sendText(std::string("MRD\0", 4));
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.writes[0], std::string("MRD\0", 4));
}

TEST_F(ExchangeFixture, SilentInstrumentNoRetriesYesSendsMexAndGivesUp)
{
    program.prompts.expectMessage(MbNo);
    program.prompts.expectMessage(MbYes);
    EXPECT_EQ(ex.startExchange(), Exchange::GaveUp);
    EXPECT_EQ(count(std::string("MRD\0", 4)), 2);
    EXPECT_EQ(count(std::string("MEX\0", 4)), 1);
    ASSERT_EQ(program.prompts.messages.size(), 2u);
    const auto& texts = program.ctx->language.texts;
    EXPECT_EQ(program.prompts.messages[0], texts.text("CommError_40") + "\r" + texts.text("TerminateComm_40"));
}

TEST_F(ExchangeFixture, ErrorStatusAsksTooAndAcknowledgedRetrySucceeds)
{
    ScriptedInstrument instrument(port);
    bool first = true;
    port.onWrite = [&](const std::string& w) {
        if (w == std::string("MRD\0", 4) && first) {
            first = false;
            port.deliver(std::string("SER\0\x03", 5), 1);
            return;
        }
        instrument.commands.push_back(w);
        if (w.compare(0, 3, "MRD") == 0)
            port.deliver(std::string("SER\0\0", 5), 1);
    };
    program.prompts.expectMessage(MbNo);
    EXPECT_EQ(ex.startExchange(), Exchange::Started);
    EXPECT_EQ(count(std::string("MRD\0", 4)), 2);
    EXPECT_EQ(count(std::string("MEX\0", 4)), 0);
}

TEST_F(ExchangeFixture, CancelledStartGivesUpWithoutAsking)
{
    progress.cancel = true;
    EXPECT_EQ(ex.startExchange(), Exchange::GaveUp);
    EXPECT_TRUE(program.prompts.messages.empty());
}

TEST_F(ExchangeFixture, MoreThan1900StaleBytesSpoilFirstAttemptOnly)
{
    ScriptedInstrument instrument(port);
    port.preload(std::string(2500, 'x'));
    program.prompts.expectMessage(MbNo);
    EXPECT_EQ(ex.startExchange(), Exchange::Started);
    EXPECT_EQ(count(std::string("MRD\0", 4)), 2);
    EXPECT_EQ(port.pending(), 0u);
}

TEST_F(ExchangeFixture, BabblingInstrumentCannotHoldTheDrainForever)
{
    // Garbage every 50 ms for a minute: after each failed attempt the drain
    // gives up after its limit and the user is asked again.
    std::string babble(1200, '?');
    port.deliver(babble, 0, 50);
    program.prompts.expectMessage(MbNo);
    program.prompts.expectMessage(MbYes);
    EXPECT_EQ(ex.startExchange(), Exchange::GaveUp);
    EXPECT_LT(port.nowUs(), 30'000'000);
}

// ------------------------------------------------------------ port settings

struct StoredCase {
    const char* name;
    const char* com; // nullptr: key missing
    const char* baud;
    int port;
    int baudIndex;
};

void PrintTo(const StoredCase& c, std::ostream* os)
{
    *os << c.name;
}

class StoredChoiceTest : public ::testing::TestWithParam<StoredCase> {};

TEST_P(StoredChoiceTest, SelectsOnlyValidEntries)
{
    LoadedProgram p;
    const auto& c = GetParam();
    if (c.com)
        p.ctx->language.settings.writeSetting("SETUP", "COM", c.com);
    if (c.baud)
        p.ctx->language.settings.writeSetting("SETUP", "BAUD", c.baud);
    const PortChoice choice = loadPortChoice(p.ctx->language);
    EXPECT_EQ(choice.port, c.port);
    EXPECT_EQ(choice.baud, c.baudIndex);
}

INSTANTIATE_TEST_SUITE_P(Settings, StoredChoiceTest,
                         ::testing::Values(StoredCase{"missing", nullptr, nullptr, 0, 3},
                                           StoredCase{"zero", "0", "0", 0, 3}, StoredCase{"seventeen", "17", "7", 0, 3},
                                           StoredCase{"minusOne", "-1", "-1", 0, 3}, StoredCase{"four", "4", "4", 3, 3},
                                           StoredCase{"last", "16", "6", 15, 5}, StoredCase{"first", "1", "1", 0, 0},
                                           StoredCase{"garbage", "x2", "9600", 0, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortSettings, OkWritesBothIndexesPlusOne)
{
    LoadedProgram p;
    savePortChoice(p.ctx->language, PortChoice{2, 0});
    EXPECT_EQ(p.ctx->language.settings.readSetting("SETUP", "COM", ""), "3");
    EXPECT_EQ(p.ctx->language.settings.readSetting("SETUP", "BAUD", ""), "1");
    EXPECT_EQ(loadPortChoice(p.ctx->language), (PortChoice{2, 0}));
}

TEST(PortSettings, ApplyMatchesEntriesByTextAndFixesLine)
{
    ScriptedPort port;
    applyPortSettings(port, QStringLiteral("COM7"), QStringLiteral("38400"));
    EXPECT_EQ(port.portName(), QStringLiteral("COM7"));
    EXPECT_EQ(port.baudRate(), 38400);
    EXPECT_EQ(port.parity(), Parity::None);
    EXPECT_EQ(port.dataBits(), 8);
    EXPECT_EQ(port.stopBits(), 2);
    // Texts that match nothing leave the previous values.
    applyPortSettings(port, QStringLiteral("COM17"), QStringLiteral("57600"));
    EXPECT_EQ(port.portName(), QStringLiteral("COM7"));
    EXPECT_EQ(port.baudRate(), 38400);
}

TEST(PortSettings, SearchTriesEveryRateOfEachEntryInOrder)
{
    LoadedProgram p;
    ScriptedPort port;
    RecordingProgress progress;
    Exchange ex(p.ctx->language, port, progress, port);
    // Only COM3 exists, and the instrument there talks at 19200 baud.
    port.openError = [](const QString& name, int) { return name == QStringLiteral("COM3") ? 0 : 2; };
    port.onWrite = [&](const std::string& w) {
        if (w.compare(0, 3, "MRD") == 0 && port.baudRate() == 19200)
            port.deliver(std::string("SER\0\0", 5), 1);
    };
    std::vector<PortChoice> tried;
    const SearchResult r = searchInstrument(ex, nullptr, [&](const PortChoice& c) {
        tried.push_back(c);
        applyPortSettings(port, c);
    });
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.choice, (PortChoice{2, 2}));
    EXPECT_EQ(tried.size(), 12u + 3u);
    EXPECT_EQ(r.attempts, 3); // 115200 and 38400 went unanswered
    EXPECT_FALSE(port.active());
}

TEST(PortSettings, SearchStopsBetweenAttempts)
{
    LoadedProgram p;
    ScriptedPort port;
    RecordingProgress progress;
    Exchange ex(p.ctx->language, port, progress, port);
    int asked = 0;
    const SearchResult r = searchInstrument(
        ex, [&] { return ++asked > 4; }, [&](const PortChoice& c) { applyPortSettings(port, c); });
    EXPECT_FALSE(r.found);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.attempts, 4);
}

TEST(PortSettings, SearchGivesUpAfterAllCombinations)
{
    LoadedProgram p;
    ScriptedPort port;
    RecordingProgress progress;
    Exchange ex(p.ctx->language, port, progress, port);
    port.openError = [](const QString&, int) { return 2; };
    int tried = 0;
    const SearchResult r = searchInstrument(ex, nullptr, [&](const PortChoice&) { ++tried; });
    EXPECT_FALSE(r.found);
    EXPECT_EQ(tried, 96);
}

} // namespace
} // namespace zentrova::test
