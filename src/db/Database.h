// SPDX-License-Identifier: MIT
#pragma once

#include "db/DataLink.h"

#include <QSqlDatabase>
#include <QString>

enum class Engine { SQLite, PostgreSQL };

// Owns one named connection to the database a data link names. Opening sets
// up the engine (functions the statements need, WAL and a busy timeout on
// SQLite) and creates the schema when the database has none. An SQLite file
// that is not a directory of this program is refused untouched; one that can
// only be read is opened as it is. An SQLite file in a network folder keeps
// the rollback journal (WAL needs memory shared on one machine), and
// notice() says why the user should move to PostgreSQL.
class Database
{
public:
    // Throws DbError when the database cannot be opened or set up.
    explicit Database(const DataLink& link,
                      const QString& connectionName = QStringLiteral("sprav"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QSqlDatabase db() const;
    Engine engine() const { return m_engine; }
    // What the user should know about this database before working with it
    // (an SQLite file in a network folder); empty when nothing.
    QString notice() const { return m_notice; }

    static Engine engineOf(const QSqlDatabase& db);
    // The database can only be read (SQLite: a write-protected file, or the
    // data link asks so); storing then fails with a message saying why.
    static bool isReadOnly(const QSqlDatabase& db);

    // Registers the functions the statements need on an SQLite connection
    // (ulower: fold() for every alphabet; sortkey: SortKey::of;
    // phonedigits: ContactIndex::digitsOf; contains: instr() > 0, faster;
    // the aggregate idlist: the ids of
    // its rows in their order, as 32-bit integers in one blob).
    static void registerSqliteFunctions(const QSqlDatabase& db);
    // The text as both engines' ulower() compare it, ignoring letter case:
    // QString::toLower, with the final sigma written as σ.
    static QString fold(const QString& text);
    // fold() of a UTF-8 text.
    static QByteArray lowerUtf8(const QByteArray& text);

private:
    QString m_name;
    Engine m_engine;
    QString m_notice;
};
