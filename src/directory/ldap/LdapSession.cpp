// SPDX-License-Identifier: MIT
#include "directory/ldap/LdapSession.h"
#include "auth/AccountStore.h"
#include "common/DbError.h"
#include "directory/DirectoryLog.h"
#include "directory/ldap/Ber.h"
#include "directory/ldap/LdapDn.h"
#include "directory/ldap/LdapSearch.h"
#include "directory/ldap/LdapServer.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QSslSocket>
#include <QTcpSocket>
#include <algorithm>
#include <limits>

namespace
{

// Answers waiting to be sent beyond this: the client is not reading, and
// its next requests wait until it does.
constexpr qint64 maxUnsent = 4 * 1024 * 1024;
constexpr qsizetype maxPagedSearches = 16;
constexpr int bindResponse = 0x61;

// What a log line may quote of a name a client typed: the start of it, no
// line breaks or other control characters that could forge log lines.
QString shown(const QString& text)
{
    QString quoted = text.left(64);
    for (QChar& c : quoted)
        if (!c.isPrint())
            c = QLatin1Char('?');
    return quoted;
}

} // namespace

LdapSession::LdapSession(QTcpSocket* socket, LdapServer& server, QObject* parent)
    : QObject(parent), m_socket(socket), m_server(server), m_peer(socket->peerAddress())
{
    m_socket->setParent(this);
    m_viewer = Viewer::profile(server.config().anonymousProfile);
    // Qt reads no more from the network than one message can take; the
    // rest waits in the kernel until this session asks for it.
    m_socket->setReadBufferSize(server.config().maxMessageBytes);
    m_idle.setSingleShot(true);
    m_idle.setInterval(server.config().idleSeconds * 1000);
    connect(&m_idle, &QTimer::timeout, this,
            [this]() { drop(LdapResult::Unavailable, QStringLiteral("Idle for too long")); });
    connect(m_socket, &QTcpSocket::readyRead, this, &LdapSession::process);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &LdapSession::process);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    m_idle.start();
    qCDebug(lcDirectory).noquote() << "LDAP: connection from" << m_peer.toString();
    // Bytes that came with the connection.
    QMetaObject::invokeMethod(this, &LdapSession::process, Qt::QueuedConnection);
}

LdapSession::~LdapSession()
{
    m_socket->disconnect(this);
}

LdapSession::Frame LdapSession::takeMessage(QByteArray& message)
{
    if (m_buffer.isEmpty())
        return Frame::Incomplete;
    // Every LDAPMessage is a SEQUENCE with a definite length of at most four
    // length bytes.
    if (static_cast<quint8>(m_buffer.at(0)) != 0x30)
        return Frame::Malformed;
    if (m_buffer.size() < 2)
        return Frame::Incomplete;
    const quint8 first = static_cast<quint8>(m_buffer.at(1));
    qint64 length = first;
    qsizetype header = 2;
    if (first & 0x80) {
        const int bytes = first & 0x7f;
        if (bytes == 0 || bytes > 4)
            return Frame::Malformed;
        if (m_buffer.size() < 2 + bytes)
            return Frame::Incomplete;
        length = 0;
        for (int i = 0; i < bytes; ++i)
            length = (length << 8) | static_cast<quint8>(m_buffer.at(2 + i));
        header += bytes;
    }
    if (header + length > m_server.config().maxMessageBytes)
        return Frame::Malformed;
    if (m_buffer.size() < header + length)
        return Frame::Incomplete;
    message = m_buffer.left(header + length);
    m_buffer.remove(0, header + length);
    return Frame::Taken;
}

void LdapSession::process()
{
    while (!m_closing && !m_busy && m_socket->bytesToWrite() < maxUnsent) {
        // One message's worth at most is kept here; the socket holds the rest.
        const qint64 room = m_server.config().maxMessageBytes - m_buffer.size();
        if (room > 0 && m_socket->bytesAvailable() > 0) {
            m_buffer += m_socket->read(room);
            m_idle.start();
        }
        QByteArray message;
        const Frame frame = takeMessage(message);
        if (frame == Frame::Incomplete) {
            // A message's header fits in any room left, so more bytes waiting
            // can always be taken in.
            if (m_socket->bytesAvailable() > 0)
                continue;
            return;
        }
        if (frame == Frame::Malformed) {
            drop(LdapResult::ProtocolError, QStringLiteral("Malformed or oversized message"));
            return;
        }
        const std::optional<LdapRequest> request =
            LdapRequest::decode(message, m_server.config().maxFilterDepth);
        if (!request) {
            drop(LdapResult::ProtocolError, QStringLiteral("Malformed request"));
            return;
        }
        handle(*request);
    }
}

void LdapSession::handle(const LdapRequest& request)
{
    using Op = LdapRequest::Op;
    switch (request.op) {
    case Op::Bind:
        bind(request);
        return;
    case Op::Search:
        search(request);
        return;
    case Op::Unbind:
        m_closing = true;
        m_socket->disconnectFromHost();
        return;
    case Op::Abandon:
        // Searches are answered whole before the next request is read; a
        // paged one is given up by not asking for its next page.
        return;
    case Op::Extended:
        if (request.requestName == LdapResponse::startTlsOid())
            startTls(request);
        else
            answer(request, LdapResult::ProtocolError,
                   QStringLiteral("Extended operation not supported"));
        return;
    default:
        answer(request, LdapResult::UnwillingToPerform,
               QStringLiteral("The directory is read-only"));
        return;
    }
}

