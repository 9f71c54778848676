// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "app/TFmMain.h"
#include "app/TTrayIcon.h"
#include "editor/ui/TfrNewRecord.h"

#include <QMenu>
#include <QtTest>

// The tray icon as the main window configures it, with and without a
// notification area on the desktop.
class TestTrayIcon : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void configuredByMainWindow();
    void minimiseGoesToTrayAndClickBringsBack();
    void contextMenuClosesWithSavePrompt();
    void hintIsCutTo63Characters();
    void iconChangesAtOnce();
    void withoutTrayWindowStaysOnTaskBar();

private:
    void start(bool trayAvailable);
    TTrayIcon* tray() const { return m_main->TrayIcon; }

    std::unique_ptr<MainWindowHarness> m_harness; // nobody signed in
    TFmMain* m_main = nullptr;
    ScriptedPrompts* m_prompts = nullptr;
};

void TestTrayIcon::init()
{
    SPRAV_REQUIRE_DATABASE();
}

void TestTrayIcon::cleanup()
{
    m_harness.reset();
}

void TestTrayIcon::start(bool trayAvailable)
{
    m_harness =
        std::make_unique<MainWindowHarness>(QString(), MainWindowHarness::Cities(), trayAvailable);
    m_main = &m_harness->main();
    m_prompts = &m_harness->prompts();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
}

void TestTrayIcon::configuredByMainWindow()
{
    QApplication::setApplicationName(QStringLiteral("Справочник"));
    start(true);
    QVERIFY(tray());
    QCOMPARE(tray()->parent(), m_main);
    QVERIFY(tray()->ActOnMinimize());
    QVERIFY(!tray()->Visible());
    QCOMPARE(tray()->PopupMenu(), m_main->PopUpTray);
    QCOMPARE(tray()->Hint(), QStringLiteral("Справочник"));
    QVERIFY(!tray()->Icon().isNull());
    // Starting shows no icon and a normal window.
    QVERIFY(!tray()->trayIcon()->isVisible());
    QVERIFY(m_main->isVisible());
}

void TestTrayIcon::minimiseGoesToTrayAndClickBringsBack()
{
    start(true);
    m_main->showMinimized();
    QTRY_VERIFY(tray()->Visible());
    QVERIFY(tray()->trayIcon()->isVisible());
    QCOMPARE(tray()->trayIcon()->toolTip(), tray()->Hint().left(63));
    // Hidden: no task-bar button.
    QVERIFY(!m_main->isVisible());

    emit tray()->trayIcon()->activated(QSystemTrayIcon::Trigger);
    QVERIFY(!tray()->Visible());
    QVERIFY(!tray()->trayIcon()->isVisible());
    QTRY_VERIFY(m_main->isVisible());
    QVERIFY(!m_main->isMinimized());

    // Other clicks change nothing; it works again the next time.
    emit tray()->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(m_main->isVisible());
    QVERIFY(!tray()->trayIcon()->isVisible());
    m_main->showMinimized();
    QTRY_VERIFY(tray()->Visible());
    QVERIFY(!m_main->isVisible());
    tray()->SetVisible(false);
    QTRY_VERIFY(m_main->isVisible());
}

void TestTrayIcon::contextMenuClosesWithSavePrompt()
{
    start(true);
    menuItem(m_main, "N1")->trigger();
    m_main->frNewRecordMain->setModified(true);
    m_main->showMinimized();
    QTRY_VERIFY(tray()->Visible());

    emit tray()->trayIcon()->activated(QSystemTrayIcon::Context);
    QMenu* menu = m_main->PopUpTray;
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("Закрыть"));
    // Pressing outside the menu closes it and changes nothing.
    menu->hide();
    QVERIFY(tray()->Visible());
    QVERIFY(!m_main->isClosed());

    emit tray()->trayIcon()->activated(QSystemTrayIcon::Context);
    QTRY_VERIFY(menu->isVisible());
    QSignalSpy closed(m_main, &TFmMain::closed);
    m_prompts->answerConfirm(Prompts::Answer::No);
    menu->actions().at(0)->trigger();
    QCOMPARE(m_prompts->log(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    QCOMPARE(closed.size(), 1);
    QVERIFY(m_main->isClosed());
}

void TestTrayIcon::hintIsCutTo63Characters()
{
    start(true);
    const QString longHint = QString(70, u'ж');
    tray()->SetHint(longHint);
    QCOMPARE(tray()->Hint(), longHint);
    QCOMPARE(tray()->trayIcon()->toolTip(), QString(63, u'ж'));
    tray()->SetHint(QStringLiteral("Справочник"));
    QCOMPARE(tray()->trayIcon()->toolTip(), QStringLiteral("Справочник"));
}

void TestTrayIcon::iconChangesAtOnce()
{
    start(true);
    m_main->showMinimized();
    QTRY_VERIFY(tray()->Visible());
    QPixmap red(16, 16);
    red.fill(Qt::red);
    tray()->SetIcon(QIcon(red));
    const QImage shown = tray()->trayIcon()->icon().pixmap(16, 16).toImage();
    QCOMPARE(shown.pixelColor(8, 8), QColor(Qt::red));
}

void TestTrayIcon::withoutTrayWindowStaysOnTaskBar()
{
    start(false);
    m_main->showMinimized();
    QCoreApplication::processEvents();
    QVERIFY(m_main->isVisible());
    QVERIFY(m_main->isMinimized());
    QVERIFY(!tray()->Visible());
    QVERIFY(!tray()->trayIcon()->isVisible());
    // Asking for the tray explicitly does not hide the window either.
    tray()->SetVisible(true);
    QVERIFY(m_main->isVisible());
    QVERIFY(!tray()->Visible());
    m_main->showNormal();
    QVERIFY(!m_main->isMinimized());
}

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
