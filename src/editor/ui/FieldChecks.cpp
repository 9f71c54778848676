// SPDX-License-Identifier: MIT
#include "editor/ui/FieldChecks.h"
#include "common/ui/Prompts.h"
#include "db/StoredText.h"
#include "editor/ui/RecordForm.h"
#include "records/FieldLength.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

bool FieldChecks::fits(QWidget* field, const QString& text)
{
    if (FieldLength::of(text) <= FieldLength::max)
        return true;
    // The message starts with a Latin C, as users have always seen it.
    Prompts::instance().warning(m_frame, QStringLiteral("Cлишком длинное поле"));
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

bool FieldChecks::storable(QWidget* field, const QString& text)
{
    if (StoredText::storable(text))
        return true;
    Prompts::instance().warning(m_frame, StoredText::nulWarning(captionOf(field)));
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

bool FieldChecks::allStorable(const RecordForm& form)
{
    for (QLineEdit* edit : form.lineEdits())
        if (!storable(edit, form.fieldText(edit)))
            return false;
    const SpouseData& spouse = form.spouse();
    return storable(form.CmbProf, form.CmbProf->currentText()) &&
           storable(form.CmbCity, form.CmbCity->currentText()) &&
           storable(form.MmInfo, form.MmInfo->toPlainText()) &&
           storable(form.BtnSpouce, spouse.fio + spouse.info) &&
           storable(form.btnReq, form.requisites());
}

// A button's caption names the texts of its dialog; a label's the field it
// is the buddy of (the city's label carries the telephone code in brackets).
QString FieldChecks::captionOf(const QWidget* field) const
{
    if (const auto* button = qobject_cast<const QPushButton*>(field))
        return button->text().remove(QStringLiteral("..."));
    for (const QLabel* label : m_frame->findChildren<QLabel*>())
        if (label->buddy() == field)
            return label->text().section(QStringLiteral(" ("), 0, 0).trimmed();
    return {};
}
