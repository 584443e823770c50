// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/PrintoutHeading.h"

#include "base/Settings.h"
#include "base/TextRules.h"
#include "language/Language.h"

#include <cstdlib>

namespace zentrova {

void PrintoutHeading::load(const Settings& s)
{
    op[0] = s.readSetting("OPERATOR", "OP1", "");
    op[1] = s.readSetting("OPERATOR", "OP2", "");
    op[2] = s.readSetting("OPERATOR", "OP3", "");
    footer[0] = s.readSetting("OPERATOR", "FOOTER", "");
    footer[1] = s.readSetting("OPERATOR", "FOOTER2", "");
    footer[2] = s.readSetting("OPERATOR", "FOOTER3", "");
    site[0] = s.readSetting("SITE", "site1", "");
    site[1] = s.readSetting("SITE", "site2", "");
    site[2] = s.readSetting("SITE", "site3", "");
    logo = s.readSetting("OPERATOR", "Logo", "");
    logoMode = int(digitsValue(s.readSetting("OPERATOR", "LogoText", "0")));
}

void PrintoutHeading::save(const Settings& s) const
{
    s.writeSetting("OPERATOR", "OP1", op[0]);
    s.writeSetting("OPERATOR", "OP2", op[1]);
    s.writeSetting("OPERATOR", "OP3", op[2]);
    s.writeSetting("OPERATOR", "FOOTER", footer[0]);
    s.writeSetting("OPERATOR", "FOOTER2", footer[1]);
    s.writeSetting("OPERATOR", "FOOTER3", footer[2]);
    s.writeSetting("SITE", "site1", site[0]);
    s.writeSetting("SITE", "site2", site[1]);
    s.writeSetting("SITE", "site3", site[2]);
    s.writeSetting("OPERATOR", "Logo", logo);
    s.writeSetting("OPERATOR", "LogoText", std::to_string(logoMode));
}

void Comments::load(const Settings& s)
{
    for (int i = 0; i < LineCount; ++i)
        lines[size_t(i)] = s.readSetting("COMMENTS", "comm" + std::to_string(i + 1), "");
    for (int i = 0; i < AutotestCount; ++i)
        autotest[size_t(i)] = s.readSetting("COMMENTS", "scomm" + std::to_string(i + 1), "");
    checks = s.readSetting("COMMENTS", "checks", "101");
}

void Comments::save(const Settings& s) const
{
    for (int i = 0; i < LineCount; ++i)
        s.writeSetting("COMMENTS", "comm" + std::to_string(i + 1), lines[size_t(i)]);
    for (int i = 0; i < AutotestCount; ++i)
        s.writeSetting("COMMENTS", "scomm" + std::to_string(i + 1), autotest[size_t(i)]);
    s.writeSetting("COMMENTS", "checks", checks);
}

static std::string effectiveChecks(const std::string& checks)
{
    return checks.size() < 3 ? std::string("101") : checks;
}

bool Comments::commentsEnabled() const
{
    return effectiveChecks(checks)[0] != '0';
}
bool Comments::autotestEnabled() const
{
    return effectiveChecks(checks)[1] != '0';
}
bool Comments::pageNumbering() const
{
    return effectiveChecks(checks)[2] != '0';
}

std::array<bool, 3> Comments::dialogBoxes() const
{
    if (checks.size() < 3)
        return {false, false, false};
    return {checks[0] != '0', checks[1] != '0', checks[2] != '0'};
}

std::string Comments::checksFromBoxes(const std::array<bool, 3>& boxes)
{
    std::string c = "000";
    for (size_t i = 0; i < 3; ++i)
        if (boxes[i])
            c[i] = '1';
    return c;
}

const char* DefaultNames::settingKey(int i)
{
    static const char* const keys[Count] = {"OBJECT", "BLOCK",     "LIGHTROD",    "MPE",         "FUSE",
                                            "RCD",    "ELECTRODE", "CONNECTION1", "CONNECTION2", "EATHING"};
    return keys[i];
}

const char* DefaultNames::languageKey(int i)
{
    static const char* const keys[Count] = {"Object_20", "BLOCK_20",  "STRELOVOD_20", "GIP_20",      "FUSE_20",
                                            "RCD_20",    "STEBER_20", "POVEZAVA_20",  "POVEZAVA_20", "OZEMLJITEV_20"};
    return keys[i];
}

void DefaultNames::load(const Settings& s, const InterfaceTexts& texts)
{
    for (int i = 0; i < Count; ++i) {
        const std::string& fallback = texts.text(languageKey(i));
        std::string v = s.readSetting("DEFNAMES", settingKey(i), fallback);
        names[size_t(i)] = v.empty() ? fallback : v;
    }
}

void DefaultNames::reset(const Settings& s, const InterfaceTexts& texts)
{
    for (int i = 0; i < Count; ++i)
        s.writeSetting("DEFNAMES", settingKey(i), "");
    load(s, texts);
}

} // namespace zentrova

namespace zentrova {

QString trimTrailingBeforeKey(const QString& text, int caret)
{
    QString t = text;
    while (caret < t.size() && !t.isEmpty() && (t.back() == u' ' || t.back().unicode() < 32))
        t.chop(1);
    return t;
}

int lineCountOf(const QString& text)
{
    return int(text.count(u'\n')) + 1;
}

QString firstLines(const QString& text, int max)
{
    qsizetype pos = -1;
    for (int i = 0; i < max; ++i) {
        pos = text.indexOf(u'\n', pos + 1);
        if (pos < 0)
            return text;
    }
    return text.left(pos);
}

} // namespace zentrova

#include <cmath>

namespace zentrova {

QSize fitLogo(QSize picture, int availableHeight, int availableWidth)
{
    double w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0 || availableHeight <= 0 || availableWidth <= 0)
        return QSize(0, 0);
    if (h != availableHeight) {
        const double f = h / availableHeight;
        w = std::round(w / f);
        h = std::round(h / f);
    }
    if (w > availableWidth) {
        const double f = w / availableWidth;
        w = std::round(w / f);
        h = std::round(h / f);
    }
    return QSize(int(w), int(h));
}

} // namespace zentrova
