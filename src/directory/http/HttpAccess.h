// SPDX-License-Identifier: MIT
#pragma once

#include "directory/http/HttpConfig.h"

#include <QHostAddress>
#include <QString>

// Who may ask: a request carries one of the configured keys, from an address
// of the allow-list (any address when the list is empty).
class HttpAccess
{
public:
    explicit HttpAccess(const HttpConfig& config) : m_config(config) {}

    bool keyAccepted(const QString& key) const;
    bool addressAllowed(const QHostAddress& client) const;

    // What the log may say about a key: a short fingerprint that tells keys
    // apart without giving one away.
    static QString fingerprint(const QString& key);

private:
    HttpConfig m_config;
};
