// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/CopyBuffer.h"

#include <string>

namespace zentrova {

bool CopyBuffer::append(const std::string& text)
{
    for (char ch : text) {
        if (buffer_.size() > StopAfter)
            break;
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b == 255) {
            buffer_.push_back(char(255));
            buffer_.push_back(char(255));
        } else if (b == 0) {
            buffer_.push_back(char(255));
            buffer_.push_back(char(254));
        } else {
            buffer_.push_back(ch);
        }
    }
    return buffer_.size() < SuccessBelow;
}

std::string CopyBuffer::cellText(const std::string& cell)
{
    // Lines are separated by CR; a stray LF is dropped, as the grid shows none.
    std::string plain = cell;
    std::erase(plain, '\n');
    if (plain.find('\r') == std::string::npos)
        return plain;
    std::string out = "\"";
    for (char ch : plain) {
        if (ch == '\r')
            out.push_back('\n');
        else if (ch == '"')
            out += "\"\"";
        else
            out.push_back(ch);
    }
    out.push_back('"');
    return out;
}

} // namespace zentrova
