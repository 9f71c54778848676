// SPDX-License-Identifier: MIT
#include "db/SearchIndex.h"

#include <QSqlQuery>

void SearchIndex::ensure(const QSqlDatabase& db)
{
    Q_UNUSED(db)
}

QString SearchIndex::condition(const QSqlDatabase& db)
{
    Q_UNUSED(db)
    return QStringLiteral("(instr(ulower(coalesce(sprav.f, '')), :needle) > 0"
                          " or instr(ulower(coalesce(sprav.io, '')), :needle) > 0"
                          " or instr(ulower(coalesce(sprav.shortpp, '')), :needle) > 0"
                          " or instr(ulower(coalesce(sprav.longpp, '')), :needle) > 0)");
}

void SearchIndex::bind(QSqlQuery& query, const QString& text)
{
    query.bindValue(QStringLiteral(":needle"), text.toLower());
}
