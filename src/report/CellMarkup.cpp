// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/CellMarkup.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace zentrova {

namespace {

// Removes every sequence 255, `letter`, parameter from `text`, exactly as
// scanning from the start and removing the first sequence until none is left
// would: a removal can join a 255 before it to a letter after it, and that
// new sequence goes too. Works in one pass: a sequence can only start at the
// last byte kept or ahead of it. `onParam` sees each parameter and returns
// how many bytes after the sequence to drop as well (H); what it asks past
// the end drops only what is there.
template <typename OnParam>
std::string removePass(const std::string& text, char letter, OnParam&& onParam)
{
    if (text.find(letter) == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == letter && i + 1 < text.size() && !out.empty() &&
            static_cast<unsigned char>(out.back()) == MarkupLead) {
            out.pop_back();
            const size_t hide = onParam(static_cast<unsigned char>(text[i + 1]));
            i += 2;
            i += std::min(hide, text.size() - i);
            continue;
        }
        out.push_back(ch);
        ++i;
    }
    return out;
}

struct WholeCell {
    std::string text;
    bool bold = false;
    int fontIndex = 0;
};

// Steps that act on the whole cell: line feeds go, then H, F, N and B in
// that order.
WholeCell stripWholeCell(const std::string& cell)
{
    WholeCell w;
    w.text.reserve(cell.size());
    for (char ch : cell)
        if (ch != '\n')
            w.text.push_back(ch);
    if (w.text.find(static_cast<char>(MarkupLead)) == std::string::npos)
        return w;
    w.text = removePass(w.text, 'H', [](unsigned char n) { return size_t(n); });
    int lastF = 0;
    w.text = removePass(w.text, 'F', [&](unsigned char p) {
        lastF = p;
        return size_t(0);
    });
    w.fontIndex = lastF >= 1 && lastF <= 3 ? lastF : 0;
    w.text = removePass(w.text, 'N', [](unsigned char) { return size_t(0); });
    w.text = removePass(w.text, 'B', [&](unsigned char) {
        w.bold = true;
        return size_t(0);
    });
    return w;
}

std::optional<Alignment> alignOf(unsigned char ch)
{
    switch (ch) {
    case 'L':
        return AlignLeft;
    case 'R':
        return AlignRight;
    case 'C':
        return AlignCenter;
    default:
        return std::nullopt;
    }
}

} // namespace

QColor colourOf(LineColour c)
{
    // The classic sixteen-colour palette: its green is the dark one.
    switch (c) {
    case LineColour::Red:
        return QColor(255, 0, 0);
    case LineColour::Blue:
        return QColor(0, 0, 255);
    case LineColour::Green:
        return QColor(0, 128, 0);
    case LineColour::Black:
        break;
    }
    return QColor(0, 0, 0);
}

CellLayout parseCell(const std::string& text, Alignment startAlign, const CellData* data)
{
    WholeCell whole = stripWholeCell(text);
    CellLayout layout;
    layout.bold = whole.bold;
    layout.fontIndex = whole.fontIndex;

    const std::string& s = whole.text;
    const size_t alignCount = data ? std::min(data->lineAlignments.size(), CellData::MaxLineAlignments) : 0;
    size_t start = 0;
    for (size_t i = 0;; ++i) {
        const size_t end = std::min(s.find('\r', start), s.size());
        CellLine line;
        line.align = startAlign;
        line.text = s.substr(start, end - start);
        if (line.text.find(static_cast<char>(MarkupLead)) != std::string::npos) {
            line.text = removePass(line.text, 'A', [&](unsigned char p) {
                if (auto a = alignOf(p))
                    line.align = *a;
                return size_t(0);
            });
            line.text = removePass(line.text, 'C', [&](unsigned char p) {
                if (p >= 1 && p <= 4)
                    line.colour = static_cast<LineColour>(p - 1);
                return size_t(0);
            });
        }
        if (i < alignCount)
            if (auto a = alignOf(static_cast<unsigned char>(data->lineAlignments[i])))
                line.align = *a;
        // The cell object's font brings its own colour, which replaces the
        // markup's; a "!" (a failed limit) still shows red.
        if (data && data->font)
            line.colour.reset();
        if (line.text.find('!') != std::string::npos)
            line.colour = LineColour::Red;
        layout.lines.push_back(std::move(line));
        if (end >= s.size())
            break;
        start = end + 1;
    }
    return layout;
}

