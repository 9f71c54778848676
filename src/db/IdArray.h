// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

// A list of record ids that travels to a statement as one bound value,
// however long it is: a JSON array on SQLite, an integer array on PostgreSQL.
class IdArray
{
public:
    // The value to bind.
    static QString value(const QList<int>& ids, bool postgres);
    // The condition that the column holds one of the ids bound to the
    // placeholder.
    static QString among(const QString& column, const QString& placeholder, bool postgres);
    // The numbers of a text such as "12,7,31" (PostgreSQL's string_agg), in
    // their order.
    static QList<int> parse(const QString& text);
};
