#pragma once
#include <string>

namespace zentrova::test {

// Record bodies as the instrument sends them (family 14: block, element,
// function byte, items).
inline std::string rec(int block, int element, int function, const std::string& items = {})
{
    std::string r;
    r += char((block >> 8) & 0xff);
    r += char(block & 0xff);
    r += char((element >> 8) & 0xff);
    r += char(element & 0xff);
    r += char(function);
    return r + items;
}

// An item with a quantity and a unit ("R", "M" or "P").
inline std::string coded(char tag, int q, int u, const std::string& text)
{
    std::string s(1, tag);
    s += char(q);
    s += char(u);
    s += text;
    s += '\0';
    return s;
}

// A "D", "T" or untagged item.
inline std::string plain(char tag, const std::string& text)
{
    std::string s(1, tag);
    s += text;
    s += '\0';
    return s;
}

} // namespace zentrova::test
