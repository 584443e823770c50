// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/AnnotatedGrid.h"

#include "base/TextCodec.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <climits>

namespace zentrova {

namespace {
constexpr int GridLineWidth = 1; // grid line width

int clampInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, INT_MIN / 2, INT_MAX / 2));
}
} // namespace

AnnotatedGrid::AnnotatedGrid(QWidget* parent) : QAbstractScrollArea(parent), data_(std::make_unique<GridData>())
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    data_->setFont(font());
    data_->setListener([this](GridData::Change what) { gridChanged(what); });
    setDecoder({});
    curCol_ = anchorCol_ = firstSelectableCol();
    curRow_ = anchorRow_ = firstSelectableRow();
}

AnnotatedGrid::~AnnotatedGrid()
{
    data_->setListener({});
}

void AnnotatedGrid::setDecoder(ByteDecoder decode)
{
    if (!decode) {
        auto codec = std::make_shared<TextCodec>();
        decode = [codec](const std::string& bytes) { return codec->decode(bytes); };
    }
    decode_ = std::move(decode);
    viewport()->update();
}

void AnnotatedGrid::resetSizes(int colWidth, int rowHeight)
{
    data_->setDefaultColWidth(colWidth);
    data_->setDefaultRowHeight(rowHeight);
}

void AnnotatedGrid::contentsChanged()
{
    relayout();
}

void AnnotatedGrid::gridChanged(GridData::Change what)
{
    if (what == GridData::Change::Geometry) {
        layoutDirty_ = true;
        // Fills change the grid cell by cell: lay out once, after them.
        if (!relayoutPending_) {
            relayoutPending_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (relayoutPending_)
                        relayout();
                },
                Qt::QueuedConnection);
        }
    }
    if (!painting_)
        viewport()->update();
}

void AnnotatedGrid::relayout()
{
    relayoutPending_ = false;
    layoutDirty_ = true;
    ensureLayout();
    updateScrollBars();
    if (clampSelection())
        emit selectionChanged();
    // Rows grow as they are first drawn and push the rest down; a current
    // cell just brought into view stays there.
    if (followCurrent_)
        ensureVisible(curCol_, curRow_);
    viewport()->update();
}

void AnnotatedGrid::ensureLayout() const
{
    if (!layoutDirty_)
        return;
    const GridData& g = *data_;
    rowPos_.resize(size_t(g.rowCount()) + 1);
    rowPos_[0] = 0;
    for (int r = 0; r < g.rowCount(); ++r)
        rowPos_[size_t(r) + 1] = rowPos_[size_t(r)] + g.rowHeight(r) + GridLineWidth;
    colPos_.resize(size_t(g.colCount()) + 1);
    colPos_[0] = 0;
    for (int c = 0; c < g.colCount(); ++c)
        colPos_[size_t(c) + 1] = colPos_[size_t(c)] + g.colWidth(c) + GridLineWidth;
    layoutDirty_ = false;
}

int AnnotatedGrid::fixedHeight() const
{
    ensureLayout();
    return clampInt(rowPos_[size_t(std::min(data_->fixedRows(), data_->rowCount()))]);
}

int AnnotatedGrid::fixedWidth() const
{
    ensureLayout();
    return clampInt(colPos_[size_t(std::min(data_->fixedCols(), data_->colCount()))]);
}

void AnnotatedGrid::updateScrollBars()
{
    ensureLayout();
    const QSize vp = viewport()->size();
    const int bodyH = std::max(vp.height() - fixedHeight(), 0);
    const int bodyW = std::max(vp.width() - fixedWidth(), 0);
    verticalScrollBar()->setRange(0, std::max(clampInt(rowPos_.back() - vp.height()), 0));
    verticalScrollBar()->setPageStep(std::max(bodyH, 1));
    verticalScrollBar()->setSingleStep(std::max(data_->defaultRowHeight() + GridLineWidth, 1));
    horizontalScrollBar()->setRange(0, std::max(clampInt(colPos_.back() - vp.width()), 0));
    horizontalScrollBar()->setPageStep(std::max(bodyW, 1));
    horizontalScrollBar()->setSingleStep(std::max(data_->defaultColWidth() + GridLineWidth, 1));
}

