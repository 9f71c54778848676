// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Fills a database with a realistic directory: Russian people with their
// enterprises, about 200 cities with codes, job titles, 0 to 4 phones per
// record, birthdays spread over the year (with spouses, no-date values and
// NULLs), and 5 % of the records hidden in part or whole for some of the
// users u1..u20. The same seed gives the same data on every machine. The
// names come from the word lists in the generator's resources (words/*.txt).
//
// In hostile mode the names also hold what breaks careless statements and
// search indexes: quotes, %, _, backslashes, search-engine operators, mixed
// letter case, ё/Ё, Latin letters that look Cyrillic, emoji, and letters whose
// lower case is unusual (İ, K Kelvin, ẞ, Georgian capitals).
//
// Rows go in through plain statements, many rows per statement, in one
// transaction, with ids chosen here (after the largest id already stored), so
// the database's triggers see ordinary inserts.
class DataGenerator
{
public:
    explicit DataGenerator(quint64 seed = 1, bool hostile = false);

    // Adds `records` records with their phones, plus the users, cities and
    // job titles they refer to when the database has none yet.
    void fill(const QSqlDatabase& db, qint64 records);

    static constexpr int userCount = 20;
    static QString userName(int number) { return QStringLiteral("u%1").arg(number); }
    // City names in the order of their ids (1 upwards).
    static const QStringList& cityNames();

private:
    struct Enterprise {
        QString shortName;
        QString longName;
        QString latin;
    };
    struct Record;

    quint64 next();
    int below(int bound); // 0 <= n < bound
    bool chance(int percent);
    // 0 <= n < size, small n far more often than large ones (more so with a larger skew)
    int zipf(int size, double skew);
    template <typename List> const auto& pick(const List& list)
    {
        return list[below(int(std::size(list)))];
    }

    void fillLookups(const QSqlDatabase& db);
    void makeEnterprises(qint64 records);
    Record makeRecord(qint64 id);
    QString hostile(QString text);
    QString dateText();

    quint64 m_state;
    bool m_hostile;
    QList<Enterprise> m_enterprises;
    int m_cities = 0;
    int m_profs = 0;
};
