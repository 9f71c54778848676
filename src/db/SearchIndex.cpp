// SPDX-License-Identifier: MIT
#include "db/SearchIndex.h"
#include "common/DbError.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/TextFold.h"

#include <QElapsedTimer>
#include <QMap>
#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <iterator>

namespace
{

const char* const searchedColumns[] = {"f", "io", "shortpp", "longpp"};

QString column(const char* name)
{
    return QString::fromLatin1(name);
}

// ---- SQLite: FTS5 trigram table --------------------------------------------
//
// A contentless table: it holds only the trigrams of the four columns with
// their positions, fed by the triggers below and nothing else. The index
// serves as a candidate filter in front of the exact test, so it must never
// miss a record the test finds: for every character c that the search text
// may use in the index, each character whose folded form (TextFold) contains
// c must fold to c in FTS5 as well. FTS5 folds all but a few letters as Database::fold() does (ς to
// σ included); the one common exception is the capital I with dot (its lower case is i + combining
// dot, FTS5 keeps it), which the triggers therefore write as its lower case. «ё» and «Ё» are
// written as «е» and «Е», as the search reads them (TextFold). Search texts use only the characters
// of indexable(); the others are left to the exact test.

const QString ftsTable = QStringLiteral("sprav_fts");

// With the positions (detail=full) a phrase finds its trigrams one after the
// other, that is the text itself, which lets matchingIds() do without the
// exact test. Earlier versions kept the trigrams alone (detail=none): such an
// index is made anew when the database is opened for writing, and serves as
// a candidate filter while it is only read.
QString ftsDefinition(bool positions = true)
{
    return QStringLiteral("CREATE VIRTUAL TABLE sprav_fts USING fts5(f, io, shortpp, longpp, "
                          "content='', columnsize=0, detail=%1, "
                          "tokenize='trigram case_sensitive 0')")
        .arg(positions ? QLatin1String("full") : QLatin1String("none"));
}

// The characters that FTS5 folds exactly as TextFold does, each to a single
// character of the same set: printable ASCII, the Russian alphabet, and the
// uncased signs of addresses and enterprise names (no-break space, «», dashes
// and quotes, the ellipsis, №). tst_searchindex checks them against the
// SQLite in use.
constexpr std::pair<char16_t, char16_t> alikeRanges[] = {
    {0x20, 0x7E},   {0xA0, 0xA0},   {0xAB, 0xAB},     {0xBB, 0xBB},     {0x401, 0x401},
    {0x410, 0x44F}, {0x451, 0x451}, {0x2010, 0x201F}, {0x2026, 0x2026}, {0x2116, 0x2116},
};

bool foldsAlike(QChar c)
{
    return std::any_of(std::begin(alikeRanges), std::end(alikeRanges), [c](const auto& range) {
        return c.unicode() >= range.first && c.unicode() <= range.second;
    });
}

// Records holding some other character (in any of the four columns) are
// listed by a partial index: for them an FTS5 phrase may find what the exact
// test does not (it folds «ſ» to «s») or miss what it finds.
const QString inexactIndex = QStringLiteral("sprav_fts_inexact");

QString inexactRows()
{
    QString pattern = QStringLiteral("*[^");
    for (const auto& [first, last] : alikeRanges) {
        pattern += QChar(first);
        if (last != first)
            pattern += QLatin1Char('-') + QChar(last);
    }
    pattern += QStringLiteral("]*");
    return QStringLiteral("coalesce(f, '') || coalesce(io, '') || coalesce(shortpp, '') || "
                          "coalesce(longpp, '') GLOB '%1'")
        .arg(pattern);
}

QString inexactDefinition()
{
    return QStringLiteral("CREATE INDEX %1 ON sprav (id) WHERE %2")
        .arg(inexactIndex, inexactRows());
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

// While the index is being built, the triggers keep in step only the rows
// that the index holds already: those up to `done`, and those added after the
// build began (above `last`). The rest are read into it step by step.
const QString indexedDuringBuild = QStringLiteral("(%1id <= (SELECT done FROM sprav_fts_build) OR "
                                                  "%1id > (SELECT last FROM sprav_fts_build))");

// Statements of a trigger body; `building` limits them to the rows indexed
// so far.
QString ftsInsert(const QString& prefix, bool building = false)
{
    if (building)
        return QStringLiteral("INSERT INTO sprav_fts (rowid, f, io, shortpp, longpp) "
                              "SELECT %1id, %2 WHERE %3;")
            .arg(prefix, ftsValues(prefix), indexedDuringBuild.arg(prefix));
    return QStringLiteral("INSERT INTO sprav_fts (rowid, f, io, shortpp, longpp) "
                          "VALUES (%1id, %2);")
        .arg(prefix, ftsValues(prefix));
}

QString ftsDelete(const QString& prefix, bool building = false)
{
    if (building)
        return QStringLiteral("INSERT INTO sprav_fts (sprav_fts, rowid, f, io, shortpp, longpp) "
                              "SELECT 'delete', %1id, %2 WHERE %3;")
            .arg(prefix, ftsValues(prefix), indexedDuringBuild.arg(prefix));
    return QStringLiteral("INSERT INTO sprav_fts (sprav_fts, rowid, f, io, shortpp, longpp) "
                          "VALUES ('delete', %1id, %2);")
        .arg(prefix, ftsValues(prefix));
}

// A row that REPLACE (or UPDATE OR REPLACE) puts in the place of another
// leaves the trigrams of the row it replaced in the index: that row goes
// without its delete trigger. Such ids are noted in sprav_fts_stale, before
// the statement replaces anything, so that matchingIds() tests them exactly.
const QString staleTable = QStringLiteral("sprav_fts_stale");
const QString staleDefinition =
    QStringLiteral("CREATE TABLE sprav_fts_stale (id INTEGER PRIMARY KEY)");

// Name and full text of each trigger that keeps the index in step.
QMap<QString, QString> ftsTriggers(bool building = false, bool positions = true)
{
    const QString newRow = QStringLiteral("new.");
    const QString oldRow = QStringLiteral("old.");
    QMap<QString, QString> triggers = {
        {QStringLiteral("sprav_fts_insert"),
         QStringLiteral("CREATE TRIGGER sprav_fts_insert AFTER INSERT ON sprav BEGIN %1 END")
             .arg(ftsInsert(newRow, building))},
        {QStringLiteral("sprav_fts_delete"),
         QStringLiteral("CREATE TRIGGER sprav_fts_delete AFTER DELETE ON sprav BEGIN %1 END")
             .arg(ftsDelete(oldRow, building))},
        {QStringLiteral("sprav_fts_update"),
         QStringLiteral("CREATE TRIGGER sprav_fts_update AFTER UPDATE OF id, f, io, shortpp, "
                        "longpp ON sprav BEGIN %1 %2 END")
             .arg(ftsDelete(oldRow, building), ftsInsert(newRow, building))},
    };
    if (!positions)
        return triggers; // an index of an earlier version had no more
    triggers.insert(QStringLiteral("sprav_fts_replace_insert"),
                    QStringLiteral("CREATE TRIGGER sprav_fts_replace_insert BEFORE INSERT ON sprav "
                                   "BEGIN INSERT OR IGNORE INTO sprav_fts_stale (id) SELECT new.id "
                                   "WHERE EXISTS (SELECT 1 FROM sprav WHERE id = new.id); END"));
    triggers.insert(QStringLiteral("sprav_fts_replace_update"),
                    QStringLiteral("CREATE TRIGGER sprav_fts_replace_update BEFORE UPDATE OF id ON "
                                   "sprav BEGIN INSERT OR IGNORE INTO sprav_fts_stale (id) SELECT "
                                   "new.id WHERE new.id <> old.id AND EXISTS (SELECT 1 FROM sprav "
                                   "WHERE id = new.id); END"));
    return triggers;
}

// Positionless: complete, but made by an earlier version (without positions).
enum class SqliteIndex { Missing, Building, Positionless, Complete };

struct SqliteIndexState {
    SqliteIndex index = SqliteIndex::Missing;
    bool inexactListed = false; // the partial index of inexactRows() is current
};

// What sqlite_master holds of the index: complete and current, half built
// (by this or another copy of the program), or missing, outdated or spoilt
// (a trigger was dropped, so changes may have passed unseen).
SqliteIndexState sqliteIndexState(const QSqlDatabase& db)
{
    QMap<QString, QString> stored;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE name IN "
                                              "('sprav_fts', 'sprav_fts_insert', "
                                              "'sprav_fts_delete', 'sprav_fts_update', "
                                              "'sprav_fts_replace_insert', "
                                              "'sprav_fts_replace_update', 'sprav_fts_stale', "
                                              "'sprav_fts_build', 'sprav_fts_inexact')"));
    while (q.next())
        stored.insert(q.value(0).toString(), q.value(1).toString());
    SqliteIndexState state;
    state.inexactListed = stored.take(inexactIndex) == inexactDefinition();
    const bool building = stored.remove(QStringLiteral("sprav_fts_build")) > 0;
    const bool positionless = !building && stored.value(ftsTable) == ftsDefinition(false);
    QMap<QString, QString> wanted = ftsTriggers(building, !positionless);
    wanted.insert(ftsTable, ftsDefinition(!positionless));
    if (!positionless)
        wanted.insert(staleTable, staleDefinition);
    if (stored != wanted)
        state.index = SqliteIndex::Missing;
    else if (building)
        state.index = SqliteIndex::Building;
    else
        state.index = positionless ? SqliteIndex::Positionless : SqliteIndex::Complete;
    return state;
}

