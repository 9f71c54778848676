// SPDX-License-Identifier: MIT
#include "db/SearchIndex.h"
#include "common/DbError.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/TextFold.h"

#include <QMap>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>

namespace
{

const char* const searchedColumns[] = {"f", "io", "shortpp", "longpp"};

QString column(const char* name)
{
    return QString::fromLatin1(name);
}

// ---- SQLite: FTS5 trigram table --------------------------------------------
//
// A contentless table: it holds only the trigrams of the four columns, fed by
// the triggers below and nothing else. The index serves as a candidate filter
// in front of the exact test, so it must never miss a record the test finds:
// for every character c that the search text may use in the index, each
// character whose lower case contains c must fold to c in FTS5 as well. FTS5
// folds all but a few letters as Qt's toLower() does; the one common exception
// is the capital I with dot (its lower case is i + combining dot, FTS5 keeps
// it), which the triggers therefore write as its lower case. «ё» and «Ё» are
// written as «е» and «Е», as the search reads them (TextFold). Search texts
// use only the characters of indexable(); the others are left to the exact
// test.

const QString ftsTable = QStringLiteral("sprav_fts");

QString ftsDefinition()
{
    return QStringLiteral("CREATE VIRTUAL TABLE sprav_fts USING fts5(f, io, shortpp, longpp, "
                          "content='', columnsize=0, detail=none, "
                          "tokenize='trigram case_sensitive 0')");
}

// The value the index is given for a column of a row (prefix new. or old.).
QString ftsValue(const QString& prefix, const char* name)
{
    return QStringLiteral("replace(replace(replace(%1%2, '\u0130', 'i\u0307'), '\u0401', "
                          "'\u0415'), '\u0451', '\u0435')")
        .arg(prefix, column(name));
}

QString ftsValues(const QString& prefix)
{
    QStringList values;
    for (const char* name : searchedColumns)
        values.append(ftsValue(prefix, name));
    return values.join(QStringLiteral(", "));
}

QString ftsInsert(const QString& prefix)
{
    return QStringLiteral("INSERT INTO sprav_fts (rowid, f, io, shortpp, longpp) "
                          "VALUES (%1id, %2);")
        .arg(prefix, ftsValues(prefix));
}

QString ftsDelete(const QString& prefix)
{
    return QStringLiteral("INSERT INTO sprav_fts (sprav_fts, rowid, f, io, shortpp, longpp) "
                          "VALUES ('delete', %1id, %2);")
        .arg(prefix, ftsValues(prefix));
}

// Name and full text of each trigger that keeps the index in step.
QMap<QString, QString> ftsTriggers()
{
    const QString newRow = QStringLiteral("new.");
    const QString oldRow = QStringLiteral("old.");
    return {
        {QStringLiteral("sprav_fts_insert"),
         QStringLiteral("CREATE TRIGGER sprav_fts_insert AFTER INSERT ON sprav BEGIN %1 END")
             .arg(ftsInsert(newRow))},
        {QStringLiteral("sprav_fts_delete"),
         QStringLiteral("CREATE TRIGGER sprav_fts_delete AFTER DELETE ON sprav BEGIN %1 END")
             .arg(ftsDelete(oldRow))},
        {QStringLiteral("sprav_fts_update"),
         QStringLiteral("CREATE TRIGGER sprav_fts_update AFTER UPDATE OF id, f, io, shortpp, "
                        "longpp ON sprav BEGIN %1 %2 END")
             .arg(ftsDelete(oldRow), ftsInsert(newRow))},
    };
}

bool sqliteIndexCurrent(const QSqlDatabase& db)
{
    QMap<QString, QString> wanted = ftsTriggers();
    wanted.insert(ftsTable, ftsDefinition());
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE name IN "
                                              "('sprav_fts', 'sprav_fts_insert', "
                                              "'sprav_fts_delete', 'sprav_fts_update')"));
    int found = 0;
    while (q.next()) {
        if (wanted.value(q.value(0).toString()) != q.value(1).toString())
            return false;
        ++found;
    }
    return found == wanted.size();
}

