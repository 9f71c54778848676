// SPDX-License-Identifier: MIT
#include "editor/ui/EditorButtons.h"
#include "common/ui/QuietButton.h"
#include "editor/EditorState.h"
#include "editor/ui/RecordFormWidgets.h"

#include <QPushButton>

namespace
{

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int left)
{
    QPushButton* button = quietButton(parent, name, caption);
    button->setGeometry(left, 413, 75, 25);
    return button;
}

} // namespace

EditorButtons::EditorButtons(QWidget* frame)
    : ok(makeButton(frame, "btnOk", QStringLiteral("Готово"), 438)),
      clear(makeButton(frame, "btnClear", QStringLiteral("Очистить"), 518)),
      cancel(makeButton(frame, "BtnCancel", QStringLiteral("Отмена"), 597)),
      change(makeButton(frame, "BtnChange", QStringLiteral("Изменить"), 438)),
      remove(makeButton(frame, "BtnDelete", QStringLiteral("Удалить"), 518))
{
}

void EditorButtons::show(const EditorState& state, const RecordFormWidgets& form)
{
    const bool shown = state.mode == EditorState::Mode::ShownRecord;
    ok->setVisible(!shown);
    clear->setVisible(!shown);
    remove->setVisible(shown);
    change->setVisible(shown);
    change->setEnabled(state.mayChange);
    remove->setEnabled(state.mayChange);
    form.btnHide->setEnabled(state.privacyEnabled);
    form.BtnSpouce->setEnabled(state.spouseEnabled);
    form.btnReq->setEnabled(state.requisitesEnabled);
}
