// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/GridData.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QPainter;
class QPaintDevice;

namespace zentrova {

// Cell texts may carry markup: byte 255, a command letter, a parameter byte.
//   H n    hides itself and the n bytes after it     (whole cell)
//   F 1..3 draws with the name and size of extra font n  (whole cell)
//   N any  removed without effect                    (whole cell)
//   B any  draws the cell bold                       (whole cell)
//   A L/R/C aligns its line left, right or centred   (its line)
//   C 1..4 colours its line red, blue, green, black  (its line)
// F and C take the byte values 1..4, A the letters. A sequence counts only
// where its letter and parameter lie inside the text; a lone 255 at the end
// stays and is drawn as text.
constexpr unsigned char MarkupLead = 255;

enum class LineColour : uint8_t { Red, Blue, Green, Black };
QColor colourOf(LineColour c);

struct CellLine {
    std::string text; // bytes, markup removed
    Alignment align = AlignLeft;
    // The colour to draw with; none means the default one (the canvas colour,
    // or the colour of the cell object's font).
    std::optional<LineColour> colour;
};

struct CellLayout {
    std::vector<CellLine> lines; // at least one
    bool bold = false;
    int fontIndex = 0; // extra font 1..3 chosen by the last F, 0 for none
};

// Splits a cell text into the lines the grid draws. `startAlign` is the
// column's alignment for the cell's row; `data` is the cell's object, if any.
CellLayout parseCell(const std::string& text, Alignment startAlign, const CellData* data = nullptr);

// The text as the grid shows it: markup removed, hidden text left out, line
// feeds dropped, lines joined by CR. Whatever prints or exports a grid
// without drawing its markup uses this.
std::string visibleText(const std::string& cell);

struct CellDrawResult {
    int lineHeight = 0; // height of "0" in the cell's font
    int lines = 0;
    int widest = 0; // widest line, in device pixels
};

using ByteDecoder = std::function<QString(const std::string&)>;

// Draws cell (col, row) of `grid` into R on any painter (widget, image,
// printer). `fontColor` is the canvas colour lines start with; `decode` turns
// the cell's bytes into text (the language's codec). The painter's state is
// left as found. Unless `growCells` is false, the row and column then grow
// to fit the text (never shrink): row to lines * h + 2, column to widest + 5.
CellDrawResult drawCell(QPainter& painter, GridData& grid, int col, int row, const QRect& R, const QFont& gridFont,
                        const QColor& fontColor, const ByteDecoder& decode, bool growCells = true);

// What drawCell would measure and grow, without drawing: for laying out
// cells before they are shown. `device` gives the resolution (the screen's
// when null).
CellDrawResult fitCell(GridData& grid, int col, int row, const QFont& gridFont, const ByteDecoder& decode,
                       QPaintDevice* device = nullptr);

} // namespace zentrova