void dropSqliteIndex(const QSqlDatabase& db)
{
    for (const QString& trigger : ftsTriggers().keys())
        Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts"));
}

void ensureSqlite(const QSqlDatabase& db)
{
    if (sqliteIndexCurrent(db))
        return;
    // Missing, outdated, or a trigger was dropped (changes may have passed
    // unseen): build it anew from the stored records.
    dropSqliteIndex(db);
    try {
        Sql::run(db, ftsDefinition());
    } catch (const DbError&) {
        return; // this SQLite has no FTS5 or no trigram tokenizer: plain search
    }
    for (const QString& trigger : ftsTriggers())
        Sql::run(db, trigger);
    Sql::run(db, QStringLiteral("INSERT INTO sprav_fts (rowid, f, io, shortpp, longpp) "
                                "SELECT id, %1 FROM sprav")
                     .arg(ftsValues(QString())));
    SearchIndex::compact(db);
}

// Characters of a lower-cased search text that the trigram index may be
// asked for (see above); tst_searchindex checks every cased letter of these
// ranges against the SQLite in use.
bool indexable(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x20 && u <= 0x7E)                    // ASCII
           || (u >= 0xA0 && u <= 0x24F)                // Latin-1, Latin Extended-A and B
           || (u >= 0x370 && u <= 0x3FF && u != 0x3F3) // Greek
           || (u >= 0x400 && u <= 0x4FF)               // Cyrillic
           || (u >= 0x1E00 && u <= 0x1EFF)             // Latin Extended Additional
           || (u >= 0x2010 && u <= 0x205E)             // dashes, quotes, bullets
           || (u >= 0x20A0 && u <= 0x20BF)             // currency signs
           || (u >= 0x2100 && u <= 0x214F);            // letterlike symbols, №
}

// At most this many trigrams go into one index query: a few already narrow
// the candidates to a handful, and each one costs a look-up.
constexpr int maxTrigrams = 8;

// The FTS5 query for a lower-cased search text: every trigram of its
// indexable stretches, each quoted as an FTS5 string so that operators and
// punctuation stay literal, all of them required. Empty when the text has no
// stretch of three indexable characters.
QString ftsQuery(const QString& needle)
{
    QStringList trigrams;
    QSet<QString> seen;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= needle.size(); ++i) {
        if (i < needle.size() && indexable(needle.at(i)))
            continue;
        for (qsizetype t = start; t + 3 <= i; ++t) {
            const QString trigram = needle.mid(t, 3);
            if (!seen.contains(trigram)) {
                seen.insert(trigram);
                trigrams.append(trigram);
            }
        }
        start = i + 1;
    }
    if (trigrams.size() > maxTrigrams) {
        QStringList spread;
        for (int n = 0; n < maxTrigrams; ++n)
            spread.append(trigrams.at(n * (trigrams.size() - 1) / (maxTrigrams - 1)));
        trigrams = spread;
    }
    for (QString& trigram : trigrams)
        trigram = QLatin1Char('"') + trigram.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                  QLatin1Char('"');
    return trigrams.join(QLatin1Char(' '));
}

// ---- PostgreSQL: pg_trgm GIN indexes ----------------------------------------

QString loweredColumn(const QString& table, const char* name)
{
    return TextFold::sql(QStringLiteral("coalesce(%1%2, '')").arg(table, column(name)));
}

QString trgmIndexName(const char* name)
{
    return QStringLiteral("sprav_%1_fold_trgm").arg(column(name));
}

// Indexes of an older program, on the columns in lower case only.
QString outdatedTrgmIndexName(const char* name)
{
    return QStringLiteral("sprav_%1_trgm").arg(column(name));
}

bool postgresIndexPresent(const QSqlDatabase& db)
{
    QStringList present;
    for (const char* name : searchedColumns)
        present.append(QStringLiteral("to_regclass('%1') IS NOT NULL").arg(trgmIndexName(name)));
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT ") + present.join(QStringLiteral(" AND ")));
    return q.next() && q.value(0).toBool();
}

