// SPDX-License-Identifier: MIT
#include "db/Schema.h"
#include "common/Clock.h"
#include "common/DbError.h"
#include "db/ChangeNotice.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/DbLog.h"
#include "db/ListingIndex.h"
#include "db/SearchIndex.h"
#include "db/SearchIndexBuild.h"
#include "db/ServerLock.h"
#include "db/SortKey.h"
#include "db/Sql.h"

#include <QMap>
#include <optional>

namespace
{

// Column order of sprav matters: a record is read by position.
const char* const spravColumns = R"(
    f TEXT, io TEXT, profid INTEGER, shortpp TEXT, longpp TEXT,
    legaladdress TEXT, postaddress TEXT, fizaddress TEXT, homeaddress TEXT,
    cityid INTEGER, path TEXT, email TEXT, www TEXT, birthday TEXT,
    spfio TEXT, spbirthday TEXT, spInfo TEXT, otherphones TEXT, info TEXT,
    req TEXT, owns TEXT, hided TEXT)";

// Revisions and history live beside the directory's tables, which keep their
// columns. A record without a sprav_rev row has revision 0. A history row is
// a record's state before a change or its deletion (`deleted` 1) with its
// phones in phone_history: `rev`, `usr`, `at` tell the revision of the state
// and who stored it when, `gone_usr`, `gone_at` who replaced or deleted it
// when. Moments are DateText stamps. sprav_history_trimmed holds how far the
// last trim of the history went (see Schema::trimHistory).
QStringList historyTables(const QString& key, const QString& flag)
{
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS sprav_rev (id INTEGER PRIMARY KEY, "
                       "rev INTEGER NOT NULL, usr TEXT, at TEXT)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS sprav_history (histid %1, id INTEGER NOT NULL, "
                       "rev INTEGER NOT NULL, usr TEXT, at TEXT, gone_usr TEXT, "
                       "gone_at TEXT NOT NULL, deleted INTEGER NOT NULL DEFAULT 0,%2)")
            .arg(key, QLatin1String(spravColumns)),
        QStringLiteral("CREATE TABLE IF NOT EXISTS phone_history (histid INTEGER NOT NULL, "
                       "parentid INTEGER, phone TEXT, noteid INTEGER, hid %1)")
            .arg(flag),
        QStringLiteral("CREATE TABLE IF NOT EXISTS sprav_history_trimmed (cutoff TEXT NOT NULL, "
                       "histid INTEGER NOT NULL)"),
    };
}

// The directory's tables and their history, with the engine's type of an
// auto-numbered key and of a flag (the phones' `hid`).
QStringList tables(const QString& key, const QString& flag)
{
    const QString id = QStringLiteral("id ") + key;
    return QStringList{
               QStringLiteral("CREATE TABLE IF NOT EXISTS sprav (%1,%2)")
                   .arg(id, QLatin1String(spravColumns)),
               QStringLiteral("CREATE TABLE IF NOT EXISTS phone (parentid INTEGER, phone TEXT, "
                              "noteid INTEGER, hid %1)")
                   .arg(flag),
               QStringLiteral(
                   "CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, note TEXT)"),
               QStringLiteral("CREATE TABLE IF NOT EXISTS city (%1, cityname TEXT, citycode TEXT)")
                   .arg(id),
               QStringLiteral("CREATE TABLE IF NOT EXISTS prof (%1, proftitle TEXT)").arg(id),
               QStringLiteral("CREATE TABLE IF NOT EXISTS users (%1, log TEXT, pass TEXT)").arg(id),
           } +
           historyTables(key, flag);
}

QStringList sqliteTables()
{
    return tables(QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"),
                  QStringLiteral("INTEGER NOT NULL DEFAULT 0"));
}

QStringList postgresTables()
{
    return tables(QStringLiteral("SERIAL PRIMARY KEY"),
                  QStringLiteral("BOOLEAN NOT NULL DEFAULT FALSE"));
}

