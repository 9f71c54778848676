// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapServer.h"
#include "directory/DirectoryLog.h"
#include "directory/ldap/LdapDn.h"
#include "directory/ldap/LdapResponse.h"
#include "directory/ldap/LdapSession.h"

#include <QTcpSocket>

namespace
{

constexpr qint64 forgetAfterMs = 15 * 60 * 1000;
// More addresses than this with failures in a row: the oldest are of no
// further interest, the table is begun anew rather than grow without end.
constexpr qsizetype maxRemembered = 10000;
constexpr int maxDoublings = 4;

} // namespace

LdapServer::LdapServer(const DirectoryConfig& config, const QSqlDatabase& db, QObject* parent)
    : QObject(parent), m_config(config), m_db(db), m_entries(db, config.baseDn),
      m_checker(config.concurrentBinds)
{
    m_server.setMaxPendingConnections(qMin(m_config.maxConnections, 64));
    connect(&m_server, &QTcpServer::newConnection, this, &LdapServer::accept);
}

LdapServer::~LdapServer()
{
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
    QHostAddress address;
    if (!address.setAddress(m_config.ldapAddress))
        address = QHostAddress::LocalHost;
    if (!m_server.listen(address, static_cast<quint16>(m_config.ldapPort)))
        return false;
    qCInfo(lcDirectory).noquote() << "LDAP listens on" << m_server.serverAddress().toString()
                                  << "port" << m_server.serverPort();
    return true;
}

void LdapServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
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
