// SPDX-License-Identifier: MIT
#include "db/ServerLock.h"
#include "common/DbError.h"
#include "db/Database.h"
#include "db/DbLog.h"
#include "db/Sql.h"

#include <QThread>

namespace
{

// The first half of every key: the program's own range of advisory locks.
constexpr int keySpace = 0x73707261; // "spra"

bool isPostgres(const QSqlDatabase& db)
{
    return Database::engineOf(db) == Engine::PostgreSQL;
}

bool tryLock(const QSqlDatabase& db, ServerLock::Purpose purpose)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT pg_try_advisory_lock(:space, :purpose)"),
                           {{"space", keySpace}, {"purpose", int(purpose)}});
    return q.next() && q.value(0).toBool();
}

} // namespace

ServerLock::ServerLock(const QSqlDatabase& db, Purpose purpose) : m_db(db), m_purpose(purpose)
{
    if (!isPostgres(m_db))
        return;
    // Asked for again and again rather than waited for in one statement: a
    // statement that waits holds a snapshot, and CREATE INDEX CONCURRENTLY
    // in the session holding the lock would wait for that snapshot in turn.
    bool told = false;
    while (!tryLock(m_db, m_purpose)) {
        if (!told)
            qCInfo(lcDb) << "waiting for another copy of the program preparing the database";
        told = true;
        QThread::msleep(50);
    }
    m_held = true;
}

ServerLock::~ServerLock()
{
    if (!m_held)
        return;
    try {
        Sql::run(m_db, QStringLiteral("SELECT pg_advisory_unlock(:space, :purpose)"),
                 {{"space", keySpace}, {"purpose", int(m_purpose)}});
    } catch (const DbError&) {
        // A lost connection has released the lock with its session.
    }
}

void ServerLock::forTransaction(const QSqlDatabase& db, Purpose purpose)
{
    if (isPostgres(db))
        Sql::run(db, QStringLiteral("SELECT pg_advisory_xact_lock(:space, :purpose)"),
                 {{"space", keySpace}, {"purpose", int(purpose)}});
}
