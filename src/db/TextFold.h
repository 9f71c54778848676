// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// How typed text is compared with stored text in searches and lookups: letter
// case is ignored for every alphabet, and «ё» is read as «е», since Russian
// texts write either for the same name. Stored texts are never changed; both
// sides of a comparison are folded alike.
class TextFold
{
public:
    // An SQL expression that folds the text expression (NULL stays NULL).
    static QString sql(const QString& expression);
    // The same fold of a text in the program.
    static QString text(const QString& text);
};
