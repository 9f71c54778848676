// SPDX-License-Identifier: MIT
#pragma once

#include "db/DataLink.h"
#include "db/Database.h"

#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <memory>

// A fresh database for one test, on the engine SPRAV_TEST_ENGINE names:
// "sqlite" (a file in a temporary folder) or "pgsql" (a database of this
// process on the server that SPRAV_PG_HOST, SPRAV_PG_PORT and SPRAV_PG_USER
// name, emptied for every test).
class TestDatabase
{
public:
    explicit TestDatabase(const QString& connectionName = QStringLiteral("sprav"));
    ~TestDatabase();

    static bool wantsPostgres();
    // False when PostgreSQL is wanted but no server was provided.
    static bool available();

    QSqlDatabase db() const { return m_database->db(); }
    Engine engine() const { return m_database->engine(); }
    const DataLink& link() const { return m_link; }
    // A second connection to the same database, e.g. for concurrency tests.
    std::unique_ptr<Database> connectAgain(const QString& connectionName) const;
    // The environment that tells a child process (another copy of the
    // program) where this database is, and the link the child reads from it.
    QProcessEnvironment childEnvironment() const;
    static DataLink linkFromEnvironment();
    // The line of a data-link file that names this database.
    QByteArray dataLinkLine() const;
    // The link to the catalog on the PostgreSQL test server.
    static DataLink serverLink(const QString& catalog);

    // The message names the file at path in Russian, before anything the
    // engine says on the lines after it.
    static bool namesFileInRussian(const QString& message, const QString& path);

private:
    QTemporaryDir m_dir;
    DataLink m_link;
    std::unique_ptr<Database> m_database;
};

// Skips the test function when its engine has no server.
#define SPRAV_REQUIRE_DATABASE()                                                                   \
    do {                                                                                           \
        if (!TestDatabase::available())                                                            \
            QSKIP("PostgreSQL test server not provided (SPRAV_PG_HOST)");                          \
    } while (false)
