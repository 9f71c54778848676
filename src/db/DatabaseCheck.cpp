// SPDX-License-Identifier: MIT
#include "db/DatabaseCheck.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/ListingIndex.h"
#include "db/SortKey.h"
#include "db/Sql.h"

namespace
{

qint64 number(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery q = Sql::run(db, statement);
    return q.next() ? q.value(0).toLongLong() : 0;
}

bool tableExists(const QSqlDatabase& db, const QString& table)
{
    QSqlQuery q = Sql::run(db,
                           Database::engineOf(db) == Engine::PostgreSQL
                               ? QStringLiteral("SELECT count(*) FROM pg_class "
                                                "WHERE relname = :table AND relkind = 'r'")
                               : QStringLiteral("SELECT count(*) FROM sqlite_master "
                                                "WHERE name = :table"),
                           {{"table", table}});
    return q.next() && q.value(0).toInt() > 0;
}

// Rows of a table derived row by row from sprav (its `id` the record's id)
// that are missing, left over, or hold another sort key.
qint64 outOfStep(const QSqlDatabase& db, const QString& table)
{
    const bool postgres = Database::engineOf(db) == Engine::PostgreSQL;
    const QString differs =
        QStringLiteral(" OR d.sortkey %1 sortkey(s.f, s.io)")
            .arg(postgres ? QStringLiteral("IS DISTINCT FROM") : QStringLiteral("IS NOT"));
    return number(db, QStringLiteral("SELECT count(*) FROM sprav AS s LEFT JOIN %1 AS d ON d.id = "
                                     "s.id WHERE d.id IS NULL%2")
                          .arg(table, differs)) +
           number(db, QStringLiteral("SELECT count(*) FROM %1 AS d WHERE NOT EXISTS "
                                     "(SELECT 1 FROM sprav AS s WHERE s.id = d.id)")
                          .arg(table));
}

} // namespace

DatabaseCheck::DatabaseCheck(const QSqlDatabase& db) : m_db(db) {}

QList<DatabaseCheck::Finding> DatabaseCheck::run() const
{
    QList<Finding> found;
    const auto add = [&found](const QString& what, qint64 count) {
        if (count > 0)
            found.append({what, count});
    };
    const bool sqlite = Database::engineOf(m_db) == Engine::SQLite;
    if (sqlite) {
        QSqlQuery q = Sql::run(m_db, QStringLiteral("PRAGMA integrity_check"));
        QStringList problems;
        while (Sql::next(q))
            if (q.value(0).toString() != QLatin1String("ok"))
                problems.append(q.value(0).toString());
        if (!problems.isEmpty())
            found.append({QStringLiteral("проверка целостности SQLite: ") +
                              problems.mid(0, 5).join(QStringLiteral("; ")),
                          problems.size()});
    }
    add(QStringLiteral("телефоны без записи"),
        number(m_db, QStringLiteral("SELECT count(*) FROM phone WHERE NOT EXISTS "
                                    "(SELECT 1 FROM sprav WHERE sprav.id = phone.parentid)")));
    for (const auto& [table, what] :
         {std::pair{QStringLiteral("sprav_order"), QStringLiteral("порядок имён (sprav_order)")},
          std::pair{QStringLiteral("sprav_names"),
                    QStringLiteral("имена для списков (sprav_names)")}}) {
        if (!tableExists(m_db, table))
            add(what + QStringLiteral(": таблицы нет"), 1);
        else
            add(what + QStringLiteral(": записей не в порядке"), outOfStep(m_db, table));
    }
    if (sqlite && tableExists(m_db, QStringLiteral("phone_fts"))) {
        add(QStringLiteral("индекс номеров (phone_fts): записей не в порядке"),
            number(m_db, QStringLiteral("SELECT count(*) FROM (SELECT DISTINCT parentid FROM phone "
                                        "WHERE EXISTS (SELECT 1 FROM sprav WHERE sprav.id = "
                                        "phone.parentid)) AS p LEFT JOIN phone_fts AS d ON "
                                        "d.rowid = p.parentid WHERE d.rowid IS NULL")) +
                number(m_db, QStringLiteral("SELECT count(*) FROM phone_fts AS d WHERE NOT EXISTS "
                                            "(SELECT 1 FROM phone WHERE phone.parentid = "
                                            "d.rowid)")));
    }
    return found;
}

void DatabaseCheck::repair() const
{
    Sql::Transaction transaction(m_db);
    Sql::run(m_db, QStringLiteral("DELETE FROM phone WHERE NOT EXISTS "
                                  "(SELECT 1 FROM sprav WHERE sprav.id = phone.parentid)"));
    // Each is made anew from the records when its table is missing.
    Sql::run(m_db, QStringLiteral("DROP TABLE IF EXISTS sprav_order"));
    SortKey::ensure(m_db);
    if (Database::engineOf(m_db) == Engine::PostgreSQL) {
        ListingIndex::ensurePostgresNames(m_db, true);
    } else {
        for (const char* table : {"sprav_names", "phone_fts", "sprav_mail_fts"})
            Sql::run(m_db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(table)));
        ListingIndex::ensure(m_db);
        ContactIndex::ensure(m_db);
    }
    transaction.commit();
}
