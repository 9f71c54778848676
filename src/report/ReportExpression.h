// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Integer conditions of templates, after their variables are filled in:
// numbers, + - * div mod, = <> < > <= >=, and parentheses; a comparison is
// 1 when true, 0 when false. Errors (and division by zero) raise ReportError.
class ReportExpression
{
public:
    static qint64 evaluate(const QString& expression);
};
