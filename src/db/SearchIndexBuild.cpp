// SPDX-License-Identifier: MIT
#include "db/SearchIndexBuild.h"
#include "common/DbError.h"
#include "db/Connection.h"
#include "db/Database.h"
#include "db/SearchIndex.h"
#include "db/SearchIndexLayout.h"
#include "db/Sql.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>
#include <algorithm>

namespace
{

using L = SearchIndexLayout;

void dropSqliteIndex(const QSqlDatabase& db)
{
    for (const QString& trigger : L::ftsTriggers().keys())
        Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts"));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts_build"));
    Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sprav_fts_stale"));
}

SearchIndexBuild::Pace buildPace;

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
    const L::State found = L::sqliteState(db).index;
    if (found == L::State::Building || found == L::State::Complete)
        return true;
    dropSqliteIndex(db);
    try {
        Sql::run(db, L::ftsDefinition());
    } catch (const DbError&) {
        return false; // plain search; the transaction rolls back the drops
    }
    Sql::run(db, L::staleDefinition());
    Sql::run(db, QStringLiteral("CREATE TABLE sprav_fts_build (done INTEGER NOT NULL, "
                                "last INTEGER NOT NULL)"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_fts_build (done, last) "
                                "SELECT 0, coalesce(max(id), 0) FROM sprav"));
    for (const QString& trigger : L::ftsTriggers(true))
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
    if (L::sqliteState(db).index != L::State::Building)
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
            for (const QString& trigger : L::ftsTriggers().keys())
                Sql::run(db, QStringLiteral("DROP TRIGGER %1").arg(trigger));
            for (const QString& trigger : L::ftsTriggers())
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
                     .arg(L::ftsValues(QString())),
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
    if (L::sqliteState(db).index != L::State::Complete) {
        if (!startSqliteBuild(db))
            return;
        while (buildSqliteStep(db))
            pauseForOthers();
        SearchIndexBuild::compact(db);
    }
    const L::SqliteState state = L::sqliteState(db);
    if (state.index != L::State::Complete || state.inexactListed)
        return;
    Sql::Transaction transaction(db);
    Sql::run(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(L::inexactIndex()));
    Sql::run(db, L::inexactDefinition());
    transaction.commit();
}

// Indexes of an older program, on the columns in lower case only.
QString outdatedTrgmIndexName(const QString& name)
{
    return QStringLiteral("sprav_%1_trgm").arg(name);
}

} // namespace

void SearchIndexBuild::ensure(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::SQLite)
        ensureSqlite(db);
}

QStringList SearchIndexBuild::outdatedPostgresIndexes()
{
    QStringList names;
    for (const QString& name : L::columns())
        names.append(outdatedTrgmIndexName(name));
    return names;
}

QList<QPair<QString, QString>> SearchIndexBuild::postgresIndexes()
{
    QList<QPair<QString, QString>> indexes;
    for (const QString& name : L::columns())
        indexes.append(
            {L::trgmIndexName(name), QStringLiteral("ON sprav USING gin (%1 gin_trgm_ops)")
                                         .arg(L::loweredColumn(QString(), name))});
    return indexes;
}

bool SearchIndexBuild::enablePostgresTrigrams(const QSqlDatabase& db)
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

void SearchIndexBuild::compact(const QSqlDatabase& db)
{
    if (Database::engineOf(db) != Engine::SQLite || !SearchIndex::indexed(db))
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

void SearchIndexBuild::setBuildPace(const Pace& pace)
{
    buildPace = pace;
}
