// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#pragma once
#include "report/CellMarkup.h"
#include "report/GridData.h"

#include <QAbstractScrollArea>

#include <memory>
#include <vector>

class QMenu;

namespace zentrova {

// A block of cells in grid coordinates, corners included.
struct GridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const GridRect&) const = default;
};

// The annotated string grid on screen: shows the GridData it owns, every
// cell drawn through drawCell. Read-only: the user selects a block of cells
// with the mouse or the keyboard and may ask for the context menu.
// Fixed rows stay on top and fixed columns on the left while scrolling.
class AnnotatedGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit AnnotatedGrid(QWidget* parent = nullptr);
    ~AnnotatedGrid() override;

    GridData& data() { return *data_; }
    const GridData& data() const { return *data_; }

    // Turns cell bytes into text; the language's codec. Windows-1252 until set.
    void setDecoder(ByteDecoder decode);

    // Every column to `colWidth`, every row to `rowHeight`, and these become
    // the defaults for new ones.
    void resetSizes(int colWidth, int rowHeight);
    // Lays out and repaints now (changes through data() are also picked up
    // on their own, after the current event).
    void contentsChanged();

    // The selected block; a single cell when nothing more is selected.
    GridRect selection() const;
    void setSelection(const GridRect& rect);
    int col() const { return curCol_; }
    int row() const { return curRow_; }
    // Makes (c, r) the current cell and the whole selection (clamped to the
    // cells that can be selected), scrolling it into view.
    void setCurrentCell(int c, int r);
    void setRow(int r) { setCurrentCell(curCol_, r); }

    // Shown at the pointer when the user asks for a context menu, at the
    // current cell when asked from the keyboard (the Menu key, Shift+F10);
    // the popupRequested signal comes first either way.
    void setPopupMenu(QMenu* menu) { popup_ = menu; }
    QMenu* popupMenu() const { return popup_; }

    // With activation on, a double click on a body cell and Enter on the
    // current cell send cellActivated; off (the default), Enter goes on to
    // the parent, as a dialog's default button expects.
    void setActivationEnabled(bool enabled) { activation_ = enabled; }

    // Where a cell lies on the viewport (what scrolled under the fixed cells
    // included); an empty rectangle for a cell outside the grid.
    QRect cellRect(int c, int r) const;
    // The cell under a viewport point; false when none.
    bool cellAt(const QPoint& pos, int& c, int& r) const;

signals:
    void popupRequested(const QPoint& globalPos);
    void selectionChanged();
    void cellActivated(int c, int r);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void gridChanged(GridData::Change what);
    void relayout();
    void ensureLayout() const;
    void updateScrollBars();
    bool clampSelection(); // true when the selection had to move
    void moveTo(int c, int r, bool extend);
    void ensureVisible(int c, int r);
    void scrollToCell(int c, int r);
    void fitRow(int r);
    void requestPopup(const QPoint& globalPos);
    QPoint keyboardPopupPos() const;
    int fixedHeight() const;
    int fixedWidth() const;
    int bodyRowAt(int y) const; // content y (unscrolled) to a row, clamped
    int bodyColAt(int x) const;
    int firstSelectableCol() const { return data_->fixedCols(); }
    int firstSelectableRow() const { return data_->fixedRows(); }
    void paintCell(QPainter& p, int c, int r, const QRect& R);
    void visibleCells(std::vector<int>& rows, std::vector<int>& cols) const;

    std::unique_ptr<GridData> data_;
    ByteDecoder decode_;
    QMenu* popup_ = nullptr;
    bool activation_ = false;
    int curCol_ = 0, curRow_ = 0, anchorCol_ = 0, anchorRow_ = 0;
    bool dragging_ = false;
    bool relayoutPending_ = false;
    bool painting_ = false;
    bool followCurrent_ = false;      // keep the current cell in view while rows grow
    bool scrollingToCurrent_ = false; // scrolling done by ensureVisible itself
    // Edges of every row and column: pos[i] is where row (column) i starts,
    // each followed by a one-pixel grid line; recomputed when sizes change.
    mutable std::vector<int64_t> rowPos_, colPos_;
    mutable bool layoutDirty_ = true;
};

} // namespace zentrova
