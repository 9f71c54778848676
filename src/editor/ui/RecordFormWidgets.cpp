// SPDX-License-Identifier: MIT
#include "editor/ui/RecordFormWidgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>

QList<QWidget*> RecordFormWidgets::typingFields() const
{
    return {EdtF,          EdtIO,          CmbProf,        DTBirthDay,     EdtPhoneRab,
            EdtPhoneHome,  EdtPhoneMob,    EdtPhoneLine,   EdtPhoneSecret, EdtPhoneFax,
            EdtOtherPhone, EdtShortPp,     EdtLongPp,      CmbCity,        EdtLegalAddress,
            EdtFizAddress, EdtPostAddress, EdtHomeAddress, EdtPath,        EdtEMail,
            EdtWww,        MmInfo};
}

QList<QLineEdit*> RecordFormWidgets::lineEdits() const
{
    QList<QLineEdit*> edits;
    for (QWidget* field : typingFields())
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edits.append(edit);
    return edits;
}
