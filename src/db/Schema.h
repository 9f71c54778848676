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

    // Names of the phone kinds 1 to 6, as stored in `notes`.
    static const QStringList& phoneKinds();
};
