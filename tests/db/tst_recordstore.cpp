// SPDX-License-Identifier: MIT
#include "PhoneWriteFailure.h"
#include "SampleRecord.h"
#include "Scalar.h"
#include "TestDatabase.h"
#include "auth/AccountStore.h"
#include "common/DbError.h"
#include "db/Sql.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"

#include <QtTest>
#include <latch>
#include <mutex>
#include <thread>

namespace
{

// kind -> (phone, hid) of a record's phone rows.
QMap<int, QPair<QString, bool>> phoneRows(const QSqlDatabase& db, int id)
{
    QMap<int, QPair<QString, bool>> rows;
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT noteid, phone, hid FROM phone "
                                          "WHERE parentid = :id ORDER BY noteid"),
                           {{"id", id}});
    while (q.next())
        rows.insert(q.value(0).toInt(), {q.value(1).toString(), q.value(2).toBool()});
    return rows;
}

// A write by a tester who saw the revision stored now.
RecordWrite latest(RecordStore& store, int id)
{
    return {store.revision(id).rev, QStringLiteral("tester"), false};
}

RecordData fullRecord()
{
    return SampleRecord::person("Иванов", "Иван Иванович")
        .prof("Инженер")
        .firm("ООО Ромашка", "Общество с ограниченной ответственностью «Ромашка»")
        .legalAddress("юр. адрес")
        .postAddress("почт. адрес")
        .fizAddress("физ. адрес")
        .homeAddress("дом. адрес")
        .city("Казань")
        .path("налево")
        .email("ivanov@example.org")
        .www("example.org")
        .birthday(QDate(1975, 3, 7))
        .otherPhones("доб. 12")
        .info("строка 1\nстрока 2")
        .spouse("Мария Петровна", "01.02.1977", "о супруге")
        .req("ИНН 1234")
        .owns(" boss ")
        .hided(" 1 7 8 9 10 12 18 ")
        .phone(1, "111")
        .phone(3, "333");
}

void compareRecords(const RecordData& a, const RecordData& b)
{
    QCOMPARE(a.f, b.f);
    QCOMPARE(a.io, b.io);
    QCOMPARE(a.prof, b.prof);
    QCOMPARE(a.shortpp, b.shortpp);
    QCOMPARE(a.longpp, b.longpp);
    QCOMPARE(a.legaladdress, b.legaladdress);
    QCOMPARE(a.postaddress, b.postaddress);
    QCOMPARE(a.fizaddress, b.fizaddress);
    QCOMPARE(a.homeaddress, b.homeaddress);
    QCOMPARE(a.city, b.city);
    QCOMPARE(a.path, b.path);
    QCOMPARE(a.email, b.email);
    QCOMPARE(a.www, b.www);
    QCOMPARE(a.birthday, b.birthday);
    QCOMPARE(a.otherphones, b.otherphones);
    QCOMPARE(a.info, b.info);
    QCOMPARE(a.spfio, b.spfio);
    QCOMPARE(a.spbirthday, b.spbirthday);
    QCOMPARE(a.spinfo, b.spinfo);
    QCOMPARE(a.req, b.req);
    QCOMPARE(a.owns, b.owns);
    QCOMPARE(a.hided, b.hided);
    for (int kind = 1; kind <= 6; ++kind)
        QCOMPARE(a.phones[kind], b.phones[kind]);
}

} // namespace

class TestRecordStore : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void trimmedRemovesBlanksAndControls();
    void recordWithOnlySurname_data();
    void recordWithOnlySurname();
    void everyFieldBackInItsPlace();
    void textsTrimmedPhonesNot();
    void hostileTextStoredExactly();
    void phoneHiddenFlags_data();
    void phoneHiddenFlags();
    void phoneMerge();
    void removeTakesThePhones();
    void changeOfDeletedRecordWritesNothing();
    void failureLeavesNothingHalfWritten();
    void concurrentInsertsKeepTheirPhones();
    void loadToleratesOddRows();
    void hiddenValuesAreNotLoaded();
    void lookupsIgnoreCaseAndQuotes();
    void listsAndUsers();
    void requisitesSpouseAndPrivacy();
    void exoticTextsStoredExactly_data();
    void exoticTextsStoredExactly();
    void textWithNulRefused();
    void readOnlyDatabaseBrowsed_data();
    void readOnlyDatabaseBrowsed();
};

