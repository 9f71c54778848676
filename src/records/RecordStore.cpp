// SPDX-License-Identifier: MIT
#include "records/RecordStore.h"
#include "common/Clock.h"
#include "common/DbError.h"
#include "db/DateText.h"
#include "db/HiddenFields.h"
#include "db/Sql.h"
#include "db/StoredText.h"
#include "db/TextFold.h"
#include "db/Visibility.h"
#include "records/RecordHistory.h"

#include <QSet>

namespace
{

bool isTrimmedAway(QChar c)
{
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

// Texts are stored as text, an empty one too: never as NULL.
QString exact(const QString& text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QVariant orNull(int id)
{
    return id != 0 ? QVariant(id) : Sql::nullInt();
}

QVariant birthdayValue(const RecordData& r)
{
    if (r.birthday.isValid() && r.birthday != DateText::noDate())
        return DateText::toText(r.birthday);
    return r.unreadBirthday.isEmpty() ? Sql::nullText() : QVariant(r.unreadBirthday);
}

QVariant dateTextValue(const QString& text)
{
    return text.isEmpty() ? Sql::nullText() : QVariant(text);
}

// The editor's own columns, written by a new record and by a change alike.
void bindEditorColumns(QSqlQuery& query, const RecordData& r, int prof, int city)
{
    const auto text = [&query](const char* name, const QString& value) {
        query.bindValue(QLatin1Char(':') + QLatin1String(name), exact(RecordStore::trimmed(value)));
    };
    text("f", r.f);
    text("io", r.io);
    query.bindValue(QStringLiteral(":profid"), orNull(prof));
    query.bindValue(QStringLiteral(":cityid"), city);
    text("shortpp", r.shortpp);
    text("longpp", r.longpp);
    text("legaladdress", r.legaladdress);
    text("postaddress", r.postaddress);
    text("fizaddress", r.fizaddress);
    text("homeaddress", r.homeaddress);
    text("path", r.path);
    text("email", r.email);
    text("www", r.www);
    query.bindValue(QStringLiteral(":birthday"), birthdayValue(r));
    text("otherphones", r.otherphones);
    text("info", r.info);
}

// Another workstation may have deleted the record meanwhile: what the user
// typed for it must not be reported as stored.
void requireChanged(const QSqlQuery& query)
{
    if (query.numRowsAffected() == 0)
        throw DbError(
            QStringLiteral("Запись не найдена: возможно, её удалил другой пользователь."));
}

QVariant userValue(const QString& user)
{
    return user.isEmpty() ? Sql::nullText() : QVariant(user);
}

RecordRevision revisionAt(const QSqlQuery& q, int column)
{
    return {q.value(column).toInt(), Sql::text(q, column + 1),
            DateText::fromStamp(Sql::text(q, column + 2))};
}

QString conflictText(RecordConflict::Kind kind, const QString& user, const QDateTime& at)
{
    QString text = kind == RecordConflict::Changed
                       ? QStringLiteral("Запись изменена другим пользователем")
                       : QStringLiteral("Запись удалена другим пользователем");
    QStringList who;
    if (!user.isEmpty())
        who.append(user);
    if (at.isValid())
        who.append(at.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    if (!who.isEmpty())
        text += QStringLiteral(" (") + who.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text + (kind == RecordConflict::Changed
                       ? QStringLiteral(". Ваши изменения не сохранены: откройте запись заново.")
                       : QStringLiteral(". Ваши изменения не сохранены."));
}

} // namespace

RecordConflict::RecordConflict(Kind kind, const QString& user, const QDateTime& at)
    : DbError(conflictText(kind, user, at)), kind(kind), user(user), at(at)
{
}

RecordStore::RecordStore(const QSqlDatabase& db) : m_db(db) {}

RecordRevision RecordStore::revision(int id)
{
    QSqlQuery q = Sql::run(
        m_db, QStringLiteral("SELECT rev, usr, at FROM sprav_rev WHERE id = :id"), {{"id", id}});
    return q.next() ? revisionAt(q, 0) : RecordRevision();
}

int RecordStore::advance(int id, const RecordWrite& write, bool deleting)
{
    // A record stored before revisions were kept gets its row at revision 0.
    Sql::run(m_db,
             QStringLiteral(
                 "INSERT INTO sprav_rev (id, rev) VALUES (:id, 0) ON CONFLICT (id) DO NOTHING"),
             {{"id", id}});
    const auto exists = [this, id] {
        return Sql::run(m_db, QStringLiteral("SELECT 1 FROM sprav WHERE id = :id"), {{"id", id}})
            .next();
    };
    // Read again when refusing: the other writer may have deleted it since.
    const auto refuse = [this, id, &exists]() -> RecordConflict {
        const RecordRevision stored = revision(id);
        if (exists())
            return RecordConflict(RecordConflict::Changed, stored.user, stored.at);
        // Deleted by a program that kept no revisions: there is nobody to name.
        if (stored.rev == 0)
            throw DbError(
                QStringLiteral("Запись не найдена: возможно, её удалил другой пользователь."));
        return RecordConflict(RecordConflict::Deleted, stored.user, stored.at);
    };
    const RecordRevision stored = revision(id);
    if (!exists() || (stored.rev != write.seenRev && !write.overwrite))
        throw refuse();
    // The revision read must still be the stored one when it is raised: of
    // two writers at the same moment only one gets the row.
    const RecordRevision change{stored.rev + 1, write.user, Clock::now()};
    const QSqlQuery raised =
        Sql::run(m_db,
                 QStringLiteral("UPDATE sprav_rev SET rev = :rev, usr = :usr, at = :at "
                                "WHERE id = :id AND rev = :stored"),
                 {{"rev", change.rev},
                  {"usr", userValue(change.user)},
                  {"at", DateText::toStamp(change.at)},
                  {"id", id},
                  {"stored", stored.rev}});
    if (raised.numRowsAffected() != 1)
        throw refuse();
    RecordHistory::keep(m_db, id, stored, change, deleting);
    return change.rev;
}

void RecordStore::dropHidden(RecordData& r)
{
    const auto hidden = [&r](HiddenPart part) { return HiddenFields::hides(r.hided, part); };
    const std::pair<HiddenPart, QString*> texts[] = {
        {HiddenPart::LegalAddress, &r.legaladdress},
        {HiddenPart::FizAddress, &r.fizaddress},
        {HiddenPart::PostAddress, &r.postaddress},
        {HiddenPart::HomeAddress, &r.homeaddress},
        {HiddenPart::Path, &r.path},
        {HiddenPart::Email, &r.email},
        {HiddenPart::Requisites, &r.req},
        {HiddenPart::OtherPhones, &r.otherphones},
    };
    for (const auto& [part, text] : texts)
        if (hidden(part))
            text->clear();
    if (hidden(HiddenPart::Birthday)) {
        r.birthday = QDate();
        r.unreadBirthday.clear();
    }
    if (hidden(HiddenPart::Spouse)) {
        r.spfio.clear();
        r.spbirthday.clear();
        r.spinfo.clear();
    }
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (hidden(HiddenFields::phone(kind)))
            r.phones[kind].clear();
}

QString RecordStore::trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmedAway(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmedAway(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

int RecordStore::insert(const RecordData& r, const QString& user)
{
    // Looked up before the transaction, so that it begins with a write.
    const int prof = r.prof.isEmpty() ? 0 : profId(r.prof);
    const int city = cityId(r.city);

    Sql::Transaction transaction(m_db);
    const int id = insertInTransaction(r, prof, city, user);
    transaction.commit();
    return id;
}

int RecordStore::insertInTransaction(const RecordData& r, int prof, int city, const QString& user)
{
    if (!m_recordInsert)
        m_recordInsert = std::make_shared<Sql::Kept>(
            m_db,
            QStringLiteral(
                "INSERT INTO sprav (f, io, profid, shortpp, longpp, legaladdress, postaddress, "
                "homeaddress, fizaddress, cityid, path, email, www, birthday, otherphones, spfio, "
                "spbirthday, spInfo, info, req, owns, hided) VALUES (:f, :io, :profid, :shortpp, "
                ":longpp, :legaladdress, :postaddress, :homeaddress, :fizaddress, :cityid, :path, "
                ":email, :www, :birthday, :otherphones, :spfio, :spbirthday, :spinfo, :info, "
                ":req, :owns, :hided) RETURNING id"));
    QSqlQuery& insert = m_recordInsert->query();
    bindEditorColumns(insert, r, prof, city);
    Sql::bind(insert, {{"spfio", exact(trimmed(r.spfio))},
                       {"spbirthday", dateTextValue(r.spbirthday)},
                       {"spinfo", exact(trimmed(r.spinfo))},
                       {"req", exact(trimmed(r.req))},
                       {"hided", exact(r.hided)},
                       {"owns", exact(r.owns)}});
    Sql::exec(insert);
    const qint64 id = Sql::returnedId(insert);
    if (!m_revisionInsert)
        m_revisionInsert = std::make_shared<Sql::Kept>(
            m_db,
            QStringLiteral("INSERT INTO sprav_rev (id, rev, usr, at) "
                           "VALUES (:id, 1, :usr, :at) ON CONFLICT (id) DO UPDATE "
                           "SET rev = sprav_rev.rev + 1, usr = excluded.usr, at = excluded.at"));
    QSqlQuery& revision = m_revisionInsert->query();
    Sql::bind(revision,
              {{"id", int(id)}, {"usr", userValue(user)}, {"at", DateText::toStamp(Clock::now())}});
    Sql::exec(revision);
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (!r.phones[kind].isEmpty())
            insertPhone(int(id), kind, r.phones[kind], r.hided);
    return int(id);
}

void RecordStore::insertPhone(int parentId, int kind, const QString& phone, const QString& hided)
{
    if (!m_phoneInsert)
        m_phoneInsert = std::make_shared<Sql::Kept>(
            m_db, QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                                 "VALUES (:parentid, :phone, :noteid, :hid)"));
    QSqlQuery& insert = m_phoneInsert->query();
    Sql::bind(insert, {{"parentid", parentId},
                       {"phone", phone},
                       {"noteid", kind},
                       {"hid", Visibility::PhoneHidFor(hided, kind)}});
    Sql::exec(insert);
}

RecordData RecordStore::fromRow(const QSqlQuery& q)
{
    RecordData r;
    r.f = Sql::text(q, 1);
    r.io = Sql::text(q, 2);
    r.shortpp = Sql::text(q, 4);
    r.longpp = Sql::text(q, 5);
    r.legaladdress = Sql::text(q, 6);
    r.postaddress = Sql::text(q, 7);
    r.fizaddress = Sql::text(q, 8);
    r.homeaddress = Sql::text(q, 9);
    r.path = Sql::text(q, 11);
    r.email = Sql::text(q, 12);
    r.www = Sql::text(q, 13);
    // A text that does not parse (written under other settings) shows as
    // no date and is kept as it stands.
    const QString birthday = Sql::text(q, 14);
    r.birthday = DateText::fromText(birthday);
    if (!r.birthday.isValid() && !birthday.trimmed().isEmpty())
        r.unreadBirthday = birthday;
    r.spfio = Sql::text(q, 15);
    r.spbirthday = Sql::text(q, 16);
    r.spinfo = Sql::text(q, 17);
    r.otherphones = Sql::text(q, 18);
    r.info = Sql::text(q, 19);
    r.req = Sql::text(q, 20);
    r.owns = Sql::text(q, 21);
    r.hided = Sql::text(q, 22);
    return r;
}

std::optional<RecordData> RecordStore::load(int id, const QString& user, Access* access,
                                            RecordRevision* revision)
{
    Access ignored;
    Access& found = access ? *access : ignored;
    found = Access::Missing;
    std::optional<RecordData> r = stored(id, revision);
    if (!r)
        return std::nullopt;
    // The visibility of the moment counts, not that of the list it came from.
    if (Visibility::HiddenAsWhole(r->hided, r->owns, user)) {
        found = Access::HiddenAsWhole;
        return std::nullopt;
    }
    found = Access::Shown;
    if (!Visibility::IsExempt(r->owns, user))
        dropHidden(*r);
    return r;
}

std::optional<RecordData> RecordStore::stored(int id, RecordRevision* revision)
{
    RecordData r;
    QVariant prof;
    QVariant city;
    RecordRevision seen;
    {
        QSqlQuery q = Sql::run(m_db,
                               QStringLiteral("SELECT sprav.*, r.rev, r.usr, r.at FROM sprav "
                                              "LEFT JOIN sprav_rev AS r ON r.id = sprav.id "
                                              "WHERE sprav.id = :id"),
                               {{"id", id}});
        if (!q.next())
            return std::nullopt;
        r = fromRow(q);
        prof = q.value(3);
        city = q.value(10);
        seen = revisionAt(q, 23);
    }
    r.prof = profTitle(prof);
    r.city = cityName(city);
    {
        QSqlQuery q =
            Sql::run(m_db, QStringLiteral("SELECT phone, noteid FROM phone WHERE parentid = :id"),
                     {{"id", id}});
        while (q.next()) {
            const int kind = q.value(1).toInt();
            // Other kinds have no edit; the editor never writes them.
            if (kind >= RecordData::firstPhoneKind && kind <= RecordData::lastPhoneKind)
                r.phones[kind] = Sql::text(q, 0);
        }
    }
    // A change stored between the two reads: the phones may belong to the
    // newer revision, so the whole record is read again.
    if (this->revision(id).rev != seen.rev)
        return stored(id, revision);
    if (revision)
        *revision = seen;
    return r;
}

QString RecordStore::profTitle(const QVariant& id)
{
    if (id.isNull())
        return {};
    QSqlQuery q = Sql::run(m_db, QStringLiteral("SELECT proftitle FROM prof WHERE id = :id"),
                           {{"id", id.toInt()}});
    return q.next() ? Sql::text(q, 0) : QString();
}

QString RecordStore::cityName(const QVariant& id)
{
    if (id.isNull())
        return {};
    QSqlQuery q = Sql::run(m_db, QStringLiteral("SELECT cityname FROM city WHERE id = :id"),
                           {{"id", id.toInt()}});
    return q.next() ? Sql::text(q, 0) : QString();
}

int RecordStore::update(int id, const RecordData& r, const RecordWrite& write)
{
    const int prof = r.prof.isEmpty() ? 0 : profId(r.prof);
    const int city = r.city.isEmpty() ? 0 : cityId(r.city);

    Sql::Transaction transaction(m_db);
    const int rev = advance(id, write);
    QSqlQuery changed = Sql::prepare(
        m_db, QStringLiteral("UPDATE sprav SET f = :f, io = :io, profid = :profid, "
                             "shortpp = :shortpp, longpp = :longpp, legaladdress = :legaladdress, "
                             "postaddress = :postaddress, homeaddress = :homeaddress, "
                             "fizaddress = :fizaddress, cityid = :cityid, path = :path, "
                             "email = :email, www = :www, birthday = :birthday, "
                             "otherphones = :otherphones, info = :info WHERE id = :curid"));
    bindEditorColumns(changed, r, prof, city);
    changed.bindValue(QStringLiteral(":curid"), id);
    Sql::exec(changed);
    // Nor may its phones be written back as rows that belong to no record.
    requireChanged(changed);

    QSet<int> stored;
    {
        QSqlQuery q = Sql::run(
            m_db, QStringLiteral("SELECT phone, noteid FROM phone WHERE parentid = :parentid"),
            {{"parentid", id}});
        while (q.next())
            stored.insert(q.value(1).toInt());
    }
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind) {
        const QString& phone = r.phones[kind];
        if (phone.isEmpty()) {
            if (stored.contains(kind))
                Sql::run(m_db,
                         QStringLiteral(
                             "DELETE FROM phone WHERE parentid = :parentid AND noteid = :noteid"),
                         {{"parentid", id}, {"noteid", kind}});
        } else if (!stored.contains(kind)) {
            insertPhone(id, kind, phone, r.hided);
        } else {
            Sql::run(m_db,
                     QStringLiteral("UPDATE phone SET phone = :phone, hid = :hid "
                                    "WHERE parentid = :parentid AND noteid = :noteid"),
                     {{"phone", phone},
                      {"hid", Visibility::PhoneHidFor(r.hided, kind)},
                      {"parentid", id},
                      {"noteid", kind}});
        }
    }
    transaction.commit();
    return rev;
}

void RecordStore::remove(int id, const RecordWrite& write)
{
    Sql::Transaction transaction(m_db);
    advance(id, write, true);
    Sql::run(m_db, QStringLiteral("DELETE FROM sprav WHERE id = :curid"), {{"curid", id}});
    Sql::run(m_db, QStringLiteral("DELETE FROM phone WHERE parentid = :curid"), {{"curid", id}});
    transaction.commit();
}

int RecordStore::updateReq(int id, const QString& req, const RecordWrite& write)
{
    Sql::Transaction transaction(m_db);
    const int rev = advance(id, write);
    requireChanged(Sql::run(m_db, QStringLiteral("UPDATE sprav SET req = :req WHERE id = :curid"),
                            {{"req", exact(trimmed(req))}, {"curid", id}}));
    transaction.commit();
    return rev;
}

int RecordStore::updateSpouse(int id, const QString& spfio, const QString& spbirthday,
                              const QString& spinfo, const RecordWrite& write)
{
    Sql::Transaction transaction(m_db);
    const int rev = advance(id, write);
    requireChanged(
        Sql::run(m_db,
                 QStringLiteral("UPDATE sprav SET spfio = :spfio, spbirthday = :spbirthday, "
                                "spInfo = :spinfo WHERE id = :curid"),
                 {{"spfio", exact(trimmed(spfio))},
                  {"spbirthday", dateTextValue(spbirthday)},
                  {"spinfo", exact(trimmed(spinfo))},
                  {"curid", id}}));
    transaction.commit();
    return rev;
}

int RecordStore::updatePrivacy(int id, const QString& owns, const QString& hided,
                               const QList<int>& filledKinds, const RecordWrite& write)
{
    Sql::Transaction transaction(m_db);
    const int rev = advance(id, write);
    requireChanged(Sql::run(
        m_db, QStringLiteral("UPDATE sprav SET owns = :owns, hided = :hided WHERE id = :curid"),
        {{"owns", exact(owns)}, {"hided", exact(hided)}, {"curid", id}}));
    for (int kind : filledKinds)
        Sql::run(
            m_db,
            QStringLiteral(
                "UPDATE phone SET hid = :hid WHERE parentid = :parentid AND noteid = :noteid"),
            {{"hid", Visibility::PhoneHidFor(hided, kind)}, {"parentid", id}, {"noteid", kind}});
    transaction.commit();
    return rev;
}

int RecordStore::profId(const QString& title)
{
    if (title.isEmpty())
        return 0;
    QSqlQuery q = Sql::run(m_db,
                           QStringLiteral("SELECT id FROM prof WHERE %1 = %2")
                               .arg(TextFold::sql(QStringLiteral("proftitle")),
                                    TextFold::sql(QStringLiteral(":title"))),
                           {{"title", title}});
    return q.next() ? q.value(0).toInt() : 0;
}

int RecordStore::cityId(const QString& name)
{
    if (name.isEmpty())
        return 0;
    QSqlQuery q = Sql::run(
        m_db,
        QStringLiteral("SELECT id FROM city WHERE %1 = %2")
            .arg(TextFold::sql(QStringLiteral("cityname")), TextFold::sql(QStringLiteral(":name"))),
        {{"name", name}});
    return q.next() ? q.value(0).toInt() : 0;
}

std::optional<QString> RecordStore::cityCode(const QString& name)
{
    // No city name stored holds a NUL, and no engine takes one bound.
    if (name.isEmpty() || !StoredText::storable(name))
        return std::nullopt;
    QSqlQuery q = Sql::run(
        m_db,
        QStringLiteral("SELECT id, cityname, citycode FROM city WHERE %1 = %2")
            .arg(TextFold::sql(QStringLiteral("cityname")), TextFold::sql(QStringLiteral(":name"))),
        {{"name", name}});
    if (!q.next())
        return std::nullopt;
    return Sql::text(q, 2);
}

int RecordStore::addProf(const QString& title)
{
    return int(Sql::insertReturningId(
        m_db, QStringLiteral("INSERT INTO prof (proftitle) VALUES (:proftitle) RETURNING id"),
        {{"proftitle", exact(title)}}));
}

int RecordStore::addCity(const QString& name, const QString& code)
{
    return int(Sql::insertReturningId(
        m_db,
        QStringLiteral(
            "INSERT INTO city (cityname, citycode) VALUES (:cityname, :citycode) RETURNING id"),
        {{"cityname", exact(name)}, {"citycode", exact(code)}}));
}

QStringList RecordStore::profTitles()
{
    QStringList titles;
    QSqlQuery q = Sql::run(m_db, QStringLiteral("SELECT id, proftitle FROM prof ORDER BY id"));
    while (q.next())
        titles.append(Sql::text(q, 1));
    return titles;
}

QStringList RecordStore::cityNames()
{
    QStringList names;
    QSqlQuery q = Sql::run(
        m_db, QStringLiteral("SELECT DISTINCT id, cityname, citycode FROM city ORDER BY cityname"));
    while (q.next())
        names.append(Sql::text(q, 1));
    return names;
}

QStringList RecordStore::userNames()
{
    QStringList names;
    QSqlQuery q = Sql::run(m_db, QStringLiteral("SELECT * FROM users ORDER BY id"));
    while (q.next())
        names.append(Sql::text(q, 1));
    return names;
}
