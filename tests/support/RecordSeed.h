// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

// Writes directory data straight into a test database: cities, records with
// the columns the lists read, and phones.
class RecordSeed
{
public:
    struct Record {
        QString f;
        QString io;
        QString shortpp;
        QString longpp;
        int cityid = 0;
        QVariant birthday;   // text "dd.MM.yyyy", or null
        QVariant spbirthday; // text "dd.MM.yyyy", or null
        QString hided;
        QString owns;
    };

    static int city(const QSqlDatabase& db, const QString& name, const QString& code);
    static int record(const QSqlDatabase& db, const Record& record);
    static void phone(const QSqlDatabase& db, int parentid, int kind, const QString& number,
                      bool hid = false);
};
