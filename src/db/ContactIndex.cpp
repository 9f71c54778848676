// SPDX-License-Identifier: MIT
#include "db/ContactIndex.h"
#include "common/DbError.h"
#include "db/Database.h"
#include "db/SearchIndex.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QMap>
#include <QSqlDriver>
#include <QSqlQuery>

namespace
{

bool isPostgres(const QSqlQuery& query)
{
    return query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

// The digits an index is asked for: a number's last seven, which every
// matching phone holds, or all of a shorter one.
QString indexedDigits(const QString& digits)
{
    return digits.right(ContactIndex::LocalDigits);
}

// ---- SQLite -----------------------------------------------------------------

// The phone_fts row of one record: the digits of its phones, blank between.
QString phoneRow(const QString& prefix)
{
    return QStringLiteral("DELETE FROM phone_fts WHERE rowid = %1parentid; "
                          "INSERT INTO phone_fts (rowid, digits) SELECT parentid, "
                          "group_concat(phonedigits(phone), ' ') FROM phone "
                          "WHERE parentid = %1parentid GROUP BY parentid;")
        .arg(prefix);
}

QString mailValue(const QString& prefix)
{
    return QStringLiteral("replace(%1email, '\u0130', 'i\u0307')").arg(prefix);
}

QString mailInsert(const QString& prefix)
{
    return QStringLiteral("INSERT INTO sprav_mail_fts (rowid, email) VALUES (%1id, %2);")
        .arg(prefix, mailValue(prefix));
}

QString mailDelete(const QString& prefix)
{
    return QStringLiteral("INSERT INTO sprav_mail_fts (sprav_mail_fts, rowid, email) "
                          "VALUES ('delete', %1id, %2);")
        .arg(prefix, mailValue(prefix));
}

QMap<QString, QString> sqliteObjects()
{
    const QString newRow = QStringLiteral("new.");
    const QString oldRow = QStringLiteral("old.");
    return {
        {QStringLiteral("phone_fts"),
         QStringLiteral("CREATE VIRTUAL TABLE phone_fts USING fts5(digits, columnsize=0, "
                        "detail=none, tokenize='trigram')")},
        {QStringLiteral("phone_fts_insert"),
         QStringLiteral("CREATE TRIGGER phone_fts_insert AFTER INSERT ON phone BEGIN %1 END")
             .arg(phoneRow(newRow))},
        {QStringLiteral("phone_fts_delete"),
         QStringLiteral("CREATE TRIGGER phone_fts_delete AFTER DELETE ON phone BEGIN %1 END")
             .arg(phoneRow(oldRow))},
        {QStringLiteral("phone_fts_update"),
         QStringLiteral("CREATE TRIGGER phone_fts_update AFTER UPDATE OF parentid, phone ON phone "
                        "BEGIN %1 %2 END")
             .arg(phoneRow(oldRow), phoneRow(newRow))},
        {QStringLiteral("sprav_mail_fts"),
         QStringLiteral("CREATE VIRTUAL TABLE sprav_mail_fts USING fts5(email, content='', "
                        "columnsize=0, detail=none, tokenize='trigram case_sensitive 0')")},
        {QStringLiteral("sprav_mail_fts_insert"),
         QStringLiteral("CREATE TRIGGER sprav_mail_fts_insert AFTER INSERT ON sprav BEGIN %1 END")
             .arg(mailInsert(newRow))},
        {QStringLiteral("sprav_mail_fts_delete"),
         QStringLiteral("CREATE TRIGGER sprav_mail_fts_delete AFTER DELETE ON sprav BEGIN %1 END")
             .arg(mailDelete(oldRow))},
        {QStringLiteral("sprav_mail_fts_update"),
         QStringLiteral("CREATE TRIGGER sprav_mail_fts_update AFTER UPDATE OF id, email ON sprav "
                        "BEGIN %1 %2 END")
             .arg(mailDelete(oldRow), mailInsert(newRow))},
    };
}

const QStringList sqliteTables = {QStringLiteral("phone_fts"), QStringLiteral("sprav_mail_fts")};

bool sqliteCurrent(const QSqlDatabase& db, const QMap<QString, QString>& wanted)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type IN "
                                              "('table', 'trigger') AND (name LIKE 'phone_fts%' "
                                              "OR name LIKE 'sprav_mail_fts%')"));
    int found = 0;
    while (q.next()) {
        const QString name = q.value(0).toString();
        if (!wanted.contains(name))
            continue; // the tables FTS5 keeps for itself
        if (wanted.value(name) != q.value(1).toString())
            return false;
        ++found;
    }
    return found == wanted.size();
}

