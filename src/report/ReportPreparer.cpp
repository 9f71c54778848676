// SPDX-License-Identifier: MIT
#include "report/ReportPreparer.h"
#include "report/ReportExpression.h"
#include "report/ReportFonts.h"
#include "report/ReportTextLayout.h"
#include "report/UserDataSet.h"

#include <algorithm>

namespace
{

// Small tolerance for sums of fractional design units.
constexpr qreal Epsilon = 1e-6;

void moveItem(ReportItem& item, qreal dy)
{
    item.rect.translate(0, dy);
    item.segment.translate(0, dy);
    for (ReportItem::TextLine& line : item.lines)
        line.origin.ry() += dy;
}

// Cuts a band's items at `limit` (band coordinates).
QList<ReportItem> clipped(const QList<ReportItem>& items, qreal limit)
{
    QList<ReportItem> result;
    for (ReportItem item : items) {
        if (item.kind == ReportItem::Kind::Line) {
            if (std::max(item.segment.y1(), item.segment.y2()) > limit + Epsilon)
                continue;
        } else {
            if (item.rect.top() >= limit)
                continue;
            item.rect.setBottom(std::min(item.rect.bottom(), limit));
            item.lines.erase(std::remove_if(item.lines.begin(), item.lines.end(),
                                            [limit](const ReportItem::TextLine& l) {
                                                return l.origin.y() > limit;
                                            }),
                             item.lines.end());
        }
        result.append(item);
    }
    return result;
}

} // namespace

ReportPreparer::ReportPreparer(const ReportTemplate& reportTemplate, UserDataSet* dataSet,
                               ValueCallback onGetValue)
    : m_tpl(reportTemplate), m_dataSet(dataSet), m_onGetValue(std::move(onGetValue)),
      m_unitsPerPoint(reportTemplate.unitsPerPoint())
{
}

QList<ReportPage> ReportPreparer::prepare()
{
    const int total = int(pass(0).size());
    return pass(total);
}

QList<ReportPage> ReportPreparer::pass(int totalPages)
{
    m_pages.clear();
    m_totalPages = totalPages;
    m_edge = 0;
    if (!m_tpl.bands.isEmpty()) {
        m_edge = m_tpl.bands.front().top;
        for (const ReportBand& band : m_tpl.bands)
            m_edge = std::min(m_edge, band.top);
    }
    const ReportBand* footer = m_tpl.band(ReportBand::Type::PageFooter);
    m_footerTop = m_tpl.designHeight() - m_edge - (footer ? footer->height : 0);

    startPage();
    const ReportBand* data = m_tpl.band(ReportBand::Type::MasterData);
    if (data && m_dataSet) {
        int line = 0;
        for (m_dataSet->first(); !m_dataSet->eof(); m_dataSet->next()) {
            ++line;
            LaidBand band = layoutBand(*data, line);
            if (m_y + band.height > m_footerTop + Epsilon && m_movable) {
                finishPage(false);
                startPage();
                band = layoutBand(*data, line); // [Page#] may have changed
            }
            placeBand(band);
        }
    }
    finishPage(true);
    return m_pages;
}

void ReportPreparer::startPage()
{
    const bool first = m_pages.isEmpty();
    ReportPage page;
    page.size = QSizeF(m_tpl.designWidth, m_tpl.designHeight());
    page.paperSize = m_tpl.paperSize;
    m_pages.append(page);
    m_y = m_edge;
    m_movable = false;

    if (first) {
        if (const ReportBand* title = m_tpl.band(ReportBand::Type::ReportTitle)) {
            placeBand(layoutBand(*title, 0));
        }
    }
    const ReportBand* header = m_tpl.band(ReportBand::Type::PageHeader);
    if (header && (!first || header->onFirstPage)) {
        const bool movable = m_movable;
        placeBand(layoutBand(*header, 0));
        m_movable = movable;
    }
}

void ReportPreparer::finishPage(bool last)
{
    const ReportBand* footer = m_tpl.band(ReportBand::Type::PageFooter);
    const bool first = m_pages.size() == 1;
    if (!footer || (first && !footer->onFirstPage) || (last && !footer->onLastPage))
        return;
    LaidBand band = layoutBand(*footer, 0);
    for (ReportItem& item : band.items) {
        moveItem(item, m_footerTop);
        m_pages.back().items.append(item);
    }
}

void ReportPreparer::placeBand(LaidBand band)
{
    if (m_y + band.height > m_footerTop + Epsilon) {
        band.height = std::max<qreal>(m_footerTop - m_y, 0);
        band.items = clipped(band.items, band.height);
    }
    for (ReportItem& item : band.items) {
        moveItem(item, m_y);
        m_pages.back().items.append(item);
    }
    m_y += band.height;
    m_movable = true;
}

