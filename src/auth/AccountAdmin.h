// SPDX-License-Identifier: MIT
#pragma once

#include "common/DbError.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// A command on the accounts that was refused: the text tells why, in
// Russian, and nothing was written.
class AccountRefused : public DbError
{
public:
    using DbError::DbError;
};

// The admin's work on the program's accounts, done without signing in:
// whoever can reach the database looks after it. Names are found in any
// letter case, as at sign-in; each change runs in one transaction. Throws
// AccountRefused for what cannot be done and DbError when a statement fails.
class AccountAdmin
{
public:
    explicit AccountAdmin(const QSqlDatabase& db);

    struct User {
        QString name;
        bool hashed = false; // false: a password an older program kept in plain text
    };
    // Every account, by name. The database keeps no time of the last sign-in.
    QList<User> users() const;

    // Stores the new password's hash; gives the name as stored.
    QString resetPassword(const QString& name, const QString& password) const;

    // The new name also takes the old one's place in the permitted users of
    // every record and of the history, so nobody loses access; the changed
    // records get a new revision, so an editor open elsewhere does not write
    // the old name back.
    struct Renamed {
        QString from; // as stored
        int records = 0;
        int history = 0;
    };
    Renamed rename(const QString& oldName, const QString& newName) const;

    // Removes an account. Refused while records name the user as their only
    // permitted user, unless `force`: their privacy then keeps the name, so
    // what they hide stays hidden from everybody else. Records that also
    // permit others lose the name.
    struct Removed {
        QString name;      // as stored
        int keptIn = 0;    // records that permitted the user alone
        int droppedIn = 0; // records that permit others as well
    };
    Removed remove(const QString& name, bool force) const;

    // Why a name cannot be an account's, or empty when it can: the rules of
    // registration.
    static QString nameProblem(const QString& name);

private:
    QString stored(const QString& name) const;

    QSqlDatabase m_db;
};