bool sqliteIndexed(const QSqlDatabase& db)
{
    QSqlQuery q =
        Sql::run(db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                    "'table' AND name IN ('phone_fts', 'sprav_mail_fts')"));
    return q.next() && q.value(0).toInt() == 2;
}

void ensureSqlite(const QSqlDatabase& db)
{
    const QMap<QString, QString> wanted = sqliteObjects();
    if (sqliteCurrent(db, wanted))
        return;
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (!sqliteTables.contains(it.key()))
            Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(it.key()));
    }
    for (const QString& table : sqliteTables)
        Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
    try {
        for (const QString& table : sqliteTables)
            Sql::run(db, wanted.value(table));
    } catch (const DbError&) {
        for (const QString& table : sqliteTables)
            Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
        return; // no FTS5 or no trigram tokenizer: the plain tests
    }
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it) {
        if (!sqliteTables.contains(it.key()))
            Sql::run(db, it.value());
    }
    Sql::run(db, QStringLiteral("INSERT INTO phone_fts (rowid, digits) SELECT parentid, "
                                "group_concat(phonedigits(phone), ' ') FROM phone "
                                "WHERE parentid IS NOT NULL GROUP BY parentid"));
    Sql::run(db, QStringLiteral("INSERT INTO sprav_mail_fts (rowid, email) SELECT id, %1 "
                                "FROM sprav")
                     .arg(mailValue(QString())));
}

// ---- PostgreSQL -------------------------------------------------------------

const QString phoneDigitsBody =
    QStringLiteral("SELECT regexp_replace(coalesce($1, ''), '[^0-9]+', '', 'g')");

const QString loweredEmail = QStringLiteral("ulower(coalesce(sprav.email, ''))");

const QString phoneDigitsIndex =
    QStringLiteral("ON phone USING gin (phonedigits(phone) gin_trgm_ops)");
const QString emailIndex =
    QStringLiteral("ON sprav USING gin (ulower(coalesce(email, '')) gin_trgm_ops)");

void ensurePhoneDigits(const QSqlDatabase& db)
{
    Sql::run(db, QStringLiteral("CREATE OR REPLACE FUNCTION phonedigits(text) RETURNS text "
                                "LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $sprav$%1$sprav$")
                     .arg(phoneDigitsBody));
}

// phonedigits() as this program writes it, and the indexes valid unless
// pg_trgm is missing.
bool postgresCurrent(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(
        db,
        QStringLiteral(
            "SELECT (SELECT prosrc FROM pg_proc WHERE proname = 'phonedigits' AND pronamespace = "
            "(SELECT oid FROM pg_namespace WHERE nspname = current_schema())) = :body AND "
            "(NOT EXISTS (SELECT 1 FROM pg_extension WHERE extname = 'pg_trgm') OR "
            "(SELECT count(*) FROM pg_index WHERE indisvalid AND indexrelid IN "
            "(to_regclass('phone_digits_trgm'), to_regclass('sprav_email_trgm'))) = 2)"),
        {{"body", phoneDigitsBody}});
    return q.next() && q.value(0).toBool();
}

bool postgresIndexed(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT to_regclass('phone_digits_trgm') IS NOT NULL "
                                              "AND to_regclass('sprav_email_trgm') IS NOT NULL"));
    return q.next() && q.value(0).toBool();
}

void ensurePostgres(const QSqlDatabase& db)
{
    ensurePhoneDigits(db);
    // As for the name search: without the right to create pg_trgm, the plain
    // tests, and the schema's transaction goes on.
    Sql::run(db, QStringLiteral("SAVEPOINT sprav_contact_index"));
    try {
        Sql::run(db, QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"));
        Sql::run(db, QStringLiteral("CREATE INDEX IF NOT EXISTS phone_digits_trgm %1")
                         .arg(phoneDigitsIndex));
        Sql::run(db,
                 QStringLiteral("CREATE INDEX IF NOT EXISTS sprav_email_trgm %1").arg(emailIndex));
        Sql::run(db, QStringLiteral("RELEASE SAVEPOINT sprav_contact_index"));
    } catch (const DbError&) {
        Sql::run(db, QStringLiteral("ROLLBACK TO SAVEPOINT sprav_contact_index"));
        Sql::run(db, QStringLiteral("RELEASE SAVEPOINT sprav_contact_index"));
    }
}

bool indexed(const QSqlDatabase& db)
{
    return Database::engineOf(db) == Engine::PostgreSQL ? postgresIndexed(db) : sqliteIndexed(db);
}

} // namespace

