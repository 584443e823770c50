// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The program's logging categories: quiet by default, turned on by the
// setting, and recorded whole for a log the user can send.
#include "base/LogRecorder.h"
#include "base/Logging.h"
#include "base/Settings.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zentrova::test {
namespace {

// What reaches the handler the program had before a recorder: standard error.
std::vector<std::string> forwarded;
void keepForwarded(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    forwarded.push_back(std::string(context.category ? context.category : "") + ": " + message.toStdString());
}

struct RestoreRules {
    ~RestoreRules() { setLogDetail(LogDetail::Off); }
};

TEST(Logging, TheSettingChoosesHowMuchIsSaid)
{
    struct Case {
        const char* value; // nullptr: no such line
        LogDetail detail;
    };
    for (const Case& c : {Case{nullptr, LogDetail::Off}, Case{"0", LogDetail::Off}, Case{"1", LogDetail::Info},
                          Case{"2", LogDetail::Debug}, Case{" 5 ", LogDetail::Debug}, Case{"on", LogDetail::Off}}) {
        SCOPED_TRACE(c.value ? c.value : "(none)");
        ProgramDir dir;
        const Settings settings(dir.file(QStringLiteral("ZENTRO.INI")).toStdString());
        if (c.value) {
            ASSERT_TRUE(settings.writeSetting("DIAGNOSTICS", "LogLevel", c.value));
        }
        EXPECT_EQ(logDetailSetting(settings), c.detail);
    }
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        GTEST_SKIP() << "QT_LOGGING_RULES decides here";
    RestoreRules restore;
    EXPECT_FALSE(logComm().isInfoEnabled());
    EXPECT_TRUE(logComm().isWarningEnabled());
    setLogDetail(LogDetail::Info);
    EXPECT_TRUE(logHistory().isInfoEnabled());
    EXPECT_FALSE(logHistory().isDebugEnabled());
    setLogDetail(LogDetail::Debug);
    EXPECT_TRUE(logReport().isDebugEnabled());
    setLogDetail(LogDetail::Off);
    EXPECT_FALSE(logFile().isInfoEnabled());
}

// Everything is kept while the recorder lives; only what the rules turn on
// still goes where it went, and afterwards the categories are as before.
TEST(Logging, RecorderKeepsEveryMessageAndForwardsOnlyThoseTurnedOn)
{
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        GTEST_SKIP() << "QT_LOGGING_RULES decides here";
    RestoreRules restore;
    setLogDetail(LogDetail::Info);
    forwarded.clear();
    const QtMessageHandler before = qInstallMessageHandler(keepForwarded);
    std::string kept;
    {
        LogRecorder recorder;
        LogRecorder second; // keeps nothing while the first one lives
        qCDebug(logComm) << "MRE acknowledged";
        qCInfo(logFile) << "written";
        qDebug() << "not ours";
        kept = recorder.text();
        EXPECT_EQ(second.text(), "");
    }
    qCDebug(logComm) << "after";
    qInstallMessageHandler(before);
    EXPECT_NE(kept.find("zentrova.comm debug: MRE acknowledged\n"), std::string::npos) << kept;
    EXPECT_NE(kept.find("zentrova.file info: written\n"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("not ours"), std::string::npos) << kept;
    EXPECT_EQ(forwarded, (std::vector<std::string>{"zentrova.file: written", "default: not ours"}));
    EXPECT_FALSE(logComm().isDebugEnabled());
    EXPECT_TRUE(logFile().isInfoEnabled());
}

TEST(Logging, RecentLinesKeepTheLatestWithinTheirSize)
{
    RecentLines lines(20);
    for (const char* l : {"first line", "second", "third", "fourth"})
        lines.add(l);
    EXPECT_EQ(lines.text(), "(earlier lines left out: 1)\nsecond\nthird\nfourth\n");
    lines.add(std::string(50, 'x')); // longer than the whole: kept alone
    EXPECT_EQ(lines.text(), "(earlier lines left out: 4)\n" + std::string(50, 'x') + "\n");
    lines.clear();
    EXPECT_TRUE(lines.empty());
}

} // namespace
} // namespace zentrova::test
