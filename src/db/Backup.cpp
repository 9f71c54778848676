// SPDX-License-Identifier: MIT
#include "db/Backup.h"
#include "common/DbError.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/SqliteFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>

namespace
{

QString shown(const QString& file)
{
    return QDir::toNativeSeparators(file);
}

// SQLite's online backup of the connection's database into the empty file
// at `target`, in one step: the source is read as one snapshot, which in WAL
// mode lets the writers of other copies go on. A source locked by a writer
// (a rollback journal in a network folder) is tried again for a while.
void onlineBackup(const QSqlDatabase& db, const QString& target)
{
    sqlite3* source = SqliteFile::handle(db.driver());
    sqlite3* copy = nullptr;
    if (!source)
        throw DbError(QStringLiteral("Нет доступа к соединению SQLite."));
    const auto failed = [&](sqlite3* handle) {
        const QString text = QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_close(copy);
        return DbError(
            QStringLiteral("Не удалось записать копию %1:\n%2").arg(shown(target), text));
    };
    if (sqlite3_open_v2(target.toUtf8().constData(), &copy,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw failed(copy);
    sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source, "main");
    if (!backup)
        throw failed(copy);
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < 100; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(100);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw failed(copy);
    // One file, without a write-ahead log beside it.
    if (sqlite3_exec(copy, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw failed(copy);
    sqlite3_close(copy);
}

// A PostgreSQL directory into the empty file at `target`: the program makes
// its schema there, then the rows come across in one snapshot.
void snapshotCopy(const QSqlDatabase& db, const QString& target)
{
    DataLink link;
    link.dataSource = target;
    Database copy(link, QStringLiteral("sprav-backup-target"));
    DatabaseCopy::copy(db, copy.db(), false);
    Sql::run(copy.db(), QStringLiteral("PRAGMA journal_mode=DELETE"));
}

} // namespace

DatabaseCopy::Counts Backup::write(const QSqlDatabase& db, const QString& file)
{
    const QFileInfo info(file);
    if (info.exists() && !info.isFile())
        throw DbError(QStringLiteral("%1 — не файл: копия туда не записана.").arg(shown(file)));
    if (Database::engineOf(db) == Engine::SQLite && info.exists() &&
        info.canonicalFilePath() == QFileInfo(db.databaseName()).canonicalFilePath())
        throw DbError(
            QStringLiteral("%1 — это сама база данных: копия туда не записана.").arg(shown(file)));
    QTemporaryFile part(info.absoluteDir().filePath(info.fileName() + QStringLiteral(".XXXXXX")));
    if (!part.open())
        throw DbError(QStringLiteral("Не удалось создать файл в папке %1:\n%2")
                          .arg(shown(info.absolutePath()), part.errorString()));
    part.close();
    const QString partName = part.fileName();
    if (Database::engineOf(db) == Engine::SQLite)
        onlineBackup(db, partName);
    else
        snapshotCopy(db, partName);
    DatabaseCopy::Counts counts;
    {
        const auto written = open(partName, QStringLiteral("sprav-backup-written"));
        counts = DatabaseCopy::countsOf(written->db());
    }
    if (std::rename(QFile::encodeName(partName).constData(), QFile::encodeName(file).constData()))
        throw DbError(QStringLiteral("Не удалось дать копии имя %1.").arg(shown(file)));
    part.setAutoRemove(false);
    return counts;
}

std::unique_ptr<Database> Backup::open(const QString& file, const QString& connectionName)
{
    const QFileInfo info(file);
    if (!info.isFile())
        throw DbError(QStringLiteral("Файла копии %1 нет.").arg(shown(file)));
    if (info.size() == 0)
        throw DbError(QStringLiteral("Файл %1 пуст: это не копия справочника.").arg(shown(file)));
    DataLink link;
    link.dataSource = info.absoluteFilePath();
    link.readOnly = true;
    auto database = std::make_unique<Database>(link, connectionName);
    QSqlQuery check = Sql::run(database->db(), QStringLiteral("PRAGMA quick_check"));
    const QString verdict = check.next() ? check.value(0).toString() : QString();
    if (verdict != QLatin1String("ok"))
        throw DbError(
            QStringLiteral("Копия %1 повреждена или обрезана:\n%2").arg(shown(file), verdict));
    check.finish();
    return database;
}
