// SPDX-License-Identifier: MIT
#include "db/Sql.h"
#include "common/DbError.h"
#include "db/DbLog.h"
#include "db/SqliteFile.h"

#include <QSqlDriver>
#include <QSqlError>

namespace
{
// The cause as the log gives it: the driver's text, the first line of the
// database's and its error code. Further lines (PostgreSQL's DETAIL) quote
// the values of the row that failed, which the log never holds.
QString causeForLog(const QSqlError& error)
{
    QStringList parts;
    for (const QString& part :
         {error.driverText().trimmed(), error.databaseText().section(u'\n', 0, 0).trimmed(),
          error.nativeErrorCode()}) {
        if (!part.isEmpty())
            parts.append(part);
    }
    return parts.join(QLatin1String(" | "));
}

// SQLite's errors on the database file are explained in Russian, naming it.
[[noreturn]] void fail(const QSqlError& error, const QString& statement, const QSqlDriver* driver)
{
    qCWarning(lcDb).noquote() << "statement failed:" << statement << "--" << causeForLog(error);
    QString text = SqliteFile::explain(error, driver);
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Ошибка базы данных.");
    throw DbError(text);
}
} // namespace

namespace Sql
{

QSqlQuery prepare(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        fail(query.lastError(), statement, query.driver());
    return query;
}

void bind(QSqlQuery& query, std::initializer_list<Binding> bindings)
{
    for (const auto& [name, value] : bindings)
        query.bindValue(QLatin1Char(':') + QLatin1String(name), value);
}

void exec(QSqlQuery& query)
{
    StoredText::checkBindings(query);
    const QVariantList given = StoredText::protectBindings(query);
    const bool done = query.exec();
    StoredText::restoreBindings(query, given);
    if (!done)
        fail(query.lastError(), query.lastQuery(), query.driver());
}

QSqlQuery run(const QSqlDatabase& db, const QString& statement,
              std::initializer_list<Binding> bindings)
{
    if (bindings.size() == 0) {
        // Statements without values run unprepared: PostgreSQL cannot prepare DDL.
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.exec(statement))
            fail(query.lastError(), statement, query.driver());
        return query;
    }
    QSqlQuery query = prepare(db, statement);
    bind(query, bindings);
    exec(query);
    return query;
}

qint64 insertReturningId(const QSqlDatabase& db, const QString& statement,
                         std::initializer_list<Binding> bindings)
{
    QSqlQuery query = run(db, statement, bindings);
    return returnedId(query);
}

qint64 returnedId(QSqlQuery& query)
{
    if (!query.next())
        throw DbError(QStringLiteral("База данных не вернула номер новой записи."));
    const qint64 id = query.value(0).toLongLong();
    query.finish();
    return id;
}

namespace
{
bool isSqlite(const QSqlDatabase& db)
{
    return db.driverName() == QLatin1String("QSQLITE");
}

// SQLite: a transaction that writes takes the write lock at its start, so a
// second copy of the program waits for it (busy timeout) instead of failing
// when its snapshot has gone stale under a concurrent writer.
bool runPlain(const QSqlDatabase& db, const QString& statement, QSqlError& error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    error = query.lastError();
    return false;
}
} // namespace

Transaction::Transaction(const QSqlDatabase& db) : m_db(db)
{
    QSqlError error;
    const bool begun = isSqlite(m_db) ? runPlain(m_db, QStringLiteral("BEGIN IMMEDIATE"), error)
                                      : m_db.transaction();
    if (!begun)
        fail(isSqlite(m_db) ? error : m_db.lastError(), QStringLiteral("BEGIN"), m_db.driver());
    m_open = true;
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    QSqlError ignored;
    if (isSqlite(m_db))
        runPlain(m_db, QStringLiteral("ROLLBACK"), ignored);
    else
        m_db.rollback();
}

void Transaction::commit()
{
    QSqlError error;
    const bool committed =
        isSqlite(m_db) ? runPlain(m_db, QStringLiteral("COMMIT"), error) : m_db.commit();
    if (!committed) {
        if (!isSqlite(m_db))
            error = m_db.lastError();
        m_open = true; // the destructor rolls back what the failed commit left
        fail(error, QStringLiteral("COMMIT"), m_db.driver());
    }
    m_open = false;
}

} // namespace Sql
