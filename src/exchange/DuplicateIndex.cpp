// SPDX-License-Identifier: MIT
#include "exchange/DuplicateIndex.h"
#include "exchange/ContactMapper.h"
#include "exchange/VisibleRecords.h"
#include "records/RecordStore.h"

#include <QRegularExpression>

namespace
{

QString folded(const QString& text)
{
    return RecordStore::trimmed(text).toLower();
}

// A number by its digits; of a full number the last ten, so that +7 843 ...
// and 8 (843) ... are the same phone.
QString phoneKey(const QString& phone)
{
    const QString d = ContactMapper::digits(phone);
    return d.size() > 10 ? d.right(10) : d;
}

} // namespace

void DuplicateIndex::addVisible(const QSqlDatabase& db, const QString& user)
{
    const VisibleRecords records(db, user);
    records.forEach(records.allIds(), [this](int, const RecordData& record) {
        add(record);
        return true;
    });
}

QString DuplicateIndex::key(const RecordData& r)
{
    return folded(r.f) + QChar(0x1F) + folded(r.io);
}

DuplicateIndex::Entry DuplicateIndex::entry(const RecordData& r)
{
    Entry e;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind) {
        const QString d = phoneKey(r.phones[kind]);
        if (!d.isEmpty())
            e.phones.append(d);
    }
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    for (const QString& other : r.otherphones.split(separators, Qt::SkipEmptyParts)) {
        const QString d = phoneKey(other);
        if (!d.isEmpty())
            e.phones.append(d);
    }
    e.shortpp = folded(r.shortpp);
    e.longpp = folded(r.longpp);
    return e;
}

void DuplicateIndex::add(const RecordData& record)
{
    m_entries[key(record)].append(entry(record));
    ++m_size;
}

bool DuplicateIndex::contains(const RecordData& record) const
{
    const auto found = m_entries.constFind(key(record));
    if (found == m_entries.constEnd())
        return false;
    const Entry e = entry(record);
    const bool bare = e.phones.isEmpty() && e.shortpp.isEmpty() && e.longpp.isEmpty();
    for (const Entry& stored : found.value()) {
        if ((!e.shortpp.isEmpty() && e.shortpp == stored.shortpp) ||
            (!e.longpp.isEmpty() && e.longpp == stored.longpp))
            return true;
        for (const QString& phone : e.phones)
            if (stored.phones.contains(phone))
                return true;
        if (bare && stored.phones.isEmpty() && stored.shortpp.isEmpty() && stored.longpp.isEmpty())
            return true;
    }
    return false;
}
