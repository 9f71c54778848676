// SPDX-License-Identifier: MIT
#include "FileMode.h"
#include "MainWindowHarness.h"
#include "MemorySecretStore.h"
#include "TypeText.h"
#include "WhenShown.h"
#include "app/TFmMain.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "auth/PasswordHashError.h"
#include "auth/SettingsStore.h"
#include "auth/ui/TfmLogin.h"
#include "auth/ui/TfmReg.h"
#include "db/Sql.h"
#include "search/ui/TfrFind.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>
#include <limits>
#include <sodium.h>

// The login and registration dialogs, driven through their controls.
class TestLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensEmptyWithoutSettings();
    void tabOrderAndWindow();
    void emptyNameIsRefused();
    void unknownUserIsRefused();
    void wrongPasswordIsRefused();
    void loginSetsUserAndRemembersName();
    void savedPasswordIsOffered();
    void emptySavedPasswordCountsAsSaved();
    void otherUserWithoutSavedPasswordKeepsTick();
    void untickingForgetsPasswordKeepsName();
    void nameWithSlashRoundTrips();
    void savedPasswordStaysPrivate_data();
    void savedPasswordStaysPrivate();
    void plainPasswordMovesToSecretStoreAtLogin();
    void savedPasswordFoundInOtherLetterCase_data();
    void savedPasswordFoundInOtherLetterCase();
    void emptyStoredPasswordSignsIn();
    void otherLetterCaseSignsInAsStored();
    void legacyPlainPasswordIsRehashed();
    void injectionInNameChangesNothing();
    void escapeDoesNotLeave();
    void cancelClosesMainWindow();
    void databaseErrorKeepsDialogOpen();
    void failingSearchViewSignsNobodyIn();

    void enterRightAfterOpeningPressesOk();
    void reservedWordOnlyInLowerCase();
    void blankOrSemicolonRefused();
    void mismatchReportedBeforeExistingName();
    void existingNameInOtherCaseRefused();
    void registrationDatabaseError();
    void hashFailureKeepsDialogsOpen();
    void registrationSignsInWithoutSecondLogin();
    void cancelledRegistrationReturnsToLogin();
    void nameWithNulRefused_data();
    void nameWithNulRefused();

private:
    QString settingsFile() const { return m_dir->filePath(QStringLiteral("Kavelton.ini")); }
    void addUser(const QString& name, const QString& password);
    // With a secret store, saved passwords go to m_secrets.
    std::unique_ptr<TfmLogin> openLogin(bool secretStore = false);
    std::unique_ptr<TfmReg> openRegistration();
    void press(QWidget* widget, Qt::Key key = Qt::Key_Return);
    // The settings of an earlier login of the user with "Сохранить пароль" ticked.
    void rememberLogin(const QString& user, const QString& password);
    // Types the name and, after Tab, the password, as a user fills the dialog.
    void fill(TfmLogin& login, const QString& name, const QString& password);
    void clickOnRegistration(std::function<void(TfmReg*)> steps);
    bool searchViewInitialised() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindowHarness> m_harness; // nobody signed in
    TFmMain* m_main = nullptr;
    ScriptedPrompts* m_prompts = nullptr;
    QMap<QString, QString> m_secrets;
};

void TestLogin::initTestCase()
{
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
}

void TestLogin::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_dir = std::make_unique<QTemporaryDir>();
    m_secrets.clear();
    m_harness = std::make_unique<MainWindowHarness>(QString(), MainWindowHarness::Cities());
    m_main = &m_harness->main();
    m_prompts = &m_harness->prompts();
    // Anywhere but the search box, so that InitFind's focus shows.
    m_main->frFindMain->setFocus();
}

void TestLogin::cleanup()
{
    m_harness.reset();
    m_dir.reset();
}

void TestLogin::addUser(const QString& name, const QString& password)
{
    QVERIFY(AccountStore(m_harness->db()).registerUser(name, password));
}

