// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QSqlDatabase>
#include <QString>

// Writes directory data straight into a test database, past RecordStore:
// cities, records with the columns the lists read, and phones.
class RecordSeed
{
public:
    static int city(const QSqlDatabase& db, const QString& name, const QString& code);
    // Of the record: f, io, shortpp, longpp, birthday (dd.MM.yyyy, or the
    // unread text as it stands), spbirthday, hided and owns; a date left out
    // is NULL. The city is given by id, which need not exist.
    static int record(const QSqlDatabase& db, const RecordData& record, int cityid = 0);
    static void phone(const QSqlDatabase& db, int parentid, int kind, const QString& number,
                      bool hid = false);
};
