// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Zentrova developers
#include "shell/windows/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace zentrova {

namespace {

void drawOpen(QPainter& p)
{
    // A folder opening towards the viewer.
    p.setPen(QPen(QColor(120, 90, 20), 1.2));
    p.setBrush(QColor(230, 190, 80));
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(3, 26);
    back.lineTo(25, 26);
    back.lineTo(25, 10);
    back.lineTo(14, 10);
    back.lineTo(12, 7);
    back.lineTo(4, 7);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 215, 110));
    QPolygonF front({QPointF(3, 26), QPointF(8, 14), QPointF(30, 14), QPointF(25, 26)});
    p.drawPolygon(front);
}

void drawSave(QPainter& p)
{
    // A diskette.
    p.setPen(QPen(QColor(20, 40, 90), 1.2));
    p.setBrush(QColor(50, 90, 170));
    QPainterPath body;
    body.moveTo(4, 4);
    body.lineTo(24, 4);
    body.lineTo(28, 8);
    body.lineTo(28, 28);
    body.lineTo(4, 28);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(235, 235, 240));
    p.drawRect(QRectF(9, 4, 13, 9));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(QRectF(17, 6, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(QPen(QColor(150, 150, 160), 1));
    for (int y = 20; y <= 26; y += 3)
        p.drawLine(10, y, 22, y);
}

void drawReceive(QPainter& p)
{
    // The tester with its display, and an arrow towards the computer.
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(QColor(245, 170, 30));
    p.drawRoundedRect(QRectF(3, 3, 15, 25), 2, 2);
    p.setBrush(QColor(190, 225, 190));
    p.drawRect(QRectF(5.5, 6, 10, 7));
    p.setBrush(QColor(60, 60, 60));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QRectF(5.5 + i * 3.6, 17, 2.6, 2.6));
    p.setBrush(QColor(200, 30, 30));
    p.drawEllipse(QRectF(8, 22, 4, 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 120, 40));
    QPolygonF arrow({QPointF(19, 13), QPointF(25, 13), QPointF(25, 9), QPointF(31, 16), QPointF(25, 23),
                     QPointF(25, 19), QPointF(19, 19)});
    p.drawPolygon(arrow);
}

void drawPrint(QPainter& p)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(150, 150, 160));
    p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 19, 16, 10));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.drawLine(10, 23, 22, 23);
    p.drawLine(10, 26, 20, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 180, 60));
    p.drawEllipse(QRectF(24, 14, 3, 3));
}

void drawGeneric(QPainter& p, QColor c)
{
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(c);
    p.drawRect(QRectF(5, 5, 22, 22));
}

} // namespace

QIcon toolIcon(ToolIcon which)
{
    QIcon icon;
    for (int size : {32, 24, 16}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        switch (which) {
        case ToolIcon::Open:
            drawOpen(p);
            break;
        case ToolIcon::Save:
            drawSave(p);
            break;
        case ToolIcon::Receive:
            drawReceive(p);
            break;
        case ToolIcon::Print:
            drawPrint(p);
            break;
        case ToolIcon::New:
            drawGeneric(p, Qt::white);
            break;
        case ToolIcon::SendStructure:
            drawGeneric(p, QColor(245, 170, 30));
            break;
        case ToolIcon::Calibrate:
            drawGeneric(p, Qt::gray);
            break;
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace zentrova
