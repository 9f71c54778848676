// SPDX-License-Identifier: MIT
#include "HistoryFigures.h"
#include "common/Clock.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "db/DateText.h"
#include "db/Schema.h"
#include "db/Sql.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace
{

constexpr qint64 records = 100000;
constexpr qint64 busyRecords = 500; // every 20th version is of one of these
constexpr int historyYears = 2;
constexpr int versionsPerDay = 2000;

qint64 historyRows(const QSqlDatabase& db)
{
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT count(*) FROM sprav_history"));
    q.next();
    return q.value(0).toLongLong();
}

// Version i of `rows` was replaced at an even pace from two years before
// `now` on, by histid order.
void fill(const QSqlDatabase& db, qint64 rows, const QDateTime& now)
{
    Sql::Transaction transaction(db);
    Sql::run(db,
             QStringLiteral(
                 "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < "
                 ":rows) INSERT INTO sprav_history (id, rev, usr, at, gone_usr, gone_at, f, io, "
                 "shortpp) SELECT CASE WHEN i % 20 = 0 THEN 1 + (i / 20) % :busy ELSE 1 + :busy "
                 "+ (i * 7919) % (:records - :busy) END, i / :records, 'u1', NULL, 'u1', "
                 "strftime('%Y-%m-%dT%H:%M:%fZ', julianday(:start) + i * :step), "
                 "'Фамилия' || (i % 977), 'Имя Отчество', 'ООО «Организация ' || (i % 313) || "
                 "'»' FROM n"),
             {{"rows", rows},
              {"busy", busyRecords},
              {"records", records},
              {"start", DateText::toStamp(now.addYears(-historyYears))},
              {"step", 365.0 * historyYears / double(rows)}});
    transaction.commit();
}

// A day's work: new versions of records picked at random, a twentieth of
// them of the busy ones.
void writeDay(const QSqlDatabase& db, const QDateTime& now, QRandomGenerator& random)
{
    Sql::Transaction transaction(db);
    QSqlQuery insert = Sql::prepare(
        db, QStringLiteral("INSERT INTO sprav_history (id, rev, usr, gone_usr, gone_at, f) "
                           "VALUES (:id, 0, 'u1', 'u1', :at, 'Новая')"));
    for (int i = 0; i < versionsPerDay; ++i) {
        const qint64 id = i % 20 == 0 ? 1 + random.bounded(busyRecords)
                                      : 1 + busyRecords + random.bounded(records - busyRecords);
        insert.bindValue(QStringLiteral(":id"), id);
        insert.bindValue(QStringLiteral(":at"), DateText::toStamp(now.addSecs(i)));
        Sql::exec(insert);
    }
    transaction.commit();
}

} // namespace

HistoryFigures::Result HistoryFigures::run(qint64 rows, int days)
{
    Result result;
    QTemporaryDir dir;
    DataLink link;
    link.dataSource = dir.filePath(QStringLiteral("history.db"));
    QDateTime now = Clock::now();
    {
        Database database(link, QStringLiteral("bench-history"));
        const QSqlDatabase db = database.db();
        QElapsedTimer timer;
        timer.start();
        fill(db, rows, now);
        result.fillSeconds = double(timer.elapsed()) / 1000;
        Sql::run(db, QStringLiteral("ANALYZE"));
        Sql::run(db, QStringLiteral("DELETE FROM sprav_history_trimmed"));
        result.rows = historyRows(db);

        result.firstMs = Measure::once([&] { Schema::trimHistory(db); });
        result.firstRemoved = result.rows - historyRows(db);

        QRandomGenerator random(1);
        QList<double> wall;
        QList<double> cpu;
        const qint64 before = historyRows(db);
        for (int day = 0; day < days; ++day) {
            writeDay(db, now, random);
            now = now.addDays(1);
            Clock::setNow(now);
            double cpuMs = 0;
            wall.append(Measure::once([&] { Schema::trimHistory(db); }, &cpuMs));
            cpu.append(cpuMs);
        }
        result.dailyRemoved = before + qint64(days) * versionsPerDay - historyRows(db);
        result.daily = Measure::of(wall, cpu);
    }
    Clock::setNow(QDateTime());
    return result;
}
