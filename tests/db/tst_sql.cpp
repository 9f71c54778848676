// SPDX-License-Identifier: MIT
#include "LogCapture.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/Sql.h"

#include <QtTest>

// What the database layer logs when a statement fails: the statement's text
// and the cause, never a value bound to it.
class TestSql : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }
    void failureIsLoggedWithoutValues_data();
    void failureIsLoggedWithoutValues();
};

void TestSql::failureIsLoggedWithoutValues_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("prepare") << QStringLiteral("SELEC log FROM users WHERE log = :secret");
    // PostgreSQL's message about the NULL quotes the whole row in its detail.
    QTest::newRow("exec") << QStringLiteral(
        "INSERT INTO phone (parentid, phone, noteid, hid) VALUES (1, :secret, 1, NULL)");
    QTest::newRow("begin on a lost connection") << QStringLiteral("BEGIN");
}

void TestSql::failureIsLoggedWithoutValues()
{
    QFETCH(QString, statement);
    TestDatabase test;
    QSqlDatabase db = test.db();
    const QString secret = QStringLiteral("тайна-4711");
    LogCapture log("sprav.db");
    if (statement == QLatin1String("BEGIN")) {
        // PostgreSQL's connection is opened again, unless the server cannot
        // be reached.
        db.close();
        db.setPort(1);
        QVERIFY_THROWS_EXCEPTION(DbError, Sql::Transaction{db});
    } else {
        QVERIFY_THROWS_EXCEPTION(DbError, Sql::run(db, statement, {{"secret", secret}}));
    }
    QCOMPARE(log.messages().size(), 1);
    QVERIFY2(log.all().startsWith(QStringLiteral("statement failed: %1 --").arg(statement)),
             qPrintable(log.all()));
    QVERIFY2(!log.all().contains(secret), qPrintable(log.all()));
}

QTEST_GUILESS_MAIN(TestSql)
#include "tst_sql.moc"
