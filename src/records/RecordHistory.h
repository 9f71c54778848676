// SPDX-License-Identifier: MIT
#pragma once

#include "db/Schema.h"
#include "db/Sql.h"
#include "records/RecordStore.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// One earlier state of a record, kept in the history when a change replaced
// it or a deletion removed it.
struct RecordVersion {
    int histId = 0;
    int id = 0;
    // The revision the state had, and who stored it when (nobody for
    // revision 0).
    RecordRevision written;
    // Who replaced or deleted it, and when.
    QString changedBy;
    QDateTime changedAt;
    bool deleted = false;
    // The fields the replacing change altered, by column name ("phone1" to
    // "phone6" for the phones); empty for a deletion.
    QStringList changedFields;
    // What of the state the user may see.
    RecordData data;
};

// The history of the records: earlier versions and deleted records, listed
// for a user and restored. The copies are written by RecordStore's writes.
// Throws DbError.
class RecordHistory
{
public:
    // The period of the deleted list (what is older is trimmed at start-up:
    // see Schema).
    static constexpr int keptDays = Schema::historyDays;

    explicit RecordHistory(const QSqlDatabase& db);

    // Earlier versions of a record, newest first. Nothing for a record hidden
    // as a whole from the user; hidden parts left out for a user who is not
    // permitted, and their changes not named.
    QList<RecordVersion> versions(int id, const QString& user);
    // Records deleted in the last `days` days that the user could have
    // changed, the latest deletion first.
    QList<RecordVersion> deletedRecords(const QString& user, int days = keptDays);
    // Brings a deleted record back with its phones and privacy exactly as
    // they were, under its old id when that is free; gives the id. Throws
    // DbError when it is no longer on the deleted list or the user could not
    // have changed it.
    int restoreDeleted(int histId, const QString& user);
    // Stores an earlier version of a record as a new change (revision
    // checked like every write); gives the new revision.
    int restoreVersion(int id, int histId, const RecordWrite& write);

    // Copies the record's stored state with its phones into the history,
    // inside the caller's transaction.
    static void keep(const QSqlDatabase& db, int id, const RecordRevision& written,
                     const RecordRevision& change, bool deleted);

private:
    // History rows with their phones, the job title and city by name.
    QList<RecordVersion> read(const QString& condition,
                              std::initializer_list<Sql::Binding> bindings);

    QSqlDatabase m_db;
};
