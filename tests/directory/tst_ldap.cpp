// SPDX-License-Identifier: MIT
#include "BerBytes.h"
#include "LdapClient.h"
#include "SampleRecord.h"
#include "TestDatabase.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "db/HiddenFields.h"
#include "directory/DirectoryConfig.h"
#include "directory/ldap/LdapServer.h"
#include "records/RecordStore.h"

#include <QTcpSocket>
#include <QtTest>
#include <sodium.h>

using LdapClient::Answer;
using LdapClient::Entry;

namespace
{

QByteArray searchWithFilter(const QByteArray& filter)
{
    const QByteArray op = tlv(0x04, {}) + tlv(0x0a, "\x02") + tlv(0x0a, QByteArray(1, 0)) +
                          tlv(0x02, QByteArray(1, 0)) + tlv(0x02, QByteArray(1, 0)) +
                          tlv(0x01, QByteArray(1, 0)) + filter + tlv(0x30, {});
    return tlv(0x30, tlv(0x02, "\x01") + tlv(0x63, op));
}

const QString ivanov = QStringLiteral("Иванов");
const QString petrov = QStringLiteral("Петров");
const QString ivanovPassword = QStringLiteral("секрет");
const QString petrovPassword = QStringLiteral("пароль");

QString code(HiddenCode c)
{
    return QStringLiteral(" %1 ").arg(HiddenFields::number(c));
}

} // namespace

class TestLdap : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void searches_data();
    void searches();
    void rootDse();
    void binds_data();
    void binds();
    void anonymousRefused();
    void anonymousAsAProfile();
    void failedBindsCounted();
    void refusedRequests_data();
    void refusedRequests();
    void pagedAndSizeLimited();
    void privacy_data();
    void privacy();
    void malformedMessages_data();
    void malformedMessages();
    void connectionLimits();
    void overTls();
    void program();

private:
    std::unique_ptr<LdapServer> start(DirectoryConfig config);
    Answer ldapsearch(quint16 port, const QStringList& arguments, const QString& user = {},
                      const QString& password = {});
    Answer ldapTool(const QString& program, quint16 port, const QStringList& arguments,
                    const QString& user = {}, const QString& password = {},
                    LdapClient::Security security = LdapClient::Security::Plain);
    Answer search(const QString& filter, const QString& user = {}, const QString& password = {},
                  const QStringList& attributes = {}, const QStringList& options = {});
    bool answersRootDse(quint16 port);

    std::unique_ptr<TestDatabase> m_test;
    std::unique_ptr<LdapServer> m_server;
    int m_hidden = 0; // Иваненко's record, hidden from all but Иванов
};

void TestLdap::initTestCase()
{
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
}

// Иванов and Петров have accounts. Иванов's own record, Ёлкин, Сидоров, and
// Иваненко, whom only Иванов may see.
void TestLdap::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_server.reset();
    m_test.reset();
    m_test = std::make_unique<TestDatabase>();
    const QSqlDatabase db = m_test->db();
    AccountStore accounts(db);
    QVERIFY(accounts.registerUser(ivanov, ivanovPassword));
    QVERIFY(accounts.registerUser(petrov, petrovPassword));
    RecordStore store(db);
    store.addProf(QStringLiteral("Инженер"));
    store.addCity(QStringLiteral("Москва"), QStringLiteral("495"));
    store.insert(SampleRecord::person(u"Иванов", u"Иван Петрович")
                     .city(u"Москва")
                     .firm(u"Рога и копыта")
                     .prof(u"Инженер")
                     .phone(1, u"8 (495) 555-12-34")
                     .phone(3, u"+7 916 123-45-67")
                     .email(u"ivanov@roga.ru"));
    store.insert(
        SampleRecord::person(u"Ёлкин", u"Пётр").phone(1, u"555-77-88").email(u"elkin@kopyta.ru"));
    store.insert(SampleRecord::person(u"Сидоров").phone(2, u"222-33-44"));
    m_hidden = store.insert(SampleRecord::person(u"Иваненко", u"Ольга")
                                .owns(u" Иванов ")
                                .hided(HiddenFields::wholeRecord()));
    DirectoryConfig config;
    config.failedBindDelayMs = 10;
    m_server = start(config);
    QVERIFY(m_server);
}

void TestLdap::cleanup()
{
    m_server.reset();
}