void dropSqliteIndex(const QSqlDatabase& db)
{
    for (const QString& trigger : ftsTriggers().keys())
        Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts"));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts_build"));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts_stale"));
}

SearchIndex::BuildPace buildPace;

// Between two steps of a long task the write lock is left free long enough
// for another copy's waiting write to take it: SQLite's busy handler tries
// again at most every 100 ms.
void pauseForOthers()
{
    if (buildPace.pauseMs > 0)
        QThread::msleep(ulong(buildPace.pauseMs));
    if (buildPace.betweenSteps)
        buildPace.betweenSteps();
}

qint64 firstNumber(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery q = Sql::run(db, statement);
    return q.next() ? q.value(0).toLongLong() : 0;
}

qint64 totalChanges(const QSqlDatabase& db)
{
    return firstNumber(db, QStringLiteral("SELECT total_changes()"));
}

// Starts a build unless another copy has started or finished one meanwhile.
// Returns false when this SQLite cannot make the index (no FTS5 or trigram).
bool startSqliteBuild(const QSqlDatabase& db)
{
    Sql::Transaction transaction(db);
    const SqliteIndex found = sqliteIndexState(db).index;
    if (found == SqliteIndex::Building || found == SqliteIndex::Complete)
        return true;
    dropSqliteIndex(db);
    try {
        Sql::run(db, ftsDefinition());
    } catch (const DbError&) {
        return false; // plain search; the transaction rolls back the drops
    }
    Sql::run(db, staleDefinition);
    Sql::run(db, QStringLiteral("CREATE TABLE sprav_fts_build (done INTEGER NOT NULL, "
                                "last INTEGER NOT NULL)"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_fts_build (done, last) "
                                "SELECT 0, coalesce(max(id), 0) FROM sprav"));
    for (const QString& trigger : ftsTriggers(true))
        Sql::run(db, trigger);
    transaction.commit();
    return true;
}

