// SPDX-License-Identifier: MIT
#include "Parallel.h"
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "app/BackupCommands.h"
#include "app/CommandLine.h"
#include "auth/AccountStore.h"
#include "db/Backup.h"
#include "db/Sql.h"
#include "records/RecordStore.h"

#include <QAtomicInt>
#include <QFile>
#include <QtTest>

namespace
{

// Every row of the tables a backup carries, as text, NULL told apart.
QStringList contents(const QSqlDatabase& db)
{
    const QList<QPair<QString, QString>> tables = {
        {"notes", "id"},
        {"city", "id"},
        {"prof", "id"},
        {"users", "id"},
        {"sprav", "id"},
        {"phone", "parentid, noteid, phone"},
        {"sprav_rev", "id"},
        {"sprav_history", "histid"},
        {"phone_history", "histid, noteid, phone"},
    };
    QStringList rows;
    for (const auto& [table, order] : tables) {
        QSqlQuery q =
            Sql::run(db, QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(table, order));
        while (q.next()) {
            QStringList values{table};
            for (int c = 0; c < q.record().count(); ++c)
                values << (q.isNull(c) ? QStringLiteral("<NULL>")
                           : q.value(c).typeId() == QMetaType::Bool
                               ? QString::number(q.value(c).toInt())
                               : Sql::text(q, c));
            rows << values.join(QLatin1Char('|'));
        }
    }
    return rows;
}

// A directory with something of everything a copy must keep.
void fill(const QSqlDatabase& db)
{
    QVERIFY(AccountStore(db).registerUser(QStringLiteral("Иванов"), QStringLiteral("секрет")));
    RecordStore store(db);
    const int shown = store.insert(SampleRecord::person(u"\uFEFFПетров", u"Пётр")
                                       .city(u"Казань")
                                       .prof(u"Инженер")
                                       .phone(1, u"535-28-34")
                                       .phone(3, u"+7 917 000-11-22")
                                       .hided(u" 3 "),
                                   QStringLiteral("Иванов"));
    const int gone = store.insert(SampleRecord::person(u"Сидоров").phone(2, u"111"));
    store.update(shown, SampleRecord::person(u"Петров", u"Пётр").phone(1, u"535-28-35"),
                 {1, QStringLiteral("Иванов"), false});
    store.remove(gone, {1, QStringLiteral("Иванов"), false});
}

QString udl(QTemporaryDir& dir, const QString& name, const QByteArray& line)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(line);
    return file.fileName();
}

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }
    void backupRestoreKeepsEverything();
    void copyToOtherEngineAndBack();
    void badBackupChangesNothing_data();
    void badBackupChangesNothing();
    void backupWhileAnotherCopyWrites();
};

void TestBackup::backupRestoreKeepsEverything()
{
    TestDatabase test;
    fill(test.db());
    const QStringList before = contents(test.db());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("копия.db"));
    const QString link = udl(dir, QStringLiteral("sprav.udl"), test.dataLinkLine());
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    QCOMPARE(BackupCommands::backup(link, file, o, e), int(CommandLine::Done));
    QVERIFY2(out.contains(QStringLiteral("записей: 1")), qPrintable(out));
    QCOMPARE(contents(Backup::open(file, QStringLiteral("look"))->db()), before);

    // A database that holds records is kept unless asked.
    RecordStore(test.db()).insert(SampleRecord::person(u"Позже"));
    const QStringList later = contents(test.db());
    QCOMPARE(BackupCommands::restore(link, file, false, o, e), int(CommandLine::TargetNotEmpty));
    QCOMPARE(contents(test.db()), later);
    QCOMPARE(BackupCommands::restore(link, file, true, o, e), int(CommandLine::Done));
    QCOMPARE(contents(test.db()), before);
    QCOMPARE(
        AccountStore(test.db()).login(QStringLiteral("Иванов"), QStringLiteral("секрет")).outcome,
        AccountStore::Outcome::Accepted);
}

