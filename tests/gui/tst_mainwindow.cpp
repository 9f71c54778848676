// SPDX-License-Identifier: MIT
#include "MainWindowHarness.h"
#include "MenuItem.h"
#include "ModalCloser.h"
#include "SampleRecord.h"
#include "app/TFmMain.h"
#include "db/Sql.h"
#include "editor/ui/TfrNewRecord.h"
#include "records/RecordData.h"
#include "records/RecordStore.h"
#include "search/ui/TfrFind.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(Prompts::Answer)

// The main window: its components, the command states and the save prompt.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowAndClientArea();
    void menuItemsAndShortcuts();
    void toolButtons();
    void stateAfterStart();
    void newRecordThenBackToSearch();
    void templateCommand();
    void savePromptNoDropsChanges();
    void savePromptYesStores_data();
    void savePromptYesStores();
    void saveButtonStoresWithoutPrompt();
    void editorCancelKeepsEditForNextPrompt();
    void printShortcutFollowsMenuItem();
    void closingWithUnsavedChangesAsksOnce();
    void closingWithoutChangesAsksNothing();
    void refusedSaveDoesNotHoldUpCommands();
    void doubleClickAsksBeforeLeavingEdit_data();
    void doubleClickAsksBeforeLeavingEdit();

private:
    bool activate();
    QStringList confirms() const;

    std::unique_ptr<MainWindowHarness> m_harness;
    TFmMain* m_main = nullptr;
    ScriptedPrompts* m_prompts = nullptr;
};

void TestMainWindow::init()
{
    SPRAV_REQUIRE_DATABASE();
    m_harness =
        std::make_unique<MainWindowHarness>(QStringLiteral("ivan"), MainWindowHarness::Cities());
    m_main = &m_harness->main();
    m_prompts = &m_harness->prompts();
}

void TestMainWindow::cleanup()
{
    m_harness.reset();
}

bool TestMainWindow::activate()
{
    m_main->activateWindow();
    return QTest::qWaitForWindowActive(m_main);
}

QStringList TestMainWindow::confirms() const
{
    QStringList result;
    for (const QString& entry : m_prompts->log())
        if (entry.startsWith(QLatin1String("confirm: ")))
            result << entry;
    return result;
}

void TestMainWindow::windowAndClientArea()
{
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Телефонный справочник"));
    QCOMPARE(m_main->centralWidget()->size(), QSize(685, 475));
    QCOMPARE(m_main->ToolBar1->height(), 24);
    QCOMPARE(m_main->frames->size(), QSize(685, 451));
    // The menu bar lies outside the client area; the window is not resizable.
    QVERIFY(m_main->centralWidget()->geometry().top() >= m_main->menuBar()->geometry().bottom());
    QCOMPARE(m_main->minimumSize(), m_main->maximumSize());
    const Qt::WindowFlags flags = m_main->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QCOMPARE(m_main->windowIcon().availableSizes().value(0), QSize(32, 32));
    // Centred on the desktop.
    const QRect desktop = m_main->screen()->availableGeometry();
    QVERIFY(qAbs(m_main->frameGeometry().center().x() - desktop.center().x()) <= 20);
    QVERIFY(qAbs(m_main->frameGeometry().center().y() - desktop.center().y()) <= 40);
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
}

