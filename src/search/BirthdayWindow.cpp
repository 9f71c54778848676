// SPDX-License-Identifier: MIT
#include "search/BirthdayWindow.h"
#include "db/DateText.h"

#include <QSqlQuery>

namespace
{
QString dayPlaceholder(qsizetype i)
{
    return QStringLiteral(":bday%1").arg(i);
}
} // namespace

BirthdayWindow::BirthdayWindow(const QDate& today)
{
    for (int offset = 0; offset < 3; ++offset) {
        const QDate day = today.addDays(offset);
        m_days.append(DateText::dayMonth(day));
        if (day.month() == 2 && day.day() == 28 && !QDate::isLeapYear(day.year()))
            m_days.append(QStringLiteral("29.02"));
    }
}

bool BirthdayWindow::contains(const QString& stored) const
{
    return stored.size() >= 5 && stored != DateText::noDateText() &&
           m_days.contains(stored.left(5));
}

QString BirthdayWindow::condition(const QString& column) const
{
    QStringList placeholders;
    for (qsizetype i = 0; i < m_days.size(); ++i)
        placeholders.append(dayPlaceholder(i));
    return QStringLiteral("(substr(%1, 1, 5) IN (%2) AND %1 <> :bdaynodate)")
        .arg(column, placeholders.join(QStringLiteral(", ")));
}

void BirthdayWindow::bind(QSqlQuery& query) const
{
    for (qsizetype i = 0; i < m_days.size(); ++i)
        query.bindValue(dayPlaceholder(i), m_days.at(i));
    query.bindValue(QStringLiteral(":bdaynodate"), DateText::noDateText());
}
