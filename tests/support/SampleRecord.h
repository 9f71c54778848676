// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QAnyStringView>

// A record for a test, filled in one expression that converts to the
// RecordData that RecordStore, the main-window harness and RecordSeed take:
//   SampleRecord::person("Иванов", "Иван").phone(3, "123").hided(" 8 ")
// Texts are kept as given, blanks included.
class SampleRecord
{
public:
    // Nothing filled yet.
    SampleRecord() = default;
    // A person by surname and, if given, first name and patronymic.
    static SampleRecord person(QAnyStringView f, QAnyStringView io = {})
    {
        return SampleRecord().set(&RecordData::f, f).set(&RecordData::io, io);
    }

    SampleRecord& io(QAnyStringView text) { return set(&RecordData::io, text); }
    SampleRecord& prof(QAnyStringView title) { return set(&RecordData::prof, title); }
    // The enterprise: its short and, if given, its full name.
    SampleRecord& firm(QAnyStringView shortpp, QAnyStringView longpp = {})
    {
        return set(&RecordData::shortpp, shortpp).set(&RecordData::longpp, longpp);
    }
    SampleRecord& city(QAnyStringView name) { return set(&RecordData::city, name); }
    SampleRecord& legalAddress(QAnyStringView text) { return set(&RecordData::legaladdress, text); }
    SampleRecord& fizAddress(QAnyStringView text) { return set(&RecordData::fizaddress, text); }
    SampleRecord& postAddress(QAnyStringView text) { return set(&RecordData::postaddress, text); }
    SampleRecord& homeAddress(QAnyStringView text) { return set(&RecordData::homeaddress, text); }
    SampleRecord& path(QAnyStringView text) { return set(&RecordData::path, text); }
    SampleRecord& email(QAnyStringView text) { return set(&RecordData::email, text); }
    SampleRecord& www(QAnyStringView text) { return set(&RecordData::www, text); }
    SampleRecord& birthday(const QDate& date)
    {
        m_record.birthday = date;
        return *this;
    }
    // A phone of kind 1 (work) to 6 (fax).
    SampleRecord& phone(int kind, QAnyStringView number)
    {
        m_record.phones.at(kind) = number.toString();
        return *this;
    }
    SampleRecord& otherPhones(QAnyStringView text) { return set(&RecordData::otherphones, text); }
    SampleRecord& info(QAnyStringView text) { return set(&RecordData::info, text); }
    // The spouse: name and, if given, birthday text dd.MM.yyyy and notes.
    SampleRecord& spouse(QAnyStringView fio, QAnyStringView birthday = {}, QAnyStringView info = {})
    {
        return set(&RecordData::spfio, fio)
            .set(&RecordData::spbirthday, birthday)
            .set(&RecordData::spinfo, info);
    }
    SampleRecord& req(QAnyStringView text) { return set(&RecordData::req, text); }
    // Who may see and change the hidden parts: " u1 boss ".
    SampleRecord& owns(QAnyStringView users) { return set(&RecordData::owns, users); }
    // What is hidden from everybody else: codes " 1 12 ", or "all".
    SampleRecord& hided(QAnyStringView codes) { return set(&RecordData::hided, codes); }

    operator RecordData() const { return m_record; }

private:
    SampleRecord& set(QString RecordData::*field, QAnyStringView text)
    {
        m_record.*field = text.toString();
        return *this;
    }

    RecordData m_record;
};
