// SPDX-License-Identifier: MIT
#include "app/BackupCommands.h"
#include "app/CommandLine.h"
#include "common/DbError.h"
#include "db/Backup.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "db/DatabaseCopy.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <memory>

namespace
{

std::unique_ptr<Database> openLinked(const QString& dataLink, const QString& connection)
{
    return std::make_unique<Database>(DataLink::fromFile(dataLink), connection);
}

bool sameDatabase(const DataLink& a, const DataLink& b)
{
    if (a.provider != b.provider)
        return false;
    if (a.provider == DataLink::Provider::SQLite) {
        const QFileInfo first(a.databaseFile());
        return first.exists() &&
               first.canonicalFilePath() == QFileInfo(b.databaseFile()).canonicalFilePath();
    }
    return a.dataSource == b.dataSource && a.port == b.port && a.catalog == b.catalog;
}

void fail(QTextStream& err, const QString& text)
{
    err << "sprav: " << text << Qt::endl;
}

// Copies into the database `to`, refusing one that holds records unless
// `force`.
int copyInto(const QSqlDatabase& from, const QSqlDatabase& to, bool force, const QString& done,
             QTextStream& out, QTextStream& err)
{
    if (const qint64 held = DatabaseCopy::records(to); held > 0 && !force) {
        fail(err, QStringLiteral("в базе данных, куда копируется справочник, уже есть записи: %1. "
                                 "Ничего не изменено; --force заменит их копией.")
                      .arg(held));
        return CommandLine::TargetNotEmpty;
    }
    const DatabaseCopy::Counts counts = DatabaseCopy::copy(from, to, force);
    out << done << ": " << DatabaseCopy::describe(counts) << Qt::endl;
    return CommandLine::Done;
}

} // namespace

int BackupCommands::backup(const QString& dataLink, const QString& file, QTextStream& out,
                           QTextStream& err)
{
    std::unique_ptr<Database> database;
    try {
        database = openLinked(dataLink, QStringLiteral("sprav-backup"));
    } catch (const DbError& e) {
        fail(err, e.text());
        return CommandLine::DatabaseFailed;
    }
    try {
        const DatabaseCopy::Counts counts = Backup::write(database->db(), file);
        out << QStringLiteral("Копия записана в %1: ").arg(QDir::toNativeSeparators(file))
            << DatabaseCopy::describe(counts) << Qt::endl;
        return CommandLine::Done;
    } catch (const DbError& e) {
        fail(err, e.text());
        return CommandLine::FileRefused;
    }
}

int BackupCommands::restore(const QString& dataLink, const QString& file, bool force,
                            QTextStream& out, QTextStream& err)
{
    std::unique_ptr<Database> backup;
    try {
        DataLink fromFile;
        fromFile.dataSource = QFileInfo(file).absoluteFilePath();
        if (sameDatabase(fromFile, DataLink::fromFile(dataLink))) {
            fail(err, QStringLiteral("%1 — это сама база данных sprav.udl. Ничего не изменено.")
                          .arg(QDir::toNativeSeparators(file)));
            return CommandLine::WrongUsage;
        }
        backup = Backup::open(file, QStringLiteral("sprav-restore-source"));
    } catch (const DbError& e) {
        fail(err, e.text() + QStringLiteral(" Ничего не изменено."));
        return CommandLine::FileRefused;
    }
    try {
        const auto target = openLinked(dataLink, QStringLiteral("sprav-restore-target"));
        return copyInto(
            backup->db(), target->db(), force,
            QStringLiteral("Справочник восстановлен из %1").arg(QDir::toNativeSeparators(file)),
            out, err);
    } catch (const DbError& e) {
        fail(err, e.text() + QStringLiteral(" Ничего не изменено."));
        return CommandLine::DatabaseFailed;
    }
}

int BackupCommands::copyTo(const QString& dataLink, const QString& target, bool force,
                           QTextStream& out, QTextStream& err)
{
    try {
        if (sameDatabase(DataLink::fromFile(dataLink), DataLink::fromFile(target))) {
            fail(err, QStringLiteral("%1 называет ту же базу данных, что и sprav.udl. Ничего не "
                                     "изменено.")
                          .arg(QDir::toNativeSeparators(target)));
            return CommandLine::WrongUsage;
        }
        const auto source = openLinked(dataLink, QStringLiteral("sprav-copy-source"));
        const auto copy = openLinked(target, QStringLiteral("sprav-copy-target"));
        return copyInto(source->db(), copy->db(), force,
                        QStringLiteral("Справочник скопирован в базу данных из %1")
                            .arg(QDir::toNativeSeparators(target)),
                        out, err);
    } catch (const DbError& e) {
        fail(err, e.text() + QStringLiteral(" Ничего не изменено."));
        return CommandLine::DatabaseFailed;
    }
}