void TestRecordStore::trimmedRemovesBlanksAndControls()
{
    QCOMPARE(RecordStore::trimmed(QStringLiteral(" \t\r\n\x01Ив ан\x7f\u0085 ")),
             QStringLiteral("Ив ан"));
    QCOMPARE(RecordStore::trimmed(QStringLiteral("   ")), QString());
    // A no-break space is text, not a blank.
    QCOMPARE(RecordStore::trimmed(QStringLiteral("\u00a0x ")), QStringLiteral("\u00a0x"));
}

void TestRecordStore::recordWithOnlySurname_data()
{
    QTest::addColumn<bool>("kazanKnown");
    QTest::newRow("Казань known") << true;
    QTest::newRow("no city") << false;
}

void TestRecordStore::recordWithOnlySurname()
{
    QFETCH(bool, kazanKnown);
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    const int kazan =
        kazanKnown ? store.addCity(QStringLiteral("Казань"), QStringLiteral("8432")) : 0;
    const int id =
        store.insert(SampleRecord::person("Петров").city("Казань").birthday(QDate(1899, 12, 30)));
    QVERIFY(id > 0);

    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT * FROM sprav WHERE id = :id"), {{"id", id}});
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QStringLiteral("Петров"));
    for (int column : {2, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15, 17, 18, 19, 20, 21, 22}) {
        QVERIFY2(!q.value(column).isNull(), qPrintable(QString::number(column)));
        QCOMPARE(q.value(column).toString(), QString());
    }
    QVERIFY(q.value(3).isNull()); // profid
    QCOMPARE(q.value(10).toInt(), kazan);
    QVERIFY(q.value(14).isNull()); // birthday
    QVERIFY(q.value(16).isNull()); // spbirthday
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM phone")), 0);
}

void TestRecordStore::everyFieldBackInItsPlace()
{
    TestDatabase database;
    RecordStore store(database.db());
    store.addCity(QStringLiteral("Казань"), QStringLiteral("8432"));
    store.addProf(QStringLiteral("Инженер"));
    const RecordData r = fullRecord();
    const int id = store.insert(r);

    const std::optional<RecordData> loaded = store.load(id, QStringLiteral("boss"));
    QVERIFY(loaded);
    compareRecords(*loaded, r);
    QCOMPARE(scalar(database.db(), QStringLiteral("SELECT birthday FROM sprav WHERE id = :id"),
                    {{"id", id}})
                 .toString(),
             QStringLiteral("07.03.1975"));
    QVERIFY(!store.load(id + 100, QStringLiteral("boss")));
}

void TestRecordStore::textsTrimmedPhonesNot()
{
    TestDatabase database;
    RecordStore store(database.db());
    RecordData r = SampleRecord::person("  Сидоров\t", "\n Пётр ")
                       .info("  первая\nвторая  ")
                       .spouse(" Анна ")
                       .req(" р/с 40702 ")
                       .phone(1, " 12-34 ")
                       .phone(2, " ");
    const int id = store.insert(r);
    const RecordData loaded = *store.load(id, QString());
    QCOMPARE(loaded.f, QStringLiteral("Сидоров"));
    QCOMPARE(loaded.io, QStringLiteral("Пётр"));
    QCOMPARE(loaded.info, QStringLiteral("первая\nвторая"));
    QCOMPARE(loaded.spfio, QStringLiteral("Анна"));
    QCOMPARE(loaded.req, QStringLiteral("р/с 40702"));
    QCOMPARE(loaded.phones[1], QStringLiteral(" 12-34 "));
    QCOMPARE(loaded.phones[2], QStringLiteral(" "));

    r.f = QStringLiteral(" Сидоров-Ким ");
    r.phones[1] = QStringLiteral(" 56 ");
    store.update(id, r, latest(store, id));
    QCOMPARE(store.load(id, QString())->f, QStringLiteral("Сидоров-Ким"));
    QCOMPARE(store.load(id, QString())->phones[1], QStringLiteral(" 56 "));
}

