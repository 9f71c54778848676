// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QSqlDatabase>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The registration dialog: adds a user to `users` and signs the new user in
// through the function it is given (false: that failed and was reported).
class TfmReg : public QDialog
{
    Q_OBJECT

public:
    using SignIn = std::function<bool(const QString& user)>;

    TfmReg(QWidget* parent, const QSqlDatabase& db, SignIn signIn);

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

    QSqlDatabase m_db;
    SignIn m_signIn;
};
