// SPDX-License-Identifier: MIT
#include "exchange/VisibleRecords.h"
#include "db/Database.h"
#include "db/IdArray.h"
#include "db/Sql.h"
#include "db/Visibility.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"

#include <QHash>

namespace
{

QList<int> idsOf(const QList<FoundRow>& rows)
{
    QList<int> ids;
    ids.reserve(rows.size());
    for (const FoundRow& row : rows)
        ids.append(row.id);
    return ids;
}

} // namespace

VisibleRecords::VisibleRecords(const QSqlDatabase& db, const QString& user) : m_db(db), m_user(user)
{
}

QList<int> VisibleRecords::allIds() const
{
    return ListingQueries(m_db, m_user).allRecordIds();
}

std::optional<QList<int>> VisibleRecords::searchIds(const QString& text) const
{
    const std::optional<QList<FoundRow>> rows = ListingQueries(m_db, m_user).search(text);
    if (!rows)
        return std::nullopt;
    return idsOf(*rows);
}

void VisibleRecords::forEach(const QList<int>& ids,
                             const std::function<bool(int, const RecordData&)>& visit) const
{
    bool go = true;
    for (qsizetype start = 0; start < ids.size() && go; start += batchSize)
        loadBatch(ids.mid(start, batchSize), visit, go);
}

// One statement for the records of a batch, one for their phones; the ids
// travel as one bound array, as the listings pass them.
void VisibleRecords::loadBatch(const QList<int>& ids,
                               const std::function<bool(int, const RecordData&)>& visit,
                               bool& go) const
{
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const QVariant bound = IdArray::value(ids, postgres);
    const auto among = [postgres](const char* column) {
        return IdArray::among(QLatin1String(column), QStringLiteral(":ids"), postgres);
    };

    QHash<int, RecordData> records;
    records.reserve(ids.size());
    {
        QSqlQuery q = Sql::run(m_db,
                               QStringLiteral("SELECT sprav.*, prof.proftitle, city.cityname "
                                              "FROM sprav LEFT JOIN prof ON prof.id = sprav.profid "
                                              "LEFT JOIN city ON city.id = sprav.cityid "
                                              "WHERE %1")
                                   .arg(among("sprav.id")),
                               {{"ids", bound}});
        while (q.next()) {
            RecordData r = RecordStore::fromRow(q);
            if (Visibility::HiddenAsWhole(r.hided, r.owns, m_user))
                continue;
            r.prof = Sql::text(q, 23);
            r.city = Sql::text(q, 24);
            records.insert(q.value(0).toInt(), std::move(r));
        }
    }
    {
        QSqlQuery q =
            Sql::run(m_db,
                     QStringLiteral("SELECT parentid, noteid, phone, hid FROM phone WHERE %1")
                         .arg(among("parentid")),
                     {{"ids", bound}});
        while (q.next()) {
            const auto found = records.find(q.value(0).toInt());
            const int kind = q.value(1).toInt();
            if (found == records.end() || kind < RecordData::firstPhoneKind ||
                kind > RecordData::lastPhoneKind)
                continue;
            if (q.value(3).toBool() && !Visibility::IsPermitted(found->owns, m_user))
                continue;
            found->phones[kind] = Sql::text(q, 2);
        }
    }
    for (int id : ids) {
        const auto found = records.find(id);
        if (found == records.end())
            continue;
        if (!Visibility::IsExempt(found->owns, m_user))
            RecordStore::dropHidden(*found);
        if (!visit(id, *found)) {
            go = false;
            return;
        }
    }
}
