// SPDX-License-Identifier: MIT
#include "PhoneWriteFailure.h"
#include "SampleRecord.h"
#include "Scalar.h"
#include "TestDatabase.h"
#include "common/Clock.h"
#include "common/DbError.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "records/RecordHistory.h"
#include "records/RecordStore.h"

#include <QProcess>
#include <QtTest>
#include <algorithm>
#include <array>
#include <latch>
#include <mutex>
#include <thread>

namespace
{

const QDateTime morning(QDate(2026, 3, 2), QTime(9, 30), Qt::UTC);

// Every stored value of a record and its phone rows, as the database gives them.
QStringList storedRows(const QSqlDatabase& db, int id)
{
    QStringList rows;
    {
        QSqlQuery q =
            Sql::run(db, QStringLiteral("SELECT * FROM sprav WHERE id = :id"), {{"id", id}});
        while (q.next()) {
            QStringList values;
            for (int column = 1; column < q.record().count(); ++column)
                values.append(q.isNull(column) ? QStringLiteral("<null>")
                                               : q.value(column).toString());
            rows.append(values.join(QLatin1Char('|')));
        }
    }
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT noteid, phone, hid FROM phone "
                                          "WHERE parentid = :id ORDER BY noteid, phone"),
                           {{"id", id}});
    while (q.next())
        rows.append(QStringLiteral("%1|%2|%3")
                        .arg(q.value(0).toString(), q.value(1).toString())
                        .arg(q.value(2).toBool()));
    return rows;
}

int historyRows(const QSqlDatabase& db)
{
    return count(db, QStringLiteral("SELECT COUNT(*) FROM sprav_history")) * 1000 +
           count(db, QStringLiteral("SELECT COUNT(*) FROM phone_history"));
}

RecordData sample()
{
    return SampleRecord::person("Петров", "Пётр")
        .legalAddress("ул. Тайная, 1")
        .email("petrov@example.org")
        .birthday(QDate(1980, 5, 6))
        .spouse("Анна")
        .owns(" boss ")
        .hided(" 1 12 ")
        .phone(1, "111")
        .phone(2, "222");
}

// What another workstation does to a record it has just loaded.
void act(RecordStore& store, int id, const QString& action, const QString& user)
{
    const RecordWrite write{store.revision(id).rev, user, false};
    RecordData r = *store.load(id, user);
    if (action == QLatin1String("change")) {
        r.f = QStringLiteral("Изменено ") + user;
        r.phones[3] = QStringLiteral("333");
        store.update(id, r, write);
    } else if (action == QLatin1String("delete")) {
        store.remove(id, write);
    } else if (action == QLatin1String("privacy")) {
        store.updatePrivacy(id, QStringLiteral(" boss ") + user + QLatin1Char(' '),
                            QStringLiteral(" 11 "), {1, 2}, write);
    } else if (action == QLatin1String("spouse")) {
        store.updateSpouse(id, QStringLiteral("Ольга"), {}, {}, write);
    } else {
        store.updateReq(id, QStringLiteral("ИНН 77"), write);
    }
}

} // namespace

class TestRecordHistory : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        SPRAV_REQUIRE_DATABASE();
        Clock::setNow(morning);
    }
    void cleanup() { Clock::setNow({}); }

    void conflictWritesNothing_data();
    void conflictWritesNothing();
    void overwriteAfterConflict();
    void simultaneousChangeHasOneWinner();
    void simultaneousChangeFromTwoProcesses();
    void restoreAfterDeleteExactly_data();
    void restoreAfterDeleteExactly();
    void versionsListedAndRestored();
    void historyHidesHiddenFields_data();
    void historyHidesHiddenFields();
    void olderDatabaseGainsTables();
    void failureLeavesHistoryConsistent_data();
    void failureLeavesHistoryConsistent();
    void trimKeepsRecentOrLastVersions();
};

