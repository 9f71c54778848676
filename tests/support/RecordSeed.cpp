// SPDX-License-Identifier: MIT
#include "RecordSeed.h"
#include "db/Sql.h"

namespace
{
QVariant dateText(const QString& text)
{
    return text.isEmpty() ? Sql::nullText() : QVariant(text);
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

int RecordSeed::record(const QSqlDatabase& db, const RecordData& r, int cityid)
{
    const QString birthday =
        r.birthday.isValid() ? r.birthday.toString(QStringLiteral("dd.MM.yyyy")) : r.unreadBirthday;
    return int(Sql::insertReturningId(
        db,
        QStringLiteral("INSERT INTO sprav (f, io, shortpp, longpp, cityid, birthday, spbirthday, "
                       "hided, owns) VALUES (:f, :io, :shortpp, :longpp, :cityid, :birthday, "
                       ":spbirthday, :hided, :owns) RETURNING id"),
        {{"f", r.f},
         {"io", r.io},
         {"shortpp", r.shortpp},
         {"longpp", r.longpp},
         {"cityid", cityid},
         {"birthday", dateText(birthday)},
         {"spbirthday", dateText(r.spbirthday)},
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
