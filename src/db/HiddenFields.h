// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

// The parts of a record that its privacy codes hide. A record's `hided`
// column holds the codes as decimal numbers between blanks (" 1 8 12 "), or
// the marker of a record hidden as a whole (wholeRecord()).
enum class HiddenCode {
    AllAddresses,
    LegalAddress,
    FizAddress,
    PostAddress,
    HomeAddress,
    Path,
    Email,
    Birthday,
    Spouse,
    Requisites,
    AllPhones,
    WorkPhone,
    HomePhone,
    MobilePhone,
    DirectPhone,
    SecretaryPhone,
    FaxPhone,
    OtherPhones,
};

// One hideable part of a record: a field of its own, the spouse data, the
// requisites, or one of the phones (kinds 1 to 6 and the other phones).
enum class HiddenPart {
    LegalAddress,
    FizAddress,
    PostAddress,
    HomeAddress,
    Path,
    Email,
    Birthday,
    Spouse,
    Requisites,
    Phone1,
    Phone2,
    Phone3,
    Phone4,
    Phone5,
    Phone6,
    OtherPhones,
};

// The one map from the codes to their numbers and to what they hide. Every
// place that hides something (loading a record, the editor's blanking, the
// privacy dialog, the listings' phones, the statements that filter lists)
// asks it, in C++ or in SQL.
class HiddenFields
{
public:
    // The `hided` text of a record hidden as a whole, as the privacy dialog
    // writes it.
    static QString wholeRecord();
    // Whether hided hides the whole record: the marker stands anywhere in it.
    // This is how the lists' statements have always read it (wholeRecordSql()),
    // and they decide what every running copy shows.
    static bool hidesWholeRecord(const QString& hided);
    // The same test in SQL on an expression for hided (NULL read as empty).
    // `find` names the function giving the position of one text in another:
    // instr in statements, strpos inside PostgreSQL's own functions.
    static QString wholeRecordSql(const QString& hided,
                                  const QString& find = QStringLiteral("instr"));

    static const QList<HiddenCode>& codes();
    // The number stored in `hided` (1 to 18).
    static int number(HiddenCode code);
    // The parts the code hides: several for a group code.
    static QList<HiddenPart> parts(HiddenCode code);
    // The codes a group code (all addresses, all phones) takes in.
    static QList<HiddenCode> members(HiddenCode code);

    static bool has(const QString& hided, HiddenCode code);
    // The same test in SQL on an expression for hided that is never NULL.
    static QString hasSql(const QString& hided, HiddenCode code);
    // The part is hidden by one of the codes in hided.
    static bool hides(const QString& hided, HiddenPart part);
    // The part for the phone of kind 1 to 6.
    static HiddenPart phone(int kind);
    // The code that hides the part alone (Phone1: WorkPhone).
    static HiddenCode code(HiddenPart part);
    // SQL: the phone whose kind is the expression `kind` is hidden by its
    // kind's own code in hided (never NULL); false for a kind outside 1 to 6.
    // The code that hides all phones is tested apart.
    static QString phoneKindSql(const QString& hided, const QString& kind);

private:
    // The code spelled as it stands in `hided`: the number between blanks.
    static QString spelled(HiddenCode code);
};