QStringList sqliteIndexes()
{
    return {
        QStringLiteral("CREATE INDEX IF NOT EXISTS phone_parentid ON phone (parentid)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_cityid ON sprav (cityid)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_history_id ON sprav_history (id)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_history_gone ON sprav_history "
                       "(deleted, gone_at)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS phone_history_histid ON phone_history "
                       "(histid)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_history_at ON sprav_history (gone_at)"),
        // Holds every column the listings read, in name order: "Все записи"
        // and the birthday list read it alone, without sorting or visiting
        // the table. Not on PostgreSQL: it would read the table anyway until
        // vacuumed, and a B-tree entry there may not exceed 2704 bytes, which
        // three long names in four-byte characters do.
        QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_listing ON sprav "
                       "(f, io, shortpp, cityid, owns, hided, birthday, spbirthday)"),
    };
}

qint64 firstNumber(const QSqlDatabase& db, const QString& statement)
{
    QSqlQuery q = Sql::run(db, statement);
    return q.next() ? q.value(0).toString().section(QLatin1Char(' '), 0, 0).toLongLong() : -1;
}

void addPhoneKinds(const QSqlDatabase& db)
{
    QSqlQuery count = Sql::run(db, QStringLiteral("SELECT COUNT(*) FROM notes"));
    if (count.next() && count.value(0).toInt() == 0) {
        for (int kind = 1; kind <= Schema::phoneKinds().size(); ++kind)
            Sql::run(db, QStringLiteral("INSERT INTO notes (id, note) VALUES (:id, :note)"),
                     {{"id", kind}, {"note", Schema::phoneKindNote(kind)}});
    }
}

// Accounts whose names differ only in letter case, which an older program
// let in: they keep working (the exact spelling signs in), and whoever looks
// after the database is told which they are. Returns whether there are any.
bool reportDoubledNames(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT log FROM users WHERE ulower(log) IN "
                                              "(SELECT ulower(log) FROM users GROUP BY ulower(log) "
                                              "HAVING count(*) > 1) ORDER BY ulower(log), id"));
    QMap<QString, QStringList> doubled;
    while (q.next())
        doubled[Database::fold(Sql::text(q, 0))].append(Sql::text(q, 0));
    if (doubled.isEmpty())
        return false;
    QStringList groups;
    for (const QStringList& names : std::as_const(doubled))
        groups.append(names.join(QStringLiteral(", ")));
    qCWarning(lcDb).noquote() << "user names that differ only in letter case:"
                              << groups.join(QStringLiteral("; "))
                              << "-- registering such a name again is refused; merge or rename "
                                 "these accounts";
    return true;
}

// ---- SQLite ---------------------------------------------------------------

bool sqliteComplete(const QSqlDatabase& db)
{
    const qint64 present = firstNumber(
        db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN ('sprav', 'phone', "
                           "'notes', 'city', 'prof', 'users', 'phone_parentid', 'sprav_cityid', "
                           "'sprav_listing', 'sprav_rev', 'sprav_history', 'phone_history', "
                           "'sprav_history_id', 'sprav_history_gone', 'phone_history_histid', "
                           "'sprav_history_trimmed', 'sprav_history_at')"));
    return present == 17 && firstNumber(db, QStringLiteral("SELECT count(*) FROM notes")) > 0;
}

// A new or older database: what is missing is made in one write transaction.
void completeSqlite(const QSqlDatabase& db)
{
    Sql::Transaction transaction(db);
    for (const QString& statement : sqliteTables())
        Sql::run(db, statement);
    for (const QString& statement : sqliteIndexes())
        Sql::run(db, statement);
    addPhoneKinds(db);
    transaction.commit();
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
    {
        Sql::Transaction transaction(db);
        Sql::run(db, QStringLiteral("ANALYZE"));
        transaction.commit();
    }
    SearchIndexBuild::compact(db);
}

// A start-up that finds everything in place only reads; the write lock is
// taken for what is missing, and never for long (the search index is built
// and compacted in steps).
void ensureSqlite(const QSqlDatabase& db)
{
    if (!sqliteComplete(db))
        completeSqlite(db);
    SearchIndexBuild::ensure(db);
    // Each in a write transaction of its own, so that other copies may save
    // in between.
    if (!SortKey::current(db)) {
        Sql::Transaction transaction(db);
        SortKey::ensure(db);
        transaction.commit();
    }
    if (!ContactIndex::current(db)) {
        Sql::Transaction transaction(db);
        ContactIndex::ensure(db);
        transaction.commit();
    }
    if (!ListingIndex::current(db)) {
        Sql::Transaction transaction(db);
        ListingIndex::ensure(db);
        transaction.commit();
    }
    refreshSqliteStatistics(db); // PostgreSQL's autovacuum keeps its own
    reportDoubledNames(db);
}

