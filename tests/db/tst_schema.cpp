// SPDX-License-Identifier: MIT
#include "LogCapture.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/Schema.h"
#include "db/Sql.h"

#include <QSqlRecord>
#include <QtTest>

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }
    void spravColumnOrder();
    void otherTablesByPosition();
    void phoneKinds();
    void reopeningKeepsData();
    void functionsForStatements();
    void unopenableDatabase();

private:
    static QStringList columnsOf(const QSqlDatabase& db, const QString& table);
};

QStringList TestSchema::columnsOf(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery query = Sql::run(db, QStringLiteral("SELECT * FROM %1").arg(table));
    const QSqlRecord record = query.record();
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i).toLower();
    return names;
}

void TestSchema::spravColumnOrder()
{
    TestDatabase test;
    const QStringList expected = {
        "id",           "f",           "io",         "profid",      "shortpp",    "longpp",
        "legaladdress", "postaddress", "fizaddress", "homeaddress", "cityid",     "path",
        "email",        "www",         "birthday",   "spfio",       "spbirthday", "spinfo",
        "otherphones",  "info",        "req",        "owns",        "hided"};
    QCOMPARE(columnsOf(test.db(), QStringLiteral("sprav")), expected);
}

void TestSchema::otherTablesByPosition()
{
    TestDatabase test;
    const QSqlDatabase db = test.db();
    QCOMPARE(columnsOf(db, QStringLiteral("prof")), QStringList({"id", "proftitle"}));
    QCOMPARE(columnsOf(db, QStringLiteral("city")), QStringList({"id", "cityname", "citycode"}));
    QCOMPARE(columnsOf(db, QStringLiteral("phone")),
             QStringList({"parentid", "phone", "noteid", "hid"}));
    const QStringList users = columnsOf(db, QStringLiteral("users"));
    QCOMPARE(users.size(), 3);
    QCOMPARE(users.at(1), QStringLiteral("log"));
    QCOMPARE(users.at(2), QStringLiteral("pass"));

    // The key columns are filled by the database, increasing.
    const qint64 first = Sql::insertReturningId(
        db, QStringLiteral("INSERT INTO city (cityname, citycode) VALUES (:n, :c) RETURNING id"),
        {{"n", QStringLiteral("Казань")}, {"c", QStringLiteral("8432")}});
    const qint64 second = Sql::insertReturningId(
        db, QStringLiteral("INSERT INTO city (cityname, citycode) VALUES (:n, :c) RETURNING id"),
        {{"n", QStringLiteral("Москва")}, {"c", QStringLiteral("495")}});
    QVERIFY(second > first);
}

void TestSchema::phoneKinds()
{
    TestDatabase test;
    QSqlQuery query = Sql::run(test.db(), QStringLiteral("SELECT id, note FROM notes ORDER BY id"));
    QStringList notes;
    int expectedId = 1;
    while (query.next()) {
        QCOMPARE(query.value(0).toInt(), expectedId++);
        notes << query.value(1).toString();
    }
    QCOMPARE(notes,
             QStringList({"Рабочий", "Домашний", "Мобильный", "Прямой", "Секретарь", "Факс"}));
}

void TestSchema::reopeningKeepsData()
{
    TestDatabase test;
    Sql::run(test.db(), QStringLiteral("INSERT INTO sprav (f, io) VALUES (:f, :io)"),
             {{"f", QStringLiteral("Иванов")}, {"io", QStringLiteral("Иван")}});
    // A second copy of the program opening the same database finds it ready.
    auto again = test.connectAgain(QStringLiteral("second"));
    QSqlQuery notes = Sql::run(again->db(), QStringLiteral("SELECT COUNT(*) FROM notes"));
    QVERIFY(notes.next());
    QCOMPARE(notes.value(0).toInt(), 6);
    QSqlQuery records = Sql::run(again->db(), QStringLiteral("SELECT f FROM sprav"));
    QVERIFY(records.next());
    QCOMPARE(records.value(0).toString(), QStringLiteral("Иванов"));
}

void TestSchema::functionsForStatements()
{
    TestDatabase test;
    QSqlQuery query = Sql::run(
        test.db(),
        QStringLiteral("SELECT instr(:text, :part), instr(:text, :missing), ulower(:upper)"),
        {{"text", QStringLiteral("Телефонный")},
         {"part", QStringLiteral("фон")},
         {"missing", QStringLiteral("ФОН")},
         {"upper", QStringLiteral("ЁЛКИ Ärger ΣΟΦΙΑ")}});
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 5);
    QCOMPARE(query.value(1).toInt(), 0);
    QCOMPARE(query.value(2).toString().left(11), QStringLiteral("ёлки ärger "));
}

// The log names the database that failed to open, never the password.
void TestSchema::unopenableDatabase()
{
    LogCapture log("sprav.db");
    if (TestDatabase::wantsPostgres()) {
        DataLink link;
        link.provider = DataLink::Provider::PostgreSQL;
        link.dataSource = qEnvironmentVariable("SPRAV_PG_HOST");
        link.port = qEnvironmentVariableIntValue("SPRAV_PG_PORT");
        link.user = qEnvironmentVariable("SPRAV_PG_USER");
        link.password = QStringLiteral("Pa55-тайна");
        link.catalog = QStringLiteral("no_such_database_here");
        QVERIFY_THROWS_EXCEPTION(DbError, Database(link, QStringLiteral("bad")));
        QVERIFY2(log.all().contains(link.catalog) && log.all().contains(link.dataSource),
                 qPrintable(log.all()));
        QVERIFY2(!log.all().contains(link.password), qPrintable(log.all()));
        return;
    }
    DataLink link;
    link.provider = DataLink::Provider::SQLite;
    link.baseDir = QStringLiteral("/nonexistent/folder");
    link.dataSource = QStringLiteral("sprav.db");
    QVERIFY_THROWS_EXCEPTION(DbError, Database(link, QStringLiteral("bad")));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("bad")));
    QVERIFY2(log.all().contains(link.databaseFile()), qPrintable(log.all()));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
