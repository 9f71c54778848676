// SPDX-License-Identifier: MIT
#pragma once

#include "directory/DirectoryConfig.h"
#include "directory/DirectoryEntries.h"
#include "directory/ldap/BindChecker.h"
#include "directory/ldap/LdapTcpServer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QSqlDatabase>
#include <QSslConfiguration>
#include <QTcpServer>
#include <memory>
#include <optional>

class QSslServer;

// The read-only LDAPv3 server (RFC 4511) of the directory: accepts clients up
// to the configured number, on the LDAP port and, with a certificate, on the
// LDAPS port (TLS from the first byte), and gives each an LdapSession. Everything runs on
// the thread that made it, except the password checks (BindChecker).
class LdapServer : public QObject
{
    Q_OBJECT

public:
    LdapServer(const DirectoryConfig& config, const QSqlDatabase& db, QObject* parent = nullptr);
    ~LdapServer() override;

    // Listens on the configured address and ports (port 0: a free one).
    // False when a port cannot be had, the base is no DN, or the
    // certificate or key cannot be read.
    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // The LDAPS port; 0 without a certificate.
    quint16 tlsPort() const;
    // The server's certificate and key, for StartTLS; nothing without them.
    const std::optional<QSslConfiguration>& tls() const { return m_tlsConfig; }
    QString errorString() const { return m_error.isEmpty() ? m_server.errorString() : m_error; }
    int sessions() const { return m_sessions; }

    const DirectoryConfig& config() const { return m_config; }
    const DirectoryEntries& entries() const { return m_entries; }
    QSqlDatabase db() const { return m_db; }
    BindChecker& checker() { return m_checker; }

    // A failed bind from the address: how long its answer waits, doubling
    // with each failure from there in a row. Failures are forgotten after a
    // success or a quiet quarter of an hour.
    int bindFailed(const QHostAddress& peer);
    void bindSucceeded(const QHostAddress& peer);

private:
    void accept(QTcpServer& server);
    bool loadTls();
    bool listenTls(const QHostAddress& address);

    struct Failures {
        int count = 0;
        QElapsedTimer last;
    };

    DirectoryConfig m_config;
    QSqlDatabase m_db;
    DirectoryEntries m_entries;
    BindChecker m_checker;
    LdapTcpServer m_server;
    std::optional<QSslConfiguration> m_tlsConfig;
    std::unique_ptr<QSslServer> m_tls;
    int m_sessions = 0;
    QString m_error;
    QHash<QString, Failures> m_failures;
};
