// SPDX-License-Identifier: MIT
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class QSqlQuery;

// The three days of the birthday list, today, tomorrow and the day after, as
// the "dd.MM" texts that stored dates ("dd.MM.yyyy") begin with. In a year
// without 29 February, a birthday on that day counts on 28 February. The
// no-date value 30.12.1899 and NULL are never in the window.
class BirthdayWindow
{
public:
    explicit BirthdayWindow(const QDate& today);

    const QStringList& dayTexts() const { return m_days; }

    // Whether a stored date text falls in the window.
    bool contains(const QString& stored) const;

    // The same test as an SQL condition on a date column (e.g. "birthday");
    // its values are bound by bind().
    QString condition(const QString& column) const;
    void bind(QSqlQuery& query) const;

private:
    QStringList m_days;
};
