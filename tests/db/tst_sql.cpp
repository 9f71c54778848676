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
    void markedTextsBoundToNamesUsedTwice_data();
    void markedTextsBoundToNamesUsedTwice();
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

void TestSql::markedTextsBoundToNamesUsedTwice_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("byte-order mark") << QStringLiteral("\uFEFFабв");
    QTest::newRow("two marks") << QStringLiteral("\uFEFF\uFEFFx");
    QTest::newRow("plain") << QStringLiteral("абв");
}

// A text that starts with a byte-order mark is bound to every place of a
// name the statement uses more than once, run after run of a kept statement.
void TestSql::markedTextsBoundToNamesUsedTwice()
{
    QFETCH(QString, text);
    TestDatabase test;
    const QSqlDatabase db = test.db();
    Sql::Kept kept(db, QStringLiteral("SELECT CAST(:text AS text), CAST(:other AS text), "
                                      "CASE WHEN CAST(:text AS text) = CAST(:other AS text) "
                                      "THEN 1 ELSE 0 END, CAST(:text AS text)"));
    for (const QString& other : {text, QStringLiteral("x")}) {
        QSqlQuery& query = kept.query();
        Sql::bind(query, {{"text", text}, {"other", other}});
        Sql::exec(query);
        QVERIFY(Sql::next(query));
        QCOMPARE(Sql::text(query, 0), text);
        QCOMPARE(Sql::text(query, 1), other);
        QCOMPARE(query.value(2).toInt(), other == text ? 1 : 0);
        QCOMPARE(Sql::text(query, 3), text);
        QCOMPARE(query.boundValue(QStringLiteral(":text")), QVariant(text));
        query.finish();
    }
}

QTEST_GUILESS_MAIN(TestSql)
#include "tst_sql.moc"
