// SPDX-License-Identifier: MIT
#pragma once

#include "directory/DirectoryEntries.h"
#include "directory/ldap/LdapRequest.h"
#include "directory/ldap/LdapResponse.h"

#include <QDeadlineTimer>

// Finds the entries a search asks for in the tree DirectoryEntries shows a
// viewer, plus the root DSE (the empty base with base scope). The filter is
// matched against entries that hold only what the viewer may see.
class LdapSearch
{
public:
    struct Outcome {
        LdapResult code = LdapResult::Success;
        QList<DirectoryEntry> entries;
        QByteArray matchedDn; // for noSuchObject: the nearest entry above
    };

    explicit LdapSearch(const DirectoryEntries& entries) : m_entries(entries) {}

    // Matching stops at the deadline with timeLimitExceeded and the entries
    // found so far. Throws DbError.
    Outcome run(const LdapRequest& request, const Viewer& viewer,
                QDeadlineTimer deadline = QDeadlineTimer::Forever) const;

    DirectoryEntry rootDse() const;

private:
    enum class Node { Root, Base, People, Person, Missing };
    Outcome candidates(const LdapRequest& request, const Viewer& viewer) const;

    const DirectoryEntries& m_entries;
};
