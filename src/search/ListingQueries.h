// SPDX-License-Identifier: MIT
#pragma once

#include "search/FoundRow.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

class BirthdayWindow;
class ListingRows;
class SearchRequest;
struct ListingSelection;

// The search view's listings: the records a user may see, with a phones text
// per record. Each listing runs two statements whatever the number of records:
// one for the records, one for the phones of all of them (ListingRows). Every
// value is bound. Throws DbError when a statement fails.
//
// This class picks the records of each listing (a ListingSelection: tables,
// condition with the visibility filter, order); ListingRows makes the rows,
// ListedOrder keeps the order of all records on SQLite.
class ListingQueries
{
public:
    // Fewer characters than this (after trimming) and a search runs nothing.
    static constexpr int MinSearchLength = 3;
    // Above this many listed records, their phones are read from the whole
    // phone table rather than looked up by id.
    static constexpr int WholePhoneTableAbove = 400000;
    // On SQLite, fewer name-search matches than this are sorted by the engine
    // unless the order of all records for the user is already in memory;
    // more are kept in that order (read once and kept until the database
    // changes), which costs less than sorting them.
    static constexpr int SortedByEngineBelow = 20000;

    ListingQueries(const QSqlDatabase& db, const QString& user,
                   int wholePhoneTableAbove = WholePhoneTableAbove,
                   int sortedByEngineBelow = SortedByEngineBelow);

    // The typed text without the characters of code 32 or below at its ends.
    static QString searchText(const QString& typed);

    // Records whose surname, name and patronymic or enterprise names contain
    // the text, ignoring letter case and reading «ё» as «е»; for a number
    // also the records with a matching phone, for a text with @ also those
    // whose e-mail contains it (SearchRequest), all in the list's order.
    // Never by a phone or e-mail hidden from the user. Nothing runs (nullopt)
    // when the trimmed text is too short.
    std::optional<QList<FoundRow>> search(const QString& typed) const;
    // Every record, ordered by surname, then name and patronymic (SortKey).
    QList<FoundRow> allRecords() const;
    // The records of the city of that name (letter case ignored).
    QList<FoundRow> city(const QString& cityName) const;

    // People and spouses whose birthday falls today, tomorrow or the day after:
    // column 2 holds the birthday texts, the name a suffix when the spouse's
    // birthday is in the window; no city code before the phones.
    QList<FoundRow> birthdays(const QDate& today) const;
    // Whether birthdays() would list anything.
    bool hasBirthdays(const QDate& today) const;

    // The same listings as ids in list order, for a grid that makes its rows
    // a page at a time (rows of ids that are hidden or gone meanwhile are
    // left out). On SQLite the ids of all records are kept per connection and
    // user, and brought up to date after changes.
    std::optional<QList<int>> searchIds(const QString& typed) const;
    QList<int> allRecordIds() const;
    QList<int> cityIds(const QString& cityName) const;
    QList<int> birthdayIds(const QDate& today) const;
    // The rows of those ids, in no particular order.
    QList<FoundRow> directoryRows(const QList<int>& ids) const;
    QList<FoundRow> birthdayRows(const QList<int>& ids, const QDate& today) const;

    // The cities that some record refers to, whether or not the user may see it.
    QStringList cities() const;

private:
    ListingSelection searchSelection(const SearchRequest& request) const;
    ListingSelection nameIdsSelection(const SearchRequest& request) const;
    ListingSelection allSelection() const;
    ListingSelection allIdsSelection() const;
    ListingSelection citySelection(const QString& cityName) const;
    ListingSelection birthdaySelection(const BirthdayWindow& window) const;
    QList<int> allRecordIdsPostgres() const;
    QList<int> matchingNames(const SearchRequest& request) const;
    QList<int> contactIds(const SearchRequest& request) const;
    QList<int> inListOrder(const QList<int>& matching) const;
    ListingRows rows() const;

    QSqlDatabase m_db;
    QString m_user;
    int m_wholePhoneTableAbove;
    int m_sortedByEngineBelow;
};
