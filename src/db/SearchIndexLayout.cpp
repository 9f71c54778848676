// SPDX-License-Identifier: MIT
#include "db/SearchIndexLayout.h"
#include "db/Sql.h"
#include "db/TextFold.h"

#include <QSqlQuery>
#include <algorithm>
#include <iterator>

namespace
{

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

// The characters that FTS5 folds exactly as TextFold does, each to a single
// character of the same set: printable ASCII, the Russian alphabet, and the
// uncased signs of addresses and enterprise names (no-break space, «», dashes
// and quotes, the ellipsis, №). tst_searchindex checks them against the
// SQLite in use.
constexpr std::pair<char16_t, char16_t> alikeRanges[] = {
    {0x20, 0x7E},   {0xA0, 0xA0},   {0xAB, 0xAB},     {0xBB, 0xBB},     {0x401, 0x401},
    {0x410, 0x44F}, {0x451, 0x451}, {0x2010, 0x201F}, {0x2026, 0x2026}, {0x2116, 0x2116},
};

// While the index is being built, the triggers keep in step only the rows
// that the index holds already: those up to `done`, and those added after the
// build began (above `last`). The rest are read into it step by step.
const QString indexedDuringBuild = QStringLiteral("(%1id <= (SELECT done FROM sprav_fts_build) OR "
                                                  "%1id > (SELECT last FROM sprav_fts_build))");

// A statement of a trigger body that adds the row's trigrams, or takes them
// away (FTS5's 'delete' command); `building` limits it to the rows indexed so
// far.
QString ftsChange(const QString& prefix, bool remove, bool building)
{
    const QString columns = remove ? QStringLiteral("sprav_fts, rowid, f, io, shortpp, longpp")
                                   : QStringLiteral("rowid, f, io, shortpp, longpp");
    const QString values = (remove ? QStringLiteral("'delete', ") : QString()) + prefix +
                           QStringLiteral("id, ") + SearchIndexLayout::ftsValues(prefix);
    if (building)
        return QStringLiteral("INSERT INTO sprav_fts (%1) SELECT %2 WHERE %3;")
            .arg(columns, values, indexedDuringBuild.arg(prefix));
    return QStringLiteral("INSERT INTO sprav_fts (%1) VALUES (%2);").arg(columns, values);
}

QString ftsInsert(const QString& prefix, bool building)
{
    return ftsChange(prefix, false, building);
}

QString ftsDelete(const QString& prefix, bool building)
{
    return ftsChange(prefix, true, building);
}

// The value the index is given for a column of a row (prefix new. or old.).
QString ftsValue(const QString& prefix, const QString& name)
{
    return QStringLiteral("replace(replace(replace(%1%2, '\u0130', 'i\u0307'), '\u0401', "
                          "'\u0415'), '\u0451', '\u0435')")
        .arg(prefix, name);
}

} // namespace

const QStringList& SearchIndexLayout::columns()
{
    static const QStringList names = {QStringLiteral("f"), QStringLiteral("io"),
                                      QStringLiteral("shortpp"), QStringLiteral("longpp")};
    return names;
}

// With the positions (detail=full) a phrase finds its trigrams one after the
// other, that is the text itself, which lets matchingIds() do without the
// exact test. Earlier versions kept the trigrams alone (detail=none): such an
// index is made anew when the database is opened for writing, and serves as
// a candidate filter while it is only read.
QString SearchIndexLayout::ftsDefinition(bool positions)
{
    return QStringLiteral("CREATE VIRTUAL TABLE sprav_fts USING fts5(f, io, shortpp, longpp, "
                          "content='', columnsize=0, detail=%1, "
                          "tokenize='trigram case_sensitive 0')")
        .arg(positions ? QLatin1String("full") : QLatin1String("none"));
}

bool SearchIndexLayout::foldsAlike(QChar c)
{
    return std::any_of(std::begin(alikeRanges), std::end(alikeRanges), [c](const auto& range) {
        return c.unicode() >= range.first && c.unicode() <= range.second;
    });
}

// Records holding some other character (in any of the four columns) are
// listed by a partial index: for them an FTS5 phrase may find what the exact
// test does not (it folds «ſ» to «s») or miss what it finds.
QString SearchIndexLayout::inexactIndex()
{
    return QStringLiteral("sprav_fts_inexact");
}

QString SearchIndexLayout::inexactRows()
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

QString SearchIndexLayout::inexactDefinition()
{
    return QStringLiteral("CREATE INDEX %1 ON sprav (id) WHERE %2")
        .arg(inexactIndex(), inexactRows());
}

QString SearchIndexLayout::ftsValues(const QString& prefix)
{
    QStringList values;
    for (const QString& name : columns())
        values.append(ftsValue(prefix, name));
    return values.join(QStringLiteral(", "));
}

// A row that REPLACE (or UPDATE OR REPLACE) puts in the place of another
// leaves the trigrams of the row it replaced in the index: that row goes
// without its delete trigger. Such ids are noted in sprav_fts_stale, before
// the statement replaces anything, so that matchingIds() tests them exactly.
QString SearchIndexLayout::staleDefinition()
{
    return QStringLiteral("CREATE TABLE sprav_fts_stale (id INTEGER PRIMARY KEY)");
}

// Name and full text of each trigger that keeps the index in step.
QMap<QString, QString> SearchIndexLayout::ftsTriggers(bool building, bool positions)
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

SearchIndexLayout::SqliteState SearchIndexLayout::sqliteState(const QSqlDatabase& db)
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
    SqliteState state;
    state.inexactListed = stored.take(inexactIndex()) == inexactDefinition();
    const bool building = stored.remove(QStringLiteral("sprav_fts_build")) > 0;
    const bool positionless = !building && stored.value(ftsTable) == ftsDefinition(false);
    QMap<QString, QString> wanted = ftsTriggers(building, !positionless);
    wanted.insert(ftsTable, ftsDefinition(!positionless));
    if (!positionless)
        wanted.insert(QStringLiteral("sprav_fts_stale"), staleDefinition());
    if (stored != wanted)
        state.index = State::Missing;
    else if (building)
        state.index = State::Building;
    else
        state.index = positionless ? State::Positionless : State::Complete;
    return state;
}

QString SearchIndexLayout::loweredColumn(const QString& table, const QString& name)
{
    return TextFold::sql(QStringLiteral("coalesce(%1%2, '')").arg(table, name));
}

QString SearchIndexLayout::trgmIndexName(const QString& name)
{
    return QStringLiteral("sprav_%1_fold_trgm").arg(name);
}