std::unique_ptr<LdapServer> TestLdap::start(DirectoryConfig config)
{
    config.ldapAddress = QStringLiteral("127.0.0.1");
    config.ldapPort = 0;
    auto server = std::make_unique<LdapServer>(config, m_test->db());
    if (!server->listen())
        return nullptr;
    return server;
}

// Runs the real ldapsearch against the server while this thread's event
// loop serves it.
Answer TestLdap::ldapsearch(quint16 port, const QStringList& arguments, const QString& user,
                            const QString& password)
{
    const QStringList ldif{QStringLiteral("-LLL"), QStringLiteral("-o"),
                           QStringLiteral("ldif-wrap=no")};
    return ldapTool(QStringLiteral("ldapsearch"), port, ldif + arguments, user, password);
}

Answer TestLdap::ldapTool(const QString& program, quint16 port, const QStringList& arguments,
                          const QString& user, const QString& password,
                          LdapClient::Security security)
{
    return LdapClient::run(program, port, arguments, user, password, security);
}

Answer TestLdap::search(const QString& filter, const QString& user, const QString& password,
                        const QStringList& attributes, const QStringList& options)
{
    return ldapsearch(m_server->port(),
                      QStringList{QStringLiteral("-b"), QStringLiteral("ou=people,dc=sprav")} +
                          options + QStringList{filter} + attributes,
                      user, password);
}

bool TestLdap::answersRootDse(quint16 port)
{
    const Answer answer =
        ldapsearch(port, {QStringLiteral("-s"), QStringLiteral("base"), QStringLiteral("-b"),
                          QString(), QStringLiteral("objectClass=*")});
    return answer.exitCode == 0 && answer.entries.size() == 1 &&
           answer.entries.first().value(QStringLiteral("namingcontexts")) ==
               QStringList{QStringLiteral("dc=sprav")};
}

void TestLdap::searches_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("found"); // sn values, sorted

    const QString desk = QStringLiteral("(|(telephoneNumber=%1)(mobile=%1))");
    const QString thunderbird = QStringLiteral("(|(cn=*%1*)(mail=*%1*)(sn=*%1*)(givenName=*%1*))");
    const QStringList ivanovOnly{ivanov};
    QTest::newRow("name start") << QString() << QStringLiteral("(|(cn=Ива*)(sn=Ива*))")
                                << ivanovOnly;
    QTest::newRow("name start, bound sees more")
        << ivanov << QStringLiteral("(|(cn=Ива*)(sn=Ива*))")
        << QStringList{QStringLiteral("Иваненко"), ivanov};
    QTest::newRow("letter case and ё")
        << QString() << QStringLiteral("(sn=елкин)") << QStringList{QStringLiteral("Ёлкин")};
    QTest::newRow("+7 916") << QString() << desk.arg(QStringLiteral("+7 916 123 45 67"))
                            << ivanovOnly;
    QTest::newRow("8 916") << QString() << desk.arg(QStringLiteral("8 916 123-45-67"))
                           << ivanovOnly;
    QTest::newRow("digits only") << QString() << desk.arg(QStringLiteral("79161234567"))
                                 << ivanovOnly;
    QTest::newRow("without city code")
        << QString() << desk.arg(QStringLiteral("123-45-67")) << ivanovOnly;
    QTest::newRow("full number, stored without code")
        << QString() << desk.arg(QStringLiteral("+7 495 555-77-88"))
        << QStringList{QStringLiteral("Ёлкин")};
    QTest::newRow("home phone is no work number")
        << QString() << desk.arg(QStringLiteral("222-33-44")) << QStringList();
    QTest::newRow("thunderbird by mail") << QString() << thunderbird.arg(QStringLiteral("kopyta"))
                                         << QStringList{QStringLiteral("Ёлкин")};
    QTest::newRow("thunderbird by given name")
        << QString() << thunderbird.arg(QStringLiteral("петр"))
        << QStringList{QStringLiteral("Ёлкин"), ivanov};
    QTest::newRow("and, not, present")
        << QString() << QStringLiteral("(&(objectClass=inetOrgPerson)(!(sn=Иванов))(mail=*))")
        << QStringList{QStringLiteral("Ёлкин")};
    QTest::newRow("enterprise, title, city, long names")
        << QString() << QStringLiteral("(&(organizationName=рога*)(title=инженер)(l=москва))")
        << ivanovOnly;
    QTest::newRow("unknown attribute matches nothing")
        << QString() << QStringLiteral("(|(birthday=*)(spouse=x))") << QStringList();
}

