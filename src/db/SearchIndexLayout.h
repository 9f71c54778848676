// SPDX-License-Identifier: MIT
#pragma once

#include <QChar>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What the name search's index is made of inside the database: the texts of
// its tables, triggers and indexes as stored, and how to tell what state a
// database's index is in. SearchIndexBuild makes the index from these, and
// SearchIndex reads the state before it uses one; stored databases hold the
// texts, so a change of one makes the index anew (see SearchIndex).
class SearchIndexLayout
{
public:
    // The searched columns of sprav.
    static const QStringList& columns();

    // ---- SQLite: FTS5 trigram table ----

    // Positionless: complete, but made by an earlier version (without
    // positions).
    enum class State { Missing, Building, Positionless, Complete };
    struct SqliteState {
        State index = State::Missing;
        bool inexactListed = false; // the partial index of inexactRows() is current
    };
    // What sqlite_master holds of the index: complete and current, half built
    // (by this or another copy of the program), or missing, outdated or
    // spoilt (a trigger was dropped, so changes may have passed unseen).
    static SqliteState sqliteState(const QSqlDatabase& db);

    static QString ftsDefinition(bool positions = true);
    // The values the index is given for the columns of a row (prefix new. or
    // old., empty in a SELECT on sprav).
    static QString ftsValues(const QString& prefix);
    // Name and full text of each trigger that keeps the index in step;
    // `building` limits them to the rows indexed so far.
    static QMap<QString, QString> ftsTriggers(bool building = false, bool positions = true);
    static QString staleDefinition();

    // Whether FTS5 folds the character exactly as TextFold does.
    static bool foldsAlike(QChar c);
    // The condition on sprav that a record holds some other character, and
    // the partial index that lists such records.
    static QString inexactRows();
    static QString inexactIndex();
    static QString inexactDefinition();

    // ---- PostgreSQL: pg_trgm GIN indexes ----

    // A searched column folded (TextFold), with the table prefix ("sprav."
    // or empty).
    static QString loweredColumn(const QString& table, const QString& name);
    static QString trgmIndexName(const QString& name);
};
