// SPDX-License-Identifier: MIT
#include "editor/ui/EditorKeys.h"
#include "editor/ui/FieldLocks.h"
#include "editor/ui/RecordFormWidgets.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

EditorKeys::EditorKeys(const RecordFormWidgets& form, const FieldLocks& locks)
    : m_locks(locks), m_date(form.DTBirthDay)
{
    // Enter in the date picker and in the memo moves nowhere; typing in the
    // other phones is no change of the record.
    const QList<QWidget*> fields = form.typingFields();
    for (qsizetype i = 0; i < fields.size(); ++i) {
        QWidget* field = fields.at(i);
        const bool stops = field == form.DTBirthDay || field == form.MmInfo;
        m_keyFields.insert(field,
                           {stops ? nullptr : fields.value(i + 1), field != form.EdtOtherPhone});
        field->installEventFilter(this);
    }
}

bool EditorKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (m_locks.blocksReadOnlyCombo(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == m_date && leavesByTab(static_cast<QKeyEvent*>(event)))
            return true;
        if (m_keyFields.contains(watched))
            return fieldKeyDown(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
        break;
    case QEvent::FocusOut:
        fieldExit(watched, static_cast<QFocusEvent*>(event));
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// Tab leaves the date picker instead of walking through its day, month and year.
bool EditorKeys::leavesByTab(QKeyEvent* event)
{
    const bool back = event->key() == Qt::Key_Backtab ||
                      (event->key() == Qt::Key_Tab && event->modifiers() & Qt::ShiftModifier);
    if (!back && event->key() != Qt::Key_Tab)
        return false;
    emit tabbedOut(!back);
    return true;
}

bool EditorKeys::fieldKeyDown(QWidget* field, QKeyEvent* event)
{
    const int key = event->key();
    // The window uses these to move the focus and to cancel.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape)
        return false;
    const KeyField what = m_keyFields.value(field);
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && what.next)
        what.next->setFocus(Qt::TabFocusReason);
    if (what.marksModified && !m_locks.isReadOnlyField(field))
        emit typed();
    // A combo box would pick a list entry on Enter; here Enter only moves on.
    return enter && qobject_cast<QComboBox*>(field);
}

void EditorKeys::fieldExit(QObject* field, QFocusEvent* event)
{
    // Only a move to another control is a leave: not a dialog, a menu or the
    // frame being put behind the search view.
    if (m_inExit)
        return;
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        break;
    }
    auto* widget = qobject_cast<QWidget*>(field);
    if (!widget || !widget->isVisible())
        return;
    m_inExit = true;
    emit fieldLeft(widget);
    m_inExit = false;
}
