// SPDX-License-Identifier: MIT
#include "search/ListingQueries.h"
#include "db/Database.h"
#include "db/SearchIndex.h"
#include "db/Sql.h"
#include "db/Visibility.h"
#include "search/BirthdayWindow.h"

#include <QHash>
#include <QSqlQuery>
#include <functional>

// The records of a listing: the tables, the condition (with the visibility
// filter) and the values to bind.
struct ListingQueries::Selection {
    QString from;
    QString where;
    QString orderBy;
    std::function<void(QSqlQuery&)> bind;
};

namespace
{

const QString orderByName =
    QStringLiteral("coalesce(sprav.f, ''), coalesce(sprav.io, ''), sprav.id");

// Records joined with their city; a record of an unknown city keeps NULLs.
const QString spravWithCity = QStringLiteral("sprav LEFT JOIN city ON city.id = sprav.cityid");

QSqlQuery open(const QSqlDatabase& db, const QString& statement,
               const std::function<void(QSqlQuery&)>& bind)
{
    QSqlQuery query = Sql::prepare(db, statement);
    bind(query);
    Sql::exec(query);
    return query;
}

QString fullName(const QSqlQuery& query, int f, int io)
{
    return Sql::text(query, f) + QLatin1Char(' ') + Sql::text(query, io);
}

} // namespace

ListingQueries::ListingQueries(const QSqlDatabase& db, const QString& user,
                               int wholePhoneTableAbove)
    : m_db(db), m_user(user), m_wholePhoneTableAbove(wholePhoneTableAbove)
{
}

QString ListingQueries::searchText(const QString& typed)
{
    qsizetype begin = 0;
    qsizetype end = typed.size();
    while (begin < end && typed.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && typed.at(end - 1).unicode() <= 32)
        --end;
    return typed.mid(begin, end - begin);
}

std::optional<QList<FoundRow>> ListingQueries::search(const QString& typed) const
{
    const QString text = searchText(typed);
    if (text.size() < MinSearchLength)
        return std::nullopt;
    Selection selection;
    selection.from = spravWithCity;
    selection.where = SearchIndex::condition(m_db) + QStringLiteral(" AND ") +
                      Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = orderByName;
    selection.bind = [this, text](QSqlQuery& query) {
        SearchIndex::bind(query, text);
        Visibility::bindUser(query, m_user);
    };
    return directory(selection);
}

ListingQueries::Selection ListingQueries::allSelection() const
{
    Selection selection;
    selection.from = spravWithCity;
    selection.where = Visibility::VisibilityFilter(Visibility::Filter::Plain);
    selection.orderBy = orderByName;
    selection.bind = [this](QSqlQuery& query) { Visibility::bindUser(query, m_user); };
    return selection;
}

QList<FoundRow> ListingQueries::allRecords() const
{
    return directory(allSelection());
}

QList<int> ListingQueries::allRecordIds() const
{
    const Selection selection = allSelection();
    QSqlQuery query = open(m_db,
                           QStringLiteral("SELECT sprav.id FROM %1 WHERE %2 ORDER BY %3")
                               .arg(selection.from, selection.where, selection.orderBy),
                           selection.bind);
    QList<int> ids;
    while (query.next())
        ids.append(query.value(0).toInt());
    return ids;
}

QList<FoundRow> ListingQueries::city(const QString& cityName) const
{
    Selection selection;
    selection.from = QStringLiteral("sprav JOIN city ON city.id = sprav.cityid");
    selection.where = QStringLiteral("ulower(city.cityname) = ulower(:cityname) AND ") +
                      Visibility::VisibilityFilter(Visibility::Filter::Qualified);
    selection.orderBy = orderByName;
    selection.bind = [this, cityName](QSqlQuery& query) {
        query.bindValue(QStringLiteral(":cityname"), cityName);
        Visibility::bindUser(query, m_user);
    };
    return directory(selection);
}

