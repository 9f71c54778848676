// SPDX-License-Identifier: MIT
#pragma once

class QPushButton;
class QWidget;
struct EditorState;
struct RecordFormWidgets;

// The row of buttons under the form: "Готово", "Очистить" of a new record
// and "Изменить", "Удалить" of a shown one in the same places, and
// "Отмена". They, and the form's dialog buttons, show the editor's state.
class EditorButtons
{
public:
    explicit EditorButtons(QWidget* frame);

    void show(const EditorState& state, const RecordFormWidgets& form);

    QPushButton* ok;
    QPushButton* clear;
    QPushButton* cancel;
    QPushButton* change;
    QPushButton* remove;
};
