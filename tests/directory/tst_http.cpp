// SPDX-License-Identifier: MIT
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "db/HiddenFields.h"
#include "directory/http/HttpConfig.h"
#include "directory/http/HttpService.h"
#include "records/RecordStore.h"

#include <QtTest>

namespace
{

const QString key = QStringLiteral("s3cret-key");

struct Fetched {
    int status = 0;
    QByteArray type;
    QByteArray body;
};

// The real curl, never through a proxy: every request stays on 127.0.0.1.
Fetched fetch(const QString& url, const QString& method = QStringLiteral("GET"))
{
    QTemporaryFile body;
    if (!body.open())
        return {};
    QStringList arguments = {
        QStringLiteral("-sS"),        QStringLiteral("-g"),
        QStringLiteral("--noproxy"),  QStringLiteral("*"),
        QStringLiteral("--max-time"), QStringLiteral("60"),
        QStringLiteral("-o"),         body.fileName(),
        QStringLiteral("-w"),         QStringLiteral("%{http_code}\n%{content_type}")};
    // HEAD as curl means it: no body is waited for.
    if (method == QLatin1String("HEAD"))
        arguments << QStringLiteral("--head");
    else
        arguments << QStringLiteral("-X") << method;
    QProcess curl;
    curl.start(QStringLiteral("curl"), arguments << url);
    if (!curl.waitForFinished(120000))
        return {};
    const QList<QByteArray> lines = curl.readAllStandardOutput().split('\n');
    return {lines.value(0).toInt(), lines.value(1), body.readAll()};
}

// Whether xmllint finds the document valid against the schema.
bool validates(const QByteArray& xml, const QString& schema)
{
    QTemporaryFile file;
    if (!file.open() || file.write(xml) != xml.size() || !file.flush())
        return false;
    QProcess lint;
    lint.start(QStringLiteral("xmllint"),
               {QStringLiteral("--noout"), QStringLiteral("--schema"), schema, file.fileName()});
    if (!lint.waitForFinished(120000))
        return false;
    if (lint.exitCode() != 0)
        qWarning() << lint.readAllStandardError();
    return lint.exitStatus() == QProcess::NormalExit && lint.exitCode() == 0;
}

// Every text and attribute value of a document, as a reader of it sees them;
// counts the elements of one name.
QStringList texts(const QByteArray& xml, const QString& counted = QString(), int* count = nullptr)
{
    QStringList found;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters() && !reader.isWhitespace())
            found << reader.text().toString();
        if (reader.isStartElement()) {
            if (count && reader.name() == counted)
                ++*count;
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                found << attribute.value().toString();
        }
    }
    return reader.hasError() ? QStringList{QStringLiteral("parse error")} : found;
}

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void callerId_data();
    void callerId();
    void keysSeeAsAProfile();
    void callerIdJson();
    void access_data();
    void access();
    void phonebooks_data();
    void phonebooks();
    void ciscoPages();
    void changesShowAtOnce();
    void phonebookLimit_data();
    void phonebookLimit();
    void refusedStart_data();
    void refusedStart();
    void configRead_data();
    void configRead();

private:
    HttpConfig serviceConfig() const;
    QString url(const QString& path, const QString& query = QString()) const;

    std::unique_ptr<TestDatabase> m_test;
    HttpService m_service;
};

HttpConfig TestHttp::serviceConfig() const
{
    HttpConfig config;
    config.address = QHostAddress(QHostAddress::LocalHost);
    config.port = 0;
    config.keys = {QStringLiteral("other"), key};
    return config;
}

QString TestHttp::url(const QString& path, const QString& query) const
{
    return QStringLiteral("http://127.0.0.1:%1%2?key=%3%4")
        .arg(m_service.port())
        .arg(path, key, query.isEmpty() ? QString() : QLatin1Char('&') + query);
}

