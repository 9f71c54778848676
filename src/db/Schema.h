// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QStringList>

// Creates what the program needs in a database that lacks it: the tables with
// their columns in the order the program reads them, the six phone kinds, the
// functions the statements use, and the indexes. Existing data is kept.
class Schema
{
public:
    static void ensure(const QSqlDatabase& db);

    // History newer than historyDays days, or the last historyVersions
    // versions of a record, whichever is more, is kept; the rest is removed
    // at start-up.
    static constexpr int historyDays = 90;
    static constexpr int historyVersions = 50;
    static void trimHistory(const QSqlDatabase& db);

    // Names of the phone kinds 1 to 6 ("Рабочий").
    static const QStringList& phoneKinds();
    // A kind's name as a new database stores it in `notes` and as it leads
    // its number in the phones column: "Рабочий: ", so that the column reads
    // "Рабочий: 535-28-34; ". A database that has its rows keeps them.
    static QString phoneKindNote(int kind);
};
