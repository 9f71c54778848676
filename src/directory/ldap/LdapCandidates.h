// SPDX-License-Identifier: MIT
#pragma once

#include "directory/Viewer.h"
#include "directory/ldap/LdapFilter.h"

#include <QList>
#include <QSqlDatabase>
#include <optional>

// The records a search filter can match, found with the indexes of the
// program's search before any record is read: a name term through the name
// index, a phone term through the number index, an e-mail term through the
// e-mail index, a uid by itself. The answer may hold more records than match
// (the filter still decides on each entry), never fewer; nothing when the
// filter offers no such term (every visible record is read then).
class LdapCandidates
{
public:
    LdapCandidates(const QSqlDatabase& db, const Viewer& viewer) : m_db(db), m_viewer(viewer) {}

    // The ids in the order of the program's lists.
    std::optional<QList<int>> of(const LdapFilter& filter) const;

    // A record's place in the lists: its sort key's bytes, then its id.
    struct Place {
        QByteArray key;
        int id = 0;
        friend bool operator<(const Place& a, const Place& b)
        {
            return a.key != b.key ? a.key < b.key : a.id < b.id;
        }
        friend bool operator==(const Place& a, const Place& b) { return a.id == b.id; }
    };
    using Places = QList<Place>;

private:
    std::optional<Places> set(const LdapFilter& filter) const;
    std::optional<Places> term(const LdapFilter& filter) const;
    Places matching(const QString& condition, const QString& text, int kind) const;
    Places beginning(const QString& text) const;

    QSqlDatabase m_db;
    Viewer m_viewer;
};
