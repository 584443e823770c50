// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// The identification payload: the type code, then up to ten texts each ended
// by a byte 0, of which only the first IdentificationBufferSize bytes count.
// The texts read, written back in the instrument's form, read the same; the
// cleaned firm and user data keep their length and hold only what may be
// shown; row 0 of the result table holds the texts as read.
#include "FuzzHarness.h"

#include "comm/Receive.h"

#include <algorithm>

namespace zentrova::fuzz {

int fuzzIdentification(const uint8_t* data, size_t size)
{
    static LoadedFuzzProgram program;
    AppContext& ctx = *program.ctx;
    const std::string payload(reinterpret_cast<const char*>(data), size);

    Identification id;
    const bool ok = parseIdentification(payload, id);
    if (ok != (std::min(size, IdentificationBufferSize) >= 2)) {
        violated("identification", "the payload's validity does not follow its length");
        return 0;
    }
    if (!ok)
        return 0;
    if (id.typeCode > 0xffff)
        violated("identification", "the type code is more than two bytes");
    size_t textBytes = 0;
    for (const std::string& text : id.texts) {
        textBytes += text.size();
        if (text.find('\0') != std::string::npos || text.find('\n') != std::string::npos)
            violated("identification", "a text holds a byte 0 or a line feed");
    }
    if (textBytes + 2 > std::min(size, IdentificationBufferSize))
        violated("identification", "the texts hold more bytes than the buffer");

    // The instrument's own form of what was read reads the same.
    std::string again;
    again += char(id.typeCode & 0xff);
    again += char(id.typeCode >> 8);
    for (const std::string& text : id.texts)
        again += text + '\0';
    Identification id2;
    if (again.size() <= IdentificationBufferSize &&
        (!parseIdentification(again, id2) || id2.typeCode != id.typeCode || id2.texts != id.texts))
        violated("identification", "the texts read, written back, read differently");

    InstrumentTexts texts;
    std::copy_n(id.texts.begin(), texts.size(), texts.begin());
    ExtraLines extra;
    for (size_t i = 0; i < extra.size(); ++i)
        extra[i] = id.texts[7 + i].substr(0, ExtraLineWidth);
    for (const std::string* text : {&texts[4], &texts[5]}) {
        const std::string clean = cleanInstrumentText(*text);
        if (clean.size() != text->size())
            violated("identification", "cleaning changed a text's length");
        for (char c : clean) {
            const auto b = static_cast<unsigned char>(c);
            if ((b < 32 && b != 13) || b >= 128)
                violated("identification", "a cleaned text keeps a byte that is not shown");
        }
    }
    clearResultTable(ctx.document);
    writeIdentificationRow(ctx, texts, extra);
    const ResultTable& t = ctx.document.structure.table;
    const std::string& c1 = t.cell(1, 0);
    const std::string expectedStart = texts[0] + '\r' + texts[1] + '\r' + texts[2] + '\r' + texts[3] + '\r';
    if (c1.compare(0, expectedStart.size(), expectedStart) != 0)
        violated("identification", "row 0 does not start with the instrument lines");
    if (t.cell(2, 0).size() != texts[4].size() || t.cell(3, 0).size() != texts[5].size())
        violated("identification", "row 0 lost part of the firm or user data");
    return 0;
}

} // namespace zentrova::fuzz
