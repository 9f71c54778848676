// SPDX-License-Identifier: MIT
#include "db/Sql.h"
#include "common/DbError.h"
#include "db/Connection.h"
#include "db/DbLog.h"
#include "db/SqliteFile.h"

#include <QSqlDriver>
#include <QSqlError>
#include <cstring>

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

void logFailure(const QSqlError& error, const QString& statement)
{
    qCWarning(lcDb).noquote() << "statement failed:" << statement << "--" << causeForLog(error);
}

// SQLite's errors on the database file are explained in Russian, naming it.
[[noreturn]] void fail(const QSqlError& error, const QString& statement, const QSqlDriver* driver)
{
    logFailure(error, statement);
    QString text = SqliteFile::explain(error, driver);
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Ошибка базы данных.");
    throw DbError(text, error.nativeErrorCode());
}

[[noreturn]] void failLost(const QSqlError& error, const QString& statement)
{
    logFailure(error, statement);
    throw DbError(Connection::lostText());
}

// A failure on a connection the server has dropped reads as such, whatever
// the driver said about the statement.
[[noreturn]] void failOn(const QSqlDatabase& db, const QSqlError& error, const QString& statement,
                         const QSqlDriver* driver)
{
    if (Connection::lost(db, error.nativeErrorCode()))
        failLost(error, statement);
    fail(error, statement, driver);
}

bool isRead(const QString& statement)
{
    return statement.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive);
}

// After a statement failed: when the server had dropped the connection and
// the statement may safely run once more (outside a transaction, and it
// changes nothing or never reached the server), the connection is opened
// again and true returned. A lost connection where repeating is not safe
// throws the lost-connection error; other failures return false.
bool reopenedForRetry(const QSqlDatabase& db, const QSqlError& error, const QString& statement,
                      bool safeToRepeat)
{
    if (!Connection::lost(db, error.nativeErrorCode()))
        return false;
    if (!safeToRepeat || Connection::inTransaction(db))
        failLost(error, statement);
    QSqlError failure;
    if (!Connection::reopen(db, failure))
        failLost(failure, statement);
    return true;
}

// Before a statement: a connection the server dropped meanwhile is opened
// again, or the statement fails as one without connection.
void revive(const QSqlDatabase& db, const QString& statement)
{
    QSqlError failure;
    if (!Connection::revive(db, failure))
        failLost(failure, statement);
}

bool tryPrepare(QSqlQuery& query, const QString& statement)
{
    query.setForwardOnly(true);
    return query.prepare(statement);
}

// Runs a prepared query with its texts bound so that they are stored exactly.
bool execExactly(QSqlQuery& query)
{
    StoredText::checkBindings(query);
    const QVariantList given = StoredText::protectBindings(query);
    const bool done = query.exec();
    StoredText::restoreBindings(query, given);
    return done;
}

// A query like `failed`, prepared anew on the reopened connection with the
// same values bound.
QSqlQuery preparedAgain(const QSqlDatabase& db, const QSqlQuery& failed)
{
    QSqlQuery query(db);
    if (!tryPrepare(query, failed.lastQuery()))
        failOn(db, query.lastError(), failed.lastQuery(), query.driver());
    const QVariantList values = failed.boundValues();
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    return query;
}

bool execPlain(QSqlQuery& query, const QString& statement)
{
    query.setForwardOnly(true);
    return query.exec(statement);
}

} // namespace

