// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/DuplicateIndex.h"
#include "records/RecordData.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <optional>

class ContactFile;
class ContactReader;

// Brings the contacts of a file into the directory through the record store
// the editor uses, all in one transaction: a failure or a cancel leaves the
// database as it was. Records already in the directory (see DuplicateIndex)
// are skipped unless asked otherwise; records that cannot be stored are
// listed with where they stand in the file and why.
class Importer
{
public:
    struct Rejection {
        QString where; // "строка 12", "карточка 3"
        QString field; // the editor's caption, may be empty
        QString reason;
        int position = 0; // the line or the card number

        QString text() const;
    };

    struct Summary {
        int stored = 0;
        int duplicates = 0;
        QList<Rejection> rejections;
        bool cancelled = false; // nothing was stored
    };

    struct PreviewRow {
        QString where;
        RecordData record;
        bool duplicate = false;
        QString field;
        QString reason; // not empty: the record is refused
    };

    struct Preview {
        QList<PreviewRow> rows; // the first ones
        int records = 0;        // every record that may be stored, duplicates included
        int duplicates = 0;
        QList<Rejection> rejections;
        bool cancelled = false;
    };

    // Told the bytes read so far and the file's size; returns false to cancel.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    Importer(const QSqlDatabase& db, const QString& user);

    // Stores the contacts the reader gives. Throws ExchangeError for a file
    // that cannot be read on, DbError for a failing statement; nothing is
    // stored then.
    Summary run(const ContactFile& file, ContactReader& reader, bool storeDuplicates,
                const Progress& progress = {});
    // Reads the whole file as run() would, storing nothing: the first rows
    // as they would be stored, and the counts. Throws as run() does. The
    // records of the directory are read once for all previews of this
    // importer.
    Preview preview(const ContactFile& file, ContactReader& reader, int rows,
                    const Progress& progress = {});

    // How often (in records) progress is told.
    static constexpr int progressEvery = 100;

private:
    int lookup(QHash<QString, int>& cache, const QString& name, bool city);

    QSqlDatabase m_db;
    QString m_user;
    std::optional<DuplicateIndex> m_shown;
};