void LdapSession::bind(const LdapRequest& r)
{
    // Whatever the outcome, the connection is anonymous until a bind succeeds.
    m_authenticated = false;
    m_viewer = Viewer::profile(m_server.config().anonymousProfile);
    m_pages.clear();
    if (r.version != 3) {
        answer(r, LdapResult::ProtocolError, QStringLiteral("Only LDAPv3 is supported"));
        return;
    }
    if (!r.simple) {
        answer(r, LdapResult::AuthMethodNotSupported, QStringLiteral("Only simple binds"));
        return;
    }
    if (r.name.isEmpty() && r.password.isEmpty()) {
        if (m_server.config().anonymousAllowed)
            answer(r, LdapResult::Success, {});
        else
            answer(r, LdapResult::InappropriateAuthentication,
                   QStringLiteral("Anonymous access is not allowed"));
        return;
    }
    if (r.password.isEmpty()) {
        // RFC 4513 5.1.2: a name without a password would be a bind that
        // checks nothing.
        answer(r, LdapResult::UnwillingToPerform, QStringLiteral("Unauthenticated bind"));
        return;
    }
    // uid=NAME,ou=users,BASE names a program user.
    QString name;
    const std::optional<QList<LdapDn::Rdn>> dn = LdapDn::parse(QString::fromUtf8(r.name));
    if (dn && dn->size() > 1 && dn->first().first == QLatin1String("uid") &&
        LdapDn::same(dn->mid(1), *LdapDn::parse(m_server.entries().usersDn())))
        name = dn->first().second;
    std::optional<AccountStore::Account> account;
    try {
        if (!name.isEmpty())
            account = AccountStore(m_server.db()).account(name);
    } catch (const DbError& e) {
        qCWarning(lcDirectory).noquote() << "LDAP: the accounts cannot be read:" << e.text();
        answer(r, LdapResult::Unavailable, QStringLiteral("The directory is not available"));
        return;
    }
    const qint64 id = r.messageId;
    const QString user = account ? account->user : QString();
    const QString logged = shown(account          ? account->user
                                 : name.isEmpty() ? QString::fromUtf8(r.name)
                                                  : name);
    const bool started = m_server.checker().start(
        account ? std::optional<QString>(account->pass) : std::nullopt,
        QString::fromUtf8(r.password), this, [this, id, user, logged](bool matches) {
            bindChecked(id, user, logged, !user.isEmpty() && matches);
        });
    if (!started) {
        answer(r, LdapResult::Busy, QStringLiteral("Too many binds at once, try again"));
        return;
    }
    m_busy = true;
}

void LdapSession::bindChecked(qint64 messageId, const QString& user, const QString& logged,
                              bool matches)
{
    const QHostAddress& peer = m_peer;
    if (matches) {
        m_authenticated = true;
        m_viewer = Viewer::named(user);
        m_server.bindSucceeded(peer);
        qCInfo(lcDirectory).noquote() << "LDAP: bound as" << logged << "from" << peer.toString();
        send(LdapResponse::result(messageId, bindResponse, LdapResult::Success));
        resume();
        return;
    }
    const int delay = m_server.bindFailed(peer);
    qCWarning(lcDirectory).noquote()
        << "LDAP: failed bind as" << logged << "from" << peer.toString();
    QTimer::singleShot(delay, this, [this, messageId]() {
        send(LdapResponse::result(messageId, bindResponse, LdapResult::InvalidCredentials));
        resume();
    });
}

// StartTLS (RFC 4511 4.14): the answer goes out in plain text, then the
// handshake begins; what the client sent before it is dropped.
void LdapSession::startTls(const LdapRequest& r)
{
    auto* ssl = qobject_cast<QSslSocket*>(m_socket);
    const QByteArray name = LdapResponse::startTlsOid();
    if (!ssl || !m_server.tls()) {
        send(LdapResponse::extended(r.messageId, LdapResult::Unavailable,
                                    QStringLiteral("TLS is not set up"), name));
        return;
    }
    if (ssl->mode() != QSslSocket::UnencryptedMode) {
        send(LdapResponse::extended(r.messageId, LdapResult::OperationsError,
                                    QStringLiteral("TLS is already on"), name));
        return;
    }
    send(LdapResponse::extended(r.messageId, LdapResult::Success, {}, name));
    m_buffer.clear();
    ssl->setSslConfiguration(*m_server.tls());
    ssl->startServerEncryption();
}

void LdapSession::resume()
{
    m_busy = false;
    QMetaObject::invokeMethod(this, &LdapSession::process, Qt::QueuedConnection);
}