void TestRecordStore::hostileTextStoredExactly()
{
    TestDatabase database;
    RecordStore store(database.db());
    const QString sql = QStringLiteral("'); DROP TABLE sprav; --");
    const QString quotes = QStringLiteral("д'Артаньян \"Мушкетёр\" ;");
    const QString emoji = QStringLiteral("Привет 👋🏽 мир");
    const QString longText = QString(255, QChar(0x0416)); // 255 × "Ж"
    const QString like = QStringLiteral("100% _всех_ [a-z]*?#");
    store.addProf(quotes);
    store.addCity(sql, emoji);
    RecordData r;
    r.f = longText;
    r.io = quotes;
    r.prof = quotes;
    r.shortpp = sql;
    r.longpp = emoji;
    r.legaladdress = like;
    r.postaddress = QStringLiteral("\\N \\' \\\\");
    r.fizaddress = QStringLiteral("$1 :f ?");
    r.homeaddress = quotes;
    r.city = sql;
    r.path = emoji;
    r.email = sql;
    r.www = like;
    r.otherphones = quotes;
    r.info = sql + QLatin1Char('\n') + emoji;
    r.spfio = quotes;
    r.spinfo = emoji;
    r.req = sql;
    r.phones[1] = sql;
    r.phones[2] = quotes;
    r.phones[3] = emoji;
    r.phones[4] = longText;
    const int id = store.insert(r);
    compareRecords(*store.load(id, QString()), r);
    QCOMPARE(store.cityCode(sql), std::optional<QString>(emoji));
    QCOMPARE(store.profId(quotes), 1);
    QCOMPARE(store.profId(QStringLiteral("%")), 0);
    QCOMPARE(store.cityId(QStringLiteral("_")), 0);
}

void TestRecordStore::phoneHiddenFlags_data()
{
    QTest::addColumn<QString>("hided");
    QTest::addColumn<QList<bool>>("hidden");
    QTest::newRow("all phones") << QStringLiteral(" 11 ")
                                << QList<bool>{true, true, true, true, true, true};
    QTest::newRow("home phone") << QStringLiteral(" 13 ")
                                << QList<bool>{false, true, false, false, false, false};
    QTest::newRow("whole record") << QStringLiteral("all")
                                  << QList<bool>{false, false, false, false, false, false};
    QTest::newRow("addresses only")
        << QStringLiteral(" 1 ") << QList<bool>{false, false, false, false, false, false};
}

void TestRecordStore::phoneHiddenFlags()
{
    QFETCH(QString, hided);
    QFETCH(QList<bool>, hidden);
    TestDatabase database;
    RecordStore store(database.db());
    RecordData r;
    r.hided = hided;
    for (int kind = 1; kind <= 6; ++kind)
        r.phones[kind] = QString::number(kind * 111);
    const int id = store.insert(r);
    const auto rows = phoneRows(database.db(), id);
    QCOMPARE(rows.size(), 6);
    for (int kind = 1; kind <= 6; ++kind)
        QCOMPARE(rows.value(kind).second, hidden.at(kind - 1));
}

void TestRecordStore::phoneMerge()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordData r = SampleRecord::person("Слияние").phone(1, "111").phone(3, "333").phone(5, "555");
    const int id = store.insert(r);
    const int other = store.insert(r);

    r.phones[1].clear();                  // DELETE kind 1
    r.phones[2] = QStringLiteral("222");  // INSERT kind 2
    r.phones[3] = QStringLiteral("3333"); // UPDATE kind 3
    r.hided = QStringLiteral(" 16 ");     // the kept kind 5 follows the new codes
    r.birthday = QDate(1980, 12, 31);
    r.prof = QStringLiteral("нет такой");
    store.update(id, r, latest(store, id));

    const auto rows = phoneRows(db, id);
    QCOMPARE(rows.keys(), (QList<int>{2, 3, 5}));
    QCOMPARE(rows.value(2), qMakePair(QStringLiteral("222"), false));
    QCOMPARE(rows.value(3), qMakePair(QStringLiteral("3333"), false));
    QCOMPARE(rows.value(5), qMakePair(QStringLiteral("555"), true));
    QCOMPARE(
        count(db, QStringLiteral("SELECT COUNT(*) FROM phone WHERE parentid = :id"), {{"id", id}}),
        3);
    QCOMPARE(phoneRows(db, other).keys(), (QList<int>{1, 3, 5}));
    QCOMPARE(scalar(db, QStringLiteral("SELECT birthday FROM sprav WHERE id = :id"), {{"id", id}})
                 .toString(),
             QStringLiteral("31.12.1980"));
    QVERIFY(scalar(db, QStringLiteral("SELECT profid FROM sprav WHERE id = :id"), {{"id", id}})
                .isNull());
    // The change does not touch the privacy texts: they have their own dialog.
    QCOMPARE(scalar(db, QStringLiteral("SELECT hided FROM sprav WHERE id = :id"), {{"id", id}})
                 .toString(),
             QString());

    // Emptying every edit removes every row; an empty city stores 0.
    r.phones = {};
    r.city.clear();
    store.update(id, r, latest(store, id));
    QVERIFY(phoneRows(db, id).isEmpty());
    QCOMPARE(
        scalar(db, QStringLiteral("SELECT cityid FROM sprav WHERE id = :id"), {{"id", id}}).toInt(),
        0);
}

