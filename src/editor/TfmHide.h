// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

class QCheckBox;
class QFrame;
class QGroupBox;
class QListWidget;
class QPushButton;
class TfrNewRecord;

// "Скрытые поля": which parts of the record in the editor are hidden (or the
// whole record), and which other users may still see them. "OK" writes the
// `hided` and `owns` texts into the editor's fields.
class TfmHide : public QDialog
{
    Q_OBJECT

public:
    // users: every user name of the database; the current user is left out.
    TfmHide(TfrNewRecord* editor, const QStringList& users, const QString& currentUser);

    void ChBAllClick();
    void ChBAddressClick();
    void ChBPhonesClick();
    void btnClearClick();
    void BtnOkClick();
    void btnCancelClick();

    QCheckBox* ChBAll = nullptr;
    QGroupBox* GBHide = nullptr;
    QCheckBox* ChBPhones = nullptr;
    QCheckBox* ChBPhoneRab = nullptr;
    QCheckBox* ChBPhoneHome = nullptr;
    QCheckBox* ChBPhoneMob = nullptr;
    QCheckBox* ChBPhoneLine = nullptr;
    QCheckBox* ChBPhoneSecret = nullptr;
    QCheckBox* ChBPhoneFax = nullptr;
    QCheckBox* ChBPhoneOther = nullptr;
    QCheckBox* ChBAddress = nullptr;
    QCheckBox* ChBLegal = nullptr;
    QCheckBox* ChBFiz = nullptr;
    QCheckBox* ChBPost = nullptr;
    QCheckBox* ChBHome = nullptr;
    QCheckBox* ChBPath = nullptr;
    QCheckBox* ChBMail = nullptr;
    QCheckBox* ChBBirth = nullptr;
    QCheckBox* ChBSpouce = nullptr;
    QCheckBox* ChBReq = nullptr;
    QFrame* Bevel1 = nullptr;
    QGroupBox* GBFor = nullptr;
    QListWidget* ChLBUsers = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    // CodeBoxes[code] is the box of a hidden-field code 1 to 18; index 0 is unused.
    std::array<QCheckBox*, 19> CodeBoxes{};

public slots:
    // Esc and the close box are "Cancel".
    void reject() override;

private:
    void createControls();
    void layOut();
    void fillUsers(const QStringList& users);
    void preCheck(const QString& owns, const QString& hided);
    void setMembersEnabled(int first, int last, bool enabled);

    TfrNewRecord* m_editor;
    QString m_currentUser;
};
