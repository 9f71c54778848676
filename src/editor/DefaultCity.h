// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The city a new record starts with, and its telephone code shown beside the
// city's caption until the user picks another city.
class DefaultCity
{
public:
    static QString name() { return QStringLiteral("Казань"); }
    static QString code() { return QStringLiteral("8432"); }
};
