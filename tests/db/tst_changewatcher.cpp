// SPDX-License-Identifier: MIT
#include "RecordSeed.h"
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "TestServer.h"
#include "db/ChangeNotice.h"
#include "db/ChangeWatcher.h"
#include "db/Connection.h"
#include "db/Sql.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

class TestChangeWatcher : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void anotherConnectionsCommitIsTold_data();
    void anotherConnectionsCommitIsTold();
    void ownCommitIsNotTold();
    void burstIsToldOnce();
    void listensAgainAfterTheConnectionWasLost();
    void reconnectsByItself_data();
    void reconnectsByItself();
    void notifyTriggersAreRestored();

private:
    TestServer m_server;
};

namespace
{

int addRecord(const QSqlDatabase& db, const QString& surname)
{
    return RecordSeed::record(db, SampleRecord::person(surname));
}

int backendPid(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT pg_backend_pid()"));
    return q.next() ? q.value(0).toInt() : 0;
}

// Waits until everything the server sent the watched connection before now
// has been handled: a probe notice sent from `other` comes in after it.
bool drainNotices(const QSqlDatabase& watched, const QSqlDatabase& other)
{
    const QString probe = QStringLiteral("sprav_test_probe");
    if (!watched.driver()->subscribeToNotification(probe))
        return false;
    QSignalSpy arrived(watched.driver(), &QSqlDriver::notification);
    Sql::run(other, QStringLiteral("SELECT pg_notify(:channel, '')"), {{"channel", probe}});
    const bool seen = QTest::qWaitFor([&] {
        for (const QList<QVariant>& call : std::as_const(arrived))
            if (call.at(0).toString() == probe)
                return true;
        return false;
    });
    watched.driver()->unsubscribeFromNotification(probe);
    return seen;
}

} // namespace

void TestChangeWatcher::init()
{
    SPRAV_REQUIRE_DATABASE();
}

void TestChangeWatcher::cleanup()
{
    m_server.release();
}

// Each table whose rows the lists and the editor show.
void TestChangeWatcher::anotherConnectionsCommitIsTold_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("record") << QStringLiteral("INSERT INTO sprav (f, io) VALUES ('Иванов', 'И')");
    QTest::newRow("phone") << QStringLiteral("INSERT INTO phone (parentid, phone) VALUES (1, '5')");
    QTest::newRow("city") << QStringLiteral(
        "INSERT INTO city (cityname, citycode) VALUES ('Уфа', '347')");
    QTest::newRow("job title") << QStringLiteral("INSERT INTO prof (proftitle) VALUES ('Инженер')");
}

void TestChangeWatcher::anotherConnectionsCommitIsTold()
{
    QFETCH(QString, statement);
    TestDatabase test;
    const auto other = test.connectAgain(QStringLiteral("other"));
    ChangeWatcher watcher(test.db());
    watcher.start();
    QSignalSpy changed(&watcher, &ChangeWatcher::changed);

    Sql::run(other->db(), statement);
    QTRY_COMPARE(changed.count(), 1);
}

void TestChangeWatcher::ownCommitIsNotTold()
{
    TestDatabase test;
    const auto other = test.connectAgain(QStringLiteral("other"));
    ChangeWatcher watcher(test.db());
    watcher.start();
    QSignalSpy changed(&watcher, &ChangeWatcher::changed);

    addRecord(test.db(), QStringLiteral("Петров"));
    if (test.engine() == Engine::PostgreSQL)
        QVERIFY(drainNotices(test.db(), other->db()));
    watcher.check();
    QVERIFY(!watcher.isGathering());
    QCOMPARE(changed.count(), 0);

    addRecord(other->db(), QStringLiteral("Сидоров"));
    QTRY_VERIFY(watcher.isGathering());
    QTRY_COMPARE(changed.count(), 1);
}

