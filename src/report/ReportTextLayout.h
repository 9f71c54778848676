// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QList>
#include <QString>

// Breaks a text into lines for a box of a given width, all in design units.
// The font's point size is in printed points; unitsPerPoint converts. Text is
// measured with design metrics, so the result holds for every resolution.
class ReportTextLayout
{
public:
    struct Line {
        QString text;
        qreal baseline = 0; // from the top of the text
        qreal width = 0;
    };

    ReportTextLayout() = default;
    ReportTextLayout(const QString& text, const QFont& font, qreal unitsPerPoint, qreal width,
                     bool wordWrap);

    const QList<Line>& lines() const { return m_lines; }
    qreal height() const { return m_height; }

private:
    QList<Line> m_lines;
    qreal m_height = 0;
};
