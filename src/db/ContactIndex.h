// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

// Finds the records that own a phone with a typed number, or an e-mail address
// containing a typed text, never by a phone or e-mail hidden from the user
// (the listing binds the user with Visibility::bindUser).
//
// A phone matches by its digits alone (phonedigits(), Database registers it
// on SQLite): the digits of the whole stored text count, so "512-34-56 доб. 12"
// has the digits 512345612. The typed digits match when they occur in the
// stored digits, or when the last seven of them equal the stored digits' last
// seven (a full number with country and city code finds a phone stored
// without them). An extension's digits therefore count as part of the number:
// the local number finds such a phone, typed with or without the extension,
// but a full number with city code finds it only when it was stored with the
// city code too.
//
// As with the name search, the condition always ends in the exact test; an
// index inside the database only narrows the rows it looks at:
// - SQLite: FTS5 trigram tables, `phone_fts` with one row per record holding
//   the digits of its phones (kept by triggers on `phone`), and `sprav_mail_fts`
//   over the e-mail addresses (kept by triggers on `sprav`);
// - PostgreSQL: pg_trgm GIN indexes on phonedigits(phone) and on the lower-cased
//   e-mail addresses, used through LIKE.
class ContactIndex
{
public:
    // Fewer digits than this and a typed number is a name.
    static constexpr int MinDigits = 4;
    // Trailing digits that identify a number without its codes.
    static constexpr int LocalDigits = 7;

    // Creates the indexes and their triggers where missing or outdated and
    // builds them from the stored data then. Called by Schema::ensure, inside
    // a transaction.
    static void ensure(const QSqlDatabase& db);
    // Whether ensure() would find everything in place; only reads.
    static bool current(const QSqlDatabase& db);
    // PostgreSQL, for tables other copies are writing: phonedigits() alone,
    // and the GIN indexes (name, rest of the CREATE INDEX statement) that
    // Schema then builds concurrently.
    static void ensurePostgresFunction(const QSqlDatabase& db);
    static QList<QPair<QString, QString>> postgresIndexes();

    // The digits 0 to 9 of a text, as phonedigits() gives them.
    static QString digitsOf(const QString& text);

    // Conditions on `sprav` for the number or the e-mail text bound by
    // bindPhone() or bindEmail().
    static QString phoneCondition(const QSqlDatabase& db);
    static QString plainPhoneCondition();
    static void bindPhone(QSqlQuery& query, const QString& typed);

    static QString emailCondition(const QSqlDatabase& db);
    static QString plainEmailCondition();
    static void bindEmail(QSqlQuery& query, const QString& typed);
};
