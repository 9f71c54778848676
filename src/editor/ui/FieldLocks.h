// SPDX-License-Identifier: MIT
#pragma once

#include "db/HiddenFields.h"

#include <QSet>

class QEvent;
class QObject;
class QWidget;
struct RecordFormWidgets;

// What the user may not see or change of a shown record. A field hidden from
// the user is blank, greyed and disabled, and stored empty; the fields of a
// record the user may not change can be read and copied, not typed into.
class FieldLocks
{
public:
    explicit FieldLocks(const RecordFormWidgets& form) : m_form(form) {}

    void blank(QWidget* field);
    void unblank(QWidget* field);
    bool isBlanked(const QWidget* field) const { return m_blanked.contains(field); }
    // Blanks the fields of the parts that the codes in hided hide.
    void blankHidden(const QString& hided);
    // Every field that a code may hide shows normally again, and may be typed into.
    void reset();

    void setReadOnly(bool readOnly);
    bool isReadOnlyField(const QObject* field) const;
    // A read-only combo box still changes its text from its list: by the
    // arrow, the wheel or the arrow keys. Those are to be swallowed.
    bool blocksReadOnlyCombo(const QObject* watched, const QEvent* event) const;

private:
    // The field of a part; none for the spouse data and the requisites.
    QWidget* fieldOf(HiddenPart part) const;

    const RecordFormWidgets& m_form;
    QSet<const QWidget*> m_blanked;
    bool m_readOnly = false;
};
