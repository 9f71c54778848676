// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"
#include "records/RecordHistory.h"
#include "records/RecordStore.h"
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

    // The search view's way: the ids of a listing handed to the grid's model,
    // which makes the first screen of rows (25 rows, every column).
    int firstScreenSearch(const QString& text);
    int firstScreenAll();
    int firstScreenCity(const QString& cityName);
    int firstScreenBirthdays(const QDate& today);
    // The rows of a screen from the given row on, as scrolling there shows them.
    void screenAt(int row);
    // Prepares the printed list of the rows the model holds; gives its pages.
    int printList();

    RecordData showRecord(int id);
    int createRecord(const RecordData& record);
    void changeRecord(int id, const RecordData& record);
    void deleteRecord(int id);
    // Brings back a deleted record (the history row of its deletion).
    int restoreRecord(int histId);

private:
    int show(QList<FoundRow> rows, const QString& secondHeader);
    int showIds(QList<int> ids, const QString& secondHeader, const FoundModel::RowSource& source);

    QString m_user;
    ListingQueries m_queries;
    RecordStore m_store;
    RecordHistory m_history;
    FoundModel m_model;
    FoundModel m_lazyModel;
};
