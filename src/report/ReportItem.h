// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

// One drawing item of a prepared page, in design units of the page: a filled
// rectangle, a text already broken into lines, or a frame line.
class ReportItem
{
public:
    enum class Kind { Fill, Text, Line };

    // A line of text with its baseline origin on the page.
    struct TextLine {
        QString text;
        QPointF origin;
    };

    Kind kind = Kind::Text;
    QString object; // the template object it comes from
    QString band;
    int line = 0; // data line number ([Line#]) of its band, 0 outside data bands

    QRectF rect;     // Fill and Text: the object's rectangle, grown if it stretched
    QLineF segment;  // Line
    QColor color;    // fill, text or line colour
    qreal width = 0; // Line: pen width

    // Text
    QString text; // the whole text, variables filled in
    QFont font;   // point size in printed points
    Qt::Alignment alignment;
    bool wordWrap = false;
    QList<TextLine> lines;
};
