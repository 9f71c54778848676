// SPDX-License-Identifier: MIT
#pragma once

#include "directory/Viewer.h"

#include "directory/http/PhoneNumbers.h"

#include <QSqlDatabase>
#include <QString>
#include <optional>

// The record that owns a calling number, as the anonymous viewer sees the
// directory: records hidden as a whole and hidden phones never answer.
//
// When several records own the number, the one shown is, in this order:
// - the one whose phone is the same number rather than the number without
//   its city code (PhoneNumbers::Match);
// - the one whose phone is personal: mobile, direct, home before work,
//   secretary and fax, which offices share;
// - the record entered first (the smallest id), so the answer stays the
//   same from call to call.
class CallerLookup
{
public:
    struct Caller {
        int id = 0;
        QString name;       // surname, name and patronymic; the enterprise when blank
        QString enterprise; // short enterprise name, else the full one
        QString kind;       // the matched phone's kind, "Мобильный"
    };

    CallerLookup(const QSqlDatabase& db, const PhoneNumbers& numbers, const Viewer& viewer);

    // Throws DbError when a statement fails.
    std::optional<Caller> find(const QString& calling) const;

private:
    QSqlDatabase m_db;
    const PhoneNumbers& m_numbers;
    Viewer m_viewer;
};
