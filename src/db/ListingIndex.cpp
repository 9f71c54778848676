// SPDX-License-Identifier: MIT
#include "db/ListingIndex.h"
#include "db/Database.h"
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

} // namespace

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
    if (storedObjects(db, wanted) == wanted)
        return;
    // Missing, outdated, or a trigger was dropped: made anew from the records.
    for (const char* trigger : {"sprav_names_insert", "sprav_names_update", "sprav_names_delete"})
        Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(trigger)));
    for (const char* index : {"sprav_birthday_day", "sprav_spbirthday_day"})
        Sql::run(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index)));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_names"));
    Sql::run(db, wanted.value(namesTable));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_names (%1) SELECT %2 FROM sprav")
                     .arg(namesColumns, namesValues(QString())));
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (it.key() != namesTable)
            Sql::run(db, it.value());
    }
}

bool ListingIndex::namesAvailable(const QSqlDatabase& db)
{
    if (!isSqlite(db))
        return false;
    // A database that can only be read is used as found: its table only when
    // the triggers kept it in step.
    return !Database::isReadOnly(db) || current(db);
}

QString ListingIndex::namesCondition()
{
    QStringList tests;
    for (const char* column : foldedColumns)
        tests.append(
            QStringLiteral("contains(sprav_names.%1, :needle)").arg(QLatin1String(column)));
    return QLatin1Char('(') + tests.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}