// Indexes the next rows in id order, in one write transaction of about
// buildPace.stepMs; when all are in, puts the triggers of the complete index
// in place. Returns false when nothing is left to do.
bool buildSqliteStep(const QSqlDatabase& db)
{
    Sql::Transaction transaction(db);
    if (sqliteIndexState(db).index != SqliteIndex::Building)
        return false; // finished or given up by another copy
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        QSqlQuery progress = Sql::run(db, QStringLiteral("SELECT done, last FROM sprav_fts_build"));
        progress.next();
        const qint64 done = progress.value(0).toLongLong();
        const qint64 last = progress.value(1).toLongLong();
        progress.finish();
        if (done >= last) {
            for (const QString& trigger : ftsTriggers().keys())
                Sql::run(db, QStringLiteral("DROP TRIGGER %1").arg(trigger));
            for (const QString& trigger : ftsTriggers())
                Sql::run(db, trigger);
            Sql::run(db, QStringLiteral("DROP TABLE sprav_fts_build"));
            transaction.commit();
            return false;
        }
        QSqlQuery next = Sql::run(db,
                                  QStringLiteral("SELECT max(id) FROM (SELECT id FROM sprav "
                                                 "WHERE id > :done AND id <= :last "
                                                 "ORDER BY id LIMIT :rows)"),
                                  {{"done", done}, {"last", last}, {"rows", buildPace.stepRows}});
        const qint64 upto =
            next.next() && !next.value(0).isNull() ? next.value(0).toLongLong() : last;
        next.finish();
        Sql::run(db,
                 QStringLiteral("INSERT INTO sprav_fts (rowid, f, io, shortpp, longpp) "
                                "SELECT id, %1 FROM sprav WHERE id > :done AND id <= :upto")
                     .arg(ftsValues(QString())),
                 {{"done", done}, {"upto", upto}});
        Sql::run(db, QStringLiteral("UPDATE sprav_fts_build SET done = :upto"), {{"upto", upto}});
        if (elapsed.elapsed() >= buildPace.stepMs)
            break;
    }
    transaction.commit();
    return true;
}

