// SPDX-License-Identifier: MIT
#include "OfficeDay.h"
#include "Operations.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QRandomGenerator>
#include <QThread>
#include <memory>
#include <vector>

namespace
{

struct Workstation {
    QList<double> search;
    QList<double> show;
    QList<double> change;
    QStringList stored; // the marks of the changes stored
    int creates = 0;
    int deletes = 0;
    int conflicts = 0;
    int failed = 0;
};

void pause(QRandomGenerator& random, int fromMs, int toMs)
{
    QThread::msleep(ulong(fromMs + int(random.bounded(toMs - fromMs + 1))));
}

void work(const DataLink& link, const QString& user, int number, int seconds,
          const QStringList& typed, Workstation& w)
{
    Database database(link, QStringLiteral("office-%1").arg(number));
    const QSqlDatabase db = database.db();
    Operations ops(db, user);
    RecordStore store(db);
    QRandomGenerator random(quint32(number + 1));
    QList<int> created;
    QElapsedTimer day;
    day.start();
    for (int action = 0; day.elapsed() < seconds * 1000; ++action) {
        const QString text = typed.at(random.bounded(typed.size()));
        QList<int> ids;
        for (qsizetype letters = 3; letters <= text.size(); ++letters) {
            pause(random, 100, 250); // a keystroke
            w.search.append(Measure::once([&] { ops.firstScreenSearch(text.left(letters)); }));
        }
        ids = ListingQueries(db, user).searchIds(text).value_or(QList<int>());
        if (ids.isEmpty())
            continue;
        pause(random, 200, 600);
        const int id = ids.at(random.bounded(ids.size()));
        int seen = 0;
        RecordData record;
        w.show.append(Measure::once([&] {
            seen = store.revision(id).rev;
            record = store.load(id, user).value_or(RecordData());
        }));
        pause(random, 500, 2000); // reading, or typing a change
        try {
            if (random.bounded(10) == 0) {
                const QString mark = QStringLiteral("место %1-%2").arg(number).arg(action);
                record.info = mark;
                w.change.append(Measure::once([&] { store.update(id, record, {seen, user}); }));
                w.stored.append(mark);
            } else if (random.bounded(50) == 0) {
                record.info = QStringLiteral("новая с места %1").arg(number);
                created.append(store.insert(record, user));
                ++w.creates;
            } else if (!created.isEmpty() && random.bounded(50) == 0) {
                const int gone = created.takeLast();
                store.remove(gone, {store.revision(gone).rev, user});
                ++w.deletes;
            }
        } catch (const RecordConflict&) {
            ++w.conflicts;
        } catch (const DbError&) {
            ++w.failed;
        }
    }
}

// A stored change is in the record or, replaced or deleted since, in its
// history.
int lostChanges(const DataLink& link, const QStringList& marks)
{
    Database database(link, QStringLiteral("office-check"));
    QSqlQuery found = Sql::prepare(database.db(),
                                   QStringLiteral("SELECT (SELECT count(*) FROM sprav WHERE info = "
                                                  ":mark) + (SELECT count(*) FROM sprav_history "
                                                  "WHERE info = :mark)"));
    int lost = 0;
    for (const QString& mark : marks) {
        found.bindValue(QStringLiteral(":mark"), mark);
        Sql::exec(found);
        if (!Sql::next(found) || found.value(0).toInt() == 0)
            ++lost;
        found.finish();
    }
    return lost;
}

} // namespace

OfficeDay::Result OfficeDay::run(const DataLink& link, const QString& user, int workstations,
                                 int seconds, const QStringList& typed)
{
    std::vector<Workstation> done(static_cast<size_t>(workstations));
    std::vector<std::unique_ptr<QThread>> threads;
    QMutex errorsLock;
    int broken = 0;
    for (int i = 0; i < workstations; ++i) {
        threads.emplace_back(QThread::create([&, i] {
            try {
                work(link, user, i, seconds, typed, done[size_t(i)]);
            } catch (const DbError&) {
                const QMutexLocker locker(&errorsLock);
                ++broken; // a workstation that could not go on
            }
        }));
        threads.back()->start();
    }
    for (auto& thread : threads)
        thread->wait();

    Result r;
    QList<double> search;
    QList<double> show;
    QList<double> change;
    QStringList stored;
    for (const Workstation& w : done) {
        search += w.search;
        show += w.show;
        change += w.change;
        stored += w.stored;
        r.creates += w.creates;
        r.deletes += w.deletes;
        r.conflicts += w.conflicts;
        r.failed += w.failed;
    }
    r.searches = int(search.size());
    r.shows = int(show.size());
    r.changes = int(change.size());
    r.search = Measure::of(search);
    r.show = Measure::of(show);
    r.change = Measure::of(change);
    r.lost = lostChanges(link, stored);
    r.failed += broken;
    return r;
}
