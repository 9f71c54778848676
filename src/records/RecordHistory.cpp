// SPDX-License-Identifier: MIT
#include "records/RecordHistory.h"
#include "common/Clock.h"
#include "common/DbError.h"
#include "db/DateText.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <functional>

namespace
{

// The columns of sprav after its id, in their order; the history holds a copy
// of each.
const QString recordColumns = QStringLiteral(
    "f, io, profid, shortpp, longpp, legaladdress, postaddress, fizaddress, homeaddress, "
    "cityid, path, email, www, birthday, spfio, spbirthday, spInfo, otherphones, info, req, "
    "owns, hided");

// A history row read as sprav's row (id and the columns by position), then
// histid, the written revision (24 to 26), gone_usr, gone_at, deleted.
QString historySelect(const QString& condition)
{
    return QStringLiteral("SELECT id, %1, histid, rev, usr, at, gone_usr, gone_at, deleted "
                          "FROM sprav_history WHERE %2")
        .arg(recordColumns, condition);
}

QVariant userValue(const QString& user)
{
    return user.isEmpty() ? Sql::nullText() : QVariant(user);
}

// The fields a user may compare and see, by the names the history gives them.
struct Field {
    const char* name;
    std::function<QString(const RecordData&)> value;
};

const QList<Field>& fields()
{
    static const QList<Field> list = [] {
        QList<Field> l = {
            {"f", [](const RecordData& r) { return r.f; }},
            {"io", [](const RecordData& r) { return r.io; }},
            {"prof", [](const RecordData& r) { return r.prof; }},
            {"shortpp", [](const RecordData& r) { return r.shortpp; }},
            {"longpp", [](const RecordData& r) { return r.longpp; }},
            {"legaladdress", [](const RecordData& r) { return r.legaladdress; }},
            {"postaddress", [](const RecordData& r) { return r.postaddress; }},
            {"fizaddress", [](const RecordData& r) { return r.fizaddress; }},
            {"homeaddress", [](const RecordData& r) { return r.homeaddress; }},
            {"city", [](const RecordData& r) { return r.city; }},
            {"path", [](const RecordData& r) { return r.path; }},
            {"email", [](const RecordData& r) { return r.email; }},
            {"www", [](const RecordData& r) { return r.www; }},
            {"birthday",
             [](const RecordData& r) { return DateText::toText(r.birthday) + r.unreadBirthday; }},
            {"otherphones", [](const RecordData& r) { return r.otherphones; }},
            {"info", [](const RecordData& r) { return r.info; }},
            {"spfio", [](const RecordData& r) { return r.spfio; }},
            {"spbirthday", [](const RecordData& r) { return r.spbirthday; }},
            {"spInfo", [](const RecordData& r) { return r.spinfo; }},
            {"req", [](const RecordData& r) { return r.req; }},
            {"owns", [](const RecordData& r) { return r.owns; }},
            {"hided", [](const RecordData& r) { return r.hided; }},
        };
        static const char* const phones[] = {"",       "phone1", "phone2", "phone3",
                                             "phone4", "phone5", "phone6"};
        for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
            l.append({phones[kind], [kind](const RecordData& r) { return r.phones[kind]; }});
        return l;
    }();
    return list;
}

// What the privacy codes `hided` hide, left out of a record.
void dropAs(RecordData& r, const QString& hided)
{
    const QString own = r.hided;
    r.hided = hided;
    RecordStore::dropHidden(r);
    r.hided = own;
}

// The fields that differ between two states, as the user may see them: what
// either state hides from the user is left out of both, so that a change of a
// hidden value is never named.
QStringList changedFields(RecordData older, RecordData newer, const QString& user)
{
    const QString olderHided = older.hided;
    const QString newerHided = newer.hided;
    for (const auto& [owns, hided] : {std::pair{older.owns, olderHided}, {newer.owns, newerHided}})
        if (!Visibility::IsExempt(owns, user)) {
            dropAs(older, hided);
            dropAs(newer, hided);
        }
    QStringList names;
    for (const Field& field : fields())
        if (field.value(older) != field.value(newer))
            names.append(QLatin1String(field.name));
    return names;
}

} // namespace

RecordHistory::RecordHistory(const QSqlDatabase& db) : m_db(db) {}

