// SPDX-License-Identifier: MIT
// The listings and record operations, written as plain statements for now;
// they are to be replaced by calls of the search view's listing queries and
// the record editor's record store.
#include "Operations.h"
#include "db/DateText.h"
#include "db/SearchIndex.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QHash>
#include <functional>

namespace
{

const QString listColumns = QStringLiteral(
    "SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, sprav.owns, sprav.hided, city.citycode ");

using Binder = std::function<void(QSqlQuery&)>;

QSqlQuery open(const QSqlDatabase& db, const QString& statement, const Binder& binder)
{
    QSqlQuery query = Sql::prepare(db, statement);
    binder(query);
    Sql::exec(query);
    return query;
}

struct Pending {
    QString owns;
    QString cityCode;
    bool hasPhone = false;
};

// The names of the phone kinds, by noteid.
QHash<int, QString> phoneKinds(const QSqlDatabase& db)
{
    QHash<int, QString> kinds;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT id, note FROM notes"));
    while (q.next())
        kinds.insert(q.value(0).toInt(), Sql::text(q, 1));
    return kinds;
}

// Whether a listing holds so large a part of the records that reading the
// whole phone table is faster than looking up the phones of each.
bool mostRecords(const QSqlDatabase& db, qsizetype listed)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT max(id) FROM sprav"));
    return q.next() && listed * 4 > q.value(0).toLongLong();
}

// Up to this many listed records, their phones are looked up by their ids.
constexpr qsizetype idListLimit = 1000;

// Runs the one phone statement of a listing and appends each listed record's
// phones text. The phones are those of the listed ids, of all records, or of
// `records` (a SELECT of the listing's sprav ids, bound by `binder`),
// whichever is quickest for the listing's size.
void addPhones(const QSqlDatabase& db, const QString& user, const QString& records,
               const Binder& binder, Operations::Listing& rows, QList<Pending>& pending,
               bool withCityCode)
{
    QHash<qint64, qsizetype> rowOf;
    rowOf.reserve(rows.size());
    for (qsizetype n = 0; n < rows.size(); ++n)
        rowOf.insert(rows[n].id, n);
    const QHash<int, QString> kinds = phoneKinds(db);
    QString statement = QStringLiteral("SELECT parentid, phone, noteid, hid FROM phone");
    Binder bind = binder;
    if (rows.size() <= idListLimit) {
        statement += QStringLiteral(" WHERE parentid IN (%1)")
                         .arg(QStringList(rows.size(), QStringLiteral("?")).join(QLatin1Char(',')));
        bind = [&](QSqlQuery& q) {
            for (const Operations::Row& row : std::as_const(rows))
                q.addBindValue(row.id);
        };
    } else if (!mostRecords(db, rows.size())) {
        statement += QStringLiteral(" WHERE parentid IN (%1)").arg(records);
    }
    QSqlQuery q = open(db, statement, bind);
    while (q.next()) {
        const auto it = rowOf.constFind(q.value(0).toLongLong());
        const auto kind = kinds.constFind(q.value(2).toInt());
        if (it == rowOf.constEnd() || kind == kinds.constEnd())
            continue;
        Operations::Row& row = rows[*it];
        Pending& extra = pending[*it];
        if (!extra.hasPhone) {
            extra.hasPhone = true;
            if (withCityCode)
                row.phones = QLatin1Char('(') + extra.cityCode + QStringLiteral(") ");
        }
        if (q.value(3).toBool() && !Visibility::IsPermitted(extra.owns, user))
            continue;
        row.phones += *kind;
        row.phones += Sql::text(q, 1);
        row.phones += QLatin1String("; ");
    }
}

// A listing of the search view: `where` selects the records of sprav joined
// with city.
Operations::Listing list(const QSqlDatabase& db, const QString& user, const QString& join,
                         const QString& where, const QString& order, const Binder& binder)
{
    const QString from =
        QStringLiteral("FROM sprav %1 city ON city.id = sprav.cityid WHERE %2").arg(join, where);
    QSqlQuery q = open(db, listColumns + from + QLatin1Char(' ') + order, binder);
    Operations::Listing rows;
    QList<Pending> pending;
    while (q.next()) {
        rows.append({q.value(0).toLongLong(), Sql::text(q, 1) + QLatin1Char(' ') + Sql::text(q, 2),
                     Sql::text(q, 3), QString()});
        pending.append({Sql::text(q, 4), Sql::text(q, 6), false});
    }
    q.finish();
    if (!rows.isEmpty())
        addPhones(db, user, QStringLiteral("SELECT sprav.id ") + from, binder, rows, pending, true);
    return rows;
}

QStringList dayTexts(const QDate& today)
{
    return {DateText::dayMonth(today), DateText::dayMonth(today.addDays(1)),
            DateText::dayMonth(today.addDays(2))};
}

bool inWindow(const QString& date, const QStringList& days)
{
    if (date == DateText::noDateText())
        return false;
    for (const QString& day : days) {
        if (date.contains(day))
            return true;
    }
    return false;
}

