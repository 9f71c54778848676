// SPDX-License-Identifier: MIT
#pragma once

#include "db/HiddenFields.h"
#include "editor/EditorState.h"
#include "records/FieldLength.h"
#include "records/Privacy.h"
#include "records/RecordData.h"
#include "records/SpouseData.h"

#include <QFrame>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QDateEdit;
class QFocusEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RecordConflict;
class RecordStore;
struct RecordWrite;

// The record editor: one directory record typed (new-record mode: "Готово",
// "Очистить"), or shown, changed and deleted (shown-record mode: "Изменить",
// "Удалить"). The spouse data, requisites and privacy texts have no control
// of their own; they wait in the frame until the record is stored.
//
// The frame knows nothing of the window around it: it tells what changed
// (stateChanged, editingFinished) and is given the database and the user.
class TfrNewRecord : public QFrame
{
    Q_OBJECT

public:
    explicit TfrNewRecord(QWidget* parent = nullptr);
    ~TfrNewRecord() override;

    void InitFrame(const QSqlDatabase& db);
    // Whose visibility rules apply to the records shown from now on.
    void setCurrentUser(const QString& user) { m_currentUser = user; }
    void Loadcmbs();
    // The job titles and cities stored meanwhile (an import) join the
    // drop-downs; what the fields show and the user typed stays.
    void reloadLists();
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
    void btnReqClick();
    void btnClearClick();
    // Each returns whether its dialog was accepted.
    bool BtnSpouceClick();
    bool btnHideClick();
    void BtnCancelClick();

    // Another workstation changed the directory: a shown record the user has
    // not modified is read again, and a notice in the frame tells when it
    // was changed (with "Обновить") or deleted. The fields stay as they are.
    void directoryChanged();
    // "Обновить": the shown record as stored now.
    void reloadRecord();

    // Exit handlers of the fields.
    void TooLong(QLineEdit* edit);
    void CmbProfExit();
    void CmbCityChange();
    void CmbCityExit();

    // A field hidden from the user: one blank, greyed, disabled; stored empty.
    void BlankControl(QWidget* control);
    void UnblankControl(QWidget* control);

    // True while an existing record is shown ("Изменить" visible).
    bool showsRecord() const;
    // The current user may change the shown record ("Изменить" enabled).
    bool mayChange() const;
    QSqlDatabase database() const { return m_db; }
    const QString& currentUser() const { return m_currentUser; }

    // What the commands around the frame depend on.
    EditorState state() const;
    // The user pressed a key in a field since the last load, clear or store.
    bool isModified() const { return m_modified; }
    // The save prompt's "Нет" drops the edit.
    void setModified(bool modified);
    // The shown record's id; 0 in new-record mode.
    int currentId() const { return m_curId; }
    // The revision of the shown record as loaded or last stored here.
    int currentRevision() const { return m_curRev; }
    const SpouseData& spouse() const { return m_spouse; }
    const Privacy& privacy() const { return m_privacy; }
    const QString& requisites() const { return m_req; }

    // The longest text a field takes.
    static constexpr int maxFieldLength = FieldLength::max;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdtF = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EdtIO = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* CmbProf = nullptr;
    QLabel* Label14 = nullptr;
    QDateEdit* DTBirthDay = nullptr;
    QPushButton* BtnSpouce = nullptr;
    QPushButton* btnHide = nullptr;

    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label18 = nullptr;
    QLineEdit* EdtPhoneRab = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* EdtPhoneHome = nullptr;
    QLabel* Label17 = nullptr;
    QLineEdit* EdtPhoneMob = nullptr;
    QLabel* Label21 = nullptr;
    QLineEdit* EdtPhoneLine = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* EdtPhoneSecret = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* EdtPhoneFax = nullptr;
    QLabel* Label24 = nullptr;
    QLineEdit* EdtOtherPhone = nullptr;

    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EdtShortPp = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* EdtLongPp = nullptr;
    QLabel* Label10 = nullptr;
    QComboBox* CmbCity = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* EdtLegalAddress = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* EdtFizAddress = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* EdtPostAddress = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* EdtHomeAddress = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* EdtPath = nullptr;
    QPushButton* btnReq = nullptr;

    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* EdtEMail = nullptr;
    QLabel* Label19 = nullptr;
    QLineEdit* EdtWww = nullptr;
    QLabel* StaticText1 = nullptr;
    QPlainTextEdit* MmInfo = nullptr;

    QPushButton* btnOk = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BtnChange = nullptr;
    QPushButton* BtnDelete = nullptr;
    // The notice that the shown record was changed or deleted elsewhere.
    QLabel* LblChanged = nullptr;
    QPushButton* BtnReload = nullptr;

