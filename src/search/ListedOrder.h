// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <functional>

// The ids of "Все записи" in list order, per user, kept with the driver of an
// SQLite connection for as long as the database is the same: a commit through
// another connection changes the file's data version, a write through this
// one the connection's count of changes (a rolled-back write too, which only
// costs a reading). When they moved, the records that sprav_reordered notes
// as moved since (ListingIndex) are taken out and put in again at their
// present place; without such notes (too many, or none kept) the ids are read
// anew. Inside a transaction of this connection nothing is kept: a rollback
// would undo what the ids were read from without changing either number. A
// broad name search keeps the ids of its matches in this order instead of
// sorting them.
class ListedOrder : public QObject
{
    Q_OBJECT

public:
    // Above this many notes the ids are read anew rather than brought up to
    // date.
    static constexpr qint64 mostNotesApplied = 200;

    // The order kept with the connection's driver, made at the first call.
    static ListedOrder& of(const QSqlDatabase& db);

    // Whether the user's ids are kept and current.
    bool kept(const QSqlDatabase& db, const QString& user);

    // The ids for the user as `read` gives them, read again once the database
    // changed.
    QList<int> ids(const QSqlDatabase& db, const QString& user,
                   const std::function<QList<int>()>& read);

private:
    struct Stamp {
        QVariant handle;
        qint64 dataVersion = -1;
        qint64 changes = -1;
        qint64 lastNote = -1;   // the newest note's seq (0 without notes, -1 without the table)
        qint64 oldestNote = -1; // the oldest one's
        bool operator==(const Stamp& other) const
        {
            return handle == other.handle && dataVersion == other.dataVersion &&
                   changes == other.changes && lastNote == other.lastNote;
        }
    };

    explicit ListedOrder(QObject* driver) : QObject(driver) {}

    static bool inTransaction(const QSqlDatabase& db);
    static Stamp stamp(const QSqlDatabase& db);
    void refresh(const QSqlDatabase& db);
    bool bringUpToDate(const QSqlDatabase& db, const Stamp& now);

    Stamp m_stamp;
    QHash<QString, QList<int>> m_ids;
};
