// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "TestServer.h"
#include "TypeText.h"
#include "app/TFmMain.h"
#include "common/DbError.h"
#include "db/Connection.h"
#include "db/Sql.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"

#include <QLineEdit>
#include <QProcess>
#include <QSqlError>
#include <QToolButton>
#include <QtTest>
#include <latch>
#include <thread>

namespace
{

// A connection of the test's own, as an administrator's tool would have.
class Admin
{
public:
    Admin(const DataLink& link, const QString& name) : m_name(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(link.dataSource);
        db.setPort(link.port);
        db.setUserName(link.user);
        db.setPassword(link.password);
        db.setDatabaseName(link.catalog);
        if (!db.open())
            qWarning("admin connection: %s", qPrintable(db.lastError().text()));
    }
    ~Admin()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

    int count(const QString& statement, int pid) const
    {
        QSqlQuery q = Sql::run(db(), statement, {{"pid", pid}});
        return q.next() ? q.value(0).toInt() : -1;
    }

    // Ends the session as pg_terminate_backend does, and waits until it is
    // gone.
    bool endSession(int pid) const
    {
        Sql::run(db(), QStringLiteral("SELECT pg_terminate_backend(:pid)"), {{"pid", pid}});
        return QTest::qWaitFor([&] {
            return count(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE pid = :pid"),
                         pid) == 0;
        });
    }

private:
    QString m_name;
};

int backendPid(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT pg_backend_pid()"));
    return q.next() ? q.value(0).toInt() : 0;
}

int recordCount(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT count(*) FROM sprav"));
    return q.next() ? q.value(0).toInt() : -1;
}

RecordData record(const QString& surname)
{
    return SampleRecord::person(surname, "Пётр Ильич")
        .phone(1, "212-85-00")
        .phone(3, "+7 912 345-67-80");
}

// Keeps `sprav` locked from a connection of its own until the program's
// session waits for the lock, then ends that session in the middle of its
// statement and lets go of the table.
class CutOff
{
public:
    CutOff(const DataLink& link, int pid)
    {
        m_thread = std::thread([this, link, pid] {
            bool locked = false;
            try {
                const Admin locker(link, QStringLiteral("locker"));
                Sql::run(locker.db(), QStringLiteral("BEGIN"));
                Sql::run(locker.db(), QStringLiteral("LOCK TABLE sprav IN ACCESS EXCLUSIVE MODE"));
                locked = true;
                m_locked.count_down();
                m_waited = QTest::qWaitFor([&] {
                    return locker.count(QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                       "WHERE pid = :pid AND "
                                                       "wait_event_type = 'Lock'"),
                                        pid) == 1;
                });
                Sql::run(locker.db(), QStringLiteral("SELECT pg_terminate_backend(:pid)"),
                         {{"pid", pid}});
                Sql::run(locker.db(), QStringLiteral("ROLLBACK"));
            } catch (const DbError& e) {
                m_error = e.text();
                if (!locked)
                    m_locked.count_down();
            }
        });
        m_locked.wait();
    }
    // True when the session was ended while it waited.
    bool join()
    {
        m_thread.join();
        return m_waited && m_error.isEmpty();
    }

private:
    std::thread m_thread;
    std::latch m_locked{1};
    bool m_waited = false;
    QString m_error;
};

} // namespace

// The PostgreSQL server ends the program's session, or goes down and comes
// back, while the program runs: the next actions work without a restart.
class TestReconnect : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void endedSessionServesTheNextActions();
    void sessionEndedDuringAStatement();
    void rowsCutOffAreAnErrorNotAShortList();
    void storeWhileServerDownKeepsTheEdit();

private:
    TestServer m_server;
};

void TestReconnect::init()
{
    if (!TestDatabase::wantsPostgres())
        QSKIP("SQLite has no server that could drop the connection");
    SPRAV_REQUIRE_DATABASE();
}

void TestReconnect::cleanup()
{
    m_server.release();
}