// ---- PostgreSQL -------------------------------------------------------------
//
// The table sprav_schema holds the version of what this program made. A
// start-up that finds it current, with the indexes in place, only reads the
// catalog: it takes no lock that a save would wait for. Otherwise one copy at
// a time (under an advisory lock; the others wait, then find it done) creates
// the schema in one transaction, or brings an existing one up to date with
// CREATE INDEX CONCURRENTLY, which lets the other copies go on writing.

// 1: version kept; ulower() folds the final sigma; unique user names; the
// order table and the phone and e-mail indexes.
// 2: revisions and history of the records.
// 3: the history's trim mark and its index on the time.
constexpr int postgresVersion = 3;

const QString uniqueUsersIndex = QStringLiteral("users_log_unique");
const QString uniqueUsersDefinition = QStringLiteral("ON users (ulower(log))");

QList<QPair<QString, QString>> postgresIndexes()
{
    return {
        {QStringLiteral("phone_parentid"), QStringLiteral("ON phone (parentid)")},
        {QStringLiteral("sprav_cityid"), QStringLiteral("ON sprav (cityid)")},
        {QStringLiteral("sprav_history_id"), QStringLiteral("ON sprav_history (id)")},
        {QStringLiteral("sprav_history_gone"),
         QStringLiteral("ON sprav_history (deleted, gone_at)")},
        {QStringLiteral("phone_history_histid"), QStringLiteral("ON phone_history (histid)")},
        {QStringLiteral("sprav_history_at"), QStringLiteral("ON sprav_history (gone_at)")},
    };
}

enum class IndexState { Missing, Invalid, Valid };

IndexState postgresIndexState(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery q = Sql::run(db,
                           QStringLiteral("SELECT indisvalid FROM pg_index "
                                          "WHERE indexrelid = to_regclass(:name)"),
                           {{"name", name}});
    if (!q.next())
        return IndexState::Missing;
    return q.value(0).toBool() ? IndexState::Valid : IndexState::Invalid;
}

struct PostgresState {
    bool tables = false; // sprav exists
    int version = 0;     // 0: made before versions were kept
    bool uniqueUsers = false;
    bool trigramsMissing = false; // pg_trgm is there, its indexes are not
    bool orderCurrent = false;    // SortKey's table
    bool contactsCurrent = false; // ContactIndex's function and indexes
    bool noticesCurrent = false;  // ChangeNotice's triggers
    bool listingCurrent = false;  // ListingIndex's indexes
    bool namesCurrent = false;    // ListingIndex's names table

    bool complete() const
    {
        return version == postgresVersion && uniqueUsers && !trigramsMissing && orderCurrent &&
               contactsCurrent && noticesCurrent && listingCurrent && namesCurrent;
    }
};

PostgresState postgresState(const QSqlDatabase& db)
{
    PostgresState state;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT to_regclass('sprav') IS NOT NULL, "
                                              "to_regclass('sprav_schema') IS NOT NULL, "
                                              "EXISTS (SELECT 1 FROM pg_extension "
                                              "WHERE extname = 'pg_trgm')"));
    q.next();
    state.tables = q.value(0).toBool();
    const bool versioned = q.value(1).toBool();
    const bool trigrams = q.value(2).toBool();
    q.finish();
    if (versioned)
        state.version = int(
            firstNumber(db, QStringLiteral("SELECT coalesce(max(version), 0) FROM sprav_schema")));
    state.uniqueUsers = postgresIndexState(db, uniqueUsersIndex) == IndexState::Valid;
    state.trigramsMissing = trigrams && !SearchIndex::indexed(db);
    state.orderCurrent = state.tables && SortKey::current(db);
    state.contactsCurrent = state.tables && ContactIndex::current(db);
    state.noticesCurrent = state.tables && ChangeNotice::current(db);
    state.listingCurrent = state.orderCurrent && ListingIndex::current(db);
    state.namesCurrent = state.orderCurrent && ListingIndex::postgresNamesCurrent(db);
    return state;
}

