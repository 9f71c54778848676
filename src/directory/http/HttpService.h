// SPDX-License-Identifier: MIT
#pragma once

#include "db/DataLink.h"
#include "directory/http/HttpConfig.h"

#include <QString>
#include <memory>

struct MHD_Daemon;
class HttpWorker;
class QThread;

// The HTTP side of the directory service on libmicrohttpd: caller ID
// (/cid, /cid.json) and the desk phones' phonebooks (/phonebook/yealink.xml,
// /phonebook/grandstream.xml, /phonebook/cisco.xml).
//
// libmicrohttpd reads requests on a thread of its own; each request is
// answered on one worker thread that owns the service's database connection,
// so the connection is only ever used from the thread that opened it.
class HttpService
{
public:
    HttpService();
    ~HttpService();
    HttpService(const HttpService&) = delete;
    HttpService& operator=(const HttpService&) = delete;

    // Opens the database the link names and listens. False, with a message
    // in error, when the configuration cannot serve, the database cannot be
    // opened or the address cannot be bound.
    bool start(const HttpConfig& config, const DataLink& link, QString* error);
    // Stops listening and closes the database; nothing when not started.
    void stop();
    bool running() const { return m_daemon != nullptr; }
    // The port listened on (the one chosen when the configuration asks for 0).
    quint16 port() const { return m_port; }

private:
    bool listen(const HttpConfig& config, QString* error);

    std::unique_ptr<QThread> m_thread;
    HttpWorker* m_worker = nullptr; // lives on m_thread
    MHD_Daemon* m_daemon = nullptr;
    quint16 m_port = 0;
};