std::unique_ptr<TfmLogin> TestLogin::openLogin(bool secretStore)
{
    TFmMain* main = m_main;
    auto login = std::make_unique<TfmLogin>(
        main, m_harness->db(), [main](const QString& user) { return main->signIn(user); },
        std::make_unique<SettingsStore>(
            settingsFile(),
            secretStore ? std::make_unique<MemorySecretStore>(&m_secrets) : nullptr));
    login->show();
    login->activateWindow();
    if (!QTest::qWaitForWindowActive(login.get()))
        qWarning("the login dialog did not become active");
    return login;
}

std::unique_ptr<TfmReg> TestLogin::openRegistration()
{
    TFmMain* main = m_main;
    auto reg = std::make_unique<TfmReg>(main, m_harness->db(),
                                        [main](const QString& user) { return main->signIn(user); });
    reg->show();
    reg->activateWindow();
    if (!QTest::qWaitForWindowActive(reg.get()))
        qWarning("the registration dialog did not become active");
    return reg;
}

void TestLogin::press(QWidget* widget, Qt::Key key)
{
    QTest::keyClick(widget, key);
}

void TestLogin::rememberLogin(const QString& user, const QString& password)
{
    SettingsStore settings(settingsFile());
    settings.setLastUser(user);
    settings.savePassword(user, password);
}

void TestLogin::fill(TfmLogin& login, const QString& name, const QString& password)
{
    typeText(login.EdtLogin, name);
    press(login.EdtLogin, Qt::Key_Tab);
    typeText(login.EdtPass, password);
}

bool TestLogin::searchViewInitialised() const
{
    return m_main->focusWidget() == m_main->frFindMain->EdtRequest;
}

// Clicks "Регистрация" and runs the steps on the registration dialog while it
// is up; a dialog the steps leave open is cancelled so the test goes on.
void TestLogin::clickOnRegistration(std::function<void(TfmReg*)> steps)
{
    auto* login = m_main->findChild<TfmLogin*>();
    QVERIFY(login);
    bool ran = false;
    whenShown<TfmReg>([&](TfmReg* reg) {
        ran = true;
        QVERIFY(!login->isVisible());
        steps(reg);
    });
    QTest::mouseClick(login->BtnReg, Qt::LeftButton);
    QVERIFY(ran);
}

void TestLogin::opensEmptyWithoutSettings()
{
    auto login = openLogin();
    QCOMPARE(login->windowTitle(), QStringLiteral("Вход в систему"));
    QCOMPARE(login->EdtLogin->text(), QString());
    QCOMPARE(login->EdtPass->text(), QString());
    QVERIFY(!login->ChBSave->isChecked());
    QCOMPARE(login->EdtPass->echoMode(), QLineEdit::Password);
    QCOMPARE(login->focusWidget(), login->EdtLogin);
    QVERIFY(login->BtnOk->isDefault());
}

