// SPDX-License-Identifier: MIT
#include "exchange/PhoneKind.h"

#include <array>

namespace
{

struct Words {
    int kind;
    QStringList types;  // vCard TYPE values
    QStringList pieces; // parts of labels, lower case
};

// In the order they are tested: the first that fits decides.
const std::array<Words, 6>& words()
{
    static const std::array<Words, 6> table = {{
        {6, {QStringLiteral("FAX")}, {QStringLiteral("fax"), QStringLiteral("факс")}},
        {3,
         {QStringLiteral("CELL"), QStringLiteral("MOBILE"), QStringLiteral("IPHONE")},
         {QStringLiteral("mobile"), QStringLiteral("cell"), QStringLiteral("моб"),
          QStringLiteral("сотов"), QStringLiteral("переносн")}},
        {5,
         {QStringLiteral("X-ASSISTANT"), QStringLiteral("ASSISTANT"), QStringLiteral("X-SECRETARY"),
          QStringLiteral("SECRETARY")},
         {QStringLiteral("assistant"), QStringLiteral("secretar"), QStringLiteral("помощ"),
          QStringLiteral("секрет")}},
        {4,
         {QStringLiteral("X-DIRECT"), QStringLiteral("DIRECT"), QStringLiteral("MAIN"),
          QStringLiteral("X-MAIN")},
         {QStringLiteral("main"), QStringLiteral("direct"), QStringLiteral("primary"),
          QStringLiteral("основн"), QStringLiteral("прям")}},
        {2, {QStringLiteral("HOME")}, {QStringLiteral("home"), QStringLiteral("дом")}},
        {1,
         {QStringLiteral("WORK")},
         {QStringLiteral("work"), QStringLiteral("business"), QStringLiteral("раб")}},
    }};
    return table;
}

} // namespace

int PhoneKind::fromVCardTypes(const QStringList& types)
{
    for (const Words& w : words())
        for (const QString& type : types)
            if (w.types.contains(type))
                return w.kind;
    static const QStringList plain = {QStringLiteral("VOICE"), QStringLiteral("PREF"),
                                      QStringLiteral("INTERNET")};
    for (const QString& type : types)
        if (!plain.contains(type) && !type.isEmpty())
            return other;
    return 1;
}

int PhoneKind::fromLabel(const QString& label)
{
    const QString lower = label.trimmed().toLower();
    if (lower.isEmpty())
        return 1;
    for (const Words& w : words())
        for (const QString& piece : w.pieces)
            if (lower.contains(piece))
                return w.kind;
    return other;
}

QString PhoneKind::vcardTypes(int kind)
{
    switch (kind) {
    case 1:
        return QStringLiteral("WORK,VOICE");
    case 2:
        return QStringLiteral("HOME,VOICE");
    case 3:
        return QStringLiteral("CELL,VOICE");
    case 4:
        return QStringLiteral("WORK,X-DIRECT");
    case 5:
        return QStringLiteral("WORK,X-ASSISTANT");
    case 6:
        return QStringLiteral("WORK,FAX");
    default:
        return QStringLiteral("X-OTHER");
    }
}
