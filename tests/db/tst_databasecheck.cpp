// SPDX-License-Identifier: MIT
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "db/DatabaseCheck.h"
#include "db/Sql.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"

#include <QtTest>

// Each kind of damage the check claims to find, made by hand: found, mended
// by the repair, and the lists right again.
class TestDatabaseCheck : public QObject
{
    Q_OBJECT

private slots:
    void findsAndMendsDamage_data();
    void findsAndMendsDamage();
};

void TestDatabaseCheck::findsAndMendsDamage_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("finding");
    QTest::addColumn<bool>("sqliteOnly");
    QTest::newRow("phone of no record")
        << "INSERT INTO phone (parentid, phone, noteid) VALUES (999, '1', 1)"
        << "телефоны без записи" << false;
    QTest::newRow("order row gone") << "DELETE FROM sprav_order WHERE id = :id"
                                    << "sprav_order" << false;
    QTest::newRow("order key wrong") << "UPDATE sprav_order SET sortkey = 'я' WHERE id = :id"
                                     << "sprav_order" << false;
    QTest::newRow("names row gone") << "DELETE FROM sprav_names WHERE id = :id"
                                    << "sprav_names" << false;
    QTest::newRow("number index row gone") << "DELETE FROM phone_fts WHERE rowid = :id"
                                           << "phone_fts" << true;
}

void TestDatabaseCheck::findsAndMendsDamage()
{
    QFETCH(QString, damage);
    QFETCH(QString, finding);
    QFETCH(bool, sqliteOnly);
    SPRAV_REQUIRE_DATABASE();
    TestDatabase test;
    if (sqliteOnly && test.engine() != Engine::SQLite)
        QSKIP("an index of SQLite");
    RecordStore store(test.db());
    store.insert(SampleRecord::person(u"Борисов").phone(1, u"111-22-33"));
    const int id = store.insert(SampleRecord::person(u"Андреев").phone(3, u"+7 917 555-12-34"));
    const DatabaseCheck check(test.db());
    QVERIFY(check.run().isEmpty());

    QSqlQuery q = Sql::prepare(test.db(), damage);
    if (damage.contains(QLatin1String(":id")))
        q.bindValue(QStringLiteral(":id"), id);
    Sql::exec(q);
    const QList<DatabaseCheck::Finding> found = check.run();
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first().what.contains(finding), qPrintable(found.first().what));

    check.repair();
    QVERIFY(check.run().isEmpty());
    const ListingQueries queries(test.db(), QStringLiteral("u1"));
    QCOMPARE(queries.search(QStringLiteral("89175551234")).value().size(), 1);
    const QList<FoundRow> all = queries.allRecords();
    QCOMPARE(all.size(), 2);
    QCOMPARE(all.first().id, id); // Андреев before Борисов
}

QTEST_GUILESS_MAIN(TestDatabaseCheck)
#include "tst_databasecheck.moc"
