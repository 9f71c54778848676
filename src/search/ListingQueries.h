// SPDX-License-Identifier: MIT
#pragma once

#include "search/FoundRow.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

// The search view's listings: the records a user may see, with a phones text
// per record. Each listing runs two statements whatever the number of records:
// one for the records, one for the phones of all of them. Every value is bound.
// Throws DbError when a statement fails.
class ListingQueries
{
public:
    // Fewer characters than this (after trimming) and a search runs nothing.
    static constexpr int MinSearchLength = 3;
    // Above this many listed records, their phones are read from the whole
    // phone table rather than looked up by id.
    static constexpr int WholePhoneTableAbove = 400000;

    ListingQueries(const QSqlDatabase& db, const QString& user,
                   int wholePhoneTableAbove = WholePhoneTableAbove);

    // The typed text without the characters of code 32 or below at its ends.
    static QString searchText(const QString& typed);

    // Records whose surname, name and patronymic or enterprise names contain
    // the text, ignoring letter case. Nothing runs (nullopt) when the trimmed
    // text is too short.
    std::optional<QList<FoundRow>> search(const QString& typed) const;
    // Every record, ordered by surname, then name and patronymic.
    QList<FoundRow> allRecords() const;
    // The ids of the same records in the same order, without their texts.
    QList<int> allRecordIds() const;
    // The records of the city of that name (letter case ignored).
    QList<FoundRow> city(const QString& cityName) const;

    // People and spouses whose birthday falls today, tomorrow or the day after:
    // column 2 holds the birthday texts, the name a suffix when the spouse's
    // birthday is in the window; no city code before the phones.
    QList<FoundRow> birthdays(const QDate& today) const;
    // Whether birthdays() would list anything.
    bool hasBirthdays(const QDate& today) const;

    // The cities that some record refers to, whether or not the user may see it.
    QStringList cities() const;

    static QString spouseOnlySuffix() { return QStringLiteral(" - супруг(а)"); }
    static QString withSpouseSuffix() { return QStringLiteral(" и супруг(а)"); }

private:
    struct Selection;

    Selection allSelection() const;
    QList<FoundRow> directory(const Selection& selection) const;
    void addPhones(QList<FoundRow>& rows, const QList<bool>& permitted,
                   const QStringList& prefixes) const;

    QSqlDatabase m_db;
    QString m_user;
    int m_wholePhoneTableAbove;
};
