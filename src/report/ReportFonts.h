// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QStringList>

// Fonts of templates. Families named by a template that a machine lacks
// (Windows' "Times New Roman Cyr", "Arial") fall back to metric-compatible
// free families, else to narrow ones of similar width, serif for serif and
// sans for sans.
class ReportFonts
{
public:
    static QStringList families(const QString& family);
    static QFont font(const QString& family, qreal pointSize, bool bold, bool italic);
};