void RecordHistory::keep(const QSqlDatabase& db, int id, const RecordRevision& written,
                         const RecordRevision& change, bool deleted)
{
    QSqlQuery copied = Sql::run(
        db,
        QStringLiteral(
            "INSERT INTO sprav_history (id, rev, usr, at, gone_usr, gone_at, deleted, "
            "%1) SELECT id, CAST(:rev AS INTEGER), CAST(:usr AS TEXT), CAST(:at AS TEXT), "
            "CAST(:gone_usr AS TEXT), CAST(:gone_at AS TEXT), "
            "CAST(:deleted AS INTEGER), %1 "
            "FROM sprav WHERE id = :id RETURNING histid")
            .arg(recordColumns),
        {{"rev", written.rev},
         {"usr", userValue(written.user)},
         {"at", written.at.isValid() ? QVariant(DateText::toStamp(written.at)) : Sql::nullText()},
         {"gone_usr", userValue(change.user)},
         {"gone_at", DateText::toStamp(change.at)},
         {"deleted", deleted ? 1 : 0},
         {"id", id}});
    if (!copied.next())
        throw DbError(
            QStringLiteral("Запись не найдена: возможно, её удалил другой пользователь."));
    const qint64 histId = copied.value(0).toLongLong();
    copied.finish();
    Sql::run(
        db,
        QStringLiteral("INSERT INTO phone_history (histid, parentid, phone, noteid, hid) "
                       "SELECT CAST(:histid AS INTEGER), parentid, phone, noteid, hid FROM phone "
                       "WHERE parentid = :id"),
        {{"histid", histId}, {"id", id}});
}

QList<RecordVersion> RecordHistory::read(const QString& condition,
                                         std::initializer_list<Sql::Binding> bindings)
{
    QList<RecordVersion> found;
    QList<std::pair<QVariant, QVariant>> profAndCity;
    QSqlQuery q = Sql::run(m_db, historySelect(condition), bindings);
    while (Sql::next(q)) {
        RecordVersion v;
        v.data = RecordStore::fromRow(q);
        v.id = q.value(0).toInt();
        v.histId = q.value(23).toInt();
        v.written = {q.value(24).toInt(), Sql::text(q, 25), DateText::fromStamp(Sql::text(q, 26))};
        v.changedBy = Sql::text(q, 27);
        v.changedAt = DateText::fromStamp(Sql::text(q, 28));
        v.deleted = q.value(29).toInt() != 0;
        profAndCity.append({q.value(3), q.value(10)});
        found.append(v);
    }
    // Each looked up once the rows are read: a connection runs one statement
    // at a time.
    q.finish();
    RecordStore store(m_db);
    for (qsizetype i = 0; i < found.size(); ++i) {
        RecordVersion& v = found[i];
        v.data.prof = store.profTitle(profAndCity.at(i).first);
        v.data.city = store.cityName(profAndCity.at(i).second);
        QSqlQuery phones = Sql::run(
            m_db, QStringLiteral("SELECT phone, noteid FROM phone_history WHERE histid = :histid"),
            {{"histid", v.histId}});
        while (phones.next()) {
            const int kind = phones.value(1).toInt();
            if (kind >= RecordData::firstPhoneKind && kind <= RecordData::lastPhoneKind)
                v.data.phones[kind] = Sql::text(phones, 0);
        }
    }
    return found;
}

QList<RecordVersion> RecordHistory::versions(int id, const QString& user)
{
    RecordStore store(m_db);
    // Read as stored: what the user may see is decided below, per version.
    const std::optional<RecordData> current = store.stored(id);
    if (current && Visibility::HiddenAsWhole(current->hided, current->owns, user))
        return {};
    QList<RecordVersion> all = read(QStringLiteral("id = :id ORDER BY histid DESC"), {{"id", id}});
    QList<RecordVersion> shown;
    for (qsizetype i = 0; i < all.size(); ++i) {
        RecordVersion v = all.at(i);
        if (Visibility::HiddenAsWhole(v.data.hided, v.data.owns, user))
            continue;
        // The state that replaced it: the next newer one, or the record as it
        // is now; a deletion replaced it with nothing.
        if (!v.deleted) {
            const RecordData* newer = i > 0 ? &all.at(i - 1).data : (current ? &*current : nullptr);
            if (newer)
                v.changedFields = changedFields(v.data, *newer, user);
        }
        if (!Visibility::IsExempt(v.data.owns, user))
            RecordStore::dropHidden(v.data);
        shown.append(v);
    }
    return shown;
}

QList<RecordVersion> RecordHistory::deletedRecords(const QString& user, int days)
{
    const QString since = DateText::toStamp(Clock::now().addDays(-days));
    QList<RecordVersion> shown;
    for (RecordVersion& v : read(QStringLiteral("deleted = 1 AND gone_at >= :since "
                                                "ORDER BY gone_at DESC, histid DESC"),
                                 {{"since", since}})) {
        // Only who could have changed the record could have deleted it.
        if (!Visibility::IsExempt(v.data.owns, user))
            continue;
        shown.append(v);
    }
    return shown;
}

