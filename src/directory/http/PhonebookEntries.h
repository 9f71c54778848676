// SPDX-License-Identifier: MIT
#pragma once

#include "directory/Viewer.h"

#include "directory/http/PhoneNumbers.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

// One record of a desk phone's remote phonebook, with the phones the
// anonymous viewer may see.
struct PhonebookEntry {
    struct Phone {
        int kind = 0; // 1 work ... 6 fax
        QString dial; // what the phone dials (PhoneNumbers::dialable)
    };
    int id = 0;
    QString surname;    // f
    QString given;      // io: name and patronymic
    QString name;       // surname, name and patronymic; the enterprise when blank
    QString enterprise; // short enterprise name, else the full one
    QList<Phone> phones;
};

// The records a phonebook lists, in the directory's order, as the anonymous
// viewer sees them. Throws DbError when a statement fails.
class PhonebookEntries
{
public:
    struct Page {
        QList<PhonebookEntry> entries;
        int next = -1; // where the next page starts in the ids; -1: no more
    };

    PhonebookEntries(const QSqlDatabase& db, const PhoneNumbers& numbers, const Viewer& viewer);

    // All records for an empty text, else those the search box finds for it
    // (names folded as the program folds them, «ё» as «е», letter case
    // ignored; a number also by its phones). A text too short to search for
    // finds nothing.
    QList<int> ids(const QString& typed) const;
    // The entries from ids[start] on that have a phone to dial, as many as
    // fit in maxRecords entries with maxPhones phones in all; a record's
    // phones stay on one page.
    Page page(const QList<int>& ids, int start, int maxRecords, int maxPhones) const;

private:
    QList<PhonebookEntry> load(const QList<int>& ids) const;

    QSqlDatabase m_db;
    const PhoneNumbers& m_numbers;
    Viewer m_viewer;
};
