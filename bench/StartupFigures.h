// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"
#include "db/DataLink.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <functional>

// Figures of starting the program and of losing the connection: opening an
// existing database as the program does before its window appears, the first
// action after the server restarted, and how long another copy's saves take
// while a start-up brings an older database up to date.
class StartupFigures
{
public:
    StartupFigures(const DataLink& link, const QString& user, const QDate& today);

    // Opens the database with a connection of its own and reads what the
    // record editor and the search view load at start (job titles, cities,
    // the birthday check).
    Measure::Figures open(int runs) const;

    // PostgreSQL: restarts the server with `restartCommand` (a shell command
    // that returns once the server is back) or, without one, ends the
    // session of `db` as an administrator would, then times `action` on `db`.
    Measure::Figures reconnect(const QSqlDatabase& db, const QString& restartCommand, int runs,
                               const std::function<void()>& action) const;

    // Makes the database look older (search index, order table, phone and
    // e-mail indexes to be built, statistics to be taken; on PostgreSQL the
    // schema version gone), then opens it while another copy saves a record
    // every 20 ms.
    struct Upgrade {
        double openMs = 0;
        double longestSaveMs = 0;
        int saves = 0;
        QStringList failures;
    };
    Upgrade upgrade(const QSqlDatabase& db) const;

private:
    DataLink m_link;
    QString m_user;
    QDate m_today;
};