void TestRecordStore::removeTakesThePhones()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordData r = fullRecord();
    r.phones[6] = QStringLiteral("666");
    const int id = store.insert(r);
    const int kept = store.insert(r);
    store.remove(id, latest(store, id));
    QVERIFY(!store.load(id, QString()));
    QCOMPARE(
        count(db, QStringLiteral("SELECT COUNT(*) FROM phone WHERE parentid = :id"), {{"id", id}}),
        0);
    QCOMPARE(phoneRows(db, kept).size(), 3);
    QVERIFY(store.load(kept, QString()));
}

void TestRecordStore::changeOfDeletedRecordWritesNothing()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordData r = fullRecord();
    const int id = store.insert(r);
    // Another workstation deletes the record while it is open here.
    auto other = database.connectAgain(QStringLiteral("other"));
    RecordStore otherStore(other->db());
    otherStore.remove(id, latest(otherStore, id));

    r.phones[2] = QStringLiteral("222");
    QVERIFY_THROWS_EXCEPTION(DbError, store.update(id, r, latest(store, id)));
    QCOMPARE(
        count(db, QStringLiteral("SELECT COUNT(*) FROM phone WHERE parentid = :id"), {{"id", id}}),
        0);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM sprav"), {}), 0);
    // The dialogs' own stores say so too instead of dropping what was typed.
    QVERIFY_THROWS_EXCEPTION(DbError,
                             store.updateReq(id, QStringLiteral("ИНН"), latest(store, id)));
    QVERIFY_THROWS_EXCEPTION(
        DbError, store.updateSpouse(id, QStringLiteral("Анна"), {}, {}, latest(store, id)));
    QVERIFY_THROWS_EXCEPTION(DbError,
                             store.updatePrivacy(id, QStringLiteral(" a "), QStringLiteral(" 12 "),
                                                 {1}, latest(store, id)));
}

void TestRecordStore::failureLeavesNothingHalfWritten()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    const RecordData kept = SampleRecord::person("Старое").owns(" a ").phone(1, "111");
    const int keptId = store.insert(kept);
    RecordData doomed = kept;
    doomed.phones[2] = QStringLiteral("boom");
    const int doomedId = store.insert(doomed);
    makePhoneWritesFail(database);

    // A new record whose second phone fails: neither the record nor its first phone stay.
    QVERIFY_THROWS_EXCEPTION(
        DbError, store.insert(SampleRecord::person("Новое").phone(1, "1").phone(2, "boom")));
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM sprav")), 2);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM phone")), 3);

    // A change that fails in the phone merge leaves record and phones as they were.
    RecordData changed = kept;
    changed.f = QStringLiteral("Новое");
    changed.phones[1] = QStringLiteral("222");
    changed.phones[3] = QStringLiteral("boom");
    QVERIFY_THROWS_EXCEPTION(DbError, store.update(keptId, changed, latest(store, keptId)));
    QCOMPARE(store.load(keptId, QString())->f, QStringLiteral("Старое"));
    QCOMPARE(phoneRows(db, keptId).keys(), QList<int>{1});
    QCOMPARE(phoneRows(db, keptId).value(1).first, QStringLiteral("111"));

    // A deletion whose phones cannot go keeps the record.
    QVERIFY_THROWS_EXCEPTION(DbError, store.remove(doomedId, latest(store, doomedId)));
    QVERIFY(store.load(doomedId, QString()));
    QCOMPARE(phoneRows(db, doomedId).size(), 2);

    // Privacy texts are not stored without the phones' flags.
    QVERIFY_THROWS_EXCEPTION(DbError, store.updatePrivacy(doomedId, QStringLiteral(" b "),
                                                          QStringLiteral(" 11 "), {2},
                                                          latest(store, doomedId)));
    QCOMPARE(store.load(doomedId, QStringLiteral("a"))->owns, QStringLiteral(" a "));

    // The connection is usable afterwards.
    QVERIFY(store.insert(SampleRecord::person("После")) > doomedId);
}