void TestLdap::searches()
{
    QFETCH(QString, user);
    QFETCH(QString, filter);
    QFETCH(QStringList, found);

    const Answer answer =
        search(filter, user, user == ivanov ? ivanovPassword : QString(), {QStringLiteral("sn")});
    QCOMPARE(answer.exitCode, 0);
    QCOMPARE(answer.all(QStringLiteral("sn")), found);
}

void TestLdap::rootDse()
{
    QVERIFY(answersRootDse(m_server->port()));
    const Answer answer = ldapsearch(
        m_server->port(), {QStringLiteral("-s"), QStringLiteral("base"), QStringLiteral("-b"),
                           QString(), QStringLiteral("objectClass=*")});
    const Entry dse = answer.entries.first();
    QCOMPARE(dse.value(QStringLiteral("supportedldapversion")), QStringList{QStringLiteral("3")});
    QVERIFY(dse.value(QStringLiteral("supportedcontrol"))
                .contains(QStringLiteral("1.2.840.113556.1.4.319")));
}

void TestLdap::binds_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("exitCode"); // ldapsearch exits with the result code

    QTest::newRow("right password") << ivanov << ivanovPassword << 0;
    QTest::newRow("name in other letter case") << QStringLiteral("иванов") << ivanovPassword << 0;
    QTest::newRow("wrong password") << ivanov << petrovPassword << 49;
    QTest::newRow("unknown user") << QStringLiteral("Никто") << ivanovPassword << 49;
}

void TestLdap::binds()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(int, exitCode);

    const Answer answer = search(QStringLiteral("(sn=Иваненко)"), user, password);
    QCOMPARE(answer.exitCode, exitCode);
    // Only a bound Иванов sees the record hidden from everybody else.
    QCOMPARE(answer.entries.size(), exitCode == 0 ? 1 : 0);
}

// Without anonymous access an anonymous bind is refused; a user's is not.
void TestLdap::anonymousRefused()
{
    DirectoryConfig config;
    config.anonymousAllowed = false;
    const std::unique_ptr<LdapServer> server = start(config);
    QVERIFY(server);
    const QStringList people{QStringLiteral("-b"), QStringLiteral("ou=people,dc=sprav"),
                             QStringLiteral("(sn=Ёлкин)")};
    QCOMPARE(ldapsearch(server->port(), people).exitCode, 48); // inappropriateAuthentication
    QCOMPARE(ldapsearch(server->port(), people, ivanov, ivanovPassword).entries.size(), 1);
}

// The office may let anonymous clients see the book as one of its users.
void TestLdap::anonymousAsAProfile()
{
    DirectoryConfig config;
    config.anonymousProfile = ivanov;
    const std::unique_ptr<LdapServer> server = start(config);
    QVERIFY(server);
    const QStringList hidden{QStringLiteral("-b"), QStringLiteral("ou=people,dc=sprav"),
                             QStringLiteral("(sn=Иваненко)")};
    QCOMPARE(ldapsearch(server->port(), hidden).entries.size(), 1);
    QCOMPARE(ldapsearch(m_server->port(), hidden).entries.size(), 0);
}

// Each failure in a row from one address doubles its delay, up to a limit;
// a success starts the count anew; other addresses are not held up.
void TestLdap::failedBindsCounted()
{
    DirectoryConfig config;
    config.failedBindDelayMs = 100;
    LdapServer server(config, m_test->db());
    const QHostAddress guesser(QStringLiteral("192.0.2.1"));
    QList<int> delays;
    for (int i = 0; i < 6; ++i)
        delays.append(server.bindFailed(guesser));
    QCOMPARE(delays, (QList<int>{100, 200, 400, 800, 1600, 1600}));
    QCOMPARE(server.bindFailed(QHostAddress(QStringLiteral("192.0.2.2"))), 100);
    server.bindSucceeded(guesser);
    QCOMPARE(server.bindFailed(guesser), 100);
}

