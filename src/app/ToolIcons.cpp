// SPDX-License-Identifier: MIT
#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <numbers>

namespace
{

const QColor ink(0x20, 0x20, 0x20);
const QColor paper(0xff, 0xff, 0xff);
const QColor navy(0x00, 0x00, 0x80);
const QColor teal(0x00, 0x80, 0x80);
const QColor maroon(0x80, 0x00, 0x00);
const QColor red(0xe0, 0x10, 0x10);
const QColor yellow(0xff, 0xd0, 0x00);
const QColor silver(0xc0, 0xc0, 0xc0);
const QColor grey(0x80, 0x80, 0x80);

// A sheet of paper with a folded top-right corner.
void drawSheet(QPainter& p, const QRectF& r)
{
    const qreal fold = r.width() / 3;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawPath(sheet);
    p.drawPolyline(
        QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                   QPointF(r.right(), r.top() + fold)}));
}

void drawLines(QPainter& p, qreal left, qreal right, qreal top, int count)
{
    p.setPen(QPen(grey, 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + 2 * i), QPointF(right, top + 2 * i));
}

void drawNewRecord(QPainter& p)
{
    drawSheet(p, QRectF(2.5, 1.5, 10, 13));
    drawLines(p, 4.5, 9.5, 7.5, 3);
    // A small yellow star: something new.
    p.setPen(QPen(maroon, 1));
    p.setBrush(yellow);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = (i % 2) ? 1.6 : 3.6;
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        star << QPointF(12 + radius * std::cos(angle), 4 + radius * std::sin(angle));
    }
    p.drawPolygon(star);
}

void drawSave(QPainter& p)
{
    p.setPen(QPen(ink, 1));
    p.setBrush(navy);
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(paper);
    p.drawRect(QRectF(3.5, 1.5, 9, 6));
    p.setBrush(silver);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.fillRect(QRectF(9, 11, 2, 3), navy);
}

void drawSearch(QPainter& p)
{
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    p.setPen(QPen(ink, 1.2));
    p.setBrush(QColor(0xb0, 0xe0, 0xff));
    p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
    p.setPen(QPen(paper, 1));
    p.drawArc(QRectF(3.5, 3.5, 6, 6), 100 * 16, 70 * 16);
}

void drawPrint(QPainter& p)
{
    p.setPen(QPen(ink, 1));
    p.setBrush(paper);
    p.drawRect(QRectF(4.5, 1.5, 7, 6));
    p.setBrush(silver);
    p.drawRect(QRectF(1.5, 6.5, 13, 6));
    p.setBrush(paper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    drawLines(p, 5.5, 10.5, 12.5, 1);
    p.fillRect(QRectF(12, 8, 1.5, 1.5), QColor(0x00, 0xc0, 0x00));
}

void drawBirthday(QPainter& p)
{
    // A cake with three candles.
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(0xff, 0xc0, 0xe0));
    p.drawRect(QRectF(1.5, 9.5, 13, 5));
    p.setBrush(paper);
    p.drawRect(QRectF(2.5, 7.5, 11, 2));
    for (const qreal x : {4.5, 7.5, 10.5}) {
        p.fillRect(QRectF(x, 4, 1.5, 3.5), red);
        p.setPen(Qt::NoPen);
        p.setBrush(yellow);
        p.drawEllipse(QPointF(x + 0.75, 2.5), 1.1, 1.6);
        p.setPen(QPen(ink, 1));
    }
}

void drawTemplate(QPainter& p)
{
    // A filled sheet behind, and a copy of it in front.
    drawSheet(p, QRectF(1.5, 1.5, 9, 11));
    drawLines(p, 3.5, 8.5, 5.5, 3);
    drawSheet(p, QRectF(5.5, 3.5, 9, 11));
    p.setPen(QPen(teal, 1));
    for (int i = 0; i < 3; ++i)
        p.drawLine(QPointF(7.5, 8.5 + 2 * i), QPointF(12.5, 8.5 + 2 * i));
}

void drawWindowIcon(QPainter& p)
{
    // A directory book with a telephone handset on its cover.
    p.setPen(QPen(ink, 1));
    p.setBrush(maroon);
    p.drawRoundedRect(QRectF(4.5, 1.5, 24, 29), 2, 2);
    p.setBrush(paper);
    p.drawRect(QRectF(26.5, 3.5, 3, 25));
    p.fillRect(QRectF(6, 3, 2, 26), QColor(0x60, 0x00, 0x00));
    QPainterPath handset;
    handset.moveTo(10, 12);
    handset.cubicTo(10, 6, 24, 6, 24, 12);
    handset.lineTo(21, 14);
    handset.lineTo(19, 11);
    handset.cubicTo(17, 10, 15, 10, 13, 11);
    handset.lineTo(12, 14);
    handset.closeSubpath();
    p.setBrush(yellow);
    p.drawPath(handset);
    p.drawRoundedRect(QRectF(10.5, 15.5, 14, 10), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(12.5 + 4 * col, 17.5 + 4 * row, 2, 2));
}

QIcon paint(int size, void (*draw)(QPainter&))
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

} // namespace

QIcon ToolIcons::icon(int index)
{
    switch (index) {
    case 0:
        return paint(16, drawNewRecord);
    case 1:
        return paint(16, drawSave);
    case 2:
        return paint(16, drawSearch);
    case 3:
        return paint(16, drawPrint);
    case 4:
        return paint(16, drawBirthday);
    case 6:
        return paint(16, drawTemplate);
    default:
        return {};
    }
}

QIcon ToolIcons::windowIcon()
{
    return paint(32, drawWindowIcon);
}
