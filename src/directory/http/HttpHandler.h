// SPDX-License-Identifier: MIT
#pragma once

#include "directory/http/HttpAccess.h"
#include "directory/http/HttpConfig.h"
#include "directory/http/PhoneNumbers.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

struct HttpRequest {
    QByteArray method;
    QString path;
    QHash<QString, QString> query; // decoded; the first of repeated names
    QHostAddress client;
    QString host; // the Host header, for links back to this service
};

struct HttpReply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
};

// Answers one request of the HTTP side: caller ID and the desk phones'
// phonebooks, for requests from an allowed address with a known key. Runs
// on the thread that owns the database connection.
//
// Refusals and failures come with an empty body: a PBX sets the caller's
// name to whatever body it gets, so an error text would show as a name.
class HttpHandler
{
public:
    HttpHandler(const HttpConfig& config, const QSqlDatabase& db);

    HttpReply handle(const HttpRequest& request) const;

private:
    HttpReply route(const HttpRequest& request) const;
    HttpReply callerId(const HttpRequest& request, bool json) const;
    HttpReply phonebook(const HttpRequest& request, const QString& vendor) const;
    HttpReply ciscoPage(const HttpRequest& request) const;
    HttpReply ciscoSearch(const HttpRequest& request) const;
    QString selfUrl(const HttpRequest& request) const;

    HttpConfig m_config;
    HttpAccess m_access;
    PhoneNumbers m_numbers;
    QSqlDatabase m_db;
};
