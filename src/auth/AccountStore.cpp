// SPDX-License-Identifier: MIT
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "common/DbError.h"
#include "db/Database.h"
#include "db/ServerLock.h"
#include "db/Sql.h"

#include <optional>

namespace
{

// SQLSTATE of a row that a unique index refused.
const char* const uniqueViolation = "23505";

struct Row {
    qint64 id = 0;
    QString log;
    QString pass;
};

// The row of a name typed in any letter case. Should an older database hold
// the name in several spellings, the exact one wins, else the oldest row.
std::optional<Row> findUser(const QSqlDatabase& db, const QString& name)
{
    QSqlQuery query = Sql::run(db,
                               QStringLiteral("SELECT id, log, pass FROM users "
                                              "WHERE ulower(log) = ulower(:log) ORDER BY id"),
                               {{"log", name}});
    std::optional<Row> found;
    while (query.next()) {
        Row row{query.value(0).toLongLong(), Sql::text(query, 1), Sql::text(query, 2)};
        if (row.log == name)
            return row;
        if (!found)
            found = row;
    }
    return found;
}

} // namespace

AccountStore::AccountStore(const QSqlDatabase& db) : m_db(db) {}

AccountStore::Login AccountStore::login(const QString& name, const QString& password) const
{
    const std::optional<Row> row = findUser(m_db, name);
    if (!row)
        return {Outcome::Unknown, QString()};
    if (!passwordMatches(row->pass, password))
        return {Outcome::WrongPassword, QString()};
    // A database that can only be read keeps the plain password until later.
    if (!PasswordHash::isHash(row->pass) && !Database::isReadOnly(m_db))
        Sql::run(m_db, QStringLiteral("UPDATE users SET pass = :pass WHERE id = :id"),
                 {{"pass", PasswordHash::make(password)}, {"id", row->id}});
    return {Outcome::Accepted, row->log};
}

bool AccountStore::passwordMatches(const QString& stored, const QString& password)
{
    // A hash is only ever verified, never compared as text: whoever reads the
    // table must not be able to sign in by typing the hash itself.
    if (PasswordHash::isHash(stored))
        return PasswordHash::verify(stored, password);
    return stored == password;
}

std::optional<AccountStore::Account> AccountStore::account(const QString& name) const
{
    const std::optional<Row> row = findUser(m_db, name);
    if (!row)
        return std::nullopt;
    return Account{row->log, row->pass};
}

bool AccountStore::exists(const QString& name) const
{
    return findUser(m_db, name).has_value();
}

QString AccountStore::storedName(const QString& name) const
{
    const std::optional<Row> row = findUser(m_db, name);
    return row ? row->log : QString();
}

bool AccountStore::registerUser(const QString& name, const QString& password) const
{
    const QString hash = PasswordHash::make(password);
    Sql::Transaction transaction(m_db);
    // Copies registering at the same moment take turns, so that the second
    // one's check sees the first one's row.
    ServerLock::forTransaction(m_db, ServerLock::Purpose::Registration);
    if (exists(name))
        return false;
    try {
        Sql::run(m_db, QStringLiteral("INSERT INTO users (log, pass) VALUES (:log, :pass)"),
                 {{"log", name}, {"pass", hash}});
    } catch (const DbError& e) {
        // The database's unique index refused it: registered meanwhile by a
        // program that does not take turns.
        if (e.code() == QLatin1String(uniqueViolation))
            return false;
        throw;
    }
    transaction.commit();
    return true;
}
