// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>

// How a PostgreSQL database tells the connected copies that the directory
// changed: statement-level triggers on the tables the lists show (`sprav`,
// `phone`, `city`, `prof`) send a notice on one channel with a constant
// payload. The server sends equal notices of one transaction once, so a
// whole import is one notice. SQLite needs nothing of this kind.
class ChangeNotice
{
public:
    // The channel the copies listen on.
    static QString channel();

    // The tables whose changes are told.
    static const QStringList& tables();

    // Creates the trigger function and the triggers where missing or outdated.
    // Each table's trigger is made in a transaction of its own, so that the
    // lock it takes on a table others are writing is held briefly and alone.
    static void ensure(const QSqlDatabase& db);
    // The same inside the caller's transaction (a database being created).
    static void ensureInTransaction(const QSqlDatabase& db);
    // Whether ensure() would find everything in place; only reads.
    static bool current(const QSqlDatabase& db);
};