void TestLogin::tabOrderAndWindow()
{
    auto login = openLogin();
    const QList<QWidget*> order = {login->EdtPass, login->ChBSave,   login->BtnReg,
                                   login->BtnOk,   login->BtnCancel, login->EdtLogin};
    for (QWidget* next : order) {
        press(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QVERIFY(!(login->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(login->windowFlags() & Qt::WindowSystemMenuHint));
    QVERIFY(login->width() >= 291 && login->height() >= 136);
    QCOMPARE(login->BtnOk->text(), QStringLiteral("ОК"));
    QCOMPARE(login->BtnReg->text(), QStringLiteral("Регистрация"));
    QCOMPARE(login->ChBSave->text(), QStringLiteral("Сохранить пароль"));
}

void TestLogin::emptyNameIsRefused()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("1"));
    auto login = openLogin();
    typeText(login->EdtPass, QStringLiteral("1"));
    press(login->EdtPass);
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("warning: Введите, пожалуйста, имя пользователя")});
    QCOMPARE(login->focusWidget(), login->EdtLogin);
    QVERIFY(login->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::unknownUserIsRefused()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("1"));
    auto login = openLogin();
    typeText(login->EdtLogin, QStringLiteral("petr"));
    press(login->EdtLogin);
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("warning: Этот пользователь незарегистрирован")});
    QCOMPARE(login->EdtLogin->text(), QString());
    QCOMPARE(login->focusWidget(), login->EdtLogin);
    QVERIFY(login->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::wrongPasswordIsRefused()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("secret"));
    auto login = openLogin();
    fill(*login, QStringLiteral("ivan"), QStringLiteral("Secret"));
    press(login->EdtPass);
    QCOMPARE(m_prompts->log(), QStringList{QStringLiteral("warning: Неправильный пароль")});
    QCOMPARE(login->EdtPass->text(), QString());
    QCOMPARE(login->EdtLogin->text(), QStringLiteral("ivan"));
    QCOMPARE(login->focusWidget(), login->EdtPass);
    QVERIFY(m_main->currentUser().isEmpty());

    // Another try in the same dialog succeeds.
    typeText(login->EdtPass, QStringLiteral("secret"));
    press(login->EdtPass);
    QCOMPARE(m_main->currentUser(), QStringLiteral("ivan"));
    QVERIFY(!login->isVisible());
}

void TestLogin::loginSetsUserAndRemembersName()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("secret"));
    auto login = openLogin();
    fill(*login, QStringLiteral("ivan"), QStringLiteral("secret"));
    QTest::mouseClick(login->BtnOk, Qt::LeftButton);

    QVERIFY(m_prompts->log().isEmpty());
    QCOMPARE(login->result(), int(QDialog::Accepted));
    QVERIFY(!login->isVisible());
    QCOMPARE(m_main->currentUser(), QStringLiteral("ivan"));
    QVERIFY(searchViewInitialised());
    SettingsStore settings(settingsFile());
    QCOMPARE(settings.lastUser(), QStringLiteral("ivan"));
    QCOMPARE(settings.password(QStringLiteral("ivan")), SettingsStore::noPassword());
}

void TestLogin::savedPasswordIsOffered()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("secret"));
    rememberLogin(QStringLiteral("ivan"), QStringLiteral("secret"));
    auto login = openLogin();
    QCOMPARE(login->EdtLogin->text(), QStringLiteral("ivan"));
    QCOMPARE(login->EdtPass->text(), QStringLiteral("secret"));
    QVERIFY(login->ChBSave->isChecked());
    press(login->EdtLogin);
    QCOMPARE(m_main->currentUser(), QStringLiteral("ivan"));
    QCOMPARE(SettingsStore(settingsFile()).password(QStringLiteral("ivan")),
             QStringLiteral("secret"));
}

void TestLogin::emptySavedPasswordCountsAsSaved()
{
    rememberLogin(QStringLiteral("ivan"), QString());
    auto login = openLogin();
    QCOMPARE(login->EdtLogin->text(), QStringLiteral("ivan"));
    QCOMPARE(login->EdtPass->text(), QString());
    QVERIFY(login->ChBSave->isChecked());
}

void TestLogin::otherUserWithoutSavedPasswordKeepsTick()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("secret"));
    addUser(QStringLiteral("anna"), QStringLiteral("роза"));
    rememberLogin(QStringLiteral("ivan"), QStringLiteral("secret"));
    auto login = openLogin();
    login->EdtLogin->selectAll();
    typeText(login->EdtLogin, QStringLiteral("anna"));
    press(login->EdtLogin, Qt::Key_Tab);
    QCOMPARE(login->EdtPass->text(), QString());
    QVERIFY(login->ChBSave->isChecked());

    // Back to a name with a saved password: it comes into the box.
    QTest::mouseClick(login->EdtLogin, Qt::LeftButton);
    login->EdtLogin->selectAll();
    typeText(login->EdtLogin, QStringLiteral("ivan"));
    press(login->EdtLogin, Qt::Key_Tab);
    QCOMPARE(login->EdtPass->text(), QStringLiteral("secret"));

    login->EdtLogin->setFocus();
    login->EdtLogin->selectAll();
    fill(*login, QStringLiteral("anna"), QStringLiteral("роза"));
    press(login->EdtPass);
    QCOMPARE(m_main->currentUser(), QStringLiteral("anna"));
    SettingsStore settings(settingsFile());
    QCOMPARE(settings.lastUser(), QStringLiteral("anna"));
    QCOMPARE(settings.password(QStringLiteral("anna")), QStringLiteral("роза"));
    QCOMPARE(settings.password(QStringLiteral("ivan")), QStringLiteral("secret"));
}

