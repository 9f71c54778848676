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
    bool isAnonymous() const { return user == anonymous().user; }
};
