// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Dates are stored as the text dd.MM.yyyy whatever the system's locale, so
// databases move between machines. 30.12.1899 stands for "no date".
class DateText
{
public:
    static QDate noDate() { return QDate(1899, 12, 30); }
    static QString noDateText() { return QStringLiteral("30.12.1899"); }

    static QString toText(const QDate& date);
    // An invalid date for text that does not parse.
    static QDate fromText(const QString& text);
    // The "dd.MM" part that the birthday lists look for.
    static QString dayMonth(const QDate& date);

    // Moments (of the revisions and the history) are stored as ISO 8601 text
    // in UTC with milliseconds, which sorts as the moments do.
    static QString toStamp(const QDateTime& moment);
    // An invalid moment for empty text.
    static QDateTime fromStamp(const QString& text);
};