void TestRecordHistory::conflictWritesNothing_data()
{
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("mine");
    QTest::addColumn<int>("kind");
    const int changed = RecordConflict::Changed;
    const int deleted = RecordConflict::Deleted;
    QTest::newRow("change/change") << "change"
                                   << "change" << changed;
    QTest::newRow("change/delete") << "change"
                                   << "delete" << changed;
    QTest::newRow("delete/change") << "delete"
                                   << "change" << deleted;
    QTest::newRow("delete/privacy") << "delete"
                                    << "privacy" << deleted;
    QTest::newRow("privacy/change") << "privacy"
                                    << "change" << changed;
    QTest::newRow("change/privacy") << "change"
                                    << "privacy" << changed;
    QTest::newRow("change/spouse") << "change"
                                   << "spouse" << changed;
    QTest::newRow("privacy/requisites") << "privacy"
                                        << "requisites" << changed;
}

void TestRecordHistory::conflictWritesNothing()
{
    QFETCH(QString, theirs);
    QFETCH(QString, mine);
    QFETCH(int, kind);
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    const int id = store.insert(sample(), QStringLiteral("boss"));
    RecordRevision seen;
    QVERIFY(store.load(id, QStringLiteral("boss"), nullptr, &seen));
    QCOMPARE(seen.rev, 1);
    QCOMPARE(seen.user, QStringLiteral("boss"));

    auto other = database.connectAgain(QStringLiteral("other"));
    RecordStore otherStore(other->db());
    const QDateTime then = morning.addSecs(60);
    Clock::setNow(then);
    act(otherStore, id, theirs, QStringLiteral("boss"));
    const QStringList stored = storedRows(db, id);
    const int history = historyRows(db);
    const RecordRevision after = store.revision(id);

    // Here the record was loaded before: the revision seen is the old one.
    try {
        RecordStore mineStore(db);
        const RecordWrite write{seen.rev, QStringLiteral("boss"), false};
        if (mine == QLatin1String("change"))
            mineStore.update(id, sample(), write);
        else if (mine == QLatin1String("delete"))
            mineStore.remove(id, write);
        else if (mine == QLatin1String("privacy"))
            mineStore.updatePrivacy(id, QString(), QStringLiteral(" "), {1}, write);
        else if (mine == QLatin1String("spouse"))
            mineStore.updateSpouse(id, QStringLiteral("Вера"), {}, {}, write);
        else
            mineStore.updateReq(id, QStringLiteral("БИК"), write);
        QFAIL("the write went through");
    } catch (const RecordConflict& conflict) {
        QCOMPARE(int(conflict.kind), kind);
        QCOMPARE(conflict.user, QStringLiteral("boss"));
        QCOMPARE(conflict.at, then);
        QVERIFY(conflict.text().startsWith(kind == RecordConflict::Changed
                                               ? QStringLiteral("Запись изменена другим")
                                               : QStringLiteral("Запись удалена другим")));
    }
    QCOMPARE(storedRows(db, id), stored);
    QCOMPARE(historyRows(db), history);
    QCOMPARE(store.revision(id).rev, after.rev);
}

void TestRecordHistory::overwriteAfterConflict()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    const int id = store.insert(sample(), QStringLiteral("a"));
    const auto connection = database.connectAgain(QStringLiteral("other"));
    RecordStore other(connection->db());
    act(other, id, QStringLiteral("change"), QStringLiteral("b"));

    RecordData mine = sample();
    mine.f = QStringLiteral("Моё");
    QCOMPARE(store.update(id, mine, {1, QStringLiteral("a"), true}), 3);
    QCOMPARE(store.load(id, QStringLiteral("boss"))->f, QStringLiteral("Моё"));
    // Both earlier states are kept: nothing is lost by overwriting.
    QCOMPARE(RecordHistory(db).versions(id, QStringLiteral("boss")).size(), 2);

    // A deleted record is not brought back by overwriting.
    act(other, id, QStringLiteral("delete"), QStringLiteral("b"));
    QVERIFY_THROWS_EXCEPTION(RecordConflict,
                             store.update(id, mine, {3, QStringLiteral("a"), true}));
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM sprav")), 0);
}

