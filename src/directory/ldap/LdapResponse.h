// SPDX-License-Identifier: MIT
#pragma once

#include "directory/DirectoryEntry.h"
#include "directory/ldap/LdapRequest.h"

#include <QByteArray>
#include <QList>

// The result codes this server answers with (RFC 4511 4.1.9).
enum class LdapResult {
    Success = 0,
    OperationsError = 1,
    ProtocolError = 2,
    TimeLimitExceeded = 3,
    SizeLimitExceeded = 4,
    AuthMethodNotSupported = 7,
    UnavailableCriticalExtension = 12,
    NoSuchObject = 32,
    InvalidDnSyntax = 34,
    InappropriateAuthentication = 48,
    InvalidCredentials = 49,
    InsufficientAccessRights = 50,
    Busy = 51,
    Unavailable = 52,
    UnwillingToPerform = 53,
    Other = 80,
};

// Encodes the server's messages. An empty result means the message could
// not be encoded; the session then closes instead of sending half of it.
namespace LdapResponse
{

inline const char* pagedResultsOid()
{
    return "1.2.840.113556.1.4.319";
}
inline const char* startTlsOid()
{
    return "1.3.6.1.4.1.1466.20037";
}

// An LDAPResult under the response tag (bind, search done, the refused
// requests), with controls when given.
QByteArray result(qint64 messageId, int tag, LdapResult code, const QString& diagnostic = {},
                  const QByteArray& matchedDn = {}, const QList<LdapControl>& controls = {});
// An ExtendedResponse naming the operation it answers.
QByteArray extended(qint64 messageId, LdapResult code, const QString& diagnostic,
                    const QByteArray& responseName);
// A search's entry with the attributes asked for (every one when the list
// is empty or holds "*"; none for "1.1"), values left out when typesOnly.
QByteArray entry(qint64 messageId, const DirectoryEntry& entry, const QList<QByteArray>& attributes,
                 bool typesOnly);
// The value of the paged-results control: the size and the cookie.
QByteArray pagedValue(qint64 size, const QByteArray& cookie);
// The Notice of Disconnection (RFC 4511 4.4.1), sent before closing.
QByteArray disconnection(LdapResult code, const QString& diagnostic);

} // namespace LdapResponse
