// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One contact as a file holds it, before it becomes a directory record:
// names, phones and addresses in the pieces the formats write them in.
struct Contact {
    enum class AddressKind { Work, Home, Postal, Legal, Other };

    struct Phone {
        QString number;
        int kind = 0; // 1 to 6 as the directory's phone kinds; 0: other phones
    };

    // An address in its vCard parts; a file that keeps the whole address in
    // one text puts it into street.
    struct Address {
        AddressKind kind = AddressKind::Work;
        QString poBox;
        QString extended;
        QString street;
        QString locality;
        QString region;
        QString code;
        QString country;
    };

    // Where the contact starts: the line of a CSV file, the number of a card.
    int position = 0;
    // Set when the contact cannot be read (its field and the reason); it is
    // then rejected whatever else it holds.
    QString unreadField;
    QString unreadReason;

    QString family;
    QString given;
    QString additional;
    QString formatted;  // the whole name, used when the parts are empty
    QString givenNames; // name and patronymic in one text
    QString title;
    QString org;
    QString orgFull;
    QString city;
    QString path;
    QString requisites;
    QList<Phone> phones;
    QStringList otherPhones; // free texts of other phones
    QStringList emails;
    QStringList urls;
    QList<Address> addresses;
    QString birthday;
    QString spouse;
    QString spouseBirthday;
    QString spouseInfo;
    QString note;
};