ReportPreparer::LaidBand ReportPreparer::layoutBand(const ReportBand& band, int line)
{
    // First every object's text, to know how far the band grows ...
    QList<MemoText> texts;
    LaidBand laid;
    laid.height = band.height;
    for (const ReportMemo& memo : band.memos) {
        MemoText t{&memo,
                   expand(memo.text, line),
                   ReportFonts::font(memo.fontFamily, memo.fontSize, memo.bold, memo.italic),
                   memo.rect.translated(0, -band.top),
                   {}};
        t.lines = ReportTextLayout(t.text, t.font, m_unitsPerPoint, t.rect.width() - 2 * TextInsetX,
                                   memo.wordWrap);
        if (memo.stretch && t.lines.height() + 2 * TextInsetY > t.rect.height()) {
            t.rect.setHeight(t.lines.height() + 2 * TextInsetY);
            laid.height = std::max(laid.height, t.rect.bottom());
        }
        texts.append(t);
    }
    // ... then the stretching objects grow with the band, keeping their gap
    // to its bottom, so frame lines of one band stay in line.
    const qreal growth = laid.height - band.height;
    for (MemoText& t : texts) {
        if (t.memo->stretch)
            t.rect.setBottom(std::max(t.rect.bottom(), t.memo->rect.bottom() - band.top + growth));
        emitMemo(t, line, laid);
    }
    for (ReportItem& item : laid.items) {
        item.band = band.name;
        item.line = line;
    }
    return laid;
}

void ReportPreparer::emitMemo(const MemoText& t, int line, LaidBand& out)
{
    const ReportMemo& memo = *t.memo;
    const QRectF& rect = t.rect;
    QColor background = memo.background;
    if (!memo.highlight.isEmpty() && ReportExpression::evaluate(expand(memo.highlight, line)))
        background = memo.highlightBackground;
    if (background.isValid() && background.alpha() > 0) {
        ReportItem fill;
        fill.kind = ReportItem::Kind::Fill;
        fill.object = memo.name;
        fill.rect = rect;
        fill.color = background;
        out.items.append(fill);
    }

    if (!t.lines.lines().isEmpty()) {
        ReportItem item;
        item.kind = ReportItem::Kind::Text;
        item.object = memo.name;
        item.rect = rect;
        item.color = memo.color;
        item.text = t.text;
        item.font = t.font;
        item.alignment = memo.alignment;
        item.wordWrap = memo.wordWrap;
        qreal top = rect.top() + TextInsetY;
        if (memo.alignment & Qt::AlignVCenter)
            top = rect.top() + (rect.height() - t.lines.height()) / 2;
        else if (memo.alignment & Qt::AlignBottom)
            top = rect.bottom() - TextInsetY - t.lines.height();
        for (const ReportTextLayout::Line& l : t.lines.lines()) {
            qreal x = rect.left() + TextInsetX;
            if (memo.alignment & Qt::AlignHCenter)
                x = rect.left() + (rect.width() - l.width) / 2;
            else if (memo.alignment & Qt::AlignRight)
                x = rect.right() - TextInsetX - l.width;
            item.lines.append({l.text, QPointF(x, top + l.baseline)});
        }
        out.items.append(item);
    }

    const auto frameLine = [&](int side, QPointF from, QPointF to) {
        if (!(memo.frames & side))
            return;
        ReportItem frame;
        frame.kind = ReportItem::Kind::Line;
        frame.object = memo.name;
        frame.rect = rect;
        frame.segment = QLineF(from, to);
        frame.color = Qt::black;
        frame.width = memo.frameWidth;
        out.items.append(frame);
    };
    frameLine(ReportMemo::FrameLeft, rect.topLeft(), rect.bottomLeft());
    frameLine(ReportMemo::FrameTop, rect.topLeft(), rect.topRight());
    frameLine(ReportMemo::FrameRight, rect.topRight(), rect.bottomRight());
    frameLine(ReportMemo::FrameBottom, rect.bottomLeft(), rect.bottomRight());
}

QString ReportPreparer::expand(const QString& text, int line)
{
    QString result;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = text.indexOf(u'[', pos);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u']', open + 1);
        if (close < 0) {
            result += text.mid(pos);
            return result;
        }
        result += text.mid(pos, open - pos);
        result += value(text.mid(open + 1, close - open - 1), line);
        pos = close + 1;
    }
}

QString ReportPreparer::value(const QString& name, int line)
{
    if (name.compare(QLatin1String("Page#"), Qt::CaseInsensitive) == 0)
        return QString::number(m_pages.size());
    if (name.compare(QLatin1String("TOTALPAGES"), Qt::CaseInsensitive) == 0)
        return QString::number(m_totalPages);
    if (name.compare(QLatin1String("Line#"), Qt::CaseInsensitive) == 0)
        return QString::number(line);
    QVariant value;
    if (const ReportVariable* variable = m_tpl.variable(name);
        variable && !variable->value.isEmpty())
        value = variable->value;
    if (m_onGetValue)
        m_onGetValue(name, value);
    return value.toString();
}
