// SPDX-License-Identifier: MIT
#pragma once

#include "search/FoundRow.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

class BirthdayWindow;
struct ListingSelection;

// The rows of a listing made from its selection: one statement for the
// records, one for the phones of all of them, whatever their number. A hidden
// phone is left out unless the user is named in the record's owns.
class ListingRows
{
public:
    ListingRows(const QSqlDatabase& db, const QString& user, int wholePhoneTableAbove);

    // Search, all records and one city: id, name, short enterprise name, and
    // the phones after the city code.
    QList<FoundRow> directory(const ListingSelection& selection) const;
    // The birthday list: the birthday texts, the name with a suffix when the
    // spouse's birthday is in the window; no city code before the phones.
    QList<FoundRow> birthdays(const ListingSelection& selection,
                              const BirthdayWindow& window) const;

    static QString spouseOnlySuffix() { return QStringLiteral(" - супруг(а)"); }
    static QString withSpouseSuffix() { return QStringLiteral(" и супруг(а)"); }

private:
    void addPhones(QList<FoundRow>& rows, const QList<bool>& permitted,
                   const QStringList& prefixes) const;

    QSqlDatabase m_db;
    QString m_user;
    int m_wholePhoneTableAbove;
};
