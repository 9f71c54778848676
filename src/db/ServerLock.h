// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>

// PostgreSQL advisory locks by which the running copies of the program take
// turns at work that must not overlap. On SQLite they do nothing: there a
// write transaction excludes every other writer from its start.
class ServerLock
{
public:
    enum class Purpose { Schema = 1, Registration = 2 };

    // Holds the lock for the connection's session until destroyed, waiting
    // while another copy holds it.
    ServerLock(const QSqlDatabase& db, Purpose purpose);
    ~ServerLock();
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;

    // Takes the lock until the current transaction ends, waiting while
    // another copy holds it.
    static void forTransaction(const QSqlDatabase& db, Purpose purpose);

private:
    QSqlDatabase m_db;
    Purpose m_purpose;
    bool m_held = false;
};
