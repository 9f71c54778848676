// SPDX-License-Identifier: MIT
#pragma once

#include "directory/DirectoryEntries.h"
#include "directory/ldap/LdapRequest.h"
#include "directory/ldap/LdapResponse.h"

#include <QDeadlineTimer>
#include <limits>

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
        bool complete = true; // every matching entry is in entries
    };

    explicit LdapSearch(const DirectoryEntries& entries) : m_entries(entries) {}

    // Matching stops at the deadline with timeLimitExceeded and the entries
    // found so far, and once `wanted` entries are found (more may match:
    // complete is false then). Throws DbError.
    Outcome run(const LdapRequest& request, const Viewer& viewer,
                QDeadlineTimer deadline = QDeadlineTimer::Forever,
                qint64 wanted = std::numeric_limits<qint64>::max()) const;

    DirectoryEntry rootDse() const;

private:
    enum class Node { Root, Base, People, Person, Missing };
    // The entries in the search's scope but the records', and whether the
    // records' entries are in the scope too.
    Outcome candidates(const LdapRequest& request, const Viewer& viewer, bool& people) const;

    const DirectoryEntries& m_entries;
};
