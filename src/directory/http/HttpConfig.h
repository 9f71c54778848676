// SPDX-License-Identifier: MIT
#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

class QSettings;

// The [http] group of the service's INI file:
//   address = 127.0.0.1        where to listen (an IPv4 or IPv6 address)
//   port = 8088                0: any free port
//   keys = k1, k2              what a request must carry as ?key=
//   allow = 10.0.0.0/8, ::1    client addresses or subnets; empty: any
//   region = RU                how numbers without a country code are read
//   phonebook_limit = 1000     most records in one Yealink or Grandstream book
struct HttpConfig {
    static constexpr quint16 DefaultPort = 8088;
    static constexpr int DefaultPhonebookLimit = 1000;

    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = DefaultPort;
    QStringList keys;
    QList<QPair<QHostAddress, int>> allowed; // subnets; a single address has the full length
    QString region = QStringLiteral("RU");
    int phonebookLimit = DefaultPhonebookLimit;
    // The top-level anonymous_profile: whom the keys see the book as (empty:
    // a user named in no record), as anonymous LDAP clients do.
    QString profile;

    // Whether the INI file has an [http] group: the service answers HTTP only then.
    static bool configured(QSettings& settings);
    // Reads the group; nothing, with a message naming the bad value, when a
    // value cannot be used.
    static std::optional<HttpConfig> read(QSettings& settings, QString* error);
};
