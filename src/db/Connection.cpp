// SPDX-License-Identifier: MIT
#include "db/Connection.h"
#include "common/DbError.h"
#include "db/DbLog.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <libpq-fe.h>

namespace
{

// Dynamic properties of the driver, which every copy of a QSqlDatabase shares.
const char* const connectionName = "spravConnection";
const char* const transactionOpen = "spravTransaction";
const char* const openings = "spravGeneration";

bool isPostgres(const QSqlDatabase& db)
{
    return db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

bool managed(const QSqlDatabase& db)
{
    return isPostgres(db) && db.driver()->property(connectionName).isValid();
}

PGconn* postgresHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    // Qt names the type after the struct behind libpq's typedef.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

// A server that ends a session (shutdown, pg_terminate_backend, an idle
// timeout) sends its reason and closes the socket. The first read takes the
// message, the second meets the end of the stream, which marks the
// connection bad; on a healthy connection both return at once.
bool closedByServer(const QSqlDatabase& db)
{
    PGconn* connection = postgresHandle(db);
    if (!connection)
        return false; // nothing to read from: the next statement tells
    for (int reads = 0; reads < 2 && PQconsumeInput(connection) == 1; ++reads) {
    }
    return PQstatus(connection) != CONNECTION_OK;
}

// A driver's message could repeat the password; the log never shows it.
QSqlError withoutPassword(const QSqlError& error, const QString& password)
{
    if (password.isEmpty())
        return error;
    QString driverText = error.driverText();
    QString databaseText = error.databaseText();
    driverText.replace(password, QStringLiteral("***"));
    databaseText.replace(password, QStringLiteral("***"));
    return QSqlError(driverText, databaseText, error.type(), error.nativeErrorCode());
}

// The session settings the statements rely on; the connection is taken into
// this care.
bool applySettings(const QSqlDatabase& db, QSqlError& failure)
{
    if (!isPostgres(db))
        return true;
    db.driver()->setProperty(connectionName, db.connectionName());
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("SET client_min_messages TO warning")))
        return true;
    failure = query.lastError();
    return false;
}

} // namespace

namespace Connection
{

QString postgresOptions()
{
    return QStringLiteral("connect_timeout=5;keepalives=1;keepalives_idle=60;"
                          "keepalives_interval=10;keepalives_count=3;tcp_user_timeout=20000;"
                          "application_name=sprav");
}

void configure(const QSqlDatabase& db)
{
    QSqlError failure;
    if (!applySettings(db, failure))
        throw DbError(failure.text());
}

bool revive(const QSqlDatabase& db, QSqlError& failure)
{
    if (!managed(db) || inTransaction(db))
        return true;
    if (db.isOpen() && !closedByServer(db))
        return true;
    return reopen(db, failure);
}

bool lost(const QSqlDatabase& db, const QString& sqlState)
{
    if (!managed(db))
        return false;
    // Errors after which the server closes the session: a connection
    // failure, an administrator's or a crash's shutdown, an idle timeout.
    // The farewell may come in before the end of the stream does.
    static const QStringList ending = {QStringLiteral("57P01"), QStringLiteral("57P02"),
                                       QStringLiteral("57P03"), QStringLiteral("57P05"),
                                       QStringLiteral("25P03")};
    if (sqlState.startsWith(QLatin1String("08")) || ending.contains(sqlState))
        return true;
    return !db.isOpen() || closedByServer(db);
}

bool reopen(const QSqlDatabase& db, QSqlError& failure)
{
    QSqlDatabase connection = db; // the copies share one driver: all of them reconnect
    setInTransaction(connection, false);
    connection.driver()->setProperty(openings, generation(connection) + 1);
    connection.close();
    if (!connection.open()) {
        failure = withoutPassword(connection.lastError(), connection.password());
        return false;
    }
    if (!applySettings(connection, failure))
        return false;
    qCWarning(lcDb).noquote() << "connection to" << connection.hostName()
                              << "was lost and is open again";
    return true;
}

QSqlDatabase of(const QSqlDriver* driver)
{
    if (!driver)
        return {};
    const QVariant name = driver->property(connectionName);
    return name.isValid() ? QSqlDatabase::database(name.toString(), false) : QSqlDatabase();
}

quint64 generation(const QSqlDatabase& db)
{
    return db.driver() ? db.driver()->property(openings).toULongLong() : 0;
}

bool inTransaction(const QSqlDatabase& db)
{
    return db.driver() && db.driver()->property(transactionOpen).toBool();
}

void setInTransaction(const QSqlDatabase& db, bool open)
{
    if (db.driver())
        db.driver()->setProperty(transactionOpen, open);
}

QString lostText()
{
    return QStringLiteral("Нет связи с сервером базы данных. Повторите действие, когда связь "
                          "восстановится.");
}

} // namespace Connection
