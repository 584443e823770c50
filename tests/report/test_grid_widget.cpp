// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "report/windows/AnnotatedGrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <functional>
#include <optional>

namespace zentrova {
namespace {

void Key(AnnotatedGrid& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent ev(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(&w, &ev);
}

void mouse(AnnotatedGrid& w, QEvent::Type type, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent ev(type, pos, w.viewport()->mapToGlobal(pos), button, held, mods);
    QApplication::sendEvent(w.viewport(), &ev);
}

// A grid the way the results grid uses it: a heading row, small defaults.
struct Grid {
    AnnotatedGrid w;
    explicit Grid(int cols, int rows)
    {
        w.resize(400, 300);
        w.show();
        w.setFont(QFont("DejaVu Sans", 9));
        w.data().setColCount(cols);
        w.data().setRowCount(rows);
        w.resetSizes(30, 10);
        w.contentsChanged();
    }
    // Paints until the sizes that drawing grows have settled.
    QImage paint()
    {
        QImage img;
        for (int i = 0; i < 3; ++i) {
            img = w.viewport()->grab().toImage();
            QApplication::processEvents();
        }
        return img;
    }
};

TEST(AnnotatedGrid, DrawsMarkupAndHeaderBand)
{
    Grid g(3, 4);
    g.w.data().setCell(0, 0, "Head");
    g.w.data().setCell(1, 2, std::string{char(255), 'C', 1} + "Fail");
    const QImage img = g.paint();
    const QRect fail = g.w.cellRect(1, 2);
    int red = 0;
    for (int y = fail.top(); y <= fail.bottom(); ++y)
        for (int x = fail.left(); x <= fail.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            red += c.red() > c.green() + 80 && c.red() > c.blue() + 80;
        }
    EXPECT_GT(red, 10);
    const QRect head = g.w.cellRect(2, 0);
    EXPECT_EQ(img.pixelColor(head.center()), g.w.palette().color(QPalette::Button));
    const QRect body = g.w.cellRect(2, 3);
    EXPECT_EQ(img.pixelColor(body.center()), g.w.palette().color(QPalette::Base));
}

TEST(AnnotatedGrid, PaintGrowsRowsToTheirText)
{
    Grid g(2, 3);
    g.w.data().setCell(1, 1, "one\rtwo\rthree");
    g.paint();
    const int h = QFontMetrics(g.w.font()).height();
    EXPECT_EQ(g.w.data().rowHeight(1), 3 * h + 2);
    EXPECT_EQ(g.w.data().rowHeight(2), h + 2);                            // an empty cell is one line high
    EXPECT_EQ(g.w.cellRect(0, 2).top(), g.w.cellRect(0, 1).bottom() + 2); // one grid line between
}

TEST(AnnotatedGrid, LongGridScrollsUnderFixedRow)
{
    Grid g(6, 10001);
    for (int r = 1; r < 10001; ++r)
        for (int c = 0; c < 6; ++c)
            g.w.data().setCell(c, r, std::to_string(r));
    g.w.setCurrentCell(2, 10000);
    // Drawing grows the rows in view; the current one stays in view all the same.
    const QImage img = g.paint();
    EXPECT_GT(g.w.verticalScrollBar()->value(), 0);
    const QRect last = g.w.cellRect(2, 10000);
    EXPECT_TRUE(g.w.viewport()->rect().contains(last)) << last.y();
    EXPECT_EQ(g.w.cellRect(2, 0).top(), 0);
    // Only the rows in view were drawn (and so grown).
    EXPECT_EQ(g.w.data().rowHeight(5000), 10);
    // The heading row is still drawn at the top, in the header colour.
    const QRect head = g.w.cellRect(5, 0);
    EXPECT_EQ(img.pixelColor(head.right() - 3, head.center().y()), g.w.palette().color(QPalette::Button));
}

TEST(AnnotatedGrid, KeyboardSelection)
{
    Grid g(4, 6);
    g.w.setCurrentCell(1, 1);
    Key(g.w, Qt::Key_Down, Qt::ShiftModifier);
    Key(g.w, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(g.w.selection(), (GridRect{1, 1, 2, 2}));
    Key(g.w, Qt::Key_Down);
    EXPECT_EQ(g.w.selection(), (GridRect{2, 3, 2, 3}));
    // The heading row cannot be selected; the selection stops at the edges.
    for (int i = 0; i < 5; ++i)
        Key(g.w, Qt::Key_Up);
    Key(g.w, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(g.w.selection(), (GridRect{1, 1, 2, 1}));
    Key(g.w, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(g.w.selection(), (GridRect{2, 1, 3, 5}));
    Key(g.w, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(g.w.selection(), (GridRect{0, 1, 0, 1}));
}

TEST(AnnotatedGrid, MouseSelection)
{
    Grid g(4, 6);
    g.paint();
    int changes = 0;
    QObject::connect(&g.w, &AnnotatedGrid::selectionChanged, [&] { ++changes; });
    mouse(g.w, QEvent::MouseButtonPress, g.w.cellRect(3, 4).center());
    mouse(g.w, QEvent::MouseMove, g.w.cellRect(1, 2).center());
    mouse(g.w, QEvent::MouseButtonRelease, g.w.cellRect(1, 2).center());
    EXPECT_EQ(g.w.selection(), (GridRect{1, 2, 3, 4}));
    EXPECT_EQ(g.w.col(), 1);
    EXPECT_EQ(g.w.row(), 2);
    EXPECT_GE(changes, 2);
    // A click on the heading row selects nothing new; shift-click extends
    // from the cell the selection started at.
    mouse(g.w, QEvent::MouseButtonPress, g.w.cellRect(0, 0).center());
    mouse(g.w, QEvent::MouseButtonRelease, g.w.cellRect(0, 0).center());
    EXPECT_EQ(g.w.selection(), (GridRect{1, 2, 3, 4}));
    mouse(g.w, QEvent::MouseButtonPress, g.w.cellRect(0, 5).center(), Qt::ShiftModifier);
    EXPECT_EQ(g.w.selection(), (GridRect{0, 4, 3, 5}));
}

TEST(AnnotatedGrid, ShrinkingKeepsSelectionInside)
{
    Grid g(4, 10);
    g.w.setCurrentCell(3, 9);
    g.w.data().setRowCount(3);
    g.w.data().setColCount(2);
    g.w.contentsChanged();
    EXPECT_EQ(g.w.selection(), (GridRect{1, 2, 1, 2}));
}

TEST(AnnotatedGrid, ContextMenuRequest)
{
    Grid g(2, 3);
    QPoint asked;
    QObject::connect(&g.w, &AnnotatedGrid::popupRequested, [&](const QPoint& p) { asked = p; });
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(105, 205));
    QApplication::sendEvent(g.w.viewport(), &ev);
    EXPECT_EQ(asked, QPoint(105, 205));
}

// From the keyboard the menu opens at the current cell's lower left corner,
// wherever the pointer is; F10 alone is no request.
TEST(AnnotatedGrid, ContextMenuFromTheKeyboard)
{
    Grid g(3, 4);
    g.w.setCurrentCell(1, 2);
    const QPoint atCell = g.w.viewport()->mapToGlobal(g.w.cellRect(1, 2).bottomLeft());
    const struct {
        const char* what;
        std::function<void()> ask;
        bool asked;
    } cases[] = {
        {"Menu key", [&] { Key(g.w, Qt::Key_Menu); }, true},
        {"Shift+F10", [&] { Key(g.w, Qt::Key_F10, Qt::ShiftModifier); }, true},
        {"F10", [&] { Key(g.w, Qt::Key_F10); }, false},
        {"keyboard event",
         [&] {
             QContextMenuEvent ev(QContextMenuEvent::Keyboard, QPoint(5, 5), QPoint(105, 205));
             QApplication::sendEvent(g.w.viewport(), &ev);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<QPoint> asked;
        const auto connection =
            QObject::connect(&g.w, &AnnotatedGrid::popupRequested, [&](const QPoint& p) { asked = p; });
        c.ask();
        QObject::disconnect(connection);
        EXPECT_EQ(asked.value_or(QPoint(-1, -1)), c.asked ? atCell : QPoint(-1, -1));
    }
}

TEST(AnnotatedGrid, ResetSizes)
{
    Grid g(3, 3);
    g.w.data().setCell(0, 1, "a\rb\rc");
    g.paint();
    g.w.resetSizes(30, 10);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g.w.data().colWidth(i), 30);
        EXPECT_EQ(g.w.data().rowHeight(i), 10);
    }
}

} // namespace
} // namespace zentrova
