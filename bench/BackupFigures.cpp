// SPDX-License-Identifier: MIT
#include "BackupFigures.h"
#include "db/Backup.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"

#include <QFileInfo>
#include <QTemporaryDir>

BackupFigures::Result BackupFigures::run(const QSqlDatabase& db, int runs,
                                         const std::optional<DataLink>& emptyPg)
{
    Result result;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("backup.db"));
    result.backup = Measure::run(runs, [&] { result.records = Backup::write(db, file).records; });
    result.backupMb = double(QFileInfo(file).size()) / (1024 * 1024);

    const auto backup = Backup::open(file, QStringLiteral("bench-backup"));
    DataLink empty;
    empty.dataSource = dir.filePath(QStringLiteral("restored.db"));
    {
        Database restored(empty, QStringLiteral("bench-restored"));
        result.restoreMs =
            Measure::once([&] { DatabaseCopy::copy(backup->db(), restored.db(), false); });
    }
    if (emptyPg) {
        Database pg(*emptyPg, QStringLiteral("bench-copy-to-pg"));
        result.copyToPgMs =
            Measure::once([&] { DatabaseCopy::copy(backup->db(), pg.db(), false); });
    }
    return result;
}