void TestRecordStore::concurrentInsertsKeepTheirPhones()
{
    TestDatabase database;
    constexpr int perWorker = 25;
    std::latch started(2);
    std::mutex connecting;
    QStringList failures;
    std::mutex failuresLock;

    const auto worker = [&](const QString& tag) {
        try {
            std::unique_ptr<Database> connection;
            {
                const std::lock_guard lock(connecting);
                connection = database.connectAgain(QStringLiteral("worker_") + tag);
            }
            RecordStore store(connection->db());
            started.arrive_and_wait();
            for (int i = 0; i < perWorker; ++i) {
                RecordData r;
                r.f = tag + QString::number(i);
                for (int kind = 1; kind <= 3; ++kind)
                    r.phones[kind] = r.f + QLatin1Char('-') + QString::number(kind);
                const int id = store.insert(r);
                if (store.load(id, QString())->f != r.f)
                    throw DbError(QStringLiteral("id %1 is not %2").arg(id).arg(r.f));
            }
        } catch (const DbError& e) {
            started.count_down(); // harmless if already passed
            const std::lock_guard lock(failuresLock);
            failures.append(tag + QStringLiteral(": ") + e.text());
        }
    };
    std::thread a(worker, QStringLiteral("A"));
    std::thread b(worker, QStringLiteral("B"));
    a.join();
    b.join();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

    const QSqlDatabase db = database.db();
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM sprav")), 2 * perWorker);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM phone")), 2 * perWorker * 3);
    // Every phone names the record it was typed into.
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT sprav.f, phone.phone, phone.noteid "
                                              "FROM phone, sprav WHERE sprav.id = phone.parentid"));
    int rows = 0;
    while (q.next()) {
        ++rows;
        QCOMPARE(q.value(1).toString(),
                 q.value(0).toString() + QLatin1Char('-') + q.value(2).toString());
    }
    QCOMPARE(rows, 2 * perWorker * 3);
}

void TestRecordStore::loadToleratesOddRows()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    const int id = int(Sql::insertReturningId(
        db,
        QStringLiteral("INSERT INTO sprav (f, birthday, cityid, profid) "
                       "VALUES (:f, :birthday, :cityid, :profid) RETURNING id"),
        {{"f", QStringLiteral("Странный")},
         {"birthday", QStringLiteral("1975-03-07")},
         {"cityid", 77},
         {"profid", 88}}));
    for (int kind : {0, 2, 7, 2})
        Sql::run(
            db,
            QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                           "VALUES (:p, :phone, :k, :h)"),
            {{"p", id}, {"phone", QStringLiteral("k%1").arg(kind)}, {"k", kind}, {"h", false}});

    const std::optional<RecordData> r = store.load(id, QString());
    QVERIFY(r);
    QCOMPARE(r->f, QStringLiteral("Странный"));
    QVERIFY(!r->birthday.isValid());
    QCOMPARE(r->phones[2], QStringLiteral("k2"));
    for (int kind : {1, 3, 4, 5, 6})
        QVERIFY(r->phones[kind].isEmpty());
    QCOMPARE(r->city, QString()); // no such city
    QCOMPARE(r->prof, QString()); // no such job title

    // A change that picks no date keeps the unreadable text; a picked date replaces it.
    RecordData changed = *r;
    changed.f = QStringLiteral("Изменённый");
    store.update(id, changed, latest(store, id));
    QCOMPARE(store.load(id, QString())->unreadBirthday, QStringLiteral("1975-03-07"));
    changed.birthday = QDate(1975, 3, 7);
    store.update(id, changed, latest(store, id));
    QCOMPARE(store.load(id, QString())->birthday, QDate(1975, 3, 7));

    // The no-date text reads as the no-date value.
    Sql::run(db, QStringLiteral("UPDATE sprav SET birthday = :b WHERE id = :id"),
             {{"b", QStringLiteral("30.12.1899")}, {"id", id}});
    QCOMPARE(store.load(id, QString())->birthday, QDate(1899, 12, 30));
}