bool AnnotatedGrid::clampSelection()
{
    const auto clampCol = [&](int c) { return std::max(std::min(c, data_->colCount() - 1), firstSelectableCol()); };
    const auto clampRow = [&](int r) { return std::max(std::min(r, data_->rowCount() - 1), firstSelectableRow()); };
    const int c = clampCol(curCol_), r = clampRow(curRow_);
    const int ac = clampCol(anchorCol_), ar = clampRow(anchorRow_);
    if (c != curCol_ || r != curRow_ || ac != anchorCol_ || ar != anchorRow_) {
        curCol_ = c;
        curRow_ = r;
        anchorCol_ = ac;
        anchorRow_ = ar;
        return true;
    }
    return false;
}

GridRect AnnotatedGrid::selection() const
{
    return {std::min(curCol_, anchorCol_), std::min(curRow_, anchorRow_), std::max(curCol_, anchorCol_),
            std::max(curRow_, anchorRow_)};
}

void AnnotatedGrid::setSelection(const GridRect& rect)
{
    anchorCol_ = rect.Left;
    anchorRow_ = rect.Top;
    curCol_ = rect.Right;
    curRow_ = rect.Bottom;
    clampSelection();
    ensureVisible(curCol_, curRow_);
    emit selectionChanged();
    viewport()->update();
}

void AnnotatedGrid::setCurrentCell(int c, int r)
{
    setSelection({c, r, c, r});
}

void AnnotatedGrid::moveTo(int c, int r, bool extend)
{
    curCol_ = c;
    curRow_ = r;
    if (!extend) {
        anchorCol_ = c;
        anchorRow_ = r;
    }
    clampSelection();
    ensureVisible(curCol_, curRow_);
    emit selectionChanged();
    viewport()->update();
}

void AnnotatedGrid::ensureVisible(int c, int r)
{
    const bool wasScrolling = scrollingToCurrent_;
    scrollingToCurrent_ = true;
    scrollToCell(c, r);
    scrollingToCurrent_ = wasScrolling;
    followCurrent_ = true;
}

void AnnotatedGrid::fitRow(int r)
{
    for (int c = 0; c < data_->colCount(); ++c)
        fitCell(*data_, c, r, data_->font(), decode_, viewport());
}

void AnnotatedGrid::scrollToCell(int c, int r)
{
    ensureLayout();
    updateScrollBars();
    if (r >= firstSelectableRow() && r < data_->rowCount()) {
        const int64_t bodyH = viewport()->height() - fixedHeight();
        QScrollBar* bar = verticalScrollBar();
        // Rows grow when first drawn. A row brought in at the bottom has the
        // rows above it come into view too: size them now, or their growth
        // pushes it out again.
        fitRow(r);
        ensureLayout();
        if (rowPos_[size_t(r) + 1] - fixedHeight() > bar->value() + bodyH) {
            int64_t used = 0;
            for (int k = r; k >= firstSelectableRow() && used < bodyH; --k) {
                fitRow(k);
                used += data_->rowHeight(k) + GridLineWidth;
            }
            ensureLayout();
            updateScrollBars();
        }
        const int64_t top = rowPos_[size_t(r)] - fixedHeight();
        const int64_t bottom = rowPos_[size_t(r) + 1] - fixedHeight();
        if (top < bar->value())
            bar->setValue(clampInt(top));
        else if (bottom > bar->value() + bodyH)
            bar->setValue(clampInt(std::min(top, bottom - bodyH)));
    }
    if (c >= firstSelectableCol() && c < data_->colCount()) {
        const int64_t bodyW = viewport()->width() - fixedWidth();
        const int64_t left = colPos_[size_t(c)] - fixedWidth();
        const int64_t right = colPos_[size_t(c) + 1] - fixedWidth();
        QScrollBar* bar = horizontalScrollBar();
        if (left < bar->value())
            bar->setValue(clampInt(left));
        else if (right > bar->value() + bodyW)
            bar->setValue(clampInt(std::min(left, right - bodyW)));
    }
}

