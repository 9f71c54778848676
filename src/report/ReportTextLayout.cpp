// SPDX-License-Identifier: MIT
#include "report/ReportTextLayout.h"

#include <QImage>
#include <QTextLayout>

namespace
{

// Texts are measured at eight times the size of a design unit (a 576 dpi
// device on which one point of the scaled font is one design unit), which
// keeps rounding in the font engine small.
constexpr int Oversampling = 8;

const QImage& measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32);
        const int dotsPerMeter = qRound(72 * Oversampling / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

} // namespace

QString ReportTextLayout::trimmedEnd(QString text)
{
    while (!text.isEmpty() && (text.back().isSpace() || text.back() == QChar::LineSeparator))
        text.chop(1);
    return text;
}

QFont ReportTextLayout::measuringFont(const QFont& font, qreal unitsPerPoint)
{
    QFont scaled = font;
    scaled.setPointSizeF(font.pointSizeF() * unitsPerPoint);
    // Resolved for the measuring device here, not anew by every layout.
    return QFont(scaled, &measuringDevice());
}

ReportTextLayout::ReportTextLayout(const QString& text, const QFont& measuringFont, qreal width,
                                   bool wordWrap)
{
    if (text.isEmpty())
        return;
    QString flat = text;
    flat.remove(u'\r');
    flat.replace(u'\n', QChar::LineSeparator);

    QTextLayout layout(flat, measuringFont, &measuringDevice());
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);

    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(std::max<qreal>(width, 0) * Oversampling);
        line.setPosition(QPointF(0, y));
        m_lines.append({trimmedEnd(flat.mid(line.textStart(), line.textLength())),
                        (y + line.ascent()) / Oversampling,
                        line.naturalTextWidth() / Oversampling});
        y += line.height();
    }
    layout.endLayout();
    m_height = y / Oversampling;
}
