// SPDX-License-Identifier: MIT
#include "directory/http/PhonebookEntries.h"
#include "db/Database.h"
#include "db/IdArray.h"
#include "db/Sql.h"
#include "db/Visibility.h"
#include "directory/Viewer.h"
#include "search/ListingQueries.h"

#include <QHash>
#include <QSqlQuery>

namespace
{

QString joined(const QString& a, const QString& b)
{
    return (a.trimmed() + QLatin1Char(' ') + b.trimmed()).trimmed();
}

} // namespace

PhonebookEntries::PhonebookEntries(const QSqlDatabase& db, const PhoneNumbers& numbers,
                                   const Viewer& viewer)
    : m_db(db), m_numbers(numbers), m_viewer(viewer)
{
}

QList<int> PhonebookEntries::ids(const QString& typed) const
{
    const ListingQueries listings(m_db, m_viewer.user);
    if (ListingQueries::searchText(typed).isEmpty())
        return listings.allRecordIds();
    return listings.searchIds(typed).value_or(QList<int>());
}

PhonebookEntries::Page PhonebookEntries::page(const QList<int>& ids, int start, int maxRecords,
                                              int maxPhones) const
{
    Page result;
    int phones = 0;
    for (int at = std::max(start, 0); at < ids.size();) {
        const QList<int> chunk = ids.mid(at, maxRecords);
        QHash<int, PhonebookEntry> loaded;
        for (PhonebookEntry& entry : load(chunk))
            loaded.insert(entry.id, std::move(entry));
        for (int id : chunk) {
            const auto found = loaded.constFind(id);
            if (found != loaded.constEnd()) {
                if (result.entries.size() >= maxRecords ||
                    (!result.entries.isEmpty() && phones + found->phones.size() > maxPhones)) {
                    result.next = at;
                    return result;
                }
                phones += int(found->phones.size());
                result.entries.append(*found);
            }
            ++at;
        }
    }
    return result;
}

// Two statements for any number of ids: the records, then their visible
// phones in the order of their kinds. Records without a phone to dial are
// left out.
QList<PhonebookEntry> PhonebookEntries::load(const QList<int>& ids) const
{
    if (ids.isEmpty())
        return {};
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const QString idValue = IdArray::value(ids, postgres);
    QSqlQuery phones = Sql::prepare(
        m_db,
        QStringLiteral("SELECT phone.parentid, phone.noteid, phone.phone FROM phone JOIN "
                       "sprav ON sprav.id = phone.parentid WHERE %1 AND %2 ORDER BY "
                       "phone.parentid, phone.noteid")
            .arg(IdArray::among(QStringLiteral("phone.parentid"), QStringLiteral(":ids"), postgres),
                 Visibility::PhoneVisibleCondition()));
    phones.bindValue(QStringLiteral(":ids"), idValue);
    Visibility::bindUser(phones, m_viewer.user);
    Sql::exec(phones);
    QHash<int, QList<PhonebookEntry::Phone>> phonesOf;
    while (Sql::next(phones)) {
        const QString dial = m_numbers.dialable(Sql::text(phones, 2));
        if (!dial.isEmpty())
            phonesOf[phones.value(0).toInt()].append({phones.value(1).toInt(), dial});
    }

    QSqlQuery records = Sql::prepare(
        m_db, QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, sprav.longpp "
                             "FROM sprav WHERE %1 AND %2")
                  .arg(IdArray::among(QStringLiteral("sprav.id"), QStringLiteral(":ids"), postgres),
                       Visibility::VisibilityFilter(Visibility::Filter::Qualified)));
    records.bindValue(QStringLiteral(":ids"), idValue);
    Visibility::bindUser(records, m_viewer.user);
    Sql::exec(records);
    QList<PhonebookEntry> entries;
    while (Sql::next(records)) {
        PhonebookEntry entry;
        entry.id = records.value(0).toInt();
        entry.phones = phonesOf.value(entry.id);
        if (entry.phones.isEmpty())
            continue;
        entry.surname = Sql::text(records, 1).trimmed();
        entry.given = Sql::text(records, 2).trimmed();
        entry.enterprise = Sql::text(records, 3).trimmed();
        if (entry.enterprise.isEmpty())
            entry.enterprise = Sql::text(records, 4).trimmed();
        entry.name = joined(entry.surname, entry.given);
        if (entry.name.isEmpty())
            entry.name = entry.enterprise;
        entries.append(std::move(entry));
    }
    return entries;
}
