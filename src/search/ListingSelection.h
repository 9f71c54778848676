// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>

// The records of a listing: the tables, the condition (with the visibility
// filter), the order and the values to bind. Every value is bound; throws
// DbError when a statement fails.
struct ListingSelection {
    QString from;
    QString where;
    QString orderBy;
    QString id = QStringLiteral("sprav.id");
    std::function<void(QSqlQuery&)> bind;

    // Runs "SELECT columns" over the selected records in their order.
    QSqlQuery select(const QSqlDatabase& db, const QString& columns) const;

    // The ids in list order, as one value: a row per record would cost more
    // than the listing itself.
    QList<int> ids(const QSqlDatabase& db) const;

    // The same records narrowed to the given ids, in the order of the ids'
    // index rather than the list's: the grid puts a page's rows in the order
    // of its ids (FoundModel), so a page is read without the order table.
    ListingSelection only(const QSqlDatabase& db, const QList<int>& ids) const;
};
