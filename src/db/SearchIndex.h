// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

class QSqlQuery;

// Finds the records whose surname, name and patronymic, short or long
// enterprise name contain a typed text, ignoring letter case for every
// alphabet and reading «ё» as «е» (TextFold). The listing queries put
// condition() into their WHERE clause and bind the text with bind().
//
// The condition always ends in the plain containment test, so it finds exactly
// the records that test finds; an index inside the database only narrows the
// rows the test has to look at:
// - SQLite: an FTS5 trigram table `sprav_fts` over the four columns, with
//   the trigrams' positions, kept in step by triggers on `sprav` (plain SQL,
//   so changes made with any SQLite tool keep it right). A phrase of it finds
//   exactly the records holding the text where FTS5 folds every character of
//   record and text as TextFold does; a partial index lists the records
//   holding other characters and `sprav_fts_stale` the ids that REPLACE left
//   stale trigrams for, and those are tested exactly (matchingIds());
// - PostgreSQL: pg_trgm GIN indexes on the lower-cased columns, used through
//   LIKE. The server's LC_CTYPE decides which letters pg_trgm sees as word
//   characters; with a C or POSIX ctype Cyrillic texts are still found, but
//   without the index's help (a UTF-8 locale such as C.UTF-8 or ru_RU.UTF-8
//   is needed for that).
// Without the engine's support (no FTS5, no right to create pg_trgm) the
// condition is the plain test alone.
//
// This class answers searches; SearchIndexBuild makes the index, and
// SearchIndexLayout holds what both know of its tables and triggers.
class SearchIndex
{
public:
    // A condition on the table `sprav` (columns named sprav.x) that holds for
    // the records containing the text bound by bind().
    static QString condition(const QSqlDatabase& db);
    static void bind(QSqlQuery& query, const QString& text);

    // For other trigram indexes: the FTS5 query that requires every trigram
    // of a folded text (empty when it has none), and the LIKE pattern that
    // finds the text anywhere.
    static QString trigramQuery(const QString& folded);
    static QString likePattern(const QString& folded);

    // SQLite: the ids of the records that condition() finds for the text, in
    // ascending order, from the index alone when that is exact: the folded
    // text is at least three characters that the index folds as the exact
    // test does. The few records holding other characters are tested
    // exactly. nullopt where this does not apply (condition() then).
    static std::optional<QList<int>> matchingIds(const QSqlDatabase& db, const QString& text);

    // The containment test alone, bound by bind() as well: what condition()
    // finds, without any index's help.
    static QString plainCondition();
    // Whether condition() uses an index on this database: on SQLite only
    // once the index is completely built.
    static bool indexed(const QSqlDatabase& db);
};
