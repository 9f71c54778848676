// SPDX-License-Identifier: MIT
#include "db/ListingIndex.h"
#include "db/Database.h"
#include "db/SearchIndexBuild.h"
#include "db/SortKey.h"
#include "db/Sql.h"
#include "db/TextFold.h"

#include <QMap>
#include <QSqlQuery>
#include <QStringList>

namespace
{

const char* const foldedColumns[] = {"f", "io", "shortpp", "longpp"};

// The values of a names row for the sprav row whose columns carry the prefix.
QString namesValues(const QString& prefix)
{
    QStringList values = {prefix + QStringLiteral("id"),
                          QStringLiteral("sortkey(%1f, %1io)").arg(prefix),
                          SortKey::hiddenOwns(prefix)};
    for (const char* column : foldedColumns)
        values.append(
            TextFold::sql(QStringLiteral("coalesce(%1%2, '')").arg(prefix, QLatin1String(column))));
    return values.join(QStringLiteral(", "));
}

const QString namesColumns = QStringLiteral("id, sortkey, hiddenowns, f, io, shortpp, longpp");

QString namesRow(const QString& prefix)
{
    return QStringLiteral("INSERT OR REPLACE INTO sprav_names (%1) VALUES (%2);")
        .arg(namesColumns, namesValues(prefix));
}

const QString namesTable = QStringLiteral("sprav_names");
const QStringList namesTriggers = {QStringLiteral("sprav_names_insert"),
                                   QStringLiteral("sprav_names_update"),
                                   QStringLiteral("sprav_names_delete")};

const QString reorderedTable = QStringLiteral("sprav_reordered");

QString reorderedTrigger(const QString& name, const QString& event, const QString& values)
{
    return QStringLiteral("CREATE TRIGGER sprav_reordered_on_%1 AFTER %2 ON sprav_order BEGIN "
                          "INSERT INTO sprav_reordered (id) %3; DELETE FROM sprav_reordered "
                          "WHERE seq <= last_insert_rowid() - %4; END")
        .arg(name, event, values)
        .arg(ListingIndex::reorderedKept);
}

// Every object this class keeps, by name, as sqlite_master holds its text.
QMap<QString, QString> sqliteObjects()
{
    const QString newRow = QStringLiteral("new.");
    return {
        {namesTable,
         QStringLiteral("CREATE TABLE sprav_names (id INTEGER PRIMARY KEY, sortkey TEXT NOT NULL, "
                        "hiddenowns TEXT, f TEXT NOT NULL, io TEXT NOT NULL, "
                        "shortpp TEXT NOT NULL, longpp TEXT NOT NULL)")},
        {QStringLiteral("sprav_names_insert"),
         QStringLiteral("CREATE TRIGGER sprav_names_insert AFTER INSERT ON sprav BEGIN %1 END")
             .arg(namesRow(newRow))},
        {QStringLiteral("sprav_names_update"),
         QStringLiteral("CREATE TRIGGER sprav_names_update AFTER UPDATE OF id, f, io, shortpp, "
                        "longpp, hided, owns ON sprav BEGIN DELETE FROM sprav_names "
                        "WHERE id = old.id; %1 END")
             .arg(namesRow(newRow))},
        {QStringLiteral("sprav_names_delete"),
         QStringLiteral("CREATE TRIGGER sprav_names_delete AFTER DELETE ON sprav BEGIN "
                        "DELETE FROM sprav_names WHERE id = old.id; END")},
        // The records whose place in the order of all records changed (added,
        // deleted, renamed, hidden or shown), newest last, so that a copy
        // keeping that order in memory brings it up to date instead of
        // reading it anew. Only the last reorderedKept rows are kept.
        {reorderedTable, QStringLiteral("CREATE TABLE sprav_reordered (seq INTEGER PRIMARY KEY, "
                                        "id INTEGER NOT NULL)")},
        {QStringLiteral("sprav_reordered_on_insert"),
         reorderedTrigger(QStringLiteral("insert"), QStringLiteral("INSERT"),
                          QStringLiteral("VALUES (new.id)"))},
        {QStringLiteral("sprav_reordered_on_update"),
         reorderedTrigger(QStringLiteral("update"), QStringLiteral("UPDATE"),
                          QStringLiteral("VALUES (old.id), (new.id)"))},
        {QStringLiteral("sprav_reordered_on_delete"),
         reorderedTrigger(QStringLiteral("delete"), QStringLiteral("DELETE"),
                          QStringLiteral("VALUES (old.id)"))},
        // The expressions BirthdayWindow::condition() tests.
        {QStringLiteral("sprav_birthday_day"),
         QStringLiteral("CREATE INDEX sprav_birthday_day ON sprav (substr(birthday, 1, 5))")},
        {QStringLiteral("sprav_spbirthday_day"),
         QStringLiteral("CREATE INDEX sprav_spbirthday_day ON sprav (substr(spbirthday, 1, 5))")},
    };
}

QString quotedNames(const QMap<QString, QString>& objects)
{
    QStringList names;
    for (const QString& name : objects.keys())
        names.append(QLatin1Char('\'') + name + QLatin1Char('\''));
    return names.join(QStringLiteral(", "));
}

QMap<QString, QString> storedObjects(const QSqlDatabase& db, const QMap<QString, QString>& wanted)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE name IN "
                                              "(%1)")
                                   .arg(quotedNames(wanted)));
    QMap<QString, QString> stored;
    while (q.next())
        stored.insert(q.value(0).toString(), q.value(1).toString());
    return stored;
}

