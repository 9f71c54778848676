// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>

// The listings done the straightforward way, for comparison: the plain
// containment test with no index's help, and one phone statement per listed
// record. On a database without helper indexes a full listing takes minutes,
// so a run stops after a time budget and extrapolates from the records done.
class NaiveListings
{
public:
    NaiveListings(const QSqlDatabase& db, const QString& user, double budgetMs);

    struct Estimate {
        double milliseconds = 0; // for the whole listing
        qint64 records = 0;      // records the listing holds
        qint64 measured = 0;     // records whose phones were fetched within the budget
    };

    Estimate search(const QString& text);
    Estimate allRecords();

    // Drops the indexes that the listings rely on (not the search index,
    // which the plain test does not use).
    static void dropHelperIndexes(const QSqlDatabase& db);

private:
    Estimate run(const QString& statement, const QString& text);

    QSqlDatabase m_db;
    QString m_user;
    double m_budgetMs;
};
