// SPDX-License-Identifier: MIT
#include "DataGenerator.h"
#include "TestDatabase.h"
#include "common/DbError.h"
#include "db/SearchIndex.h"
#include "db/SearchIndexBuild.h"
#include "db/Sql.h"
#include "db/TextFold.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlField>
#include <QtTest>
#include <algorithm>

namespace
{

using Ids = QList<qint64>;

Ids run(QSqlQuery& query, const QString& text)
{
    SearchIndex::bind(query, text);
    Sql::exec(query);
    Ids ids;
    while (query.next())
        ids.append(query.value(0).toLongLong());
    query.finish();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QSqlQuery searchQuery(const QSqlDatabase& db, const QString& condition)
{
    return Sql::prepare(db, QStringLiteral("SELECT sprav.id FROM sprav WHERE ") + condition);
}

Ids idsWhere(const QSqlDatabase& db, const QString& condition, const QString& text)
{
    QSqlQuery query = searchQuery(db, condition);
    return run(query, text);
}

struct Row {
    qint64 id;
    QStringList texts; // f, io, shortpp, longpp
};

QList<Row> allRows(const QSqlDatabase& db, bool lowered = false)
{
    QStringList names = {QStringLiteral("f"), QStringLiteral("io"), QStringLiteral("shortpp"),
                         QStringLiteral("longpp")};
    if (lowered) {
        for (QString& name : names)
            name = TextFold::sql(QStringLiteral("coalesce(%1, '')").arg(name));
    }
    const QString columns = names.join(QStringLiteral(", "));
    QList<Row> rows;
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT id, %1 FROM sprav").arg(columns));
    while (q.next())
        rows.append({q.value(0).toLongLong(),
                     {Sql::text(q, 1), Sql::text(q, 2), Sql::text(q, 3), Sql::text(q, 4)}});
    return rows;
}

// What the plain test finds, from the columns as the database folds them:
// the records where one of them contains the folded text.
Ids expectedIds(const QList<Row>& lowered, const QString& text)
{
    const QString needle = TextFold::text(text);
    Ids ids;
    for (const Row& row : lowered) {
        if (std::any_of(row.texts.begin(), row.texts.end(),
                        [&](const QString& t) { return t.contains(needle); }))
            ids.append(row.id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

QString describe(const QString& text, const Ids& got, const Ids& wanted)
{
    QStringList codes;
    for (const QChar c : text)
        codes.append(QString::number(c.unicode(), 16));
    return QStringLiteral("text \"%1\" (%2): %3 records found, %4 expected")
        .arg(text, codes.join(QLatin1Char(' ')))
        .arg(got.size())
        .arg(wanted.size());
}

// Texts that mean something to SQL, LIKE or FTS5, and letters with unusual
// case mappings.
const QStringList hostileTexts = {
    QStringLiteral("'"),       QStringLiteral("\""),       QStringLiteral("%"),
    QStringLiteral("_"),       QStringLiteral("\\"),       QStringLiteral("o'c"),
    QStringLiteral("\"\"\""),  QStringLiteral("%%%"),      QStringLiteral("___"),
    QStringLiteral("\\\\\\"),  QStringLiteral("a%b"),      QStringLiteral("_ов"),
    QStringLiteral("ов%"),     QStringLiteral("\\%"),      QStringLiteral("AND"),
    QStringLiteral("and"),     QStringLiteral(" OR "),     QStringLiteral("NOT"),
    QStringLiteral("NEAR"),    QStringLiteral("NEAR(ива"), QStringLiteral("ива*"),
    QStringLiteral("*"),       QStringLiteral("-ов"),      QStringLiteral("f:ива"),
    QStringLiteral("io:"),     QStringLiteral(":"),        QStringLiteral("("),
    QStringLiteral(")"),       QStringLiteral("()"),       QStringLiteral("(ив)"),
    QStringLiteral("\"AND\""), QStringLiteral("{f io}"),   QStringLiteral("^ив"),
    QStringLiteral("ив+ан"),   QStringLiteral("ива"),      QStringLiteral("ИВА"),
    QStringLiteral("ёлк"),     QStringLiteral("Ё"),        QStringLiteral("ёва"),
    QStringLiteral("ЕВА"),     QStringLiteral("İ"),        QStringLiteral("i\u0307"),
    QStringLiteral("ali"),     QStringLiteral("k"),        QStringLiteral("\u212A"),
    QStringLiteral("😀"),       QStringLiteral("😀😀😀"),      QStringLiteral("ß"),
    QStringLiteral("ss"),      QStringLiteral("ẞ"),        QStringLiteral("σ"),
    QStringLiteral("ς"),       QStringLiteral("Ა"),      QStringLiteral("ა"),
    QStringLiteral("Ǆ"),       QStringLiteral("ǆ"),        QStringLiteral("Cмирнов"),
    QStringLiteral("Ивaнов"),  QStringLiteral("  "),       QStringLiteral("\t"),
    QStringLiteral("; --"),    QStringLiteral("SELECT"),   QStringLiteral("ООО «"),
    QStringLiteral("x"),       QStringLiteral("ив"),       QStringLiteral(""),
};

QStringList searchTexts(const QList<Row>& rows, int count)
{
    QRandomGenerator random(20251208);
    QStringList texts = hostileTexts;
    while (texts.size() < count + hostileTexts.size()) {
        const Row& row = rows.at(random.bounded(int(rows.size())));
        const QString source = row.texts.at(random.bounded(4));
        if (source.isEmpty())
            continue;
        const int length = std::min(int(source.size()), 1 + random.bounded(9));
        QString text = source.mid(random.bounded(int(source.size()) - length + 1), length);
        if (text.front().isLowSurrogate() || text.back().isHighSurrogate())
            continue; // half a character cannot be typed
        for (QChar& c : text) {
            if (random.bounded(3) == 0)
                c = random.bounded(2) ? c.toUpper() : c.toLower();
        }
        texts.append(text);
    }
    return texts;
}

} // namespace

class TestSearchIndex : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void matchesPlainTest();
    void everyCasedLetter();
    void lettersWhereLowerCaseAndFoldingDiffer();
    void plainCharactersFromTheIndexAlone();
    void indexIsUsed();
    void followsPlainStatements();
    void builtForExistingDatabase();
    void olderIndexServesUntilMadeAnew();
    void rebuiltWhenTriggerMissing();
    void builtInStepsWhileRecordsChange();
    void plainWithoutExtensionRights();

private:
    // The indexed and the plain condition find the same records for each
    // text, and so do matchingIds() where they apply; gives how many texts
    // those answered.
    int compareSearches(const QSqlDatabase& db, const QStringList& texts);
};

void TestSearchIndex::init()
{
    SPRAV_REQUIRE_DATABASE();
}

int TestSearchIndex::compareSearches(const QSqlDatabase& db, const QStringList& texts)
{
    [&] {
        QVERIFY(SearchIndex::indexed(db));
        QVERIFY(SearchIndex::condition(db) != SearchIndex::plainCondition());
    }();
    const QList<Row> lowered = allRows(db, true);
    QSqlQuery query = searchQuery(db, SearchIndex::condition(db));
    int answered = 0;
    for (const QString& text : texts) {
        const Ids got = run(query, text);
        const Ids wanted = expectedIds(lowered, text);
        if (got != wanted) {
            QTest::qFail(qPrintable(describe(text, got, wanted)), __FILE__, __LINE__);
            return answered;
        }
        if (const std::optional<QList<int>> alone = SearchIndex::matchingIds(db, text)) {
            ++answered;
            const Ids ids(alone->cbegin(), alone->cend());
            if (ids != wanted) {
                QTest::qFail(qPrintable(QStringLiteral("from the index alone: ") +
                                        describe(text, ids, wanted)),
                             __FILE__, __LINE__);
                return answered;
            }
        }
    }
    return answered;
}

void TestSearchIndex::matchesPlainTest()
{
    TestDatabase test;
    DataGenerator(7, true).fill(test.db(), 2000);
    const QStringList texts = searchTexts(allRows(test.db()), 300);
    const int answered = compareSearches(test.db(), texts);
    // On SQLite most texts are answered from the index alone.
    if (test.engine() == Engine::SQLite)
        QVERIFY2(answered > texts.size() / 2, qPrintable(QString::number(answered)));

    // The expected records are those the plain statement finds, and most
    // texts find some, so the comparison above means something.
    const QList<Row> lowered = allRows(test.db(), true);
    int nonEmpty = 0;
    for (qsizetype n = 0; n < texts.size(); ++n) {
        const Ids wanted = expectedIds(lowered, texts[n]);
        nonEmpty += wanted.isEmpty() ? 0 : 1;
        if (n % 8 == 0) {
            const Ids plain = idsWhere(test.db(), SearchIndex::plainCondition(), texts[n]);
            QVERIFY2(plain == wanted, qPrintable(describe(texts[n], plain, wanted)));
        }
    }
    QVERIFY2(nonEmpty > texts.size() * 3 / 4, qPrintable(QString::number(nonEmpty)));
}

void TestSearchIndex::everyCasedLetter()
{
    // For every character that has a different lower case, a record holding
    // it is found by its lower-cased text, and by the text up to the first
    // character of its lower case (İ lower-cases to i and a combining dot):
    // the index must not fold any letter differently from the exact test.
    TestDatabase test;
    QStringList names;
    QStringList texts;
    for (char32_t c = 1; c < 0x110000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString letter = QString::fromUcs4(&c, 1);
        const QString lower = letter.toLower();
        if (lower == letter)
            continue;
        names.append(QStringLiteral("жж%1жж").arg(letter));
        texts.append(QStringLiteral("жж%1жж").arg(lower));
        texts.append(QStringLiteral("жж") + lower.left(lower.front().isHighSurrogate() ? 2 : 1));
    }
    QVERIFY(names.size() > 1000);
    {
        Sql::Transaction transaction(test.db());
        QSqlQuery insert =
            Sql::prepare(test.db(), QStringLiteral("INSERT INTO sprav (f) VALUES (?)"));
        for (const QString& name : std::as_const(names)) {
            insert.addBindValue(name);
            Sql::exec(insert);
        }
        transaction.commit();
    }
    compareSearches(test.db(), texts);
}

void TestSearchIndex::lettersWhereLowerCaseAndFoldingDiffer()
{
    // Both engines find the same records: Σ lowers to σ, or at the end of a
    // word to ς (ICU; Qt never); ß has the capital ẞ but is not ss; I, İ, ı
    // and i are four letters; ё is read as е.
    TestDatabase test;
    for (const QString& name :
         {QStringLiteral("ΟΔΥΣΣΕΥΣ"), QStringLiteral("STRAẞE"), QStringLiteral("Straße"),
          QStringLiteral("İzmir"), QStringLiteral("Irmak"), QStringLiteral("Ёлкин"),
          QStringLiteral("Елкин"), QStringLiteral("Ross"), QStringLiteral("Roſs")})
        Sql::run(test.db(), QStringLiteral("INSERT INTO sprav (f) VALUES (:f)"), {{"f", name}});
    const QList<QPair<QString, QStringList>> cases = {
        {QStringLiteral("ΟΔΥΣΣΕΥΣ"), {QStringLiteral("ΟΔΥΣΣΕΥΣ")}},
        {QStringLiteral("οδυσσευς"), {QStringLiteral("ΟΔΥΣΣΕΥΣ")}},
        {QStringLiteral("ΣΕΥΣ"), {QStringLiteral("ΟΔΥΣΣΕΥΣ")}},
        {QStringLiteral("straße"), {QStringLiteral("STRAẞE"), QStringLiteral("Straße")}},
        {QStringLiteral("STRASSE"), {}},
        {QStringLiteral("İZMIR"), {QStringLiteral("İzmir")}},
        {QStringLiteral("izmir"), {}},
        {QStringLiteral("IRMAK"), {QStringLiteral("Irmak")}},
        {QStringLiteral("ırmak"), {}},
        {QStringLiteral("ёлкин"), {QStringLiteral("Ёлкин"), QStringLiteral("Елкин")}},
        // FTS5 folds the long s to s, lower case keeps it.
        {QStringLiteral("ross"), {QStringLiteral("Ross")}},
        {QStringLiteral("roſs"), {QStringLiteral("Roſs")}},
        {QStringLiteral("ЕЛКИН"), {QStringLiteral("Ёлкин"), QStringLiteral("Елкин")}},
    };
    QSqlQuery query =
        Sql::prepare(test.db(), QStringLiteral("SELECT f FROM sprav WHERE %1 ORDER BY f")
                                    .arg(SearchIndex::condition(test.db())));
    for (const auto& [typed, expected] : cases) {
        SearchIndex::bind(query, typed);
        Sql::exec(query);
        QStringList found;
        while (query.next())
            found.append(query.value(0).toString());
        query.finish();
        QStringList sorted = expected;
        sorted.sort();
        found.sort();
        QVERIFY2(found == sorted,
                 qPrintable(typed + QStringLiteral(": ") + found.join(QStringLiteral(", "))));
    }
    // The same from the index alone where it answers: there «Roſs» is among
    // what the phrase "ross" finds.
    QStringList typed;
    for (const auto& [text, expected] : cases)
        typed.append(text);
    const int answered = compareSearches(test.db(), typed);
    QVERIFY(test.engine() != Engine::SQLite || answered >= 4);
}

void TestSearchIndex::plainCharactersFromTheIndexAlone()
{
    // Each character up to U+2FFF in a record of its own; the texts typed
    // with the characters of Russian and English names, addresses and
    // enterprise names find exactly the records holding them in either case.
    TestDatabase test;
    {
        Sql::Transaction transaction(test.db());
        QSqlQuery insert =
            Sql::prepare(test.db(), QStringLiteral("INSERT INTO sprav (f) VALUES (?)"));
        for (char16_t c = 0x20; c < 0x3000; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            insert.addBindValue(QStringLiteral("ж%1ж").arg(QChar(c)));
            Sql::exec(insert);
        }
        transaction.commit();
    }
    QStringList texts;
    const auto typed = [&texts](char16_t first, char16_t last) {
        for (char16_t c = first; c <= last; ++c)
            texts.append(QStringLiteral("ж%1ж").arg(QChar(c)));
    };
    typed(0x20, 0x7E);
    typed(0x401, 0x401);
    typed(0x410, 0x44F);
    typed(0x451, 0x451);
    for (const char16_t c : {0xA0, 0xAB, 0xBB, 0x2013, 0x2014, 0x201C, 0x201E, 0x2026, 0x2116})
        typed(c, c);
    const int answered = compareSearches(test.db(), texts);
    QVERIFY(test.engine() != Engine::SQLite || answered == texts.size());
}

void TestSearchIndex::indexIsUsed()
{
    TestDatabase test;
    DataGenerator(3).fill(test.db(), 2000);
    const QString statement =
        QStringLiteral("SELECT sprav.id, sprav.f, city.citycode FROM sprav LEFT JOIN city ON "
                       "city.id = sprav.cityid WHERE ") +
        SearchIndex::condition(test.db());
    QStringList plan;
    if (test.engine() == Engine::SQLite) {
        QSqlQuery q = Sql::prepare(test.db(), QStringLiteral("EXPLAIN QUERY PLAN ") + statement);
        SearchIndex::bind(q, QStringLiteral("Ивано"));
        Sql::exec(q);
        while (q.next())
            plan.append(q.value(3).toString());
        QVERIFY2(
            plan.join(QLatin1Char('\n')).contains(QLatin1String("SCAN sprav_fts VIRTUAL TABLE")),
            qPrintable(plan.join(QLatin1Char('\n'))));
        QVERIFY2(plan.contains(QLatin1String("SEARCH sprav USING INTEGER PRIMARY KEY (rowid=?)")),
                 qPrintable(plan.join(QLatin1Char('\n'))));
        return;
    }
    // EXPLAIN cannot be prepared on PostgreSQL: spell the values out. With
    // full scans ruled out the planner must find the indexes usable.
    QString explained = statement;
    QSqlQuery values = Sql::prepare(test.db(), statement);
    SearchIndex::bind(values, QStringLiteral("Ивано"));
    for (const char* name : {":needle", ":pattern"}) {
        QSqlField field(QString(), QMetaType::fromType<QString>());
        field.setValue(values.boundValue(QLatin1String(name)).toString());
        explained.replace(QLatin1String(name), test.db().driver()->formatValue(field));
    }
    Sql::run(test.db(), QStringLiteral("SET enable_seqscan = off"));
    Sql::run(test.db(), QStringLiteral("SET enable_indexscan = off"));
    QSqlQuery q = Sql::run(test.db(), QStringLiteral("EXPLAIN ") + explained);
    while (q.next())
        plan.append(q.value(0).toString());
    Sql::run(test.db(), QStringLiteral("RESET ALL"));
    for (const char* index : {"sprav_f_fold_trgm", "sprav_io_fold_trgm", "sprav_shortpp_fold_trgm",
                              "sprav_longpp_fold_trgm"})
        QVERIFY2(plan.join(QLatin1Char('\n')).contains(QLatin1String(index)),
                 qPrintable(plan.join(QLatin1Char('\n'))));
}

void TestSearchIndex::followsPlainStatements()
{
    TestDatabase test;
    const QSqlDatabase db = test.db();
    DataGenerator(11, true).fill(db, 600);
    QStringList texts = searchTexts(allRows(db), 60);
    auto check = [&](const QStringList& extra) {
        compareSearches(db, texts + extra);
        if (test.engine() == Engine::SQLite)
            Sql::run(
                db, QStringLiteral("INSERT INTO sprav_fts (sprav_fts) VALUES ('integrity-check')"));
    };

    Sql::run(db, QStringLiteral("INSERT INTO sprav (f, io, shortpp, longpp) VALUES "
                                "('Щукина-\"Ёлкина\"', 'Ada %_\\ Lovelace', NULL, 'ООО ''Жук'''), "
                                "(NULL, NULL, NULL, NULL), ('', '', '', ''), "
                                "('İpek Şahin', 'ΣΟΦΙΑ', 'K-Kelvin', '😀 Смайл')"));
    check({QStringLiteral("щукина-\"ё"), QStringLiteral("%_\\"), QStringLiteral("'жук'"),
           QStringLiteral("ipek"), QStringLiteral("ΣΟΦ"), QStringLiteral("k-k"),
           QStringLiteral("😀 с")});
    if (QTest::currentTestFailed())
        return;

    Sql::run(db, QStringLiteral("UPDATE sprav SET f = 'Жужелица' WHERE id % 5 = 1"));
    Sql::run(db, QStringLiteral("UPDATE sprav SET io = NULL, shortpp = 'Новое «Имя»' "
                                "WHERE id % 7 = 2"));
    Sql::run(db, QStringLiteral("UPDATE sprav SET hided = 'all', owns = ' u3 ' WHERE id % 3 = 0"));
    Sql::run(db, QStringLiteral("UPDATE sprav SET id = id + 100000 WHERE id % 11 = 4"));
    check({QStringLiteral("жужел"), QStringLiteral("ое «им")});
    if (QTest::currentTestFailed())
        return;

    Sql::run(db, QStringLiteral("DELETE FROM sprav WHERE id % 4 = 3"));
    Sql::run(db, QStringLiteral("DELETE FROM sprav WHERE f = 'Жужелица' AND id % 2 = 0"));
    if (test.engine() == Engine::SQLite) {
        Sql::run(db,
                 QStringLiteral("REPLACE INTO sprav (id, f, io) "
                                "SELECT id, 'Заменённая', 'Запись' FROM sprav WHERE id % 13 = 6"));
        Sql::run(db, QStringLiteral("INSERT INTO sprav (id, f) VALUES (900001, 'Устаревшая'), "
                                    "(900002, 'Сменщица')"));
        Sql::run(db, QStringLiteral("UPDATE OR REPLACE sprav SET id = 900001 WHERE id = 900002"));
        // Both replaced and holding a letter FTS5 folds otherwise: found once.
        Sql::run(db, QStringLiteral("INSERT INTO sprav (id, f) VALUES (900003, 'Ståle')"));
        Sql::run(db, QStringLiteral("REPLACE INTO sprav (id, f) VALUES (900003, 'Ståle Смена')"));
    }
    check({QStringLiteral("жужел"), QStringLiteral("заменённ"), QStringLiteral("ЗАПИС"),
           QStringLiteral("устаревш"), QStringLiteral("сменщиц"), QStringLiteral("смена")});
}

void TestSearchIndex::builtForExistingDatabase()
{
    TestDatabase test;
    QSqlDatabase db = test.db();
    // Throw away what opening made, and make the tables as an older program did.
    if (test.engine() == Engine::PostgreSQL) {
        Sql::run(db, QStringLiteral("DROP SCHEMA public CASCADE"));
        Sql::run(db, QStringLiteral("CREATE SCHEMA public"));
    } else {
        for (const char* name : {"sprav_fts", "sprav", "phone", "notes", "city", "prof", "users"})
            Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(name)));
    }
    const QString key = test.engine() == Engine::PostgreSQL
                            ? QStringLiteral("id SERIAL PRIMARY KEY")
                            : QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT");
    Sql::run(db, QStringLiteral("CREATE TABLE sprav (%1, f TEXT, io TEXT, profid INTEGER, "
                                "shortpp TEXT, longpp TEXT, legaladdress TEXT, postaddress TEXT, "
                                "fizaddress TEXT, homeaddress TEXT, cityid INTEGER, path TEXT, "
                                "email TEXT, www TEXT, birthday TEXT, spfio TEXT, spbirthday TEXT, "
                                "spInfo TEXT, otherphones TEXT, info TEXT, req TEXT, owns TEXT, "
                                "hided TEXT)")
                     .arg(key));
    Sql::run(db, QStringLiteral("CREATE TABLE phone (parentid INTEGER, phone TEXT, noteid INTEGER, "
                                "hid %1)")
                     .arg(test.engine() == Engine::PostgreSQL ? QStringLiteral("BOOLEAN")
                                                              : QStringLiteral("INTEGER")));
    Sql::run(db, QStringLiteral("CREATE TABLE notes (id INTEGER PRIMARY KEY, note TEXT)"));
    Sql::run(db, QStringLiteral("CREATE TABLE city (%1, cityname TEXT, citycode TEXT)").arg(key));
    Sql::run(db, QStringLiteral("CREATE TABLE prof (%1, proftitle TEXT)").arg(key));
    Sql::run(db, QStringLiteral("CREATE TABLE users (%1, log TEXT, pass TEXT)").arg(key));
    DataGenerator(5, true).fill(db, 1500);
    QVERIFY(!SearchIndex::indexed(db));

    const auto again = test.connectAgain(QStringLiteral("again"));
    compareSearches(again->db(), searchTexts(allRows(again->db()), 100));
}

void TestSearchIndex::olderIndexServesUntilMadeAnew()
{
    TestDatabase test;
    if (test.engine() != Engine::SQLite)
        QSKIP("PostgreSQL's indexes did not change");
    const QSqlDatabase db = test.db();
    DataGenerator(17).fill(db, 400);
    // The index as an earlier version made it: trigrams without positions.
    for (const char* statement :
         {"DROP TRIGGER sprav_fts_replace_insert", "DROP TRIGGER sprav_fts_replace_update",
          "DROP TABLE sprav_fts_stale", "DROP INDEX sprav_fts_inexact", "DROP TABLE sprav_fts",
          "CREATE VIRTUAL TABLE sprav_fts USING fts5(f, io, shortpp, longpp, content='', "
          "columnsize=0, detail=none, tokenize='trigram case_sensitive 0')",
          "INSERT INTO sprav_fts (rowid, f, io, shortpp, longpp) SELECT id, "
          "replace(replace(f, 'Ё', 'Е'), 'ё', 'е'), replace(replace(io, 'Ё', 'Е'), 'ё', 'е'), "
          "replace(replace(shortpp, 'Ё', 'Е'), 'ё', 'е'), "
          "replace(replace(longpp, 'Ё', 'Е'), 'ё', 'е') FROM sprav"})
        Sql::run(db, QString::fromUtf8(statement));
    const QStringList texts = searchTexts(allRows(db), 40);
    // Used for its candidates, never alone...
    QCOMPARE(compareSearches(db, texts), 0);
    // ... until the next opening makes it anew.
    const auto again = test.connectAgain(QStringLiteral("again"));
    QVERIFY(compareSearches(again->db(), texts) > 20);
}

void TestSearchIndex::rebuiltWhenTriggerMissing()
{
    TestDatabase test;
    if (test.engine() != Engine::SQLite)
        QSKIP("PostgreSQL's indexes need no triggers");
    const QSqlDatabase db = test.db();
    DataGenerator(9).fill(db, 500);
    // Changes made while a trigger was missing leave the index behind, so
    // it is not used until it is built anew...
    Sql::run(db, QStringLiteral("DROP TRIGGER sprav_fts_update"));
    Sql::run(db, QStringLiteral("UPDATE sprav SET f = 'Гиппопотамов' WHERE id % 10 = 0"));
    const QString text = QStringLiteral("ппопот");
    QCOMPARE(SearchIndex::condition(db), SearchIndex::plainCondition());
    QVERIFY(!idsWhere(db, SearchIndex::plainCondition(), text).isEmpty());
    // ... and opening the database builds it anew.
    const auto again = test.connectAgain(QStringLiteral("again"));
    compareSearches(again->db(), {text, QStringLiteral("Гиппо")});
    QSqlQuery trigger = Sql::run(again->db(), QStringLiteral("SELECT 1 FROM sqlite_master "
                                                             "WHERE name = 'sprav_fts_update'"));
    QVERIFY(trigger.next());
}

void TestSearchIndex::builtInStepsWhileRecordsChange()
{
    TestDatabase test;
    if (test.engine() != Engine::SQLite)
        QSKIP("PostgreSQL builds its indexes itself");
    DataGenerator(13, true).fill(test.db(), 600);
    const auto other = test.connectAgain(QStringLiteral("other"));
    Sql::run(test.db(), QStringLiteral("DROP TRIGGER sprav_fts_update"));

    // Between the steps of the build another copy changes records on both
    // sides of the build's progress; after a few steps the program ends.
    // Compacting, in steps too, ends although records keep coming.
    int step = 0;
    SearchIndexBuild::Pace pace{40, 0, 2, 0, {}};
    pace.betweenSteps = [&] {
        const QSqlDatabase db = other->db();
        if (++step > 500)
            throw DbError(QStringLiteral("the steps do not end"));
        Sql::run(db, QStringLiteral("UPDATE sprav SET f = 'Жужелица' WHERE id % 37 = :step"),
                 {{"step", step}});
        Sql::run(db,
                 QStringLiteral("UPDATE sprav SET id = id + 100000 * :step "
                                "WHERE id % 61 = :step AND id < 100000"),
                 {{"step", step}});
        Sql::run(db, QStringLiteral("DELETE FROM sprav WHERE id % 53 = :step"), {{"step", step}});
        Sql::run(db, QStringLiteral("INSERT INTO sprav (f, io) VALUES ('Новиков', :step)"),
                 {{"step", step}});
        if (step == 5)
            throw DbError(QStringLiteral("the program ends"));
    };
    SearchIndexBuild::setBuildPace(pace);
    QVERIFY_THROWS_EXCEPTION(DbError, test.connectAgain(QStringLiteral("ended")));
    QVERIFY(!SearchIndex::indexed(test.db())); // the plain test until it is complete

    // The next start takes the build up where it stood.
    const auto again = test.connectAgain(QStringLiteral("again"));
    SearchIndexBuild::setBuildPace({});
    QVERIFY(step > 6);
    compareSearches(again->db(), searchTexts(allRows(again->db()), 60) +
                                     QStringList{QStringLiteral("жужел"), QStringLiteral("Новик")});
    Sql::run(again->db(),
             QStringLiteral("INSERT INTO sprav_fts (sprav_fts) VALUES ('integrity-check')"));
}

void TestSearchIndex::plainWithoutExtensionRights()
{
    if (!TestDatabase::wantsPostgres())
        QSKIP("only PostgreSQL needs rights for its index");
    TestDatabase test;
    // A user who may create tables but not extensions, in a database of its own.
    const QString role = QStringLiteral("sprav_limited_%1").arg(QCoreApplication::applicationPid());
    Sql::run(test.db(), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(role));
    Sql::run(test.db(), QStringLiteral("DROP ROLE IF EXISTS %1").arg(role));
    Sql::run(test.db(), QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
    Sql::run(test.db(), QStringLiteral("CREATE DATABASE %1").arg(role));
    DataLink link = test.link();
    link.catalog = role;
    {
        QSqlDatabase admin =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        admin.setHostName(link.dataSource);
        admin.setPort(link.port);
        admin.setUserName(link.user);
        admin.setDatabaseName(role);
        QVERIFY(admin.open());
        Sql::run(admin, QStringLiteral("GRANT CREATE ON SCHEMA public TO %1").arg(role));
        admin.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    link.user = role;
    {
        Database limited(link, QStringLiteral("limited"));
        QVERIFY(!SearchIndex::indexed(limited.db()));
        QCOMPARE(SearchIndex::condition(limited.db()), SearchIndex::plainCondition());
        DataGenerator(2, true).fill(limited.db(), 300);
        const QList<Row> rows = allRows(limited.db());
        for (const QString& text : searchTexts(rows, 30)) {
            const Ids got = idsWhere(limited.db(), SearchIndex::condition(limited.db()), text);
            const Ids wanted = idsWhere(limited.db(), SearchIndex::plainCondition(), text);
            QCOMPARE(got, wanted);
        }
    }
    Sql::run(test.db(), QStringLiteral("DROP DATABASE %1").arg(role));
    Sql::run(test.db(), QStringLiteral("DROP ROLE %1").arg(role));
}

QTEST_GUILESS_MAIN(TestSearchIndex)
#include "tst_searchindex.moc"
