// SPDX-License-Identifier: MIT
#include "directory/http/PhoneNumbers.h"
#include "db/ContactIndex.h"

#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

#include <set>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

namespace
{

const PhoneNumberUtil& util()
{
    return *PhoneNumberUtil::GetInstance();
}

bool parse(const QString& text, const std::string& region, PhoneNumber* number)
{
    return util().Parse(text.toStdString(), region, number) == PhoneNumberUtil::NO_PARSING_ERROR;
}

} // namespace

PhoneNumbers::PhoneNumbers(const QString& region) : m_region(region.toUpper().toStdString()) {}

bool PhoneNumbers::knownRegion(const QString& region)
{
    std::set<std::string> regions;
    util().GetSupportedRegions(&regions);
    return regions.count(region.toUpper().toStdString()) > 0;
}

// A text libphonenumber cannot read (a letter too many, a bare extension)
// still has its digits, taken as a number of the default region.
PhoneNumbers::Reading PhoneNumbers::read(const QString& text) const
{
    PhoneNumber number;
    if (!parse(text, m_region, &number))
        return {util().GetCountryCodeForRegion(m_region), ContactIndex::digitsOf(text)};
    std::string national;
    util().GetNationalSignificantNumber(number, &national);
    return {number.country_code(), QString::fromStdString(national)};
}

PhoneNumbers::Match PhoneNumbers::match(const QString& calling, const QString& stored) const
{
    const QString callingDigits = ContactIndex::digitsOf(calling);
    if (callingDigits.isEmpty())
        return Match::None;
    if (callingDigits.size() < LocalDigits)
        return ContactIndex::digitsOf(stored) == callingDigits ? Match::Exact : Match::None;
    const Reading caller = read(calling);
    const Reading phone = read(stored);
    if (phone.national.size() < LocalDigits || caller.national.size() < LocalDigits ||
        phone.countryCode != caller.countryCode)
        return Match::None;
    if (phone.national == caller.national)
        return Match::Exact;
    const bool callerLonger = caller.national.size() > phone.national.size();
    const QString& longer = callerLonger ? caller.national : phone.national;
    const QString& shorter = callerLonger ? phone.national : caller.national;
    return longer.endsWith(shorter) ? Match::Local : Match::None;
}

QString PhoneNumbers::storedDigitsHint(const QString& calling) const
{
    const QString digits = ContactIndex::digitsOf(calling);
    if (digits.size() < LocalDigits)
        return digits;
    return read(calling).national.right(LocalDigits);
}

QString PhoneNumbers::dialable(const QString& stored) const
{
    QString digits = ContactIndex::digitsOf(stored);
    PhoneNumber number;
    if (parse(stored, m_region, &number) && number.has_extension()) {
        const QString extension =
            ContactIndex::digitsOf(QString::fromStdString(number.extension()));
        if (digits.endsWith(extension) && digits.size() > extension.size())
            digits.chop(extension.size());
    }
    return stored.trimmed().startsWith(QLatin1Char('+')) ? QLatin1Char('+') + digits : digits;
}
