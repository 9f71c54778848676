// SPDX-License-Identifier: MIT
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>

class QSqlDriver;
class QSqlError;
struct sqlite3;

// The SQLite file a data link names, looked at before the program writes to
// it. Only a missing or empty database gets the schema; a database with
// tables of its own must be a directory of this program (made by any version
// of it), else it is refused and left exactly as it was. The engine's errors
// on the file are told in Russian, naming the file and what to do.
class SqliteFile
{
public:
    // Before opening: the path names a regular file, or nothing yet (a
    // folder, a pipe or a device is refused; reading a pipe would wait for
    // ever).
    static void checkPath(const QString& path);
    // After opening, before anything is written to the file. Throws DbError
    // for a file that is not a database, is damaged, or is another program's
    // database, and for an empty one that can only be read. Returns whether
    // the database can only be read.
    static bool check(const QSqlDatabase& db);
    // The connection can only read: the file is write-protected, or the data
    // link asks for reading only.
    static bool readOnly(const QSqlDatabase& db);

    // The explanation of an error of SQLite on the database file, with the
    // engine's text after it; empty for other errors and other engines.
    static QString explain(const QSqlError& error, const QSqlDriver* driver);
    // The same for an error of SQLite on the file at path.
    static QString explain(const QSqlError& error, const QString& path);

    static sqlite3* handle(const QSqlDriver* driver);

    // Whether the file at path (or the folder it would be made in) lies on a
    // network file system: SQLite's WAL needs memory shared on one machine,
    // and file locks over a network are not to be trusted.
    static bool onNetworkShare(const QString& path);
    // Whether a Linux file-system type (statfs' f_type) is a network one.
    static bool isNetworkFileSystem(quint64 type);
    // The warning for a database on a network share, naming the file.
    static QString networkShareText(const QString& path);

    // Gives the file-system type of a path in place of the system's answer
    // (tests); an empty function restores the system's.
    using FileSystemProbe = std::function<quint64(const QString& path)>;
    static void setFileSystemProbe(FileSystemProbe probe);
};
