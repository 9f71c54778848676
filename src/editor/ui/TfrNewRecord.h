// SPDX-License-Identifier: MIT
#pragma once

#include "editor/ConflictLoop.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/ui/ExtrasDialogs.h"
#include "editor/ui/LookupCombos.h"
#include "editor/ui/RecordForm.h"
#include "records/FieldLength.h"
#include "records/Privacy.h"
#include "records/RecordData.h"
#include "records/SpouseData.h"

#include <QFrame>
#include <QSqlDatabase>
#include <memory>
#include <optional>

class ChangedElsewhere;
class EditorButtons;
class EditorKeys;
class FieldChecks;
class LinkLabels;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class RecordWriteFlow;

// The record editor: one directory record typed (new-record mode: "Готово",
// "Очистить"), or shown, changed and deleted (shown-record mode: "Изменить",
// "Удалить"). A thin shell: the form holds the fields and the values without
// a field, and one helper each does the keys, the checks, the lookup combo
// boxes, the link captions, the dialogs, the writes with their conflicts and
// the notice of changes made elsewhere. The mode, the permission and the
// modified mark live in one EditorState; the buttons are set from it.
//
// The frame knows nothing of the window around it: it tells what changed
// (stateChanged, editingFinished) and is given the database and the user.
// The form's widgets are reached through the frame by their object names.
class TfrNewRecord : public QFrame, public RecordFormWidgets
{
    Q_OBJECT

public:
    explicit TfrNewRecord(QWidget* parent = nullptr);
    ~TfrNewRecord() override;

    void InitFrame(const QSqlDatabase& db);
    // Whose visibility rules apply to the records shown from now on.
    void setCurrentUser(const QString& user) { m_session.user = user; }
    void Loadcmbs() { m_combos->load(); }
    // The job titles and cities stored meanwhile (an import) join the
    // drop-downs; what the fields show and the user typed stays.
    void reloadLists() { m_combos->reload(); }
    void ClearRecord();
    void NewRecord();
    void NewFromTemplate();
    // False when the record is hidden as a whole from the user: nothing is
    // shown, the user has been told.
    bool ShowRecord(int id);

    // Each returns false when the action stopped (refused, or a database error).
    bool btnOkClick();
    bool BtnChangeClick();
    void BtnDeleteClick();
    void btnReqClick() { m_dialogs->editRequisites(); }
    void btnClearClick();
    // Each returns whether its dialog was accepted.
    bool BtnSpouceClick() { return m_dialogs->editSpouse(); }
    bool btnHideClick() { return m_dialogs->editPrivacy(); }
    void BtnCancelClick();

    // Another workstation changed the directory: a shown record the user has
    // not modified is read again, and a notice in the frame tells when it
    // was changed (with "Обновить") or deleted. The fields stay as they are.
    void directoryChanged();
    // "Обновить": the shown record as stored now.
    void reloadRecord();

    // Exit handlers of the fields.
    void TooLong(QLineEdit* edit);
    void CmbProfExit() { m_combos->profLeft(); }
    void CmbCityChange() { m_combos->cityEdited(); }
    void CmbCityExit() { m_combos->cityLeft(); }

    // A field hidden from the user: one blank, greyed, disabled; stored empty.
    void BlankControl(QWidget* control) { m_form->locks().blank(control); }
    void UnblankControl(QWidget* control) { m_form->locks().unblank(control); }

    // True while an existing record is shown ("Изменить" visible).
    bool showsRecord() const { return m_state.mode == EditorState::Mode::ShownRecord; }
    // The current user may change the shown record ("Изменить" enabled).
    bool mayChange() const { return m_state.mayChange; }
    QSqlDatabase database() const { return m_session.db; }
    const QString& currentUser() const { return m_session.user; }

    // What the commands around the frame depend on.
    EditorState state() const { return m_state; }
    // The user pressed a key in a field since the last load, clear or store.
    bool isModified() const { return m_state.modified; }
    // The save prompt's "Нет" drops the edit.
    void setModified(bool modified);
    // The shown record's id; 0 in new-record mode.
    int currentId() const { return m_session.id; }
    // The revision of the shown record as loaded or last stored here.
    int currentRevision() const { return m_session.rev; }
    const SpouseData& spouse() const { return m_form->spouse(); }
    const Privacy& privacy() const { return m_form->privacy(); }
    const QString& requisites() const { return m_form->requisites(); }

    // The longest text a field takes.
    static constexpr int maxFieldLength = FieldLength::max;

    QPushButton* btnOk = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BtnChange = nullptr;
    QPushButton* BtnDelete = nullptr;
    // The notice that the shown record was changed or deleted elsewhere.
    QLabel* LblChanged = nullptr;
    QPushButton* BtnReload = nullptr;

signals:
    // Mode, modified mark, template flag or permissions changed.
    void stateChanged();
    // "Отмена", or a change or deletion stored: the search view takes over.
    void editingFinished();
    // "Изменить" stored the shown record, after the search view took over:
    // the main window's template button is on again.
    void changeStored();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createHelpers();
    void connectWidgets();
    void setTabOrders();
    void setNewRecordMode();
    void applyPermissions();
    // Sets the buttons from the state and tells when the state changed.
    void notifyState();
    void fieldTyped();
    void fieldLeft(QWidget* field);
    // Loads the stored record in place of the edit and shows the edit's
    // values that it lacks in a window beside the editor.
    void reloadKeepingEdit(bool deleted);
    std::optional<int> saveAsNew();
    // A dialog's store of the shown record, made at once. After an
    // overwrite the record is loaded again, since it holds others' changes
    // now; a record saved anew is shown.
    void storeAtOnce(const ConflictLoop::Write& write);

    EditorSession m_session;
    EditorState m_state;
    EditorState m_notified;
    RecordForm* m_form = nullptr;
    std::unique_ptr<EditorButtons> m_buttons;
    std::unique_ptr<FieldChecks> m_checks;
    std::unique_ptr<LookupCombos> m_combos;
    std::unique_ptr<EditorKeys> m_keys;
    std::unique_ptr<LinkLabels> m_links;
    std::unique_ptr<ChangedElsewhere> m_notice;
    std::unique_ptr<RecordWriteFlow> m_writes;
    std::unique_ptr<ExtrasDialogs> m_dialogs;
};