QVariant lookupId(const QSqlDatabase& db, const QString& table, const QString& column,
                  const QString& value)
{
    if (value.isEmpty())
        return Sql::nullInt();
    QSqlQuery q = Sql::run(
        db,
        QStringLiteral("SELECT id FROM %1 WHERE ulower(%2) = ulower(:value)").arg(table, column),
        {{"value", value}});
    return q.next() ? q.value(0) : QVariant(0);
}

QVariant textValue(const QString& text)
{
    return text.isEmpty() ? QVariant(QString()) : QVariant(text);
}

void bindRecord(QSqlQuery& q, const QSqlDatabase& db, const Operations::Record& r)
{
    Sql::bind(
        q, {{"f", textValue(r.f)},
            {"io", textValue(r.io)},
            {"profid", lookupId(db, QStringLiteral("prof"), QStringLiteral("proftitle"), r.prof)},
            {"shortpp", textValue(r.shortpp)},
            {"longpp", textValue(r.longpp)},
            {"cityid", lookupId(db, QStringLiteral("city"), QStringLiteral("cityname"), r.city)},
            {"email", textValue(r.email)},
            {"birthday", r.birthday.isEmpty() ? Sql::nullText() : QVariant(r.birthday)},
            {"info", textValue(r.info)}});
}

} // namespace

Operations::Operations(const QSqlDatabase& db, const QString& user) : m_db(db), m_user(user) {}

Operations::Listing Operations::search(const QString& text)
{
    const QString where = SearchIndex::condition(m_db) + QStringLiteral(" and ") +
                          Visibility::VisibilityFilter(Visibility::Filter::Plain);
    return list(m_db, m_user, QStringLiteral("LEFT JOIN"), where, QString(), [&](QSqlQuery& q) {
        SearchIndex::bind(q, text);
        Visibility::bindUser(q, m_user);
    });
}

Operations::Listing Operations::allRecords()
{
    return list(m_db, m_user, QStringLiteral("LEFT JOIN"),
                Visibility::VisibilityFilter(Visibility::Filter::Plain),
                QStringLiteral("ORDER BY sprav.f, sprav.io"),
                [&](QSqlQuery& q) { Visibility::bindUser(q, m_user); });
}

Operations::Listing Operations::city(const QString& cityName)
{
    // Records without a known city are not of this city: a plain join.
    const QString where = QStringLiteral("ulower(city.cityname) = ulower(:city) and ") +
                          Visibility::VisibilityFilter(Visibility::Filter::Qualified);
    return list(m_db, m_user, QStringLiteral("JOIN"), where, QString(), [&](QSqlQuery& q) {
        q.bindValue(QStringLiteral(":city"), cityName);
        Visibility::bindUser(q, m_user);
    });
}

Operations::Listing Operations::birthdays(const QDate& today)
{
    const QStringList days = dayTexts(today);
    const QString where = QStringLiteral("(instr(coalesce(birthday, ''), :d0) > 0 or "
                                         "instr(coalesce(birthday, ''), :d1) > 0 or "
                                         "instr(coalesce(birthday, ''), :d2) > 0 or "
                                         "instr(coalesce(spbirthday, ''), :d0) > 0 or "
                                         "instr(coalesce(spbirthday, ''), :d1) > 0 or "
                                         "instr(coalesce(spbirthday, ''), :d2) > 0) and ") +
                          Visibility::VisibilityFilter(Visibility::Filter::Birthday);
    const Binder binder = [&](QSqlQuery& q) {
        for (int n = 0; n < 3; ++n)
            q.bindValue(QStringLiteral(":d%1").arg(n), days[n]);
        Visibility::bindUser(q, m_user);
    };
    QSqlQuery q = open(m_db,
                       QStringLiteral("SELECT id, f, io, birthday, spbirthday, owns, hided "
                                      "FROM sprav WHERE %1 ORDER BY f, io")
                           .arg(where),
                       binder);
    Listing rows;
    QList<Pending> pending;
    while (q.next()) {
        const QString birthday = Sql::text(q, 3);
        const QString spouse = Sql::text(q, 4);
        const bool person = inWindow(birthday, days);
        const bool married = inWindow(spouse, days);
        if (!person && !married)
            continue; // only a no-date value matched
        Row row{q.value(0).toLongLong(), Sql::text(q, 1) + QLatin1Char(' ') + Sql::text(q, 2),
                birthday, QString()};
        if (married && !person) {
            row.name += QStringLiteral(" - супруг(а)");
            row.second = spouse;
        } else if (married) {
            row.name += QStringLiteral(" и супруг(а)");
            row.second = birthday + QStringLiteral(" и ") + spouse;
        }
        rows.append(row);
        pending.append({Sql::text(q, 5), QString(), false});
    }
    q.finish();
    if (!rows.isEmpty())
        addPhones(m_db, m_user, QStringLiteral("SELECT id FROM sprav WHERE %1").arg(where), binder,
                  rows, pending, false);
    return rows;
}

