// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

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
    QString baseDir;       // folder of the data-link file, for relative file names
    bool readOnly = false; // Mode=Read: the SQLite database is only read

    // The SQLite database file with a relative name resolved against baseDir.
    QString databaseFile() const;
    // A message with every value of this link hidden from its password
    // setting on, where a mistyped separator put one into the value.
    QString masked(const QString& message) const;

    // Throws DbError naming the file or the unknown provider. Only a regular
    // file is read.
    static DataLink fromFile(const QString& path);
    // fileName: how messages name the data-link file.
    static DataLink parse(const QByteArray& bytes, const QString& baseDir,
                          const QString& fileName = QStringLiteral("sprav.udl"));
    // Nothing when the bytes are not text in UTF-8 or UTF-16.
    static std::optional<QString> decode(const QByteArray& bytes);
    // The value with everything from a password setting on hidden, for
    // messages that quote a value of the data link.
    static QString maskPasswords(const QString& value);
};
