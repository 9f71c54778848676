// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"
#include "db/DataLink.h"

#include <QSqlDatabase>
#include <optional>

// An admin's commands on the whole directory: a backup of the bench's
// database, the backup restored into an empty SQLite database, and (given a
// PostgreSQL database made empty for it) the backup copied there, as a book
// moves from one workstation's SQLite file to PostgreSQL.
class BackupFigures
{
public:
    struct Result {
        qint64 records = 0;
        double backupMb = 0;
        Measure::Figures backup;
        double restoreMs = 0;
        std::optional<double> copyToPgMs;
    };
    static Result run(const QSqlDatabase& db, int runs, const std::optional<DataLink>& emptyPg);
};