// Who calls: a person with a mobile and an internal number, a record whose
// mobile is hidden, a record hidden as a whole, a number stored without its
// city code and the same number with it, an office line two records share,
// phones stored with an extension, a hostile name.
void TestHttp::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_test.reset();
    m_test = std::make_unique<TestDatabase>();
    RecordStore store(m_test->db());
    const QString mobileCode = QStringLiteral(" %1 ").arg(
        HiddenFields::number(HiddenFields::code(HiddenFields::phone(3))));
    store.insert(SampleRecord::person(u"Иванов", u"Иван")
                     .firm(u"Ромашка")
                     .phone(3, u"8 (916) 123-45-67")
                     .phone(1, u"1234"));
    store.insert(SampleRecord::person(u"Скрытов").phone(3, u"+7 903 555-66-77").hided(mobileCode));
    store.insert(SampleRecord::person(u"Тайный")
                     .phone(3, u"+7 905 111-22-33")
                     .owns(u" boss ")
                     .hided(HiddenFields::wholeRecord()));
    store.insert(SampleRecord::person(u"Петров", u"Пётр").phone(1, u"765-43-21"));
    store.insert(SampleRecord::person(u"Орлов").phone(1, u"+7 495 765-43-21"));
    store.insert(SampleRecord::person(u"Сидоров")
                     .phone(1, u"+7 495 700-00-01 доб. 15")
                     .phone(5, u"+7 495 700-00-02 доб. 7"));
    store.insert(SampleRecord::person(u"Кузнецова").phone(4, u"8 495 7000001"));
    store.insert(SampleRecord::person(u"Ёлкин").phone(2, u"+44 20 7946 0018"));
    store.insert(SampleRecord::person(u"<Злой & \"Хакер'", u"a\u0001b\u001bc\u0085")
                     .phone(3, u"+7 999 000-00-00"));
    QString error;
    QVERIFY2(m_service.start(serviceConfig(), m_test->link(), &error), qPrintable(error));
    QVERIFY(m_service.port() != 0);
}

void TestHttp::cleanup()
{
    m_service.stop();
}

// The number as a PBX puts it into the URL.
void TestHttp::callerId_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    const auto row = [](const char* tag, const char* number, const char* name) {
        QTest::newRow(tag) << QString::fromUtf8(number) << QString::fromUtf8(name);
    };
    row("national with trunk 8", "8%20916%20123-45-67", "Иванов Иван");
    row("international", "%2B7%20916%20123-45-67", "Иванов Иван");
    row("plus unencoded", "+79161234567", "Иванов Иван");
    row("country code, no plus", "79161234567", "Иванов Иван");
    row("ten digits", "9161234567", "Иванов Иван");
    row("other city code", "89261234567", "");
    row("internal", "1234", "Иванов Иван");
    row("part of internal", "234", "");
    row("stored without city code", "%2B78127654321", "Петров Пётр");
    row("same number before one without code", "84957654321", "Орлов");
    row("stored with extension", "%2B74957000002", "Сидоров");
    row("shared line: direct wins", "84957000001", "Кузнецова");
    row("other country", "%2B442079460018", "Ёлкин");
    row("hidden phone", "89035556677", "");
    row("record hidden as a whole", "89051112233", "");
    row("control characters dropped", "89990000000", "<Злой & \"Хакер' a b c");
    row("no number", "", "");
}

void TestHttp::callerId()
{
    QFETCH(QString, number);
    QFETCH(QString, name);
    const Fetched reply = fetch(url(QStringLiteral("/cid"), QStringLiteral("number=") + number));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.type, QByteArray("text/plain; charset=utf-8"));
    QCOMPARE(QString::fromUtf8(reply.body), name);
}

// The office may let the keys see the book as one of its users.
void TestHttp::keysSeeAsAProfile()
{
    const QString number = QStringLiteral("number=89051112233");
    QCOMPARE(fetch(url(QStringLiteral("/cid"), number)).body, QByteArray());
    m_service.stop();
    HttpConfig config = serviceConfig();
    config.profile = QStringLiteral("boss");
    QString error;
    QVERIFY2(m_service.start(config, m_test->link(), &error), qPrintable(error));
    QCOMPARE(QString::fromUtf8(fetch(url(QStringLiteral("/cid"), number)).body),
             QStringLiteral("Тайный"));
}

void TestHttp::callerIdJson()
{
    Fetched reply = fetch(url(QStringLiteral("/cid.json"), QStringLiteral("number=89161234567")));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.type, QByteArray("application/json"));
    const QJsonObject found = QJsonDocument::fromJson(reply.body).object();
    QCOMPARE(found.value(QStringLiteral("found")).toBool(), true);
    QCOMPARE(found.value(QStringLiteral("name")).toString(), QStringLiteral("Иванов Иван"));
    QCOMPARE(found.value(QStringLiteral("enterprise")).toString(), QStringLiteral("Ромашка"));
    QCOMPARE(found.value(QStringLiteral("kind")).toString(), QStringLiteral("Мобильный"));
    reply = fetch(url(QStringLiteral("/cid.json"), QStringLiteral("number=89035556677")));
    QCOMPARE(QJsonDocument::fromJson(reply.body).object(),
             QJsonObject({{QStringLiteral("found"), false}}));
}

