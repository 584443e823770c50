// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "structure/windows/TreeImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zentrova {

namespace {

using Draw = void (*)(QPainter&);

const QColor InkColour(40, 40, 40);

void hisa(QPainter& p) // an object: a house
{
    p.setPen(QPen(InkColour, 1));
    p.setBrush(QColor(250, 235, 200));
    p.drawRect(QRectF(3.5, 7.5, 9, 7));
    p.setBrush(QColor(200, 60, 40));
    p.drawPolygon(QPolygonF({QPointF(1.5, 8), QPointF(8, 1.5), QPointF(14.5, 8)}));
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(7, 10.5, 2.5, 4));
}

void blok(QPainter& p) // a distribution block: a cabinet with breakers
{
    p.setPen(QPen(InkColour, 1));
    p.setBrush(QColor(200, 205, 215));
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setBrush(QColor(40, 40, 40));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(4.5 + i * 2.7, 4.5, 1.6, 4));
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.drawLine(QPointF(4, 11.5), QPointF(12, 11.5));
}

void strela(QPainter& p) // lightning conductor: a bolt
{
    p.setPen(QPen(QColor(150, 100, 0), 0.8));
    p.setBrush(QColor(255, 210, 0));
    p.drawPolygon(QPolygonF(
        {QPointF(9.5, 0.5), QPointF(3, 9), QPointF(7.5, 9), QPointF(5.5, 15.5), QPointF(13, 6), QPointF(8.5, 6)}));
}

void gip(QPainter& p) // main bonding point: a bar with terminals
{
    p.setPen(QPen(InkColour, 1));
    p.setBrush(QColor(200, 140, 50));
    p.drawRect(QRectF(1.5, 6.5, 13, 4));
    p.setBrush(QColor(230, 230, 230));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QRectF(2.5 + i * 3, 7.5, 2, 2));
    p.setPen(QPen(QColor(30, 140, 40), 1.5));
    p.drawLine(QPointF(8, 10.5), QPointF(8, 15));
}

void fuse(QPainter& p)
{
    p.setPen(QPen(InkColour, 1));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 3.5));
    p.drawLine(QPointF(8, 12.5), QPointF(8, 15.5));
    p.setBrush(QColor(240, 240, 240));
    p.drawRect(QRectF(4.5, 3.5, 7, 9));
    p.drawLine(QPointF(8, 3.5), QPointF(8, 12.5));
}

void steber(QPainter& p) // a pole
{
    p.setPen(QPen(QColor(90, 60, 30), 2));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 15));
    p.setPen(QPen(InkColour, 1.5));
    p.drawLine(QPointF(3, 4), QPointF(13, 4));
    p.drawLine(QPointF(4, 7), QPointF(12, 7));
}

void conn(QPainter& p, QColor c)
{
    p.setPen(QPen(InkColour, 1));
    p.setBrush(c);
    p.drawEllipse(QRectF(1.5, 5.5, 5, 5));
    p.drawEllipse(QRectF(9.5, 5.5, 5, 5));
    p.setPen(QPen(InkColour, 1.5));
    p.drawLine(QPointF(6.5, 8), QPointF(9.5, 8));
}
void conn1(QPainter& p)
{
    conn(p, QColor(90, 150, 230));
}
void conn2(QPainter& p)
{
    conn(p, QColor(240, 170, 40));
}

void gnd(QPainter& p) // earthing symbol
{
    p.setPen(QPen(QColor(20, 120, 40), 1.5));
    p.drawLine(QPointF(8, 1), QPointF(8, 8));
    p.drawLine(QPointF(2, 8), QPointF(14, 8));
    p.drawLine(QPointF(4.5, 11), QPointF(11.5, 11));
    p.drawLine(QPointF(6.5, 14), QPointF(9.5, 14));
}

void rcd(QPainter& p) // residual-current device: a box with a test button
{
    p.setPen(QPen(InkColour, 1));
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(2.5, 1.5, 11, 13));
    p.setBrush(QColor(40, 110, 210));
    p.drawRect(QRectF(5, 4, 6, 3));
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QRectF(6, 9, 4, 4));
}

void cancel(QPainter& p)
{
    p.setPen(QPen(QColor(210, 30, 30), 2.5));
    p.drawLine(QPointF(3, 3), QPointF(13, 13));
    p.drawLine(QPointF(13, 3), QPointF(3, 13));
}

void circle(QPainter& p, QColor c, double d)
{
    p.setPen(QPen(c.darker(160), 1));
    QRadialGradient g(QPointF(6.5, 6.5), d);
    g.setColorAt(0, c.lighter(160));
    g.setColorAt(1, c);
    p.setBrush(g);
    p.drawEllipse(QRectF(8 - d / 2, 8 - d / 2, d, d));
}
void blue(QPainter& p)
{
    circle(p, QColor(40, 90, 220), 12);
}
void green(QPainter& p)
{
    circle(p, QColor(30, 160, 50), 12);
}
void red(QPainter& p)
{
    circle(p, QColor(210, 30, 30), 12);
}
void greenSmall(QPainter& p)
{
    circle(p, QColor(30, 160, 50), 7);
}

void kvadrat(QPainter& p)
{
    p.setPen(QPen(InkColour, 1));
    p.setBrush(QColor(120, 170, 230));
    p.drawRect(QRectF(3.5, 3.5, 9, 9));
}

} // namespace

const std::vector<QIcon>& treeImages()
{
    static const std::vector<QIcon> images = [] {
        const Draw draws[16] = {hisa, blok, strela, gip,  fuse,  steber, conn1,   conn2,
                                gnd,  rcd,  cancel, blue, green, red,    kvadrat, greenSmall};
        std::vector<QIcon> v;
        for (Draw d : draws) {
            QPixmap pm(16, 16);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            d(p);
            p.end();
            v.emplace_back(pm);
        }
        return v;
    }();
    return images;
}

} // namespace zentrova
