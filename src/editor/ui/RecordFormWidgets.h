// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <array>

class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The widgets of the record form by their object names: the four group boxes
// with their captions, fields and the buttons of the dialogs.
struct RecordFormWidgets {
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

    // PhoneEdits[kind] for the phone kinds 1 to 6; index 0 is unused.
    std::array<QLineEdit*, 7> PhoneEdits{};

    // The fields the user types into, in the order Enter walks them.
    QList<QWidget*> typingFields() const;
    // The single-line fields among them: each takes a limited text.
    QList<QLineEdit*> lineEdits() const;
};
