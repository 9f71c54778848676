// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QRectF>
#include <QString>

// A text object of a template band. Its rectangle is given on the design
// page; its offset within the band is its top minus the band's top.
class ReportMemo
{
public:
    enum Frame { NoFrame = 0, FrameLeft = 1, FrameTop = 2, FrameRight = 4, FrameBottom = 8 };

    QString name;
    QString band;
    QRectF rect;
    // May hold [variables]; the engine's own are [Page#], [TOTALPAGES], [Line#].
    QString text;
    QString fontFamily = QStringLiteral("Arial");
    qreal fontSize = 10; // printed points
    bool bold = false;
    bool italic = false;
    QColor color{Qt::black};
    QColor background; // invalid: transparent
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    int frames = NoFrame; // Frame flags, solid black lines
    qreal frameWidth = 1;
    bool stretch = false;  // grows with its text, and the band with it
    bool wordWrap = false; // breaks lines within its width
    // Where this condition is non-zero, highlightBackground replaces the background.
    QString highlight;
    QColor highlightBackground;
};
