// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class QIODevice;

// Writes directory records to a vCard or CSV file, exactly as the user may
// see them (see VisibleRecords): nothing hidden from the user leaves the
// database. The file is replaced only when everything was written.
class Exporter
{
public:
    enum class Format { VCard, Csv };

    struct Result {
        int written = 0;
        bool cancelled = false; // the file was left as it was
    };

    // Told the records done and their number; returns false to cancel.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    Exporter(const QSqlDatabase& db, const QString& user);

    // CSV for a name ending in .csv, vCard otherwise.
    static Format formatFor(const QString& path);
    static QString suffix(Format format);

    // Throws ExchangeError when the file cannot be written, DbError when a
    // statement fails.
    Result write(const QString& path, Format format, const QList<int>& ids,
                 const Progress& progress = {});
    Result write(QIODevice& device, Format format, const QList<int>& ids,
                 const Progress& progress = {});

    static constexpr int progressEvery = 500;

private:
    QSqlDatabase m_db;
    QString m_user;
};
