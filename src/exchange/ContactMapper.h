// SPDX-License-Identifier: MIT
#pragma once

#include "exchange/Contact.h"
#include "records/RecordData.h"

#include <QDate>
#include <QString>
#include <optional>

// Turns a contact read from a file into a directory record, or refuses it
// with the field and the reason. Names: surname, then name and patronymic
// (the given and additional names together); the whole name only when the
// parts are empty. Phones keep their kind; more phones of a kind than the
// record has boxes, and phones of no kind, go to the other phones. The city
// comes from an address's locality unless the file names it. Texts longer
// than the editor takes are refused, not cut.
class ContactMapper
{
public:
    struct Result {
        RecordData record;
        QString field;  // the editor's caption of the refused field (may be empty)
        QString reason; // empty when the record may be stored

        bool rejected() const { return !reason.isEmpty(); }
    };

    static Result map(const Contact& contact);

    // A birthday in the forms files write it: yyyy-MM-dd, yyyyMMdd, --MMdd,
    // --MM-dd, dd.MM.yyyy, M/d/yyyy, with or without a time after 'T'.
    // empty is set for texts that mean no date ("", "0/0/00", 30.12.1899);
    // nothing comes back for those and for texts that are no date. A date
    // without a year gets the leap year 1904, so 29 February stays.
    static std::optional<QDate> parseDate(const QString& text, bool* empty = nullptr);
    static constexpr int yearlessYear = 1904;

    // Digits of a phone number, for comparing numbers however they are written.
    static QString digits(const QString& phone);
};
