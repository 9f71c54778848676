// SPDX-License-Identifier: MIT
#include "db/ChangeNotice.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <QStringList>

namespace
{

const QString functionName = QStringLiteral("sprav_notify_change");

QString functionBody()
{
    return QStringLiteral("BEGIN PERFORM pg_notify('%1', 'changed'); RETURN NULL; END")
        .arg(ChangeNotice::channel());
}

QString triggerName(const QString& table)
{
    return table + QStringLiteral("_notify_change");
}

bool functionCurrent(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT prosrc FROM pg_proc WHERE proname = :name AND "
                                          "pronamespace = (SELECT oid FROM pg_namespace "
                                          "WHERE nspname = current_schema())"),
                           {{"name", functionName}});
    return q.next() && Sql::text(q, 0).trimmed() == functionBody();
}

bool triggerPresent(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT 1 FROM pg_trigger WHERE tgname = :name AND "
                                          "tgrelid = to_regclass(:table)"),
                           {{"name", triggerName(table)}, {"table", table}});
    return q.next();
}

void createFunction(const QSqlDatabase& db)
{
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger "
                                "LANGUAGE plpgsql AS $sprav$%2$sprav$")
                     .arg(functionName, functionBody()));
}

void createTrigger(const QSqlDatabase& db, const QString& table)
{
    const QString name = triggerName(table);
    Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, table));
    Sql::run(db, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE "
                                "ON %2 FOR EACH STATEMENT EXECUTE FUNCTION %3()")
                     .arg(name, table, functionName));
}

} // namespace

QString ChangeNotice::channel()
{
    return QStringLiteral("sprav_changed");
}

const QStringList& ChangeNotice::tables()
{
    static const QStringList names = {QStringLiteral("sprav"), QStringLiteral("phone"),
                                      QStringLiteral("city"), QStringLiteral("prof")};
    return names;
}

bool ChangeNotice::current(const QSqlDatabase& db)
{
    if (Database::engineOf(db) != Engine::PostgreSQL)
        return true;
    if (!functionCurrent(db))
        return false;
    for (const QString& table : tables())
        if (!triggerPresent(db, table))
            return false;
    return true;
}

void ChangeNotice::ensure(const QSqlDatabase& db)
{
    if (Database::engineOf(db) != Engine::PostgreSQL)
        return;
    if (!functionCurrent(db)) {
        Sql::Transaction transaction(db);
        createFunction(db);
        transaction.commit();
    }
    for (const QString& table : tables()) {
        if (triggerPresent(db, table))
            continue;
        Sql::Transaction transaction(db);
        createTrigger(db, table);
        transaction.commit();
    }
}

void ChangeNotice::ensureInTransaction(const QSqlDatabase& db)
{
    if (Database::engineOf(db) != Engine::PostgreSQL)
        return;
    createFunction(db);
    for (const QString& table : tables())
        createTrigger(db, table);
}
