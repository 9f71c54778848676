// SPDX-License-Identifier: MIT
#include "auth/ui/TfmLogin.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHashError.h"
#include "auth/SettingsStore.h"
#include "auth/ui/TfmReg.h"
#include "common/DbError.h"
#include "common/ui/Guard.h"
#include "common/ui/Named.h"
#include "common/ui/Prompts.h"
#include "db/StoredText.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmLogin::TfmLogin(QWidget* parent, const QSqlDatabase& db, SignIn signIn,
                   std::unique_ptr<SettingsStore> settings)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_db(db),
      m_signIn(std::move(signIn)),
      m_settings(settings ? std::move(settings) : std::make_unique<SettingsStore>())
{
    setObjectName(QStringLiteral("fmLogin"));
    setWindowTitle(QStringLiteral("Вход в систему"));
    createControls();
    FormCreate();
}

TfmLogin::~TfmLogin() = default;

void TfmLogin::createControls()
{
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("Имя пользователя:"), GroupBox1), "Label1");
    EdtLogin = named(new QLineEdit(GroupBox1), "EdtLogin");
    Label2 = named(new QLabel(QStringLiteral("Пароль:"), GroupBox1), "Label2");
    EdtPass = named(new QLineEdit(GroupBox1), "EdtPass");
    EdtPass->setEchoMode(QLineEdit::Password);
    ChBSave = named(new QCheckBox(QStringLiteral("Сохранить пароль"), GroupBox1), "ChBSave");
    BtnReg = named(new QPushButton(QStringLiteral("Регистрация"), this), "BtnReg");
    BtnOk = named(new QPushButton(QStringLiteral("ОК"), this), "BtnOk");
    BtnCancel = named(new QPushButton(QStringLiteral("Отмена"), this), "BtnCancel");
    BtnOk->setDefault(true);
    Label1->setBuddy(EdtLogin);
    Label2->setBuddy(EdtPass);

    auto* fields = new QGridLayout(GroupBox1);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(EdtLogin, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(EdtPass, 1, 1);
    fields->addWidget(ChBSave, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnReg);
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(291, 136);

    setTabOrder(EdtLogin, EdtPass);
    setTabOrder(EdtPass, ChBSave);
    setTabOrder(ChBSave, BtnReg);
    setTabOrder(BtnReg, BtnOk);
    setTabOrder(BtnOk, BtnCancel);
    EdtLogin->setFocus();

    EdtLogin->installEventFilter(this);
    connect(BtnOk, &QPushButton::clicked, this, &TfmLogin::BtnOkClick);
    connect(BtnReg, &QPushButton::clicked, this, &TfmLogin::BtnRegClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TfmLogin::BtnCancelClick);
}

void TfmLogin::FormCreate()
{
    const QString user = m_settings->lastUser();
    EdtLogin->setText(user);
    if (showSavedPassword(user))
        ChBSave->setChecked(true);
}

bool TfmLogin::showSavedPassword(const QString& user)
{
    const QString saved = m_settings->password(savedUnder(user));
    if (saved == SettingsStore::noPassword())
        return false;
    EdtPass->setText(saved);
    return true;
}

QString TfmLogin::savedUnder(const QString& typed) const
{
    if (typed.isEmpty())
        return typed;
    // Unknown names and database errors leave the name as typed; signing in
    // reports both.
    try {
        const QString stored = AccountStore(m_db).storedName(typed);
        return stored.isEmpty() ? typed : stored;
    } catch (const DbError&) {
        return typed;
    }
}

int TfmLogin::exec()
{
    int result = QDialog::exec();
    while (isVisible())
        result = QDialog::exec();
    return result;
}

bool TfmLogin::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving the name box: a box or menu taking the focus for a moment is
    // not leaving it.
    if (watched == EdtLogin && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            EdtLoginExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TfmLogin::EdtLoginExit()
{
    if (showSavedPassword(EdtLogin->text()))
        ChBSave->setChecked(true);
    else
        EdtPass->clear();
}

void TfmLogin::BtnOkClick()
{
    const QString name = EdtLogin->text();
    if (name.isEmpty()) {
        Prompts::instance().warning(this, QStringLiteral("Введите, пожалуйста, имя пользователя"));
        EdtLogin->setFocus();
        return;
    }
    if (!StoredText::storable(name)) {
        Prompts::instance().warning(
            this, StoredText::nulWarning(Label1->text().remove(QLatin1Char(':'))));
        EdtLogin->setFocus();
        return;
    }
    AccountStore::Login login;
    try {
        if (!guarded(this, [&] { login = AccountStore(m_db).login(name, EdtPass->text()); }))
            return;
    } catch (const PasswordHashError& e) {
        Prompts::instance().error(this, e.text());
        return;
    }
    switch (login.outcome) {
    case AccountStore::Outcome::Unknown:
        Prompts::instance().warning(this, QStringLiteral("Этот пользователь незарегистрирован"));
        EdtLogin->clear();
        EdtLogin->setFocus();
        return;
    case AccountStore::Outcome::WrongPassword:
        Prompts::instance().warning(this, QStringLiteral("Неправильный пароль"));
        // Focus first: leaving the name box may bring back a saved password.
        EdtPass->setFocus();
        EdtPass->clear();
        return;
    case AccountStore::Outcome::Accepted:
        break;
    }
    rememberLogin(login.user);
    if (m_signIn(login.user))
        accept();
}

void TfmLogin::rememberLogin(const QString& user)
{
    m_settings->setLastUser(user);
    if (ChBSave->isChecked())
        m_settings->savePassword(user, EdtPass->text());
    else
        m_settings->removePassword(user);
    m_settings->moveSavedPasswords();
}

void TfmLogin::BtnRegClick()
{
    hide();
    bool registered = false;
    {
        TfmReg registration(parentWidget(), m_db, m_signIn);
        registered = registration.exec() == QDialog::Accepted;
    }
    if (registered)
        accept();
    else
        show();
}

void TfmLogin::BtnCancelClick()
{
    if (!parentWidget() || parentWidget()->close())
        done(QDialog::Rejected);
}