void TestHttp::access_data()
{
    QTest::addColumn<QString>("allow");
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("status");
    const QString cid = QStringLiteral("/cid?number=1234&key=");
    QTest::newRow("right key") << "" << cid + key << "GET" << 200;
    QTest::newRow("wrong key") << "" << cid + QStringLiteral("s3cret") << "GET" << 403;
    QTest::newRow("no key") << ""
                            << "/cid?number=1234"
                            << "GET" << 403;
    QTest::newRow("allowed subnet") << "10.0.0.0/8, 127.0.0.0/8" << cid + key << "GET" << 200;
    QTest::newRow("address not allowed") << "192.0.2.0/24, ::1/128" << cid + key << "GET" << 403;
    QTest::newRow("unknown path") << "" << QStringLiteral("/cidx?key=") + key << "GET" << 404;
    QTest::newRow("HEAD") << "" << cid + key << "HEAD" << 200;
    QTest::newRow("POST") << "" << cid + key << "POST" << 405;
}

void TestHttp::access()
{
    QFETCH(QString, allow);
    QFETCH(QString, requested);
    QFETCH(QString, method);
    QFETCH(int, status);
    HttpConfig limited = serviceConfig();
    for (const QString& item : allow.split(QLatin1Char(','), Qt::SkipEmptyParts))
        limited.allowed << QHostAddress::parseSubnet(item.trimmed());
    HttpService service;
    QString error;
    QVERIFY2(service.start(limited, m_test->link(), &error), qPrintable(error));
    if (status == 403)
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^(?!.*s3cret).*refused")));
    const Fetched reply =
        fetch(QStringLiteral("http://127.0.0.1:%1%2").arg(service.port()).arg(requested), method);
    QCOMPARE(reply.status, status);
    if (method != QLatin1String("HEAD"))
        QCOMPARE(reply.body.isEmpty(), status != 200);
}

void TestHttp::phonebooks_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    const QStringList all = {QStringLiteral("Иванов Иван"), QStringLiteral("89161234567"),
                             QStringLiteral("Петров Пётр"), QStringLiteral("+442079460018")};
    const QStringList hidden = {QStringLiteral("9035556677"), QStringLiteral("9051112233"),
                                QStringLiteral("Тайный")};
    const QString hostile = QStringLiteral("<Злой & \"Хакер'");
    QTest::newRow("Yealink") << "yealink"
                             << "" << all + QStringList{hostile + QStringLiteral(" a b c")}
                             << hidden;
    QTest::newRow("Grandstream") << "grandstream"
                                 << "" << all.mid(1, 1) + QStringList{hostile} << hidden;
    QTest::newRow("Cisco") << "cisco"
                           << "" << all.mid(1) + QStringList{hostile + QStringLiteral(" a b c")}
                           << hidden;
    QTest::newRow("Yealink: ё as е") << "yealink"
                                     << "q=%D0%B5%D0%BB%D0%BA%D0%B8%D0%BD"
                                     << QStringList{QStringLiteral("Ёлкин")} << all.mid(0, 1);
    QTest::newRow("Cisco: letter case")
        << "cisco"
        << "q=%D0%9F%D0%95%D0%A2%D0%A0" << QStringList{QStringLiteral("Петров Пётр")}
        << QStringList{QStringLiteral("Иванов Иван")};
    QTest::newRow("Cisco search form")
        << "cisco-search"
        << "" << QStringList{QStringLiteral("/phonebook/cisco.xml?key=") + key} << QStringList{};
    QTest::newRow("Grandstream: hidden not found") << "grandstream"
                                                   << "q=903555" << QStringList{} << hidden;
}

void TestHttp::phonebooks()
{
    QFETCH(QString, vendor);
    QFETCH(QString, search);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    const Fetched reply = fetch(url(QStringLiteral("/phonebook/%1.xml").arg(vendor), search));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.type, QByteArray("text/xml; charset=utf-8"));
    QVERIFY(validates(reply.body, QFINDTESTDATA(QStringLiteral("schemas/%1.xsd").arg(vendor))));
    const QString text = texts(reply.body).join(u'|');
    for (const QString& wanted : present)
        QVERIFY2(text.contains(wanted), qPrintable(wanted + QStringLiteral(" in ") + text));
    for (const QString& unwanted : absent)
        QVERIFY2(!text.contains(unwanted), qPrintable(unwanted + QStringLiteral(" in ") + text));
}

// Cisco's pages hold 32 phones; the last soft key before "Выход" leads on.
void TestHttp::ciscoPages()
{
    RecordStore store(m_test->db());
    for (int i = 0; i < 40; ++i)
        store.insert(
            SampleRecord::person(QStringLiteral("Абонент %1").arg(i, 2, 10, QLatin1Char('0')))
                .phone(1, QStringLiteral("+7 495 100-00-%1").arg(i, 2, 10, QLatin1Char('0'))));
    QString next = url(QStringLiteral("/phonebook/cisco.xml"));
    QSet<QString> seen;
    int pages = 0;
    while (!next.isEmpty() && pages++ < 5) {
        const Fetched reply = fetch(next);
        QVERIFY(validates(reply.body, QFINDTESTDATA("schemas/cisco.xsd")));
        int entries = 0;
        const QStringList text = texts(reply.body, QStringLiteral("DirectoryEntry"), &entries);
        QVERIFY(entries <= 32);
        next.clear();
        for (qsizetype i = 0; i + 1 < text.size(); ++i) {
            if (text.at(i) == QStringLiteral("Далее"))
                next = text.at(i + 1);
            if (text.at(i).startsWith(QStringLiteral("Абонент")))
                seen.insert(text.at(i));
        }
        QCOMPARE(next.isEmpty(), pages == 2);
    }
    QCOMPARE(seen.size(), 40);
}