int RecordHistory::restoreDeleted(int histId, const QString& user)
{
    Sql::Transaction transaction(m_db);
    int id = 0;
    {
        QSqlQuery q = Sql::run(m_db,
                               QStringLiteral("SELECT id, owns FROM sprav_history "
                                              "WHERE histid = :histid AND deleted = 1"),
                               {{"histid", histId}});
        if (!q.next() || !Visibility::IsExempt(Sql::text(q, 1), user))
            throw DbError(QStringLiteral("Удалённая запись не найдена: возможно, её уже "
                                         "восстановил другой пользователь."));
        id = q.value(0).toInt();
    }
    // Deleted records are marked off first: of two users restoring it at
    // the same moment only one gets it.
    const QSqlQuery marked =
        Sql::run(m_db,
                 QStringLiteral(
                     "UPDATE sprav_history SET deleted = 2 WHERE histid = :histid AND deleted = 1"),
                 {{"histid", histId}});
    if (marked.numRowsAffected() != 1)
        throw DbError(QStringLiteral("Удалённая запись не найдена: возможно, её уже "
                                     "восстановил другой пользователь."));
    bool taken = false;
    {
        QSqlQuery q =
            Sql::run(m_db, QStringLiteral("SELECT 1 FROM sprav WHERE id = :id"), {{"id", id}});
        taken = q.next();
    }
    if (taken) {
        id = int(Sql::insertReturningId(
            m_db,
            QStringLiteral("INSERT INTO sprav (%1) SELECT %1 FROM sprav_history "
                           "WHERE histid = :histid RETURNING id")
                .arg(recordColumns),
            {{"histid", histId}}));
        Sql::run(m_db, QStringLiteral("UPDATE sprav_history SET id = :id WHERE histid = :histid"),
                 {{"id", id}, {"histid", histId}});
    } else {
        Sql::run(m_db,
                 QStringLiteral("INSERT INTO sprav (id, %1) SELECT id, %1 FROM sprav_history "
                                "WHERE histid = :histid")
                     .arg(recordColumns),
                 {{"histid", histId}});
    }
    Sql::run(m_db,
             QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                            "SELECT CAST(:id AS INTEGER), phone, noteid, hid FROM phone_history "
                            "WHERE histid = :histid"),
             {{"id", id}, {"histid", histId}});
    Sql::run(m_db,
             QStringLiteral("INSERT INTO sprav_rev (id, rev, usr, at) VALUES (:id, 1, :usr, :at) "
                            "ON CONFLICT (id) DO UPDATE SET rev = sprav_rev.rev + 1, "
                            "usr = excluded.usr, at = excluded.at"),
             {{"id", id}, {"usr", userValue(user)}, {"at", DateText::toStamp(Clock::now())}});
    transaction.commit();
    return id;
}

int RecordHistory::restoreVersion(int id, int histId, const RecordWrite& write)
{
    Sql::Transaction transaction(m_db);
    {
        QSqlQuery q = Sql::run(m_db,
                               QStringLiteral("SELECT 1 FROM sprav_history "
                                              "WHERE histid = :histid AND id = :id"),
                               {{"histid", histId}, {"id", id}});
        if (!q.next())
            throw DbError(QStringLiteral("Версия записи не найдена."));
    }
    RecordStore store(m_db);
    const std::optional<RecordData> current = store.stored(id);
    if (current && !Visibility::IsExempt(current->owns, write.user))
        throw DbError(QStringLiteral("Эту запись вам изменять нельзя"));
    const int rev = store.advance(id, write);
    QStringList assignments;
    for (const QString& column : recordColumns.split(QStringLiteral(", ")))
        assignments.append(QStringLiteral("%1 = h.%1").arg(column));
    Sql::run(m_db,
             QStringLiteral("UPDATE sprav SET %1 FROM sprav_history AS h "
                            "WHERE sprav.id = :id AND h.histid = :histid")
                 .arg(assignments.join(QStringLiteral(", "))),
             {{"id", id}, {"histid", histId}});
    Sql::run(m_db, QStringLiteral("DELETE FROM phone WHERE parentid = :id"), {{"id", id}});
    Sql::run(m_db,
             QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                            "SELECT CAST(:id AS INTEGER), phone, noteid, hid FROM phone_history "
                            "WHERE histid = :histid"),
             {{"id", id}, {"histid", histId}});
    transaction.commit();
    return rev;
}
