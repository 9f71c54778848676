// SPDX-License-Identifier: MIT
#include "auth/ui/TfmReg.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHashError.h"
#include "common/ui/Guard.h"
#include "common/ui/Named.h"
#include "common/ui/Prompts.h"
#include "db/StoredText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

bool isEnter(QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}
} // namespace

TfmReg::TfmReg(QWidget* parent, const QSqlDatabase& db, SignIn signIn)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_db(db),
      m_signIn(std::move(signIn))
{
    setObjectName(QStringLiteral("fmReg"));
    setWindowTitle(QStringLiteral("Регистрация"));
    createControls();
}

void TfmReg::createControls()
{
    // The caption is a Latin O with a Cyrillic К, as users have always seen it;
    // tests find the button by it.
    BtnOk = named(new QPushButton(QStringLiteral("OК"), this), "BtnOk");
    btnCancel = named(new QPushButton(QStringLiteral("Отмена"), this), "btnCancel");
    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("Имя пользователя:"), GroupBox1), "Label1");
    EdtLogin = named(new QLineEdit(GroupBox1), "EdtLogin");
    Label2 = named(new QLabel(QStringLiteral("Пароль:"), GroupBox1), "Label2");
    EdtPass = named(new QLineEdit(GroupBox1), "EdtPass");
    EdtPass->setEchoMode(QLineEdit::Password);
    Label3 = named(new QLabel(QStringLiteral("Подтверждение:"), GroupBox1), "Label3");
    EdtPassTwo = named(new QLineEdit(GroupBox1), "EdtPassTwo");
    EdtPassTwo->setEchoMode(QLineEdit::Password);
    Label1->setBuddy(EdtLogin);
    Label2->setBuddy(EdtPass);
    Label3->setBuddy(EdtPassTwo);

    auto* fields = new QGridLayout(GroupBox1);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(EdtLogin, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(EdtPass, 1, 1);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(EdtPassTwo, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    layout->addStretch();
    resize(299, 162);

    setTabOrder(BtnOk, btnCancel);
    setTabOrder(btnCancel, EdtLogin);
    setTabOrder(EdtLogin, EdtPass);
    setTabOrder(EdtPass, EdtPassTwo);
    BtnOk->setFocus();

    for (QLineEdit* edit : {EdtLogin, EdtPass, EdtPassTwo})
        edit->installEventFilter(this);
    connect(BtnOk, &QPushButton::clicked, this, &TfmReg::BtnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmReg::btnCancelClick);
}

bool TfmReg::eventFilter(QObject* watched, QEvent* event)
{
    if (isEnter(event)) {
        if (watched == EdtLogin)
            EdtPass->setFocus(Qt::TabFocusReason);
        else if (watched == EdtPass)
            EdtPassTwo->setFocus(Qt::TabFocusReason);
        else if (watched == EdtPassTwo)
            BtnOk->click();
        else
            return QDialog::eventFilter(watched, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmReg::refuse(const QString& text, QLineEdit* focus)
{
    Prompts::instance().warning(this, text);
    focus->setFocus();
}

bool TfmReg::checkInput()
{
    const QString name = EdtLogin->text();
    if (name.isEmpty()) {
        refuse(QStringLiteral("Введите, пожалуйста, имя пользователя"), EdtLogin);
        return false;
    }
    // Only the lower-case word: "User" is a name like any other.
    if (name == QLatin1String("user")) {
        refuse(QStringLiteral("Это зарезервированное слово"), EdtLogin);
        return false;
    }
    if (name.contains(u' ') || name.contains(u';')) {
        refuse(QStringLiteral("Имя пользователя не должно содержать пробелов и точек с запятой"),
               EdtLogin);
        return false;
    }
    if (!StoredText::storable(name)) {
        refuse(StoredText::nulWarning(Label1->text().remove(QLatin1Char(':'))), EdtLogin);
        return false;
    }
    if (EdtPass->text() != EdtPassTwo->text()) {
        EdtPass->clear();
        EdtPassTwo->clear();
        refuse(QStringLiteral("Пароли несовпадают"), EdtPass);
        return false;
    }
    return true;
}

void TfmReg::BtnOkClick()
{
    if (!checkInput())
        return;
    const QString name = EdtLogin->text();
    bool added = false;
    try {
        if (!guarded(this, [&] { added = AccountStore(m_db).registerUser(name, EdtPass->text()); }))
            return;
    } catch (const PasswordHashError& e) {
        Prompts::instance().error(this, e.text());
        return;
    }
    if (!added) {
        EdtLogin->clear();
        EdtPass->clear();
        EdtPassTwo->clear();
        refuse(QStringLiteral("Такой пользователь уже существует"), EdtLogin);
        return;
    }
    // The account exists now; should preparing the search view fail, the
    // dialog stays open with nobody signed in, and the user may cancel and
    // sign in from the login dialog.
    if (m_signIn(name))
        accept();
}

void TfmReg::btnCancelClick()
{
    reject();
}
