// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The windows' runner of long work: whatever the work throws ends in a
// message in the language's words, and run() says the work did not end.
#include "shell/windows/BackgroundWork.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace zentrova;
using namespace zentrova::test;

namespace {

struct Throw {
    const char* name;
    void (*work)();
    const char* what;
};

void PrintTo(const Throw& c, std::ostream* os)
{
    *os << c.name;
}

class BackgroundRunnerFailure : public ::testing::TestWithParam<Throw> {};

TEST_P(BackgroundRunnerFailure, EndsInAMessage)
{
    LoadedProgram program;
    program.prompts.allowAnyMessage();
    BackgroundRunner runner(program.ctx->language);
    std::vector<bool> busy;
    runner.busyChanged = [&](bool on) { busy.push_back(on); };
    EXPECT_FALSE(runner.run(GetParam().work));
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    ASSERT_EQ(program.prompts.messages.size(), 1u);
    EXPECT_EQ(program.prompts.messages[0], program.ctx->language.texts.text("WorkFailed_60") + '\r' + GetParam().what);

    // Work started while work runs runs where it is asked, and fails the same way.
    bool inner = true;
    EXPECT_TRUE(runner.run([&] { inner = runner.run(GetParam().work); }));
    EXPECT_FALSE(inner);
    EXPECT_EQ(program.prompts.messages.size(), 2u);
    EXPECT_FALSE(runner.running());
}

INSTANTIATE_TEST_SUITE_P(Kinds, BackgroundRunnerFailure,
                         ::testing::Values(Throw{"OutOfMemory", [] { throw std::bad_alloc(); }, "std::bad_alloc"},
                                           Throw{"RuntimeError", [] { throw std::runtime_error("disk gone"); },
                                                 "disk gone"},
                                           Throw{"NoException", [] { throw 42; }, "unknown exception"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
