// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

// The program's user accounts in `users`. Names are found ignoring letter
// case for every alphabet; passwords are kept as salted hashes. Every method
// throws DbError when a statement fails, and PasswordHashError, having written
// nothing, when a password cannot be hashed.
class AccountStore
{
public:
    explicit AccountStore(const QSqlDatabase& db);

    enum class Outcome { Unknown, WrongPassword, Accepted };
    struct Login {
        Outcome outcome = Outcome::Unknown;
        QString user; // the name as stored, when accepted
    };

    // Checks a name and a password. A password still kept in plain text is
    // accepted when equal, and replaced by its hash at that login.
    Login login(const QString& name, const QString& password) const;

    // Adds a user with the hashed password; name and password are kept as
    // typed. Returns false, writing nothing, when the name exists in any
    // letter case.
    bool registerUser(const QString& name, const QString& password) const;

    // The name as stored and the stored password text of a name typed in any
    // letter case, for a service that checks the password on a thread of
    // its own (passwordMatches); nothing when there is no such user.
    struct Account {
        QString user;
        QString pass;
    };
    std::optional<Account> account(const QString& name) const;
    // Whether the password is the stored one: a hash is verified, a password
    // kept in plain text compared. Touches no database.
    static bool passwordMatches(const QString& stored, const QString& password);

    bool exists(const QString& name) const;
    // The name as stored for a name typed in any letter case; empty when
    // there is no such user.
    QString storedName(const QString& name) const;

private:
    QSqlDatabase m_db;
};