    // PhoneEdits[kind] for the phone kinds 1 to 6; index 0 is unused.
    std::array<QLineEdit*, 7> PhoneEdits{};

signals:
    // Mode, modified mark, template flag or permissions changed.
    void stateChanged();
    // "Отмена", or a change or deletion stored: the search view takes over.
    void editingFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What a key press in a field does: Enter moves on, and most fields count
    // any key as a change.
    struct KeyField {
        QWidget* next = nullptr;
        bool marksModified = true;
    };

    void createPersonalBox();
    void createPhoneBox();
    void createFirmBox();
    void createExtraBox();
    void createButtons();
    void createNotice();
    void showNotice(const QString& text, bool reloadable);
    void hideNotice();
    void rememberStored();
    void layOut();
    void setTabOrders();
    void setKeyFields();
    void watch(QObject* object);

    bool leavesByTab(QKeyEvent* event);
    bool fieldKeyDown(QWidget* field, QKeyEvent* event);
    void fieldExit(QObject* field, QFocusEvent* event);
    void linkEvent(QLabel* label, QEvent* event);
    void showLinkLook(QLabel* label, bool link);
    QLineEdit* linkedEdit(QLabel* label) const;

    RecordStore store() const;
    // How a write of the shown record ended.
    enum class Written {
        Stored,      // as the editor saw the record
        Overwritten, // over another user's change, as the user chose
        SavedAsNew,  // the record was deleted; the editor's data is a new record
        Reloaded,    // the editor shows the stored record; the edit is kept beside it
        Nothing,     // back to editing, or a database error
    };
    // Runs a write of the shown record on the revision the editor loaded and
    // keeps the new revision. When another user changed or deleted the
    // record meanwhile, the user chooses what happens; nothing is written
    // before. newId: the new record's id after SavedAsNew.
    Written writeShown(const std::function<int(const RecordWrite&)>& write, int* newId = nullptr);
    Written resolve(const RecordConflict& conflict, RecordWrite& write, int* newId);
    // Before an overwrite: false, with a warning, when the current user may
    // no longer change the stored record.
    bool mayStillChange();
    // Loads the stored record in place of the edit and shows the edit's
    // values that it lacks in a window beside the editor.
    void reloadKeepingEdit(bool deleted);
    // A dialog's store of the shown record, made at once. After an
    // overwrite the record is loaded again, since it holds others' changes
    // now; a record saved anew is shown.
    void storeAtOnce(const std::function<int(const RecordWrite&)>& write);
    // The text a field stores: empty when the field is blanked.
    QString fieldText(const QLineEdit* edit) const;
    RecordData recordFromFields() const;
    void fillFields(const RecordData& record);
    void applyPermissions();
    void blankHidden(HiddenPart part);
    void notifyState();
    // Fields of a record the user may not change can be read and copied,
    // not typed into.
    void setFieldsReadOnly(bool readOnly);
    bool isReadOnlyField(const QObject* field) const;
    bool blocksReadOnlyCombo(QObject* watched, QEvent* event) const;
    void setNewRecordMode();
    void setShownRecordMode();
    void setTemplateEnabled(bool enabled);
    void setCityCaption(const QString& code);
    void setCityCaptionPlain();
    void warnTooLong(QWidget* field);
    QString captionOf(const QWidget* field) const;
    // A text no database stores (a NUL) is refused with a warning naming the
    // field, before any statement runs.
    bool storable(QWidget* field, const QString& text);
    bool fieldsStorable();
    static void addSorted(QComboBox* combo, const QString& text, bool& sorted);

    QSqlDatabase m_db;
    QString m_currentUser;
    EditorState::Mode m_mode = EditorState::Mode::Initial;
    bool m_modified = false;
    bool m_templateEnabled = true;
    EditorState m_notified;
    int m_curId = 0;
    // The revision of the shown record as loaded or last stored here; the
    // writes check that nobody else stored one since.
    int m_curRev = 0;
    SpouseData m_spouse;
    Privacy m_privacy;
    QString m_req;
    QHash<QObject*, KeyField> m_keyFields;
    QList<QLineEdit*> m_checkedEdits;
    QList<QObject*> m_watched;
    QSet<const QWidget*> m_blanked;
    bool m_profSorted = false;
    bool m_citySorted = false;
    bool m_inExit = false;
    bool m_readOnly = false;
    // The shown record as loaded: an edit that meets another user's change
    // is told from it.
    RecordData m_loaded;
    // The shown record's birthday text when it does not read as a date.
    QString m_unreadBirthday;
    // The shown record as it was loaded or last stored from here.
    std::optional<RecordData> m_shownRecord;
};
