// SPDX-License-Identifier: MIT
#include "DataGenerator.h"
#include "RecordSeed.h"
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "db/Sql.h"
#include "exchange/ContactFile.h"
#include "exchange/ContactReader.h"
#include "exchange/Exporter.h"
#include "exchange/Importer.h"
#include "exchange/VisibleRecords.h"
#include "records/RecordStore.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using Format = Exporter::Format;
Q_DECLARE_METATYPE(Exporter::Format)

namespace
{

QByteArray exportAll(const QSqlDatabase& db, const QString& user, Format format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Exporter(db, user).write(buffer, format, VisibleRecords(db, user).allIds());
    return buffer.data();
}

// Texts that break careless writers, stored as the editor stores them.
void addAwkwardRecords(const QSqlDatabase& db)
{
    RecordStore store(db);
    store.insert(SampleRecord::person("О'Коннор; \"Младший\", \\ 😀", "Анна-Мария  Ивановна")
                     .prof("Инженер, ведущий")
                     .firm("ООО \"Рога; копыта\"",
                           "Общество с ограниченной ответственностью «Рога и копыта»")
                     .city("Санкт-Петербург")
                     .legalAddress("юр.: Невский, 1")
                     .fizAddress("Литейный пр., 2; вход со двора")
                     .postAddress("а/я 15")
                     .homeAddress("ул. Садовая, 3")
                     .path("метро \"Чернышевская\"")
                     .email("anna@example.org")
                     .www("http://example.org/?a=1;b=2")
                     .birthday(QDate(1980, 2, 29))
                     .otherPhones("доб. 12, доб. 13")
                     .info("первая строка\r\nвторая; \"третья\"\nи = четвёртая")
                     .spouse("Пётр", "01.02.1979", "учитель")
                     .req("ИНН 7700000000; КПП 770001001")
                     .phone(1, " (812) 100-00-00 ")
                     .phone(4, "100,101")
                     .phone(5, "=1+2"));
    store.insert(SampleRecord().firm("Только предприятие"));
}

} // namespace

// The export: what leaves is exactly what the user may see, and a file
// written, read into an empty directory and written again is the same file.
class TestExporter : public QObject
{
    Q_OBJECT

private slots:
    void init() { SPRAV_REQUIRE_DATABASE(); }

    void roundTrip_data();
    void roundTrip();
    void onlyWhatTheUserMaySee_data();
    void onlyWhatTheUserMaySee();
};

void TestExporter::roundTrip_data()
{
    QTest::addColumn<Format>("format");
    QTest::newRow("vCard") << Format::VCard;
    QTest::newRow("CSV") << Format::Csv;
}

void TestExporter::roundTrip()
{
    QFETCH(Format, format);
    const QString user = DataGenerator::userName(3);
    QByteArray first;
    {
        TestDatabase database;
        DataGenerator(11).fill(database.db(), 300);
        addAwkwardRecords(database.db());
        first = exportAll(database.db(), user, format);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.") + Exporter::suffix(format));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(first);
    file.close();

    TestDatabase empty;
    const ContactFile contacts(path);
    const std::unique_ptr<ContactReader> reader = contacts.open();
    // Stored as they are: a generated directory has namesakes in one enterprise.
    const Importer::Summary summary = Importer(empty.db(), user).run(contacts, *reader, true);
    QVERIFY(summary.rejections.isEmpty());
    QVERIFY(summary.stored > 290);
    const QByteArray second = exportAll(empty.db(), user, format);
    if (second != first) {
        const QList<QByteArray> a = first.split('\n');
        const QList<QByteArray> b = second.split('\n');
        for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
            QCOMPARE(QString::fromUtf8(b[i]), QString::fromUtf8(a[i]));
    }
    QCOMPARE(second, first);
}

void TestExporter::onlyWhatTheUserMaySee_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QStringList open = {"Открытый", "Частичный", "333", "ООО Тайна", "Инженер", "Безымянный"};
    const QStringList hidden = {"юр. адрес", "физ. адрес", "secret@example.org",
                                "1975",      "Мария",      "ИНН 1234",
                                "111",       "доб. 12"};
    const QStringList whole = {"Невидимый", "777"};
    for (const Format format : {Format::VCard, Format::Csv}) {
        const char* name = format == Format::VCard ? "vCard" : "CSV";
        QTest::addRow("%s, permitted", name)
            << format << "boss" << (open + hidden + whole) << QStringList{"555"};
        QTest::addRow("%s, not permitted", name)
            << format << "clerk" << open << (hidden + whole + QStringList{"555"});
    }
}

// A record hidden in part (addresses, e-mail, birthday, spouse, requisites,
// the work phone and the other phones), one hidden as a whole, and a phone
// marked hidden in a record nobody owns, which the lists never show.
void TestExporter::onlyWhatTheUserMaySee()
{
    QFETCH(Format, format);
    QFETCH(QString, user);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    TestDatabase database;
    const QSqlDatabase db = database.db();
    RecordStore store(db);
    store.addProf(QStringLiteral("Инженер"));
    QList<int> ids;
    ids.append(store.insert(SampleRecord::person("Открытый").phone(3, "333")));
    ids.append(store.insert(SampleRecord::person("Частичный")
                                .prof("Инженер")
                                .firm("ООО Тайна")
                                .legalAddress("юр. адрес")
                                .fizAddress("физ. адрес")
                                .email("secret@example.org")
                                .birthday(QDate(1975, 3, 7))
                                .spouse("Мария")
                                .req("ИНН 1234")
                                .otherPhones("доб. 12")
                                .phone(1, "111")
                                .phone(3, "333")
                                .owns(" boss ")
                                .hided(" 1 7 8 9 10 12 18 ")));
    ids.append(store.insert(
        SampleRecord::person("Невидимый").phone(2, "777").owns(" boss ").hided("all")));
    const int seeded = RecordSeed::record(db, SampleRecord::person("Безымянный"));
    RecordSeed::phone(db, seeded, 2, QStringLiteral("555"), true);
    ids.append(seeded);

    // The user's own list, and a list made before the record was hidden.
    for (const QList<int>& listed : {VisibleRecords(db, user).allIds(), ids}) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const Exporter::Result result = Exporter(db, user).write(buffer, format, listed);
        QCOMPARE(result.written, user == QLatin1String("boss") ? 4 : 3);
        const QString text = QString::fromUtf8(buffer.data());
        for (const QString& s : present)
            QVERIFY2(text.contains(s), qPrintable(s));
        for (const QString& s : absent)
            QVERIFY2(!text.contains(s), qPrintable(s));
    }
}

QTEST_GUILESS_MAIN(TestExporter)
#include "tst_exporter.moc"
