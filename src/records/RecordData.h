// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QString>
#include <array>

// The values of one directory record as the editor holds them: texts as
// typed, the job title and the city by name, phones by kind (1 to 6).
struct RecordData {
    QString f;
    QString io;
    QString prof;
    QString shortpp;
    QString longpp;
    QString legaladdress;
    QString postaddress;
    QString fizaddress;
    QString homeaddress;
    QString city;
    QString path;
    QString email;
    QString www;
    // Invalid or 30.12.1899: no birthday.
    QDate birthday;
    // A stored birthday text that does not read as a date. It is stored
    // again as it stands while birthday holds no date, so a change of the
    // record does not erase the only copy.
    QString unreadBirthday;
    QString otherphones;
    QString info;
    QString spfio;
    // Date text dd.MM.yyyy; empty: none.
    QString spbirthday;
    QString spinfo;
    QString req;
    QString owns;
    QString hided;
    // phones[kind] for kinds 1 to 6; index 0 is unused.
    std::array<QString, 7> phones;

    static constexpr int firstPhoneKind = 1;
    static constexpr int lastPhoneKind = 6;

    friend bool operator==(const RecordData&, const RecordData&) = default;
};
