// SPDX-License-Identifier: MIT
#include "DirectoryFigures.h"
#include "Lines.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <atomic>
#include <ldap.h>
#include <stdexcept>
#include <thread>

namespace
{

const QString base = QStringLiteral("dc=sprav");
const QString key = QStringLiteral("bench-key");

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString quoted(const QString& value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

// The service on its own ports, with a data-link file and a configuration
// in a temporary folder; stopped when this goes.
class Service
{
public:
    explicit Service(const DataLink& link) : m_ldapPort(freePort()), m_httpPort(freePort())
    {
        QString udl;
        if (link.provider == DataLink::Provider::SQLite)
            udl = QStringLiteral("Provider=SQLite;Data Source=%1\n").arg(link.databaseFile());
        else
            udl = QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;"
                                 "User ID=%4;Password=%5\n")
                      .arg(link.dataSource)
                      .arg(link.port)
                      .arg(link.catalog, link.user, link.password);
        write(QStringLiteral("sprav.udl"), udl);
        write(QStringLiteral("directory.ini"),
              QStringLiteral("data_link = %1\n[ldap]\naddress = 127.0.0.1\nport = %2\nbase = %3\n"
                             "anonymous = true\nmax_connections = 1024\n"
                             "[http]\naddress = 127.0.0.1\nport = %4\nkeys = %5\n")
                  .arg(quoted(m_dir.filePath(QStringLiteral("sprav.udl"))))
                  .arg(m_ldapPort)
                  .arg(quoted(base))
                  .arg(m_httpPort)
                  .arg(key));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral(SPRAV_DIRECTORY_PROGRAM),
            {QStringLiteral("--config"), m_dir.filePath(QStringLiteral("directory.ini"))});
        if (!m_process.waitForStarted())
            throw std::runtime_error("sprav-directory does not start");
        QElapsedTimer waited;
        waited.start();
        while (!answers(m_ldapPort)) {
            if (m_process.state() != QProcess::Running || waited.elapsed() > 120000)
                throw std::runtime_error("sprav-directory does not listen");
            QThread::msleep(100);
        }
    }
    ~Service()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    quint16 ldapPort() const { return m_ldapPort; }
    quint16 httpPort() const { return m_httpPort; }
    // VmHWM of the service's process, in MiB.
    double peakRssMb() const
    {
        QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
        return 0;
    }

private:
    void write(const QString& name, const QString& text)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            throw std::runtime_error("cannot write the service's configuration");
    }
    static bool answers(quint16 port)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(200);
    }

    QTemporaryDir m_dir;
    quint16 m_ldapPort;
    quint16 m_httpPort;
    QProcess m_process;
};

