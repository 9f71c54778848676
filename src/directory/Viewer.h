// SPDX-License-Identifier: MIT
#pragma once
#include <QString>

// Who asks the directory service: a program user after an LDAP bind, or the
// anonymous profile (an anonymous bind, an HTTP key, a caller-ID lookup),
// which sees what a user named in no record's permitted users sees.
struct Viewer {
    // The name the visibility rules compare with the permitted users (owns).
    QString user;

    static Viewer named(const QString& name) { return Viewer{name}; }
    // A name no account can have: user names hold no tab, and owns is a
    // list of names between blanks, so it is never found there.
    static Viewer anonymous() { return Viewer{QStringLiteral("\t<anonymous>\t")}; }
    // Whom the office lets anonymous clients see as: a user's name, or
    // nobody named in any record (empty).
    static Viewer profile(const QString& name)
    {
        return name.isEmpty() ? anonymous() : named(name);
    }
    bool isAnonymous() const { return user == anonymous().user; }
};