// An import of many records in one transaction is one change; so are
// commits that come close together.
void TestChangeWatcher::burstIsToldOnce()
{
    TestDatabase test;
    const auto other = test.connectAgain(QStringLiteral("other"));
    ChangeWatcher watcher(test.db());
    watcher.start();
    QSignalSpy changed(&watcher, &ChangeWatcher::changed);

    {
        Sql::Transaction transaction(other->db());
        for (int i = 0; i < 50; ++i)
            addRecord(other->db(), QStringLiteral("Запись %1").arg(i));
        transaction.commit();
    }
    addRecord(other->db(), QStringLiteral("Ещё одна"));
    QTRY_COMPARE(changed.count(), 1);
    QTRY_VERIFY(!watcher.isGathering());
    QCOMPARE(changed.count(), 1);
}

void TestChangeWatcher::listensAgainAfterTheConnectionWasLost()
{
    TestDatabase test;
    if (test.engine() != Engine::PostgreSQL)
        QSKIP("an SQLite file has no connection to lose");
    const auto other = test.connectAgain(QStringLiteral("other"));
    ChangeWatcher watcher(test.db());
    watcher.start();
    QSignalSpy changed(&watcher, &ChangeWatcher::changed);

    const int pid = backendPid(test.db());
    Sql::run(other->db(), QStringLiteral("SELECT pg_terminate_backend(:pid)"), {{"pid", pid}});
    QTRY_VERIFY(!Sql::run(other->db(),
                          QStringLiteral("SELECT 1 FROM pg_stat_activity WHERE pid = :pid"),
                          {{"pid", pid}})
                     .next());
    addRecord(other->db(), QStringLiteral("Пока связи нет"));
    // The next statement of the program opens the connection again.
    QTRY_VERIFY(backendPid(test.db()) != pid);
    watcher.check();
    QTRY_COMPARE(changed.count(), 1); // the change missed meanwhile

    addRecord(other->db(), QStringLiteral("После"));
    QTRY_COMPARE(changed.count(), 2);
}

void TestChangeWatcher::reconnectsByItself_data()
{
    QTest::addColumn<bool>("restart");
    QTest::newRow("session ended") << false;
    QTest::newRow("server restarted") << true;
}

// While the user does nothing: the watcher opens the connection again by
// itself (trying again while the server is down) and tells that something
// may have changed, since notices sent meanwhile were lost.
void TestChangeWatcher::reconnectsByItself()
{
    QFETCH(bool, restart);
    TestDatabase test;
    if (test.engine() != Engine::PostgreSQL)
        QSKIP("an SQLite file has no connection to lose");
    const auto other = test.connectAgain(QStringLiteral("other"));
    ChangeWatcher watcher(test.db());
    watcher.setRetryDelays(50, 200);
    watcher.start();
    QSignalSpy changed(&watcher, &ChangeWatcher::changed);
    const quint64 opened = Connection::generation(test.db());

    if (restart) {
        if (!m_server.pause())
            QSKIP("the test server cannot be stopped here (SPRAV_PG_SCRIPT)");
        QTRY_VERIFY(watcher.isRetrying());
        QVERIFY(m_server.resume());
    } else {
        const int pid = backendPid(test.db());
        Sql::run(other->db(), QStringLiteral("SELECT pg_terminate_backend(:pid)"), {{"pid", pid}});
    }
    QTRY_COMPARE(changed.count(), 1);
    QVERIFY(Connection::generation(test.db()) > opened);
    QTRY_VERIFY(!watcher.isGathering());
    QCOMPARE(changed.count(), 1);

    addRecord(other->db(), QStringLiteral("После"));
    QTRY_COMPARE(changed.count(), 2);
}

// A trigger dropped by hand is made again when the program starts.
void TestChangeWatcher::notifyTriggersAreRestored()
{
    TestDatabase test;
    if (test.engine() != Engine::PostgreSQL)
        QSKIP("SQLite is watched without triggers");
    QVERIFY(ChangeNotice::current(test.db()));
    Sql::run(test.db(), QStringLiteral("DROP TRIGGER phone_notify_change ON phone"));
    QVERIFY(!ChangeNotice::current(test.db()));
    const auto again = test.connectAgain(QStringLiteral("again"));
    QVERIFY(ChangeNotice::current(test.db()));
}

QTEST_MAIN(TestChangeWatcher)
#include "tst_changewatcher.moc"
