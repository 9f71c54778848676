// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapTcpServer.h"

#include <QSslSocket>

void LdapTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    addPendingConnection(socket);
}
