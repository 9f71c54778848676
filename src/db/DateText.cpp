// SPDX-License-Identifier: MIT
#include "db/DateText.h"

QString DateText::toText(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QDate DateText::fromText(const QString& text)
{
    return QDate::fromString(text.trimmed(), QStringLiteral("dd.MM.yyyy"));
}

QString DateText::dayMonth(const QDate& date)
{
    return date.toString(QStringLiteral("dd.MM"));
}

QString DateText::toStamp(const QDateTime& moment)
{
    return moment.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime DateText::fromStamp(const QString& text)
{
    return text.isEmpty() ? QDateTime() : QDateTime::fromString(text, Qt::ISODateWithMs);
}
