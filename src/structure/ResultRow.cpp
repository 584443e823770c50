// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/ResultRow.h"

namespace zentrova {

const std::string& ResultRow::emptyCell()
{
    static const std::string empty;
    return empty;
}

std::vector<std::string> ResultRow::lines(ResultColumn column) const
{
    const std::string& text = cell(column);
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    size_t start = 0;
    for (;;) {
        const size_t cr = text.find('\r', start);
        lines.push_back(text.substr(start, cr == std::string::npos ? std::string::npos : cr - start));
        if (cr == std::string::npos)
            return lines;
        start = cr + 1;
    }
}

PositionNumbers ResultRow::positionNumbers() const
{
    // The binary search of every record received out of order reads many of
    // these: the lines are not copied, and the cell is walked once.
    std::string_view rest = cell(ResultColumn::Position);
    long numbers[3] = {0, 0, 0};
    for (long& n : numbers) {
        const size_t cr = rest.find('\r');
        n = digitsValue(rest.substr(0, cr));
        if (cr == std::string_view::npos)
            break;
        rest.remove_prefix(cr + 1);
    }
    return {numbers[0], numbers[1], numbers[2]};
}

} // namespace zentrova
