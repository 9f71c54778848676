// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The spouse's name, birthday (date text dd.MM.yyyy; empty: none) and notes
// of a record.
struct SpouseData {
    QString fio;
    QString birthday;
    QString info;

    friend bool operator==(const SpouseData&, const SpouseData&) = default;
};