void LdapSession::search(const LdapRequest& r)
{
    const bool rootDse = r.base.isEmpty() && r.scope == LdapRequest::Scope::Base;
    if (!m_authenticated && !m_server.config().anonymousAllowed && !rootDse) {
        answer(r, LdapResult::InsufficientAccessRights, QStringLiteral("Bind first"));
        return;
    }
    const LdapControl* paged = nullptr;
    for (const LdapControl& control : r.controls) {
        if (control.oid == LdapResponse::pagedResultsOid())
            paged = &control;
        else if (control.critical) {
            answer(r, LdapResult::UnavailableCriticalExtension,
                   QStringLiteral("Unsupported critical control"));
            return;
        }
    }
    qint64 pageSize = 0;
    qint64 offset = 0;
    if (paged && !paging(*paged, pageSize, offset, r.messageId))
        return;

    const qint64 clientLimit = r.sizeLimit > 0 ? r.sizeLimit : std::numeric_limits<qint64>::max();
    const qint64 serverLimit = m_server.config().sizeLimit;
    // The entries this answer sends, and one more to tell whether more match.
    const qint64 wanted = (!paged         ? qMin(clientLimit, serverLimit)
                           : pageSize > 0 ? qMin(clientLimit, offset + qMin(pageSize, serverLimit))
                                          : offset) +
                          1;
    LdapSearch::Outcome found;
    try {
        const QDeadlineTimer deadline =
            r.timeLimit > 0 ? QDeadlineTimer(r.timeLimit * 1000) : QDeadlineTimer::Forever;
        found = LdapSearch(m_server.entries()).run(r, m_viewer, deadline, wanted);
    } catch (const DbError& e) {
        qCWarning(lcDirectory).noquote() << "LDAP: search failed:" << e.text();
        answer(r, LdapResult::Unavailable, QStringLiteral("The directory is not available"));
        return;
    }
    const qsizetype total = found.entries.size();
    // A paged search may go beyond the server's limit page by page; one page
    // may not.
    const qint64 last = paged ? qMin(clientLimit, static_cast<qint64>(total))
                              : std::min({clientLimit, serverLimit, static_cast<qint64>(total)});
    const qint64 end = paged && pageSize > 0 ? qMin(last, offset + qMin(pageSize, serverLimit))
                       : paged               ? offset
                                             : last;
    for (qint64 i = offset; i < end; ++i)
        send(LdapResponse::entry(r.messageId, found.entries.at(i), r.attributes, r.typesOnly));

    LdapResult code = found.code;
    QByteArray cookie;
    if (paged && pageSize > 0 && end < last) {
        cookie = QByteArray::number(QRandomGenerator::system()->generate64(), 16);
        if (m_pages.size() >= maxPagedSearches)
            m_pages.clear();
        m_pages.insert(cookie, end);
    } else if (code == LdapResult::Success && last < total) {
        code = LdapResult::SizeLimitExceeded;
    }
    QList<LdapControl> controls;
    if (paged)
        controls.append({LdapResponse::pagedResultsOid(), false,
                         LdapResponse::pagedValue(found.complete ? total : 0, cookie)});
    answer(r, code, {}, controls);
}

// The page size and the offset where a paged search goes on; false, having
// answered, when the control cannot be read or names no search of this
// connection.
bool LdapSession::paging(const LdapControl& control, qint64& size, qint64& offset, qint64 messageId)
{
    BerReader ber(control.value);
    QByteArray cookie;
    qint64 end = 0;
    const auto fail = [&](LdapResult code, const QString& text) {
        send(LdapResponse::result(messageId, LdapRequest::responseTag(LdapRequest::Op::Search),
                                  code, text));
        return false;
    };
    if (!ber.valid() || !ber.enter(LBER_SEQUENCE, end) || !ber.integer(LBER_INTEGER, size) ||
        !ber.string(LBER_OCTETSTRING, cookie) || end != 0 || ber.remaining() != 0 || size < 0)
        return fail(LdapResult::ProtocolError, QStringLiteral("Malformed paged results control"));
    if (cookie.isEmpty())
        return true;
    const auto known = m_pages.constFind(cookie);
    if (known == m_pages.cend())
        return fail(LdapResult::UnwillingToPerform, QStringLiteral("Unknown paged results cookie"));
    offset = known.value();
    m_pages.remove(cookie);
    return true;
}

void LdapSession::answer(const LdapRequest& request, LdapResult code, const QString& text,
                         const QList<LdapControl>& controls)
{
    const int tag = LdapRequest::responseTag(request.op);
    send(LdapResponse::result(request.messageId, tag, code, text, {}, controls));
}

void LdapSession::send(const QByteArray& message)
{
    if (m_closing)
        return;
    if (message.isEmpty()) {
        // Nothing half-encoded goes out; the client learns the answer broke.
        drop(LdapResult::Other, QStringLiteral("The answer could not be encoded"));
        return;
    }
    m_socket->write(message);
    m_idle.start();
}

void LdapSession::drop(LdapResult code, const QString& text)
{
    if (m_closing)
        return;
    qCInfo(lcDirectory).noquote() << "LDAP: closing connection from" << m_peer.toString() << "-"
                                  << text;
    m_socket->write(LdapResponse::disconnection(code, text));
    m_closing = true;
    m_buffer.clear();
    m_socket->disconnectFromHost();
}
