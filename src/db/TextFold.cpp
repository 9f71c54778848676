// SPDX-License-Identifier: MIT
#include "db/TextFold.h"
#include "db/Database.h"

QString TextFold::sql(const QString& expression)
{
    return QStringLiteral("replace(ulower(%1), 'ё', 'е')").arg(expression);
}

QString TextFold::text(const QString& text)
{
    return Database::fold(text).replace(QChar(0x451), QChar(0x435));
}
