// SPDX-License-Identifier: MIT
#include "db/IdArray.h"

QString IdArray::value(const QList<int>& ids, bool postgres)
{
    QString list;
    list.reserve(ids.size() * 8 + 2);
    list += postgres ? QLatin1Char('{') : QLatin1Char('[');
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (i > 0)
            list += QLatin1Char(',');
        list += QString::number(ids.at(i));
    }
    list += postgres ? QLatin1Char('}') : QLatin1Char(']');
    return list;
}

QString IdArray::among(const QString& column, const QString& placeholder, bool postgres)
{
    return postgres
               ? QStringLiteral("%1 = ANY(CAST(%2 AS integer[]))").arg(column, placeholder)
               : QStringLiteral("%1 IN (SELECT value FROM json_each(%2))").arg(column, placeholder);
}

QList<int> IdArray::parse(const QString& text)
{
    QList<int> found;
    found.reserve(text.count(QLatin1Char(',')) + 1);
    int id = 0;
    bool digits = false;
    for (const QChar c : text) {
        if (c.isDigit()) {
            id = id * 10 + c.digitValue();
            digits = true;
        } else if (digits) {
            found.append(id);
            id = 0;
            digits = false;
        }
    }
    if (digits)
        found.append(id);
    return found;
}