void TestReconnect::endedSessionServesTheNextActions()
{
    TestDatabase test;
    const Admin admin(test.link(), QStringLiteral("admin"));
    RecordStore store(test.db());
    const ListingQueries queries(test.db(), QStringLiteral("u1"));
    const int id = store.insert(record(QStringLiteral("Ковалёв")));

    QVERIFY(admin.endSession(backendPid(test.db())));
    const auto found = queries.search(QStringLiteral("КОВАЛ"));
    QVERIFY(found.has_value());
    QCOMPARE(found->size(), 1);

    QVERIFY(admin.endSession(backendPid(test.db())));
    store.update(id, record(QStringLiteral("Ковалёва")), {store.revision(id).rev, {}, false});

    QVERIFY(admin.endSession(backendPid(test.db())));
    QCOMPARE(store.load(id, QStringLiteral("u1"))->f, QStringLiteral("Ковалёва"));

    QVERIFY(admin.endSession(backendPid(test.db())));
    QVERIFY(store.insert(record(QStringLiteral("Ковалёв"))) > id);
    QCOMPARE(recordCount(test.db()), 2);
}

void TestReconnect::sessionEndedDuringAStatement()
{
    TestDatabase test;
    RecordStore store(test.db());
    const ListingQueries queries(test.db(), QStringLiteral("u1"));
    store.insert(record(QStringLiteral("Ковалёв")));

    // A read runs once more on a new connection.
    {
        CutOff cutOff(test.link(), backendPid(test.db()));
        const auto found = queries.search(QStringLiteral("Ковал"));
        QVERIFY(cutOff.join());
        QVERIFY(found.has_value());
        QCOMPARE(found->size(), 1);
    }
    // A write cut off inside its transaction is not repeated: it was rolled
    // back, the user is told, and storing again works.
    {
        CutOff cutOff(test.link(), backendPid(test.db()));
        QString error;
        try {
            store.insert(record(QStringLiteral("Петров")));
        } catch (const DbError& e) {
            error = e.text();
        }
        QVERIFY(cutOff.join());
        QCOMPARE(error, Connection::lostText());
    }
    QCOMPARE(recordCount(test.db()), 1);
    store.insert(record(QStringLiteral("Петров")));
    QCOMPARE(recordCount(test.db()), 2);
}

void TestReconnect::rowsCutOffAreAnErrorNotAShortList()
{
    TestDatabase test;
    const Admin admin(test.link(), QStringLiteral("admin"));
    const int pid = backendPid(test.db());
    // More rows than the connection buffers: the server waits to send them.
    QSqlQuery rows =
        Sql::run(test.db(), QStringLiteral("SELECT g FROM generate_series(1, 1000000) g"));
    QVERIFY(Sql::next(rows));
    QVERIFY(admin.endSession(pid));
    int count = 1;
    QString error;
    try {
        while (Sql::next(rows))
            ++count;
    } catch (const DbError& e) {
        error = e.text();
    }
    QVERIFY(count < 1000000);
    QCOMPARE(error, Connection::lostText());
}

void TestReconnect::storeWhileServerDownKeepsTheEdit()
{
    MainWindowHarness h;
    menuItem(h.main(), "N1")->trigger();
    TfrNewRecord& editor = h.editor();
    typeText(editor.EdtF, QStringLiteral("Сервернов"));
    QVERIFY(editor.isModified());

    if (!m_server.pause())
        QSKIP("the test server cannot be stopped here (SPRAV_PG_SCRIPT)");
    const QString lost = QStringLiteral("error: ") + Connection::lostText();
    QTest::mouseClick(h.main().TBSave, Qt::LeftButton);
    QTest::mouseClick(h.main().TBSave, Qt::LeftButton);
    QCOMPARE(h.prompts().log(), QStringList({lost, lost}));
    QCOMPARE(editor.EdtF->text(), QStringLiteral("Сервернов"));
    QVERIFY(editor.isModified());

    QVERIFY(m_server.resume());
    h.prompts().clear();
    QTest::mouseClick(h.main().TBSave, Qt::LeftButton);
    QCOMPARE(h.prompts().log(), QStringList());
    QVERIFY(!editor.isModified());
    QCOMPARE(h.count(QStringLiteral("SELECT count(*) FROM sprav WHERE f = 'Сервернов'")), 1);
}

QTEST_MAIN(TestReconnect)
#include "tst_reconnect.moc"
