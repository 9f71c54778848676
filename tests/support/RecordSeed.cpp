// SPDX-License-Identifier: MIT
#include "RecordSeed.h"
#include "db/Sql.h"

namespace
{
QVariant dateValue(const QVariant& value)
{
    return value.isNull() ? Sql::nullText() : QVariant(value.toString());
}
} // namespace

int RecordSeed::city(const QSqlDatabase& db, const QString& name, const QString& code)
{
    return int(Sql::insertReturningId(
        db,
        QStringLiteral(
            "INSERT INTO city (cityname, citycode) VALUES (:cityname, :citycode) RETURNING id"),
        {{"cityname", name}, {"citycode", code}}));
}

int RecordSeed::record(const QSqlDatabase& db, const Record& r)
{
    return int(Sql::insertReturningId(
        db,
        QStringLiteral("INSERT INTO sprav (f, io, shortpp, longpp, cityid, birthday, spbirthday, "
                       "hided, owns) VALUES (:f, :io, :shortpp, :longpp, :cityid, :birthday, "
                       ":spbirthday, :hided, :owns) RETURNING id"),
        {{"f", r.f},
         {"io", r.io},
         {"shortpp", r.shortpp},
         {"longpp", r.longpp},
         {"cityid", r.cityid},
         {"birthday", dateValue(r.birthday)},
         {"spbirthday", dateValue(r.spbirthday)},
         {"hided", r.hided},
         {"owns", r.owns}}));
}

void RecordSeed::phone(const QSqlDatabase& db, int parentid, int kind, const QString& number,
                       bool hid)
{
    Sql::run(db,
             QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                            "VALUES (:parentid, :phone, :noteid, :hid)"),
             {{"parentid", parentid}, {"phone", number}, {"noteid", kind}, {"hid", hid}});
}
