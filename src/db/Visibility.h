// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QSqlQuery;

// Who may see what of a record. `hided` holds the hidden-field codes or the
// marker of a record hidden as a whole (see HiddenFields), `owns` the
// permitted users (" u1 u2 "), `phone`.`hid` the hidden flag of one phone.
// Names and codes are compared exactly.
//
// Each rule is here twice, as a C++ test on the texts and as an SQL condition
// for the statements that list records; the SQL conditions test the user
// bound to the placeholder :visuser by bindUser(), never a spliced name.
class Visibility
{
public:
    // The decimal code with one blank on each side (" 1 ", " 11 ") occurs in
    // hided: the one test of a code, which HiddenFields::has applies.
    static bool HasCode(const QString& hided, int code);
    // The user name with one blank on each side occurs in owns.
    static bool IsPermitted(const QString& owns, const QString& user);
    // Permitted, or nobody is named at all.
    static bool IsExempt(const QString& owns, const QString& user);
    // The record is hidden as a whole from a user not named in owns, as the
    // lists leave it out.
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
    // a list.
    static QString VisibilityFilter(Filter variant);
    // The same filter on a table that keeps, per record, the owns of a record
    // hidden as a whole and NULL for every other (`hiddenowns` of sprav_order
    // and sprav_names; the triggers of SortKey fill it).
    static QString HiddenOwnsFilter(const QString& table);

    // The SQL conditions under which a part of a record in sprav may be
    // listed or searched for: hidden parts only for users named in owns. A
    // phone (table phone) also by its hid flag, all phones' code or its
    // kind's code.
    static QString SpouseVisibleCondition();
    static QString EmailVisibleCondition();
    static QString PhoneVisibleCondition();
    static bool SpouseVisible(const QString& hided, const QString& owns, const QString& user);

    static void bindUser(QSqlQuery& query, const QString& user);
};
