// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"
#include "exchange/Importer.h"

#include <QSqlDatabase>
#include <QString>

// The exchange figures: the directory exported to vCard as a user sees it,
// through the exporter the menu and the command line use, and that file
// imported into an empty SQLite database through the importer (one
// transaction, duplicates skipped as by default).
class ExchangeFigures
{
public:
    struct Result {
        Measure::Figures exported;
        int records = 0;
        qint64 fileBytes = 0;
        double importMs = 0;
        double importCpuMs = 0;
        double importPeakMb = 0; // the process's peak during the import
        Importer::Summary imported;
    };

    static Result run(const QSqlDatabase& db, const QString& user, int exportRuns, bool wantExport,
                      bool wantImport);
};
