// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
// Cell markup of the annotated grid. The first byte chooses the cell's
// surroundings: bits 0-1 the column's alignment, bit 2 a cell object whose
// line alignments follow (a length byte, then the letters), bit 3 a cell
// object with a font of its own, bit 4 extra fonts for the F markup, bits 5-7
// the language whose code page shows the bytes. The rest (at most
// MaxCellBytes) is the cell text.
//
// The parsed cell must match the markup's rules applied the slow, obvious
// way (remove the first sequence, look again), drawing the cell must measure
// what fitting it measures, and the text shown, typed back, gives the same
// bytes.
#include "FuzzHarness.h"

#include "base/TextCodec.h"
#include "report/CellMarkup.h"

#include <QImage>
#include <QPainter>

namespace zentrova::fuzz {

namespace {

constexpr size_t MaxCellBytes = 1024;

// Removes sequences 255 `letter` parameter one at a time, always the first
// one left, as the markup's rules say; `onParam` returns how many bytes after
// the sequence go too.
template <typename OnParam>
std::string removeOneByOne(std::string s, char letter, OnParam&& onParam)
{
    for (;;) {
        size_t p = 0;
        while (p + 2 < s.size() && !(static_cast<unsigned char>(s[p]) == MarkupLead && s[p + 1] == letter))
            ++p;
        if (p + 2 >= s.size())
            return s;
        const size_t hide = onParam(static_cast<unsigned char>(s[p + 2]));
        s.erase(p, 3 + std::min(hide, s.size() - p - 3));
    }
}

std::optional<Alignment> alignOf(char c)
{
    if (c == 'L')
        return AlignLeft;
    if (c == 'R')
        return AlignRight;
    if (c == 'C')
        return AlignCenter;
    return std::nullopt;
}

CellLayout slowParse(const std::string& text, Alignment startAlign, const CellData* data)
{
    CellLayout layout;
    std::string s;
    for (char c : text)
        if (c != '\n')
            s += c;
    s = removeOneByOne(s, 'H', [](unsigned char n) { return size_t(n); });
    s = removeOneByOne(s, 'F', [&](unsigned char p) {
        layout.fontIndex = p >= 1 && p <= 3 ? p : 0;
        return size_t(0);
    });
    s = removeOneByOne(s, 'N', [](unsigned char) { return size_t(0); });
    s = removeOneByOne(s, 'B', [&](unsigned char) {
        layout.bold = true;
        return size_t(0);
    });
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        const size_t end = std::min(s.find('\r', start), s.size());
        CellLine line;
        line.align = startAlign;
        line.text = removeOneByOne(s.substr(start, end - start), 'A', [&](unsigned char p) {
            if (auto a = alignOf(char(p)))
                line.align = *a;
            return size_t(0);
        });
        line.text = removeOneByOne(line.text, 'C', [&](unsigned char p) {
            if (p >= 1 && p <= 4)
                line.colour = LineColour(p - 1);
            return size_t(0);
        });
        if (data && i < std::min(data->lineAlignments.size(), CellData::MaxLineAlignments))
            if (auto a = alignOf(data->lineAlignments[i]))
                line.align = *a;
        if (data && data->font)
            line.colour.reset();
        if (line.text.find('!') != std::string::npos)
            line.colour = LineColour::Red;
        layout.lines.push_back(line);
        if (end >= s.size())
            return layout;
        start = end + 1;
    }
}

bool sameLayout(const CellLayout& a, const CellLayout& b)
{
    if (a.bold != b.bold || a.fontIndex != b.fontIndex || a.lines.size() != b.lines.size())
        return false;
    for (size_t i = 0; i < a.lines.size(); ++i)
        if (a.lines[i].text != b.lines[i].text || a.lines[i].align != b.lines[i].align ||
            a.lines[i].colour != b.lines[i].colour)
            return false;
    return true;
}

void fillGrid(GridData& grid, const std::string& text, Alignment align, const CellData* data, bool extraFonts)
{
    grid.setFixedRows(0);
    grid.setBodyColumnAlignment(0, align);
    grid.setCell(0, 0, text);
    if (data)
        grid.setCellData(0, 0, std::make_unique<CellData>(*data));
    if (extraFonts)
        for (int n = 1; n <= 3; ++n)
            grid.setExtraFont(n, QFont(QStringLiteral("Liberation Serif"), 6 + 4 * n));
}

} // namespace

int fuzzCellMarkup(const uint8_t* data, size_t size)
{
    if (size < 1)
        return -1;
    const uint8_t flags = data[0];
    size_t pos = 1;
    const Alignment align = Alignment((flags & 3) % 3);
    std::optional<CellData> object;
    if (flags & 0x0c)
        object.emplace();
    if ((flags & 4) && pos < size) {
        const size_t n = std::min<size_t>(data[pos], size - pos - 1);
        object->lineAlignments.assign(reinterpret_cast<const char*>(data) + pos + 1, n);
        pos += 1 + n;
    }
    if (flags & 8)
        object->font = QFont(QStringLiteral("Liberation Mono"), 9);
    const bool extraFonts = flags & 0x10;
    const std::string text(reinterpret_cast<const char*>(data) + std::min(pos, size),
                           std::min(size - std::min(pos, size), MaxCellBytes));
    const CellData* cellObject = object ? &*object : nullptr;

    const CellLayout layout = parseCell(text, align, cellObject);
    if (layout.lines.empty()) {
        violated("cell_markup", "a cell parsed into no line");
        return 0;
    }
    if (!sameLayout(layout, slowParse(text, align, cellObject)))
        violated("cell_markup", "the markup of the cell parsed otherwise than its rules say");
    const std::string visible = visibleText(text);
    if (visible.size() > text.size())
        violated("cell_markup", "the visible text is longer than the cell");

    static const int lcids[] = {1060, 1071, 1033, 1061, 1032, 1055, 1037, 1025};
    const TextCodec codec(lcids[flags >> 5]);
    const ByteDecoder decode = [&codec](const std::string& b) { return codec.decode(b); };
    if (codec.encode(codec.decode(text)) != text)
        violated("cell_markup", "the text shown in code page " + std::to_string(codec.codePage()) +
                                    " does not encode back to its bytes");
    const QFont gridFont(QStringLiteral("Liberation Sans"), 10);
    QImage image(160, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    GridData drawn(1, 1), fitted(1, 1);
    fillGrid(drawn, text, align, cellObject, extraFonts);
    fillGrid(fitted, text, align, cellObject, extraFonts);
    CellDrawResult d;
    {
        QPainter painter(&image);
        d = drawCell(painter, drawn, 0, 0, QRect(0, 0, 160, 48), gridFont, Qt::black, decode);
    }
    const CellDrawResult f = fitCell(fitted, 0, 0, gridFont, decode, &image);
    if (d.lines != int(layout.lines.size()))
        violated("cell_markup", "the drawn cell has another number of lines than the parsed one");
    if (d.lines != f.lines || d.lineHeight != f.lineHeight || d.widest != f.widest)
        violated("cell_markup", "drawing and fitting the cell measure it differently");
    if (drawn.rowHeight(0) != fitted.rowHeight(0) || drawn.colWidth(0) != fitted.colWidth(0))
        violated("cell_markup", "drawing and fitting the cell grow it differently");
    if (drawn.rowHeight(0) < std::min<int64_t>(int64_t(d.lineHeight) * d.lines + 2, 1 << 24))
        violated("cell_markup", "the row did not grow to hold the cell's lines");
    return 0;
}

} // namespace zentrova::fuzz
