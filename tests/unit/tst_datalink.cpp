// SPDX-License-Identifier: MIT
#include "common/DbError.h"
#include "db/DataLink.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class TestDataLink : public QObject
{
    Q_OBJECT

private slots:
    void sqliteRelativeAndAbsolute();
    void utf16WithHeaderAndComments();
    void postgresKeys();
    void unknownOrMissingProvider();
    void missingFile();
};

void TestDataLink::sqliteRelativeAndAbsolute()
{
    const DataLink relative =
        DataLink::parse("Provider=SQLite;Data Source=data/sprav.db\r\n", QStringLiteral("/srv/x"));
    QCOMPARE(relative.provider, DataLink::Provider::SQLite);
    QCOMPARE(relative.databaseFile(), QStringLiteral("/srv/x/data/sprav.db"));

    const DataLink absolute = DataLink::parse("Provider=sqlite; Data Source = /var/lib/sprav.db ;",
                                              QStringLiteral("/srv"));
    QCOMPARE(absolute.databaseFile(), QStringLiteral("/var/lib/sprav.db"));

    const DataLink quoted = DataLink::parse(
        "Provider=SQLite;Data Source=\"Мои документы/спр;авочник.db\"", QStringLiteral("/h"));
    QCOMPARE(quoted.databaseFile(), QStringLiteral("/h/Мои документы/спр;авочник.db"));
}

void TestDataLink::utf16WithHeaderAndComments()
{
    const QString text = QStringLiteral("[oledb]\r\n; Everything after this line is an OLE DB "
                                        "initstring\r\nProvider=SQLite;Data Source=справка.db\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes += QStringEncoder(QStringEncoder::Utf16LE).encode(text);
    const DataLink link = DataLink::parse(bytes, QStringLiteral("/d"));
    QCOMPARE(link.databaseFile(), QStringLiteral("/d/справка.db"));

    QByteArray utf8("\xEF\xBB\xBF");
    utf8 += text.toUtf8();
    QCOMPARE(DataLink::parse(utf8, QStringLiteral("/d")).databaseFile(),
             QStringLiteral("/d/справка.db"));
}

void TestDataLink::postgresKeys()
{
    const DataLink link = DataLink::parse("Provider=PostgreSQL;Data Source=db.local;Port=5433;"
                                          "Initial Catalog=sprav;User ID=clerk;Password=p;w",
                                          QString());
    QCOMPARE(link.provider, DataLink::Provider::PostgreSQL);
    QCOMPARE(link.dataSource, QStringLiteral("db.local"));
    QCOMPARE(link.port, 5433);
    QCOMPARE(link.catalog, QStringLiteral("sprav"));
    QCOMPARE(link.user, QStringLiteral("clerk"));
    QCOMPARE(link.password, QStringLiteral("p"));
}

void TestDataLink::unknownOrMissingProvider()
{
    try {
        DataLink::parse("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=sprav.mdb", QString());
        QFAIL("an unknown provider must be refused");
    } catch (const DbError& e) {
        QVERIFY(e.text().contains(QStringLiteral("Microsoft.Jet.OLEDB.4.0")));
    }
    QVERIFY_THROWS_EXCEPTION(DbError, DataLink::parse("Data Source=sprav.db", QString()));
}

void TestDataLink::missingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sprav.udl"));
    try {
        DataLink::fromFile(path);
        QFAIL("a missing file must be reported");
    } catch (const DbError& e) {
        QVERIFY(e.text().contains(QStringLiteral("sprav.udl")));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Provider=SQLite;Data Source=sprav.db\n");
    file.close();
    QCOMPARE(DataLink::fromFile(path).databaseFile(), dir.filePath(QStringLiteral("sprav.db")));
}

QTEST_GUILESS_MAIN(TestDataLink)
#include "tst_datalink.moc"
