// SPDX-License-Identifier: MIT
#pragma once

#include "report/ReportTextLayout.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>
#include <QVarLengthArray>
#include <array>
#include <optional>
#include <vector>

// Lays out the texts of one font as ReportTextLayout does, mostly without
// shaping them. A text's width is summed from its characters' advances and
// the kerning of each pair of neighbours, each shaped once; that is the
// shaped width for fonts that kern by pairs, as text fonts do. Where every
// line break is plain from the sums (each line fits with room to spare for
// the overhang of its last glyph, each next piece overruns by as much), the
// lines are cut there at the font's ascent and height, as shaping would have
// found. A close call goes to ReportTextLayout, as do characters of other
// scripts than Latin and Cyrillic, marks, controls, blanks other than the
// space, and characters the font's face lacks.
//
// The width of a line cut so is the sum, which may differ from the shaped
// width by the overhang of its last glyph or the blanks it ends with: where
// widths place the lines (centred or right-aligned text), ask for exact
// widths, and every text is shaped.
class ReportTextMeasure
{
public:
    ReportTextMeasure(const QFont& font, qreal unitsPerPoint);

    ReportTextLayout layout(const QString& text, qreal width, bool wordWrap, bool exactWidths);

private:
    // Distinct characters measured per font; a text with more goes to
    // ReportTextLayout.
    static constexpr int MaxCharacters = 256;
    static constexpr quint16 Unmeasured = 0;
    static constexpr quint16 NotPlain = 0xffff;

    // Advances of text[0, i) for every i: each character's advance with its
    // kerning to the next one, as shaping gives it to the first of a pair.
    using Sums = QVarLengthArray<qreal, 128>;

    std::optional<ReportTextLayout> plainLayout(const QString& text, qreal width, bool wordWrap);
    bool sum(const QString& text, Sums& sums);
    std::optional<ReportTextLayout> wrapped(const QString& text, const Sums& sums, qreal width);
    bool fits(qreal wanted, qreal width) const { return wanted + m_margin <= width; }
    bool overruns(qreal wanted, qreal width) const { return wanted - m_margin > width; }
    int slot(char16_t c);
    int measure(char16_t c);
    qreal kerning(int left, int right);

    QFont m_font; // the measuring font
    QRawFont m_face;
    bool m_plain = false; // one face serves Latin and Cyrillic
    qreal m_ascent = 0;
    qreal m_height = 0;
    qreal m_margin = 0;
    // Characters by code (Latin and Cyrillic in the table): their slot + 1.
    std::array<quint16, 0x500> m_slots{};
    QHash<char16_t, quint16> m_otherSlots;
    QList<char16_t> m_characters; // by slot
    QList<qreal> m_advances;      // by slot
    std::vector<float> m_kerning; // by pair of slots; NaN: not measured
};
