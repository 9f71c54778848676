// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A variable listed by a template. Its value starts as the template's value
// (none when empty) and is then asked from the program.
class ReportVariable
{
public:
    QString category;
    QString name;
    QString value;
};
