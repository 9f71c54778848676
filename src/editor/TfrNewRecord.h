// SPDX-License-Identifier: MIT
#pragma once

#include "editor/RecordData.h"

#include <QFrame>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <array>

class QComboBox;
class QDateEdit;
class QFocusEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RecordStore;
class TFmMain;

// The record editor: one directory record typed (new-record mode: "Готово",
// "Очистить"), or shown, changed and deleted (shown-record mode: "Изменить",
// "Удалить"). The spouse data, requisites and privacy texts have no control
// of their own; they wait in the frame's fields until the record is stored.
class TfrNewRecord : public QFrame
{
    Q_OBJECT

public:
    TfrNewRecord(TFmMain* main, QWidget* parent);
    ~TfrNewRecord() override;

    void InitFrame(const QSqlDatabase& db);
    void Loadcmbs();
    void ClearRecord();
    void NewRecord();
    void NewFromTemplate();
    void ShowRecord(int id);

    // Each returns false when the action stopped (refused, or a database error).
    bool btnOkClick();
    bool BtnChangeClick();
    void BtnDeleteClick();
    void btnReqClick();
    void btnClearClick();
    void BtnSpouceClick();
    void btnHideClick();
    void BtnCancelClick();

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
    QSqlDatabase database() const { return m_db; }
    QString currentUser() const;

    // The longest text a field takes.
    static constexpr int maxFieldLength = 255;

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

    // PhoneEdits[kind] for the phone kinds 1 to 6; index 0 is unused.
    std::array<QLineEdit*, 7> PhoneEdits{};

    // The user pressed a key in a field since the last load, clear or store.
    bool Modified = false;
    QString SpFio;
    QString SpBirthday;
    QString SpInfo;
    QString Hided;
    QString Owns;
    QString Req;
    // The shown record's id; 0 in new-record mode.
    int CurId = 0;
    // The last spouse or privacy dialog was closed with its OK button.
    bool DialogAccepted = false;

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
    // The text a field stores: empty when the field is blanked.
    QString fieldText(const QLineEdit* edit) const;
    RecordData recordFromFields() const;
    void fillFields(const RecordData& record);
    void applyPermissions();
    bool mayChange() const;
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

    TFmMain* m_main;
    QSqlDatabase m_db;
    QHash<QObject*, KeyField> m_keyFields;
    QList<QLineEdit*> m_checkedEdits;
    QList<QObject*> m_watched;
    QSet<const QWidget*> m_blanked;
    bool m_profSorted = false;
    bool m_citySorted = false;
    bool m_inExit = false;
};
