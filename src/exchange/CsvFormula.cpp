// SPDX-License-Identifier: MIT
#include "exchange/CsvFormula.h"

namespace
{

const QChar apostrophe = u'\'';

bool runsAsFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first == u'=' || first == u'@' || first == u'\t' || first == u'\r' || first == u'\n')
        return true;
    return (first == u'+' || first == u'-') && text.size() > 1 && !text.at(1).isDigit();
}

// Guarded texts, and texts that would read back as one: an apostrophe before
// a text that needs guarding gets one more, so reading never takes off one
// that the record itself holds.
bool needsGuard(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == apostrophe)
        ++i;
    return runsAsFormula(text.mid(i).toString());
}

} // namespace

QString CsvFormula::guarded(const QString& text)
{
    return needsGuard(text) ? apostrophe + text : text;
}

QString CsvFormula::unguarded(const QString& field)
{
    return field.startsWith(apostrophe) && needsGuard(QStringView(field).mid(1)) ? field.mid(1)
                                                                                 : field;
}
