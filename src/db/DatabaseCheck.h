// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// What is wrong with a directory database, found by reading only: SQLite's
// own integrity check, phones of no record, and the tables the program
// derives from the records (name order, the lists' names, on SQLite the
// number index) out of step with them. The search and e-mail indexes keep no
// text of their own to compare; repair() makes them anew with the others
// from the records, and removes the phones of no record.
class DatabaseCheck
{
public:
    struct Finding {
        QString what; // in Russian, for the admin
        qint64 count = 0;
    };

    explicit DatabaseCheck(const QSqlDatabase& db);

    // Nothing when all is well. Throws DbError.
    QList<Finding> run() const;
    // In one transaction. Throws DbError.
    void repair() const;

private:
    QSqlDatabase m_db;
};
