// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

class QSqlDriver;

// Keeps a PostgreSQL connection of the program usable when the server drops
// it (a restart, an idle timeout, an administrator, a network failure): a
// dropped connection is noticed before the next statement outside a
// transaction and opened again with the same settings. Sql decides which
// failed statements may run once more. SQLite connections are left alone.
namespace Connection
{

// Options for opening a PostgreSQL connection: connecting gives up after a few
// seconds, and keepalives notice a connection that a network failure ended.
QString postgresOptions();

// Sets up a PostgreSQL connection after it is opened (session settings the
// statements rely on) and takes it into this care. Throws DbError.
void configure(const QSqlDatabase& db);

// Before a statement outside a transaction: a connection the server has
// closed is noticed, by reading what the server sent without waiting, and
// opened again. False when it cannot be opened again; `failure` says why.
bool revive(const QSqlDatabase& db, QSqlError& failure);

// After a failed statement (its SQLSTATE, when there is one): whether the
// connection is gone.
bool lost(const QSqlDatabase& db, const QString& sqlState = QString());

// Opens a lost connection again; false when the server cannot be reached,
// `failure` saying why.
bool reopen(const QSqlDatabase& db, QSqlError& failure);

// Counts the openings of the connection: statements prepared under an
// earlier count are unknown to the server.
quint64 generation(const QSqlDatabase& db);

// The connection a driver belongs to, when it is in this care.
QSqlDatabase of(const QSqlDriver* driver);

// Whether a transaction is open on the connection (kept by Sql::Transaction).
bool inTransaction(const QSqlDatabase& db);
void setInTransaction(const QSqlDatabase& db, bool open);

QString lostText();

} // namespace Connection