void TestLdap::refusedRequests_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // the result code as the tool names it

    const QString entry = QStringLiteral("uid=1,ou=people,dc=sprav");
    QTest::newRow("delete") << QStringLiteral("ldapdelete") << QStringList{entry} << 53
                            << QStringLiteral("(53)");
    QTest::newRow("compare") << QStringLiteral("ldapcompare")
                             << QStringList{entry, QStringLiteral("sn:Иванов")} << 53
                             << QStringLiteral("(53)");
    // ldapwhoami exits with 1 whatever the code.
    QTest::newRow("extended operation") << QStringLiteral("ldapwhoami") << QStringList() << 1
                                        << QStringLiteral("Protocol error (2)");
    // Like ldapwhoami, ldapsearch exits with 1 when StartTLS fails.
    QTest::newRow("StartTLS without a certificate")
        << QStringLiteral("ldapsearch")
        << QStringList{QStringLiteral("-ZZ"), QStringLiteral("-b"), QStringLiteral("dc=sprav"),
                       QStringLiteral("(sn=*)")}
        << 1 << QStringLiteral("unavailable (52)");
    QTest::newRow("critical unknown control")
        << QStringLiteral("ldapsearch")
        << QStringList{QStringLiteral("-E"), QStringLiteral("!1.2.3.4"), QStringLiteral("-b"),
                       QStringLiteral("dc=sprav"), QStringLiteral("(sn=*)")}
        << 12 << QStringLiteral("12 Critical extension is unavailable");
    QTest::newRow("no such base") << QStringLiteral("ldapsearch")
                                  << QStringList{QStringLiteral("-b"),
                                                 QStringLiteral("ou=groups,dc=sprav"),
                                                 QStringLiteral("(cn=*)")}
                                  << 32 << QStringLiteral("32 No such object");
    QTest::newRow("record hidden as a whole")
        << QStringLiteral("ldapsearch")
        << QStringList{QStringLiteral("-s"), QStringLiteral("base"), QStringLiteral("-b"),
                       QStringLiteral("uid=HIDDEN,ou=people,dc=sprav"), QStringLiteral("(cn=*)")}
        << 32 << QStringLiteral("32 No such object");
}

// Requests this read-only server does not carry out get their answer with
// the proper result code (the tools exit with it), and the connection stays.
void TestLdap::refusedRequests()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);

    arguments.replaceInStrings(QStringLiteral("HIDDEN"), QString::number(m_hidden));
    const Answer answer = ldapTool(program, m_server->port(), arguments);
    QCOMPARE(answer.exitCode, exitCode);
    const QString printed = QString::fromUtf8(answer.output) + answer.errors;
    QVERIFY2(printed.contains(said), qPrintable(printed));
    QVERIFY(answersRootDse(m_server->port()));
}

void TestLdap::pagedAndSizeLimited()
{
    const QStringList everybody{QStringLiteral("Ёлкин"), ivanov, QStringLiteral("Сидоров")};
    const Answer paged = search(QStringLiteral("(objectClass=inetOrgPerson)"), {}, {}, {},
                                {QStringLiteral("-E"), QStringLiteral("pr=2/noprompt")});
    QCOMPARE(paged.exitCode, 0);
    QCOMPARE(paged.all(QStringLiteral("sn")), everybody);

    const Answer limited = search(QStringLiteral("(objectClass=inetOrgPerson)"), {}, {}, {},
                                  {QStringLiteral("-z"), QStringLiteral("2")});
    QCOMPARE(limited.exitCode, 4); // sizeLimitExceeded, with the entries up to the limit
    QCOMPARE(limited.entries.size(), 2);
}

void TestLdap::privacy_data()
{
    QTest::addColumn<QString>("hided");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("user");
    QTest::addColumn<bool>("visible");

    struct Part {
        const char* name;
        QString hided;
        QString attribute;
        QString filter;
    };
    const Part parts[] = {
        {"nothing hidden", QString(), QStringLiteral("mail"), QStringLiteral("(mail=tajna@x.ru)")},
        {"e-mail", code(HiddenCode::Email), QStringLiteral("mail"),
         QStringLiteral("(mail=*tajna*)")},
        {"mobile", code(HiddenCode::MobilePhone), QStringLiteral("mobile"),
         QStringLiteral("(mobile=89030001122)")},
        {"all phones", code(HiddenCode::AllPhones), QStringLiteral("telephoneNumber"),
         QStringLiteral("(telephoneNumber=4957778899)")},
        {"post address", code(HiddenCode::PostAddress), QStringLiteral("postalAddress"),
         QStringLiteral("(postalAddress=*а/я 5*)")},
        {"whole record", HiddenFields::wholeRecord(), QStringLiteral("sn"),
         QStringLiteral("(sn=Приватов)")},
    };
    for (const Part& part : parts)
        for (const QString& user : {QString(), petrov, ivanov}) {
            const bool visible = part.hided.isEmpty() || user == ivanov;
            QTest::addRow("%s, %s", part.name,
                          user.isEmpty() ? "anonymous" : user.toUtf8().constData())
                << part.hided << part.attribute << part.filter << user << visible;
        }
}

