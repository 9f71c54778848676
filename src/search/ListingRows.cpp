// SPDX-License-Identifier: MIT
#include "search/ListingRows.h"
#include "db/Database.h"
#include "db/IdArray.h"
#include "db/Sql.h"
#include "db/Visibility.h"
#include "search/BirthdayWindow.h"
#include "search/ListingSelection.h"

#include <QHash>
#include <QSqlQuery>

namespace
{

QString fullName(const QSqlQuery& query, int f, int io)
{
    return Sql::text(query, f) + QLatin1Char(' ') + Sql::text(query, io);
}

} // namespace

ListingRows::ListingRows(const QSqlDatabase& db, const QString& user, int wholePhoneTableAbove)
    : m_db(db), m_user(user), m_wholePhoneTableAbove(wholePhoneTableAbove)
{
}

QList<FoundRow> ListingRows::directory(const ListingSelection& selection) const
{
    QSqlQuery query =
        selection.select(m_db, QStringLiteral("sprav.id, sprav.f, sprav.io, sprav.shortpp, "
                                              "sprav.owns, city.id, city.citycode"));
    QList<FoundRow> rows;
    QList<bool> permitted;
    QStringList prefixes;
    while (Sql::next(query)) {
        FoundRow row;
        row.id = query.value(0).toInt();
        row.name = fullName(query, 1, 2);
        row.second = Sql::text(query, 3);
        rows.append(std::move(row));
        permitted.append(Visibility::IsPermitted(Sql::text(query, 4), m_user));
        const bool knownCity = !query.value(5).isNull();
        prefixes.append(knownCity ? QLatin1Char('(') + Sql::text(query, 6) + QStringLiteral(") ")
                                  : QString());
    }
    query.finish();
    if (!rows.isEmpty())
        addPhones(rows, permitted, prefixes);
    return rows;
}

QList<FoundRow> ListingRows::birthdays(const ListingSelection& selection,
                                       const BirthdayWindow& window) const
{
    QSqlQuery query =
        selection.select(m_db, QStringLiteral("sprav.id, sprav.f, sprav.io, sprav.birthday, "
                                              "sprav.spbirthday, sprav.owns, sprav.hided"));
    QList<FoundRow> rows;
    QList<bool> permitted;
    while (Sql::next(query)) {
        FoundRow row;
        row.id = query.value(0).toInt();
        row.name = fullName(query, 1, 2);
        const QString owns = Sql::text(query, 5);
        const QString person = Sql::text(query, 3);
        const QString spouse = Visibility::SpouseVisible(Sql::text(query, 6), owns, m_user)
                                   ? Sql::text(query, 4)
                                   : QString();
        if (!window.contains(spouse)) {
            row.second = person;
        } else if (!window.contains(person)) {
            row.name += spouseOnlySuffix();
            row.second = spouse;
        } else {
            row.name += withSpouseSuffix();
            row.second = person + QStringLiteral(" и ") + spouse;
        }
        rows.append(std::move(row));
        permitted.append(Visibility::IsPermitted(owns, m_user));
    }
    query.finish();
    if (!rows.isEmpty())
        addPhones(rows, permitted, QStringList(rows.size()));
    return rows;
}

// One statement for the phones of every listed record, grouped by record and
// in the order of their kinds. The listed ids travel as one bound value
// (IdArray), so the search condition does not run a second time; a listing of
// most of the directory reads the whole phone table instead, which is cheaper
// than looking up each id. The prefix stands before the first phone row even
// when every phone is left out.
void ListingRows::addPhones(QList<FoundRow>& rows, const QList<bool>& permitted,
                            const QStringList& prefixes) const
{
    QHash<int, qsizetype> rowOfId;
    rowOfId.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        rowOfId.insert(rows.at(i).id, i);
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    const bool byId = !rows.isEmpty() && rows.size() <= m_wholePhoneTableAbove;
    QString ids;
    QString listed;
    if (byId) {
        QList<int> listedIds;
        listedIds.reserve(rows.size());
        for (const FoundRow& row : rows)
            listedIds.append(row.id);
        ids = IdArray::value(listedIds, postgres);
        listed = QStringLiteral("WHERE %1 ")
                     .arg(IdArray::among(QStringLiteral("phone.parentid"), QStringLiteral(":ids"),
                                         postgres));
    }
    QSqlQuery query =
        Sql::prepare(m_db, QStringLiteral("SELECT phone.parentid, notes.note, phone.phone, "
                                          "phone.hid FROM phone JOIN notes ON notes.id = "
                                          "phone.noteid %1ORDER BY phone.parentid, phone.noteid, "
                                          "phone.phone")
                               .arg(listed));
    if (byId)
        query.bindValue(QStringLiteral(":ids"), ids);
    Sql::exec(query);
    int previous = 0;
    bool first = true;
    while (Sql::next(query)) {
        const int parent = query.value(0).toInt();
        const auto found = rowOfId.constFind(parent);
        if (found == rowOfId.constEnd())
            continue;
        const qsizetype i = found.value();
        QString& phones = rows[i].phones;
        if (first || parent != previous) {
            phones = prefixes.at(i);
            previous = parent;
            first = false;
        }
        if (query.value(3).toBool() && !permitted.at(i))
            continue;
        phones += Sql::text(query, 1);
        phones += Sql::text(query, 2);
        phones += QStringLiteral("; ");
    }
}
