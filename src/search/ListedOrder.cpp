// SPDX-License-Identifier: MIT
#include "search/ListedOrder.h"
#include "db/Sql.h"
#include "db/SqliteFile.h"
#include "db/Visibility.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <algorithm>
#include <sqlite3.h>
#include <vector>

ListedOrder& ListedOrder::of(const QSqlDatabase& db)
{
    QSqlDriver* driver = db.driver();
    auto* order = driver->findChild<ListedOrder*>(QString(), Qt::FindDirectChildrenOnly);
    return order ? *order : *new ListedOrder(driver);
}

bool ListedOrder::kept(const QSqlDatabase& db, const QString& user)
{
    refresh(db);
    return m_ids.contains(user);
}

QList<int> ListedOrder::ids(const QSqlDatabase& db, const QString& user,
                            const std::function<QList<int>()>& read)
{
    refresh(db);
    if (inTransaction(db))
        return read();
    auto found = m_ids.find(user);
    if (found == m_ids.end())
        found = m_ids.insert(user, read());
    return found.value();
}

bool ListedOrder::inTransaction(const QSqlDatabase& db)
{
    sqlite3* handle = SqliteFile::handle(db.driver());
    return !handle || sqlite3_get_autocommit(handle) == 0;
}

void ListedOrder::refresh(const QSqlDatabase& db)
{
    const Stamp now = stamp(db);
    if (now == m_stamp && !inTransaction(db))
        return;
    if (inTransaction(db) || !bringUpToDate(db, now))
        m_ids.clear();
    m_stamp = now;
}

// Applies the notes taken since the ids were read; false when they do not
// tell all that changed.
bool ListedOrder::bringUpToDate(const QSqlDatabase& db, const Stamp& now)
{
    if (m_ids.isEmpty() || now.handle != m_stamp.handle || m_stamp.lastNote < 0 ||
        now.lastNote < m_stamp.lastNote || now.lastNote - m_stamp.lastNote > mostNotesApplied ||
        (now.lastNote > m_stamp.lastNote && now.oldestNote > m_stamp.lastNote + 1))
        return false;
    if (now.lastNote == m_stamp.lastNote)
        return true; // nothing moved: a phone, a city or another table changed
    QSqlQuery notes =
        Sql::run(db, QStringLiteral("SELECT DISTINCT id FROM sprav_reordered WHERE seq > :seen"),
                 {{"seen", m_stamp.lastNote}});
    std::vector<bool> moved;
    QList<int> movedIds;
    while (Sql::next(notes)) {
        const int id = notes.value(0).toInt();
        if (id < 0)
            continue;
        if (size_t(id) >= moved.size())
            moved.resize(size_t(id) + 1);
        moved[size_t(id)] = true;
        movedIds.append(id);
    }
    QSqlQuery keyOf = Sql::prepare(
        db, QStringLiteral("SELECT CAST(sortkey AS BLOB) FROM sprav_order WHERE id = :id"));
    const auto key = [&keyOf](int id) {
        keyOf.bindValue(QStringLiteral(":id"), id);
        Sql::exec(keyOf);
        const QByteArray found = Sql::next(keyOf) ? keyOf.value(0).toByteArray() : QByteArray();
        keyOf.finish();
        return found;
    };
    QSqlQuery shown = Sql::prepare(
        db, QStringLiteral("SELECT CAST(sortkey AS BLOB) FROM sprav_order WHERE id = :id AND %1")
                .arg(Visibility::HiddenOwnsFilter(QStringLiteral("sprav_order"))));
    for (auto it = m_ids.begin(); it != m_ids.end(); ++it) {
        QList<int>& ids = it.value();
        ids.removeIf(
            [&moved](int id) { return id >= 0 && size_t(id) < moved.size() && moved[size_t(id)]; });
        for (const int id : std::as_const(movedIds)) {
            shown.bindValue(QStringLiteral(":id"), id);
            Visibility::bindUser(shown, it.key());
            Sql::exec(shown);
            if (!Sql::next(shown))
                continue; // deleted, or hidden from this user
            const QByteArray movedKey = shown.value(0).toByteArray();
            shown.finish();
            // The place among the others, ordered by key, then id.
            const auto place = std::partition_point(ids.begin(), ids.end(), [&](int other) {
                const int order = key(other).compare(movedKey);
                return order < 0 || (order == 0 && other < id);
            });
            ids.insert(place, id);
        }
    }
    return true;
}

ListedOrder::Stamp ListedOrder::stamp(const QSqlDatabase& db)
{
    Stamp s;
    s.handle = db.driver()->handle();
    QSqlQuery q = Sql::run(db, QStringLiteral("SELECT (SELECT data_version FROM "
                                              "pragma_data_version), total_changes(), "
                                              "(SELECT count(*) FROM sqlite_master WHERE "
                                              "name = 'sprav_reordered')"));
    if (!q.next())
        return s;
    s.dataVersion = q.value(0).toLongLong();
    s.changes = q.value(1).toLongLong();
    if (q.value(2).toInt() == 0)
        return s;
    q = Sql::run(db, QStringLiteral("SELECT coalesce(max(seq), 0), coalesce(min(seq), 0) "
                                    "FROM sprav_reordered"));
    if (q.next()) {
        s.lastNote = q.value(0).toLongLong();
        s.oldestNote = q.value(1).toLongLong();
    }
    return s;
}
