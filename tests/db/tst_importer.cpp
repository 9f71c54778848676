// SPDX-License-Identifier: MIT
#include "ContactFiles.h"
#include "PhoneWriteFailure.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/Sql.h"
#include "exchange/ContactFile.h"
#include "exchange/ContactReader.h"
#include "exchange/ExchangeError.h"
#include "exchange/Importer.h"
#include "records/RecordStore.h"

#include <QTemporaryDir>
#include <QtTest>

namespace
{

const QString user = QStringLiteral("ivan");

int count(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT COUNT(*) FROM ") + table);
    return q.next() ? q.value(0).toInt() : -1;
}

Importer::Summary import(const QSqlDatabase& db, const QString& path, bool storeDuplicates = false,
                         const Importer::Progress& progress = {})
{
    const ContactFile file(path);
    const std::unique_ptr<ContactReader> reader = file.open();
    return Importer(db, user).run(file, *reader, storeDuplicates, progress);
}

QStringList texts(const QList<Importer::Rejection>& rejections)
{
    QStringList list;
    for (const Importer::Rejection& r : rejections)
        list.append(r.text());
    return list;
}

QByteArray cards(int n)
{
    QByteArray bytes;
    for (int i = 1; i <= n; ++i)
        bytes += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Фамилия%1;Имя;;;\r\n"
                                "TEL;TYPE=CELL:+7 900 %1\r\nEND:VCARD\r\n")
                     .arg(i)
                     .toUtf8();
    return bytes;
}

} // namespace

// The import into the directory: through the record store, one transaction,
// duplicates, refused records and refused files.
class TestImporter : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void storesThroughTheRecordStore();
    void secondImportStoresNothing();
    void failureInTheMiddleStoresNothing();
    void cancelStoresNothing();
    void refusedRecordsListedOthersStored();
    void hostileFilesStoreNothing_data();
    void hostileFilesStoreNothing();
};

// A new city is added with an empty code and a job title once, as the
// editor adds them; texts are trimmed, phones not; nothing is hidden.
void TestImporter::storesThroughTheRecordStore()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore(db).addCity(QStringLiteral("Казань"), QStringLiteral("843"));
    QTemporaryDir dir;
    const QString path =
        ContactFiles::write(dir, QStringLiteral("a.csv"),
                            QByteArray("Фамилия;Имя;Должность;Город;Мобильный телефон\r\n"
                                       "  Иванов  ;Иван;Инженер;Набережные Челны; +7 917 1 \r\n"
                                       "Петров;Пётр;инженер;казань;+7 917 2\r\n"));
    const Importer::Summary summary = import(db, path);
    QCOMPARE(summary.stored, 2);
    QCOMPARE(summary.duplicates, 0);
    QVERIFY(summary.rejections.isEmpty());

    RecordStore store(db);
    QList<int> ids;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT id FROM sprav ORDER BY id"));
    while (q.next())
        ids.append(q.value(0).toInt());
    QList<RecordData> records;
    for (int id : ids)
        records.append(*store.load(id, user));
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0].f, QStringLiteral("Иванов"));
    QCOMPARE(records[0].phones[3], QStringLiteral(" +7 917 1 "));
    QCOMPARE(records[0].city, QStringLiteral("Набережные Челны"));
    QCOMPARE(records[1].city, QStringLiteral("Казань"));
    QCOMPARE(records[0].prof, QStringLiteral("Инженер"));
    QCOMPARE(records[1].prof, QStringLiteral("Инженер"));
    QCOMPARE(records[0].owns, QString());
    QCOMPARE(records[0].hided, QString());
    QCOMPARE(count(db, QStringLiteral("prof")), 1);
    QCOMPARE(count(db, QStringLiteral("city")), 2);
    QCOMPARE(store.cityCode(QStringLiteral("Набережные Челны")), std::optional(QString()));
}

// The same people again, written otherwise (letter case, phones with other
// punctuation), and a record known by its name alone: nothing new. Storing
// duplicates anyway stores them.
void TestImporter::secondImportStoresNothing()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    QTemporaryDir dir;
    const QString first = ContactFiles::write(
        dir, QStringLiteral("first.vcf"),
        QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Иванов;Иван;;;\r\n"
                   "TEL;TYPE=WORK:(843) 231-00-00\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Петров;Пётр;;;\r\nORG:ООО Ромашка\r\n"
                   "END:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Сидоров;Сидор;;;\r\nEND:VCARD\r\n"));
    const QString again =
        ContactFiles::write(dir, QStringLiteral("again.csv"),
                            QByteArray("Фамилия;Имя;Организация;Мобильный телефон\r\n"
                                       "ИВАНОВ;иван;;8 843 2310000\r\n"
                                       "петров;Пётр;ооо ромашка;\r\n"
                                       "Сидоров;Сидор;;\r\n"
                                       "Петров;Пётр;ООО Лютик;\r\n"));
    QCOMPARE(import(db, first).stored, 3);

    const ContactFile file(again);
    const Importer::Preview preview = Importer(db, user).preview(file, *file.open(), 10);
    QCOMPARE(preview.records, 4);
    QCOMPARE(preview.duplicates, 3);
    QCOMPARE(preview.rows.size(), 4);
    QVERIFY(preview.rows[0].duplicate && preview.rows[2].duplicate && !preview.rows[3].duplicate);
    QCOMPARE(preview.rows[3].where, QStringLiteral("строка 5"));

    Importer::Summary summary = import(db, again);
    QCOMPARE(summary.stored, 1); // another enterprise: another person
    QCOMPARE(summary.duplicates, 3);
    summary = import(db, first);
    QCOMPARE(summary.stored, 0);
    QCOMPARE(summary.duplicates, 3);
    QCOMPARE(count(db, QStringLiteral("sprav")), 4);

    summary = import(db, first, true);
    QCOMPARE(summary.stored, 3);
    QCOMPARE(count(db, QStringLiteral("sprav")), 7);
}

