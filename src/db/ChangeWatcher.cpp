// SPDX-License-Identifier: MIT
#include "db/ChangeWatcher.h"
#include "db/ChangeNotice.h"
#include "db/Connection.h"
#include "db/DbLog.h"
#include "db/SqliteFile.h"

#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

ChangeWatcher::ChangeWatcher(const QSqlDatabase& db, QObject* parent) : QObject(parent), m_db(db)
{
    m_poll.setInterval(PollInterval);
    connect(&m_poll, &QTimer::timeout, this, &ChangeWatcher::check);
    m_gather.setSingleShot(true);
    m_gather.setInterval(GatherInterval);
    connect(&m_gather, &QTimer::timeout, this, &ChangeWatcher::changed);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &ChangeWatcher::check);
}

ChangeWatcher::~ChangeWatcher()
{
    stop();
}

bool ChangeWatcher::isPostgres() const
{
    return m_db.driver() && m_db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

void ChangeWatcher::start()
{
    if (m_poll.isActive() || !m_db.isValid())
        return;
    if (isPostgres()) {
        connect(m_db.driver(), &QSqlDriver::notification, this,
                [this](const QString& name, QSqlDriver::NotificationSource source,
                       const QVariant&) { noticeArrived(name, source); });
        listen();
    } else {
        m_dataVersion = -1;
        readDataVersion();
    }
    m_poll.start();
}

void ChangeWatcher::stop()
{
    m_poll.stop();
    m_gather.stop();
    m_retry.stop();
    m_retryDelay = m_firstRetryDelay;
    if (!isPostgres())
        return;
    disconnect(m_db.driver(), &QSqlDriver::notification, this, nullptr);
    if (m_db.isOpen() && !Connection::inTransaction(m_db))
        m_db.driver()->unsubscribeFromNotification(ChangeNotice::channel());
    m_listened = false;
}

void ChangeWatcher::setRetryDelays(int first, int last)
{
    m_firstRetryDelay = first;
    m_lastRetryDelay = qMax(first, last);
    m_retryDelay = first;
}

void ChangeWatcher::check()
{
    if (!m_db.isValid() || Connection::inTransaction(m_db))
        return;
    if (!isPostgres()) {
        if (m_db.isOpen())
            readDataVersion();
        return;
    }
    if (m_retry.isActive() || !reconnectIfLost())
        return;
    listen();
}

// A connection the server closed, or one the program failed to open again,
// is opened now; listen() then tells what may have changed meanwhile.
// Connecting gives up after the connection's timeout, so a server that does
// not answer holds the window that long at most, and only every so often.
bool ChangeWatcher::reconnectIfLost()
{
    if (!Connection::lost(m_db)) {
        m_retryDelay = m_firstRetryDelay;
        return m_db.isOpen();
    }
    QSqlError failure;
    if (Connection::reopen(m_db, failure)) {
        m_retryDelay = m_firstRetryDelay;
        return true;
    }
    qCWarning(lcDb).noquote() << "change notices: the server cannot be reached, next attempt in"
                              << m_retryDelay << "ms --" << failure.text().trimmed();
    m_retry.start(m_retryDelay);
    m_retryDelay = qMin(m_retryDelay * 2, m_lastRetryDelay);
    return false;
}

// The driver forgets what it listened to when its connection is opened again.
void ChangeWatcher::listen()
{
    QSqlDriver* driver = m_db.driver();
    if (!m_db.isOpen() || Connection::inTransaction(m_db) ||
        driver->subscribedToNotifications().contains(ChangeNotice::channel()))
        return;
    if (!driver->subscribeToNotification(ChangeNotice::channel()))
        return;
    if (m_listened)
        gather(); // what changed while the connection was away
    m_listened = true;
}

// Reads PRAGMA data_version without waiting for a busy file: the busy
// timeout is set aside for this one statement.
void ChangeWatcher::readDataVersion()
{
    sqlite3* handle = SqliteFile::handle(m_db.driver());
    QSqlQuery query(m_db);
    if (!handle || !query.exec(QStringLiteral("PRAGMA busy_timeout")) || !query.next())
        return;
    const int timeout = query.value(0).toInt();
    query.finish();
    sqlite3_busy_timeout(handle, 0);
    const bool read = query.exec(QStringLiteral("PRAGMA data_version")) && query.next();
    const qint64 version = read ? query.value(0).toLongLong() : m_dataVersion;
    query.finish();
    sqlite3_busy_timeout(handle, timeout);
    if (!read)
        return;
    if (m_dataVersion >= 0 && version != m_dataVersion)
        gather();
    m_dataVersion = version;
}

void ChangeWatcher::noticeArrived(const QString& name, QSqlDriver::NotificationSource source)
{
    if (name == ChangeNotice::channel() && source != QSqlDriver::SelfSource)
        gather();
}

// The first notice of a burst starts the wait; the rest join it.
void ChangeWatcher::gather()
{
    if (!m_gather.isActive())
        m_gather.start();
}
