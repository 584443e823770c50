// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "structure/RuleSets.h"

#include <gtest/gtest.h>

namespace zentrova::test {

// The rule sets the program ships, read once; reading them reports nothing.
inline const RuleSets& shippedRules()
{
    static const RuleSets rules = [] {
        QStringList problems;
        RuleSets r = loadRuleSets({QStringLiteral(ZENTROVA_DATA_DIR "/rules")}, &problems);
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
        return r;
    }();
    return rules;
}

} // namespace zentrova::test
