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

bool showsPageCount(const QString& text)
{
    return text.contains(QLatin1String("[TOTALPAGES]"), Qt::CaseInsensitive);
}

} // namespace

ReportPreparer::ReportPreparer(const ReportTemplate& reportTemplate, UserDataSet* dataSet,
                               ValueCallback onGetValue, ProgressCallback onProgress)
    : m_tpl(reportTemplate), m_dataSet(dataSet), m_onGetValue(std::move(onGetValue)),
      m_onProgress(std::move(onProgress)), m_unitsPerPoint(reportTemplate.unitsPerPoint())
{
    QHash<QString, std::shared_ptr<ReportTextMeasure>> measures;
    for (const ReportBand& band : m_tpl.bands)
        for (const ReportMemo& memo : band.memos) {
            const QFont font =
                ReportFonts::font(memo.fontFamily, memo.fontSize, memo.bold, memo.italic);
            std::shared_ptr<ReportTextMeasure>& measure = measures[font.key()];
            if (!measure)
                measure = std::make_shared<ReportTextMeasure>(font, m_unitsPerPoint);
            m_styles.insert(&memo, {font, measure});
            if (band.type != ReportBand::Type::PageFooter)
                m_totalAbove =
                    m_totalAbove || showsPageCount(memo.text) || showsPageCount(memo.highlight);
        }
}

QList<ReportPage> ReportPreparer::prepare()
{
    m_keptValues.clear();
    m_done = 0;
    m_steps = 0;
    if (m_dataSet && m_tpl.band(ReportBand::Type::MasterData))
        m_steps = (m_totalAbove ? 2 : 1) * qint64(std::max(m_dataSet->rangeEndCount(), 0));
    QList<ReportPage> pages;
    if (pass(0)) {
        // Pages as they are, but for their footers, when the page count shows
        // in no other band; otherwise laid out again with the count.
        if (!m_totalAbove)
            addFooters();
        if (!m_totalAbove || pass(int(m_pages.size())))
            pages = std::move(m_pages);
    }
    m_pages.clear();
    m_keptValues.clear();
    return pages;
}

bool ReportPreparer::pass(int totalPages)
{
    m_pages.clear();
    m_totalPages = totalPages;
    m_valuesLine = 0;
    m_lineValues.clear();
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
                if (band.onPage)
                    band = layoutBand(*data, line);
            }
            placeBand(std::move(band));
            if (counting())
                m_keptValues.insert(line, m_lineValues);
            if (!progressed())
                return false;
        }
    }
    finishPage(true);
    return true;
}

bool ReportPreparer::progressed()
{
    ++m_done;
    return !m_onProgress || m_onProgress(m_done, m_steps);
}

void ReportPreparer::startPage()
{
    const bool first = m_pages.isEmpty();
    ReportPage page;
    page.size = QSizeF(m_tpl.designWidth, m_tpl.designHeight());
    page.paperSize = m_tpl.paperSize;
    m_pages.append(page);
    m_page = int(m_pages.size());
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
    // Without the page count, footers wait for it.
    if (m_totalPages > 0)
        addFooter(m_pages.size() - 1, last);
}

void ReportPreparer::addFooters()
{
    m_totalPages = int(m_pages.size());
    for (qsizetype i = 0; i < m_pages.size(); ++i)
        addFooter(i, i + 1 == m_pages.size());
}

void ReportPreparer::addFooter(qsizetype index, bool last)
{
    const ReportBand* footer = m_tpl.band(ReportBand::Type::PageFooter);
    const bool first = index == 0;
    if (counting() || !footer || (first && !footer->onFirstPage) || (last && !footer->onLastPage))
        return;
    m_page = int(index) + 1;
    LaidBand band = layoutBand(*footer, 0);
    for (ReportItem& item : band.items) {
        moveItem(item, m_footerTop);
        m_pages[index].items.append(std::move(item));
    }
}

void ReportPreparer::placeBand(LaidBand band)
{
    if (m_y + band.height > m_footerTop + Epsilon) {
        band.height = std::max<qreal>(m_footerTop - m_y, 0);
        if (!counting())
            band.items = clipped(band.items, band.height);
    }
    // The first pass only counts the pages.
    if (!counting()) {
        for (ReportItem& item : band.items) {
            moveItem(item, m_y);
            m_pages.back().items.append(std::move(item));
        }
    }
    m_y += band.height;
    m_movable = true;
}

ReportPreparer::LaidBand ReportPreparer::layoutBand(const ReportBand& band, int line)
{
    // First every object's text, to know how far the band grows ...
    QList<MemoText> texts;
    texts.reserve(band.memos.size());
    LaidBand laid;
    laid.height = band.height;
    m_pageBound = false;
    for (const ReportMemo& memo : band.memos) {
        const MemoStyle& style = *m_styles.constFind(&memo);
        MemoText t{&memo, &style, expand(memo.text, line), memo.rect.translated(0, -band.top), {}};
        // Only lines placed by their widths need them exact.
        const bool aligned = memo.alignment & (Qt::AlignHCenter | Qt::AlignRight);
        t.lines =
            style.measure->layout(t.text, t.rect.width() - 2 * TextInsetX, memo.wordWrap, aligned);
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
    laid.onPage = m_pageBound;
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
        item.font = t.style->font;
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
    if (name.compare(QLatin1String("Page#"), Qt::CaseInsensitive) == 0) {
        m_pageBound = true;
        return QString::number(m_page);
    }
    if (name.compare(QLatin1String("TOTALPAGES"), Qt::CaseInsensitive) == 0) {
        m_pageBound = true;
        return QString::number(m_totalPages);
    }
    if (name.compare(QLatin1String("Line#"), Qt::CaseInsensitive) == 0)
        return QString::number(line);
    return line > 0 ? recordValue(name, line) : askedValue(name);
}

// A record's values are asked once, however often its band is laid out.
QString ReportPreparer::recordValue(const QString& name, int line)
{
    if (line != m_valuesLine) {
        m_valuesLine = line;
        m_lineValues = m_keptValues.take(line);
    }
    for (const auto& [known, value] : std::as_const(m_lineValues))
        if (known == name)
            return value;
    QString asked = askedValue(name);
    m_lineValues.append({name, asked});
    return asked;
}

QString ReportPreparer::askedValue(const QString& name)
{
    QVariant value;
    if (const ReportVariable* variable = m_tpl.variable(name);
        variable && !variable->value.isEmpty())
        value = variable->value;
    if (m_onGetValue)
        m_onGetValue(name, value);
    return value.toString();
}
