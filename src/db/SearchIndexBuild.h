// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

// Makes and keeps up the name search's index (see SearchIndex, which answers
// from it): on SQLite the trigram table with its triggers, built from the
// stored records in steps that leave other copies free to save; on
// PostgreSQL the pg_trgm indexes that Schema builds.
class SearchIndexBuild
{
public:
    // SQLite: creates the trigram table with its triggers and builds it from
    // the stored records when it is missing or outdated, in short write
    // transactions (see Pace). Called by Schema::ensure, outside any
    // transaction. PostgreSQL's indexes are made by Schema.
    static void ensure(const QSqlDatabase& db);
    // Merges what many single inserts left in pieces, so lookups read one
    // structure again (SQLite; PostgreSQL's indexes need nothing of the kind).
    // Works in short write transactions, outside any transaction.
    static void compact(const QSqlDatabase& db);

    // PostgreSQL: the GIN indexes the search uses, each as its name and the
    // rest of its CREATE INDEX statement after the name; and those an older
    // program made, which are dropped.
    static QList<QPair<QString, QString>> postgresIndexes();
    static QStringList outdatedPostgresIndexes();
    // PostgreSQL: makes pg_trgm available when the user may create it (inside
    // a transaction too); false when it is not there.
    static bool enablePostgresTrigrams(const QSqlDatabase& db);

    // How SQLite's index is built and compacted without keeping other copies
    // of the program from saving: each write transaction adds rows in groups
    // of stepRows until it has taken stepMs (or merges mergePages pages), and
    // the write lock is then left free for pauseMs. Tests make the steps
    // small, and change records between them.
    struct Pace {
        int stepRows = 2000;
        int stepMs = 200;
        int mergePages = 500;
        int pauseMs = 100;
        std::function<void()> betweenSteps;
    };
    static void setBuildPace(const Pace& pace);
};