// ulower() folds letter case as Database::fold() does: ICU's lower case
// (whatever the database's collation), with the final sigma written as σ.
// Without ICU, the collation's lower() and the Russian capitals.
QString ulowerBody(const QSqlDatabase& db)
{
    QSqlQuery icu =
        Sql::run(db, QStringLiteral("SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu'"));
    if (icu.next())
        return QStringLiteral("SELECT replace(lower($1 COLLATE \"und-x-icu\"), 'ς', 'σ')");
    return QStringLiteral("SELECT translate(lower($1), "
                          "'АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯς', "
                          "'абвгдеёжзийклмнопрстуфхцчшщъыьэюяσ')");
}

// PostgreSQL lacks instr, and its lower() follows the database's collation.
// Returns whether an existing ulower() changed, so that the indexes on it
// must be built anew.
bool ensurePostgresFunctions(const QSqlDatabase& db)
{
    if (Sql::postgresFunctionSource(db, QStringLiteral("instr")).isEmpty())
        Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION instr(text, text) RETURNS integer "
                                    "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS "
                                    "'SELECT strpos($1, $2)'"));
    const QString stored = Sql::postgresFunctionSource(db, QStringLiteral("ulower"));
    const QString wanted = ulowerBody(db);
    if (stored == wanted)
        return false;
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION ulower(text) RETURNS text "
                                "LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE AS '%1'")
                     .arg(QString(wanted).replace(QLatin1Char('\''), QStringLiteral("''"))));
    return !stored.isEmpty();
}