namespace Sql
{

QSqlQuery prepare(const QSqlDatabase& db, const QString& statement)
{
    revive(db, statement);
    QSqlQuery query(db);
    if (tryPrepare(query, statement))
        return query;
    // Preparing changes nothing, so it may always be repeated.
    if (!reopenedForRetry(db, query.lastError(), statement, true))
        fail(query.lastError(), statement, query.driver());
    QSqlQuery again(db);
    if (!tryPrepare(again, statement))
        failOn(db, again.lastError(), statement, again.driver());
    return again;
}

void bind(QSqlQuery& query, std::initializer_list<Binding> bindings)
{
    for (const auto& [name, value] : bindings)
        query.bindValue(QLatin1Char(':') + QLatin1String(name), value);
}

void exec(QSqlQuery& query)
{
    if (execExactly(query))
        return;
    const QSqlDatabase db = Connection::of(query.driver());
    if (!reopenedForRetry(db, query.lastError(), query.lastQuery(), isRead(query.lastQuery())))
        fail(query.lastError(), query.lastQuery(), query.driver());
    QSqlQuery again = preparedAgain(db, query);
    if (!execExactly(again))
        failOn(db, again.lastError(), again.lastQuery(), again.driver());
    query = std::move(again);
}

bool next(QSqlQuery& query)
{
    if (query.next())
        return true;
    if (query.lastError().isValid())
        failOn(Connection::of(query.driver()), query.lastError(), query.lastQuery(),
               query.driver());
    return false;
}

QSqlQuery run(const QSqlDatabase& db, const QString& statement,
              std::initializer_list<Binding> bindings)
{
    if (bindings.size() == 0) {
        // Statements without values run unprepared: PostgreSQL cannot prepare DDL.
        revive(db, statement);
        QSqlQuery query(db);
        if (execPlain(query, statement))
            return query;
        if (!reopenedForRetry(db, query.lastError(), statement, isRead(statement)))
            fail(query.lastError(), statement, query.driver());
        QSqlQuery again(db);
        if (!execPlain(again, statement))
            failOn(db, again.lastError(), statement, again.driver());
        return again;
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

QString postgresFunctionSource(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery q = run(db,
                      QStringLiteral("SELECT prosrc FROM pg_proc WHERE proname = :name AND "
                                     "pronamespace = (SELECT oid FROM pg_namespace "
                                     "WHERE nspname = current_schema())"),
                      {{"name", name}});
    return q.next() ? text(q, 0) : QString();
}

QList<int> idList(QSqlQuery& query)
{
    if (!next(query))
        return {};
    const QByteArray blob = query.value(0).toByteArray();
    query.finish();
    QList<int> ids(blob.size() / qsizetype(sizeof(qint32)));
    std::memcpy(ids.data(), blob.constData(), size_t(ids.size()) * sizeof(qint32));
    return ids;
}

qint64 returnedId(QSqlQuery& query)
{
    if (!query.next())
        throw DbError(QStringLiteral("База данных не вернула номер новой записи."));
    const qint64 id = query.value(0).toLongLong();
    query.finish();
    return id;
}

Kept::Kept(const QSqlDatabase& db, const QString& statement) : m_db(db), m_statement(statement) {}

QSqlQuery& Kept::query()
{
    if (m_query && m_connection == Connection::generation(m_db))
        return *m_query;
    retire();
    m_query = prepare(m_db, m_statement);
    m_connection = Connection::generation(m_db);
    return *m_query;
}

// Letting go of a statement the server has forgotten asks it to forget the
// statement once more, which fails; inside a transaction that failure is
// kept from spoiling it.
void Kept::retire()
{
    if (!m_query)
        return;
    if (!Connection::inTransaction(m_db)) {
        m_query.reset();
        return;
    }
    run(m_db, QStringLiteral("SAVEPOINT sprav_kept"));
    m_query.reset();
    run(m_db, QStringLiteral("ROLLBACK TO SAVEPOINT sprav_kept"));
    run(m_db, QStringLiteral("RELEASE SAVEPOINT sprav_kept"));
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

bool begin(QSqlDatabase& db, QSqlError& error)
{
    if (isSqlite(db))
        return runPlain(db, QStringLiteral("BEGIN IMMEDIATE"), error);
    if (db.transaction())
        return true;
    error = db.lastError();
    return false;
}
} // namespace

Transaction::Transaction(const QSqlDatabase& db) : m_db(db)
{
    revive(m_db, QStringLiteral("BEGIN"));
    QSqlError error;
    bool begun = begin(m_db, error);
    // A BEGIN that failed on a dropped connection left nothing behind.
    if (!begun && reopenedForRetry(m_db, error, QStringLiteral("BEGIN"), true))
        begun = begin(m_db, error);
    if (!begun)
        failOn(m_db, error, QStringLiteral("BEGIN"), m_db.driver());
    m_open = true;
    Connection::setInTransaction(m_db, true);
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    Connection::setInTransaction(m_db, false);
    // A dropped connection took the transaction with it.
    if (!m_db.isOpen())
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
        // The destructor rolls back what the failed commit left. Whether a
        // commit cut off with the connection took effect is unknown: the
        // lost-connection error says so rather than retrying.
        failOn(m_db, error, QStringLiteral("COMMIT"), m_db.driver());
    }
    m_open = false;
    Connection::setInTransaction(m_db, false);
}

} // namespace Sql
