// SPDX-License-Identifier: MIT
#include "report/ReportFonts.h"

namespace
{

bool isSerif(const QString& family)
{
    if (family.contains(QLatin1String("Times"), Qt::CaseInsensitive))
        return true;
    return family.contains(QLatin1String("Serif"), Qt::CaseInsensitive) &&
           !family.contains(QLatin1String("Sans"), Qt::CaseInsensitive);
}

} // namespace

QStringList ReportFonts::families(const QString& family)
{
    QStringList list{family};
    if (isSerif(family)) {
        list << QStringLiteral("Times New Roman") << QStringLiteral("Liberation Serif")
             << QStringLiteral("Tinos") << QStringLiteral("DejaVu Serif Condensed")
             << QStringLiteral("DejaVu Serif") << QStringLiteral("Noto Serif")
             << QStringLiteral("FreeSerif");
    } else {
        list << QStringLiteral("Arial") << QStringLiteral("Liberation Sans")
             << QStringLiteral("Arimo") << QStringLiteral("DejaVu Sans Condensed")
             << QStringLiteral("DejaVu Sans") << QStringLiteral("Noto Sans")
             << QStringLiteral("FreeSans");
    }
    list.removeDuplicates();
    return list;
}

QFont ReportFonts::font(const QString& family, qreal pointSize, bool bold, bool italic)
{
    QFont font;
    font.setFamilies(families(family));
    font.setStyleHint(isSerif(family) ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    // Unhinted outlines: text measures the same at every resolution, so a line
    // broken for the page stays the same line on screen, paper and PDF.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}
