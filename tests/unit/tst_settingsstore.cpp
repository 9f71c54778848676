// SPDX-License-Identifier: MIT
#include "FileMode.h"
#include "MemorySecretStore.h"
#include "auth/KeychainSecretStore.h"
#include "auth/SettingsStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void missingValuesReadAsDefaults();
    void emptyPasswordIsSaved();
    void removeKeepsLastUser();
    void separatorsInNamesStayValues_data();
    void separatorsInNamesStayValues();
    void reservedValueNeverShared();
    void writesReachTheFileAtOnce();
    void newFileAndFolderAreOwnerOnly();
    void readableFileIsRestrictedAtOpen();
    void plainPasswordsMoveToSecretStore();
    void withoutSessionBusPasswordsStayInFile();
    void deletedDaysFromSettings_data();
    void deletedDaysFromSettings();

private:
    QString file() const { return m_dir->filePath(QStringLiteral("Kavelton.ini")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsStore::missingValuesReadAsDefaults()
{
    SettingsStore store(file());
    QCOMPARE(store.lastUser(), QString());
    QCOMPARE(store.password(QStringLiteral("ivan")), QStringLiteral("\r"));
    QCOMPARE(SettingsStore::noPassword(), QStringLiteral("\r"));
    // An empty name box has no saved password, whatever the file holds.
    store.setLastUser(QStringLiteral("x"));
    QCOMPARE(store.password(QString()), SettingsStore::noPassword());
}

void TestSettingsStore::emptyPasswordIsSaved()
{
    SettingsStore store(file());
    store.savePassword(QStringLiteral("ivan"), QString());
    QCOMPARE(store.password(QStringLiteral("ivan")), QString());
    QVERIFY(store.password(QStringLiteral("ivan")) != SettingsStore::noPassword());

    SettingsStore again(file());
    QCOMPARE(again.password(QStringLiteral("ivan")), QString());
    QVERIFY(again.password(QStringLiteral("ivan")) != SettingsStore::noPassword());
}

void TestSettingsStore::removeKeepsLastUser()
{
    SettingsStore store(file());
    store.setLastUser(QStringLiteral("Пётр"));
    store.savePassword(QStringLiteral("Пётр"), QStringLiteral("секрет"));
    store.savePassword(QStringLiteral("anna"), QStringLiteral("a"));
    store.removePassword(QStringLiteral("Пётр"));

    SettingsStore again(file());
    QCOMPARE(again.lastUser(), QStringLiteral("Пётр"));
    QCOMPARE(again.password(QStringLiteral("Пётр")), SettingsStore::noPassword());
    QCOMPARE(again.password(QStringLiteral("anna")), QStringLiteral("a"));
}

void TestSettingsStore::separatorsInNamesStayValues_data()
{
    QTest::addColumn<QString>("user");
    QTest::newRow("slash") << QStringLiteral("a/b");
    QTest::newRow("backslash") << QStringLiteral("dom\\ivan");
    QTest::newRow("leading slash") << QStringLiteral("/x");
    QTest::newRow("percent") << QStringLiteral("%2F");
    QTest::newRow("ini syntax") << QStringLiteral("[General]=#;x");
    QTest::newRow("blanks") << QStringLiteral(" a b ");
}

void TestSettingsStore::separatorsInNamesStayValues()
{
    QFETCH(QString, user);
    {
        SettingsStore store(file());
        store.savePassword(user, QStringLiteral("p-") + user);
        // Its neighbours are other users and must stay apart.
        store.savePassword(QStringLiteral("a"), QStringLiteral("plain a"));
        store.savePassword(QStringLiteral("2F"), QStringLiteral("plain 2F"));
    }
    SettingsStore again(file());
    QCOMPARE(again.password(user), QStringLiteral("p-") + user);
    QCOMPARE(again.password(QStringLiteral("a")), QStringLiteral("plain a"));
    QCOMPARE(again.password(QStringLiteral("2F")), QStringLiteral("plain 2F"));
    QCOMPARE(SettingsStore::userOfValue(SettingsStore::valueName(user)), user);

    QSettings raw(file(), QSettings::IniFormat);
    QVERIFY2(raw.childGroups().isEmpty(), qPrintable(raw.childGroups().join(u',')));
    QVERIFY(raw.childKeys().contains(SettingsStore::valueName(user)));
    // Plain names stay readable as value names.
    QCOMPARE(SettingsStore::valueName(QStringLiteral("Иванов")), QStringLiteral("Иванов"));
}

void TestSettingsStore::reservedValueNeverShared()
{
    // The registry does not tell "User" from "user": a user of that name
    // must not overwrite the last user name with a password.
    for (const QString& name :
         {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("user")})
        QVERIFY(SettingsStore::valueName(name).compare(QLatin1String("user"),
                                                       Qt::CaseInsensitive) != 0);
    SettingsStore store(file());
    store.setLastUser(QStringLiteral("User"));
    store.savePassword(QStringLiteral("User"), QStringLiteral("secret"));
    QCOMPARE(store.lastUser(), QStringLiteral("User"));
    QCOMPARE(store.password(QStringLiteral("User")), QStringLiteral("secret"));
    QCOMPARE(SettingsStore::valueName(QStringLiteral("Users")), QStringLiteral("Users"));
}

void TestSettingsStore::writesReachTheFileAtOnce()
{
    SettingsStore store(file());
    store.setLastUser(QStringLiteral("ivan"));
    store.savePassword(QStringLiteral("ivan"), QStringLiteral("1"));
    // Read from the file while the store is still open, as another copy
    // of the program would.
    QFile ini(file());
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    QVERIFY2(text.contains("user=ivan"), text.constData());
    QVERIFY2(text.contains("ivan=1"), text.constData());
}

void TestSettingsStore::newFileAndFolderAreOwnerOnly()
{
    const QString folder = m_dir->filePath(QStringLiteral("config"));
    const QString ini = folder + QStringLiteral("/Kavelton.ini");
    SettingsStore store(ini);
    store.setLastUser(QStringLiteral("ivan"));
    store.savePassword(QStringLiteral("ivan"), QStringLiteral("s3cret"));
    QCOMPARE(fileMode(folder), 0700);
    QCOMPARE(fileMode(ini), 0600);
    QCOMPARE(SettingsStore(ini).password(QStringLiteral("ivan")), QStringLiteral("s3cret"));
}

void TestSettingsStore::readableFileIsRestrictedAtOpen()
{
    QSettings(file(), QSettings::IniFormat).setValue(QStringLiteral("u1"), QStringLiteral("p"));
    QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther));
    SettingsStore store(file());
    QCOMPARE(fileMode(file()), 0600);
    QCOMPARE(store.password(QStringLiteral("u1")), QStringLiteral("p"));
}

