// SPDX-License-Identifier: MIT
#include "exchange/Exporter.h"
#include "exchange/CsvWriter.h"
#include "exchange/ExchangeError.h"
#include "exchange/VCardWriter.h"
#include "exchange/VisibleRecords.h"
#include "records/RecordStore.h"

#include <QFileInfo>
#include <QSaveFile>

namespace
{

constexpr qsizetype flushAbove = 1024 * 1024;

void put(QIODevice& device, QByteArray& buffer)
{
    if (device.write(buffer) != buffer.size())
        throw ExchangeError(QStringLiteral("Файл не записывается: %1").arg(device.errorString()));
    buffer.clear();
}

// The texts as the editor stores them (phones stay as they are), so that a
// file written, read in and written again is the same file.
RecordData asStored(RecordData r)
{
    for (QString* text :
         {&r.f, &r.io, &r.prof, &r.shortpp, &r.longpp, &r.legaladdress, &r.postaddress,
          &r.fizaddress, &r.homeaddress, &r.city, &r.path, &r.email, &r.www, &r.otherphones,
          &r.info, &r.spfio, &r.spbirthday, &r.spinfo, &r.req})
        *text = RecordStore::trimmed(*text);
    return r;
}

} // namespace

Exporter::Exporter(const QSqlDatabase& db, const QString& user) : m_db(db), m_user(user) {}

Exporter::Format Exporter::formatFor(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0
               ? Format::Csv
               : Format::VCard;
}

QString Exporter::suffix(Format format)
{
    return format == Format::Csv ? QStringLiteral("csv") : QStringLiteral("vcf");
}

Exporter::Result Exporter::write(const QString& path, Format format, const QList<int>& ids,
                                 const Progress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ExchangeError(QStringLiteral("Файл %1 не открывается для записи: %2")
                                .arg(QFileInfo(path).fileName(), file.errorString()));
    const Result result = write(file, format, ids, progress);
    if (result.cancelled) {
        file.cancelWriting();
        return result;
    }
    if (!file.commit())
        throw ExchangeError(QStringLiteral("Файл %1 не записан: %2")
                                .arg(QFileInfo(path).fileName(), file.errorString()));
    return result;
}

Exporter::Result Exporter::write(QIODevice& device, Format format, const QList<int>& ids,
                                 const Progress& progress)
{
    Result result;
    QByteArray buffer;
    if (format == Format::Csv)
        buffer = CsvWriter::header();
    int done = 0;
    VisibleRecords(m_db, m_user).forEach(ids, [&](int, const RecordData& record) {
        const RecordData shown = asStored(record);
        buffer += format == Format::Csv ? CsvWriter::row(shown) : VCardWriter::card(shown);
        ++result.written;
        if (buffer.size() > flushAbove)
            put(device, buffer);
        if (progress && ++done % progressEvery == 0 && !progress(done, ids.size())) {
            result.cancelled = true;
            return false;
        }
        return true;
    });
    if (!result.cancelled)
        put(device, buffer);
    return result;
}
