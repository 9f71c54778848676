// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

// What lets a listing find the ids of its records without folding or sorting
// stored texts on every search. On SQLite:
// - the table sprav_names (id, sortkey, hiddenowns, f, io, shortpp, longpp)
//   holds each record's place in the order and its owns when hidden as a
//   whole, as sprav_order does, and the four searched names folded as the
//   search compares them (TextFold, NULL as empty); it is filled by triggers
//   on sprav, so a name search compares plain texts;
// - indexes on the day and month of the birthdays of sprav, so that the
//   birthday list reads only the records of its days;
// - the table sprav_reordered (seq, id), where triggers on sprav_order note
//   each record whose place in the order changed, so that a copy that keeps
//   the order of all records in memory can bring it up to date.
// On PostgreSQL: the same table sprav_names, kept by a trigger on sprav, with
// a pg_trgm index over its four folded names where pg_trgm is at hand, so
// that a name search compares plain texts there too; two partial indexes on
// sprav_order (sortkey, id), one for the records not hidden as a whole and
// one for the others, so that "Все записи" reads its ids in order from the
// index alone; and the same birthday indexes as on SQLite.
class ListingIndex
{
public:
    // sprav_reordered keeps the notes of this many latest changes. When its
    // triggers are made anew, its numbering jumps by as many, so that a copy
    // keeping the order reads it anew rather than trust the notes.
    static constexpr int reorderedKept = 1000;

    // Creates what is missing or outdated, and fills the names table from the
    // stored records then. Called by Schema::ensure, inside a transaction.
    static void ensure(const QSqlDatabase& db);
    // Whether ensure() would find everything in place; only reads.
    static bool current(const QSqlDatabase& db);
    // PostgreSQL: the indexes (name, rest of the CREATE INDEX statement) that
    // Schema builds concurrently on a database other copies are using.
    static QList<QPair<QString, QString>> postgresIndexes();
    // PostgreSQL: the names table, its trigger and its trigram index, made
    // anew (and filled from the records) when missing or outdated, or when
    // `refolded` says the folding changed. Inside a transaction.
    static void ensurePostgresNames(const QSqlDatabase& db, bool refolded = false);
    static bool postgresNamesCurrent(const QSqlDatabase& db);
    // Whether the names table can be used (a database opened read-only that
    // an older program made may lack it or hold it outdated; PostgreSQL's is
    // made at start-up).
    static bool namesAvailable(const QSqlDatabase& db);

    // A condition on sprav_names that holds for the records whose names
    // contain the folded text bound as :needle on SQLite, as the LIKE
    // pattern :pattern (SearchIndex::likePattern) on PostgreSQL.
    static QString namesCondition(const QSqlDatabase& db);
};
