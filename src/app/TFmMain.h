// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>
#include <QSqlDatabase>

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
class TFmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit TFmMain(const QSqlDatabase& db, QWidget* parent = nullptr);
    ~TFmMain() override;

    QSqlDatabase database() const { return m_db; }

    // The user who signed in, as stored in `users`; empty until then.
    const QString& currentUser() const { return m_currentUser; }
    void setCurrentUser(const QString& user) { m_currentUser = user; }
    // A login or registration accepted the user: make it the current user
    // and prepare the search view for it. False when that failed (the error
    // box has been shown); the current user is then empty again.
    bool signIn(const QString& user);

    // True once the window has been closed (it then stays closed).
    bool isClosed() const { return m_closed; }

    void bringFindToFront();
    void bringEditorToFront();
    // "Запись", "Сохранить" and both "Шаблон" commands: on while the editor is
    // in front, off while the search view is.
    void setRecordCommandsEnabled(bool enabled);

    // The save prompt. Returns false when the user wanted the edit stored and
    // storing it failed; the command that asked then stops.
    bool frFindBringToFront();

    // Commands of the menu and toolbar.
    void N1Click();
    void TBPatternClick();
    void N2Click();
    void N4Click();
    void N5Click();
    void N3Click();
    void TBSaveClick();
    void N9Click();
    void N10Click();
    void N11Click();
    void N14Click();
    void N17Click();
    void N18Click();
    void N7Click();
    void N21Click();

    // Components, by the names the rest of the program and the tests use.
    // The tool buttons sit in a row of their own inside the toolbar, so
    // show(), hide() and setEnabled() act on them directly.
    QToolBar* ToolBar1 = nullptr;
    QToolButton* TBFind = nullptr;
    QToolButton* TBNew = nullptr;
    QToolButton* TBPattern = nullptr;
    QToolButton* TBSave = nullptr;
    QToolButton* TBPrint = nullptr;
    QToolButton* TBBirth = nullptr;

    QMenu* A1 = nullptr;    // "Файл"
    QAction* N1 = nullptr;  // "Новая запись"
    QAction* N15 = nullptr; // "Шаблон"
    QAction* N3 = nullptr;  // "Печать..."
    QAction* N7 = nullptr;  // "Выход"
    QMenu* N8 = nullptr;    // "Запись"
    QAction* N9 = nullptr;  // "Супруг..."
    QAction* N10 = nullptr; // "Реквизиты..."
    QAction* N11 = nullptr; // "Личное..."
    QAction* N14 = nullptr; // "Очистить"
    QAction* N17 = nullptr; // "Изменить"
    QAction* N18 = nullptr; // "Удалить"
    QMenu* N19 = nullptr;   // "Поиск"
    QAction* N2 = nullptr;  // "Поиск по записям"
    QAction* N4 = nullptr;  // "Все записи"
    QAction* N5 = nullptr;  // "Именинники"
    QMenu* PopUpTray = nullptr;
    QAction* N21 = nullptr; // "Закрыть"

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
    void placeOnScreen();
    void FormCreate();
    // Stores the editor's record: a change of the shown record, or a new one.
    bool storeEditor();
    // Runs a command's steps; a database error shows its box and stops them.
    template <typename Steps> void command(Steps&& steps);

    QSqlDatabase m_db;
    QString m_currentUser;
    bool m_closed = false;
    bool m_closing = false;
};
