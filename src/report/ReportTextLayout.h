// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QList>
#include <QString>

// Breaks a text into lines for a box of a given width, all in design units.
// Text is measured with design metrics, so the result holds for every
// resolution.
class ReportTextLayout
{
public:
    struct Line {
        QString text;
        qreal baseline = 0; // from the top of the text
        qreal width = 0;
    };

    // The font texts are measured in: the given one (point size in printed
    // points) scaled to design units by unitsPerPoint. Made once per font and
    // kept, so that every text measured with it shares its font engine.
    static QFont measuringFont(const QFont& font, qreal unitsPerPoint);

    ReportTextLayout() = default;
    ReportTextLayout(const QString& text, const QFont& measuringFont, qreal width, bool wordWrap);
    // Lines measured elsewhere (ReportTextMeasure).
    ReportTextLayout(QList<Line> lines, qreal height) : m_lines(std::move(lines)), m_height(height)
    {
    }

    const QList<Line>& lines() const { return m_lines; }
    qreal height() const { return m_height; }

    // The text of a line: without the blanks at its end.
    static QString trimmedEnd(QString text);

private:
    QList<Line> m_lines;
    qreal m_height = 0;
};