// One LDAP client connection, bound anonymously.
class Client
{
public:
    explicit Client(quint16 port)
    {
        const QByteArray uri = "ldap://127.0.0.1:" + QByteArray::number(port);
        if (ldap_initialize(&m_ld, uri.constData()) != LDAP_SUCCESS)
            throw std::runtime_error("ldap_initialize failed");
        int version = LDAP_VERSION3;
        ldap_set_option(m_ld, LDAP_OPT_PROTOCOL_VERSION, &version);
        berval anonymous{0, nullptr};
        if (ldap_sasl_bind_s(m_ld, nullptr, LDAP_SASL_SIMPLE, &anonymous, nullptr, nullptr,
                             nullptr) != LDAP_SUCCESS)
            throw std::runtime_error("anonymous bind refused");
    }
    ~Client() { ldap_unbind_ext_s(m_ld, nullptr, nullptr); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Entries found; -1 when the search failed. A size limit reached is no
    // failure: a desk phone asks for the first entries only.
    int search(const QString& filter, int sizeLimit)
    {
        const QByteArray people = ("ou=people," + base).toUtf8();
        const QByteArray text = filter.toUtf8();
        LDAPMessage* result = nullptr;
        const int rc =
            ldap_search_ext_s(m_ld, people.constData(), LDAP_SCOPE_SUBTREE, text.constData(),
                              nullptr, 0, nullptr, nullptr, nullptr, sizeLimit, &result);
        const int entries = result ? ldap_count_entries(m_ld, result) : 0;
        if (result)
            ldap_msgfree(result);
        return rc == LDAP_SUCCESS || rc == LDAP_SIZELIMIT_EXCEEDED ? entries : -1;
    }

private:
    LDAP* m_ld = nullptr;
};

QString prefixFilter(const QString& prefix)
{
    return QStringLiteral("(|(cn=%1*)(sn=%1*))").arg(prefix);
}

// A value in a filter's text, with the characters RFC 4515 escapes.
QString escaped(const QString& value)
{
    QString text;
    for (const QChar c : value) {
        if (c == u'(' || c == u')' || c == u'*' || c == u'\\')
            text += QStringLiteral("\\%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

QString numberFilter(const QString& number)
{
    return QStringLiteral("(|(telephoneNumber=%1)(mobile=%1))").arg(escaped(number));
}

// The body of GET /cid over a connection of its own, as Asterisk's CURL() asks.
QString callerId(quint16 port, const QString& number)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        throw std::runtime_error("the HTTP service does not answer");
    const QByteArray query =
        "/cid?number=" + QUrl::toPercentEncoding(number) + "&key=" + QUrl::toPercentEncoding(key);
    socket.write("GET " + query + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
    QByteArray reply;
    while (socket.waitForReadyRead(5000))
        reply += socket.readAll();
    reply += socket.readAll();
    if (!reply.startsWith("HTTP/1.") || reply.mid(9, 3) != "200")
        throw std::runtime_error("caller ID refused: " + reply.left(40).toStdString());
    return QString::fromUtf8(reply.mid(reply.indexOf("\r\n\r\n") + 4));
}

} // namespace

DirectoryFigures::Result DirectoryFigures::run(const Input& input,
                                               const std::function<bool(const QString&)>& wanted)
{
    Service service(input.link);
    Result r;
    Client client(service.ldapPort());
    if (wanted(QStringLiteral("ldap_search_prefix")) && !input.prefixes.isEmpty()) {
        qsizetype next = 0;
        r.prefix = Measure::run(input.runs, [&] {
            r.prefixEntries =
                client.search(prefixFilter(input.prefixes.at(next++ % input.prefixes.size())), 50);
        });
    }
    if (wanted(QStringLiteral("ldap_search_number")))
        r.number = Measure::run(
            input.runs, [&] { r.numberEntries = client.search(numberFilter(input.number), 0); });
    if (wanted(QStringLiteral("cid_lookup")))
        r.cid = Measure::run(input.runs,
                             [&] { r.cidName = callerId(service.httpPort(), input.number); });
    if (wanted(QStringLiteral("ldap_concurrent")) && !input.prefixes.isEmpty()) {
        std::atomic<qint64> searches = 0;
        std::atomic<qint64> errors = 0;
        std::atomic<bool> stop = false;
        std::vector<std::thread> threads;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int c = 0; c < input.clients; ++c)
            threads.emplace_back([&, c] {
                try {
                    Client own(service.ldapPort());
                    for (qsizetype i = c; !stop; ++i) {
                        const bool byName = i % 4 != 0;
                        const int found = own.search(
                            byName ? prefixFilter(input.prefixes.at(i % input.prefixes.size()))
                                   : numberFilter(input.number),
                            50);
                        ++(found < 0 ? errors : searches);
                    }
                } catch (const std::exception&) {
                    ++errors;
                }
            });
        QThread::sleep(static_cast<unsigned long>(input.seconds));
        stop = true;
        for (std::thread& t : threads)
            t.join();
        r.concurrentSearches = searches;
        r.concurrentErrors = errors;
        r.concurrentQps = double(searches) * 1000.0 / double(elapsed.elapsed());
    }
    r.rssMb = service.peakRssMb();
    return r;
}

void DirectoryFigures::report(const DataLink& link, const QStringList& surnames,
                              const QString& phone, int runs,
                              const std::function<bool(const QString&)>& wanted)
{
    Input input;
    input.link = link;
    input.runs = std::max(runs, 50);
    input.number = phone;
    // Three letters, as a desk phone's user types before the list is short.
    for (const QString& stem : surnames)
        if (!input.prefixes.contains(stem.left(3)))
            input.prefixes.append(stem.left(3));
    const Result d = run(input, wanted);
    Lines::info(QStringLiteral("directory: sprav-directory on this database; ldap_search_prefix: "
                               "(|(cn=P*)(sn=P*)) for %1 three-letter beginnings, first 50 "
                               "entries (%2 in the last); ldap_search_number: \"%3\" as "
                               "telephoneNumber or mobile, %4 entries; cid_lookup: \"%5\"")
                    .arg(input.prefixes.size())
                    .arg(d.prefixEntries)
                    .arg(phone)
                    .arg(d.numberEntries)
                    .arg(d.cidName));
    const QList<std::pair<QString, Measure::Figures>> figures = {
        {QStringLiteral("ldap_search_prefix"), d.prefix},
        {QStringLiteral("ldap_search_number"), d.number},
        {QStringLiteral("cid_lookup"), d.cid}};
    for (const auto& [name, f] : figures)
        if (wanted(name))
            Lines::figure(name, f);
    if (wanted(QStringLiteral("ldap_concurrent"))) {
        Lines::info(QStringLiteral("ldap_concurrent: %1 clients for %2 s, three name searches to "
                                   "one number search, %3 searches")
                        .arg(input.clients)
                        .arg(input.seconds)
                        .arg(d.concurrentSearches));
        Lines::value(QStringLiteral("ldap_concurrent_qps"), d.concurrentQps);
        Lines::value(QStringLiteral("ldap_concurrent_errors"), double(d.concurrentErrors));
    }
    Lines::value(QStringLiteral("directory_rss_mb"), d.rssMb);
}
