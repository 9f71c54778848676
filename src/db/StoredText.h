// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariantList>

class QSqlQuery;

// Texts reach the database and come back exactly as they were given. Two
// drivers would change a text that starts with U+FEFF, and no database keeps
// a NUL:
// - Qt's SQLite driver binds texts as UTF-16, and SQLite takes a byte-order
//   mark at the start of a UTF-16 text as the text's byte order: it drops a
//   U+FEFF, and a U+FFFE makes it swap the bytes of all the rest. Such a text
//   is bound with one more U+FEFF in front, which SQLite takes as the mark.
// - Qt's PostgreSQL driver decodes what it reads with QString::fromUtf8,
//   which skips a leading U+FEFF; such a value is read from the driver's
//   result once more.
// - PostgreSQL refuses a text with a NUL in a way no user understands, and
//   SQLite's functions end a text there: such a text is refused before the
//   statement runs.
class StoredText
{
public:
    // The text holds nothing that a database cannot store (a NUL).
    static bool storable(const QString& text);
    // The warning for a field whose text is not storable.
    static QString nulWarning(const QString& field);

    // Throws DbError when a text bound to the query is not storable.
    static void checkBindings(const QSqlQuery& query);
    // Rebinds the texts the engine would change; gives back the values the
    // caller bound, for restoreBindings() after the statement ran (empty
    // when nothing was rebound).
    static QVariantList protectBindings(QSqlQuery& query);
    static void restoreBindings(QSqlQuery& query, const QVariantList& given);

    // A text column as stored: NULL reads as empty.
    static QString read(const QSqlQuery& query, int column);
};