void TestLogin::untickingForgetsPasswordKeepsName()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("secret"));
    rememberLogin(QStringLiteral("ivan"), QStringLiteral("secret"));
    auto login = openLogin();
    QTest::mouseClick(login->ChBSave, Qt::LeftButton);
    QVERIFY(!login->ChBSave->isChecked());
    press(login->ChBSave);
    QCOMPARE(m_main->currentUser(), QStringLiteral("ivan"));
    SettingsStore settings(settingsFile());
    QCOMPARE(settings.lastUser(), QStringLiteral("ivan"));
    QCOMPARE(settings.password(QStringLiteral("ivan")), SettingsStore::noPassword());
}

void TestLogin::nameWithSlashRoundTrips()
{
    addUser(QStringLiteral("dom/ivan\\x"), QStringLiteral("p"));
    {
        auto login = openLogin();
        fill(*login, QStringLiteral("dom/ivan\\x"), QStringLiteral("p"));
        QTest::mouseClick(login->ChBSave, Qt::LeftButton);
        press(login->EdtPass);
        QCOMPARE(m_main->currentUser(), QStringLiteral("dom/ivan\\x"));
    }
    auto again = openLogin();
    QCOMPARE(again->EdtLogin->text(), QStringLiteral("dom/ivan\\x"));
    QCOMPARE(again->EdtPass->text(), QStringLiteral("p"));
    QVERIFY(again->ChBSave->isChecked());
}

void TestLogin::savedPasswordStaysPrivate_data()
{
    QTest::addColumn<bool>("secretStore");
    QTest::newRow("secret store") << true;
    QTest::newRow("settings file only") << false;
}

void TestLogin::savedPasswordStaysPrivate()
{
    QFETCH(bool, secretStore);
    addUser(QStringLiteral("ivan"), QStringLiteral("s3cret"));
    {
        auto login = openLogin(secretStore);
        fill(*login, QStringLiteral("ivan"), QStringLiteral("s3cret"));
        QTest::mouseClick(login->ChBSave, Qt::LeftButton);
        press(login->EdtPass);
        QCOMPARE(m_main->currentUser(), QStringLiteral("ivan"));
    }
    QFile ini(settingsFile());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    QVERIFY2(text.contains("user=ivan"), text.constData());
    QCOMPARE(text.contains("s3cret"), !secretStore);
    QCOMPARE(fileMode(settingsFile()), 0600);
    QCOMPARE(m_secrets.value(QStringLiteral("ivan")),
             secretStore ? QStringLiteral("s3cret") : QString());

    // The next start offers it as before.
    auto again = openLogin(secretStore);
    QCOMPARE(again->EdtLogin->text(), QStringLiteral("ivan"));
    QCOMPARE(again->EdtPass->text(), QStringLiteral("s3cret"));
    QVERIFY(again->ChBSave->isChecked());
}