void TestRecordStore::hiddenValuesAreNotLoaded()
{
    TestDatabase database;
    RecordStore store(database.db());
    store.addCity(QStringLiteral("Казань"), QStringLiteral("8432"));
    store.addProf(QStringLiteral("Инженер"));
    RecordData r = fullRecord();
    for (int kind = 1; kind <= 6; ++kind)
        r.phones[kind] = QString::number(kind);
    const int id = store.insert(r);

    const RecordData stranger = *store.load(id, QStringLiteral("bos"));
    QVERIFY(stranger.legaladdress.isEmpty());
    QVERIFY(stranger.fizaddress.isEmpty());
    QVERIFY(stranger.postaddress.isEmpty());
    QVERIFY(stranger.homeaddress.isEmpty());
    QVERIFY(stranger.path.isEmpty());
    QVERIFY(stranger.email.isEmpty());
    QVERIFY(!stranger.birthday.isValid());
    QVERIFY(stranger.spfio.isEmpty());
    QVERIFY(stranger.spbirthday.isEmpty());
    QVERIFY(stranger.spinfo.isEmpty());
    QVERIFY(stranger.req.isEmpty());
    QVERIFY(stranger.phones[1].isEmpty());
    QVERIFY(stranger.otherphones.isEmpty());
    QCOMPARE(stranger.phones[2], QStringLiteral("2"));
    QCOMPARE(stranger.f, r.f);
    QCOMPARE(stranger.www, r.www);
    QCOMPARE(stranger.hided, r.hided);
    QCOMPARE(stranger.owns, r.owns);

    compareRecords(*store.load(id, QStringLiteral("boss")), r);

    // Nobody named: everything is visible to everybody.
    r.owns.clear();
    const int open = store.insert(r);
    compareRecords(*store.load(open, QStringLiteral("bos")), r);

    // A single address code hides that address only.
    r.owns = QStringLiteral(" boss ");
    r.hided = QStringLiteral(" 3 11 ");
    const RecordData partly = *store.load(store.insert(r), QStringLiteral("x"));
    QVERIFY(partly.fizaddress.isEmpty());
    QCOMPARE(partly.legaladdress, r.legaladdress);
    QCOMPARE(partly.email, r.email);
    QCOMPARE(partly.spfio, r.spfio);
    for (int kind = 1; kind <= 6; ++kind)
        QVERIFY(partly.phones[kind].isEmpty());
    QVERIFY(partly.otherphones.isEmpty());
}

void TestRecordStore::lookupsIgnoreCaseAndQuotes()
{
    TestDatabase database;
    RecordStore store(database.db());
    const int engineer = store.addProf(QStringLiteral("Инженер"));
    const int quoted = store.addProf(QStringLiteral("Зам. \"главного\" д'Артаньяна"));
    QVERIFY(engineer > 0 && quoted > engineer);
    QCOMPARE(store.profId(QStringLiteral("иНЖЕНЕР")), engineer);
    QCOMPARE(store.profId(QStringLiteral("ЗАМ. \"ГЛАВНОГО\" Д'АРТАНЬЯНА")), quoted);
    QCOMPARE(store.profId(QStringLiteral("Инженер ")), 0);
    QCOMPARE(store.profId(QStringLiteral("Инж")), 0);
    QCOMPARE(store.profId(QString()), 0);

    // «е» and «ё» find each other, in either letter case.
    const int receiver = store.addProf(QStringLiteral("Приёмщик"));
    QCOMPARE(store.profId(QStringLiteral("ПРИЕМЩИК")), receiver);
    QCOMPARE(store.profId(QStringLiteral("приЁмщик")), receiver);
    const int city = store.addCity(QStringLiteral("Ёлки-Палки"), QStringLiteral(" 07 "));
    QCOMPARE(store.cityId(QStringLiteral("ёЛКИ-пАЛКИ")), city);
    QCOMPARE(store.cityId(QStringLiteral("Елки-палки")), city);
    const int korolev = store.addCity(QStringLiteral("Королев"), QStringLiteral("495"));
    QCOMPARE(store.cityId(QStringLiteral("КОРОЛЁВ")), korolev);
    QCOMPARE(store.cityCode(QStringLiteral("ЁЛКИ-ПАЛКИ")),
             std::optional<QString>(QStringLiteral(" 07 ")));
    QCOMPARE(store.cityCode(QStringLiteral("Ёлки")), std::nullopt);
    QCOMPARE(store.cityId(QStringLiteral("Straße")), 0);
    store.addCity(QStringLiteral("STRASSE"), QString());
    QCOMPARE(store.cityCode(QStringLiteral("strasse")), std::optional<QString>(QString()));
}

