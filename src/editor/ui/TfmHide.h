// SPDX-License-Identifier: MIT
#pragma once

#include "db/HiddenFields.h"
#include "records/Privacy.h"

#include <QDialog>
#include <QHash>
#include <QStringList>

class QCheckBox;
class QFrame;
class QGroupBox;
class QListWidget;
class QPushButton;

// "Скрытые поля": which parts of a record are hidden (or the whole record),
// and which other users may still see them. It shows the privacy it is
// given; once accepted ("OK"), privacy() holds the new `hided` and `owns`.
class TfmHide : public QDialog
{
    Q_OBJECT

public:
    // users: every user name of the database; the current user is left out.
    TfmHide(const Privacy& privacy, const QStringList& users, const QString& currentUser,
            QWidget* parent);

    Privacy privacy() const { return m_result; }
    // The box of a hidden-field code.
    QCheckBox* codeBox(HiddenCode code) const { return m_codeBoxes.value(code); }

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

private:
    void createControls();
    void layOut();
    void fillUsers(const QStringList& users);
    void preCheck(const QString& owns, const QString& hided);
    void setMembersEnabled(HiddenCode group, bool enabled);

    QHash<HiddenCode, QCheckBox*> m_codeBoxes;
    QString m_currentUser;
    Privacy m_result;
};
