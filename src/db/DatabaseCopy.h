// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>

// Copies a directory from one database into another of either engine: the
// records with their phones, privacy texts and revisions, the cities and job
// titles, the users with their password hashes, the phone kinds and the
// history, all under their own ids. The target's derived tables (order,
// names, search and number indexes) follow its triggers; on PostgreSQL the
// id sequences continue after the largest id copied.
class DatabaseCopy
{
public:
    struct Counts {
        qint64 records = 0;
        qint64 phones = 0;
        qint64 users = 0;
        qint64 history = 0;
    };

    // Reads `from` as one snapshot and writes `to` in one transaction: on
    // failure the target is as it was. A target that holds records is
    // refused (DbError naming how many) unless `replace`; its other rows
    // (users, cities, phone kinds) give way to the copy's. Throws DbError.
    static Counts copy(const QSqlDatabase& from, const QSqlDatabase& to, bool replace);

    // How many records the database holds.
    static qint64 records(const QSqlDatabase& db);
    // What a copy of the database would carry.
    static Counts countsOf(const QSqlDatabase& db);
    // "записей: 3, телефонов: 5, пользователей: 2, версий в истории: 7".
    static QString describe(const Counts& counts);
};