void TestRecordStore::listsAndUsers()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    store.addProf(QStringLiteral("Юрист"));
    store.addProf(QStringLiteral("Бухгалтер"));
    QCOMPARE(store.profTitles(),
             (QStringList{QStringLiteral("Юрист"), QStringLiteral("Бухгалтер")}));
    store.addCity(QStringLiteral("Москва"), QStringLiteral("495"));
    store.addCity(QStringLiteral("Казань"), QStringLiteral("8432"));
    store.addCity(QStringLiteral("Чебоксары"), QStringLiteral("8352"));
    QCOMPARE(store.cityNames(), (QStringList{QStringLiteral("Казань"), QStringLiteral("Москва"),
                                             QStringLiteral("Чебоксары")}));
    for (const char* name : {"petrov", "Иванов", "admin"})
        Sql::run(db, QStringLiteral("INSERT INTO users (log, pass) VALUES (:log, :pass)"),
                 {{"log", QString::fromUtf8(name)}, {"pass", QStringLiteral("x")}});
    QCOMPARE(store.userNames(), (QStringList{QStringLiteral("petrov"), QStringLiteral("Иванов"),
                                             QStringLiteral("admin")}));
}

void TestRecordStore::requisitesSpouseAndPrivacy()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    const int id = store.insert(SampleRecord().phone(1, "1").phone(3, "3"));

    store.updateReq(id, QStringLiteral("  БИК 0445 \n"), latest(store, id));
    store.updateSpouse(id, QStringLiteral(" Ольга "), QStringLiteral("30.12.1899"),
                       QStringLiteral("\tзаметки "), latest(store, id));
    RecordData loaded = *store.load(id, QString());
    QCOMPARE(loaded.req, QStringLiteral("БИК 0445"));
    QCOMPARE(loaded.spfio, QStringLiteral("Ольга"));
    QCOMPARE(loaded.spbirthday, QStringLiteral("30.12.1899"));
    QCOMPARE(loaded.spinfo, QStringLiteral("заметки"));
    store.updateSpouse(id, QString(), QString(), QString(), latest(store, id));
    QVERIFY(scalar(db, QStringLiteral("SELECT spbirthday FROM sprav WHERE id = :id"), {{"id", id}})
                .isNull());

    // Only the kinds named get their flag recomputed.
    store.updatePrivacy(id, QStringLiteral(" me "), QStringLiteral(" 11 "), {3}, latest(store, id));
    auto rows = phoneRows(db, id);
    QCOMPARE(rows.value(1).second, false);
    QCOMPARE(rows.value(3).second, true);
    loaded = *store.load(id, QStringLiteral("me"));
    QCOMPARE(loaded.owns, QStringLiteral(" me "));
    QCOMPARE(loaded.hided, QStringLiteral(" 11 "));
    store.updatePrivacy(id, QString(), QStringLiteral(" "), {1, 3}, latest(store, id));
    rows = phoneRows(db, id);
    QCOMPARE(rows.value(1).second, false);
    QCOMPARE(rows.value(3).second, false);
}

void TestRecordStore::exoticTextsStoredExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("readBack");
    const auto exact = [](const char* name, const QString& text) {
        QTest::newRow(name) << text << text;
    };
    exact("leading byte-order mark", QStringLiteral("\uFEFFИванов"));
    exact("two leading marks", QStringLiteral("\uFEFF\uFEFFx"));
    exact("mark alone", QStringLiteral("\uFEFF"));
    exact("marks inside and at the end", QStringLiteral("a\uFEFFb\uFEFF"));
    exact("direction and joiner marks", QStringLiteral("\u202Eabc\u200D\u200B"));
    exact("combining and astral", QStringLiteral("e\u0301 𝔘𝔫𝔦 \U0001F600"));
    // SQLite keeps the noncharacter U+FFFE but gives it back as U+FFFD; the
    // rest of the text stays as it was (it used to come back byte-swapped).
    QTest::newRow("leading noncharacter U+FFFE")
        << QStringLiteral("\uFFFEПетров")
        << (TestDatabase::wantsPostgres() ? QStringLiteral("\uFFFEПетров")
                                          : QStringLiteral("\uFFFDПетров"));
}

