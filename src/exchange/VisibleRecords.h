// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

// The records a user may see, as the record view shows them to that user,
// loaded many at a time: a record hidden as a whole is left out, the fields
// and phones its codes hide are empty unless the user is exempt (named in
// `owns`, or `owns` empty), and a phone marked hidden is left out unless the
// user is named in `owns`, as the lists leave it out. What is hidden never
// leaves the database this way.
class VisibleRecords
{
public:
    // Records loaded by one statement.
    static constexpr int batchSize = 500;

    VisibleRecords(const QSqlDatabase& db, const QString& user);

    // The ids of the records the user may see, in the order of "Все записи".
    QList<int> allIds() const;
    // The ids of a search as the search view runs it; nothing when the text
    // is too short to search.
    std::optional<QList<int>> searchIds(const QString& text) const;

    // Calls visit with each record in the order of the ids; ids of records
    // deleted or hidden as a whole meanwhile are passed over. visit returns
    // false to stop. Throws DbError.
    void forEach(const QList<int>& ids,
                 const std::function<bool(int id, const RecordData& record)>& visit) const;

private:
    void loadBatch(const QList<int>& ids, const std::function<bool(int, const RecordData&)>& visit,
                   bool& go) const;

    QSqlDatabase m_db;
    QString m_user;
};