// Inside the caller's transaction.
void writePostgresVersion(const QSqlDatabase& db)
{
    Sql::run(db,
             QStringLiteral("CREATE TABLE IF NOT EXISTS sprav_schema (version INTEGER NOT NULL)"));
    Sql::run(db, QStringLiteral("DELETE FROM sprav_schema"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_schema (version) VALUES (:version)"),
             {{"version", postgresVersion}});
}

// An empty database: everything in one transaction. Nobody else sees the new
// tables before it commits, so their indexes are made directly.
void createPostgres(const QSqlDatabase& db)
{
    Sql::Transaction transaction(db);
    ensurePostgresFunctions(db);
    for (const QString& statement : postgresTables())
        Sql::run(db, statement);
    QList<QPair<QString, QString>> indexes = postgresIndexes();
    if (SearchIndexBuild::enablePostgresTrigrams(db))
        indexes += SearchIndexBuild::postgresIndexes();
    for (const auto& [name, definition] : std::as_const(indexes))
        Sql::run(db, QStringLiteral("CREATE INDEX %1 %2").arg(name, definition));
    Sql::run(
        db,
        QStringLiteral("CREATE UNIQUE INDEX %1 %2").arg(uniqueUsersIndex, uniqueUsersDefinition));
    SortKey::ensure(db);
    ListingIndex::ensure(db);
    ListingIndex::ensurePostgresNames(db);
    ContactIndex::ensure(db);
    ChangeNotice::ensureInTransaction(db);
    addPhoneKinds(db);
    writePostgresVersion(db);
    transaction.commit();
}

// An index on a table that other copies may be writing: made, or made anew
// (`rebuild`), concurrently, so that their writes go on meanwhile. An invalid
// index left by a build that was cut off is dropped first.
void indexConcurrently(const QSqlDatabase& db, const QString& name, const QString& definition,
                       bool rebuild, bool unique = false)
{
    IndexState state = postgresIndexState(db, name);
    if (state == IndexState::Invalid) {
        Sql::run(db, QStringLiteral("DROP INDEX CONCURRENTLY IF EXISTS %1").arg(name));
        state = IndexState::Missing;
    }
    if (state == IndexState::Valid) {
        if (rebuild)
            Sql::run(db, QStringLiteral("REINDEX INDEX CONCURRENTLY %1").arg(name));
        return;
    }
    Sql::run(db, QStringLiteral("CREATE %1INDEX CONCURRENTLY %2 %3")
                     .arg(unique ? QStringLiteral("UNIQUE ") : QString(), name, definition));
}

// User names are unique in any letter case once the stored ones allow it.
// Until then registrations are serialized by AccountStore (and the doubled
// names are reported).
void uniqueUserNames(const QSqlDatabase& db, bool rebuild)
{
    if (reportDoubledNames(db))
        return;
    try {
        indexConcurrently(db, uniqueUsersIndex, uniqueUsersDefinition, rebuild, true);
    } catch (const DbError& e) {
        // A doubled name that an older program added meanwhile.
        qCWarning(lcDb).noquote() << "user names not made unique --" << e.text();
        Sql::run(db, QStringLiteral("DROP INDEX CONCURRENTLY IF EXISTS %1").arg(uniqueUsersIndex));
    }
}

// The order table is made anew in one transaction. Its trigger on `sprav`
// needs a lock that saves in progress hold, while their triggers may want the
// order table this transaction replaces: `sprav` is locked first, so saves
// wait for the new table instead of deadlocking with its making.
void upgradeOrderTable(const QSqlDatabase& db)
{
    if (SortKey::current(db))
        return;
    Sql::Transaction transaction(db);
    Sql::run(db, QStringLiteral("LOCK TABLE sprav IN SHARE ROW EXCLUSIVE MODE"));
    SortKey::ensure(db);
    transaction.commit();
}

// The names table likewise, made anew also when the folding changed.
void upgradeNamesTable(const QSqlDatabase& db, bool refolded)
{
    if (!refolded && ListingIndex::postgresNamesCurrent(db))
        return;
    Sql::Transaction transaction(db);
    Sql::run(db, QStringLiteral("LOCK TABLE sprav IN SHARE ROW EXCLUSIVE MODE"));
    ListingIndex::ensurePostgresNames(db, refolded);
    transaction.commit();
}

void upgradePostgres(const QSqlDatabase& db, const PostgresState& state)
{
    if (state.version != postgresVersion)
        qCInfo(lcDb) << "upgrading the schema to version" << postgresVersion;
    bool refolded = false;
    {
        Sql::Transaction transaction(db);
        refolded = ensurePostgresFunctions(db);
        ContactIndex::ensurePostgresFunction(db);
        for (const QString& statement : postgresTables())
            Sql::run(db, statement);
        addPhoneKinds(db);
        transaction.commit();
    }
    for (const auto& [name, definition] : postgresIndexes())
        indexConcurrently(db, name, definition, false);
    for (const QString& name : SearchIndexBuild::outdatedPostgresIndexes())
        Sql::run(db, QStringLiteral("DROP INDEX CONCURRENTLY IF EXISTS %1").arg(name));
    if (SearchIndexBuild::enablePostgresTrigrams(db)) {
        for (const auto& [name, definition] :
             SearchIndexBuild::postgresIndexes() + ContactIndex::postgresIndexes())
            indexConcurrently(db, name, definition, refolded);
    }
    upgradeOrderTable(db);
    upgradeNamesTable(db, refolded);
    ChangeNotice::ensure(db);
    for (const auto& [name, definition] : ListingIndex::postgresIndexes())
        indexConcurrently(db, name, definition, false);
    uniqueUserNames(db, refolded);
    Sql::Transaction transaction(db);
    writePostgresVersion(db);
    transaction.commit();
}

void ensurePostgres(const QSqlDatabase& db)
{
    if (postgresState(db).complete())
        return;
    const ServerLock lock(db, ServerLock::Purpose::Schema);
    const PostgresState state = postgresState(db); // another copy may have done it meanwhile
    if (state.complete())
        return;
    if (state.tables)
        upgradePostgres(db, state);
    else
        createPostgres(db);
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

QString Schema::phoneKindNote(int kind)
{
    return phoneKinds().at(kind - 1) + QStringLiteral(": ");
}

void Schema::ensure(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::PostgreSQL)
        ensurePostgres(db);
    else
        ensureSqlite(db);
    trimHistory(db);
}

// A version is removed when it is older than historyDays and its record has
// historyVersions newer ones. The mark in sprav_history_trimmed tells the
// moment and the last history row the previous trim went to: a version that
// trim kept becomes removable only by growing older than that moment or by
// newer versions of its record. So only the records with such versions are
// looked at, through the indexes on the time and on the record, and a
// start-up with nothing new only reads a few index entries. Without a mark (the first trim)
// the records with more versions than are kept are looked at.
void Schema::trimHistory(const QSqlDatabase& db)
{
    const QString cutoff = DateText::toStamp(Clock::now().addDays(-historyDays));
    const auto readMark = [&db] {
        // Two copies trimming at once may each leave a row: the earlier
        // mark covers both.
        QSqlQuery q = Sql::run(db, QStringLiteral("SELECT min(cutoff), min(histid), count(*) "
                                                  "FROM sprav_history_trimmed"));
        q.next();
        return q.value(2).toInt() > 0
                   ? std::optional(std::pair(Sql::text(q, 0), q.value(1).toLongLong()))
                   : std::nullopt;
    };
    const qint64 last =
        firstNumber(db, QStringLiteral("SELECT coalesce(max(histid), 0) FROM sprav_history"));
    // Nothing written and nothing grown old since the mark: the mark holds
    // for the later moment too, and the start-up writes nothing.
    if (const auto mark = readMark();
        mark && mark->second >= last &&
        !Sql::run(db,
                  QStringLiteral("SELECT 1 FROM sprav_history "
                                 "WHERE gone_at >= :from AND gone_at < :cutoff LIMIT 1"),
                  {{"from", mark->first}, {"cutoff", cutoff}})
             .next())
        return;

    Sql::Transaction transaction(db);
    const auto mark = readMark();
    QList<qint64> records;
    {
        QSqlQuery q =
            mark ? Sql::run(db,
                            QStringLiteral("SELECT id FROM sprav_history WHERE histid > :histid "
                                           "UNION SELECT id FROM sprav_history "
                                           "WHERE gone_at >= :from AND gone_at < :cutoff"),
                            {{"histid", mark->second}, {"from", mark->first}, {"cutoff", cutoff}})
                 : Sql::run(db,
                            QStringLiteral("SELECT id FROM sprav_history GROUP BY id "
                                           "HAVING count(*) > :kept"),
                            {{"kept", historyVersions}});
        while (Sql::next(q))
            records.append(q.value(0).toLongLong());
    }
    // The newest version of a record that has historyVersions newer ones.
    QSqlQuery beyond = Sql::prepare(db, QStringLiteral("SELECT histid FROM sprav_history "
                                                       "WHERE id = :id ORDER BY histid DESC "
                                                       "LIMIT 1 OFFSET :kept"));
    const QString removed = QStringLiteral("SELECT histid FROM sprav_history WHERE id = :id AND "
                                           "histid <= :upto AND gone_at < :cutoff");
    QSqlQuery phones = Sql::prepare(
        db, QStringLiteral("DELETE FROM phone_history WHERE histid IN (%1)").arg(removed));
    QSqlQuery versions = Sql::prepare(
        db, QStringLiteral("DELETE FROM sprav_history WHERE histid IN (%1)").arg(removed));
    for (const qint64 id : std::as_const(records)) {
        beyond.bindValue(QStringLiteral(":id"), id);
        beyond.bindValue(QStringLiteral(":kept"), historyVersions);
        Sql::exec(beyond);
        if (!Sql::next(beyond))
            continue;
        const qint64 upto = beyond.value(0).toLongLong();
        beyond.finish();
        for (QSqlQuery* q : {&phones, &versions}) {
            q->bindValue(QStringLiteral(":id"), id);
            q->bindValue(QStringLiteral(":upto"), upto);
            q->bindValue(QStringLiteral(":cutoff"), cutoff);
            Sql::exec(*q);
        }
    }
    Sql::run(db, QStringLiteral("DELETE FROM sprav_history_trimmed"));
    Sql::run(db,
             QStringLiteral("INSERT INTO sprav_history_trimmed (cutoff, histid) "
                            "VALUES (:cutoff, :histid)"),
             {{"cutoff", cutoff}, {"histid", last}});
    transaction.commit();
}