void TestRecordHistory::simultaneousChangeHasOneWinner()
{
    TestDatabase database;
    const int id = RecordStore(database.db()).insert(sample(), QStringLiteral("boss"));
    constexpr int rounds = 10;
    std::mutex lock;
    QList<int> wins(rounds, 0);
    QList<int> conflicts(rounds, 0);
    QStringList failures;
    // Per round: both have loaded the same revision before either presses,
    // and neither loads again before the other has pressed.
    std::vector<std::unique_ptr<std::latch>> loaded;
    std::vector<std::unique_ptr<std::latch>> pressed;
    for (int i = 0; i < rounds; ++i) {
        loaded.push_back(std::make_unique<std::latch>(2));
        pressed.push_back(std::make_unique<std::latch>(2));
    }

    const auto worker = [&](const QString& user) {
        std::unique_ptr<Database> connection;
        {
            const std::lock_guard guard(lock);
            connection = database.connectAgain(QStringLiteral("press_") + user);
        }
        RecordStore store(connection->db());
        for (int round = 0; round < rounds; ++round) {
            RecordRevision seen;
            RecordData r = *store.load(id, QStringLiteral("boss"), nullptr, &seen);
            r.f = user + QString::number(round);
            loaded[round]->arrive_and_wait();
            try {
                store.update(id, r, {seen.rev, user, false});
                const std::lock_guard guard(lock);
                ++wins[round];
            } catch (const RecordConflict&) {
                const std::lock_guard guard(lock);
                ++conflicts[round];
            } catch (const DbError& e) {
                const std::lock_guard guard(lock);
                failures.append(user + QStringLiteral(": ") + e.text());
            }
            pressed[round]->arrive_and_wait();
        }
    };
    std::thread a(worker, QStringLiteral("A"));
    std::thread b(worker, QStringLiteral("B"));
    a.join();
    b.join();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    for (int round = 0; round < rounds; ++round) {
        QCOMPARE(wins.at(round), 1);
        QCOMPARE(conflicts.at(round), 1);
    }
    QCOMPARE(RecordStore(database.db()).revision(id).rev, 1 + rounds);
    QCOMPARE(RecordHistory(database.db()).versions(id, QStringLiteral("boss")).size(), rounds);
}

// A copy of the program pressing «Изменить»: it loads the record, says so,
// waits for "go" and writes. Exit code 0: written; 3: refused as a conflict.
int pressChange()
{
    Database database(TestDatabase::linkFromEnvironment(), QStringLiteral("press"));
    RecordStore store(database.db());
    const int id = qEnvironmentVariableIntValue("SPRAV_PRESS_ID");
    const QString user = qEnvironmentVariable("SPRAV_PRESS_USER");
    RecordRevision seen;
    RecordData r = *store.load(id, QStringLiteral("boss"), nullptr, &seen);
    r.f = user;
    QTextStream(stdout) << "loaded" << Qt::endl;
    QTextStream(stdin).readLine();
    try {
        store.update(id, r, {seen.rev, user, false});
        return 0;
    } catch (const RecordConflict&) {
        return 3;
    } catch (const DbError& e) {
        QTextStream(stderr) << e.text() << Qt::endl;
        return 1;
    }
}

void TestRecordHistory::simultaneousChangeFromTwoProcesses()
{
    TestDatabase database;
    const int id = RecordStore(database.db()).insert(sample(), QStringLiteral("boss"));
    constexpr int rounds = 3;
    for (int round = 0; round < rounds; ++round) {
        std::array<QProcess, 2> copies;
        for (int n = 0; n < 2; ++n) {
            QProcessEnvironment environment = database.childEnvironment();
            environment.insert(QStringLiteral("SPRAV_PRESS_ID"), QString::number(id));
            environment.insert(QStringLiteral("SPRAV_PRESS_USER"), QString::number(n));
            copies[n].setProcessEnvironment(environment);
            copies[n].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            copies[n].start(QCoreApplication::applicationFilePath(), {});
        }
        // Both have loaded the same revision before either presses.
        for (QProcess& copy : copies) {
            QVERIFY(copy.waitForStarted());
            while (!copy.canReadLine())
                QVERIFY(copy.waitForReadyRead(30000));
            QCOMPARE(copy.readLine().trimmed(), QByteArray("loaded"));
        }
        for (QProcess& copy : copies)
            copy.write("go\n");
        std::array<int, 2> codes{};
        for (int n = 0; n < 2; ++n) {
            QVERIFY(copies[n].waitForFinished(30000));
            codes[n] = copies[n].exitCode();
        }
        std::sort(codes.begin(), codes.end());
        QCOMPARE(codes, (std::array<int, 2>{0, 3}));
    }
    QCOMPARE(RecordStore(database.db()).revision(id).rev, 1 + rounds);
}

