// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

// Finds the records whose surname, name and patronymic, short or long
// enterprise name contain a typed text, ignoring letter case for every
// alphabet. The listing queries put condition() into their WHERE clause and
// bind the text with bind().
class SearchIndex
{
public:
    // Creates whatever the engine needs to answer the condition quickly and
    // keeps it in step with `sprav` inside the database. Called by Schema::ensure.
    static void ensure(const QSqlDatabase& db);

    // A condition on the table `sprav` (columns named sprav.x) that holds for
    // the records containing the text bound by bind().
    static QString condition(const QSqlDatabase& db);
    static void bind(QSqlQuery& query, const QString& text);
};
