// SPDX-License-Identifier: MIT
#pragma once

#include "directory/Viewer.h"
#include "directory/ldap/LdapRequest.h"
#include "directory/ldap/LdapResponse.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

class LdapServer;
class QTcpSocket;

// One client's connection: cuts the incoming bytes into LDAPMessages, answers
// each request in order, and keeps who the client is bound as. A message
// that is malformed or larger than allowed ends the connection with a
// Notice of Disconnection (protocolError); so does a connection idle for
// too long. The session deletes itself when the connection is gone.
class LdapSession : public QObject
{
    Q_OBJECT

public:
    LdapSession(QTcpSocket* socket, LdapServer& server, QObject* parent = nullptr);
    ~LdapSession() override;

private:
    enum class Frame { Incomplete, Taken, Malformed };
    Frame takeMessage(QByteArray& message);
    void process();
    void handle(const LdapRequest& request);
    void bind(const LdapRequest& request);
    // user: the account's name as stored (empty: none); logged: how the log
    // names who tried.
    void bindChecked(qint64 messageId, const QString& user, const QString& logged, bool matches);
    void search(const LdapRequest& request);
    void startTls(const LdapRequest& request);
    bool paging(const LdapControl& control, qint64& size, qint64& offset, qint64 messageId);
    void answer(const LdapRequest& request, LdapResult code, const QString& text,
                const QList<LdapControl>& controls = {});
    void send(const QByteArray& message);
    void drop(LdapResult code, const QString& text);
    void resume();

    QTcpSocket* m_socket;
    LdapServer& m_server;
    // Kept from the start: a client gone meanwhile still counts its failures.
    QHostAddress m_peer;
    QByteArray m_buffer;
    QTimer m_idle;
    Viewer m_viewer = Viewer::anonymous();
    bool m_authenticated = false;
    // A bind is being checked: later requests wait for its answer.
    bool m_busy = false;
    bool m_closing = false;
    // The cookies of paged searches handed out, with the offset each resumes.
    QHash<QByteArray, qint64> m_pages;
};