void TestMainWindow::menuItemsAndShortcuts()
{
    const QList<QAction*> menus = m_main->menuBar()->actions();
    QCOMPARE(menus.size(), 3);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("Файл"));
    QCOMPARE(menus.at(1)->text(), QStringLiteral("Запись"));
    QCOMPARE(menus.at(2)->text(), QStringLiteral("Поиск"));

    auto captions = [](QMenu* menu) {
        QStringList texts;
        for (QAction* a : menu->actions())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    };
    QCOMPARE(
        captions(m_main->A1),
        (QStringList{QStringLiteral("Новая запись"), QStringLiteral("Шаблон"), QStringLiteral("-"),
                     QStringLiteral("Печать..."), QStringLiteral("Импорт..."),
                     QStringLiteral("Экспорт..."), QStringLiteral("-"), QStringLiteral("Выход")}));
    QCOMPARE(captions(m_main->N8),
             (QStringList{QStringLiteral("Супруг..."), QStringLiteral("Реквизиты..."),
                          QStringLiteral("Личное..."), QStringLiteral("История..."),
                          QStringLiteral("-"), QStringLiteral("Очистить"), QStringLiteral("-"),
                          QStringLiteral("Изменить"), QStringLiteral("Удалить")}));
    QCOMPARE(captions(m_main->N19),
             (QStringList{QStringLiteral("Поиск по записям"), QStringLiteral("Все записи"),
                          QStringLiteral("Именинники"), QStringLiteral("Удалённые записи")}));
    QCOMPARE(captions(m_main->PopUpTray), QStringList{QStringLiteral("Закрыть")});

    QCOMPARE(menuItem(m_main, "N1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
    QCOMPARE(menuItem(m_main, "N3")->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(menuItem(m_main, "N2")->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    for (QAction* withPicture :
         {menuItem(m_main, "N1"), menuItem(m_main, "N3"), menuItem(m_main, "N2")})
        QVERIFY(!withPicture->icon().isNull());
    for (const char* name : {"N1", "N15", "N3", "NImport", "NExport", "N7", "N9", "N10", "N11",
                             "N14", "N17", "N18", "N2", "N4", "N5", "N21", "NHistory", "NDeleted"})
        QVERIFY2(m_main->findChild<QAction*>(QLatin1String(name)), name);
}

void TestMainWindow::toolButtons()
{
    const QList<QPair<QToolButton*, QString>> hints = {
        {m_main->TBFind, QStringLiteral("Поиск")},
        {m_main->TBNew, QStringLiteral("Новая запись")},
        {m_main->TBPattern, QStringLiteral("Шаблон")},
        {m_main->TBSave, QStringLiteral("Сохранить")},
        {m_main->TBPrint, QStringLiteral("Печать")},
        {m_main->TBBirth, QStringLiteral("Дни рождения")}};
    int left = -1;
    for (const auto& [button, hint] : hints) {
        QCOMPARE(button->toolTip(), hint);
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->iconSize(), QSize(16, 16));
        QVERIFY(m_main->findChild<QToolButton*>(button->objectName()) == button);
        if (button != m_main->TBBirth) {
            QVERIFY(button->x() > left);
            left = button->x();
        }
    }
    // Shown, the birthday button stands at the right end of the toolbar.
    m_main->TBBirth->show();
    QTRY_VERIFY(m_main->TBBirth->isVisible());
    QVERIFY(m_main->TBBirth->mapTo(m_main, QPoint(m_main->TBBirth->width(), 0)).x() >=
            m_main->width() - 8);
}

void TestMainWindow::stateAfterStart()
{
    QVERIFY(!m_main->N8->isEnabled());
    QVERIFY(!menuItem(m_main, "N15")->isEnabled());
    QVERIFY(!m_main->TBPattern->isEnabled());
    QVERIFY(!m_main->TBSave->isEnabled());
    QVERIFY(!menuItem(m_main, "N3")->isEnabled());
    QVERIFY(m_main->TBBirth->isHidden());
    QVERIFY(!menuItem(m_main, "N5")->isEnabled());
    QVERIFY(m_main->TBPrint->isEnabled());
    for (QAction* a : {menuItem(m_main, "N1"), menuItem(m_main, "N2"), menuItem(m_main, "N4"),
                       menuItem(m_main, "N7")})
        QVERIFY(a->isEnabled());
    for (QToolButton* b : {m_main->TBNew, m_main->TBFind})
        QVERIFY(b->isEnabled());
    for (QAction* a : {menuItem(m_main, "N9"), menuItem(m_main, "N10"), menuItem(m_main, "N11"),
                       menuItem(m_main, "N14"), menuItem(m_main, "N17"), menuItem(m_main, "N18")})
        QVERIFY(a->isEnabled() && a->isVisible());
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
}

void TestMainWindow::newRecordThenBackToSearch()
{
    QVERIFY(activate());
    QTest::keyClick(m_main, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_main->frames->currentWidget(), m_main->frNewRecordMain);
    QVERIFY(m_main->N8->isEnabled());
    QVERIFY(m_main->TBSave->isEnabled());
    QVERIFY(m_main->TBPattern->isEnabled());
    QVERIFY(menuItem(m_main, "N15")->isEnabled());
    QVERIFY(!menuItem(m_main, "N3")->isEnabled());
    QVERIFY(m_prompts->log().isEmpty());

    QTest::keyClick(m_main, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
    QVERIFY(!m_main->N8->isEnabled());
    QVERIFY(!m_main->TBSave->isEnabled());
    QVERIFY(!m_main->TBPattern->isEnabled());
    QVERIFY(!menuItem(m_main, "N15")->isEnabled());
    QCOMPARE(QApplication::focusWidget(), m_main->frFindMain->EdtRequest);

    // The tool buttons do the same as the menu items.
    QTest::mouseClick(m_main->TBNew, Qt::LeftButton);
    QCOMPARE(m_main->frames->currentWidget(), m_main->frNewRecordMain);
    QVERIFY(m_main->N8->isEnabled());
    QTest::mouseClick(m_main->TBFind, Qt::LeftButton);
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
    QVERIFY(!m_main->N8->isEnabled());

    // "Все записи" shows the search view too.
    menuItem(m_main, "N1")->trigger();
    menuItem(m_main, "N4")->trigger();
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
    QVERIFY(!m_main->TBSave->isEnabled());
}

void TestMainWindow::templateCommand()
{
    emit m_main->frFindMain->recordChosen(7);
    QTest::mouseClick(m_main->TBPattern, Qt::LeftButton);
    QCOMPARE(m_prompts->log(),
             QStringList{QStringLiteral("information: Создана запись на основе шаблона")});
    QCOMPARE(m_main->frames->currentWidget(), m_main->frNewRecordMain);
    QVERIFY(!m_main->frNewRecordMain->showsRecord());
    QVERIFY(menuItem(m_main, "N15")->isEnabled() && m_main->TBPattern->isEnabled());

    // With an unsaved edit, the menu item asks first.
    m_prompts->clear();
    m_main->frNewRecordMain->setModified(true);
    menuItem(m_main, "N15")->trigger();
    QCOMPARE(m_prompts->log(),
             (QStringList{QStringLiteral("confirm: Сохранить изменения?"),
                          QStringLiteral("information: Создана запись на основе шаблона")}));
}

void TestMainWindow::savePromptNoDropsChanges()
{
    menuItem(m_main, "N1")->trigger();
    m_main->frNewRecordMain->setModified(true);
    m_prompts->answerConfirm(Prompts::Answer::No);
    menuItem(m_main, "N2")->trigger();
    QCOMPARE(confirms(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    QVERIFY(!m_main->frNewRecordMain->isModified());
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);

    // Nothing left to ask about.
    menuItem(m_main, "N1")->trigger();
    QCOMPARE(confirms().size(), 1);
}

void TestMainWindow::savePromptYesStores_data()
{
    QTest::addColumn<bool>("shownRecord");
    QTest::addColumn<Prompts::Answer>("answer");
    QTest::newRow("new record, yes") << false << Prompts::Answer::Yes;
    QTest::newRow("shown record, yes") << true << Prompts::Answer::Yes;
    QTest::newRow("box closed counts as yes") << false << Prompts::Answer::Closed;
}

void TestMainWindow::savePromptYesStores()
{
    QFETCH(bool, shownRecord);
    QFETCH(Prompts::Answer, answer);
    RecordStore store(m_harness->db());
    int id = 0;
    if (shownRecord) {
        id = store.insert(SampleRecord::person("Старая"));
        emit m_main->frFindMain->recordChosen(id);
    } else {
        menuItem(m_main, "N1")->trigger();
    }
    m_main->frNewRecordMain->findChild<QLineEdit*>(QStringLiteral("EdtF"))
        ->setText(QStringLiteral("Новая"));
    m_main->frNewRecordMain->setModified(true);
    m_prompts->answerConfirm(answer);
    menuItem(m_main, "N4")->trigger();
    QCOMPARE(confirms(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    // Stored by the editor, which clears its flag, then the command goes on.
    QVERIFY(!m_main->frNewRecordMain->isModified());
    QSqlQuery stored = Sql::run(m_harness->db(), QStringLiteral("SELECT id, f FROM sprav"));
    QVERIFY(stored.next());
    QCOMPARE(stored.value(1).toString(), QStringLiteral("Новая"));
    if (shownRecord)
        QCOMPARE(stored.value(0).toInt(), id);
    QVERIFY(!stored.next());
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
    QVERIFY(!m_main->N8->isEnabled());
}

void TestMainWindow::saveButtonStoresWithoutPrompt()
{
    menuItem(m_main, "N1")->trigger();
    QTest::mouseClick(m_main->TBSave, Qt::LeftButton);
    QVERIFY(m_prompts->log().isEmpty());
    m_main->frNewRecordMain->setModified(true);
    QTest::mouseClick(m_main->TBSave, Qt::LeftButton);
    QVERIFY(m_prompts->log().isEmpty());
    QVERIFY(!m_main->frNewRecordMain->isModified());
    QCOMPARE(m_main->frames->currentWidget(), m_main->frNewRecordMain);
}

void TestMainWindow::editorCancelKeepsEditForNextPrompt()
{
    menuItem(m_main, "N1")->trigger();
    m_main->frNewRecordMain->setModified(true);
    m_main->frNewRecordMain->BtnCancelClick();
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
    QVERIFY(!m_main->N8->isEnabled());
    QVERIFY(m_prompts->log().isEmpty());

    m_prompts->answerConfirm(Prompts::Answer::Yes);
    menuItem(m_main, "N1")->trigger();
    QCOMPARE(confirms(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    QCOMPARE(m_main->frames->currentWidget(), m_main->frNewRecordMain);
}

void TestMainWindow::printShortcutFollowsMenuItem()
{
    QVERIFY(activate());
    QSignalSpy printed(menuItem(m_main, "N3"), &QAction::triggered);
    QVERIFY(m_main->TBPrint->isEnabled());
    QTest::keyClick(m_main, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printed.size(), 0);

    // A listing that shows rows enables "Печать...": then Ctrl+P prints.
    menuItem(m_main, "N3")->setEnabled(true);
    ModalCloser preview;
    QTest::keyClick(m_main, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(printed.size(), 1);
    QCOMPARE(preview.closed(), QStringList{QStringLiteral("ReportPreview")});
    QVERIFY(m_prompts->log().isEmpty());
}

void TestMainWindow::closingWithUnsavedChangesAsksOnce()
{
    menuItem(m_main, "N1")->trigger();
    m_main->frNewRecordMain->setModified(true);
    QSignalSpy closed(m_main, &TFmMain::closed);
    m_prompts->answerConfirm(Prompts::Answer::No);
    menuItem(m_main, "N7")->trigger();
    QCOMPARE(confirms(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    QVERIFY(!m_main->isVisible());
    QVERIFY(m_main->isClosed());
    QCOMPARE(closed.size(), 1);

    // Yes stores and closes as well.
    m_prompts->clear();
    m_main->show();
    m_main->frNewRecordMain->setModified(true);
    m_prompts->answerConfirm(Prompts::Answer::Yes);
    QVERIFY(m_main->close());
    QCOMPARE(confirms().size(), 1);
    QVERIFY(!m_main->frNewRecordMain->isModified());
}

void TestMainWindow::closingWithoutChangesAsksNothing()
{
    QVERIFY(m_main->close());
    QVERIFY(m_prompts->log().isEmpty());
    QVERIFY(m_main->isClosed());
}

// An edit of a record the current user may not change is refused with a
// warning and dropped: the command that prompted goes on, closing too.
void TestMainWindow::refusedSaveDoesNotHoldUpCommands()
{
    const int id =
        m_harness->insertRecord(SampleRecord::person("Закрытый").hided(" 1 ").owns(" boss "));
    const auto editForeignRecord = [&] {
        emit m_main->frFindMain->recordChosen(id);
        m_main->frNewRecordMain->setModified(true);
        m_prompts->clear();
        m_prompts->answerConfirm(Prompts::Answer::Yes);
    };
    const QStringList refused = {QStringLiteral("confirm: Сохранить изменения?"),
                                 QStringLiteral("warning: Эту запись вам изменять нельзя")};

    editForeignRecord();
    menuItem(m_main, "N2")->trigger();
    QCOMPARE(m_prompts->log(), refused);
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);
    QVERIFY(!m_main->frNewRecordMain->isModified());

    editForeignRecord();
    QVERIFY(m_main->close());
    QCOMPARE(m_prompts->log(), refused);
    QVERIFY(m_main->isClosed());
}

void TestMainWindow::doubleClickAsksBeforeLeavingEdit_data()
{
    QTest::addColumn<Prompts::Answer>("answer");
    QTest::addColumn<int>("records");
    QTest::newRow("no drops the edit") << Prompts::Answer::No << 1;
    QTest::newRow("yes stores it first") << Prompts::Answer::Yes << 2;
}

// An edit left behind the list is not dropped by opening another record.
void TestMainWindow::doubleClickAsksBeforeLeavingEdit()
{
    QFETCH(Prompts::Answer, answer);
    QFETCH(int, records);
    m_harness->insertRecord(SampleRecord::person(QStringLiteral("Выбранная")));
    menuItem(m_main, "N4")->trigger();
    QTableView* grid = m_main->frFindMain->SGFindRes;
    QTRY_COMPARE(grid->model()->rowCount(), 1);

    menuItem(m_main, "N1")->trigger();
    m_main->frNewRecordMain->EdtF->setText(QStringLiteral("Новая"));
    m_main->frNewRecordMain->setModified(true);
    m_main->frNewRecordMain->BtnCancelClick();
    QCOMPARE(m_main->frames->currentWidget(), m_main->frFindMain);

    m_prompts->answerConfirm(answer);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(grid->model()->index(0, 0)).center());
    QCOMPARE(confirms(), QStringList{QStringLiteral("confirm: Сохранить изменения?")});
    QCOMPARE(m_main->frames->currentWidget(), m_main->frNewRecordMain);
    QVERIFY(m_main->frNewRecordMain->showsRecord());
    QCOMPARE(m_main->frNewRecordMain->EdtF->text(), QStringLiteral("Выбранная"));
    QCOMPARE(m_harness->count(QStringLiteral("SELECT COUNT(*) FROM sprav")), records);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
