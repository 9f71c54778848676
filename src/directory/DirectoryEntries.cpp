// SPDX-License-Identifier: MIT
#include "directory/DirectoryEntries.h"
#include "db/Visibility.h"
#include "exchange/VisibleRecords.h"
#include "records/RecordStore.h"

#include <QRegularExpression>

namespace
{

QString joined(const QString& first, const QString& second)
{
    return (first.trimmed() + QLatin1Char(' ') + second.trimmed()).trimmed();
}

// A record's e-mail box may hold several addresses.
QStringList addresses(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

// The value of the first attribute of a DN ("dc=sprav": "sprav").
QString firstValue(const QString& dn)
{
    const QString rdn = dn.section(QLatin1Char(','), 0, 0);
    return rdn.section(QLatin1Char('='), 1).trimmed();
}

} // namespace

DirectoryEntries::DirectoryEntries(const QSqlDatabase& db, const QString& baseDn)
    : m_db(db), m_baseDn(baseDn)
{
}

QString DirectoryEntries::peopleDn() const
{
    return QStringLiteral("ou=people,") + m_baseDn;
}

QString DirectoryEntries::usersDn() const
{
    return QStringLiteral("ou=users,") + m_baseDn;
}

DirectoryEntry DirectoryEntries::baseEntry() const
{
    DirectoryEntry entry{m_baseDn, {}};
    entry.add(QStringLiteral("objectClass"),
              QStringList{QStringLiteral("top"), QStringLiteral("organization"),
                          QStringLiteral("dcObject")});
    const QString name = firstValue(m_baseDn);
    entry.add(QStringLiteral("dc"), name);
    entry.add(QStringLiteral("o"), name);
    return entry;
}

DirectoryEntry DirectoryEntries::peopleEntry() const
{
    DirectoryEntry entry{peopleDn(), {}};
    entry.add(QStringLiteral("objectClass"),
              QStringList{QStringLiteral("top"), QStringLiteral("organizationalUnit")});
    entry.add(QStringLiteral("ou"), QStringLiteral("people"));
    return entry;
}

void DirectoryEntries::forEachPerson(const Viewer& viewer, const std::optional<QList<int>>& ids,
                                     const std::function<bool(DirectoryEntry&&)>& visit) const
{
    const VisibleRecords records(m_db, viewer.user);
    const QList<int> all = ids ? *ids : records.allIds();
    const QString people = peopleDn();
    bool go = true;
    // The first batch small, for a desk phone that wants a screenful; later
    // ones larger, for a client that reads the whole book.
    qsizetype batch = 64;
    for (qsizetype start = 0; go && start < all.size(); start += batch) {
        records.forEach(all.mid(start, batch), [&](int id, const RecordData& shown) {
            RecordData record = shown;
            // The record view also shows coded parts when owns is empty; the
            // lists do not, and neither does the directory.
            if (!Visibility::IsPermitted(record.owns, viewer.user))
                RecordStore::dropHidden(record);
            go = visit(fromRecord(id, record, people));
            return go;
        });
        batch = qMin(batch * 2, qsizetype(VisibleRecords::batchSize));
    }
}

std::optional<DirectoryEntry> DirectoryEntries::person(const Viewer& viewer, int id) const
{
    std::optional<DirectoryEntry> found;
    forEachPerson(viewer, QList<int>{id}, [&](DirectoryEntry&& entry) {
        found = std::move(entry);
        return false;
    });
    return found;
}

DirectoryEntry DirectoryEntries::fromRecord(int id, const RecordData& r, const QString& peopleDn)
{
    const QString uid = QString::number(id);
    DirectoryEntry e{QStringLiteral("uid=%1,%2").arg(uid, peopleDn), {}};
    e.add(QStringLiteral("objectClass"),
          QStringList{QStringLiteral("top"), QStringLiteral("person"),
                      QStringLiteral("organizationalPerson"), QStringLiteral("inetOrgPerson")});
    e.add(QStringLiteral("uid"), uid);
    // A record of an enterprise alone has no person's name: it goes by the
    // enterprise's. cn and sn are required of a person; the id stands in
    // for a record without any name.
    QString name = joined(r.f, r.io);
    if (name.isEmpty())
        name = r.shortpp.trimmed().isEmpty() ? r.longpp.trimmed() : r.shortpp.trimmed();
    if (name.isEmpty())
        name = uid;
    e.add(QStringLiteral("cn"), name);
    e.add(QStringLiteral("displayName"), name);
    e.add(QStringLiteral("sn"), r.f.trimmed().isEmpty() ? name : r.f);
    e.add(QStringLiteral("givenName"), r.io);
    e.add(QStringLiteral("o"), QStringList{r.shortpp, r.longpp});
    e.add(QStringLiteral("title"), r.prof);
    // Work, direct line and secretary are the numbers a desk phone dials
    // at work.
    e.add(QStringLiteral("telephoneNumber"), QStringList{r.phones[1], r.phones[4], r.phones[5]});
    e.add(QStringLiteral("homePhone"), r.phones[2]);
    e.add(QStringLiteral("mobile"), r.phones[3]);
    e.add(QStringLiteral("facsimileTelephoneNumber"), r.phones[6]);
    e.add(QStringLiteral("mail"), addresses(r.email));
    e.add(QStringLiteral("labeledURI"), r.www);
    e.add(QStringLiteral("l"), r.city);
    e.add(QStringLiteral("postalAddress"),
          r.postaddress.trimmed().isEmpty() ? r.fizaddress : r.postaddress);
    e.add(QStringLiteral("description"), r.info);
    return e;
}
