// SPDX-License-Identifier: MIT
#include "directory/http/HttpService.h"
#include "directory/http/HttpLog.h"
#include "directory/http/HttpWorker.h"
#include "directory/http/PhoneNumbers.h"

#include <QThread>
#include <arpa/inet.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <microhttpd.h>
#include <netinet/in.h>

namespace
{

// Idle connections are closed after this many seconds; at most this many
// are served at once (desk phones of an office and a PBX or two).
constexpr unsigned ConnectionTimeout = 15;
constexpr unsigned ConnectionLimit = 64;

// Marks a request whose headers have been read, on the second call of the
// access handler.
int requestSeen = 0;

void logMessage(void*, const char* format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    qCWarning(lcHttp).noquote() << "HTTP:" << QString::fromLocal8Bit(text).trimmed();
}

MHD_Result collectArgument(void* target, MHD_ValueKind, const char* key, const char* value)
{
    auto* query = static_cast<QHash<QString, QString>*>(target);
    const QString name = QString::fromUtf8(key);
    if (!query->contains(name))
        query->insert(name, QString::fromUtf8(value ? value : ""));
    return MHD_YES;
}

HttpRequest readRequest(MHD_Connection* connection, const char* url, const char* method)
{
    HttpRequest request;
    request.method = method;
    request.path = QString::fromUtf8(url);
    MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &collectArgument, &request.query);
    if (const MHD_ConnectionInfo* info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS))
        request.client = QHostAddress(info->client_addr);
    if (const char* host =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_HOST))
        request.host = QString::fromUtf8(host);
    return request;
}

MHD_Result send(MHD_Connection* connection, const HttpReply& reply)
{
    MHD_Response* response = MHD_create_response_from_buffer(
        std::size_t(reply.body.size()), const_cast<char*>(reply.body.constData()),
        MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    if (!reply.contentType.isEmpty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                                reply.contentType.constData());
    for (const auto& [name, value] : reply.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
    MHD_destroy_response(response);
    return queued;
}

MHD_Result onRequest(void* service, MHD_Connection* connection, const char* url, const char* method,
                     const char*, const char*, std::size_t* uploadSize, void** state)
{
    if (*state == nullptr) {
        *state = &requestSeen;
        return MHD_YES;
    }
    // A body (none of our requests has one) is read and ignored.
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    auto* worker = static_cast<HttpWorker*>(service);
    const HttpRequest request = readRequest(connection, url, method);
    HttpReply reply;
    QMetaObject::invokeMethod(
        worker, [&] { reply = worker->handle(request); }, Qt::BlockingQueuedConnection);
    return send(connection, reply);
}

} // namespace

HttpService::HttpService() = default;

HttpService::~HttpService()
{
    stop();
}

bool HttpService::start(const HttpConfig& config, const DataLink& link, QString* error)
{
    stop();
    const auto fail = [this, error](const QString& message) {
        if (error)
            *error = message;
        stop();
        return false;
    };
    if (config.keys.isEmpty())
        return fail(QStringLiteral("[http] keys: не задан ни один ключ, служба отвергла бы "
                                   "каждый запрос"));
    if (!PhoneNumbers::knownRegion(config.region))
        return fail(QStringLiteral("[http] region: неизвестная страна «%1»").arg(config.region));

    m_thread = std::make_unique<QThread>();
    m_thread->setObjectName(QStringLiteral("sprav-http"));
    m_worker = new HttpWorker;
    m_worker->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();

    // The handler learns the port only after the socket is bound, for the
    // links it writes back to this service.
    if (!listen(config, error)) {
        stop();
        return false;
    }
    HttpConfig bound = config;
    bound.port = m_port;
    bool opened = false;
    QString openError;
    QMetaObject::invokeMethod(
        m_worker, [&] { opened = m_worker->open(bound, link, &openError); },
        Qt::BlockingQueuedConnection);
    if (!opened)
        return fail(openError);
    qCInfo(lcHttp).noquote() << "HTTP: listening on" << config.address.toString() << "port"
                             << m_port;
    return true;
}

bool HttpService::listen(const HttpConfig& config, QString* error)
{
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr* address = nullptr;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ERROR_LOG;
    if (config.address.protocol() == QAbstractSocket::IPv6Protocol) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(config.port);
        const Q_IPV6ADDR bytes = config.address.toIPv6Address();
        std::memcpy(&v6.sin6_addr, bytes.c, sizeof bytes.c);
        address = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(config.port);
        v4.sin_addr.s_addr = htonl(config.address.toIPv4Address());
        address = reinterpret_cast<const sockaddr*>(&v4);
    }
    // The logger comes first, so that every message of the daemon goes to it.
    m_daemon = MHD_start_daemon(
        flags, config.port, nullptr, nullptr, &onRequest, m_worker, MHD_OPTION_EXTERNAL_LOGGER,
        &logMessage, nullptr, MHD_OPTION_SOCK_ADDR, address, MHD_OPTION_CONNECTION_TIMEOUT,
        ConnectionTimeout, MHD_OPTION_CONNECTION_LIMIT, ConnectionLimit, MHD_OPTION_END);
    if (!m_daemon) {
        if (error)
            *error = QStringLiteral("HTTP: не удалось открыть %1, порт %2")
                         .arg(config.address.toString())
                         .arg(config.port);
        return false;
    }
    const MHD_DaemonInfo* info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : config.port;
    return true;
}

void HttpService::stop()
{
    if (m_daemon) {
        MHD_stop_daemon(m_daemon);
        m_daemon = nullptr;
    }
    if (m_thread) {
        QMetaObject::invokeMethod(
            m_worker, [worker = m_worker] { worker->close(); }, Qt::BlockingQueuedConnection);
        m_thread->quit();
        m_thread->wait();
        m_thread.reset();
        m_worker = nullptr;
    }
    m_port = 0;
}
