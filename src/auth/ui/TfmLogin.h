// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QSqlDatabase>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingsStore;

// The login dialog shown over the main window at start-up: checks a user's
// name and password, remembers the last user name and, on request, the
// password, and leads to the registration dialog. Cancelling it closes the
// window it was opened over.
class TfmLogin : public QDialog
{
    Q_OBJECT

public:
    // Signs the accepted user (the name as stored) in; false when that failed
    // and was reported, and the dialog stays open.
    using SignIn = std::function<bool(const QString& user)>;

    // Without a settings store the dialog opens the user's own.
    TfmLogin(QWidget* parent, const QSqlDatabase& db, SignIn signIn,
             std::unique_ptr<SettingsStore> settings = nullptr);
    ~TfmLogin() override;

    // Registration hides the dialog, which ends a modal loop; when the dialog
    // comes back, the loop starts again.
    int exec() override;

    void BtnOkClick();
    void BtnRegClick();
    void BtnCancelClick();
    void EdtLoginExit();

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdtLogin = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* EdtPass = nullptr;
    QCheckBox* ChBSave = nullptr;
    QPushButton* BtnReg = nullptr;
    QPushButton* BtnOk = nullptr;
    QPushButton* BtnCancel = nullptr;

public slots:
    // The dialog has no cancel button and no close button: Escape and the
    // window manager's close do nothing; only "Отмена" leaves it.
    void reject() override {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void FormCreate();
    // Puts the saved password of the user into the password box; false when
    // none is saved.
    bool showSavedPassword(const QString& user);
    // Passwords are saved under the name as stored in `users`: the one a
    // name typed in any letter case stands for.
    QString savedUnder(const QString& typed) const;
    void rememberLogin(const QString& user);

    QSqlDatabase m_db;
    SignIn m_signIn;
    std::unique_ptr<SettingsStore> m_settings;
};