// Builds the index from the stored records in steps, each holding the write
// lock only briefly, so that other copies keep saving meanwhile. Until the
// index is complete, searches use the plain test. A build that stopped
// halfway (the program ended) is taken up where it stood, also by another
// copy.
void ensureSqlite(const QSqlDatabase& db)
{
    if (sqliteIndexState(db).index != SqliteIndex::Complete) {
        if (!startSqliteBuild(db))
            return;
        while (buildSqliteStep(db))
            pauseForOthers();
        SearchIndex::compact(db);
    }
    const SqliteIndexState state = sqliteIndexState(db);
    if (state.index != SqliteIndex::Complete || state.inexactListed)
        return;
    Sql::Transaction transaction(db);
    Sql::run(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(inexactIndex));
    Sql::run(db, inexactDefinition());
    transaction.commit();
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

// All four indexes, and valid: a concurrent build that was cut off leaves an
// invalid one behind, which the planner does not use.
bool postgresIndexPresent(const QSqlDatabase& db)
{
    QStringList names;
    for (const char* name : searchedColumns)
        names.append(QStringLiteral("to_regclass('%1')").arg(trgmIndexName(name)));
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT count(*) FROM pg_index WHERE indisvalid AND "
                                              "indexrelid IN (%1)")
                                   .arg(names.join(QStringLiteral(", "))));
    return q.next() && q.value(0).toInt() == int(std::size(searchedColumns));
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
    if (Database::engineOf(db) == Engine::SQLite)
        ensureSqlite(db);
}

QStringList SearchIndex::outdatedPostgresIndexes()
{
    QStringList names;
    for (const char* name : searchedColumns)
        names.append(outdatedTrgmIndexName(name));
    return names;
}

QList<QPair<QString, QString>> SearchIndex::postgresIndexes()
{
    QList<QPair<QString, QString>> indexes;
    for (const char* name : searchedColumns)
        indexes.append({trgmIndexName(name), QStringLiteral("ON sprav USING gin (%1 gin_trgm_ops)")
                                                 .arg(loweredColumn(QString(), name))});
    return indexes;
}