// SQLite → the test engine → SQLite again, by the data-link files.
void TestBackup::copyToOtherEngineAndBack()
{
    QTemporaryDir dir;
    const QByteArray firstLine = "Provider=SQLite;Data Source=" + dir.filePath("first.db").toUtf8();
    {
        Database first(DataLink::parse(firstLine, dir.path()), QStringLiteral("first"));
        fill(first.db());
    }
    TestDatabase test;
    const QString first = udl(dir, QStringLiteral("first.udl"), firstLine);
    const QString middle = udl(dir, QStringLiteral("middle.udl"), test.dataLinkLine());
    const QString last = udl(dir, QStringLiteral("last.udl"),
                             "Provider=SQLite;Data Source=" + dir.filePath("last.db").toUtf8());
    QString out;
    QTextStream o(&out);
    QTextStream e(&out);
    QCOMPARE(BackupCommands::copyTo(first, middle, false, o, e), int(CommandLine::Done));
    QCOMPARE(BackupCommands::copyTo(middle, last, false, o, e), int(CommandLine::Done));
    QCOMPARE(BackupCommands::copyTo(middle, middle, true, o, e), int(CommandLine::WrongUsage));
    const QStringList copied = contents(test.db());
    Database end(DataLink::fromFile(last), QStringLiteral("end"));
    QCOMPARE(contents(end.db()), copied);
    Database start(DataLink::fromFile(first), QStringLiteral("start"));
    QCOMPARE(contents(start.db()), copied);
    // A new record is numbered after the deleted one, whose history keeps its id.
    for (const QSqlDatabase& db : {test.db(), end.db()})
        QCOMPARE(RecordStore(db).insert(SampleRecord::person(u"Новый")), 3);
}

void TestBackup::badBackupChangesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("cutGoodBackup");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("text") << QByteArray("Фамилия;Имя\nИванов;Иван\n") << false;
    QTest::newRow("another program's database") << QByteArray("other") << false;
    QTest::newRow("cut off") << QByteArray() << true;
}

void TestBackup::badBackupChangesNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, cutGoodBackup);
    TestDatabase test;
    fill(test.db());
    const QStringList before = contents(test.db());
    QTemporaryDir dir;
    const QString link = udl(dir, QStringLiteral("sprav.udl"), test.dataLinkLine());
    const QString file = dir.filePath(QStringLiteral("bad.db"));
    QString out;
    QTextStream o(&out);
    QTextStream e(&out);
    if (cutGoodBackup) {
        QCOMPARE(BackupCommands::backup(link, file, o, e), int(CommandLine::Done));
        QFile good(file);
        QVERIFY(good.resize(good.size() / 2));
    } else if (bytes == "other") {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "other");
        other.setDatabaseName(file);
        QVERIFY(other.open());
        Sql::run(other, QStringLiteral("CREATE TABLE orders (id INTEGER, total REAL)"));
        other.close();
    } else if (!bytes.isEmpty()) {
        QFile text(file);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(bytes);
    }
    out.clear();
    QCOMPARE(BackupCommands::restore(link, file, true, o, e), int(CommandLine::FileRefused));
    QVERIFY2(out.contains(QStringLiteral("Ничего не изменено")), qPrintable(out));
    QCOMPARE(contents(test.db()), before);
}

// Another copy stores records with two phones each meanwhile: the backup
// holds each of them whole or not at all.
void TestBackup::backupWhileAnotherCopyWrites()
{
    TestDatabase test;
    QTemporaryDir dir;
    const QString link = udl(dir, QStringLiteral("sprav.udl"), test.dataLinkLine());
    const QString file = dir.filePath(QStringLiteral("копия.db"));
    QAtomicInt done = 0;
    QAtomicInt stored = 0;
    int result = -1;
    const QStringList errors = runInParallel(2, [&](int worker) {
        if (worker == 1) {
            // Once the other copy is at work.
            for (int waited = 0; stored < 20 && waited < 3000; ++waited)
                QThread::msleep(10);
            QString out;
            QTextStream o(&out);
            result = BackupCommands::backup(link, file, o, o);
            done = 1;
            return;
        }
        const auto writer = test.connectAgain(QStringLiteral("writer"));
        RecordStore store(writer->db());
        for (int i = 0; i < 5000 && !done; ++i, ++stored)
            store.insert(SampleRecord::person(u"Запись").phone(1, u"1").phone(2, u"2"));
    });
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
    QCOMPARE(result, int(CommandLine::Done));
    const auto backup = Backup::open(file, QStringLiteral("look"));
    QSqlQuery q = Sql::run(backup->db(), QStringLiteral("SELECT (SELECT count(*) FROM phone), "
                                                        "(SELECT count(*) FROM sprav)"));
    QVERIFY(q.next());
    QVERIFY(q.value(1).toInt() >= 20);
    QCOMPARE(q.value(0).toInt(), 2 * q.value(1).toInt());
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