void TestRecordHistory::restoreAfterDeleteExactly_data()
{
    QTest::addColumn<bool>("idTaken");
    QTest::newRow("old id free") << false;
    QTest::newRow("old id taken") << true;
}

void TestRecordHistory::restoreAfterDeleteExactly()
{
    QFETCH(bool, idTaken);
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordData r = sample();
    r.birthday = QDate();
    r.unreadBirthday = QStringLiteral("1980-05-06");
    const int id = store.insert(r, QStringLiteral("boss"));
    // A phone kind the editor does not show, and a phone with the hidden flag.
    Sql::run(db,
             QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                            "VALUES (:id, '999', 9, :hid)"),
             {{"id", id}, {"hid", true}});
    const QStringList before = storedRows(db, id);
    store.remove(id, {1, QStringLiteral("boss"), false});
    QVERIFY(storedRows(db, id).isEmpty());

    RecordHistory history(db);
    QVERIFY(history.deletedRecords(QStringLiteral("stranger")).isEmpty());
    const QList<RecordVersion> deleted = history.deletedRecords(QStringLiteral("boss"));
    QCOMPARE(deleted.size(), 1);
    QCOMPARE(deleted.first().id, id);
    QCOMPARE(deleted.first().changedBy, QStringLiteral("boss"));
    QCOMPARE(deleted.first().data.phones[2], QStringLiteral("222"));
    if (idTaken)
        Sql::run(db, QStringLiteral("INSERT INTO sprav (id, f) VALUES (:id, 'чужая')"),
                 {{"id", id}});

    const int restored = history.restoreDeleted(deleted.first().histId, QStringLiteral("boss"));
    QCOMPARE(restored == id, !idTaken);
    QCOMPARE(storedRows(db, restored), before);
    QVERIFY(history.deletedRecords(QStringLiteral("boss")).isEmpty());
    QVERIFY_THROWS_EXCEPTION(
        DbError, history.restoreDeleted(deleted.first().histId, QStringLiteral("boss")));
    // It is changed again like any record, from the revision it came back with.
    const RecordRevision now = store.revision(restored);
    QVERIFY(now.rev >= 1);
    QCOMPARE(now.user, QStringLiteral("boss"));
    store.update(restored, r, {now.rev, QStringLiteral("boss"), false});
}

void TestRecordHistory::versionsListedAndRestored()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordData r = sample();
    const int id = store.insert(r, QStringLiteral("boss"));
    const QStringList first = storedRows(db, id);
    Clock::setNow(morning.addSecs(10));
    r.f = QStringLiteral("Сидоров");
    r.phones[2].clear();
    store.update(id, r, {1, QStringLiteral("boss"), false});
    Clock::setNow(morning.addSecs(20));
    store.updateReq(id, QStringLiteral("ИНН 5"), {2, QStringLiteral("second"), false});

    RecordHistory history(db);
    const QList<RecordVersion> versions = history.versions(id, QStringLiteral("boss"));
    QCOMPARE(versions.size(), 2);
    QCOMPARE(versions.at(0).written.rev, 2);
    QCOMPARE(versions.at(0).changedBy, QStringLiteral("second"));
    QCOMPARE(versions.at(0).changedAt, morning.addSecs(20));
    QCOMPARE(versions.at(0).changedFields, QStringList{QStringLiteral("req")});
    QCOMPARE(versions.at(1).written.rev, 1);
    QCOMPARE(versions.at(1).written.at, morning);
    QCOMPARE(versions.at(1).changedFields,
             (QStringList{QStringLiteral("f"), QStringLiteral("phone2")}));
    QCOMPARE(versions.at(1).data.f, QStringLiteral("Петров"));

    // The first version again, as a new change checked like any other.
    QVERIFY_THROWS_EXCEPTION(RecordConflict, history.restoreVersion(id, versions.at(1).histId,
                                                                    {2, QStringLiteral("boss")}));
    QVERIFY_THROWS_EXCEPTION(DbError, history.restoreVersion(id, versions.at(1).histId,
                                                             {3, QStringLiteral("stranger")}));
    QCOMPARE(history.restoreVersion(id, versions.at(1).histId, {3, QStringLiteral("boss")}), 4);
    QCOMPARE(storedRows(db, id), first);
    QCOMPARE(history.versions(id, QStringLiteral("boss")).size(), 3);
}

