// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QSqlDatabase>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TFmMain;

// The registration dialog: adds a user to `users` and signs the new user in.
class TfmReg : public QDialog
{
    Q_OBJECT

public:
    explicit TfmReg(TFmMain* main);

    void BtnOkClick();
    void btnCancelClick();

    QPushButton* BtnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdtLogin = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EdtPass = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EdtPassTwo = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    // Refuses a name the dialog does not accept; true when it may be stored.
    bool checkInput();
    void refuse(const QString& text, QLineEdit* focus);

    TFmMain* m_main;
    QSqlDatabase m_db;
};
