// SPDX-License-Identifier: MIT
#include "LogCapture.h"
#include "Parallel.h"
#include "Scalar.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/ListingIndex.h"
#include "db/Schema.h"
#include "db/SearchIndex.h"
#include "db/SearchIndexBuild.h"
#include "db/Sql.h"
#include "records/RecordStore.h"

#include <QSqlRecord>
#include <QtTest>
#include <atomic>
#include <barrier>
#include <latch>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

Q_DECLARE_METATYPE(DataLink)

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
    void foreignDatabaseLeftUntouched_data();
    void foreignDatabaseLeftUntouched();
    void earlierOrEmptyDatabasesAccepted_data();
    void earlierOrEmptyDatabasesAccepted();
    void damagedFileExplained_data();
    void damagedFileExplained();
    void openingErrorHidesPassword_data();
    void openingErrorHidesPassword();

private:
    static QStringList columnsOf(const QSqlDatabase& db, const QString& table);
};

namespace
{

DataLink sqliteLink(const QString& path)
{
    DataLink link;
    link.provider = DataLink::Provider::SQLite;
    link.dataSource = path;
    return link;
}

// Runs statements on the file through a plain connection of its own.
void runOnFile(const QString& path, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "plain");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : statements)
            Sql::run(db, statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("plain"));
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void overwrite(const QString& path, qint64 offset, char byte)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(offset));
    QVERIFY(file.putChar(byte));
}

// Opening fails; gives the message.
QString openingError(const DataLink& link)
{
    try {
        Database database(link, QStringLiteral("refused"));
    } catch (const DbError& e) {
        return e.text();
    }
    return QString();
}

} // namespace

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
    const auto notes = [&test] {
        QSqlQuery query =
            Sql::run(test.db(), QStringLiteral("SELECT id, note FROM notes ORDER BY id"));
        QStringList texts;
        int expectedId = 1;
        while (query.next()) {
            if (query.value(0).toInt() != expectedId++)
                return QStringList{QStringLiteral("gap")};
            texts << query.value(1).toString();
        }
        return texts;
    };
    // A new database names the kinds so that a kind and its number read apart.
    QCOMPARE(notes(), QStringList({"Рабочий: ", "Домашний: ", "Мобильный: ", "Прямой: ",
                                   "Секретарь: ", "Факс: "}));
    // A database that has its rows keeps them.
    Sql::run(test.db(), QStringLiteral("UPDATE notes SET note = 'Рабочий' WHERE id = 1"));
    Schema::ensure(test.db());
    QCOMPARE(notes().first(), QStringLiteral("Рабочий"));
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

