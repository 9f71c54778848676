// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QDateTime>

// The one source of "today". Tests set a fixed date; the program asks the system.
class Clock
{
public:
    static QDate today();
    // Fixes "today" to the given date; an invalid date returns to the system clock.
    static void setToday(const QDate& date);
    // The moment, in UTC. Tests may fix it; an invalid moment returns to the
    // system clock.
    static QDateTime now();
    static void setNow(const QDateTime& moment);
};
