// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include <QString>
#include <string>

namespace zentrova {

// The program's texts are single bytes in the active language's Windows code
// page. This converts them for display and converts what the user types back.
// encode() turns a character the code page lacks into "?": an edit asks
// unencodable() first and refuses the text, so nothing is stored that differs
// from what the user sees.
class TextCodec {
public:
    explicit TextCodec(int lcid = 1033);
    void setLcid(int lcid);
    int lcid() const { return lcid_; }
    int codePage() const { return codePage_; }

    QString decode(const std::string& bytes) const;
    std::string encode(const QString& text) const;
    // The characters of `text` the code page cannot hold, each once, in the
    // order they first appear (empty: all of it can be stored). A character
    // outside the basic plane stays whole.
    QString unencodable(const QString& text) const;

    static int codePageForLcid(int lcid);
    // The ISO 639 code of the language of a Windows language id ("sl" for
    // 1060): the name of the Qt translations of that language. Empty when
    // the language is not known here.
    static QString languageCodeForLcid(int lcid);

private:
    int lcid_ = 1033;
    int codePage_ = 1252;
    char16_t table_[256] = {};
};

} // namespace zentrova