// The log names the database that failed to open, never the password.
void TestSchema::unopenableDatabase()
{
    LogCapture log("sprav.db");
    if (TestDatabase::wantsPostgres()) {
        DataLink link = TestDatabase::serverLink(QStringLiteral("no_such_database_here"));
        link.password = QStringLiteral("Pa55-тайна");
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

void TestSchema::foreignDatabaseLeftUntouched_data()
{
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("another program's tables")
        << QStringList{"CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT)",
                       "INSERT INTO customers (name) VALUES ('Acme')"};
    QTest::newRow("sprav lacking columns")
        << QStringList{"CREATE TABLE sprav (id INTEGER PRIMARY KEY, f TEXT, io TEXT)",
                       "INSERT INTO sprav (f, io) VALUES ('Иванов', 'Иван')"};
}

// Refused before anything is written: no table, trigger or WAL switch.
void TestSchema::foreignDatabaseLeftUntouched()
{
    if (TestDatabase::wantsPostgres())
        QSKIP("a database file of SQLite");
    QFETCH(QStringList, statements);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.db"));
    runOnFile(path, statements);
    const QByteArray before = contentsOf(path);
    QVERIFY(!before.isEmpty());

    const QString message = openingError(sqliteLink(path));
    QVERIFY2(TestDatabase::namesFileInRussian(message, path), qPrintable(message));
    QCOMPARE(contentsOf(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    QVERIFY(!QSqlDatabase::contains(QStringLiteral("refused")));
}

void TestSchema::earlierOrEmptyDatabasesAccepted_data()
{
    QTest::addColumn<bool>("emptyFile");
    QTest::addColumn<QStringList>("change"); // made to a directory of this program
    QTest::newRow("empty file") << true << QStringList();
    QTest::newRow("without search index")
        << false
        << QStringList{"DROP TRIGGER sprav_fts_insert", "DROP TRIGGER sprav_fts_delete",
                       "DROP TRIGGER sprav_fts_update", "DROP TABLE sprav_fts"};
    QTest::newRow("with a table of the user's own")
        << false << QStringList{"CREATE TABLE my_notes (x TEXT)"};
}

void TestSchema::earlierOrEmptyDatabasesAccepted()
{
    if (TestDatabase::wantsPostgres())
        QSKIP("a database file of SQLite");
    QFETCH(bool, emptyFile);
    QFETCH(QStringList, change);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sprav.db"));
    if (emptyFile) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        Database(sqliteLink(path), QStringLiteral("earlier"));
        runOnFile(path, change);
    }
    Database database(sqliteLink(path), QStringLiteral("again"));
    QSqlQuery notes = Sql::run(database.db(), QStringLiteral("SELECT COUNT(*) FROM notes"));
    QVERIFY(notes.next());
    QCOMPARE(notes.value(0).toInt(), 6);
    QVERIFY(SearchIndex::indexed(database.db()));
}

void TestSchema::damagedFileExplained_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("engineText");
    QTest::newRow("not a database") << "text"
                                    << "file is not a database";
    QTest::newRow("damaged schema page") << "schema"
                                         << "malformed";
    QTest::newRow("damaged table page") << "table"
                                        << "malformed";
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << "pipe"
                          << "";
#endif
}

void TestSchema::damagedFileExplained()
{
    if (TestDatabase::wantsPostgres())
        QSKIP("a database file of SQLite");
    QFETCH(QString, damage);
    QFETCH(QString, engineText);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sprav.db"));
    if (damage == QLatin1String("text")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    } else if (damage == QLatin1String("pipe")) {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    } else {
        int page = 1;
        {
            Database database(sqliteLink(path), QStringLiteral("made"));
            QSqlQuery root = Sql::run(database.db(), QStringLiteral("SELECT rootpage FROM "
                                                                    "sqlite_master WHERE "
                                                                    "name = 'sprav'"));
            QVERIFY(root.next());
            if (damage == QLatin1String("table"))
                page = root.value(0).toInt();
        }
        const QByteArray header = contentsOf(path).left(100);
        const int pageSize = (quint8(header.at(16)) << 8) | quint8(header.at(17));
        // The b-tree page header follows the 100-byte file header on page 1.
        overwrite(path, qint64(page - 1) * pageSize + (page == 1 ? 100 : 0), '\xFF');
    }
    // Found at opening, or by the first statement that reads the damaged page.
    QString message;
    try {
        Database database(sqliteLink(path), QStringLiteral("damaged"));
        Sql::run(database.db(), QStringLiteral("SELECT * FROM sprav"));
    } catch (const DbError& e) {
        message = e.text();
    }
    QVERIFY2(TestDatabase::namesFileInRussian(message, path), qPrintable(message));
    QVERIFY2(message.contains(engineText), qPrintable(message));
}

void TestSchema::openingErrorHidesPassword_data()
{
    QTest::addColumn<DataLink>("link");
    // Values that a mistyped separator ran together with the password.
    if (!TestDatabase::wantsPostgres()) {
        QTest::newRow("file") << sqliteLink(QStringLiteral("/nonexistent/x.db,Password=Sekret42"));
        return;
    }
    const DataLink server = TestDatabase::serverLink(QStringLiteral("postgres"));
    DataLink user = server;
    user.user = QStringLiteral("clerk,Password=Sekret42");
    QTest::newRow("user") << user;
    DataLink catalog = server;
    catalog.catalog = QStringLiteral("nodb,Password=Sekret42");
    QTest::newRow("catalog") << catalog;
}

void TestSchema::openingErrorHidesPassword()
{
    QFETCH(DataLink, link);
    const QString message = openingError(link);
    QVERIFY(!message.isEmpty());
    QVERIFY2(!message.contains(QStringLiteral("Sekret42")), qPrintable(message));
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
    // finds the schema outdated (the search index incomplete, the order and
    // names tables without their triggers) and brings it up to date, the
    // search index on SQLite in short steps. No save and no start-up fails.
    TestDatabase test;
    const bool postgres = test.engine() == Engine::PostgreSQL;
    SearchIndexBuild::setBuildPace({25, 0, 200, 10, {}});
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
                Sql::run(own->db(), QStringLiteral("DROP INDEX CONCURRENTLY %1")
                                        .arg(SearchIndexBuild::postgresIndexes().first().first));
                Sql::run(own->db(), QStringLiteral("DROP TRIGGER sprav_order_sync ON sprav"));
                Sql::run(own->db(), QStringLiteral("DROP TRIGGER sprav_names_sync ON sprav"));
            } else if (start % 3 == 1) {
                Sql::run(own->db(), QStringLiteral("DROP TRIGGER sprav_fts_update"));
                Sql::run(own->db(), QStringLiteral("DROP TRIGGER sprav_order_update"));
                Sql::run(own->db(), QStringLiteral("DROP TRIGGER sprav_names_update"));
            }
            test.connectAgain(QStringLiteral("start%1").arg(start));
        }
        stop = true;
    });
    SearchIndexBuild::setBuildPace({});
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
    // The names table, made anew too, holds every record.
    QVERIFY(postgres ? ListingIndex::postgresNamesCurrent(test.db())
                     : ListingIndex::current(test.db()));
    QSqlQuery names = Sql::run(test.db(), QStringLiteral("SELECT count(*) FROM sprav_names"));
    QVERIFY(names.next());
    QCOMPARE(names.value(0).toInt(), int(saved));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
