// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The contents of the data-link file sprav.udl: which database engine and
// where the database is. The file is UTF-8 or UTF-16 with a byte-order mark,
// may start with an [oledb] line and ';' comment lines, and holds one line of
// Key=Value pairs separated by ';'.
struct DataLink {
    enum class Provider { SQLite, PostgreSQL };

    Provider provider = Provider::SQLite;
    QString dataSource; // SQLite: database file; PostgreSQL: host (or socket folder)
    int port = 5432;
    QString catalog; // PostgreSQL database name
    QString user;
    QString password;
    QString baseDir; // folder of the data-link file, for relative file names

    // The SQLite database file with a relative name resolved against baseDir.
    QString databaseFile() const;

    // Throws DbError naming the file or the unknown provider.
    static DataLink fromFile(const QString& path);
    static DataLink parse(const QByteArray& bytes, const QString& baseDir);
    static QString decode(const QByteArray& bytes);
};
