// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Telephone numbers as a caller ID sends them and as the directory stores
// them, read with libphonenumber in a default region, so that
// "8 916 123-45-67", "+7 916 123-45-67", "79161234567" and "9161234567" are
// one number in Russia.
class PhoneNumbers
{
public:
    // Fewer digits than this and a number is an internal one (an extension
    // of the office's exchange), matched digit for digit. As many and more
    // identify a number without its country and city code, as in the
    // program's search.
    static constexpr int LocalDigits = 7;

    enum class Match {
        None,
        Local, // one side lacks the city code: the shorter number ends the longer
        Exact, // the same number, or the same internal number
    };

    // region: two letters, e.g. "RU"; numbers written without a country code
    // belong there.
    explicit PhoneNumbers(const QString& region);

    static bool knownRegion(const QString& region);

    // How a stored phone answers to a calling number.
    Match match(const QString& calling, const QString& stored) const;
    // The digits of the calling number that every matching stored phone
    // holds: its last LocalDigits, or all of an internal number.
    QString storedDigitsHint(const QString& calling) const;
    // What a desk phone dials for a stored phone: its digits, the leading +
    // kept, an extension ("доб. 12", "ext. 12") left out.
    QString dialable(const QString& stored) const;

private:
    struct Reading {
        int countryCode = 0;
        QString national; // the national significant number's digits
    };
    Reading read(const QString& text) const;

    std::string m_region;
};