void TestRecordHistory::historyHidesHiddenFields_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("changed");
    QTest::addColumn<QString>("address");
    QTest::newRow("permitted") << "boss" << QStringList{"f", "legaladdress", "phone1"}
                               << "ул. Тайная, 1";
    QTest::newRow("not permitted") << "stranger" << QStringList{"f"} << "";
}

void TestRecordHistory::historyHidesHiddenFields()
{
    QFETCH(QString, user);
    QFETCH(QStringList, changed);
    QFETCH(QString, address);
    TestDatabase database;
    RecordStore store(database.db());
    RecordData r = sample(); // addresses (1) and phone 1 (12) hidden
    const int id = store.insert(r, QStringLiteral("boss"));
    r.f = QStringLiteral("Сидоров");
    r.legaladdress = QStringLiteral("ул. Новая, 2");
    r.phones[1] = QStringLiteral("101");
    store.update(id, r, {1, QStringLiteral("boss"), false});

    const QList<RecordVersion> versions = RecordHistory(database.db()).versions(id, user);
    QCOMPARE(versions.size(), 1);
    QCOMPARE(versions.first().changedFields, changed);
    QCOMPARE(versions.first().data.legaladdress, address);
    QCOMPARE(versions.first().data.phones[1].isEmpty(), address.isEmpty());
    QCOMPARE(versions.first().data.f, QStringLiteral("Петров"));

    // Hidden as a whole: no history at all for who may not see the record.
    store.updatePrivacy(id, QStringLiteral(" boss "), QStringLiteral("all"), {},
                        {2, QStringLiteral("boss"), false});
    QCOMPARE(RecordHistory(database.db()).versions(id, user).isEmpty(), user != "boss");
}

void TestRecordHistory::olderDatabaseGainsTables()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    // As a program that kept no revisions left it: a record without any.
    for (const char* table : {"sprav_rev", "sprav_history", "phone_history"})
        Sql::run(db, QStringLiteral("DROP TABLE %1").arg(QLatin1String(table)));
    if (database.engine() == Engine::PostgreSQL)
        Sql::run(db, QStringLiteral("UPDATE sprav_schema SET version = 1"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav (f, owns, hided) VALUES ('Старый', '', '')"));
    const int id = count(db, QStringLiteral("SELECT max(id) FROM sprav"));

    auto reopened = database.connectAgain(QStringLiteral("newer"));
    RecordStore store(reopened->db());
    RecordRevision seen;
    RecordData r = *store.load(id, QStringLiteral("a"), nullptr, &seen);
    QCOMPARE(seen.rev, 0);
    r.f = QStringLiteral("Новый");
    QCOMPARE(store.update(id, r, {0, QStringLiteral("a"), false}), 1);
    QCOMPARE(RecordHistory(reopened->db()).versions(id, QStringLiteral("a")).size(), 1);
    QVERIFY_THROWS_EXCEPTION(RecordConflict, store.update(id, r, {0, QStringLiteral("b"), false}));
}

void TestRecordHistory::failureLeavesHistoryConsistent_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("change") << "change";
    QTest::newRow("delete") << "delete";
    QTest::newRow("restore deleted") << "restore";
    QTest::newRow("restore version") << "version";
}

