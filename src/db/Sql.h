// SPDX-License-Identifier: MIT
#pragma once

#include "db/StoredText.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <initializer_list>
#include <optional>
#include <utility>

// Small helpers around QSqlQuery that turn failures into DbError. Every value
// reaches a statement as a bound parameter; the placeholder names are bound
// with the spelling the statement uses.
namespace Sql
{

using Binding = std::pair<const char*, QVariant>;

QSqlQuery prepare(const QSqlDatabase& db, const QString& statement);
void bind(QSqlQuery& query, std::initializer_list<Binding> bindings);
void exec(QSqlQuery& query);

// The next row of a query being read; false after the last. A failure while
// the rows come in (a connection lost halfway through a long listing) throws
// instead of ending the rows early.
bool next(QSqlQuery& query);

// prepare + bind + exec in one call; the query is ready to be read.
QSqlQuery run(const QSqlDatabase& db, const QString& statement,
              std::initializer_list<Binding> bindings = {});

// The ids that SQLite's aggregate idlist() gave in the first column of the
// executed query's row, in their order; none without a row.
QList<int> idList(QSqlQuery& query);

// PostgreSQL: the source of the function of that name in the current schema,
// as stored; empty when there is none.
QString postgresFunctionSource(const QSqlDatabase& db, const QString& name);

// The id an executed INSERT ... RETURNING id gave back.
qint64 returnedId(QSqlQuery& query);

// Runs an INSERT ... RETURNING id and gives the new row's id.
qint64 insertReturningId(const QSqlDatabase& db, const QString& statement,
                         std::initializer_list<Binding> bindings);

// A text column read as text, exactly as stored: NULL reads as empty.
inline QString text(const QSqlQuery& query, int column)
{
    return StoredText::read(query, column);
}

// A NULL value of text type, for parameters that store NULL.
inline QVariant nullText()
{
    return QVariant(QMetaType::fromType<QString>());
}
inline QVariant nullInt()
{
    return QVariant(QMetaType::fromType<int>());
}

// A statement kept prepared for many executions (an import stores thousands
// of records). A connection opened again no longer knows it: query() then
// prepares it anew.
class Kept
{
public:
    Kept(const QSqlDatabase& db, const QString& statement);
    QSqlQuery& query();

private:
    void retire();

    QSqlDatabase m_db;
    QString m_statement;
    std::optional<QSqlQuery> m_query;
    quint64 m_connection = 0; // Connection::generation() it was prepared in
};

// Begins a transaction; rolls it back on destruction unless committed.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    QSqlDatabase m_db;
    bool m_open = false;
};

} // namespace Sql
