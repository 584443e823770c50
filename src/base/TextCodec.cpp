// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "base/TextCodec.h"

#include <iconv.h>

#include <QHash>
#include <map>
#include <mutex>

namespace zentrova {

namespace {

// Byte -> UTF-16 table of one code page, built once through iconv.
struct PageTable {
    char16_t map[256];
    QHash<char16_t, unsigned char> reverse;
};

const PageTable& pageTable(int codePage)
{
    static std::mutex m;
    static std::map<int, PageTable> cache;
    std::lock_guard<std::mutex> lock(m);
    auto it = cache.find(codePage);
    if (it != cache.end())
        return it->second;

    PageTable t;
    const std::string name = "CP" + std::to_string(codePage);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    for (int b = 0; b < 256; ++b) {
        // Bytes the code page leaves undefined map to the same code point,
        // as the system's own conversion does, so nothing is lost.
        char16_t out = char16_t(b);
        if (cd != iconv_t(-1) && b >= 0x80) {
            char in = char(b);
            char buf[4];
            char* ip = &in;
            char* op = buf;
            size_t il = 1, ol = sizeof buf;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            // Converters of code pages with combining marks (1255, 1258)
            // hold a base letter back until they see what follows: the
            // flush gives it.
            if (iconv(cd, &ip, &il, &op, &ol) != size_t(-1) && iconv(cd, nullptr, nullptr, &op, &ol) != size_t(-1) &&
                ol == 2)
                out = char16_t((unsigned char)buf[0] | ((unsigned char)buf[1] << 8));
        }
        t.map[b] = out;
    }
    if (cd != iconv_t(-1))
        iconv_close(cd);
    for (int b = 255; b >= 0; --b)
        t.reverse.insert(t.map[b], (unsigned char)b);
    return cache.emplace(codePage, std::move(t)).first->second;
}

} // namespace

TextCodec::TextCodec(int lcid)
{
    setLcid(lcid);
}

QString TextCodec::languageCodeForLcid(int lcid)
{
    // The primary language is the low ten bits: 1050 (Croatian) and 2074
    // (Serbian, Latin) share 0x1a, the regional variants of English 0x09.
    switch (lcid & 0x3ff) {
    case 0x02:
        return QStringLiteral("bg");
    case 0x05:
        return QStringLiteral("cs");
    case 0x06:
        return QStringLiteral("da");
    case 0x07:
        return QStringLiteral("de");
    case 0x08:
        return QStringLiteral("el");
    case 0x09:
        return QStringLiteral("en");
    case 0x0a:
        return QStringLiteral("es");
    case 0x0b:
        return QStringLiteral("fi");
    case 0x0c:
        return QStringLiteral("fr");
    case 0x0e:
        return QStringLiteral("hu");
    case 0x10:
        return QStringLiteral("it");
    case 0x13:
        return QStringLiteral("nl");
    case 0x14:
        return QStringLiteral("nb");
    case 0x15:
        return QStringLiteral("pl");
    case 0x16:
        return QStringLiteral("pt");
    case 0x18:
        return QStringLiteral("ro");
    case 0x19:
        return QStringLiteral("ru");
    case 0x1a:
        return lcid == 1050 ? QStringLiteral("hr") : QStringLiteral("sr");
    case 0x1b:
        return QStringLiteral("sk");
    case 0x1d:
        return QStringLiteral("sv");
    case 0x1f:
        return QStringLiteral("tr");
    case 0x22:
        return QStringLiteral("uk");
    case 0x24:
        return QStringLiteral("sl");
    case 0x25:
        return QStringLiteral("et");
    case 0x26:
        return QStringLiteral("lv");
    case 0x27:
        return QStringLiteral("lt");
    case 0x2f:
        return QStringLiteral("mk");
    default:
        return QString();
    }
}

int TextCodec::codePageForLcid(int lcid)
{
    switch (lcid) {
    case 1071: // Macedonian: the Cyrillic character set
    case 1049:
    case 1058:
    case 1059:
    case 1026:
    case 1087:
    case 1088:
    case 3098:
        return 1251;
    case 1060:
    case 1050:
    case 1029:
    case 1051:
    case 1045:
    case 1038:
    case 1048:
    case 1052:
    case 2074:
    case 5146:
        return 1250;
    case 1061:
    case 1062:
    case 1063:
        return 1257;
    case 1032:
        return 1253;
    case 1055:
        return 1254;
    case 1037:
        return 1255;
    case 1025:
        return 1256;
    default:
        return 1252;
    }
}

void TextCodec::setLcid(int lcid)
{
    lcid_ = lcid;
    codePage_ = codePageForLcid(lcid);
    const PageTable& t = pageTable(codePage_);
    std::copy(std::begin(t.map), std::end(t.map), table_);
}

QString TextCodec::decode(const std::string& bytes) const
{
    QString s;
    s.resize(qsizetype(bytes.size()));
    QChar* d = s.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        d[i] = QChar(table_[(unsigned char)bytes[i]]);
    return s;
}

std::string TextCodec::encode(const QString& text) const
{
    const PageTable& t = pageTable(codePage_);
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out.push_back(char(u));
            continue;
        }
        auto it = t.reverse.constFind(u);
        out.push_back(it == t.reverse.constEnd() ? '?' : char(*it));
    }
    return out;
}

QString TextCodec::unencodable(const QString& text) const
{
    const PageTable& t = pageTable(codePage_);
    QString lacking;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80 || t.reverse.contains(u))
            continue;
        // A surrogate pair is one character: none of the code pages holds it.
        qsizetype length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            length = 2;
        const QString character = text.mid(i, length);
        if (!lacking.contains(character))
            lacking += character;
        i += length - 1;
    }
    return lacking;
}

} // namespace zentrova
