// SPDX-License-Identifier: MIT
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"

#include <QProcess>
#include <QtTest>

namespace
{

// Runs the sqlite3 shell on the file with the statements on its input;
// gives its standard error.
QString shell(const QString& file, const QString& statements, bool loadFunctions)
{
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("-bail"), file});
    if (loadFunctions)
        sqlite.write(".load " + QByteArray(SPRAV_SQLITE_EXTENSION) + '\n');
    sqlite.write(statements.toUtf8());
    sqlite.closeWriteChannel();
    if (!sqlite.waitForFinished(30000))
        return QStringLiteral("sqlite3 did not finish");
    return QString::fromUtf8(sqlite.readAllStandardError());
}

QStringList names(const QList<FoundRow>& rows)
{
    QStringList texts;
    for (const FoundRow& row : rows)
        texts << row.name + QLatin1Char('|') + row.phones;
    return texts;
}

} // namespace

// An admin mends the file with the sqlite3 shell and the functions the
// program gives it: the program's search, order and lists stay right.
class TestSqliteShell : public QObject
{
    Q_OBJECT

private slots:
    void shellChangesAreListedRight();
};

void TestSqliteShell::shellChangesAreListedRight()
{
    if (TestDatabase::wantsPostgres())
        QSKIP("the sqlite3 shell changes SQLite files");
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        QSKIP("no sqlite3 shell (Debian package sqlite3)");
    const QString user = QStringLiteral("u1");
    const TestDatabase test;
    RecordStore store(test.db());
    store.insert(SampleRecord::person(u"Борисов", u"Борис").phone(1, u"111-22-33"));
    store.insert(SampleRecord::person(u"Смирнов", u"Андрей").phone(2, u"44-55-66"));
    const QString file = test.link().databaseFile();
    const QString changes = QStringLiteral(
        "INSERT INTO sprav (f, io, shortpp) VALUES ('Аксёнова', 'Анна', 'Лицей 1534');\n"
        "INSERT INTO phone (parentid, phone, noteid, hid) "
        "VALUES (last_insert_rowid(), '+7 843 555-12-34', 3, 0);\n"
        "UPDATE sprav SET f = 'Яковлев' WHERE f = 'Борисов';\n"
        "DELETE FROM phone WHERE parentid = (SELECT id FROM sprav WHERE f = 'Смирнов');\n"
        "DELETE FROM sprav WHERE f = 'Смирнов';\n");
    QVERIFY(shell(file, changes, false).contains(QStringLiteral("no such function")));
    const QString failed = shell(file, changes, true);
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    const auto reopened = test.connectAgain(QStringLiteral("reopened"));
    const ListingQueries queries(reopened->db(), user);
    const QStringList all = {QStringLiteral("Аксёнова Анна|Мобильный: +7 843 555-12-34; "),
                             QStringLiteral("Яковлев Борис|Рабочий: 111-22-33; ")};
    QCOMPARE(names(queries.allRecords()), all);
    QCOMPARE(names(queries.search(QStringLiteral("аксенова")).value()), all.mid(0, 1));
    QCOMPARE(names(queries.search(QStringLiteral("1534")).value()), all.mid(0, 1));
    QCOMPARE(names(queries.search(QStringLiteral("8 843 555 12 34")).value()), all.mid(0, 1));
    QCOMPARE(names(queries.search(QStringLiteral("Яковл")).value()), all.mid(1, 1));
    QVERIFY(queries.search(QStringLiteral("Смирнов")).value().isEmpty());
    QVERIFY(queries.search(QStringLiteral("Борисов")).value().isEmpty());
}

QTEST_GUILESS_MAIN(TestSqliteShell)
#include "tst_sqliteshell.moc"
