// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

// Finds the records whose surname, name and patronymic, short or long
// enterprise name contain a typed text, ignoring letter case for every
// alphabet and reading «ё» as «е» (TextFold). The listing queries put
// condition() into their WHERE clause and bind the text with bind().
//
// The condition always ends in the plain containment test, so it finds exactly
// the records that test finds; an index inside the database only narrows the
// rows the test has to look at:
// - SQLite: an FTS5 trigram table `sprav_fts` over the four columns, kept in
//   step by triggers on `sprav` (plain SQL, so changes made with any SQLite
//   tool keep it right);
// - PostgreSQL: pg_trgm GIN indexes on the lower-cased columns, used through
//   LIKE. The server's LC_CTYPE decides which letters pg_trgm sees as word
//   characters; with a C or POSIX ctype Cyrillic texts are still found, but
//   without the index's help (a UTF-8 locale such as C.UTF-8 or ru_RU.UTF-8
//   is needed for that).
// Without the engine's support (no FTS5, no right to create pg_trgm) the
// condition is the plain test alone.
class SearchIndex
{
public:
    // Creates whatever the engine needs to answer the condition quickly and
    // keeps it in step with `sprav` inside the database; builds it from the
    // stored records when it is missing or outdated. Called by Schema::ensure.
    static void ensure(const QSqlDatabase& db);

    // A condition on the table `sprav` (columns named sprav.x) that holds for
    // the records containing the text bound by bind().
    static QString condition(const QSqlDatabase& db);
    // Merges what many single inserts left in pieces, so lookups read one
    // structure again (SQLite; PostgreSQL's indexes need nothing of the kind).
    static void compact(const QSqlDatabase& db);
    static void bind(QSqlQuery& query, const QString& text);

    // For other trigram indexes: the FTS5 query that requires every trigram
    // of a folded text (empty when it has none), and the LIKE pattern that
    // finds the text anywhere.
    static QString trigramQuery(const QString& folded);
    static QString likePattern(const QString& folded);

    // The containment test alone, bound by bind() as well: what condition()
    // finds, without any index's help.
    static QString plainCondition();
    // Whether condition() uses an index on this database.
    static bool indexed(const QSqlDatabase& db);
};
