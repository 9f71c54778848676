// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapServer.h"
#include "directory/DirectoryLog.h"
#include "directory/ldap/LdapDn.h"
#include "directory/ldap/LdapResponse.h"
#include "directory/ldap/LdapSession.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>

namespace
{

constexpr qint64 forgetAfterMs = 15 * 60 * 1000;
// More addresses than this with failures in a row: the oldest are of no
// further interest, the table is begun anew rather than grow without end.
constexpr qsizetype maxRemembered = 10000;
constexpr int maxDoublings = 4;

QByteArray pem(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Не удаётся прочитать %1: %2").arg(path, file.errorString());
        return {};
    }
    return file.readAll();
}

// The private key in PEM, whatever its algorithm.
QSslKey privateKey(const QByteArray& bytes)
{
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        QSslKey key(bytes, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            return key;
    }
    return {};
}

} // namespace

LdapServer::LdapServer(const DirectoryConfig& config, const QSqlDatabase& db, QObject* parent)
    : QObject(parent), m_config(config), m_db(db), m_entries(db, config.baseDn),
      m_checker(config.concurrentBinds)
{
    m_server.setMaxPendingConnections(qMin(m_config.maxConnections, 64));
    connect(&m_server, &QTcpServer::newConnection, this, [this]() { accept(m_server); });
}

LdapServer::~LdapServer()
{
    m_tls.reset();
    // The sessions refer to this server: they go first.
    const QList<LdapSession*> open = findChildren<LdapSession*>(Qt::FindDirectChildrenOnly);
    for (LdapSession* session : open) {
        session->disconnect(this);
        delete session;
    }
}

bool LdapServer::listen()
{
    // Every DN the server compares is read against the base.
    const std::optional<QList<LdapDn::Rdn>> base = LdapDn::parse(m_config.baseDn);
    if (!base || base->isEmpty()) {
        m_error = QStringLiteral("База LDAP «%1» не является DN.").arg(m_config.baseDn);
        return false;
    }
    if (!m_config.tlsCertificate.isEmpty() && !loadTls())
        return false;
    QHostAddress address;
    if (!address.setAddress(m_config.ldapAddress))
        address = QHostAddress::LocalHost;
    if (!m_server.listen(address, static_cast<quint16>(m_config.ldapPort)))
        return false;
    qCInfo(lcDirectory).noquote() << "LDAP listens on" << m_server.serverAddress().toString()
                                  << "port" << m_server.serverPort();
    return !m_tlsConfig || listenTls(address);
}

bool LdapServer::loadTls()
{
    const QByteArray chain = pem(m_config.tlsCertificate, m_error);
    const QByteArray keyBytes = m_error.isEmpty() ? pem(m_config.tlsKey, m_error) : QByteArray();
    if (!m_error.isEmpty())
        return false;
    const QList<QSslCertificate> certificates = QSslCertificate::fromData(chain, QSsl::Pem);
    const QSslKey key = privateKey(keyBytes);
    if (certificates.isEmpty() || key.isNull()) {
        m_error = QStringLiteral("Сертификат %1 или ключ %2 не в формате PEM.")
                      .arg(m_config.tlsCertificate, m_config.tlsKey);
        return false;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(certificates);
    tls.setPrivateKey(key);
    // Clients prove who they are by their bind, not by certificates.
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    m_tlsConfig = tls;
    return true;
}

bool LdapServer::listenTls(const QHostAddress& address)
{
    m_tls = std::make_unique<QSslServer>();
    m_tls->setSslConfiguration(*m_tlsConfig);
    m_tls->setMaxPendingConnections(qMin(m_config.maxConnections, 64));
    // A connection is handed over once its handshake is done.
    connect(m_tls.get(), &QTcpServer::pendingConnectionAvailable, this,
            [this]() { accept(*m_tls); });
    if (!m_tls->listen(address, static_cast<quint16>(m_config.tlsPort))) {
        m_error = m_tls->errorString();
        return false;
    }
    qCInfo(lcDirectory).noquote() << "LDAPS listens on" << m_tls->serverAddress().toString()
                                  << "port" << m_tls->serverPort();
    return true;
}

quint16 LdapServer::tlsPort() const
{
    return m_tls ? m_tls->serverPort() : 0;
}

void LdapServer::accept(QTcpServer& server)
{
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        if (m_sessions >= m_config.maxConnections) {
            qCWarning(lcDirectory).noquote()
                << "LDAP: too many connections, refused" << socket->peerAddress().toString();
            socket->write(LdapResponse::disconnection(LdapResult::Unavailable,
                                                      QStringLiteral("Too many connections")));
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        ++m_sessions;
        // An answer goes out whole at once: without this the last small piece
        // of it waits for the client's delayed acknowledgement (40 ms).
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto* session = new LdapSession(socket, *this, this);
        connect(session, &QObject::destroyed, this, [this]() { --m_sessions; });
    }
}

int LdapServer::bindFailed(const QHostAddress& peer)
{
    const QString key = peer.toString();
    if (m_failures.size() >= maxRemembered && !m_failures.contains(key))
        m_failures.clear();
    Failures& f = m_failures[key];
    if (f.last.isValid() && f.last.hasExpired(forgetAfterMs))
        f.count = 0;
    f.last.start();
    ++f.count;
    return m_config.failedBindDelayMs * (1 << qMin(f.count - 1, maxDoublings));
}

void LdapServer::bindSucceeded(const QHostAddress& peer)
{
    m_failures.remove(peer.toString());
}
