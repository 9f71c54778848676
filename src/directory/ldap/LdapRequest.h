// SPDX-License-Identifier: MIT
#pragma once

#include "directory/ldap/LdapFilter.h"

#include <QByteArray>
#include <QList>
#include <optional>

struct LdapControl {
    QByteArray oid;
    bool critical = false;
    QByteArray value;
};

// One request of a client (RFC 4511 4.1.1), decoded from its LDAPMessage.
// Only what this read-only server acts on is decoded; the contents of the
// requests that change the directory are passed over, they are refused.
struct LdapRequest {
    enum class Op {
        Bind,
        Unbind,
        Search,
        Abandon,
        Modify,
        Add,
        Delete,
        ModifyDn,
        Compare,
        Extended,
    };
    enum class Scope { Base = 0, OneLevel = 1, Subtree = 2 };

    qint64 messageId = 0;
    Op op = Op::Unbind;

    // Bind: a simple bind has a password; anything else is SASL.
    qint64 version = 0;
    QByteArray name;
    bool simple = false;
    QByteArray password;

    // Search.
    QByteArray base;
    Scope scope = Scope::Base;
    qint64 sizeLimit = 0;
    qint64 timeLimit = 0;
    bool typesOnly = false;
    LdapFilter filter;
    QList<QByteArray> attributes;

    // Abandon: the request given up.
    qint64 abandoned = 0;
    // Extended: the operation's OID.
    QByteArray requestName;

    QList<LdapControl> controls;

    // Nothing when the message is malformed in any way, or a filter nests
    // deeper than maxFilterDepth or has more than a thousand terms.
    static std::optional<LdapRequest> decode(const QByteArray& message, int maxFilterDepth);
    // The tag of the response to a request that is answered with a result.
    static int responseTag(Op op);
};