// The names table and its triggers, which are made anew together.
bool namesObject(const QString& name)
{
    return name == namesTable || namesTriggers.contains(name);
}

// Whether the stored names table and triggers are those wanted.
bool namesCurrent(const QMap<QString, QString>& stored, const QMap<QString, QString>& wanted)
{
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (namesObject(it.key()) && stored.value(it.key()) != *it)
            return false;
    }
    return true;
}

bool isSqlite(const QSqlDatabase& db)
{
    return Database::engineOf(db) == Engine::SQLite;
}

bool postgresIndexValid(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT indisvalid FROM pg_index "
                                          "WHERE indexrelid = to_regclass(:name)"),
                           {{"name", name}});
    return q.next() && q.value(0).toBool();
}

// ---- PostgreSQL: the names table ---------------------------------------------

QString postgresNamesSync()
{
    return QStringLiteral(
               "BEGIN "
               "IF TG_OP <> 'INSERT' THEN DELETE FROM sprav_names WHERE id = OLD.id; END IF; "
               "IF TG_OP <> 'DELETE' THEN INSERT INTO sprav_names (%1) VALUES (%2); END IF; "
               "RETURN NULL; END")
        .arg(namesColumns, namesValues(QStringLiteral("NEW.")));
}

const QString postgresNamesTrigrams = QStringLiteral("sprav_names_trgm");

bool postgresTrigramsPresent(const QSqlDatabase& db)
{
    QSqlQuery q =
        Sql::run(db, QStringLiteral("SELECT 1 FROM pg_extension WHERE extname = 'pg_trgm'"));
    return q.next();
}

} // namespace

bool ListingIndex::postgresNamesCurrent(const QSqlDatabase& db)
{
    {
        QSqlQuery q = Sql::run(db, QStringLiteral("SELECT to_regclass('sprav_names') IS NOT NULL "
                                                  "AND EXISTS (SELECT 1 FROM pg_trigger WHERE "
                                                  "tgname = 'sprav_names_sync')"));
        if (!q.next() || !q.value(0).toBool())
            return false;
    }
    if (Sql::postgresFunctionSource(db, QStringLiteral("sprav_names_sync")).trimmed() !=
        postgresNamesSync())
        return false;
    // Once pg_trgm is there, the table is made anew with its index.
    return !postgresTrigramsPresent(db) || postgresIndexValid(db, postgresNamesTrigrams);
}

void ListingIndex::ensurePostgresNames(const QSqlDatabase& db, bool refolded)
{
    if (!refolded && postgresNamesCurrent(db))
        return;
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION sprav_names_sync() RETURNS trigger "
                                "LANGUAGE plpgsql AS $sprav$%1$sprav$")
                     .arg(postgresNamesSync()));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_names"));
    Sql::run(db, QStringLiteral("CREATE TABLE sprav_names (id INTEGER PRIMARY KEY, "
                                "sortkey TEXT COLLATE \"C\" NOT NULL, hiddenowns TEXT, "
                                "f TEXT NOT NULL, io TEXT NOT NULL, shortpp TEXT NOT NULL, "
                                "longpp TEXT NOT NULL)"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_names (%1) SELECT %2 FROM sprav")
                     .arg(namesColumns, namesValues(QString())));
    // One index over the four names: a search reads it once per name.
    if (SearchIndexBuild::enablePostgresTrigrams(db))
        Sql::run(db, QStringLiteral("CREATE INDEX %1 ON sprav_names USING gin (f gin_trgm_ops, "
                                    "io gin_trgm_ops, shortpp gin_trgm_ops, longpp gin_trgm_ops)")
                         .arg(postgresNamesTrigrams));
    Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS sprav_names_sync ON sprav"));
    Sql::run(db, QStringLiteral("CREATE TRIGGER sprav_names_sync AFTER INSERT OR DELETE OR UPDATE "
                                "OF id, f, io, shortpp, longpp, hided, owns ON sprav FOR EACH ROW "
                                "EXECUTE FUNCTION sprav_names_sync()"));
    Sql::run(db, QStringLiteral("ANALYZE sprav_names"));
}

