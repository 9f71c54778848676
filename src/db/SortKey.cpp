// SPDX-License-Identifier: MIT
#include "db/SortKey.h"
#include "db/Database.h"
#include "db/HiddenFields.h"
#include "db/Sql.h"

#include <QMap>
#include <QSqlQuery>

namespace
{

constexpr char16_t separator = 1;
constexpr char16_t fullwidthA = 0xFF41;

QString part(const QString& name)
{
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && name.at(end - 1).unicode() <= 32)
        --end;
    QString key = Database::fold(name.mid(begin, end - begin));
    qsizetype characters = 0;
    for (qsizetype i = 0; i < key.size(); ++i) {
        QChar& c = key[i];
        if (characters == SortKey::MaxPartLength) {
            key.truncate(i);
            break;
        }
        ++characters;
        if (c.isHighSurrogate() && i + 1 < key.size() && key.at(i + 1).isLowSurrogate())
            ++i;
        else if (c == u'ё')
            c = u'е';
        else if (c >= u'a' && c <= u'z')
            c = QChar(char16_t(fullwidthA + (c.unicode() - u'a')));
    }
    return key;
}

// ---- SQLite -----------------------------------------------------------------
//
// sortkey() is registered by Database on every connection; a program that
// writes the file without it (the sqlite3 shell, say) is refused by the
// triggers rather than leaving a record without its place.

// The owns of a record hidden as a whole, NULL for every other record, of
// the row whose columns are named with the prefix. Stored databases hold this
// text in their triggers: a change of it makes the order table anew.
QString hiddenOwnsOf(const QString& prefix, const QString& find = QStringLiteral("instr"))
{
    return QStringLiteral("CASE WHEN %1 THEN coalesce(%2owns, '') END")
        .arg(HiddenFields::wholeRecordSql(prefix + QStringLiteral("hided"), find), prefix);
}

QString sqliteRow(const QString& prefix)
{
    return QStringLiteral("INSERT OR REPLACE INTO sprav_order (id, sortkey, hiddenowns) "
                          "VALUES (%1id, sortkey(%1f, %1io), %2);")
        .arg(prefix, hiddenOwnsOf(prefix));
}

QMap<QString, QString> sqliteObjects()
{
    const QString newRow = QStringLiteral("new.");
    return {
        {QStringLiteral("sprav_order"),
         QStringLiteral("CREATE TABLE sprav_order (id INTEGER PRIMARY KEY, sortkey TEXT NOT NULL, "
                        "hiddenowns TEXT)")},
        {QStringLiteral("sprav_order_key"),
         QStringLiteral("CREATE INDEX sprav_order_key ON sprav_order (sortkey, id, hiddenowns)")},
        {QStringLiteral("sprav_order_insert"),
         QStringLiteral("CREATE TRIGGER sprav_order_insert AFTER INSERT ON sprav BEGIN %1 END")
             .arg(sqliteRow(newRow))},
        {QStringLiteral("sprav_order_update"),
         QStringLiteral("CREATE TRIGGER sprav_order_update AFTER UPDATE OF id, f, io, hided, owns "
                        "ON sprav BEGIN DELETE FROM sprav_order WHERE id = old.id; %1 END")
             .arg(sqliteRow(newRow))},
        {QStringLiteral("sprav_order_delete"),
         QStringLiteral("CREATE TRIGGER sprav_order_delete AFTER DELETE ON sprav BEGIN "
                        "DELETE FROM sprav_order WHERE id = old.id; END")},
    };
}

bool sqliteCurrent(const QSqlDatabase& db, const QMap<QString, QString>& wanted)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name, sql FROM sqlite_master "
                                              "WHERE name LIKE 'sprav\\_order%' ESCAPE '\\'"));
    int found = 0;
    while (q.next()) {
        if (wanted.value(q.value(0).toString()) != q.value(1).toString())
            return false;
        ++found;
    }
    return found == wanted.size();
}

void ensureSqlite(const QSqlDatabase& db)
{
    const QMap<QString, QString> wanted = sqliteObjects();
    if (sqliteCurrent(db, wanted))
        return;
    // Missing, outdated, or a trigger was dropped: made anew from the records.
    for (const char* trigger : {"sprav_order_insert", "sprav_order_update", "sprav_order_delete"})
        Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(trigger)));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_order"));
    Sql::run(db, wanted.value(QStringLiteral("sprav_order")));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_order (id, sortkey, hiddenowns) "
                                "SELECT id, sortkey(f, io), %1 FROM sprav")
                     .arg(hiddenOwnsOf(QString())));
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (it.key() != QLatin1String("sprav_order"))
            Sql::run(db, it.value());
    }
}

// ---- PostgreSQL -------------------------------------------------------------

