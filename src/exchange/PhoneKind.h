// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The directory's phone kinds as other programs name them: 1 work, 2 home,
// 3 mobile, 4 direct (main), 5 secretary (assistant), 6 fax; 0 stands for
// the other phones, kept as free text.
class PhoneKind
{
public:
    static constexpr int other = 0;

    // From vCard TYPE values (upper case): a fax is a fax whether at work or
    // at home; a phone with no kind of its own (none, VOICE, PREF) is a work
    // phone; pagers, car phones and the like are other phones.
    static int fromVCardTypes(const QStringList& types);
    // From a label a program writes next to a number ("Mobile", "Work Fax",
    // "Рабочий"); an empty label is a work phone, an unknown one other.
    static int fromLabel(const QString& label);
    // The TYPE values this program writes for a kind.
    static QString vcardTypes(int kind);
};
