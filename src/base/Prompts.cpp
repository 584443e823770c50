// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/Prompts.h"

#include <QList>

namespace zentrova {

unsigned Prompts::messageWithCharacters(MsgType type, const std::string& text, const QString& characters,
                                        unsigned buttons)
{
    std::string codes;
    for (char32_t c : characters.toUcs4()) {
        if (!codes.empty())
            codes += ' ';
        codes += "U+" + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0').toStdString();
    }
    return message(type, text + "\r" + codes, buttons);
}

} // namespace zentrova
