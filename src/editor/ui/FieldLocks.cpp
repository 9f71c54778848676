// SPDX-License-Identifier: MIT
#include "editor/ui/FieldLocks.h"
#include "db/DateText.h"
#include "editor/ui/RecordFormWidgets.h"
#include "records/RecordData.h"

#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

void FieldLocks::blank(QWidget* field)
{
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setText(QStringLiteral(" "));
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Active, QPalette::Button));
    field->setPalette(palette);
    field->setEnabled(false);
    m_blanked.insert(field);
}

void FieldLocks::unblank(QWidget* field)
{
    field->setPalette(QPalette());
    field->setEnabled(true);
    m_blanked.remove(field);
}

void FieldLocks::blankHidden(const QString& hided)
{
    for (HiddenCode code : HiddenFields::codes()) {
        if (!HiddenFields::has(hided, code))
            continue;
        for (HiddenPart part : HiddenFields::parts(code)) {
            if (QWidget* field = fieldOf(part))
                blank(field);
            if (part == HiddenPart::Birthday)
                m_form.DTBirthDay->setDate(DateText::noDate());
        }
    }
}

void FieldLocks::reset()
{
    setReadOnly(false);
    for (int part = 0; part <= int(HiddenPart::OtherPhones); ++part)
        if (QWidget* field = fieldOf(HiddenPart(part)))
            unblank(field);
}

QWidget* FieldLocks::fieldOf(HiddenPart part) const
{
    switch (part) {
    case HiddenPart::LegalAddress:
        return m_form.EdtLegalAddress;
    case HiddenPart::FizAddress:
        return m_form.EdtFizAddress;
    case HiddenPart::PostAddress:
        return m_form.EdtPostAddress;
    case HiddenPart::HomeAddress:
        return m_form.EdtHomeAddress;
    case HiddenPart::Path:
        return m_form.EdtPath;
    case HiddenPart::Email:
        return m_form.EdtEMail;
    case HiddenPart::Birthday:
        return m_form.DTBirthDay;
    case HiddenPart::OtherPhones:
        return m_form.EdtOtherPhone;
    case HiddenPart::Spouse:
    case HiddenPart::Requisites:
        return nullptr;
    default:
        for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
            if (part == HiddenFields::phone(kind))
                return m_form.PhoneEdits[kind];
        return nullptr;
    }
}

void FieldLocks::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (QWidget* field : m_form.typingFields()) {
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->setReadOnly(readOnly);
        else if (auto* combo = qobject_cast<QComboBox*>(field))
            combo->lineEdit()->setReadOnly(readOnly);
    }
    m_form.DTBirthDay->setReadOnly(readOnly);
    m_form.MmInfo->setReadOnly(readOnly);
}

bool FieldLocks::isReadOnlyField(const QObject* field) const
{
    return m_readOnly && m_form.typingFields().contains(field);
}

bool FieldLocks::blocksReadOnlyCombo(const QObject* watched, const QEvent* event) const
{
    if (!m_readOnly || (watched != m_form.CmbProf && watched != m_form.CmbCity))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
               key == Qt::Key_PageDown || key == Qt::Key_F4;
    }
    default:
        return false;
    }
}