std::string visibleText(const std::string& cell)
{
    const CellLayout layout = parseCell(cell, AlignLeft);
    std::string out;
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        if (i)
            out.push_back('\r');
        out += layout.lines[i].text;
    }
    return out;
}

namespace {

// The font a cell draws with: the grid font, bold by B, name and size of the
// F font when the grid has it, or the cell object's font over all of them.
QFont cellFont(const GridData& grid, const CellLayout& layout, const CellData* data, const QFont& gridFont)
{
    if (data && data->font)
        return *data->font;
    QFont font = gridFont;
    if (layout.bold) {
        font.setBold(true);
        font.setItalic(false);
        font.setUnderline(false);
        font.setStrikeOut(false);
    }
    if (layout.fontIndex)
        if (const auto& extra = grid.extraFont(layout.fontIndex)) {
            font.setFamily(extra->family());
            if (extra->pointSizeF() > 0)
                font.setPointSizeF(extra->pointSizeF());
            else if (extra->pixelSize() > 0)
                font.setPixelSize(extra->pixelSize());
        }
    return font;
}

QString decodedText(const ByteDecoder& decode, const std::string& bytes)
{
    return decode ? decode(bytes) : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

void growToFit(GridData& grid, int col, int row, const CellDrawResult& result)
{
    const int needHeight = int(std::min<int64_t>(int64_t(result.lineHeight) * result.lines + 2, 1 << 24));
    if (grid.rowHeight(row) < needHeight)
        grid.setRowHeight(row, needHeight);
    if (grid.colWidth(col) < result.widest + 5)
        grid.setColWidth(col, result.widest + 5);
}

} // namespace

CellDrawResult drawCell(QPainter& painter, GridData& grid, int col, int row, const QRect& R, const QFont& gridFont,
                        const QColor& fontColor, const ByteDecoder& decode, bool growCells)
{
    const CellData* data = grid.cellData(col, row);
    const CellLayout layout = parseCell(grid.cell(col, row), grid.columnAlignment(col, row), data);

    painter.save();
    painter.setClipRect(R, Qt::IntersectClip);
    painter.setFont(cellFont(grid, layout, data, gridFont));
    const QFontMetrics fm = painter.fontMetrics();
    CellDrawResult result;
    result.lineHeight = fm.height();
    result.lines = int(layout.lines.size());
    // The right edge counts as left + width: just past the last pixel.
    const int left = R.left();
    const int right = R.left() + R.width();
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        const CellLine& line = layout.lines[i];
        const QString text = decodedText(decode, line.text);
        const int w = fm.horizontalAdvance(text);
        result.widest = std::max(result.widest, w);
        int x = left + 2;
        if (line.align == AlignCenter)
            x = left + (right - left - w) / 2 + 1;
        else if (line.align == AlignRight)
            x = right - w - 2;
        const int64_t y = R.top() + 2 + int64_t(result.lineHeight) * int64_t(i);
        // A line below the cell is clipped away anyway; it still counts
        // for the widest line.
        if (text.isEmpty() || y >= R.top() + R.height())
            continue;
        painter.setPen(line.colour ? colourOf(*line.colour) : fontColor);
        painter.drawText(QPoint(x, int(y) + fm.ascent()), text);
    }
    painter.restore();

    if (growCells)
        growToFit(grid, col, row, result);
    return result;
}

CellDrawResult fitCell(GridData& grid, int col, int row, const QFont& gridFont, const ByteDecoder& decode,
                       QPaintDevice* device)
{
    const CellData* data = grid.cellData(col, row);
    const CellLayout layout = parseCell(grid.cell(col, row), grid.columnAlignment(col, row), data);
    const QFont font = cellFont(grid, layout, data, gridFont);
    const QFontMetrics fm = device ? QFontMetrics(font, device) : QFontMetrics(font);
    CellDrawResult result;
    result.lineHeight = fm.height();
    result.lines = int(layout.lines.size());
    for (const CellLine& line : layout.lines)
        result.widest = std::max(result.widest, fm.horizontalAdvance(decodedText(decode, line.text)));
    growToFit(grid, col, row, result);
    return result;
}

} // namespace zentrova
