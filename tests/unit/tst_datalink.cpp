// SPDX-License-Identifier: MIT
#include "common/DbError.h"
#include "db/DataLink.h"
#include "db/DataLinkFile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestDataLink : public QObject
{
    Q_OBJECT

private slots:
    void sqliteRelativeAndAbsolute();
    void utf16WithHeaderAndComments();
    void postgresKeys();
    void unknownOrMissingProvider();
    void missingFile();
    void encodings_data();
    void encodings();
    void passwordNeverQuoted_data();
    void passwordNeverQuoted();
    void onlyRegularFileRead_data();
    void onlyRegularFileRead();
    void foundInItsPlaces_data();
    void foundInItsPlaces();
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

void TestDataLink::encodings_data()
{
    const QString text = QStringLiteral("Provider=SQLite;Data Source=справка.db\r\n");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("readable");
    QTest::newRow("UTF-16LE without mark")
        << QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(text)) << true;
    QTest::newRow("UTF-16BE without mark")
        << QByteArray(QStringEncoder(QStringEncoder::Utf16BE).encode(text)) << true;
    QTest::newRow("UTF-16LE starting with Cyrillic")
        << QByteArray(QStringEncoder(QStringEncoder::Utf16LE)
                          .encode(QStringLiteral("; Справочник\r\n") + text))
        << true;
    // Windows-1251: "справка" is not UTF-8.
    QTest::newRow("Windows-1251") << QByteArray("Provider=SQLite;Data Source=\xF1\xEF\xF0.db")
                                  << false;
}

void TestDataLink::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, readable);
    try {
        const DataLink link = DataLink::parse(bytes, QStringLiteral("/d"));
        QVERIFY(readable);
        QCOMPARE(link.databaseFile(), QStringLiteral("/d/справка.db"));
    } catch (const DbError& e) {
        QVERIFY2(!readable, qPrintable(e.text()));
        QVERIFY(e.text().contains(QStringLiteral("sprav.udl")));
    }
}

void TestDataLink::passwordNeverQuoted_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("comma after provider")
        << QByteArray("Provider=PostgreSQL,Password=Sekret42;Data Source=db.local");
    QTest::newRow("blank after provider")
        << QByteArray("Provider=PostgreSQL Password=Sekret42;Data Source=db.local");
    QTest::newRow("quoted provider") << QByteArray("Provider=\"PostgreSQL;PWD = Sekret42\"");
    QTest::newRow("comma after port")
        << QByteArray("Provider=PostgreSQL;Data Source=db.local;Port=5432,password=Sekret42");
}

void TestDataLink::passwordNeverQuoted()
{
    QFETCH(QByteArray, text);
    try {
        DataLink::parse(text, QString());
        QFAIL("a mistyped data link must be refused");
    } catch (const DbError& e) {
        QVERIFY2(!e.text().contains(QStringLiteral("Sekret42")), qPrintable(e.text()));
        QVERIFY(e.text().contains(QStringLiteral("sprav.udl")));
    }
}

void TestDataLink::onlyRegularFileRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << QStringLiteral("folder");
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << QStringLiteral("pipe");
    QTest::newRow("device") << QStringLiteral("device");
#endif
}

// Reading a pipe would wait for a writer for ever, a device for ever longer.
void TestDataLink::onlyRegularFileRead()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("sprav.udl"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sprav.udl")));
#ifdef Q_OS_UNIX
    if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    if (kind == QLatin1String("device"))
        path = QStringLiteral("/dev/zero");
#endif
    try {
        DataLink::fromFile(path);
        QFAIL("only a regular file may be read");
    } catch (const DbError& e) {
        QVERIFY2(e.text().contains(path), qPrintable(e.text()));
    }
}

void TestDataLink::foundInItsPlaces_data()
{
    QTest::addColumn<QStringList>("present"); // places holding a sprav.udl
    QTest::addColumn<bool>("named");          // SPRAV_DATA_LINK set
    QTest::addColumn<QString>("found");
    QTest::newRow("named first") << QStringList{"work", "config"} << true << "named.udl";
    QTest::newRow("working directory")
        << QStringList{"work", "config", "etc"} << false << "work/sprav.udl";
    QTest::newRow("user's own") << QStringList{"config", "etc"} << false << "config/sprav.udl";
    QTest::newRow("workstation's") << QStringList{"etc"} << false << "etc/sprav.udl";
    QTest::newRow("none: the working directory's, reported missing")
        << QStringList{} << false << "work/sprav.udl";
}

void TestDataLink::foundInItsPlaces()
{
    QFETCH(QStringList, present);
    QFETCH(bool, named);
    QFETCH(QString, found);
    QTemporaryDir dir;
    DataLinkFile::Places places;
    places.workingDir = dir.filePath(QStringLiteral("work"));
    places.userConfig = dir.filePath(QStringLiteral("config"));
    places.system = dir.filePath(QStringLiteral("etc"));
    if (named)
        places.named = dir.filePath(QStringLiteral("named.udl"));
    for (const QString& place : present) {
        QVERIFY(QDir(dir.path()).mkpath(place));
        QFile file(dir.filePath(place + QStringLiteral("/sprav.udl")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(DataLinkFile::find(places), dir.filePath(found));
}

QTEST_GUILESS_MAIN(TestDataLink)
#include "tst_datalink.moc"
