// SPDX-License-Identifier: MIT
#pragma once

#include "db/DatabaseCopy.h"

#include <QSqlDatabase>
#include <QString>
#include <memory>

class Database;

// Backups of the directory: SQLite files that the program itself opens
// ("Provider=SQLite;Data Source=backup.db"), so a backup can be looked into
// like any directory.
class Backup
{
public:
    // Writes a consistent copy of the database while other copies go on
    // working: an SQLite database through SQLite's online backup, a
    // PostgreSQL one read as one snapshot into a new SQLite file. The copy is
    // written to a new file beside `file`, which takes its name only when it
    // is complete; an earlier file of that name is replaced then. Throws
    // DbError; `file` is untouched on failure.
    static DatabaseCopy::Counts write(const QSqlDatabase& db, const QString& file);

    // Opens a backup only to be read. Throws DbError for a missing file, one
    // that is no directory of this program, and a damaged or cut-off one.
    static std::unique_ptr<Database> open(const QString& file, const QString& connectionName);
};
