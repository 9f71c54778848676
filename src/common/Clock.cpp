// SPDX-License-Identifier: MIT
#include "common/Clock.h"

namespace
{
QDate& fixedToday()
{
    static QDate date;
    return date;
}
QDateTime& fixedNow()
{
    static QDateTime moment;
    return moment;
}
} // namespace

QDate Clock::today()
{
    const QDate& fixed = fixedToday();
    return fixed.isValid() ? fixed : QDate::currentDate();
}

void Clock::setToday(const QDate& date)
{
    fixedToday() = date;
}

QDateTime Clock::now()
{
    const QDateTime& fixed = fixedNow();
    return fixed.isValid() ? fixed.toUTC() : QDateTime::currentDateTimeUtc();
}

void Clock::setNow(const QDateTime& moment)
{
    fixedNow() = moment;
}