void TestLogin::plainPasswordMovesToSecretStoreAtLogin()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("s3cret"));
    {
        QSettings old(settingsFile(), QSettings::IniFormat);
        old.setValue(QStringLiteral("user"), QStringLiteral("ivan"));
        old.setValue(QStringLiteral("ivan"), QStringLiteral("s3cret"));
        old.setValue(QStringLiteral("u1"), QStringLiteral("other"));
    }
    auto login = openLogin(true);
    QCOMPARE(login->EdtPass->text(), QStringLiteral("s3cret"));
    QVERIFY(login->ChBSave->isChecked());
    QVERIFY(m_secrets.isEmpty());
    press(login->EdtLogin);
    QCOMPARE(m_main->currentUser(), QStringLiteral("ivan"));
    const QMap<QString, QString> moved = {{QStringLiteral("ivan"), QStringLiteral("s3cret")},
                                          {QStringLiteral("u1"), QStringLiteral("other")}};
    QCOMPARE(m_secrets, moved);
    QCOMPARE(QSettings(settingsFile(), QSettings::IniFormat).childKeys(),
             QStringList{QStringLiteral("user")});
}

void TestLogin::savedPasswordFoundInOtherLetterCase_data()
{
    savedPasswordStaysPrivate_data();
}

void TestLogin::savedPasswordFoundInOtherLetterCase()
{
    QFETCH(bool, secretStore);
    addUser(QStringLiteral("Иванов"), QStringLiteral("1"));
    addUser(QStringLiteral("anna"), QStringLiteral("2"));
    {
        auto login = openLogin(secretStore);
        fill(*login, QStringLiteral("иванов"), QStringLiteral("1"));
        QTest::mouseClick(login->ChBSave, Qt::LeftButton);
        press(login->EdtPass);
        QCOMPARE(m_main->currentUser(), QStringLiteral("Иванов"));
    }
    auto login = openLogin(secretStore);
    login->EdtLogin->selectAll();
    typeText(login->EdtLogin, QStringLiteral("anna"));
    press(login->EdtLogin, Qt::Key_Tab);
    QCOMPARE(login->EdtPass->text(), QString());

    QTest::mouseClick(login->EdtLogin, Qt::LeftButton);
    login->EdtLogin->selectAll();
    typeText(login->EdtLogin, QStringLiteral("иВАНОВ"));
    press(login->EdtLogin, Qt::Key_Tab);
    QCOMPARE(login->EdtPass->text(), QStringLiteral("1"));
    QVERIFY(login->ChBSave->isChecked());
}

void TestLogin::emptyStoredPasswordSignsIn()
{
    addUser(QStringLiteral("guest"), QString());
    auto login = openLogin();
    typeText(login->EdtLogin, QStringLiteral("guest"));
    press(login->EdtLogin);
    QVERIFY(m_prompts->log().isEmpty());
    QCOMPARE(m_main->currentUser(), QStringLiteral("guest"));
}

void TestLogin::otherLetterCaseSignsInAsStored()
{
    addUser(QStringLiteral("Иванов"), QStringLiteral("1"));
    auto login = openLogin();
    fill(*login, QStringLiteral("иВАНОВ"), QStringLiteral("1"));
    press(login->EdtPass);
    QVERIFY(m_prompts->log().isEmpty());
    QCOMPARE(m_main->currentUser(), QStringLiteral("Иванов"));
    QCOMPARE(SettingsStore(settingsFile()).lastUser(), QStringLiteral("Иванов"));
}

void TestLogin::legacyPlainPasswordIsRehashed()
{
    Sql::run(m_harness->db(),
             QStringLiteral("INSERT INTO users (log, pass) VALUES ('old', 'plain')"));
    auto login = openLogin();
    fill(*login, QStringLiteral("old"), QStringLiteral("plain"));
    press(login->EdtPass);
    QCOMPARE(m_main->currentUser(), QStringLiteral("old"));
    QSqlQuery q = Sql::run(m_harness->db(), QStringLiteral("SELECT pass FROM users"));
    QVERIFY(q.next());
    QVERIFY(PasswordHash::isHash(q.value(0).toString()));
}