// A record stored by the program after the service answered once is in the
// next answer: nothing is kept from one request to the next.
void TestHttp::changesShowAtOnce()
{
    const QString book = url(QStringLiteral("/phonebook/yealink.xml"));
    const QString cid = url(QStringLiteral("/cid"), QStringLiteral("number=84951112233"));
    QVERIFY(!fetch(book).body.contains("Новиков"));
    QCOMPARE(fetch(cid).body, QByteArray());
    RecordStore(m_test->db()).insert(SampleRecord::person(u"Новиков").phone(1, u"111-22-33"));
    QVERIFY(fetch(book).body.contains("Новиков"));
    QCOMPARE(QString::fromUtf8(fetch(cid).body), QStringLiteral("Новиков"));
}

void TestHttp::phonebookLimit_data()
{
    QTest::addColumn<QString>("vendor");
    QTest::addColumn<QString>("entry");
    QTest::newRow("Yealink") << "yealink"
                             << "DirectoryEntry";
    QTest::newRow("Grandstream") << "grandstream"
                                 << "Contact";
}

void TestHttp::phonebookLimit()
{
    QFETCH(QString, vendor);
    QFETCH(QString, entry);
    HttpConfig limited = serviceConfig();
    limited.phonebookLimit = 3;
    HttpService service;
    QString error;
    QVERIFY2(service.start(limited, m_test->link(), &error), qPrintable(error));
    const Fetched reply = fetch(QStringLiteral("http://127.0.0.1:%1/phonebook/%2.xml?key=%3")
                                    .arg(service.port())
                                    .arg(vendor, key));
    int entries = 0;
    texts(reply.body, entry, &entries);
    QCOMPARE(entries, 3);
}

// What keeps the service from starting is said, and nothing listens.
void TestHttp::refusedStart_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("no key") << "keys";
    QTest::newRow("unknown region") << "region";
    QTest::newRow("port taken") << "port";
    QTest::newRow("no database") << "database";
}

void TestHttp::refusedStart()
{
    QFETCH(QString, fault);
    HttpConfig config = serviceConfig();
    DataLink link = m_test->link();
    if (fault == QLatin1String("keys"))
        config.keys.clear();
    else if (fault == QLatin1String("region"))
        config.region = QStringLiteral("XX");
    else if (fault == QLatin1String("port"))
        config.port = m_service.port();
    else
        link = DataLink::parse("Provider=SQLite;Data Source=/nonexistent/folder/sprav.db", "/");
    HttpService service;
    QString error;
    QVERIFY(!service.start(config, link, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!service.running());
    QCOMPARE(service.port(), quint16(0));
}

void TestHttp::configRead_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("allowed");
    QTest::newRow("defaults") << QByteArray("[http]\n") << true << QStringList{} << 0;
    QTest::newRow("lists") << QByteArray("[http]\nport=8090\nkeys=a1, b2\n"
                                         "allow=10.0.0.0/8, 192.168.1.5, ::ffff:10.1.2.3\n")
                           << true << QStringList{"a1", "b2"} << 3;
    QTest::newRow("bad address") << QByteArray("[http]\naddress=localhost:80\n") << false
                                 << QStringList{} << 0;
    QTest::newRow("bad port") << QByteArray("[http]\nport=70000\n") << false << QStringList{} << 0;
    QTest::newRow("bad subnet") << QByteArray("[http]\nallow=10.0.0.0/99\n") << false
                                << QStringList{} << 0;
}

void TestHttp::configRead()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, valid);
    QFETCH(QStringList, keys);
    QFETCH(int, allowed);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(ini);
    file.close();
    QSettings settings(file.fileName(), QSettings::IniFormat);
    QString error;
    const auto read = HttpConfig::read(settings, &error);
    QCOMPARE(read.has_value(), valid);
    QCOMPARE(error.isEmpty(), valid);
    if (!read)
        return;
    QCOMPARE(read->keys, keys);
    QCOMPARE(read->allowed.size(), allowed);
    QCOMPARE(read->address, QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(read->region, QStringLiteral("RU"));
}

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