void TestSettingsStore::plainPasswordsMoveToSecretStore()
{
    const QStringList users = {QStringLiteral("dom/ivan"), QStringLiteral("User"),
                               QStringLiteral("%2F"), QStringLiteral("Пётр")};
    {
        SettingsStore plain(file());
        plain.setLastUser(QStringLiteral("Пётр"));
        for (const QString& user : users)
            plain.savePassword(user, QStringLiteral("p-") + user);
    }
    // Without a secret store nothing moves.
    SettingsStore(file(), std::make_unique<MemorySecretStore>(nullptr)).moveSavedPasswords();
    QCOMPARE(QSettings(file(), QSettings::IniFormat).childKeys().size(), users.size() + 1);

    QMap<QString, QString> secrets;
    SettingsStore store(file(), std::make_unique<MemorySecretStore>(&secrets));
    store.moveSavedPasswords();
    QStringList sorted = users;
    sorted.sort();
    QCOMPARE(secrets.keys(), sorted);
    for (const QString& user : users)
        QCOMPARE(secrets.value(user), QStringLiteral("p-") + user);
    QCOMPARE(QSettings(file(), QSettings::IniFormat).childKeys(),
             QStringList{QStringLiteral("user")});
    QCOMPARE(store.lastUser(), QStringLiteral("Пётр"));
    QCOMPARE(store.password(QStringLiteral("User")), QStringLiteral("p-User"));
}

void TestSettingsStore::withoutSessionBusPasswordsStayInFile()
{
    // No desktop session here: the store must be found missing, not waited for.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(m_dir->filePath(QStringLiteral("no-bus"))));
    auto keychain = std::make_unique<KeychainSecretStore>(QStringLiteral("Kavelton-test"));
    QVERIFY(!keychain->isAvailable());
    QVERIFY(!keychain->read(QStringLiteral("ivan")));
    SettingsStore store(file(), std::move(keychain));
    store.savePassword(QStringLiteral("ivan"), QStringLiteral("s3cret"));
    QCOMPARE(QSettings(file(), QSettings::IniFormat).value(QStringLiteral("ivan")).toString(),
             QStringLiteral("s3cret"));
    QCOMPARE(fileMode(file()), 0600);
    QCOMPARE(store.password(QStringLiteral("ivan")), QStringLiteral("s3cret"));
}

void TestSettingsStore::deletedDaysFromSettings_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<int>("days");
    QTest::newRow("missing") << QVariant() << 90;
    QTest::newRow("set") << QVariant(30) << 30;
    QTest::newRow("zero") << QVariant(0) << 90;
    QTest::newRow("not a number") << QVariant(QStringLiteral("abc")) << 90;
}

void TestSettingsStore::deletedDaysFromSettings()
{
    QFETCH(QVariant, stored);
    QFETCH(int, days);
    if (stored.isValid())
        QSettings(file(), QSettings::IniFormat)
            .setValue(QStringLiteral("history/deletedDays"), stored);
    QCOMPARE(SettingsStore(file()).deletedDays(), days);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