// Search, all records and one city: id, name, short enterprise name, phones.
QList<FoundRow> ListingQueries::directory(const Selection& selection) const
{
    QSqlQuery query = open(m_db,
                           QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, "
                                          "sprav.owns, city.id, city.citycode FROM %1 WHERE %2 "
                                          "ORDER BY %3")
                               .arg(selection.from, selection.where, selection.orderBy),
                           selection.bind);
    QList<FoundRow> rows;
    QList<bool> permitted;
    QStringList prefixes;
    while (query.next()) {
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

// One statement for the phones of every listed record, grouped by record and
// in the order of their kinds. The listed ids travel as one bound value (a
// JSON array on SQLite, an integer array on PostgreSQL), so the search
// condition does not run a second time; a listing of most of the directory
// reads the whole phone table instead, which is cheaper than looking up each
// id. A hidden phone is left out unless the user is named in the record's
// owns; the prefix stands before the first phone row even when every phone is
// left out.
void ListingQueries::addPhones(QList<FoundRow>& rows, const QList<bool>& permitted,
                               const QStringList& prefixes) const
{
    QHash<int, qsizetype> rowOfId;
    rowOfId.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        rowOfId.insert(rows.at(i).id, i);
    QString ids;
    if (rows.size() <= m_wholePhoneTableAbove) {
        ids.reserve(rows.size() * 8);
        for (const FoundRow& row : rows) {
            if (!ids.isEmpty())
                ids += QLatin1Char(',');
            ids += QString::number(row.id);
        }
    }
    const bool postgres = Database::engineOf(m_db) == Engine::PostgreSQL;
    QString listed;
    if (!ids.isEmpty())
        listed =
            postgres
                ? QStringLiteral("WHERE phone.parentid = ANY(CAST(:ids AS integer[])) ")
                : QStringLiteral("WHERE phone.parentid IN (SELECT value FROM json_each(:ids)) ");
    QSqlQuery query =
        open(m_db,
             QStringLiteral("SELECT phone.parentid, notes.note, phone.phone, phone.hid FROM phone "
                            "JOIN notes ON notes.id = phone.noteid %1"
                            "ORDER BY phone.parentid, phone.noteid, phone.phone")
                 .arg(listed),
             [&](QSqlQuery& q) {
                 if (!ids.isEmpty())
                     q.bindValue(QStringLiteral(":ids"),
                                 postgres ? QLatin1Char('{') + ids + QLatin1Char('}')
                                          : QLatin1Char('[') + ids + QLatin1Char(']'));
             });
    int previous = 0;
    bool first = true;
    while (query.next()) {
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

namespace
{
// A birthday of the person, or of the spouse where the user may see the
// spouse data, falls in the window; the record is not hidden from the user.
QString birthdayCondition(const BirthdayWindow& window, Visibility::Filter filter)
{
    return QStringLiteral("(%1 OR (%2 AND %3)) AND %4")
        .arg(window.condition(QStringLiteral("sprav.birthday")),
             window.condition(QStringLiteral("sprav.spbirthday")),
             Visibility::SpouseVisibleCondition(), Visibility::VisibilityFilter(filter));
}
} // namespace

QList<FoundRow> ListingQueries::birthdays(const QDate& today) const
{
    const BirthdayWindow window(today);
    Selection selection;
    selection.from = QStringLiteral("sprav");
    selection.where = birthdayCondition(window, Visibility::Filter::Birthday);
    selection.orderBy = orderByName;
    selection.bind = [this, &window](QSqlQuery& query) {
        window.bind(query);
        Visibility::bindUser(query, m_user);
    };

    QSqlQuery query = open(m_db,
                           QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.birthday, "
                                          "sprav.spbirthday, sprav.owns, sprav.hided FROM %1 "
                                          "WHERE %2 ORDER BY %3")
                               .arg(selection.from, selection.where, selection.orderBy),
                           selection.bind);
    QList<FoundRow> rows;
    QList<bool> permitted;
    while (query.next()) {
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

bool ListingQueries::hasBirthdays(const QDate& today) const
{
    const BirthdayWindow window(today);
    QSqlQuery query =
        Sql::prepare(m_db, QStringLiteral("SELECT sprav.id FROM sprav WHERE %1 LIMIT 1")
                               .arg(birthdayCondition(window, Visibility::Filter::BirthdayProbe)));
    window.bind(query);
    Visibility::bindUser(query, m_user);
    Sql::exec(query);
    return query.next();
}

QStringList ListingQueries::cities() const
{
    QSqlQuery query =
        Sql::run(m_db, QStringLiteral("SELECT DISTINCT city.cityname FROM city, sprav "
                                      "WHERE city.id = sprav.cityid "
                                      "ORDER BY city.cityname"));
    QStringList names;
    while (query.next()) {
        const QString name = Sql::text(query, 0);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}
