// SPDX-License-Identifier: MIT
#include "ExchangeFigures.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "exchange/ContactFile.h"
#include "exchange/ContactReader.h"
#include "exchange/Exporter.h"
#include "exchange/VisibleRecords.h"

#include <QFileInfo>
#include <QTemporaryDir>

ExchangeFigures::Result ExchangeFigures::run(const QSqlDatabase& db, const QString& user,
                                             int exportRuns, bool wantExport, bool wantImport)
{
    Result result;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("contacts.vcf"));
    auto exportAll = [&] {
        result.records =
            Exporter(db, user)
                .write(path, Exporter::Format::VCard, VisibleRecords(db, user).allIds())
                .written;
    };
    if (wantExport)
        result.exported = Measure::run(exportRuns, exportAll);
    else
        exportAll();
    result.fileBytes = QFileInfo(path).size();
    if (!wantImport)
        return result;

    DataLink link;
    link.provider = DataLink::Provider::SQLite;
    link.dataSource = dir.filePath(QStringLiteral("imported.db"));
    {
        Database target(link, QStringLiteral("bench-import"));
        Measure::resetPeakRss();
        result.importMs = Measure::once(
            [&] {
                const ContactFile file(path);
                const std::unique_ptr<ContactReader> reader = file.open();
                result.imported = Importer(target.db(), user).run(file, *reader, false);
            },
            &result.importCpuMs);
        result.importPeakMb = Measure::peakRssMb();
    }
    return result;
}