Operations::Record Operations::showRecord(qint64 id)
{
    Record r;
    QSqlQuery q =
        Sql::run(m_db, QStringLiteral("SELECT * FROM sprav WHERE id = :id"), {{"id", id}});
    if (!q.next())
        return r;
    r.f = Sql::text(q, 1);
    r.io = Sql::text(q, 2);
    const QVariant profId = q.value(3);
    r.shortpp = Sql::text(q, 4);
    r.longpp = Sql::text(q, 5);
    const QVariant cityId = q.value(10);
    r.email = Sql::text(q, 12);
    r.birthday = Sql::text(q, 14);
    r.info = Sql::text(q, 19);
    r.owns = Sql::text(q, 21);
    r.hided = Sql::text(q, 22);
    QSqlQuery phones = Sql::run(
        m_db,
        QStringLiteral("SELECT phone, noteid FROM phone WHERE parentid = :id ORDER BY noteid"),
        {{"id", id}});
    while (phones.next()) {
        const int kind = phones.value(1).toInt();
        if (kind >= 1 && kind <= 6)
            r.phones[kind - 1] = Sql::text(phones, 0);
    }
    QSqlQuery city = Sql::run(m_db, QStringLiteral("SELECT cityname FROM city WHERE id = :id"),
                              {{"id", cityId}});
    if (city.next())
        r.city = Sql::text(city, 0);
    if (!profId.isNull()) {
        QSqlQuery prof = Sql::run(m_db, QStringLiteral("SELECT proftitle FROM prof WHERE id = :id"),
                                  {{"id", profId}});
        if (prof.next())
            r.prof = Sql::text(prof, 0);
    }
    return r;
}

qint64 Operations::createRecord(const Record& r)
{
    Sql::Transaction transaction(m_db);
    QSqlQuery q = Sql::prepare(
        m_db, QStringLiteral("INSERT INTO sprav (f, io, profid, shortpp, longpp, legaladdress, "
                             "postaddress, fizaddress, homeaddress, cityid, path, email, www, "
                             "birthday, spfio, spbirthday, spInfo, otherphones, info, req, owns, "
                             "hided) VALUES (:f, :io, :profid, :shortpp, :longpp, '', '', '', '', "
                             ":cityid, '', :email, '', :birthday, '', :spbirthday, '', '', :info, "
                             "'', :owns, :hided) RETURNING id"));
    bindRecord(q, m_db, r);
    Sql::bind(q, {{"spbirthday", DateText::noDateText()}, {"owns", r.owns}, {"hided", r.hided}});
    Sql::exec(q);
    if (!q.next())
        return 0;
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    for (int kind = 1; kind <= 6; ++kind) {
        const QString& number = r.phones[kind - 1];
        if (number.isEmpty())
            continue;
        Sql::run(m_db,
                 QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                                "VALUES (:parentid, :phone, :noteid, :hid)"),
                 {{"parentid", id},
                  {"phone", number},
                  {"noteid", kind},
                  {"hid", Visibility::PhoneHidFor(r.hided, kind)}});
    }
    transaction.commit();
    return id;
}

void Operations::changeRecord(qint64 id, const Record& r)
{
    Sql::Transaction transaction(m_db);
    QSqlQuery q = Sql::prepare(
        m_db, QStringLiteral("UPDATE sprav SET f = :f, io = :io, profid = :profid, "
                             "shortpp = :shortpp, longpp = :longpp, cityid = :cityid, "
                             "email = :email, birthday = :birthday, info = :info WHERE id = :id"));
    bindRecord(q, m_db, r);
    Sql::bind(q, {{"id", id}});
    Sql::exec(q);

    std::array<QString, 6> stored;
    QSqlQuery phones = Sql::run(
        m_db,
        QStringLiteral("SELECT phone, noteid FROM phone WHERE parentid = :id ORDER BY noteid"),
        {{"id", id}});
    while (phones.next()) {
        const int kind = phones.value(1).toInt();
        if (kind >= 1 && kind <= 6)
            stored[kind - 1] = Sql::text(phones, 0);
    }
    const QString hided = r.hided;
    for (int kind = 1; kind <= 6; ++kind) {
        const QString& wanted = r.phones[kind - 1];
        const QString& had = stored[kind - 1];
        const QVariant hid = Visibility::PhoneHidFor(hided, kind);
        if (wanted.isEmpty() && !had.isEmpty())
            Sql::run(m_db,
                     QStringLiteral("DELETE FROM phone WHERE parentid = :parentid AND "
                                    "noteid = :noteid"),
                     {{"parentid", id}, {"noteid", kind}});
        else if (!wanted.isEmpty() && had.isEmpty())
            Sql::run(m_db,
                     QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                                    "VALUES (:parentid, :phone, :noteid, :hid)"),
                     {{"parentid", id}, {"phone", wanted}, {"noteid", kind}, {"hid", hid}});
        else if (!wanted.isEmpty())
            Sql::run(m_db,
                     QStringLiteral("UPDATE phone SET phone = :phone, hid = :hid "
                                    "WHERE parentid = :parentid AND noteid = :noteid"),
                     {{"phone", wanted}, {"hid", hid}, {"parentid", id}, {"noteid", kind}});
    }
    transaction.commit();
}
