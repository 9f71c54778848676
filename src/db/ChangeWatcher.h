// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTimer>

// Tells when another workstation or another copy of the program committed a
// change to the directory's records (ChangeNotice's tables), so that lists
// and the record editor can show it. What the program's own connection
// writes is not told: the window that wrote it already shows it.
//
// PostgreSQL: the connection listens on ChangeNotice's channel, and listens
// again once it was opened again after a loss (a change missed meanwhile is
// told then). A connection the server closed (a restart, an administrator) is
// opened again here, without waiting for the user's next action; while the
// server cannot be reached, the attempts come further apart. SQLite: the file's data version, which
// only a commit through another connection changes, is read about once a second; a tick that would
// have to wait for the file is skipped.
//
// Notices that come in a burst are told once.
class ChangeWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int PollInterval = 1000;    // ms
    static constexpr int GatherInterval = 300;   // ms
    static constexpr int FirstRetryDelay = 1000; // ms
    static constexpr int LastRetryDelay = 30000; // ms

    explicit ChangeWatcher(const QSqlDatabase& db, QObject* parent = nullptr);
    ~ChangeWatcher() override;

    void start();
    void stop();
    bool isActive() const { return m_poll.isActive(); }
    // What the timer does every PollInterval: reads the data version, or
    // listens again on a connection that was opened anew.
    void check();
    // A change was seen and is told when the burst is over.
    bool isGathering() const { return m_gather.isActive(); }
    // The waits between attempts to open a lost connection again: the first
    // one, doubled after every failure up to the last one.
    void setRetryDelays(int first, int last);
    // An attempt failed and the next one is waited for.
    bool isRetrying() const { return m_retry.isActive(); }

signals:
    void changed();

private:
    bool isPostgres() const;
    bool reconnectIfLost();
    void listen();
    void readDataVersion();
    void noticeArrived(const QString& name, QSqlDriver::NotificationSource source);
    void gather();

    QSqlDatabase m_db;
    QTimer m_poll;
    QTimer m_gather;
    QTimer m_retry;
    int m_firstRetryDelay = FirstRetryDelay;
    int m_lastRetryDelay = LastRetryDelay;
    int m_retryDelay = FirstRetryDelay;
    qint64 m_dataVersion = -1;
    bool m_listened = false;
};
