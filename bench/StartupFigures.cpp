// SPDX-License-Identifier: MIT
#include "StartupFigures.h"
#include "common/DbError.h"
#include "db/ContactIndex.h"
#include "db/Database.h"
#include "db/SearchIndexBuild.h"
#include "db/Sql.h"
#include "records/RecordStore.h"
#include "search/ListingQueries.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QThread>
#include <atomic>
#include <latch>
#include <memory>
#include <thread>

namespace
{

void endSession(const DataLink& link, int pid)
{
    const QString name = QStringLiteral("sprav_bench_terminator");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(link.dataSource);
        admin.setPort(link.port);
        admin.setUserName(link.user);
        admin.setPassword(link.password);
        admin.setDatabaseName(link.catalog);
        if (!admin.open())
            throw DbError(admin.lastError().text());
        Sql::run(admin, QStringLiteral("SELECT pg_terminate_backend(:pid)"), {{"pid", pid}});
        // Until the session is gone, as it is after a restart.
        for (;;) {
            QSqlQuery q = Sql::run(admin,
                                   QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                  "WHERE pid = :pid"),
                                   {{"pid", pid}});
            if (q.next() && q.value(0).toInt() == 0)
                break;
        }
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

int backendPid(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT pg_backend_pid()"));
    return q.next() ? q.value(0).toInt() : 0;
}

// What the search index, the order table and the phone and e-mail indexes
// are built from again, as for a database of an older program.
void makeOlder(const QSqlDatabase& db)
{
    if (Database::engineOf(db) == Engine::SQLite) {
        for (const char* trigger : {"sprav_fts_update", "sprav_order_update", "phone_fts_update",
                                    "sprav_mail_fts_update"})
            Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(QLatin1String(trigger)));
        Sql::run(db, QStringLiteral("DROP TABLE IF EXISTS sqlite_stat1"));
        return;
    }
    Sql::run(db, QStringLiteral("UPDATE sprav_schema SET version = 0"));
    Sql::run(db, QStringLiteral("DROP TRIGGER IF EXISTS sprav_order_sync ON sprav"));
    for (const auto& [name, definition] :
         SearchIndexBuild::postgresIndexes() + ContactIndex::postgresIndexes())
        Sql::run(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(name));
}

RecordData savedRecord()
{
    RecordData r;
    r.f = QStringLiteral("Сохранов");
    r.io = QStringLiteral("Пётр");
    r.phones[1] = QStringLiteral("212-85-00");
    return r;
}

} // namespace

StartupFigures::StartupFigures(const DataLink& link, const QString& user, const QDate& today)
    : m_link(link), m_user(user), m_today(today)
{
}

Measure::Figures StartupFigures::open(int runs) const
{
    return Measure::run(runs, [this] {
        const Database database(m_link, QStringLiteral("bench_open"));
        RecordStore store(database.db());
        store.profTitles();
        store.cityNames();
        const ListingQueries queries(database.db(), m_user);
        queries.hasBirthdays(m_today);
        queries.cities();
    });
}

Measure::Figures StartupFigures::reconnect(const QSqlDatabase& db, const QString& restartCommand,
                                           int runs, const std::function<void()>& action) const
{
    action();
    QList<double> times;
    QList<double> cpu;
    for (int n = 0; n < runs; ++n) {
        if (restartCommand.isEmpty())
            endSession(m_link, backendPid(db));
        else if (QProcess::execute(QStringLiteral("/bin/sh"),
                                   {QStringLiteral("-c"), restartCommand}) != 0)
            throw DbError(QStringLiteral("the restart command failed"));
        double cpuMs = 0;
        times.append(Measure::once(action, &cpuMs));
        cpu.append(cpuMs);
    }
    return Measure::of(times, cpu);
}

StartupFigures::Upgrade StartupFigures::upgrade(const QSqlDatabase& db) const
{
    Upgrade result;
    std::atomic<bool> opened = false;
    std::latch ready(1); // the other copy is open (before the database looks older)
    std::latch go(1);
    std::thread writer([&] {
        std::unique_ptr<Database> copy;
        try {
            copy = std::make_unique<Database>(m_link, QStringLiteral("bench_writer"));
        } catch (const DbError& e) {
            result.failures.append(e.text());
        }
        ready.count_down();
        go.wait();
        if (!copy)
            return;
        RecordStore store(copy->db());
        while (!opened) {
            QElapsedTimer timer;
            timer.start();
            try {
                store.insert(savedRecord());
                ++result.saves;
            } catch (const DbError& e) {
                result.failures.append(e.text());
            }
            result.longestSaveMs =
                std::max(result.longestSaveMs, double(timer.nsecsElapsed()) / 1e6);
            // A busy office saves a few records a second, not one after another.
            QThread::msleep(20);
        }
    });
    ready.wait();
    makeOlder(db);
    go.count_down();
    QElapsedTimer timer;
    timer.start();
    try {
        const Database database(m_link, QStringLiteral("bench_upgrade"));
        result.openMs = double(timer.nsecsElapsed()) / 1e6;
    } catch (const DbError& e) {
        result.failures.append(e.text());
    }
    opened = true;
    writer.join();
    return result;
}
