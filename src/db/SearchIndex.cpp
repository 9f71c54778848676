// SPDX-License-Identifier: MIT
#include "db/SearchIndex.h"
#include "db/Database.h"
#include "db/SearchIndexLayout.h"
#include "db/Sql.h"
#include "db/TextFold.h"

#include <QSet>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <iterator>

namespace
{

using L = SearchIndexLayout;

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

// All four indexes, and valid: a concurrent build that was cut off leaves an
// invalid one behind, which the planner does not use.
bool postgresIndexPresent(const QSqlDatabase& db)
{
    QStringList names;
    for (const QString& name : L::columns())
        names.append(QStringLiteral("to_regclass('%1')").arg(L::trgmIndexName(name)));
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT count(*) FROM pg_index WHERE indisvalid AND "
                                              "indexrelid IN (%1)")
                                   .arg(names.join(QStringLiteral(", "))));
    return q.next() && q.value(0).toInt() == int(L::columns().size());
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

bool SearchIndex::indexed(const QSqlDatabase& db)
{
    // An index half built, or left outdated in a database opened read-only,
    // is not used.
    return Database::engineOf(db) == Engine::PostgreSQL
               ? postgresIndexPresent(db)
               : L::sqliteState(db).index >= L::State::Positionless;
}

QString SearchIndex::plainCondition()
{
    QStringList tests;
    for (const QString& name : L::columns())
        tests.append(QStringLiteral("instr(%1, :needle) > 0")
                         .arg(L::loweredColumn(QStringLiteral("sprav."), name)));
    return QLatin1Char('(') + tests.join(QStringLiteral(" or ")) + QLatin1Char(')');
}

QString SearchIndex::condition(const QSqlDatabase& db)
{
    if (!indexed(db))
        return plainCondition();
    if (Database::engineOf(db) == Engine::PostgreSQL) {
        // pg_trgm answers LIKE on the indexed expressions; the plain test
        // stays the definition of a match.
        QStringList likes;
        for (const QString& name : L::columns())
            likes.append(QStringLiteral("%1 LIKE :pattern")
                             .arg(L::loweredColumn(QStringLiteral("sprav."), name)));
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
        !std::all_of(needle.begin(), needle.end(), L::foldsAlike))
        return std::nullopt;
    const L::SqliteState state = L::sqliteState(db);
    if (state.index != L::State::Complete || !state.inexactListed)
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
                     .arg(plainCondition(), L::inexactRows()),
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