void TestRecordHistory::failureLeavesHistoryConsistent()
{
    QFETCH(QString, operation);
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordHistory history(db);
    RecordData r = sample();
    r.phones[3] = QStringLiteral("boom");
    const int id = store.insert(r, QStringLiteral("boss"));
    r.phones[3].clear();
    store.update(id, r, {1, QStringLiteral("boss"), false});
    const int versionId = history.versions(id, QStringLiteral("boss")).first().histId;
    int deletedId = 0;
    if (operation == QLatin1String("restore") || operation == QLatin1String("delete")) {
        r.phones[3] = QStringLiteral("boom");
        Sql::run(db,
                 QStringLiteral("INSERT INTO phone (parentid, phone, noteid, hid) "
                                "VALUES (:id, 'boom', 3, :hid)"),
                 {{"id", id}, {"hid", false}});
    }
    if (operation == QLatin1String("restore")) {
        store.remove(id, {2, QStringLiteral("boss"), false});
        deletedId = history.deletedRecords(QStringLiteral("boss")).first().histId;
    }
    makePhoneWritesFail(database);
    const QStringList stored = storedRows(db, id);
    const int rows = historyRows(db);
    const int rev = store.revision(id).rev;
    const int deleted = history.deletedRecords(QStringLiteral("boss")).size();

    if (operation == QLatin1String("change")) {
        r.phones[4] = QStringLiteral("boom");
        QVERIFY_THROWS_EXCEPTION(DbError, store.update(id, r, {2, QStringLiteral("boss"), false}));
    } else if (operation == QLatin1String("delete")) {
        QVERIFY_THROWS_EXCEPTION(DbError, store.remove(id, {2, QStringLiteral("boss"), false}));
    } else if (operation == QLatin1String("restore")) {
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 history.restoreDeleted(deletedId, QStringLiteral("boss")));
    } else {
        QVERIFY_THROWS_EXCEPTION(
            DbError, history.restoreVersion(id, versionId, {2, QStringLiteral("boss")}));
    }
    QCOMPARE(storedRows(db, id), stored);
    QCOMPARE(historyRows(db), rows);
    QCOMPARE(store.revision(id).rev, rev);
    QCOMPARE(history.deletedRecords(QStringLiteral("boss")).size(), deleted);
}

void TestRecordHistory::trimKeepsRecentOrLastVersions()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    RecordData r = sample();
    const int id = store.insert(r, QStringLiteral("boss"));
    const int other = store.insert(r, QStringLiteral("boss"));
    int rev = 1;
    for (int i = 0; i < Schema::historyVersions + 5; ++i) {
        r.f = QString::number(i);
        rev = store.update(id, r, {rev, QStringLiteral("boss"), false});
    }
    store.update(other, r, {1, QStringLiteral("boss"), false});
    const auto versions = [&](int record) {
        return count(db, QStringLiteral("SELECT COUNT(*) FROM sprav_history WHERE id = :id"),
                     {{"id", record}});
    };
    Schema::trimHistory(db);
    QCOMPARE(versions(id), Schema::historyVersions + 5);
    // A later start-up with nothing new writes nothing.
    if (database.engine() == Engine::SQLite) {
        const auto changes = [&db] { return count(db, QStringLiteral("SELECT total_changes()")); };
        const int before = changes();
        Clock::setNow(morning.addSecs(60));
        Schema::trimHistory(db);
        QCOMPARE(changes(), before);
    }

    // Old now: the last versions of each record stay.
    Clock::setNow(morning.addDays(Schema::historyDays + 1));
    Schema::trimHistory(db);
    QCOMPARE(versions(id), Schema::historyVersions);
    QCOMPARE(versions(other), 1);
    // Versions kept by an earlier trim go once their record has enough newer ones.
    for (int i = 0, otherRev = 2; i < Schema::historyVersions; ++i) {
        r.f = QStringLiteral("другая %1").arg(i);
        otherRev = store.update(other, r, {otherRev, QStringLiteral("boss"), false});
    }
    Schema::trimHistory(db);
    QCOMPARE(versions(other), Schema::historyVersions);
    QCOMPARE(versions(id), Schema::historyVersions);
    QCOMPARE(count(db, QStringLiteral("SELECT COUNT(*) FROM phone_history WHERE histid NOT IN "
                                      "(SELECT histid FROM sprav_history)")),
             0);
}

// The test binary is also the second copy of the program for the test above.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("SPRAV_PRESS_ID"))
        return pressChange();
    TestRecordHistory test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_recordhistory.moc"
