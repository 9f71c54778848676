// SPDX-License-Identifier: MIT
#include "DataGenerator.h"
#include "RecordSeed.h"
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
    RecordData r;
    r.f = QStringLiteral("О'Коннор; \"Младший\", \\ 😀");
    r.io = QStringLiteral("Анна-Мария  Ивановна");
    r.prof = QStringLiteral("Инженер, ведущий");
    r.shortpp = QStringLiteral("ООО \"Рога; копыта\"");
    r.longpp = QStringLiteral("Общество с ограниченной ответственностью «Рога и копыта»");
    r.city = QStringLiteral("Санкт-Петербург");
    r.legaladdress = QStringLiteral("юр.: Невский, 1");
    r.fizaddress = QStringLiteral("Литейный пр., 2; вход со двора");
    r.postaddress = QStringLiteral("а/я 15");
    r.homeaddress = QStringLiteral("ул. Садовая, 3");
    r.path = QStringLiteral("метро \"Чернышевская\"");
    r.email = QStringLiteral("anna@example.org");
    r.www = QStringLiteral("http://example.org/?a=1;b=2");
    r.birthday = QDate(1980, 2, 29);
    r.otherphones = QStringLiteral("доб. 12, доб. 13");
    r.info = QStringLiteral("первая строка\r\nвторая; \"третья\"\nи = четвёртая");
    r.spfio = QStringLiteral("Пётр");
    r.spbirthday = QStringLiteral("01.02.1979");
    r.spinfo = QStringLiteral("учитель");
    r.req = QStringLiteral("ИНН 7700000000; КПП 770001001");
    r.phones[1] = QStringLiteral(" (812) 100-00-00 ");
    r.phones[4] = QStringLiteral("100,101");
    r.phones[5] = QStringLiteral("=1+2");
    store.insert(r);
    RecordData bare;
    bare.shortpp = QStringLiteral("Только предприятие");
    store.insert(bare);
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
    RecordData a;
    a.f = QStringLiteral("Открытый");
    a.phones[3] = QStringLiteral("333");
    ids.append(store.insert(a));

    RecordData b;
    b.f = QStringLiteral("Частичный");
    b.prof = QStringLiteral("Инженер");
    b.shortpp = QStringLiteral("ООО Тайна");
    b.legaladdress = QStringLiteral("юр. адрес");
    b.fizaddress = QStringLiteral("физ. адрес");
    b.email = QStringLiteral("secret@example.org");
    b.birthday = QDate(1975, 3, 7);
    b.spfio = QStringLiteral("Мария");
    b.req = QStringLiteral("ИНН 1234");
    b.otherphones = QStringLiteral("доб. 12");
    b.phones[1] = QStringLiteral("111");
    b.phones[3] = QStringLiteral("333");
    b.owns = QStringLiteral(" boss ");
    b.hided = QStringLiteral(" 1 7 8 9 10 12 18 ");
    ids.append(store.insert(b));

    RecordData c;
    c.f = QStringLiteral("Невидимый");
    c.phones[2] = QStringLiteral("777");
    c.owns = QStringLiteral(" boss ");
    c.hided = QStringLiteral("all");
    ids.append(store.insert(c));

    RecordSeed::Record d;
    d.f = QStringLiteral("Безымянный");
    const int seeded = RecordSeed::record(db, d);
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