void TestLogin::injectionInNameChangesNothing()
{
    addUser(QStringLiteral("admin"), QString());
    auto login = openLogin();
    for (const char* name : {"' OR '1'='1", "x'; DROP TABLE users; --", "admin' --"}) {
        m_prompts->clear();
        login->EdtLogin->clear();
        login->EdtLogin->setFocus();
        typeText(login->EdtLogin, QString::fromUtf8(name));
        press(login->EdtLogin);
        QCOMPARE(m_prompts->log(),
                 QStringList{QStringLiteral("warning: Этот пользователь незарегистрирован")});
        QVERIFY(m_main->currentUser().isEmpty());
        QVERIFY(login->isVisible());
    }
    QSqlQuery q = Sql::run(m_harness->db(), QStringLiteral("SELECT log FROM users"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("admin"));
    QVERIFY(!q.next());
}

void TestLogin::escapeDoesNotLeave()
{
    auto login = openLogin();
    press(login->EdtLogin, Qt::Key_Escape);
    QVERIFY(login->isVisible());
    login->close();
    QVERIFY(login->isVisible());
    QVERIFY(m_main->isVisible());
}

void TestLogin::cancelClosesMainWindow()
{
    auto login = openLogin();
    QTest::mouseClick(login->BtnCancel, Qt::LeftButton);
    QVERIFY(m_prompts->log().isEmpty());
    QVERIFY(!login->isVisible());
    QCOMPARE(login->result(), int(QDialog::Rejected));
    QVERIFY(m_main->isClosed());
    QVERIFY(!m_main->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::databaseErrorKeepsDialogOpen()
{
    Sql::run(m_harness->db(), QStringLiteral("DROP TABLE users"));
    auto login = openLogin();
    typeText(login->EdtLogin, QStringLiteral("ivan"));
    press(login->EdtLogin);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("error: ")),
             qPrintable(m_prompts->last()));
    QVERIFY(login->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::failingSearchViewSignsNobodyIn()
{
    addUser(QStringLiteral("ivan"), QStringLiteral("1"));
    // The accounts are there; the list of cities for the search view is not.
    Sql::run(m_harness->db(), QStringLiteral("DROP TABLE city"));
    auto login = openLogin();
    fill(*login, QStringLiteral("ivan"), QStringLiteral("1"));
    press(login->EdtPass);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("error: ")),
             qPrintable(m_prompts->last()));
    QVERIFY(login->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());

    m_prompts->clear();
    clickOnRegistration([this](TfmReg* reg) {
        typeText(reg->EdtLogin, QStringLiteral("Новый"));
        QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
        QCOMPARE(m_prompts->log().size(), 1);
        QVERIFY(m_prompts->last().startsWith(QStringLiteral("error: ")));
        QVERIFY(reg->isVisible());
        QVERIFY(m_main->currentUser().isEmpty());
    });
    QVERIFY(login->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::enterRightAfterOpeningPressesOk()
{
    auto reg = openRegistration();
    QCOMPARE(reg->windowTitle(), QStringLiteral("Регистрация"));
    QCOMPARE(reg->BtnOk->text(), QStringLiteral("OК"));
    QCOMPARE(QApplication::focusWidget(), reg->BtnOk);
    press(reg->BtnOk);
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("warning: Введите, пожалуйста, имя пользователя")});
    QCOMPARE(reg->focusWidget(), reg->EdtLogin);
    QVERIFY(reg->isVisible());

    // Tab order: the buttons first, then the three boxes.
    reg->BtnOk->setFocus();
    for (QWidget* next : QList<QWidget*>{reg->btnCancel, reg->EdtLogin, reg->EdtPass,
                                         reg->EdtPassTwo, reg->BtnOk}) {
        press(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestLogin::reservedWordOnlyInLowerCase()
{
    auto reg = openRegistration();
    typeText(reg->EdtLogin, QStringLiteral("user"));
    // Enter walks through the boxes and presses "OК" in the last one.
    press(reg->EdtLogin);
    QCOMPARE(QApplication::focusWidget(), reg->EdtPass);
    QVERIFY(m_prompts->log().isEmpty());
    press(reg->EdtPass);
    QCOMPARE(QApplication::focusWidget(), reg->EdtPassTwo);
    press(reg->EdtPassTwo);
    QCOMPARE(m_prompts->log(), QStringList{QStringLiteral("warning: Это зарезервированное слово")});
    QCOMPARE(reg->focusWidget(), reg->EdtLogin);

    reg->EdtLogin->clear();
    typeText(reg->EdtLogin, QStringLiteral("User"));
    QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY(!reg->isVisible());
    QCOMPARE(m_main->currentUser(), QStringLiteral("User"));
    QVERIFY(AccountStore(m_harness->db()).exists(QStringLiteral("User")));
}

void TestLogin::blankOrSemicolonRefused()
{
    auto reg = openRegistration();
    for (const char* name : {"a b", "a;b", " ", "ab;"}) {
        m_prompts->clear();
        reg->EdtLogin->setText(QString::fromUtf8(name));
        QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
        QCOMPARE(m_prompts->log(),
                 QStringList{QStringLiteral(
                     "warning: Имя пользователя не должно содержать пробелов и точек с запятой")});
        QCOMPARE(reg->focusWidget(), reg->EdtLogin);
    }
    QVERIFY(!AccountStore(m_harness->db()).exists(QStringLiteral("a b")));
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::mismatchReportedBeforeExistingName()
{
    addUser(QStringLiteral("anna"), QStringLiteral("1"));
    auto reg = openRegistration();
    typeText(reg->EdtLogin, QStringLiteral("anna"));
    typeText(reg->EdtPass, QStringLiteral("x"));
    typeText(reg->EdtPassTwo, QStringLiteral("X"));
    QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
    QCOMPARE(m_prompts->log(), QStringList{QStringLiteral("warning: Пароли несовпадают")});
    QCOMPARE(reg->EdtPass->text(), QString());
    QCOMPARE(reg->EdtPassTwo->text(), QString());
    QCOMPARE(reg->EdtLogin->text(), QStringLiteral("anna"));
    QCOMPARE(reg->focusWidget(), reg->EdtPass);

    m_prompts->clear();
    typeText(reg->EdtPass, QStringLiteral("x"));
    typeText(reg->EdtPassTwo, QStringLiteral("x"));
    QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("warning: Такой пользователь уже существует")});
    QCOMPARE(reg->EdtLogin->text(), QString());
    QCOMPARE(reg->EdtPass->text(), QString());
    QCOMPARE(reg->EdtPassTwo->text(), QString());
    QCOMPARE(reg->focusWidget(), reg->EdtLogin);
    QVERIFY(reg->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

void TestLogin::existingNameInOtherCaseRefused()
{
    addUser(QStringLiteral("Мария"), QStringLiteral("1"));
    auto reg = openRegistration();
    typeText(reg->EdtLogin, QStringLiteral("мАРИЯ"));
    QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("warning: Такой пользователь уже существует")});
    QSqlQuery q = Sql::run(m_harness->db(), QStringLiteral("SELECT COUNT(*) FROM users"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);
}

void TestLogin::registrationDatabaseError()
{
    Sql::run(m_harness->db(), QStringLiteral("DROP TABLE users"));
    auto reg = openRegistration();
    typeText(reg->EdtLogin, QStringLiteral("ivan"));
    QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("error: ")),
             qPrintable(m_prompts->last()));
    QVERIFY(reg->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
}

// A password that cannot be hashed (libsodium out of memory) is an error box
// in both dialogs; nobody signs in and nothing is written.
void TestLogin::hashFailureKeepsDialogsOpen()
{
    Sql::run(m_harness->db(),
             QStringLiteral("INSERT INTO users (log, pass) VALUES ('old', 'plain')"));
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN,
                                    std::numeric_limits<std::size_t>::max());
    const auto restore = qScopeGuard([] {
        PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    });
    const QStringList errorBox = {
        QStringLiteral("error: Не хватает памяти, чтобы защитить пароль.")};
    {
        auto login = openLogin();
        fill(*login, QStringLiteral("old"), QStringLiteral("plain"));
        press(login->EdtPass);
        QCOMPARE(m_prompts->log(), errorBox);
        QVERIFY(login->isVisible());
    }
    m_prompts->clear();
    {
        auto reg = openRegistration();
        typeText(reg->EdtLogin, QStringLiteral("ivan"));
        QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
        QCOMPARE(m_prompts->log(), errorBox);
        QVERIFY(reg->isVisible());
    }
    QVERIFY(m_main->currentUser().isEmpty());
    QSqlQuery q = Sql::run(m_harness->db(), QStringLiteral("SELECT log, pass FROM users"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString() + QLatin1Char(' ') + q.value(1).toString(),
             QStringLiteral("old plain"));
    QVERIFY(!q.next());
}

void TestLogin::registrationSignsInWithoutSecondLogin()
{
    auto login = openLogin();
    clickOnRegistration([this](TfmReg* reg) {
        typeText(reg->EdtLogin, QStringLiteral("Новый"));
        press(reg->EdtLogin);
        typeText(reg->EdtPass, QStringLiteral("pw"));
        press(reg->EdtPass);
        typeText(reg->EdtPassTwo, QStringLiteral("pw"));
        press(reg->EdtPassTwo);
        QVERIFY(!reg->isVisible());
    });
    QVERIFY(m_prompts->log().isEmpty());
    QCOMPARE(m_main->currentUser(), QStringLiteral("Новый"));
    QVERIFY(searchViewInitialised());
    QVERIFY(!login->isVisible());
    QCOMPARE(login->result(), int(QDialog::Accepted));
    QCOMPARE(
        AccountStore(m_harness->db()).login(QStringLiteral("Новый"), QStringLiteral("pw")).outcome,
        AccountStore::Outcome::Accepted);
    // Registration leaves the remembered name alone.
    QCOMPARE(SettingsStore(settingsFile()).lastUser(), QString());
}

void TestLogin::cancelledRegistrationReturnsToLogin()
{
    auto login = openLogin();
    clickOnRegistration([this](TfmReg* reg) {
        typeText(reg->EdtLogin, QStringLiteral("someone"));
        press(reg->EdtLogin, Qt::Key_Escape);
        QVERIFY(!reg->isVisible());
    });
    QVERIFY(login->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
    QVERIFY(!AccountStore(m_harness->db()).exists(QStringLiteral("someone")));
    QVERIFY(!m_main->isClosed());
}

void TestLogin::nameWithNulRefused_data()
{
    QTest::addColumn<bool>("registration");
    QTest::newRow("login") << false;
    QTest::newRow("registration") << true;
}

// Refused with a warning naming the box, before any statement runs.
void TestLogin::nameWithNulRefused()
{
    QFETCH(bool, registration);
    const QString name = QStringLiteral("iv") + QChar(u'\0') + QStringLiteral("an");
    std::unique_ptr<QDialog> dialog;
    QLineEdit* edit = nullptr;
    QLabel* label = nullptr;
    if (registration) {
        auto reg = openRegistration();
        edit = reg->EdtLogin;
        label = reg->Label1;
        edit->setText(name);
        QTest::mouseClick(reg->BtnOk, Qt::LeftButton);
        dialog = std::move(reg);
    } else {
        auto login = openLogin();
        edit = login->EdtLogin;
        label = login->Label1;
        edit->setText(name);
        QTest::mouseClick(login->BtnOk, Qt::LeftButton);
        dialog = std::move(login);
    }
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("warning: ")) &&
                 m_prompts->last().contains(label->text().remove(QLatin1Char(':'))),
             qPrintable(m_prompts->last()));
    QCOMPARE(dialog->focusWidget(), edit);
    QVERIFY(dialog->isVisible());
    QVERIFY(m_main->currentUser().isEmpty());
    QSqlQuery users = Sql::run(m_harness->db(), QStringLiteral("SELECT COUNT(*) FROM users"));
    QVERIFY(users.next());
    QCOMPARE(users.value(0).toInt(), 0);
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
