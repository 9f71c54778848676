// SPDX-License-Identifier: MIT
#pragma once

#include <QTcpServer>

// The plain LDAP port. Its connections are TLS sockets in plain mode, so a
// client's StartTLS can switch one to TLS where it stands.
class LdapTcpServer : public QTcpServer
{
    Q_OBJECT

public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override;
};
