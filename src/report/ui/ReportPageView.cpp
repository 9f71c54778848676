// SPDX-License-Identifier: MIT
#include "report/ui/ReportPageView.h"
#include "report/ReportRenderer.h"

#include <QPaintEvent>
#include <QPainter>

ReportPageView::ReportPageView(const QList<ReportPage>& pages, QWidget* parent)
    : QWidget(parent), m_pages(pages)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setScale(1);
}

void ReportPageView::setScale(qreal pixelsPerUnit)
{
    m_scale = pixelsPerUnit;
    int width = 0;
    int height = Gap;
    for (int i = 0; i < m_pages.size(); ++i) {
        const QRect r = pageRect(i);
        width = std::max(width, r.width());
        height = r.bottom() + 1 + Gap;
    }
    setFixedSize(width + 2 * Gap, height);
    update();
}

QRect ReportPageView::pageRect(int index) const
{
    int top = Gap;
    for (int i = 0; i < index; ++i)
        top += qRound(m_pages[i].size.height() * m_scale) + Gap;
    const ReportPage& page = m_pages[index];
    return QRect(Gap, top, qRound(page.size.width() * m_scale),
                 qRound(page.size.height() * m_scale));
}

void ReportPageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    for (int i = 0; i < m_pages.size(); ++i) {
        const QRect r = pageRect(i);
        if (!r.adjusted(0, 0, 3, 3).intersects(event->rect()))
            continue;
        painter.fillRect(r.translated(3, 3), palette().color(QPalette::Shadow));
        painter.fillRect(r, Qt::white);
        ReportRenderer::paintPage(painter, m_pages[i], r);
    }
}