QRect AnnotatedGrid::cellRect(int c, int r) const
{
    if (!data_->contains(c, r))
        return {};
    ensureLayout();
    const int64_t x = colPos_[size_t(c)] - (data_->isFixedCol(c) ? 0 : horizontalScrollBar()->value());
    const int64_t y = rowPos_[size_t(r)] - (data_->isFixedRow(r) ? 0 : verticalScrollBar()->value());
    return QRect(clampInt(x), clampInt(y), data_->colWidth(c), data_->rowHeight(r));
}

int AnnotatedGrid::bodyRowAt(int y) const
{
    // Content coordinate y to the row whose band [pos[r], pos[r+1]) holds it.
    const int64_t cy = int64_t(y) + verticalScrollBar()->value();
    auto it = std::upper_bound(rowPos_.begin(), rowPos_.end(), cy);
    return int(it - rowPos_.begin()) - 1;
}

int AnnotatedGrid::bodyColAt(int x) const
{
    const int64_t cx = int64_t(x) + horizontalScrollBar()->value();
    auto it = std::upper_bound(colPos_.begin(), colPos_.end(), cx);
    return int(it - colPos_.begin()) - 1;
}

bool AnnotatedGrid::cellAt(const QPoint& pos, int& c, int& r) const
{
    ensureLayout();
    if (pos.x() < 0 || pos.y() < 0)
        return false;
    if (pos.y() < fixedHeight()) {
        auto it = std::upper_bound(rowPos_.begin(), rowPos_.end(), int64_t(pos.y()));
        r = int(it - rowPos_.begin()) - 1;
    } else {
        r = bodyRowAt(pos.y());
    }
    if (pos.x() < fixedWidth()) {
        auto it = std::upper_bound(colPos_.begin(), colPos_.end(), int64_t(pos.x()));
        c = int(it - colPos_.begin()) - 1;
    } else {
        c = bodyColAt(pos.x());
    }
    return data_->contains(c, r);
}

void AnnotatedGrid::paintCell(QPainter& p, int c, int r, const QRect& R)
{
    const bool fixed = data_->isFixedRow(r) || data_->isFixedCol(c);
    const QPalette& pal = palette();
    QColor text = pal.color(QPalette::Text);
    QColor back = fixed ? pal.color(QPalette::Button) : pal.color(QPalette::Base);
    const GridRect sel = selection();
    const bool selected = !fixed && c >= sel.Left && c <= sel.Right && r >= sel.Top && r <= sel.Bottom;
    const bool focused = hasFocus() && c == curCol_ && r == curRow_;
    if (selected && !focused) {
        back = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    }
    p.fillRect(R, back);
    if (fixed) {
        // A raised edge, as header cells have.
        p.setPen(pal.color(QPalette::Light));
        p.drawLine(R.topLeft(), R.topRight());
        p.drawLine(R.topLeft(), R.bottomLeft());
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(R.bottomLeft(), R.bottomRight());
        p.drawLine(R.topRight(), R.bottomRight());
    }
    drawCell(p, *data_, c, r, R, data_->font(), text, decode_);
    if (focused && !fixed) {
        QStyleOptionFocusRect opt;
        opt.initFrom(this);
        opt.rect = R;
        opt.backgroundColor = back;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
    }
    // Grid lines right of and below the cell.
    p.setPen(fixed ? pal.color(QPalette::Dark) : pal.color(QPalette::Midlight).darker(115));
    p.drawLine(R.right() + 1, R.top(), R.right() + 1, R.bottom() + 1);
    p.drawLine(R.left(), R.bottom() + 1, R.right() + 1, R.bottom() + 1);
}