void ensurePostgres(const QSqlDatabase& db)
{
    // Creating the extension needs rights the user may not have; a failure
    // must not spoil the schema's transaction.
    Sql::run(db, QStringLiteral("SAVEPOINT sprav_search_index"));
    try {
        Sql::run(db, QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"));
        for (const char* name : searchedColumns)
            Sql::run(db,
                     QStringLiteral("DROP INDEX IF EXISTS %1").arg(outdatedTrgmIndexName(name)));
        for (const char* name : searchedColumns)
            Sql::run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON sprav "
                                        "USING gin (%2 gin_trgm_ops)")
                             .arg(trgmIndexName(name), loweredColumn(QString(), name)));
        Sql::run(db, QStringLiteral("RELEASE SAVEPOINT sprav_search_index"));
    } catch (const DbError&) {
        Sql::run(db, QStringLiteral("ROLLBACK TO SAVEPOINT sprav_search_index"));
        Sql::run(db, QStringLiteral("RELEASE SAVEPOINT sprav_search_index"));
    }
}

// The text as a LIKE pattern that finds it anywhere: %, _ and the escape
// character \ stand for themselves.
QString containsPattern(const QString& needle)
{
    QString escaped;
    escaped.reserve(needle.size() + 2);
    for (const QChar c : needle) {
        if (c == u'%' || c == u'_' || c == u'\\')
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

bool isPostgres(const QSqlQuery& query)
{
    return query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

} // namespace

void SearchIndex::ensure(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::PostgreSQL)
        ensurePostgres(db);
    else
        ensureSqlite(db);
}

bool SearchIndex::indexed(const QSqlDatabase& db)
{
    // An index left outdated in a database opened read-only is not used.
    return Database::engineOf(db) == Engine::PostgreSQL ? postgresIndexPresent(db)
                                                        : sqliteIndexCurrent(db);
}

QString SearchIndex::plainCondition()
{
    QStringList tests;
    for (const char* name : searchedColumns)
        tests.append(QStringLiteral("instr(%1, :needle) > 0")
                         .arg(loweredColumn(QStringLiteral("sprav."), name)));
    return QLatin1Char('(') + tests.join(QStringLiteral(" or ")) + QLatin1Char(')');
}

void SearchIndex::compact(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::SQLite && indexed(db))
        Sql::run(db, QStringLiteral("INSERT INTO sprav_fts (sprav_fts) VALUES ('optimize')"));
}

QString SearchIndex::condition(const QSqlDatabase& db)
{
    if (!indexed(db))
        return plainCondition();
    if (Database::engineOf(db) == Engine::PostgreSQL) {
        // pg_trgm answers LIKE on the indexed expressions; the plain test
        // stays the definition of a match.
        QStringList likes;
        for (const char* name : searchedColumns)
            likes.append(QStringLiteral("%1 LIKE :pattern")
                             .arg(loweredColumn(QStringLiteral("sprav."), name)));
        return QStringLiteral("((%1) and %2)")
            .arg(likes.join(QStringLiteral(" or ")), plainCondition());
    }
    // The second branch lets every record through to the exact test when the
    // text offers no trigram to look up (shorter than three characters).
    return QStringLiteral("(sprav.id IN (SELECT rowid FROM sprav_fts WHERE sprav_fts MATCH "
                          ":ftsquery UNION ALL SELECT id FROM sprav WHERE :ftsall) and %1)")
        .arg(plainCondition());
}

QString SearchIndex::trigramQuery(const QString& folded)
{
    return ftsQuery(folded);
}

QString SearchIndex::likePattern(const QString& folded)
{
    return containsPattern(folded);
}

void SearchIndex::bind(QSqlQuery& query, const QString& text)
{
    const QString needle = TextFold::text(text);
    query.bindValue(QStringLiteral(":needle"), needle);
    if (isPostgres(query)) {
        query.bindValue(QStringLiteral(":pattern"), containsPattern(needle));
        return;
    }
    const QString fts = ftsQuery(needle);
    // An empty phrase matches nothing, and is a valid query.
    query.bindValue(QStringLiteral(":ftsquery"), fts.isEmpty() ? QStringLiteral("\"\"") : fts);
    query.bindValue(QStringLiteral(":ftsall"), fts.isEmpty() ? 1 : 0);
}