// A statement failing halfway rolls back every record, city and job title
// already written by this import.
void TestImporter::failureInTheMiddleStoresNothing()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    makePhoneWritesFail(database);
    QTemporaryDir dir;
    const QString path =
        ContactFiles::write(dir, QStringLiteral("a.csv"),
                            QByteArray("Фамилия,Должность,Город,Рабочий телефон\n"
                                       "Первый,Инженер,Казань,1\nВторой,Токарь,Елабуга,2\n"
                                       "Третий,Слесарь,Чистополь,boom\nЧетвёртый,,,4\n"));
    QVERIFY_THROWS_EXCEPTION(DbError, import(db, path));
    for (const char* table : {"sprav", "phone", "city", "prof"})
        QCOMPARE(count(db, QLatin1String(table)), 0);
}

// Cancelling from the progress stores nothing.
void TestImporter::cancelStoresNothing()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    QTemporaryDir dir;
    const QString path = ContactFiles::write(dir, QStringLiteral("a.vcf"), cards(450));
    int asked = 0;
    const Importer::Summary summary = import(db, path, false, [&asked](qint64 done, qint64 total) {
        Q_ASSERT(done <= total);
        return ++asked < 3;
    });
    QVERIFY(summary.cancelled);
    QCOMPARE(asked, 3);
    QCOMPARE(count(db, QStringLiteral("sprav")), 0);
    QCOMPARE(count(db, QStringLiteral("phone")), 0);
    QCOMPARE(import(db, path).stored, 450);
}

void TestImporter::refusedRecordsListedOthersStored()
{
    TestDatabase database;
    const QSqlDatabase db = database.db();
    QTemporaryDir dir;
    const QByteArray longName = QString(256, u'Щ').toUtf8();
    const QString path = ContactFiles::write(dir, QStringLiteral("a.csv"),
                                             "Фамилия,Имя,Электронная почта\nПервый,,\n" +
                                                 longName + ",,\nТретий,,\n" + "Четвёртый,," +
                                                 QString(300, u'x').toUtf8() + "\n");
    const Importer::Summary summary = import(db, path);
    QCOMPARE(summary.stored, 2);
    QCOMPARE(texts(summary.rejections),
             (QStringList{QStringLiteral("строка 3: Фамилия — длиннее 255 знаков"),
                          QStringLiteral("строка 5: Электронная почта — длиннее 255 знаков")}));
}

void TestImporter::hostileFilesStoreNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 37) % 256));
    QByteArray longLine = "Фамилия,Имя\nИванов,";
    longLine.append(QByteArray(ContactReader::maxLineBytes + 10, 'x'));
    longLine.append("\nПетров,Пётр\n");

    QTest::newRow("empty") << "a.vcf" << QByteArray() << "Файл пуст.";
    QTest::newRow("blank lines") << "a.csv" << QByteArray("\r\n  \r\n") << "Файл пуст.";
    QTest::newRow("binary") << "a.vcf" << binary << "Файл не текстовый";
    QTest::newRow("card without end")
        << "a.vcf" << cards(2) + "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Третий;;;;\r\n"
        << "Карточка 3, начатая в строке 11, не закончена";
    QTest::newRow("no cards") << "a.vcf" << QByteArray("Фамилия,Имя\nИванов,Иван\n")
                              << "нет ни одной карточки vCard";
    QTest::newRow("stray quote") << "a.csv"
                                 << QByteArray("Фамилия,Имя\nИванов,Иван\nПет\"ров,Пётр\n")
                                 << "Строка 3: кавычка стоит не в начале";
    QTest::newRow("quote never closed")
        << "a.csv" << QByteArray("Фамилия,Имя\nИванов,Иван\n\"Петров,Пётр\nСидоров,Сидор\n")
        << "Строка 3: кавычка открывает поле, которое нигде не закрыто";
    QTest::newRow("absurd line") << "a.csv" << longLine << "Строка 2 длиннее 4 МБ";
    // KOI8-R: neither UTF-8 nor Russian when read as Windows-1251.
    QTest::newRow("unknown encoding")
        << "a.csv"
        << QByteArray("\xe6\xc1\xcd\xc9\xcc\xc9\xd1,\xe9\xcd\xd1\n\xe9\xd7\xc1\xce\xcf"
                      "\xd7,\xe9\xd7\xc1\xce\n")
        << "Кодировка файла не распознана";
}

void TestImporter::hostileFilesStoreNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    TestDatabase database;
    QTemporaryDir dir;
    const QString path = ContactFiles::write(dir, name, bytes);
    try {
        import(database.db(), path);
        QFAIL("the file was taken");
    } catch (const ExchangeError& e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
    QCOMPARE(count(database.db(), QStringLiteral("sprav")), 0);
}

QTEST_GUILESS_MAIN(TestImporter)
#include "tst_importer.moc"
