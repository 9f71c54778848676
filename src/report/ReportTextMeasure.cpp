// SPDX-License-Identifier: MIT
#include "report/ReportTextMeasure.h"

#include <QFontDatabase>
#include <QTextBoundaryFinder>
#include <cmath>
#include <limits>

namespace
{

// The room a line must leave free to pass as fitting without being shaped,
// and the room a piece must overrun it by to pass as not fitting, in ems:
// the overhang of a last glyph stays well within it.
constexpr qreal MarginEms = 0.25;

// Wide enough for any pair of characters.
constexpr qreal AnyWidth = 1e6;

bool plainCharacter(QChar c)
{
    if (c == QChar::ObjectReplacementCharacter)
        return false;
    switch (c.category()) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        break;
    }
    const QChar::Script script = c.script();
    return script == QChar::Script_Common || script == QChar::Script_Latin ||
           script == QChar::Script_Cyrillic;
}

} // namespace

ReportTextMeasure::ReportTextMeasure(const QFont& font, qreal unitsPerPoint)
    : m_font(ReportTextLayout::measuringFont(font, unitsPerPoint))
{
    // Texts of Latin and Cyrillic letters are shaped in the face chosen for
    // their script; when both are the same face, a line's ascent and height
    // are that face's, whichever of its characters the line holds.
    const QRawFont latin = QRawFont::fromFont(m_font, QFontDatabase::Latin);
    const QRawFont cyrillic = QRawFont::fromFont(m_font, QFontDatabase::Cyrillic);
    m_plain = latin.isValid() && cyrillic.isValid() &&
              latin.familyName() == cyrillic.familyName() &&
              latin.styleName() == cyrillic.styleName() && latin.supportsCharacter(u'0');
    if (!m_plain)
        return;
    m_face = latin;
    const ReportTextLayout reference(QStringLiteral("0"), m_font, AnyWidth, false);
    m_ascent = reference.lines().value(0).baseline;
    m_height = reference.height();
    m_margin = MarginEms * m_font.pointSizeF();
}

ReportTextLayout ReportTextMeasure::layout(const QString& text, qreal width, bool wordWrap,
                                           bool exactWidths)
{
    if (m_plain && !exactWidths) {
        if (std::optional<ReportTextLayout> lines = plainLayout(text, width, wordWrap))
            return *std::move(lines);
    }
    return ReportTextLayout(text, m_font, width, wordWrap);
}

std::optional<ReportTextLayout> ReportTextMeasure::plainLayout(const QString& text, qreal width,
                                                               bool wordWrap)
{
    const qsizetype size = text.size();
    qsizetype end = size;
    while (end > 0 && text[end - 1].isSpace())
        --end;
    Sums sums;
    if (end == 0 || !sum(text, sums))
        return std::nullopt;
    // The blanks a text ends with are no reason to break it.
    const ReportTextLayout oneLine({{ReportTextLayout::trimmedEnd(text), m_ascent, sums[size]}},
                                   m_height);
    if (!wordWrap)
        return oneLine;
    // Other blanks than the space join words or part them in their own ways.
    for (const QChar c : text)
        if (c.isSpace() && c != u' ')
            return std::nullopt;
    if (!fits(sums[size] - sums[end], width))
        return std::nullopt;
    if (fits(sums[end], width))
        return oneLine;
    return wrapped(text, sums, width);
}

bool ReportTextMeasure::sum(const QString& text, Sums& sums)
{
    const qsizetype size = text.size();
    QVarLengthArray<int, 128> slotOf(size);
    for (qsizetype i = 0; i < size; ++i) {
        slotOf[i] = slot(text[i].unicode());
        if (slotOf[i] < 0)
            return false;
    }
    sums.resize(size + 1);
    sums[0] = 0;
    for (qsizetype i = 0; i < size; ++i) {
        qreal advance = m_advances[slotOf[i]];
        if (i + 1 < size)
            advance += kerning(slotOf[i], slotOf[i + 1]);
        sums[i + 1] = sums[i] + advance;
    }
    return true;
}

// Breaks lines as text layout does: a line takes pieces (up to a break
// opportunity, with the blanks after them) while they fit, its first piece
// always; the blanks at its end stay on it.
std::optional<ReportTextLayout> ReportTextMeasure::wrapped(const QString& text, const Sums& sums,
                                                           qreal width)
{
    const qsizetype size = text.size();
    if (text.front() == u' ')
        return std::nullopt;

    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    const auto pieceEnds = [&](qsizetype at) {
        if (at >= size || text[at] == u' ')
            return true;
        breaks.setPosition(at);
        return (breaks.boundaryReasons() & QTextBoundaryFinder::BreakOpportunity) != 0;
    };

    QList<ReportTextLayout::Line> lines;
    qsizetype at = 0;
    while (at < size) {
        const qsizetype start = at;
        qsizetype contentEnd = at;
        while (at < size) {
            qsizetype end = at + 1;
            while (!pieceEnds(end))
                ++end;
            const qreal wanted = sums[end] - sums[start];
            if (!fits(wanted, width)) {
                if (at == start || !overruns(wanted, width))
                    return std::nullopt; // a piece wider than the line, or a close call
                break;
            }
            contentEnd = end;
            for (at = end; at < size && text[at] == u' ';)
                ++at;
            if (!fits(sums[at] - sums[end], width))
                return std::nullopt; // blanks that fall out of the line
        }
        const qreal lineWidth = (at == size ? sums[size] : sums[contentEnd]) - sums[start];
        const qreal baseline = m_ascent + m_height * qreal(lines.size());
        lines.append(
            {ReportTextLayout::trimmedEnd(text.mid(start, at - start)), baseline, lineWidth});
    }
    const qreal height = m_height * qreal(lines.size());
    return ReportTextLayout(std::move(lines), height);
}

// The slot of a plain character, measured on first sight; -1 for others.
int ReportTextMeasure::slot(char16_t c)
{
    quint16* known = nullptr;
    if (c < m_slots.size()) {
        known = &m_slots[c];
    } else {
        known = &m_otherSlots[c];
    }
    if (*known == Unmeasured)
        *known = quint16(measure(c) + 1);
    return *known == NotPlain ? -1 : *known - 1;
}

int ReportTextMeasure::measure(char16_t c)
{
    const QChar ch(c);
    if (m_characters.size() >= MaxCharacters || !plainCharacter(ch) ||
        !m_face.supportsCharacter(ch))
        return NotPlain - 1;
    // Shaped alone, its line must have the face's ascent and height.
    const ReportTextLayout alone(QString(ch), m_font, AnyWidth, false);
    if (alone.lines().size() != 1 || alone.lines()[0].baseline != m_ascent ||
        alone.height() != m_height)
        return NotPlain - 1;
    m_characters.append(c);
    m_advances.append(alone.lines()[0].width);
    return int(m_characters.size()) - 1;
}

qreal ReportTextMeasure::kerning(int left, int right)
{
    if (m_kerning.empty())
        m_kerning.assign(MaxCharacters * MaxCharacters, std::numeric_limits<float>::quiet_NaN());
    float& known = m_kerning[size_t(left) * MaxCharacters + size_t(right)];
    if (std::isnan(known)) {
        const QString pair = QString(QChar(m_characters[left])) + QChar(m_characters[right]);
        const ReportTextLayout shaped(pair, m_font, AnyWidth, false);
        known = float(shaped.lines().value(0).width - m_advances[left] - m_advances[right]);
    }
    return known;
}
