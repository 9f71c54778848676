// SPDX-License-Identifier: MIT
#include "Parallel.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/Schema.h"
#include "db/SearchIndex.h"
#include "db/Sql.h"
#include "editor/RecordStore.h"

#include <QSqlRecord>
#include <QtTest>
#include <atomic>
#include <barrier>
#include <latch>

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
    void copiesCreateTheSchemaTogether();
    void startupsRaceAWriter();

private:
    static QStringList columnsOf(const QSqlDatabase& db, const QString& table);
    static int count(const QSqlDatabase& db, const QString& statement);
};

int TestSchema::count(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query = Sql::run(db, statement);
    return query.next() ? query.value(0).toInt() : -1;
}

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
         {"upper", QStringLiteral("ЁЛКИ Ärger ΣΟΦΙΑ ΟΔΥΣΣΕΥΣ İ ẞ")}});
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 5);
    QCOMPARE(query.value(1).toInt(), 0);
    // Both engines fold as the typed text is folded, the final sigma too.
    QCOMPARE(query.value(2).toString(), QStringLiteral("ёлки ärger σοφια οδυσσευσ i\u0307 ß"));
}

void TestSchema::unopenableDatabase()
{
    if (TestDatabase::wantsPostgres()) {
        DataLink link;
        link.provider = DataLink::Provider::PostgreSQL;
        link.dataSource = qEnvironmentVariable("SPRAV_PG_HOST");
        link.port = qEnvironmentVariableIntValue("SPRAV_PG_PORT");
        link.user = qEnvironmentVariable("SPRAV_PG_USER");
        link.catalog = QStringLiteral("no_such_database_here");
        QVERIFY_THROWS_EXCEPTION(DbError, Database(link, QStringLiteral("bad")));
        return;
    }
    DataLink link;
    link.provider = DataLink::Provider::SQLite;
    link.baseDir = QStringLiteral("/nonexistent/folder");
    link.dataSource = QStringLiteral("sprav.db");
    QVERIFY_THROWS_EXCEPTION(DbError, Database(link, QStringLiteral("bad")));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("bad")));
}

void TestSchema::copiesCreateTheSchemaTogether()
{
    // Copies of the program started at the same moment on an empty database:
    // one makes the schema, the others wait for it and go on.
    TestDatabase test;
    for (int round = 0; round < 3; ++round) {
        DataLink link = test.link();
        if (test.engine() == Engine::PostgreSQL) {
            Sql::run(test.db(), QStringLiteral("DROP SCHEMA public CASCADE"));
            Sql::run(test.db(), QStringLiteral("CREATE SCHEMA public"));
        } else {
            link.dataSource = QStringLiteral("round%1.db").arg(round);
        }
        std::barrier start(3);
        const QStringList errors = runInParallel(3, [&](int n) {
            start.arrive_and_wait();
            const Database copy(link, QStringLiteral("copy%1").arg(n));
        });
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
        const Database after(link, QStringLiteral("after"));
        QCOMPARE(count(after.db(), QStringLiteral("SELECT count(*) FROM notes")), 6);
    }
}

void TestSchema::startupsRaceAWriter()
{
    // One copy keeps saving records while others start; every third start-up
    // finds the schema outdated (the search index incomplete) and brings it
    // up to date, on SQLite in short steps. No save and no start-up fails.
    TestDatabase test;
    const bool postgres = test.engine() == Engine::PostgreSQL;
    SearchIndex::setBuildPace({25, 0, 200, 10, {}});
    constexpr int records = 300;
    std::atomic<bool> stop = false;
    std::atomic<int> saved = 0;
    std::latch someSaved(1);
    const QStringList errors = runInParallel(2, [&](int n) {
        if (n == 0) {
            const auto writer = test.connectAgain(QStringLiteral("writer"));
            if (!postgres) // without waiting for the disk at each save
                Sql::run(writer->db(), QStringLiteral("PRAGMA synchronous = NORMAL"));
            RecordStore store(writer->db());
            RecordData record;
            record.f = QStringLiteral("Писарев");
            record.phones[1] = QStringLiteral("212-85-00");
            try {
                while (!stop && saved < records) {
                    store.insert(record);
                    if (++saved == 20)
                        someSaved.count_down();
                }
            } catch (...) {
                if (saved < 20)
                    someSaved.count_down();
                throw;
            }
            return;
        }
        someSaved.wait();
        const auto own = test.connectAgain(QStringLiteral("outdating"));
        for (int start = 0; start < 9; ++start) {
            if (start % 3 == 1 && postgres) {
                Sql::run(own->db(), QStringLiteral("UPDATE sprav_schema SET version = 0"));
                Sql::run(own->db(), QStringLiteral("DROP INDEX CONCURRENTLY sprav_f_trgm"));
            } else if (start % 3 == 1) {
                Sql::run(own->db(), QStringLiteral("DROP TRIGGER sprav_fts_update"));
            }
            test.connectAgain(QStringLiteral("start%1").arg(start));
        }
        stop = true;
    });
    SearchIndex::setBuildPace({});
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    QVERIFY(saved > 0);

    // The index that start-ups rebuilt while records came in finds them all.
    QVERIFY(SearchIndex::indexed(test.db()));
    QSqlQuery found = Sql::prepare(test.db(), QStringLiteral("SELECT count(*) FROM sprav WHERE ") +
                                                  SearchIndex::condition(test.db()));
    SearchIndex::bind(found, QStringLiteral("писар"));
    Sql::exec(found);
    QVERIFY(found.next());
    QCOMPARE(found.value(0).toInt(), int(saved));
    if (!postgres)
        Sql::run(test.db(),
                 QStringLiteral("INSERT INTO sprav_fts (sprav_fts) VALUES ('integrity-check')"));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
