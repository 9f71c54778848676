// SPDX-License-Identifier: MIT
#include "report/ReportRenderer.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

namespace
{

// Draws one line of text with its baseline at origin, measured with design
// metrics like the layout that broke it.
void drawTextLine(QPainter& painter, const QFont& font, const QString& text, QPointF origin)
{
    QTextLayout layout(text, font, painter.device());
    QTextOption option;
    option.setUseDesignMetrics(true);
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(1e5);
        line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    if (line.isValid())
        layout.draw(&painter, QPointF(origin.x(), origin.y() - line.ascent()));
}

QPageLayout pageLayout(const QSizeF& paper)
{
    const bool landscape = paper.width() > paper.height();
    const QSizeF portrait = landscape ? paper.transposed() : paper;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
}

} // namespace

QRectF ReportRenderer::fitted(const ReportPage& page, const QRectF& area)
{
    if (page.size.isEmpty())
        return area;
    const qreal scale =
        std::min(area.width() / page.size.width(), area.height() / page.size.height());
    const QSizeF size = page.size * scale;
    return QRectF(area.left() + (area.width() - size.width()) / 2, area.top(), size.width(),
                  size.height());
}

void ReportRenderer::paintPage(QPainter& painter, const ReportPage& page, const QRectF& target)
{
    if (page.size.isEmpty() || page.paperSize.isEmpty())
        return;
    const qreal scale = target.width() / page.size.width();
    const auto map = [&](QPointF p) { return target.topLeft() + p * scale; };
    const auto mapRect = [&](const QRectF& r) {
        return QRectF(map(r.topLeft()), r.size() * scale);
    };
    // Device pixels of a printed point, through the design units.
    const qreal unitsPerPoint = page.size.width() / (page.paperSize.width() / 25.4 * 72);
    const int dpi = painter.device()->logicalDpiY();

    painter.save();
    // Rules and backgrounds run along the axes: crisp without antialiasing.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const ReportItem& item : page.items) {
        switch (item.kind) {
        case ReportItem::Kind::Fill:
            painter.fillRect(mapRect(item.rect), item.color);
            break;
        case ReportItem::Kind::Line: {
            QPen pen(item.color, std::max<qreal>(item.width * scale, 1.0));
            pen.setCapStyle(Qt::FlatCap);
            painter.setPen(pen);
            painter.drawLine(QLineF(map(item.segment.p1()), map(item.segment.p2())));
            break;
        }
        case ReportItem::Kind::Text: {
            QFont font = item.font;
            font.setPointSizeF(item.font.pointSizeF() * unitsPerPoint * scale * 72 / dpi);
            painter.save();
            painter.setClipRect(mapRect(item.rect), Qt::IntersectClip);
            painter.setPen(item.color);
            for (const ReportItem::TextLine& line : item.lines)
                drawTextLine(painter, font, line.text, map(line.origin));
            painter.restore();
            break;
        }
        }
    }
    painter.restore();
}

bool ReportRenderer::render(const QList<ReportPage>& pages, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QPageLayout layout = device.pageLayout();
    const int dpi = device.logicalDpiX();
    const QRectF sheet = QRectF(layout.fullRectPixels(dpi))
                             .translated(-QPointF(layout.paintRectPixels(dpi).topLeft()));
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage())
            return false;
        paintPage(painter, pages[i], fitted(pages[i], sheet));
    }
    return painter.end();
}

bool ReportRenderer::writePdf(const QList<ReportPage>& pages, const QString& fileName)
{
    if (pages.isEmpty())
        return false;
    QPdfWriter writer(fileName);
    writer.setCreator(QStringLiteral("Справочник"));
    writer.setResolution(600);
    if (!writer.setPageLayout(pageLayout(pages.front().paperSize)))
        return false;
    return render(pages, writer);
}

QImage ReportRenderer::renderImage(const ReportPage& page, int width)
{
    const int height =
        page.size.isEmpty() ? width : qRound(width * page.size.height() / page.size.width());
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (!page.paperSize.isEmpty()) {
        const int dotsPerMeter = qRound(width / (page.paperSize.width() / 1000));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, page, QRectF(0, 0, width, height));
    painter.end();
    return image;
}
