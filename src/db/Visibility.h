// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QSqlQuery;

// Who may see what of a record. `hided` holds the hidden-field codes (see
// HiddenFields) or "all", `owns` the permitted users (" u1 u2 "), `phone`.`hid` the hidden
// flag of one phone. Names and codes are compared exactly.
class Visibility
{
public:
    // The decimal code with one blank on each side occurs in hided.
    static bool HasCode(const QString& hided, int code);
    // The user name with one blank on each side occurs in owns.
    static bool IsPermitted(const QString& owns, const QString& user);
    // Permitted, or nobody is named at all.
    static bool IsExempt(const QString& owns, const QString& user);
    // The record is hidden as a whole ("all") from a user not named in owns,
    // as the lists leave it out.
    static bool HiddenAsWhole(const QString& hided, const QString& owns, const QString& user);
    // The hid flag of a phone of kind 1..6: all phones, or that kind, hidden.
    static bool PhoneHidFor(const QString& hided, int kind);

    enum class Filter {
        Plain,        // search and all records
        Qualified,    // records of one city (columns named with their table)
        Birthday,     // birthday list: also leaves out records whose birthday is hidden
        BirthdayProbe // the same test for the probe after login
    };
    // The SQL condition that keeps records hidden from the current user out of
    // a list. The user is bound to the placeholder :visuser by bindUser().
    static QString VisibilityFilter(Filter variant);
    // The SQL condition under which the spouse data of a record in sprav may
    // be listed for the user bound to :visuser (hidden spouse data is listed
    // only for users named in owns).
    static QString SpouseVisibleCondition();
    static bool SpouseVisible(const QString& hided, const QString& owns, const QString& user);
    static void bindUser(QSqlQuery& query, const QString& user);
};