void AnnotatedGrid::visibleCells(std::vector<int>& rows, std::vector<int>& cols) const
{
    ensureLayout();
    const GridData& g = *data_;
    const int vw = viewport()->width(), vh = viewport()->height();
    const int fh = fixedHeight(), fw = fixedWidth();
    const int fixedR = std::min(g.fixedRows(), g.rowCount());
    const int fixedC = std::min(g.fixedCols(), g.colCount());
    const int64_t vs = verticalScrollBar()->value(), hs = horizontalScrollBar()->value();
    rows.clear();
    cols.clear();
    // The fixed rows, then the body rows from the first one reaching below
    // the fixed band, found by bisection: a long grid costs no more per
    // paint than a short one.
    for (int r = 0; r < fixedR && rowPos_[size_t(r)] < vh; ++r)
        rows.push_back(r);
    if (g.rowCount() > fixedR) {
        auto it = std::upper_bound(rowPos_.begin(), rowPos_.end(), int64_t(fh) + vs);
        int r = std::max(int(it - rowPos_.begin()) - 1, fixedR);
        for (; r < g.rowCount() && rowPos_[size_t(r)] - vs < vh; ++r)
            rows.push_back(r);
    }
    for (int c = 0; c < fixedC && colPos_[size_t(c)] < vw; ++c)
        cols.push_back(c);
    for (int c = fixedC; c < g.colCount() && colPos_[size_t(c)] - hs < vw; ++c)
        if (colPos_[size_t(c) + 1] - hs > fw)
            cols.push_back(c);
}

void AnnotatedGrid::paintEvent(QPaintEvent*)
{
    const GridData& g = *data_;
    std::vector<int> rows, cols;
    painting_ = true;
    // Cells grow their row and column to fit as they are drawn. Fit the cells
    // in view first, so what is drawn is laid out already; each round can
    // only bring fewer cells into view, and a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        visibleCells(rows, cols);
        for (int r : rows)
            for (int c : cols)
                fitCell(*data_, c, r, g.font(), decode_, viewport());
        if (!layoutDirty_)
            break;
    }
    visibleCells(rows, cols);

    QPainter p(viewport());
    const int vw = viewport()->width(), vh = viewport()->height();
    const int fh = fixedHeight(), fw = fixedWidth();
    const int64_t vs = verticalScrollBar()->value(), hs = horizontalScrollBar()->value();
    for (int r : rows) {
        const bool fixedRow = g.isFixedRow(r);
        const int y = clampInt(rowPos_[size_t(r)] - (fixedRow ? 0 : vs));
        for (int c : cols) {
            const bool fixedCol = g.isFixedCol(c);
            const int x = clampInt(colPos_[size_t(c)] - (fixedCol ? 0 : hs));
            // Scrolled cells stay out of the fixed bands.
            p.setClipRect(QRect(QPoint(fixedCol ? 0 : fw, fixedRow ? 0 : fh), QPoint(vw - 1, vh - 1)));
            paintCell(p, c, r, QRect(x, y, g.colWidth(c), g.rowHeight(r)));
        }
    }
    painting_ = false;
}

void AnnotatedGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void AnnotatedGrid::scrollContentsBy(int, int)
{
    // The user scrolled elsewhere: leave the view where it is put.
    if (!scrollingToCurrent_)
        followCurrent_ = false;
    viewport()->update();
}

void AnnotatedGrid::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    int c = 0, r = 0;
    if (!cellAt(event->position().toPoint(), c, r))
        return;
    if (data_->isFixedRow(r) || data_->isFixedCol(c))
        return;
    dragging_ = true;
    moveTo(c, r, event->modifiers() & Qt::ShiftModifier);
}

void AnnotatedGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !(event->buttons() & Qt::LeftButton))
        return;
    ensureLayout();
    // Past an edge of the body the selection runs on to the next cell out,
    // which scrolls the grid along.
    const QPoint pos = event->position().toPoint();
    const int fw = fixedWidth(), fh = fixedHeight();
    const int vw = viewport()->width(), vh = viewport()->height();
    int c = bodyColAt(std::clamp(pos.x(), fw, std::max(vw - 1, fw)));
    int r = bodyRowAt(std::clamp(pos.y(), fh, std::max(vh - 1, fh)));
    c += pos.x() < fw ? -1 : pos.x() >= vw ? 1 : 0;
    r += pos.y() < fh ? -1 : pos.y() >= vh ? 1 : 0;
    c = std::clamp(c, firstSelectableCol(), std::max(data_->colCount() - 1, firstSelectableCol()));
    r = std::clamp(r, firstSelectableRow(), std::max(data_->rowCount() - 1, firstSelectableRow()));
    if (c != curCol_ || r != curRow_)
        moveTo(c, r, true);
}

void AnnotatedGrid::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
}

void AnnotatedGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    int c = 0, r = 0;
    if (!activation_ || event->button() != Qt::LeftButton || !cellAt(event->position().toPoint(), c, r) ||
        data_->isFixedRow(r) || data_->isFixedCol(c)) {
        mousePressEvent(event);
        return;
    }
    dragging_ = false;
    moveTo(c, r, false);
    emit cellActivated(c, r);
}

void AnnotatedGrid::keyPressEvent(QKeyEvent* event)
{
    ensureLayout();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    int c = curCol_, r = curRow_;
    // Rows a page moves: as many as fit the body from the current one.
    const auto pageRows = [&] {
        const int64_t bodyH = std::max<int64_t>(viewport()->height() - fixedHeight(), 1);
        int n = 0;
        int64_t used = 0;
        for (int k = curRow_; k < data_->rowCount() && used + data_->rowHeight(k) + GridLineWidth <= bodyH; ++k) {
            used += data_->rowHeight(k) + GridLineWidth;
            ++n;
        }
        return std::max(n, 1);
    };
    switch (event->key()) {
    case Qt::Key_Up:
        --r;
        break;
    case Qt::Key_Down:
        ++r;
        break;
    case Qt::Key_Left:
        --c;
        break;
    case Qt::Key_Right:
        ++c;
        break;
    case Qt::Key_PageUp:
        r -= pageRows();
        break;
    case Qt::Key_PageDown:
        r += pageRows();
        break;
    case Qt::Key_Home:
        c = firstSelectableCol();
        if (ctrl)
            r = firstSelectableRow();
        break;
    case Qt::Key_End:
        c = data_->colCount() - 1;
        if (ctrl)
            r = data_->rowCount() - 1;
        break;
    case Qt::Key_Menu:
        requestPopup(keyboardPopupPos());
        return;
    case Qt::Key_F10:
        if (extend && !ctrl) { // Shift+F10: the context menu, as everywhere else
            requestPopup(keyboardPopupPos());
            return;
        }
        QAbstractScrollArea::keyPressEvent(event);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!activation_ || data_->isFixedRow(curRow_) || curRow_ >= data_->rowCount()) {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
        emit cellActivated(curCol_, curRow_);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    moveTo(c, r, extend);
}

void AnnotatedGrid::contextMenuEvent(QContextMenuEvent* event)
{
    // Asked for from the keyboard, the menu belongs to the current cell, not
    // to wherever the pointer rests.
    requestPopup(event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : keyboardPopupPos());
    event->accept();
}

void AnnotatedGrid::requestPopup(const QPoint& globalPos)
{
    emit popupRequested(globalPos);
    if (popup_)
        popup_->popup(globalPos);
}

QPoint AnnotatedGrid::keyboardPopupPos() const
{
    // The current cell's lower left corner, kept inside the visible part.
    const QRect visible = viewport()->rect();
    QPoint corner = cellRect(curCol_, curRow_).bottomLeft();
    if (!visible.contains(corner))
        corner = QPoint(std::clamp(corner.x(), visible.left(), visible.right()),
                        std::clamp(corner.y(), visible.top(), visible.bottom()));
    return viewport()->mapToGlobal(corner);
}

void AnnotatedGrid::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        data_->setFont(font());
    QAbstractScrollArea::changeEvent(event);
}

void AnnotatedGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void AnnotatedGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

} // namespace zentrova