// A value hidden from a viewer is neither shown to nor matched for that viewer.
void TestLdap::privacy()
{
    QFETCH(QString, hided);
    QFETCH(QString, attribute);
    QFETCH(QString, filter);
    QFETCH(QString, user);
    QFETCH(bool, visible);

    const int id = RecordStore(m_test->db())
                       .insert(SampleRecord::person(u"Приватов", u"Павел")
                                   .email(u"tajna@x.ru")
                                   .phone(1, u"8 495 777-88-99")
                                   .phone(3, u"+7 903 000-11-22")
                                   .postAddress(u"Москва, а/я 5")
                                   .owns(u" Иванов ")
                                   .hided(hided));
    const QString password = user == ivanov ? ivanovPassword : petrovPassword;
    const Answer matched = search(filter, user, password, {attribute});
    QCOMPARE(matched.exitCode, 0);
    QCOMPARE(matched.entries.size(), visible ? 1 : 0);

    const Answer read = search(QStringLiteral("(uid=%1)").arg(id), user, password, {attribute});
    QCOMPARE(read.exitCode, 0);
    const QStringList values = read.all(attribute.toLower());
    QCOMPARE(values.isEmpty(), !visible);
}

void TestLdap::malformedMessages_data()
{
    QTest::addColumn<QByteArray>("message");

    const auto hex = [](const char* text) { return QByteArray::fromHex(text); };
    QByteArray deep = tlv(0x87, "objectClass");
    for (int i = 0; i < 100; ++i)
        deep = tlv(0xa2, deep);

    QTest::newRow("not a sequence") << hex("0403616263");
    QTest::newRow("indefinite length") << hex("308002010142000000");
    QTest::newRow("five length bytes") << hex("30850100000000");
    QTest::newRow("larger than allowed") << hex("3084001000000201");
    QTest::newRow("inner length beyond the message") << hex("3006020101631004");
    QTest::newRow("message id no integer") << hex("30050401014200");
    QTest::newRow("negative message id") << hex("30050201ff4200");
    QTest::newRow("unknown operation") << hex("30050201014500");
    QTest::newRow("nine-byte integer") << hex("300d02090102030405060708094200");
    QTest::newRow("trailing bytes") << hex("300702010142000500");
    QTest::newRow("bind name beyond the message") << hex("300c020101600702010304"
                                                         "7f8000");
    QTest::newRow("filter nested too deep") << searchWithFilter(deep);
    QTest::newRow("too many filter terms")
        << searchWithFilter(tlv(0xa1, tlv(0x87, "cn").repeated(1100)));
    QTest::newRow("substrings without pieces")
        << searchWithFilter(tlv(0xa4, tlv(0x04, "cn") + tlv(0x30, {})));
    QTest::newRow("not with two filters")
        << searchWithFilter(tlv(0xa2, tlv(0x87, "cn") + tlv(0x87, "sn")));
}

void TestLdap::malformedMessages()
{
    QFETCH(QByteArray, message);

    QTcpSocket socket;
    QByteArray answer;
    connect(&socket, &QTcpSocket::readyRead, this, [&]() { answer += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, m_server->port());
    QVERIFY(socket.waitForConnected(5000));
    socket.write(message);
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, 10000);
    // The Notice of Disconnection with protocolError, then the close.
    QVERIFY(answer.contains("1.3.6.1.4.1.1466.20036"));
    QVERIFY(answer.contains(QByteArray::fromHex("0a0102")));
    QVERIFY(answersRootDse(m_server->port()));
}

