// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What one column of a CSV file holds. Most columns hold one field; phones
// hold a kind; addresses written in parts (street, city, ...) a kind and a
// part; and the numbered groups of some programs ("Phone 1 - Label",
// "Phone 1 - Value") pair a column that names the kind with the column of
// the value.
struct CsvColumn {
    enum class Field {
        None,
        Surname,
        GivenName,
        MiddleName,
        GivenNames, // name and patronymic in one text
        FullName,
        JobTitle,
        Enterprise,
        EnterpriseFull,
        City,
        Address, // a whole address of a kind
        AddressPart,
        Path,
        Phone,       // a number of a kind (0: other phones)
        OtherPhones, // the free text of other phones
        Email,
        Www,
        Birthday,
        BirthYear,
        BirthMonth,
        BirthDay,
        Notes,
        Spouse,
        SpouseBirthday,
        SpouseInfo,
        Requisites,
        PhoneLabel, // names the kind of the group's phone
        AddressLabel,
        RelationLabel,
        RelationValue,
    };
    enum class Part { Street, Street2, Street3, City, Region, Code, Country, PoBox, Extended };

    Field field = Field::None;
    int kind = 0; // Phone: 0..6, or byLabel; Address, AddressPart: Contact::AddressKind, or byLabel
    Part part = Part::Street;
    int group = 0; // the number of a group ("Phone 2 - Value": 2)
    // OtherPhones: the header of a phone column no rule knows, written
    // before each of its numbers ("Телефон на даче: 123-45-67").
    QString label;

    static constexpr int byLabel = -1;

    friend bool operator==(const CsvColumn&, const CsvColumn&) = default;

    // The caption the column mapping shows.
    QString caption() const;
    // What the user may choose for a column.
    static const QList<CsvColumn>& choices();
    // The column a known header names; a header that speaks of a phone or
    // a fax and that no rule knows goes to the other phones with its label;
    // None for the rest.
    static CsvColumn forHeader(const QString& header);
};