bool ContactIndex::current(const QSqlDatabase& db)
{
    return Database::engineOf(db) == Engine::PostgreSQL ? postgresCurrent(db)
                                                        : sqliteCurrent(db, sqliteObjects());
}

void ContactIndex::ensurePostgresFunction(const QSqlDatabase& db)
{
    ensurePhoneDigits(db);
}

QList<QPair<QString, QString>> ContactIndex::postgresIndexes()
{
    return {{QStringLiteral("phone_digits_trgm"), phoneDigitsIndex},
            {QStringLiteral("sprav_email_trgm"), emailIndex}};
}

void ContactIndex::ensure(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::PostgreSQL)
        ensurePostgres(db);
    else
        ensureSqlite(db);
}

QString ContactIndex::digitsOf(const QString& text)
{
    QString digits;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            digits += c;
    }
    return digits;
}

QString ContactIndex::plainPhoneCondition()
{
    const QString digits = QStringLiteral("phonedigits(phone.phone)");
    return QStringLiteral("EXISTS (SELECT 1 FROM phone WHERE phone.parentid = sprav.id AND "
                          "(instr(%1, :phonedigits) > 0 OR (length(%1) >= %2 AND "
                          "substr(%1, length(%1) - %3) = :phonetail)) AND %4)")
        .arg(digits)
        .arg(LocalDigits)
        .arg(LocalDigits - 1)
        .arg(Visibility::PhoneVisibleCondition());
}

QString ContactIndex::phoneCondition(const QSqlDatabase& db)
{
    if (!indexed(db))
        return plainPhoneCondition();
    if (Database::engineOf(db) == Engine::PostgreSQL)
        return QStringLiteral("(sprav.id IN (SELECT phone.parentid FROM phone WHERE "
                              "phonedigits(phone.phone) LIKE :phonepattern) AND %1)")
            .arg(plainPhoneCondition());
    return QStringLiteral("(sprav.id IN (SELECT rowid FROM phone_fts WHERE phone_fts MATCH "
                          ":phonefts) AND %1)")
        .arg(plainPhoneCondition());
}

void ContactIndex::bindPhone(QSqlQuery& query, const QString& typed)
{
    const QString digits = digitsOf(typed);
    query.bindValue(QStringLiteral(":phonedigits"), digits);
    // A shorter number matches by containment alone.
    query.bindValue(QStringLiteral(":phonetail"),
                    digits.size() >= LocalDigits ? digits.right(LocalDigits) : QString());
    if (isPostgres(query)) {
        query.bindValue(QStringLiteral(":phonepattern"),
                        QLatin1Char('%') + indexedDigits(digits) + QLatin1Char('%'));
        return;
    }
    const QString fts = SearchIndex::trigramQuery(indexedDigits(digits));
    query.bindValue(QStringLiteral(":phonefts"), fts.isEmpty() ? QStringLiteral("\"\"") : fts);
}

QString ContactIndex::plainEmailCondition()
{
    return QStringLiteral("(instr(%1, :emailneedle) > 0 AND %2)")
        .arg(loweredEmail, Visibility::EmailVisibleCondition());
}

QString ContactIndex::emailCondition(const QSqlDatabase& db)
{
    if (!indexed(db))
        return plainEmailCondition();
    if (Database::engineOf(db) == Engine::PostgreSQL)
        return QStringLiteral("(%1 LIKE :emailpattern AND %2)")
            .arg(loweredEmail, plainEmailCondition());
    // Every record goes to the exact test when the text offers no trigram.
    return QStringLiteral("(sprav.id IN (SELECT rowid FROM sprav_mail_fts WHERE sprav_mail_fts "
                          "MATCH :emailfts UNION ALL SELECT id FROM sprav WHERE :emailall) AND %1)")
        .arg(plainEmailCondition());
}

void ContactIndex::bindEmail(QSqlQuery& query, const QString& typed)
{
    const QString needle = Database::fold(typed);
    query.bindValue(QStringLiteral(":emailneedle"), needle);
    if (isPostgres(query)) {
        query.bindValue(QStringLiteral(":emailpattern"), SearchIndex::likePattern(needle));
        return;
    }
    const QString fts = SearchIndex::trigramQuery(needle);
    query.bindValue(QStringLiteral(":emailfts"), fts.isEmpty() ? QStringLiteral("\"\"") : fts);
    query.bindValue(QStringLiteral(":emailall"), fts.isEmpty() ? 1 : 0);
}
