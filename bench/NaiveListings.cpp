// SPDX-License-Identifier: MIT
#include "NaiveListings.h"
#include "db/SearchIndex.h"
#include "db/Sql.h"
#include "db/Visibility.h"

#include <QElapsedTimer>

NaiveListings::NaiveListings(const QSqlDatabase& db, const QString& user, double budgetMs)
    : m_db(db), m_user(user), m_budgetMs(budgetMs)
{
}

NaiveListings::Estimate NaiveListings::search(const QString& text)
{
    return run(QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, sprav.owns, "
                              "sprav.hided, city.citycode FROM sprav, city WHERE %1 and %2 "
                              "AND city.id = sprav.cityid")
                   .arg(SearchIndex::plainCondition(),
                        Visibility::VisibilityFilter(Visibility::Filter::Plain)),
               text);
}

NaiveListings::Estimate NaiveListings::allRecords()
{
    return run(QStringLiteral("SELECT sprav.id, sprav.f, sprav.io, sprav.shortpp, sprav.owns, "
                              "sprav.hided, city.citycode FROM sprav, city WHERE %1 "
                              "and city.id = sprav.cityid ORDER BY f, io")
                   .arg(Visibility::VisibilityFilter(Visibility::Filter::Plain)),
               QString());
}

NaiveListings::Estimate NaiveListings::run(const QString& statement, const QString& text)
{
    QElapsedTimer timer;
    timer.start();
    QSqlQuery list = Sql::prepare(m_db, statement);
    if (!text.isNull())
        SearchIndex::bind(list, text);
    Visibility::bindUser(list, m_user);
    Sql::exec(list);
    struct Found {
        qint64 id;
        QString name, second, owns, code;
    };
    QList<Found> found;
    while (list.next())
        found.append({list.value(0).toLongLong(),
                      Sql::text(list, 1) + QLatin1Char(' ') + Sql::text(list, 2),
                      Sql::text(list, 3), Sql::text(list, 4), Sql::text(list, 6)});
    list.finish();
    const double listMs = double(timer.nsecsElapsed()) / 1e6;

    timer.restart();
    QSqlQuery phones = Sql::prepare(m_db, QStringLiteral("SELECT phone.phone, notes.note, "
                                                         "phone.hid FROM phone, notes WHERE "
                                                         "parentid = :id AND notes.id = "
                                                         "phone.noteid"));
    qint64 done = 0;
    for (const Found& record : std::as_const(found)) {
        if (double(timer.nsecsElapsed()) / 1e6 > m_budgetMs)
            break;
        phones.bindValue(QStringLiteral(":id"), record.id);
        Sql::exec(phones);
        QString text;
        bool first = true;
        while (phones.next()) {
            if (first)
                text = QLatin1Char('(') + record.code + QStringLiteral(") ");
            first = false;
            if (phones.value(2).toBool() && !Visibility::IsPermitted(record.owns, m_user))
                continue;
            text += Sql::text(phones, 1) + Sql::text(phones, 0) + QStringLiteral("; ");
        }
        ++done;
    }
    const double phonesMs = double(timer.nsecsElapsed()) / 1e6;
    Estimate estimate;
    estimate.records = found.size();
    estimate.measured = done;
    estimate.milliseconds =
        listMs + (done > 0 ? phonesMs * double(found.size()) / double(done) : 0);
    return estimate;
}

void NaiveListings::dropHelperIndexes(const QSqlDatabase& db)
{
    for (const char* index : {"phone_parentid", "sprav_cityid", "sprav_listing"})
        Sql::run(db, QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index)));
}
