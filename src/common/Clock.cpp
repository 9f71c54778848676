// SPDX-License-Identifier: MIT
#include "common/Clock.h"

namespace
{
QDate& fixedToday()
{
    static QDate date;
    return date;
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
