// SPDX-License-Identifier: MIT
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "auth/AccountAdmin.h"
#include "auth/AccountStore.h"
#include "db/HiddenFields.h"
#include "db/Sql.h"
#include "exchange/VisibleRecords.h"
#include "records/RecordStore.h"

#include <QtTest>

namespace
{

// What the account commands may change: the accounts and every privacy list.
QStringList state(const QSqlDatabase& db)
{
    QStringList rows;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT 'user', log, pass FROM users UNION ALL "
                                              "SELECT 'record', CAST(id AS TEXT), owns FROM sprav "
                                              "UNION ALL SELECT 'version', CAST(histid AS TEXT), "
                                              "owns FROM sprav_history ORDER BY 1, 2"));
    while (q.next())
        rows << QStringList{Sql::text(q, 0), Sql::text(q, 1), Sql::text(q, 2)}.join(u'|');
    return rows;
}

} // namespace

class TestAccountAdmin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void renamedUserKeepsAccess();
    void removalKeepsHiddenRecordsHidden();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();

private:
    std::unique_ptr<TestDatabase> m_test;
    int m_alone = 0;  // open to Иванов only
    int m_shared = 0; // open to Иванов and Петров
};

// Иванов and Петров; one record hidden from all but Иванов, one whose phone
// only the two of them see, changed once so the history holds its privacy.
void TestAccountAdmin::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_test.reset(); // one connection of that name at a time
    m_test = std::make_unique<TestDatabase>();
    const QSqlDatabase db = m_test->db();
    AccountStore accounts(db);
    QVERIFY(accounts.registerUser(QStringLiteral("Иванов"), QStringLiteral("секрет")));
    QVERIFY(accounts.registerUser(QStringLiteral("Петров"), QStringLiteral("пароль")));
    RecordStore store(db);
    // The mobile phone's code, between blanks.
    const QString mobile = QStringLiteral(" %1 ").arg(
        HiddenFields::number(HiddenFields::code(HiddenFields::phone(3))));
    m_alone = store.insert(SampleRecord::person(u"Тайный").owns(u" Иванов ").hided(u" all "));
    // Left to a user removed with --force.
    store.insert(SampleRecord::person(u"Оставленный").owns(u" Ушедший ").hided(u" all "));
    m_shared = store.insert(
        SampleRecord::person(u"Общий").phone(3, u"+7 900").owns(u" Иванов Петров ").hided(mobile));
    store.update(m_shared,
                 SampleRecord::person(u"Общий", u"О")
                     .phone(3, u"+7 900")
                     .owns(u" Иванов Петров ")
                     .hided(mobile),
                 {1, QStringLiteral("Иванов"), false});
}

void TestAccountAdmin::renamedUserKeepsAccess()
{
    const QSqlDatabase db = m_test->db();
    RecordStore store(db);
    const int seen = store.revision(m_alone).rev;
    const auto done = AccountAdmin(db).rename(QStringLiteral("иванов"), QStringLiteral("Сидоров"));
    QCOMPARE(done.from, QStringLiteral("Иванов"));
    QCOMPARE(done.records, 2);
    QCOMPARE(done.history, 1);
    QCOMPARE(AccountStore(db).login(QStringLiteral("Сидоров"), QStringLiteral("секрет")).outcome,
             AccountStore::Outcome::Accepted);
    QVERIFY(!AccountStore(db).exists(QStringLiteral("Иванов")));
    QCOMPARE(VisibleRecords(db, QStringLiteral("Сидоров")).allIds().size(), 2);
    QCOMPARE(VisibleRecords(db, QStringLiteral("Петров")).allIds(), QList<int>{m_shared});
    // An editor that loaded the record before the rename cannot write the
    // old name back.
    QVERIFY(store.revision(m_alone).rev > seen);
    QVERIFY_THROWS_EXCEPTION(
        RecordConflict, store.update(m_alone, SampleRecord::person(u"Тайный").owns(u" Иванов "),
                                     {seen, QStringLiteral("Сидоров"), false}));
}

void TestAccountAdmin::removalKeepsHiddenRecordsHidden()
{
    const QSqlDatabase db = m_test->db();
    const auto done = AccountAdmin(db).remove(QStringLiteral("Иванов"), true);
    QCOMPARE(done.keptIn, 1);
    QCOMPARE(done.droppedIn, 1);
    QVERIFY(!AccountStore(db).exists(QStringLiteral("Иванов")));
    QCOMPARE(VisibleRecords(db, QStringLiteral("Петров")).allIds(), QList<int>{m_shared});
    QCOMPARE(RecordStore(db).load(m_shared, QStringLiteral("Петров"))->phones[3],
             QStringLiteral("+7 900"));
    QVERIFY(RecordStore(db).load(m_shared, QStringLiteral("Сидоров"))->phones[3].isEmpty());
}

void TestAccountAdmin::refusalsChangeNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("rename an unknown user")
        << "rename" << QStringList{"Сидоров", "Козлов"} << "«Сидоров» не зарегистрирован";
    QTest::newRow("rename to a name taken in other letters")
        << "rename" << QStringList{"Иванов", "ПЕТРОВ"} << "уже занято пользователем «Петров»";
    QTest::newRow("rename to a name left in records")
        << "rename" << QStringList{"Петров", "Ушедший"} << "удалённого пользователя: 1";
    QTest::newRow("rename to a name with a blank")
        << "rename" << QStringList{"Иванов", "Иван Иванов"} << "не должно содержать пробелов";
    QTest::newRow("empty password") << "reset" << QStringList{"Иванов", ""} << "пароль пуст";
    QTest::newRow("password of an unknown user")
        << "reset" << QStringList{"Козлов", "x"} << "«Козлов» не зарегистрирован";
    QTest::newRow("remove the only permitted user")
        << "remove" << QStringList{"Иванов"} << "единственный, кому открыты записи: 1";
    QTest::newRow("remove an unknown user")
        << "remove" << QStringList{"Козлов"} << "«Козлов» не зарегистрирован";
}

void TestAccountAdmin::refusalsChangeNothing()
{
    QFETCH(QString, command);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const QSqlDatabase db = m_test->db();
    const QStringList before = state(db);
    const AccountAdmin admin(db);
    try {
        if (command == QLatin1String("rename"))
            admin.rename(arguments.at(0), arguments.at(1));
        else if (command == QLatin1String("reset"))
            admin.resetPassword(arguments.at(0), arguments.at(1));
        else
            admin.remove(arguments.at(0), false);
        QFAIL("not refused");
    } catch (const AccountRefused& e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QCOMPARE(state(db), before);
}

QTEST_GUILESS_MAIN(TestAccountAdmin)
#include "tst_accountadmin.moc"
