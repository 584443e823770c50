// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/IniFile.h"

#include "base/FileIO.h"

#include <vector>

namespace zentrova {

namespace {

// A NUL counts as a blank: the reader leaves it out (see iniTextToParse).
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\0';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

// One line of an INI file as SimpleIni reads it. Offsets are into the file.
struct IniLine {
    enum Kind { Other, Section, Key } kind = Other;
    size_t begin = 0, end = 0, next = 0; // text [begin, end); the next line starts at `next`
    std::string_view name;               // section or key name, blanks trimmed
    size_t equals = 0;                   // Key: where "=" is
    size_t valueBegin = 0, valueEnd = 0; // Key: the value without its blanks
};

std::vector<IniLine> iniLines(std::string_view bytes)
{
    std::vector<IniLine> lines;
    size_t pos = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0; // SimpleIni skips a UTF-8 mark
    while (pos < bytes.size()) {
        IniLine l;
        l.begin = pos;
        l.end = bytes.find_first_of("\r\n", pos);
        if (l.end == std::string_view::npos)
            l.end = bytes.size();
        l.next = l.end;
        if (l.next < bytes.size())
            l.next += bytes.compare(l.next, 2, "\r\n") == 0 ? 2 : 1;
        pos = l.next;

        const std::string_view text = bytes.substr(l.begin, l.end - l.begin);
        const std::string_view t = trimmed(text);
        if (t.empty() || t.front() == ';' || t.front() == '#') {
            // blank or comment
        } else if (t.front() == '[') {
            const size_t close = t.find(']');
            if (close != std::string_view::npos) {
                l.kind = IniLine::Section;
                l.name = trimmed(t.substr(1, close - 1));
            }
        } else if (const size_t eq = text.find('='); eq != std::string_view::npos) {
            l.name = trimmed(text.substr(0, eq));
            if (!l.name.empty()) {
                l.kind = IniLine::Key;
                l.equals = l.begin + eq;
                l.valueBegin = l.equals + 1;
                while (l.valueBegin < l.end && isBlank(bytes[l.valueBegin]))
                    ++l.valueBegin;
                l.valueEnd = l.end;
                while (l.valueEnd > l.valueBegin && isBlank(bytes[l.valueEnd - 1]))
                    --l.valueEnd;
            }
        }
        lines.push_back(l);
    }
    return lines;
}

} // namespace

// The bytes handed to SimpleIni: the file as the writer below sees it. A NUL
// byte is left out (SimpleIni would stop reading there), and a line opening
// a section with "[" but no "]" is read as a blank line (SimpleIni would run
// the section's name on over the following lines, losing the keys after it
// and the next section's header).
std::string iniTextToParse(std::string_view bytes)
{
    std::string out(bytes.substr(0, bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0));
    out.reserve(bytes.size());
    for (const IniLine& l : iniLines(bytes)) {
        std::string line(bytes.substr(l.begin, l.end - l.begin));
        std::erase(line, '\0');
        const std::string_view t = trimmed(line);
        if (!t.empty() && t.front() == '[' && t.find(']') == std::string_view::npos)
            line.assign(line.size(), ' ');
        out += line;
        out.append(bytes.substr(l.end, l.next - l.end));
    }
    return out;
}

bool loadIniFile(CSimpleIniA& ini, const std::string& path, QString* error)
{
    std::string read;
    if (!readWholeFile(fileNameFromSystem(QByteArray::fromStdString(path)), read, error))
        return false;
    const std::string bytes = iniTextToParse(read);
    if (ini.LoadData(bytes.data(), bytes.size()) < 0) {
        if (error)
            *error = QStringLiteral("not an INI file");
        return false;
    }
    return true;
}

std::string withIniValue(std::string_view bytes, std::string_view section, std::string_view key, std::string_view value)
{
    const std::vector<IniLine> lines = iniLines(bytes);

    // Lines before the first section header belong to the section without a name.
    const IniLine* lastKey = nullptr; // the key's last line in the section
    const IniLine* header = nullptr;  // the section's first header
    const IniLine* anchor = nullptr;  // the section's last key line in its first appearance
    const IniLine *sectionKeyForm = nullptr, *anyKeyForm = nullptr;
    bool inSection = section.empty(), firstAppearance = inSection, blankBeforeSection = true;
    int sections = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const IniLine& l = lines[i];
        if (l.kind == IniLine::Section) {
            if (++sections == 2)
                blankBeforeSection =
                    i > 0 && trimmed(bytes.substr(lines[i - 1].begin, lines[i - 1].end - lines[i - 1].begin)).empty();
            const bool match = sameName(l.name, section);
            firstAppearance = match && !header;
            if (firstAppearance)
                header = anchor = &l;
            inSection = match;
        } else if (l.kind == IniLine::Key) {
            if (!anyKeyForm)
                anyKeyForm = &l;
            if (inSection) {
                sectionKeyForm = &l;
                if (firstAppearance)
                    anchor = &l;
                if (sameName(l.name, key))
                    lastKey = &l;
            }
        }
    }

    std::string out(bytes);
    if (lastKey) {
        out.replace(lastKey->valueBegin, lastKey->valueEnd - lastKey->valueBegin, value);
        return out;
    }

    const IniLine* firstBreak = lines.empty() || lines.front().end == lines.front().next ? nullptr : &lines.front();
    const std::string eol =
        firstBreak ? std::string(bytes.substr(firstBreak->end, firstBreak->next - firstBreak->end)) : "\n";
    std::string equals = " = ";
    if (const IniLine* form = sectionKeyForm ? sectionKeyForm : anyKeyForm) {
        equals = "=";
        if (form->equals > form->begin && isBlank(bytes[form->equals - 1]))
            equals.insert(0, " ");
        if (form->equals + 1 < form->end && isBlank(bytes[form->equals + 1]))
            equals += ' ';
    }
    const std::string line = std::string(key) + equals + std::string(value);

    if (!anchor && section.empty() && !lines.empty()) {
        // Keys without a section come first; none there yet.
        out.insert(0, line + eol);
        return out;
    }
    if (anchor) {
        if (anchor->next == anchor->end) // the file's last line has no line end
            out.insert(anchor->next, eol + line);
        else
            out.insert(anchor->next, line + eol);
        return out;
    }
    if (!lines.empty() && lines.back().next == lines.back().end)
        out += eol;
    if (!lines.empty() && blankBeforeSection)
        out += eol;
    out += '[' + std::string(section) + ']' + eol + line + eol;
    return out;
}

} // namespace zentrova
