// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <array>

// The listings and record operations the benchmark times, as the search view
// and the record editor run them: a listing is one statement for the records
// and one for all their phones, and gives the rows of the result grid.
class Operations
{
public:
    // One row of the result grid: the id and the three shown columns.
    struct Row {
        qint64 id = 0;
        QString name;   // f, blank, io (birthday list: with whose birthday it is)
        QString second; // shortpp (birthday list: the birthday texts)
        QString phones;
    };
    using Listing = QList<Row>;

    // What the record editor holds of a record.
    struct Record {
        QString f, io, prof, shortpp, longpp, city, email, birthday, info;
        std::array<QString, 6> phones; // kinds 1 to 6; empty: no phone
        QString owns, hided;
    };

    Operations(const QSqlDatabase& db, const QString& user);

    Listing search(const QString& text);
    Listing allRecords();
    Listing city(const QString& cityName);
    Listing birthdays(const QDate& today);

    Record showRecord(qint64 id);
    qint64 createRecord(const Record& record);
    void changeRecord(qint64 id, const Record& record);

private:
    QSqlDatabase m_db;
    QString m_user;
};