bool SearchIndex::enablePostgresTrigrams(const QSqlDatabase& db)
{
    // Creating the extension needs rights the user may not have; inside a
    // transaction a failure must not spoil it.
    const bool nested = Connection::inTransaction(db);
    if (nested)
        Sql::run(db, QStringLiteral("SAVEPOINT sprav_trigrams"));
    try {
        Sql::run(db, QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"));
    } catch (const DbError&) {
        if (nested)
            Sql::run(db, QStringLiteral("ROLLBACK TO SAVEPOINT sprav_trigrams"));
    }
    if (nested)
        Sql::run(db, QStringLiteral("RELEASE SAVEPOINT sprav_trigrams"));
    QSqlQuery q =
        Sql::run(db, QStringLiteral("SELECT 1 FROM pg_extension WHERE extname = 'pg_trgm'"));
    return q.next();
}

bool SearchIndex::indexed(const QSqlDatabase& db)
{
    // An index half built, or left outdated in a database opened read-only,
    // is not used.
    return Database::engineOf(db) == Engine::PostgreSQL
               ? postgresIndexPresent(db)
               : sqliteIndexState(db).index >= SqliteIndex::Positionless;
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
    if (Database::engineOf(db) != Engine::SQLite || !indexed(db))
        return;
    // A few hundred pages at a time, each step in a write transaction of its
    // own. Only the first step may gather every piece into a new level (a
    // negative page count); later ones go on with that merge. Repeating the
    // first kind while other copies insert would add a level each time until
    // FTS5's limit corrupts the index. A step that changes fewer than two rows
    // found nothing to merge; inserts by other copies meanwhile are merged as
    // they come, so the steps are also limited to what the index held.
    const qint64 blocks = firstNumber(db, QStringLiteral("SELECT count(*) FROM sprav_fts_data"));
    const qint64 maxSteps = 2 * blocks / std::max(1, buildPace.mergePages) + 10;
    for (qint64 step = 0; step < maxSteps; ++step) {
        qint64 changes = 0;
        {
            Sql::Transaction transaction(db);
            const qint64 before = totalChanges(db);
            Sql::run(
                db,
                QStringLiteral("INSERT INTO sprav_fts (sprav_fts, rank) VALUES ('merge', :pages)"),
                {{"pages", step == 0 ? -buildPace.mergePages : buildPace.mergePages}});
            changes = totalChanges(db) - before;
            transaction.commit();
        }
        if (changes < 2)
            return;
        pauseForOthers();
    }
}

void SearchIndex::setBuildPace(const BuildPace& pace)
{
    buildPace = pace;
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

std::optional<QList<int>> SearchIndex::matchingIds(const QSqlDatabase& db, const QString& text)
{
    const QString needle = TextFold::text(text);
    if (Database::engineOf(db) != Engine::SQLite || needle.size() < 3 ||
        !std::all_of(needle.begin(), needle.end(), foldsAlike))
        return std::nullopt;
    const SqliteIndexState state = sqliteIndexState(db);
    if (state.index != SqliteIndex::Complete || !state.inexactListed)
        return std::nullopt;
    // A phrase: quoted, so that operators and punctuation stay literal.
    QString phrase = needle;
    phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    QSqlQuery found = Sql::run(
        db, QStringLiteral("SELECT idlist(rowid) FROM sprav_fts WHERE sprav_fts MATCH :phrase"),
        {{"phrase", QLatin1Char('"') + phrase + QLatin1Char('"')}});
    QList<int> ids = Sql::idList(found);
    // The records of other characters, and the ids whose trigrams may be
    // stale (once, where they are both): what the index says of them is
    // replaced by the exact test.
    QSqlQuery inexact =
        Sql::run(db,
                 QStringLiteral("SELECT id, %1 FROM sprav WHERE %2 UNION SELECT "
                                "sprav_fts_stale.id, %1 FROM sprav_fts_stale LEFT JOIN sprav "
                                "ON sprav.id = sprav_fts_stale.id")
                     .arg(plainCondition(), inexactRows()),
                 {{"needle", needle}});
    QList<int> tested;
    QList<int> matching;
    while (Sql::next(inexact)) {
        const int id = inexact.value(0).toInt();
        tested.append(id);
        if (inexact.value(1).toBool())
            matching.append(id);
    }
    if (tested.isEmpty())
        return ids;
    for (QList<int>* list : {&ids, &tested, &matching})
        std::sort(list->begin(), list->end());
    QList<int> alike;
    alike.reserve(ids.size());
    std::set_difference(ids.cbegin(), ids.cend(), tested.cbegin(), tested.cend(),
                        std::back_inserter(alike));
    QList<int> all;
    all.reserve(alike.size() + matching.size());
    std::merge(alike.cbegin(), alike.cend(), matching.cbegin(), matching.cend(),
               std::back_inserter(all));
    return all;
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
