// SPDX-License-Identifier: MIT
#pragma once

#include "app/CommandTable.h"

#include <QMainWindow>
#include <QSqlDatabase>

class ChangeWatcher;
class QAction;
class QMenu;
class QStackedWidget;
class QToolBar;
class QToolButton;
class TfrFind;
class TfrNewRecord;
class TTrayIcon;

// The program's one top-level window: the menu and toolbar, the two frames
// that take turns in its client area (search view and record editor), the
// current user, the tray icon, and the save prompt before the view changes.
// The frames report what happened by their signals; the window sets every
// command's state in one place (updateCommandStates).
class TFmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFmMain(const QSqlDatabase& db, QWidget* parent = nullptr);
    ~TFmMain() override;

    QSqlDatabase database() const { return m_db; }

    // The user who signed in, as stored in `users`; empty until then.
    const QString& currentUser() const { return m_currentUser; }
    // A login or registration accepted the user: make it the current user
    // and prepare the search view for it. False when that failed (the error
    // box has been shown); the current user is then empty again.
    bool signIn(const QString& user);

    // True once the window has been closed (it then stays closed).
    bool isClosed() const { return m_closed; }

    void bringFindToFront();
    void bringEditorToFront();

    // The save prompt. Returns false when the user wanted the edit stored and
    // storing it failed; the command that asked then stops.
    bool confirmLeavingEditor();

    // Commands of the menu and toolbar ("Выход" and the tray's "Закрыть"
    // close the window).
    void newRecord();
    void newFromTemplate();
    void showSearch();
    void showAllRecords();
    void showBirthdays();
    // The deleted records, one of which may be restored and shown.
    void showDeletedRecords();
    void printList();
    void importContacts();
    void exportContacts();
    void saveRecord();
    void editSpouse();
    void editRequisites();
    void editPrivacy();
    // The earlier versions of the shown record, one of which may be restored.
    void showHistory();
    void clearRecord();
    void changeRecord();
    void deleteRecord();

    // Components that keep their names. The tool buttons sit in a row of
    // their own inside the toolbar, so show(), hide() and setEnabled() act
    // on them directly. The menu items are found by their object names.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* TBFind = nullptr;
    QToolButton* TBNew = nullptr;
    QToolButton* TBPattern = nullptr;
    QToolButton* TBSave = nullptr;
    QToolButton* TBPrint = nullptr;
    QToolButton* TBBirth = nullptr;

    QMenu* A1 = nullptr;  // "Файл"
    QMenu* N8 = nullptr;  // "Запись"
    QMenu* N19 = nullptr; // "Поиск"
    QMenu* PopUpTray = nullptr;

    TTrayIcon* TrayIcon = nullptr;
    QStackedWidget* frames = nullptr;
    TfrNewRecord* frNewRecordMain = nullptr;
    TfrFind* frFindMain = nullptr;

signals:
    // The window has closed; the program ends.
    void closed();

protected:
    // FormCloseQuery: the save prompt before the window closes.
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenu();
    void createToolBar();
    void createFrames();
    void connectFrames();
    void placeOnScreen();
    void FormCreate();
    // Stores the editor's record: a change of the shown record, or a new one.
    bool storeEditor();
    // Runs a command's steps; a database error shows its box and stops them.
    template <typename Steps> void command(Steps&& steps);
    // The search view chose a record; the editor shows it.
    void openRecord(int id);
    // The editor is done: the search view comes back with a fresh list.
    void finishEditing();
    // Changes other workstations make reach the frames from now on.
    void watchChanges();

    CommandTable::Inputs commandInputs() const;
    void updateCommandStates();

    QAction* m_newRecordAction = nullptr;  // "Новая запись"
    QAction* m_templateAction = nullptr;   // "Шаблон"
    QAction* m_printAction = nullptr;      // "Печать..."
    QAction* m_importAction = nullptr;     // "Импорт..."
    QAction* m_exportAction = nullptr;     // "Экспорт..."
    QAction* m_exitAction = nullptr;       // "Выход"
    QAction* m_spouseAction = nullptr;     // "Супруг..."
    QAction* m_requisitesAction = nullptr; // "Реквизиты..."
    QAction* m_privacyAction = nullptr;    // "Личное..."
    QAction* m_historyAction = nullptr;    // "История..."
    QAction* m_clearAction = nullptr;      // "Очистить"
    QAction* m_changeAction = nullptr;     // "Изменить"
    QAction* m_deleteAction = nullptr;     // "Удалить"
    QAction* m_searchAction = nullptr;     // "Поиск по записям"
    QAction* m_allRecordsAction = nullptr; // "Все записи"
    QAction* m_birthdaysAction = nullptr;  // "Именинники"
    QAction* m_deletedAction = nullptr;    // "Удалённые записи"
    QAction* m_trayCloseAction = nullptr;  // "Закрыть"

    QSqlDatabase m_db;
    ChangeWatcher* m_watcher = nullptr;
    QString m_currentUser;
    bool m_listingShown = false;
    bool m_printable = false;
    bool m_birthdays = false;
    bool m_templateAfterChange = false; // see CommandTable::Inputs
    bool m_closed = false;
    bool m_closing = false;
};
