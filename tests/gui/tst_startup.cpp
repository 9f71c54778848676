// SPDX-License-Identifier: MIT
#include "MenuItem.h"
#include "ScriptedPrompts.h"
#include "WhenShown.h"
#include "app/Startup.h"
#include "app/TFmMain.h"
#include "app/TTrayIcon.h"
#include "auth/AccountStore.h"
#include "auth/PasswordHash.h"
#include "auth/ui/TfmLogin.h"
#include "db/DataLink.h"
#include "db/Database.h"
#include "db/SqliteFile.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <sodium.h>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// The program's start-up in a working folder of its own, on SQLite.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void missingDataLinkEndsWithError();
    void unknownProviderEndsWithError();
    void hostileDataLinkEndsWithError_data();
    void hostileDataLinkEndsWithError();
    void unopenableDatabaseEndsWithError();
    void cancelledLoginEndsProgram();
    void loginThenCloseEndsProgram();
    void networkFolderIsToldOnce();

private:
    void writeDataLink(const QByteArray& text);
    // Runs the steps once the login dialog is up over the main window.
    void onLogin(std::function<void(TfmLogin*)> steps);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    QString m_oldDir;
};

void TestStartup::initTestCase()
{
    PasswordHash::setCostForTesting(crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN);
    TTrayIcon::setAvailabilityCheck([] { return false; });
}

void TestStartup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void TestStartup::cleanup()
{
    QDir::setCurrent(m_oldDir);
    SqliteFile::setFileSystemProbe({});
    m_prompts.reset();
    m_dir.reset();
}

void TestStartup::writeDataLink(const QByteArray& text)
{
    QFile file(m_dir->filePath(QStringLiteral("sprav.udl")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

void TestStartup::onLogin(std::function<void(TfmLogin*)> steps)
{
    whenShown<TfmLogin>([steps](TfmLogin* login) {
        auto* main = qobject_cast<TFmMain*>(login->parentWidget());
        QVERIFY(main && main->isVisible());
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Справочник"));
        steps(login);
    });
}

void TestStartup::missingDataLinkEndsWithError()
{
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 1);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("error: ")) &&
                 m_prompts->last().contains(QStringLiteral("sprav.udl")),
             qPrintable(m_prompts->last()));
    QVERIFY(QApplication::topLevelWidgets().isEmpty() || !QApplication::activeWindow());
}

void TestStartup::unknownProviderEndsWithError()
{
    writeDataLink("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=sprav.mdb\r\n");
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 1);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().contains(QStringLiteral("Microsoft.Jet.OLEDB.4.0")),
             qPrintable(m_prompts->last()));
}

void TestStartup::hostileDataLinkEndsWithError_data()
{
    QTest::addColumn<QByteArray>("text"); // empty: the data-link file is a pipe
#ifdef Q_OS_UNIX
    QTest::newRow("pipe") << QByteArray();
#endif
    QTest::newRow("mistyped separator")
        << QByteArray("Provider=PostgreSQL,Password=Sekret42;Data Source=db.local\r\n");
}

// The program ends with an error box naming the file, neither hanging nor
// showing a password.
void TestStartup::hostileDataLinkEndsWithError()
{
    QFETCH(QByteArray, text);
    const QString path = m_dir->filePath(QStringLiteral("sprav.udl"));
    if (text.isEmpty()) {
#ifdef Q_OS_UNIX
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
    } else {
        writeDataLink(text);
    }
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 1);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("error: ")) &&
                 m_prompts->last().contains(QDir::toNativeSeparators(path)) &&
                 !m_prompts->last().contains(QStringLiteral("Sekret42")),
             qPrintable(m_prompts->last()));
}

void TestStartup::unopenableDatabaseEndsWithError()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.db")));
    writeDataLink("Provider=SQLite;Data Source=folder.db\n");
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 1);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("error: ")),
             qPrintable(m_prompts->last()));
}

void TestStartup::cancelledLoginEndsProgram()
{
    writeDataLink("Provider=SQLite;Data Source=sprav.db\n");
    onLogin([](TfmLogin* login) { QTest::mouseClick(login->BtnCancel, Qt::LeftButton); });
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 0);
    QVERIFY(m_prompts->log().isEmpty());
    // The database was created with its schema on the way.
    QVERIFY(QFile::exists(m_dir->filePath(QStringLiteral("sprav.db"))));
    // Qt's standard buttons speak Russian.
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
}

void TestStartup::loginThenCloseEndsProgram()
{
    writeDataLink("Provider=SQLite;Data Source=sprav.db\n");
    {
        DataLink link = DataLink::fromFile(m_dir->filePath(QStringLiteral("sprav.udl")));
        Database database(link, QStringLiteral("setup"));
        QVERIFY(AccountStore(database.db()).registerUser(QStringLiteral("ivan"), QString()));
    }
    QPointer<TFmMain> seen;
    onLogin([&seen](TfmLogin* login) {
        seen = qobject_cast<TFmMain*>(login->parentWidget());
        login->EdtLogin->setText(QStringLiteral("ivan"));
        QTest::mouseClick(login->BtnOk, Qt::LeftButton);
        QVERIFY(!login->isVisible());
        QCOMPARE(seen->currentUser(), QStringLiteral("ivan"));
        // The message loop runs now; closing the window ends it.
        QTimer::singleShot(0, seen, [&seen] { menuItem(seen, "N7")->trigger(); });
    });
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 0);
    QVERIFY(m_prompts->log().isEmpty());
    QVERIFY(seen.isNull());
}

// An SQLite file in a network folder: the program starts, and says once that
// several workstations should share PostgreSQL.
void TestStartup::networkFolderIsToldOnce()
{
    SqliteFile::setFileSystemProbe([](const QString&) { return quint64(0xFE534D42); }); // SMB2
    writeDataLink("Provider=SQLite;Data Source=sprav.db\n");
    int promptsAtLogin = -1;
    onLogin([this, &promptsAtLogin](TfmLogin* login) {
        promptsAtLogin = int(m_prompts->log().size());
        QTest::mouseClick(login->BtnCancel, Qt::LeftButton);
    });
    QCOMPARE(Startup::run(*qApp, m_dir->filePath(QStringLiteral("k.ini"))), 0);
    QCOMPARE(promptsAtLogin, 1);
    QCOMPARE(m_prompts->log().size(), 1);
    QVERIFY2(m_prompts->last().startsWith(QStringLiteral("warning: ")) &&
                 m_prompts->last().contains(QStringLiteral("PostgreSQL")),
             qPrintable(m_prompts->last()));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