// The same key as part() above, in SQL.
QString postgresPartBody()
{
    QString blanks;
    for (int c = 1; c <= 32; ++c)
        blanks += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    QString fullwidth;
    for (char16_t c = 0; c < 26; ++c)
        fullwidth += QChar(char16_t(fullwidthA + c));
    return QStringLiteral("SELECT left(translate(replace(ulower(btrim(coalesce($1, ''), E'%1')), "
                          "'ё', 'е'), 'abcdefghijklmnopqrstuvwxyz', '%2'), %3)")
        .arg(blanks, fullwidth)
        .arg(SortKey::MaxPartLength);
}

QString postgresSync()
{
    return QStringLiteral("BEGIN "
                          "IF TG_OP <> 'INSERT' THEN DELETE FROM sprav_order WHERE id = OLD.id; "
                          "END IF; "
                          "IF TG_OP <> 'DELETE' THEN INSERT INTO sprav_order (id, sortkey, "
                          "hiddenowns) VALUES (NEW.id, sortkey(NEW.f, NEW.io), %1); END IF; "
                          "RETURN NULL; END")
        .arg(hiddenOwnsOf(QStringLiteral("NEW."), QStringLiteral("strpos")));
}

bool postgresPresent(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT to_regclass('sprav_order') IS NOT NULL AND "
                                              "to_regclass('sprav_order_key') IS NOT NULL AND "
                                              "EXISTS (SELECT 1 FROM pg_trigger WHERE tgname = "
                                              "'sprav_order_sync')"));
    return q.next() && q.value(0).toBool();
}

bool postgresCurrent(const QSqlDatabase& db)
{
    return postgresPresent(db) &&
           Sql::postgresFunctionSource(db, QStringLiteral("sortkey_part")).trimmed() ==
               postgresPartBody() &&
           Sql::postgresFunctionSource(db, QStringLiteral("sprav_order_sync")).trimmed() ==
               postgresSync();
}

void ensurePostgres(const QSqlDatabase& db)
{
    const QString partBody = postgresPartBody();
    if (postgresCurrent(db))
        return;
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION sortkey_part(text) RETURNS text "
                                "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $sprav$%1$sprav$")
                     .arg(partBody));
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION sortkey(text, text) RETURNS text "
                                "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS "
                                "$sprav$SELECT sortkey_part($1) || chr(1) || sortkey_part($2)"
                                "$sprav$"));
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION sprav_order_sync() RETURNS trigger "
                                "LANGUAGE plpgsql AS $sprav$%1$sprav$")
                     .arg(postgresSync()));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_order"));
    Sql::run(db, QStringLiteral("CREATE TABLE sprav_order (id INTEGER PRIMARY KEY, "
                                "sortkey TEXT COLLATE \"C\" NOT NULL, hiddenowns TEXT)"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_order (id, sortkey, hiddenowns) SELECT id, "
                                "sortkey(f, io), %1 FROM sprav")
                     .arg(hiddenOwnsOf(QString())));
    // Without the owns: an index entry must stay within PostgreSQL's limit.
    Sql::run(db, QStringLiteral("CREATE INDEX sprav_order_key ON sprav_order (sortkey, id)"));
    Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS sprav_order_sync ON sprav"));
    Sql::run(db, QStringLiteral("CREATE TRIGGER sprav_order_sync AFTER INSERT OR DELETE OR UPDATE "
                                "OF id, f, io, hided, owns ON sprav FOR EACH ROW EXECUTE FUNCTION "
                                "sprav_order_sync()"));
}

} // namespace

QString SortKey::of(const QString& f, const QString& io)
{
    return part(f) + QChar(separator) + part(io);
}

bool SortKey::current(const QSqlDatabase& db)
{
    return Database::engineOf(db) == Engine::PostgreSQL ? postgresCurrent(db)
                                                        : sqliteCurrent(db, sqliteObjects());
}

void SortKey::ensure(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::PostgreSQL)
        ensurePostgres(db);
    else
        ensureSqlite(db);
}

// SQLite would rather walk the whole order index than sort, and look up each
// record there to test the listing's condition: the unary plus keeps the
// index out of the ordering, so the condition's own indexes pick the records
// and only those are sorted.
QString SortKey::orderBy(const QSqlDatabase& db)
{
    if (!available(db))
        return QStringLiteral("coalesce(sprav.f, ''), coalesce(sprav.io, ''), sprav.id");
    return Database::engineOf(db) == Engine::PostgreSQL
               ? QStringLiteral("sprav_order.sortkey, sprav.id")
               : QStringLiteral("+sprav_order.sortkey, sprav.id");
}

QString SortKey::records(const QSqlDatabase& db)
{
    return available(db) ? QStringLiteral("sprav JOIN sprav_order ON sprav_order.id = sprav.id")
                         : QStringLiteral("sprav");
}

QString SortKey::hiddenOwns(const QString& prefix)
{
    return hiddenOwnsOf(prefix);
}

bool SortKey::available(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::PostgreSQL || !Database::isReadOnly(db))
        return true;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' "
                                              "AND name = 'sprav_order'"));
    return q.next();
}