// Every column the editor writes, the phones, the lists and the lookups.
void TestRecordStore::exoticTextsStoredExactly()
{
    QFETCH(QString, text);
    QFETCH(QString, readBack);
    const auto filled = [](const QString& value) {
        RecordData r;
        for (QString* field :
             {&r.f, &r.io, &r.prof, &r.shortpp, &r.longpp, &r.legaladdress, &r.postaddress,
              &r.fizaddress, &r.homeaddress, &r.city, &r.path, &r.email, &r.www, &r.otherphones,
              &r.info, &r.spfio, &r.spinfo, &r.req, &r.phones[2]})
            *field = value;
        return r;
    };
    TestDatabase database;
    RecordStore store(database.db());
    store.addProf(text);
    store.addCity(text, text);
    const int id = store.insert(filled(text));
    compareRecords(*store.load(id, QString()), filled(readBack));
    QCOMPARE(store.profTitles(), QStringList{readBack});
    QCOMPARE(store.cityCode(text), std::optional<QString>(readBack));
    const QList<FoundRow> listed = ListingQueries(database.db(), QString()).allRecords();
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed.first().second, readBack);
}

// No database keeps a NUL: refused before the statement runs, on both engines.
void TestRecordStore::textWithNulRefused()
{
    TestDatabase database;
    RecordStore store(database.db());
    RecordData r = fullRecord();
    const int id = store.insert(r);
    r.f = QStringLiteral("Ива") + QChar(u'\0') + QStringLiteral("нов");
    QVERIFY_THROWS_EXCEPTION(DbError, store.insert(r));
    QVERIFY_THROWS_EXCEPTION(DbError, store.update(id, r, latest(store, id)));
    QCOMPARE(count(database.db(), QStringLiteral("SELECT COUNT(*) FROM sprav")), 1);
    QCOMPARE(store.load(id, QString())->f, fullRecord().f);
}

void TestRecordStore::readOnlyDatabaseBrowsed_data()
{
    QTest::addColumn<bool>("writeProtected"); // else the data link asks for reading only
    QTest::newRow("data link asks") << false;
    QTest::newRow("write-protected file") << true;
}

// Searches, listings, the record view and signing in work; storing says why
// it cannot.
void TestRecordStore::readOnlyDatabaseBrowsed()
{
    if (TestDatabase::wantsPostgres())
        QSKIP("a database file of SQLite");
    QFETCH(bool, writeProtected);
    TestDatabase database;
    const int id = RecordStore(database.db()).insert(fullRecord());
    // An account of an earlier version, its password not yet hashed.
    Sql::run(database.db(), QStringLiteral("INSERT INTO users (log, pass) VALUES (:log, :pass)"),
             {{"log", QStringLiteral("old")}, {"pass", QStringLiteral("pw")}});
    DataLink link = database.link();
    const QString path = link.databaseFile();
    if (writeProtected) {
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        if (QFile(path).open(QIODevice::ReadWrite))
            QSKIP("this user may write to write-protected files");
    } else {
        link.readOnly = true;
    }

    Database reader(link, QStringLiteral("reader"));
    const QSqlDatabase db = reader.db();
    QCOMPARE(ListingQueries(db, QString()).allRecords().size(), 1);
    QCOMPARE(ListingQueries(db, QString()).search(QStringLiteral("иванов"))->size(), 1);
    QCOMPARE(RecordStore(db).load(id, QStringLiteral("boss"))->f, fullRecord().f);
    QCOMPARE(AccountStore(db).login(QStringLiteral("old"), QStringLiteral("pw")).outcome,
             AccountStore::Outcome::Accepted);
    try {
        RecordStore(db).insert(fullRecord());
        QFAIL("a database that can only be read must refuse storing");
    } catch (const DbError& e) {
        QVERIFY2(TestDatabase::namesFileInRussian(e.text(), path), qPrintable(e.text()));
    }
    QCOMPARE(count(database.db(), QStringLiteral("SELECT COUNT(*) FROM sprav")), 1);
}

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
