// SPDX-License-Identifier: MIT
#include "TestDatabase.h"
#include "db/SqliteFile.h"

#include <QTemporaryDir>
#include <QtTest>

// An SQLite file in a network folder: WAL needs memory shared on one
// machine, so such a file keeps the rollback journal and the user is told.
class TestSqliteFile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void networkFileSystemTypes_data();
    void networkFileSystemTypes();
    void journalModeFollowsTheFolder_data();
    void journalModeFollowsTheFolder();
};

namespace
{

constexpr quint64 ext4 = 0xEF53;
constexpr quint64 smb2 = 0xFE534D42;

QString pragma(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("PRAGMA ") + name) && q.next() ? q.value(0).toString() : QString();
}

} // namespace

void TestSqliteFile::cleanup()
{
    SqliteFile::setFileSystemProbe({});
}

void TestSqliteFile::networkFileSystemTypes_data()
{
    QTest::addColumn<quint64>("type");
    QTest::addColumn<bool>("network");
    QTest::newRow("NFS") << quint64(0x6969) << true;
    QTest::newRow("SMB") << quint64(0x517B) << true;
    QTest::newRow("CIFS") << quint64(0xFF534D42) << true;
    QTest::newRow("SMB2") << smb2 << true;
    QTest::newRow("ext4") << ext4 << false;
    QTest::newRow("tmpfs") << quint64(0x01021994) << false;
    QTest::newRow("btrfs") << quint64(0x9123683E) << false;
    // Local as often as remote: not taken for a network.
    QTest::newRow("9p") << quint64(0x01021997) << false;
    QTest::newRow("FUSE") << quint64(0x65735546) << false;
}

void TestSqliteFile::networkFileSystemTypes()
{
    QFETCH(quint64, type);
    QFETCH(bool, network);
    QCOMPARE(SqliteFile::isNetworkFileSystem(type), network);
}

void TestSqliteFile::journalModeFollowsTheFolder_data()
{
    QTest::addColumn<quint64>("type");
    QTest::addColumn<QString>("journal");
    QTest::newRow("local folder") << ext4 << QStringLiteral("wal");
    QTest::newRow("network folder") << smb2 << QStringLiteral("delete");
}

// Both a new file and one a local copy left in WAL mode: the busy timeout
// stays, so a second copy still waits instead of failing.
void TestSqliteFile::journalModeFollowsTheFolder()
{
    if (TestDatabase::wantsPostgres())
        QSKIP("a PostgreSQL database has no file");
    QFETCH(quint64, type);
    QFETCH(QString, journal);
    QTemporaryDir dir;
    DataLink link;
    link.dataSource = dir.filePath(QStringLiteral("sprav.db"));
    QString seenPath;
    SqliteFile::setFileSystemProbe([&](const QString& path) {
        seenPath = path;
        return type;
    });

    for (const QString& step : {QStringLiteral("new file"), QStringLiteral("existing file")}) {
        if (step == QLatin1String("existing file")) {
            SqliteFile::setFileSystemProbe([](const QString&) { return ext4; });
            const Database local(link, QStringLiteral("local")); // leaves the file in WAL mode
            SqliteFile::setFileSystemProbe([&](const QString& path) {
                seenPath = path;
                return type;
            });
        }
        const Database database(link);
        // Asked about the file, or the folder that will hold it.
        QVERIFY2(
            QFileInfo(seenPath).canonicalFilePath().startsWith(QDir(dir.path()).canonicalPath()),
            qPrintable(step + QStringLiteral(": ") + seenPath));
        QCOMPARE(pragma(database.db(), QStringLiteral("journal_mode")), journal);
        QCOMPARE(pragma(database.db(), QStringLiteral("busy_timeout")), QStringLiteral("10000"));
        const QString notice = database.notice();
        QCOMPARE(notice.isEmpty(), journal == QLatin1String("wal"));
        if (!notice.isEmpty())
            QVERIFY2(notice.contains(QStringLiteral("PostgreSQL")) &&
                         notice.contains(QDir::toNativeSeparators(link.dataSource)),
                     qPrintable(notice));
    }
}

QTEST_MAIN(TestSqliteFile)
#include "tst_sqlitefile.moc"