QList<QPair<QString, QString>> ListingIndex::postgresIndexes()
{
    return {
        {QStringLiteral("sprav_order_open"),
         QStringLiteral("ON sprav_order (sortkey, id) WHERE hiddenowns IS NULL")},
        {QStringLiteral("sprav_order_hidden"),
         QStringLiteral("ON sprav_order (sortkey, id) WHERE hiddenowns IS NOT NULL")},
        {QStringLiteral("sprav_birthday_day"), QStringLiteral("ON sprav (substr(birthday, 1, 5))")},
        {QStringLiteral("sprav_spbirthday_day"),
         QStringLiteral("ON sprav (substr(spbirthday, 1, 5))")},
    };
}

bool ListingIndex::current(const QSqlDatabase& db)
{
    if (!isSqlite(db)) {
        for (const auto& [name, definition] : postgresIndexes())
            if (!postgresIndexValid(db, name))
                return false;
        return true;
    }
    const QMap<QString, QString> wanted = sqliteObjects();
    return storedObjects(db, wanted) == wanted;
}

void ListingIndex::ensure(const QSqlDatabase& db)
{
    if (!isSqlite(db)) {
        for (const auto& [name, definition] : postgresIndexes())
            Sql::run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 %2").arg(name, definition));
        return;
    }
    const QMap<QString, QString> wanted = sqliteObjects();
    const QMap<QString, QString> stored = storedObjects(db, wanted);
    if (stored == wanted)
        return;
    // The names table is made anew from the records when it or one of its
    // triggers is missing or outdated (a change may have passed unseen); the
    // other objects each on their own.
    const bool namesKept = namesCurrent(stored, wanted);
    if (!namesKept) {
        for (const QString& trigger : namesTriggers)
            Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
        Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_names"));
        Sql::run(db, wanted.value(namesTable));
        Sql::run(db, QStringLiteral("INSERT INTO sprav_names (%1) SELECT %2 FROM sprav")
                         .arg(namesColumns, namesValues(QString())));
    }
    bool reorderedMade = false;
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        const bool names = namesObject(it.key());
        if (names ? namesKept || it.key() == namesTable : stored.value(it.key()) == *it)
            continue;
        if (!names) {
            // The kind of object, as its statement names it: TABLE, INDEX or TRIGGER.
            const QString kind = it->section(QLatin1Char(' '), 1, 1);
            Sql::run(db, QStringLiteral("DROP %1 IF EXISTS %2").arg(kind, it.key()));
        }
        Sql::run(db, *it);
        reorderedMade = reorderedMade || it.key().startsWith(reorderedTable);
    }
    // Without the triggers (dropping sprav_order drops them too) moves passed
    // unnoted: a jump in the numbering makes every copy read the order anew.
    if (reorderedMade)
        Sql::run(db,
                 QStringLiteral("INSERT INTO sprav_reordered (seq, id) "
                                "SELECT coalesce(max(seq), 0) + :jump, 0 FROM sprav_reordered"),
                 {{"jump", reorderedKept}});
}

bool ListingIndex::namesAvailable(const QSqlDatabase& db)
{
    if (!isSqlite(db))
        return true;
    // A database that can only be read is used as found: its table only when
    // the triggers kept it in step.
    if (!Database::isReadOnly(db))
        return true;
    const QMap<QString, QString> wanted = sqliteObjects();
    return namesCurrent(storedObjects(db, wanted), wanted);
}

QString ListingIndex::namesCondition(const QSqlDatabase& db)
{
    // On PostgreSQL pg_trgm answers the LIKE pattern, which finds the needle
    // itself (its wildcards escaped) in the plain folded texts.
    const QString test = isSqlite(db) ? QStringLiteral("contains(sprav_names.%1, :needle)")
                                      : QStringLiteral("sprav_names.%1 LIKE :pattern");
    QStringList tests;
    for (const char* column : foldedColumns)
        tests.append(test.arg(QLatin1String(column)));
    return QLatin1Char('(') + tests.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}
