// SPDX-License-Identifier: MIT
#include "search/ListingSelection.h"
#include "db/Database.h"
#include "db/IdArray.h"
#include "db/SortKey.h"
#include "db/Sql.h"

QSqlQuery ListingSelection::select(const QSqlDatabase& db, const QString& columns) const
{
    QSqlQuery query = Sql::prepare(db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4")
                                           .arg(columns, from, where, orderBy));
    bind(query);
    Sql::exec(query);
    return query;
}

// SQLite's aggregate takes the rows of an ordered subquery in that order (a
// subquery with ORDER BY under an aggregate is never flattened) and gives
// them as 32-bit integers (idlist(), which Database registers); PostgreSQL's
// is told the order and gives a text, "12,7,31".
QList<int> ListingSelection::ids(const QSqlDatabase& db) const
{
    const bool postgres = Database::engineOf(db) == Engine::PostgreSQL;
    const QString statement =
        postgres ? QStringLiteral("SELECT string_agg(CAST(%4 AS text), ',' ORDER BY %3) "
                                  "FROM %1 WHERE %2")
                 : QStringLiteral("SELECT idlist(id) FROM (SELECT %4 AS id FROM %1 "
                                  "WHERE %2 ORDER BY %3)");
    QSqlQuery query = Sql::prepare(db, statement.arg(from, where, orderBy, id));
    bind(query);
    Sql::exec(query);
    if (!postgres)
        return Sql::idList(query);
    return Sql::next(query) ? IdArray::parse(Sql::text(query, 0)) : QList<int>();
}

ListingSelection ListingSelection::only(const QSqlDatabase& db, const QList<int>& ids) const
{
    const bool postgres = Database::engineOf(db) == Engine::PostgreSQL;
    ListingSelection narrowed = *this;
    narrowed.from.replace(SortKey::records(db), QStringLiteral("sprav"));
    narrowed.orderBy = QStringLiteral("sprav.id");
    narrowed.where =
        IdArray::among(QStringLiteral("sprav.id"), QStringLiteral(":pageids"), postgres) +
        QStringLiteral(" AND ") + where;
    const QString list = IdArray::value(ids, postgres);
    narrowed.bind = [bind = bind, list](QSqlQuery& query) {
        bind(query);
        query.bindValue(QStringLiteral(":pageids"), list);
    };
    return narrowed;
}
