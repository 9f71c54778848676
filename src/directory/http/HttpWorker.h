// SPDX-License-Identifier: MIT
#pragma once

#include "db/DataLink.h"
#include "directory/http/HttpConfig.h"
#include "directory/http/HttpHandler.h"

#include <QObject>
#include <memory>

class Database;

// Lives on the HTTP service's worker thread and owns the database connection
// opened there. Every call comes from the service through a blocking queued
// call, so it runs on that thread.
class HttpWorker : public QObject
{
    Q_OBJECT

public:
    HttpWorker();
    ~HttpWorker() override;

    // False, with a message in error, when the database cannot be opened.
    bool open(const HttpConfig& config, const DataLink& link, QString* error);
    HttpReply handle(const HttpRequest& request) const;
    void close();

private:
    std::unique_ptr<Database> m_database;
    std::unique_ptr<HttpHandler> m_handler;
};
