// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QObject>

class FieldLocks;
class QFocusEvent;
class QKeyEvent;
class QWidget;
struct RecordFormWidgets;

// The keys in the record's fields: Enter moves on to the next field, most
// fields count any key as a change, Tab leaves the date picker as a whole,
// and leaving a field for another control is told, for its checks.
class EditorKeys : public QObject
{
    Q_OBJECT

public:
    EditorKeys(const RecordFormWidgets& form, const FieldLocks& locks);

signals:
    // A key in a field that takes typing: the record counts as changed.
    void typed();
    // Tab or Shift+Tab in the date picker: the focus goes to the next
    // (forward) or previous control.
    void tabbedOut(bool forward);
    // The focus moved from the field to another control of the window.
    void fieldLeft(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct KeyField {
        QWidget* next = nullptr;
        bool marksModified = true;
    };

    bool leavesByTab(QKeyEvent* event);
    bool fieldKeyDown(QWidget* field, QKeyEvent* event);
    void fieldExit(QObject* field, QFocusEvent* event);

    const FieldLocks& m_locks;
    QWidget* m_date;
    QHash<QObject*, KeyField> m_keyFields;
    bool m_inExit = false;
};
