// SPDX-License-Identifier: MIT
#include "db/Schema.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/SearchIndex.h"
#include "db/SortKey.h"
#include "db/Sql.h"

namespace
{

// Column order of sprav matters: a record is read by position.
const char* const spravColumns = R"(
    f TEXT, io TEXT, profid INTEGER, shortpp TEXT, longpp TEXT,
    legaladdress TEXT, postaddress TEXT, fizaddress TEXT, homeaddress TEXT,
    cityid INTEGER, path TEXT, email TEXT, www TEXT, birthday TEXT,
    spfio TEXT, spbirthday TEXT, spInfo TEXT, otherphones TEXT, info TEXT,
    req TEXT, owns TEXT, hided TEXT)";

QStringList sqliteTables()
{
    const QString key = QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT");
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS sprav (%1,%2)")
            .arg(key, QLatin1String(spravColumns)),
        QStringLiteral("CREATE TABLE IF NOT EXISTS phone (parentid INTEGER, phone TEXT, "
                       "noteid INTEGER, hid INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, note TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS city (%1, cityname TEXT, citycode TEXT)")
            .arg(key),
        QStringLiteral("CREATE TABLE IF NOT EXISTS prof (%1, proftitle TEXT)").arg(key),
        QStringLiteral("CREATE TABLE IF NOT EXISTS users (%1, log TEXT, pass TEXT)").arg(key),
    };
}

QStringList postgresTables()
{
    const QString key = QStringLiteral("id SERIAL PRIMARY KEY");
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS sprav (%1,%2)")
            .arg(key, QLatin1String(spravColumns)),
        QStringLiteral("CREATE TABLE IF NOT EXISTS phone (parentid INTEGER, phone TEXT, "
                       "noteid INTEGER, hid BOOLEAN NOT NULL DEFAULT FALSE)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, note TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS city (%1, cityname TEXT, citycode TEXT)")
            .arg(key),
        QStringLiteral("CREATE TABLE IF NOT EXISTS prof (%1, proftitle TEXT)").arg(key),
        QStringLiteral("CREATE TABLE IF NOT EXISTS users (%1, log TEXT, pass TEXT)").arg(key),
    };
}

QStringList indexes(bool postgres)
{
    QStringList list = {
        QStringLiteral("CREATE INDEX IF NOT EXISTS phone_parentid ON phone (parentid)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_cityid ON sprav (cityid)"),
    };
    // Holds every column the listings read, in name order: "Все записи" and
    // the birthday list read it alone, without sorting or visiting the table.
    // Not on PostgreSQL: it would read the table anyway until vacuumed, and a
    // B-tree entry there may not exceed 2704 bytes, which three long names
    // in four-byte characters do.
    if (!postgres)
        list.append(QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_listing ON sprav "
                                   "(f, io, shortpp, cityid, owns, hided, birthday, spbirthday)"));
    return list;
}

bool postgresFunctionExists(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT 1 FROM pg_proc WHERE proname = :name"),
                           {{"name", name}});
    return q.next();
}

// PostgreSQL lacks instr, and its lower() follows the database's collation;
// ulower folds every alphabet whatever the collation (ICU when the server has it).
void ensurePostgresFunctions(const QSqlDatabase& db)
{
    if (!postgresFunctionExists(db, QStringLiteral("instr")))
        Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION instr(text, text) RETURNS integer "
                                    "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS "
                                    "'SELECT strpos($1, $2)'"));
    if (postgresFunctionExists(db, QStringLiteral("ulower")))
        return;
    QSqlQuery icu =
        Sql::run(db, QStringLiteral("SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu'"));
    const QString body = icu.next() ? QStringLiteral("SELECT lower($1 COLLATE \"und-x-icu\")")
                                    : QStringLiteral("SELECT translate(lower($1), "
                                                     "''АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ'', "
                                                     "''абвгдеёжзийклмнопрстуфхцчшщъыьэюя'')");
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION ulower(text) RETURNS text "
                                "LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS '%1'")
                     .arg(body));
}

qint64 firstNumber(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery q = Sql::run(db, statement);
    return q.next() ? q.value(0).toString().section(QLatin1Char(' '), 0, 0).toLongLong() : -1;
}

// Without statistics SQLite plans a join as if every table were large, and may
// then look up the city of every record to list the records of one city.
// Statistics are taken (from samples, so quickly) once the directory has some
// size, and again when it has grown or shrunk much since; the search index is
// compacted at the same moments.
void refreshSqliteStatistics(const QSqlDatabase& db)
{
    const qint64 now = firstNumber(db, QStringLiteral("SELECT count(*) FROM sprav"));
    qint64 then = -1;
    if (firstNumber(db, QStringLiteral("SELECT count(*) FROM sqlite_master "
                                       "WHERE name = 'sqlite_stat1'")) > 0)
        then = firstNumber(db, QStringLiteral("SELECT stat FROM sqlite_stat1 "
                                              "WHERE tbl = 'sprav' AND idx = 'sprav_cityid'"));
    bool current = then < 0 ? now < 1000 : now <= 2 * then && then <= 2 * now;
    // Tables added to an older database have no statistics of their own yet.
    if (current && then >= 0 &&
        firstNumber(db, QStringLiteral("SELECT count(*) FROM sqlite_stat1 "
                                       "WHERE tbl = 'sprav_order'")) == 0)
        current = false;
    if (current)
        return;
    Sql::run(db, QStringLiteral("PRAGMA analysis_limit = 1000"));
    Sql::run(db, QStringLiteral("ANALYZE"));
    SearchIndex::compact(db);
}

} // namespace

const QStringList& Schema::phoneKinds()
{
    static const QStringList kinds = {
        QStringLiteral("Рабочий"), QStringLiteral("Домашний"),  QStringLiteral("Мобильный"),
        QStringLiteral("Прямой"),  QStringLiteral("Секретарь"), QStringLiteral("Факс"),
    };
    return kinds;
}

void Schema::ensure(const QSqlDatabase& db)
{
    const bool postgres = Database::engineOf(db) == Engine::PostgreSQL;
    Sql::Transaction transaction(db);
    if (postgres)
        ensurePostgresFunctions(db);
    for (const QString& statement : postgres ? postgresTables() : sqliteTables())
        Sql::run(db, statement);
    for (const QString& statement : indexes(postgres))
        Sql::run(db, statement);
    SearchIndex::ensure(db);
    SortKey::ensure(db);
    ContactIndex::ensure(db);
    if (!postgres)
        refreshSqliteStatistics(db); // PostgreSQL's autovacuum keeps its own

    QSqlQuery count = Sql::run(db, QStringLiteral("SELECT COUNT(*) FROM notes"));
    if (count.next() && count.value(0).toInt() == 0) {
        for (int kind = 1; kind <= phoneKinds().size(); ++kind)
            Sql::run(db, QStringLiteral("INSERT INTO notes (id, note) VALUES (:id, :note)"),
                     {{"id", kind}, {"note", phoneKinds().at(kind - 1)}});
    }
    transaction.commit();
}
