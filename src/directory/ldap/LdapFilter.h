// SPDX-License-Identifier: MIT
#pragma once

#include "directory/DirectoryEntry.h"

#include <QList>
#include <QString>
#include <QStringList>

// A search filter (RFC 4511 4.5.1) and how it matches an entry. Attribute
// names are compared ignoring letter case, common long names stand for the
// short ones (commonName: cn). Texts match as the program's search compares
// them: letter case ignored, «ё» read as «е». Phone numbers match by their
// digits with the program's number rules: a number with country and city
// code finds a phone stored without them, and four digits or more find a
// phone that contains them. Approximate matching is equality.
struct LdapFilter {
    enum class Kind {
        And,
        Or,
        Not,
        Equality,
        Substrings,
        GreaterOrEqual,
        LessOrEqual,
        Present,
        Approx,
        Extensible, // not supported: always undefined
    };
    // RFC 4511's three outcomes of a filter.
    enum class Result { False, True, Undefined };

    Kind kind = Kind::Present;
    QString attribute; // as the client wrote it
    QString value;
    QString initial;
    QStringList any;
    QString final;
    QList<LdapFilter> children;

    Result evaluate(const DirectoryEntry& entry) const;
    bool matches(const DirectoryEntry& entry) const { return evaluate(entry) == Result::True; }

    // The attribute's name in lower case, long names made short and options
    // (";lang-ru") left out.
    static QString canonical(const QString& attribute);
    static bool isPhoneAttribute(const QString& attribute);
};
