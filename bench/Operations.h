// SPDX-License-Identifier: MIT
#pragma once

#include "editor/RecordData.h"
#include "editor/RecordStore.h"
#include "search/FoundModel.h"
#include "search/ListingQueries.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

// The listings and record operations the benchmark times, through the same
// classes the search view and the record editor use: a listing runs the
// listing queries and hands the rows to the grid's model, ready to paint.
class Operations
{
public:
    Operations(const QSqlDatabase& db, const QString& user);

    // Each listing returns the number of rows the model then holds.
    int search(const QString& text);
    int allRecords();
    int city(const QString& cityName);
    int birthdays(const QDate& today);

    RecordData showRecord(int id);
    int createRecord(const RecordData& record);
    void changeRecord(int id, const RecordData& record);

private:
    int show(QList<FoundRow> rows, const QString& secondHeader);

    QString m_user;
    ListingQueries m_queries;
    RecordStore m_store;
    FoundModel m_model;
};
