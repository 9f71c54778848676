// SPDX-License-Identifier: MIT
#include "exchange/Importer.h"
#include "db/Sql.h"
#include "exchange/ContactFile.h"
#include "exchange/ContactMapper.h"
#include "exchange/ContactReader.h"
#include "records/RecordStore.h"

#include <QHash>

QString Importer::Rejection::text() const
{
    return where + QStringLiteral(": ") +
           (field.isEmpty() ? reason : field + QStringLiteral(" — ") + reason);
}

Importer::Importer(const QSqlDatabase& db, const QString& user) : m_db(db), m_user(user) {}

// The id of a job title or city, added (a city with an empty code, as the
// editor adds one) when the directory does not have it yet.
int Importer::lookup(QHash<QString, int>& cache, const QString& name, bool city)
{
    if (name.isEmpty())
        return 0;
    const QString key = name.toLower();
    const auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return found.value();
    RecordStore store(m_db);
    int id = city ? store.cityId(name) : store.profId(name);
    if (id == 0)
        id = city ? store.addCity(name, QString()) : store.addProf(name);
    cache.insert(key, id);
    return id;
}

Importer::Summary Importer::run(const ContactFile& file, ContactReader& reader,
                                bool storeDuplicates, const Progress& progress)
{
    Summary summary;
    DuplicateIndex known;
    if (!storeDuplicates)
        known.addVisible(m_db, m_user);
    RecordStore store(m_db);
    QHash<QString, int> profs;
    QHash<QString, int> cities;

    Sql::Transaction transaction(m_db);
    Contact contact;
    int read = 0;
    while (reader.next(contact)) {
        if (progress && ++read % progressEvery == 0 && !progress(reader.bytesRead(), file.size())) {
            summary = Summary();
            summary.cancelled = true;
            return summary;
        }
        const ContactMapper::Result mapped = ContactMapper::map(contact);
        if (mapped.rejected()) {
            summary.rejections.append(Rejection{file.where(contact.position), mapped.field,
                                                mapped.reason, contact.position});
            continue;
        }
        const RecordData& record = mapped.record;
        if (!storeDuplicates && known.contains(record)) {
            ++summary.duplicates;
            continue;
        }
        store.insertInTransaction(record, lookup(profs, record.prof, false),
                                  lookup(cities, record.city, true), m_user);
        if (!storeDuplicates)
            known.add(record);
        ++summary.stored;
    }
    transaction.commit();
    return summary;
}

Importer::Preview Importer::preview(const ContactFile& file, ContactReader& reader, int rows,
                                    const Progress& progress)
{
    Preview preview;
    if (!m_shown) {
        m_shown.emplace();
        m_shown->addVisible(m_db, m_user);
    }
    DuplicateIndex known = *m_shown;
    Contact contact;
    int read = 0;
    while (reader.next(contact)) {
        if (progress && ++read % progressEvery == 0 && !progress(reader.bytesRead(), file.size())) {
            preview.cancelled = true;
            return preview;
        }
        const ContactMapper::Result mapped = ContactMapper::map(contact);
        PreviewRow row;
        row.where = file.where(contact.position);
        row.field = mapped.field;
        row.reason = mapped.reason;
        if (mapped.rejected()) {
            preview.rejections.append(
                Rejection{row.where, row.field, row.reason, contact.position});
        } else {
            ++preview.records;
            row.duplicate = known.contains(mapped.record);
            if (row.duplicate)
                ++preview.duplicates;
            else
                known.add(mapped.record);
        }
        if (preview.rows.size() < rows) {
            row.record = mapped.record;
            preview.rows.append(std::move(row));
        }
    }
    return preview;
}