// Connections beyond the limit are refused, idle ones closed; the server
// answers afterwards.
void TestLdap::connectionLimits()
{
    DirectoryConfig config;
    config.maxConnections = 2;
    config.idleSeconds = 1;
    const std::unique_ptr<LdapServer> server = start(config);
    QVERIFY(server);
    QTcpSocket idle[2];
    for (QTcpSocket& socket : idle) {
        socket.connectToHost(QHostAddress::LocalHost, server->port());
        QVERIFY(socket.waitForConnected(5000));
    }
    QTRY_COMPARE(server->sessions(), 2);
    QTcpSocket refused;
    QByteArray notice;
    connect(&refused, &QTcpSocket::readyRead, this, [&]() { notice += refused.readAll(); });
    refused.connectToHost(QHostAddress::LocalHost, server->port());
    QTRY_COMPARE(refused.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(notice.contains("1.3.6.1.4.1.1466.20036"));
    QTRY_COMPARE_WITH_TIMEOUT(idle[0].state(), QAbstractSocket::UnconnectedState, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(server->sessions(), 0, 10000);
    QVERIFY(answersRootDse(server->port()));
}

// LDAPS (TLS from the first byte) and StartTLS on the plain port, then the
// same answers as plain LDAP.
void TestLdap::overTls()
{
    QTemporaryDir dir;
    DirectoryConfig config;
    config.tlsCertificate = dir.filePath(QStringLiteral("server.pem"));
    config.tlsKey = dir.filePath(QStringLiteral("server.key"));
    config.tlsPort = 0;
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                   config.tlsKey, QStringLiteral("-out"), config.tlsCertificate,
                   QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                   QStringLiteral("/CN=127.0.0.1")});
    QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
    const std::unique_ptr<LdapServer> server = start(config);
    QVERIFY(server);
    QVERIFY(server->tlsPort() != 0);

    const QStringList hidden{QStringLiteral("-LLL"), QStringLiteral("-b"),
                             QStringLiteral("ou=people,dc=sprav"), QStringLiteral("(sn=Иваненко)"),
                             QStringLiteral("sn")};
    for (const auto& [port, security] :
         {std::pair{server->tlsPort(), LdapClient::Security::Ldaps},
          std::pair{server->port(), LdapClient::Security::StartTls}}) {
        const Answer bound =
            ldapTool(QStringLiteral("ldapsearch"), port, hidden, ivanov, ivanovPassword, security);
        QCOMPARE(bound.exitCode, 0);
        QCOMPARE(bound.all(QStringLiteral("sn")), QStringList{QStringLiteral("Иваненко")});
    }
    // Plain LDAP on the TLS port gets no answer, only the close.
    const Answer plain =
        ldapsearch(server->tlsPort(),
                   {QStringLiteral("-s"), QStringLiteral("base"), QStringLiteral("-b"), QString()});
    QVERIFY(plain.exitCode != 0);
    QVERIFY(plain.entries.isEmpty());
    QVERIFY(answersRootDse(server->port()));
}

// The program itself: arguments, then a search through the port it names.
void TestLdap::program()
{
    QProcess refused;
    refused.start(QStringLiteral(SPRAV_DIRECTORY_PROGRAM), {QStringLiteral("--порт")});
    QVERIFY(refused.waitForFinished(30000));
    QCOMPARE(refused.exitCode(), 64);
    QVERIFY(
        QString::fromUtf8(refused.readAllStandardError()).contains(QStringLiteral("неизвестные")));

    QTemporaryDir dir;
    QFile link(dir.filePath(QStringLiteral("sprav.udl")));
    QVERIFY(link.open(QIODevice::WriteOnly));
    link.write(m_test->dataLinkLine() + '\n');
    link.close();
    QFile ini(dir.filePath(QStringLiteral("directory.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("data_link = sprav.udl\n[ldap]\naddress = 127.0.0.1\nport = 0\n");
    ini.close();

    QProcess service;
    service.start(QStringLiteral(SPRAV_DIRECTORY_PROGRAM),
                  {QStringLiteral("--config"), ini.fileName()});
    QVERIFY(service.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(service.canReadLine() || service.state() == QProcess::NotRunning,
                             30000);
    const QByteArray line = service.readLine().trimmed();
    QVERIFY2(line.startsWith("LDAP 127.0.0.1:"), line.constData());
    const quint16 port = line.mid(line.lastIndexOf(':') + 1).toUShort();
    const Answer answer =
        ldapsearch(port, {QStringLiteral("-b"), QStringLiteral("ou=people,dc=sprav"),
                          QStringLiteral("(sn=Ёлкин)"), QStringLiteral("mail")});
    service.kill();
    service.waitForFinished();
    QCOMPARE(answer.exitCode, 0);
    QCOMPARE(answer.all(QStringLiteral("mail")), QStringList{QStringLiteral("elkin@kopyta.ru")});
}

QTEST_GUILESS_MAIN(TestLdap)
#include "tst_ldap.moc"
