// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The settings of sprav-directory, read from one INI file:
//
//   data_link = /etc/sprav/sprav.udl     ; the database, as the program finds it
//   anonymous_profile =                  ; see the book as this user; empty: as nobody named
//   [ldap]
//   address = 127.0.0.1                  ; where the LDAP server listens
//   port = 389                           ; 0: a free port, told in the log
//   base = dc=sprav
//   anonymous = true                     ; anonymous binds and searches
//   max_message_bytes = 65536
//   max_filter_depth = 32
//   max_connections = 256
//   idle_seconds = 300
//   concurrent_binds = 2                 ; password checks running at once
//   failed_bind_delay_ms = 1000          ; first delay of a failed bind
//   size_limit = 1000                    ; entries one search returns at most
//   [tls]                                ; LDAP over TLS (ldaps://) beside plain LDAP
//   certificate = server.pem             ; PEM chain, the server's own first
//   key = server.key                     ; PEM private key without a passphrase
//   port = 636
//
// A value out of its range falls back to its default, so a typing error
// never leaves the service without a limit. Other groups ([http]) belong to
// their own services.
struct DirectoryConfig {
    QString dataLink; // empty: found as the desktop program finds it
    // Whom anonymous LDAP clients and the HTTP keys see the book as (the
    // top-level anonymous_profile): empty, a user named in no record.
    QString anonymousProfile;
    QString ldapAddress = QStringLiteral("127.0.0.1");
    int ldapPort = 389;
    QString baseDn = QStringLiteral("dc=sprav");
    bool anonymousAllowed = true;
    int maxMessageBytes = 64 * 1024;
    int maxFilterDepth = 32;
    int maxConnections = 256;
    int idleSeconds = 300;
    int concurrentBinds = 2;
    int failedBindDelayMs = 1000;
    int sizeLimit = 1000;
    QString tlsCertificate; // empty: no LDAPS listener
    QString tlsKey;
    int tlsPort = 636;

    // Throws std::runtime_error (a Russian message) when the file cannot be
    // read or is no INI file. Relative paths (data link, certificate, key)
    // are taken from the INI file's folder.
    static DirectoryConfig fromFile(const QString& path);
};
