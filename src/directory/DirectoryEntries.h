// SPDX-License-Identifier: MIT
#pragma once

#include "directory/DirectoryEntry.h"
#include "directory/Viewer.h"
#include "records/RecordData.h"

#include <QSqlDatabase>
#include <functional>
#include <optional>

// The directory's records as entries of an LDAP tree, as one viewer may see
// them:
//
//   BASE                      (dcObject / organization)
//   ou=people,BASE            (organizationalUnit)
//   uid=<record id>,ou=people,BASE   one inetOrgPerson per visible record
//
// A record hidden as a whole from the viewer has no entry. A part hidden by
// a privacy code is left out for every viewer not named in the record's
// permitted users, even when nobody is named there (the lists treat it so:
// a value the search would not find is not published either); a phone
// marked hidden likewise. The entries are read from the database at every
// call, so a change shows at once.
class DirectoryEntries
{
public:
    DirectoryEntries(const QSqlDatabase& db, const QString& baseDn);

    QString baseDn() const { return m_baseDn; }
    QString peopleDn() const;
    QString usersDn() const;

    DirectoryEntry baseEntry() const;
    DirectoryEntry peopleEntry() const;
    // Calls visit with the entry of each record the viewer may see among
    // ids (every record when nothing), in the order of the ids; visit
    // returns false to stop. Records are read a few at a time, so a search
    // that wants the first entries reads little more than those. Throws
    // DbError.
    void forEachPerson(const Viewer& viewer, const std::optional<QList<int>>& ids,
                       const std::function<bool(DirectoryEntry&&)>& visit) const;
    // One record's entry; nothing when it does not exist or is hidden as a
    // whole from the viewer. Throws DbError.
    std::optional<DirectoryEntry> person(const Viewer& viewer, int id) const;

    // The entry of a record whose hidden parts are already left out.
    static DirectoryEntry fromRecord(int id, const RecordData& record, const QString& peopleDn);

    const QSqlDatabase& db() const { return m_db; }

private:
    QSqlDatabase m_db;
    QString m_baseDn;
};
