// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>

// The order of records in lists, as a Russian reader expects it: by surname,
// then name and patronymic; letter case ignored, «ё» sorted with «е», blanks
// around a name ignored, Cyrillic before Latin. Stored texts never change:
// each record's key is kept in the table sprav_order (id, sortkey, hiddenowns),
// filled by triggers on sprav, and compared byte by byte on both engines (the
// collation "C" on PostgreSQL).
//
// The key of a name is the name trimmed, lower-cased, «ё» written as «е» and
// the Latin letters a to z moved behind every other letter (to the fullwidth
// forms), cut to MaxPartLength characters so that an index entry stays within
// PostgreSQL's limit; the surname's key and the given names' key are joined by
// the character 1, which sorts before any character of a name. `hiddenowns`
// holds the owns of a record hidden as a whole (NULL for the others), so that
// "Все записи" reads the order table alone.
class SortKey
{
public:
    static constexpr int MaxPartLength = 200;

    // The key of a record with that surname and name and patronymic, as the
    // database's sortkey() gives it.
    static QString of(const QString& f, const QString& io);

    // Creates the order table, its triggers and its index where they are
    // missing or outdated, and fills the table from the stored records then.
    // Called by Schema::ensure, inside a transaction.
    static void ensure(const QSqlDatabase& db);
    // Whether ensure() would find everything in place; only reads.
    static bool current(const QSqlDatabase& db);

    // The records with their place in the order (sprav joined with
    // sprav_order), and what a listing orders them by. A database opened
    // read-only that lacks the order table is listed as stored, in code order.
    static QString records(const QSqlDatabase& db);
    static QString orderBy(const QSqlDatabase& db);
    static bool available(const QSqlDatabase& db);

    // SQLite: the expression for `hiddenowns` of the row whose columns are
    // named with the prefix ("new." in a trigger, empty in a SELECT on sprav).
    static QString hiddenOwns(const QString& prefix);
};
