// SPDX-License-Identifier: MIT
#include "directory/http/HttpWorker.h"
#include "common/DbError.h"
#include "db/Database.h"

HttpWorker::HttpWorker() = default;

HttpWorker::~HttpWorker()
{
    close();
}

bool HttpWorker::open(const HttpConfig& config, const DataLink& link, QString* error)
{
    // A name of its own, so the connection never meets another part of the
    // program's connection of the same name.
    const QString name = QStringLiteral("sprav-http-%1").arg(quintptr(this), 0, 16);
    try {
        m_database = std::make_unique<Database>(link, name);
    } catch (const DbError& failure) {
        if (error)
            *error = link.masked(failure.text());
        return false;
    }
    m_handler = std::make_unique<HttpHandler>(config, m_database->db());
    return true;
}

HttpReply HttpWorker::handle(const HttpRequest& request) const
{
    if (!m_handler)
        return HttpReply{503, {}, {}, {}};
    return m_handler->handle(request);
}

void HttpWorker::close()
{
    m_handler.reset();
    m_database.reset();
}
