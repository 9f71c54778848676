// SPDX-License-Identifier: MIT
#include "app/TFmMain.h"
#include "app/TTrayIcon.h"
#include "app/ToolIcons.h"
#include "auth/SettingsStore.h"
#include "common/ui/Guard.h"
#include "common/ui/Prompts.h"
#include "db/ChangeWatcher.h"
#include "editor/ui/TfmDeleted.h"
#include "editor/ui/TfmHistory.h"
#include "editor/ui/TfrNewRecord.h"
#include "exchange/ui/ExchangeFlow.h"
#include "search/FoundModel.h"
#include "search/ui/TfrFind.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace
{

constexpr int clientWidth = 685;
constexpr int clientHeight = 475;
constexpr int toolBarHeight = 24;

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QToolButton* addButton(QWidget* row, const char* name, const QString& hint, int image)
{
    auto* button = new QToolButton(row);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setIcon(ToolIcons::icon(image));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    row->layout()->addWidget(button);
    return button;
}

void addSeparator(QWidget* row, const char* name)
{
    auto* line = new QFrame(row);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedWidth(8);
    row->layout()->addWidget(line);
}

// Makes the typing start in Cyrillic where the system lets a program choose
// the keyboard layout.
void selectRussianLayout()
{
#ifdef Q_OS_WIN
    LoadKeyboardLayoutW(L"00000419", KLF_ACTIVATE);
#endif
}

} // namespace

TFmMain::TFmMain(const QSqlDatabase& db, QWidget* parent) : QMainWindow(parent), m_db(db)
{
    setObjectName(QStringLiteral("FmMain"));
    setWindowTitle(QStringLiteral("Телефонный справочник"));
    setWindowIcon(ToolIcons::windowIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    createMenu();
    createFrames();
    updateCommandStates();
    // The client area keeps its size; the menu bar comes on top of it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    placeOnScreen();

    FormCreate();
}

TFmMain::~TFmMain() = default;

void TFmMain::createMenu()
{
    A1 = menuBar()->addMenu(QStringLiteral("Файл"));
    A1->setObjectName(QStringLiteral("A1"));
    m_newRecordAction = addItem(A1, "N1", QStringLiteral("Новая запись"));
    m_newRecordAction->setIcon(ToolIcons::icon(0));
    m_newRecordAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_templateAction = addItem(A1, "N15", QStringLiteral("Шаблон"));
    A1->addSeparator()->setObjectName(QStringLiteral("N13"));
    m_printAction = addItem(A1, "N3", QStringLiteral("Печать..."));
    m_printAction->setIcon(ToolIcons::icon(3));
    m_printAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_importAction = addItem(A1, "NImport", QStringLiteral("Импорт..."));
    m_exportAction = addItem(A1, "NExport", QStringLiteral("Экспорт..."));
    A1->addSeparator()->setObjectName(QStringLiteral("N6"));
    m_exitAction = addItem(A1, "N7", QStringLiteral("Выход"));

    N8 = menuBar()->addMenu(QStringLiteral("Запись"));
    N8->setObjectName(QStringLiteral("N8"));
    m_spouseAction = addItem(N8, "N9", QStringLiteral("Супруг..."));
    m_requisitesAction = addItem(N8, "N10", QStringLiteral("Реквизиты..."));
    m_privacyAction = addItem(N8, "N11", QStringLiteral("Личное..."));
    m_historyAction = addItem(N8, "NHistory", QStringLiteral("История..."));
    N8->addSeparator()->setObjectName(QStringLiteral("N12"));
    m_clearAction = addItem(N8, "N14", QStringLiteral("Очистить"));
    N8->addSeparator()->setObjectName(QStringLiteral("N16"));
    m_changeAction = addItem(N8, "N17", QStringLiteral("Изменить"));
    m_deleteAction = addItem(N8, "N18", QStringLiteral("Удалить"));

    N19 = menuBar()->addMenu(QStringLiteral("Поиск"));
    N19->setObjectName(QStringLiteral("N19"));
    m_searchAction = addItem(N19, "N2", QStringLiteral("Поиск по записям"));
    m_searchAction->setIcon(ToolIcons::icon(2));
    m_searchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_allRecordsAction = addItem(N19, "N4", QStringLiteral("Все записи"));
    m_birthdaysAction = addItem(N19, "N5", QStringLiteral("Именинники"));
    m_deletedAction = addItem(N19, "NDeleted", QStringLiteral("Удалённые записи"));

    PopUpTray = new QMenu(this);
    PopUpTray->setObjectName(QStringLiteral("PopUpTray"));
    m_trayCloseAction = addItem(PopUpTray, "N21", QStringLiteral("Закрыть"));

    connect(m_newRecordAction, &QAction::triggered, this, &TFmMain::newRecord);
    connect(m_templateAction, &QAction::triggered, this, &TFmMain::newFromTemplate);
    connect(m_printAction, &QAction::triggered, this, &TFmMain::printList);
    connect(m_importAction, &QAction::triggered, this, &TFmMain::importContacts);
    connect(m_exportAction, &QAction::triggered, this, &TFmMain::exportContacts);
    connect(m_exitAction, &QAction::triggered, this, &TFmMain::close);
    connect(m_spouseAction, &QAction::triggered, this, &TFmMain::editSpouse);
    connect(m_requisitesAction, &QAction::triggered, this, &TFmMain::editRequisites);
    connect(m_privacyAction, &QAction::triggered, this, &TFmMain::editPrivacy);
    connect(m_historyAction, &QAction::triggered, this, &TFmMain::showHistory);
    connect(m_clearAction, &QAction::triggered, this, &TFmMain::clearRecord);
    connect(m_changeAction, &QAction::triggered, this, &TFmMain::changeRecord);
    connect(m_deleteAction, &QAction::triggered, this, &TFmMain::deleteRecord);
    connect(m_searchAction, &QAction::triggered, this, &TFmMain::showSearch);
    connect(m_allRecordsAction, &QAction::triggered, this, &TFmMain::showAllRecords);
    connect(m_birthdaysAction, &QAction::triggered, this, &TFmMain::showBirthdays);
    connect(m_deletedAction, &QAction::triggered, this, &TFmMain::showDeletedRecords);
    connect(m_trayCloseAction, &QAction::triggered, this, &TFmMain::close);
}

void TFmMain::createToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(toolBarHeight);
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setContentsMargins(0, 0, 0, 0);

    auto* row = new QWidget(ToolBar1);
    row->setObjectName(QStringLiteral("ToolBar1Buttons"));
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    TBFind = addButton(row, "TBFind", QStringLiteral("Поиск"), 2);
    addSeparator(row, "ToolButton3");
    TBNew = addButton(row, "TBNew", QStringLiteral("Новая запись"), 0);
    TBPattern = addButton(row, "TBPattern", QStringLiteral("Шаблон"), 6);
    TBSave = addButton(row, "TBSave", QStringLiteral("Сохранить"), 1);
    addSeparator(row, "ToolButton5");
    TBPrint = addButton(row, "TBPrint", QStringLiteral("Печать"), 3);
    // Pushes the birthday button to the right end of the toolbar.
    auto* push = new QWidget(row);
    push->setObjectName(QStringLiteral("ToolButton1"));
    push->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    layout->addWidget(push);
    TBBirth = addButton(row, "TBBirth", QStringLiteral("Дни рождения"), 4);
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar1->addWidget(row);

    connect(TBFind, &QToolButton::clicked, this, &TFmMain::showSearch);
    connect(TBNew, &QToolButton::clicked, this, &TFmMain::newRecord);
    connect(TBPattern, &QToolButton::clicked, this, &TFmMain::newFromTemplate);
    connect(TBSave, &QToolButton::clicked, this, &TFmMain::saveRecord);
    connect(TBPrint, &QToolButton::clicked, this, &TFmMain::printList);
    connect(TBBirth, &QToolButton::clicked, this, &TFmMain::showBirthdays);
}

void TFmMain::createFrames()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(clientWidth, clientHeight);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolBar();
    layout->addWidget(ToolBar1);

    frames = new QStackedWidget(client);
    frames->setObjectName(QStringLiteral("frames"));
    frames->setFixedSize(clientWidth, clientHeight - toolBarHeight);
    frNewRecordMain = new TfrNewRecord(frames);
    frFindMain = new TfrFind(frames);
    frames->addWidget(frNewRecordMain);
    frames->addWidget(frFindMain);
    // The search view lies above the editor: it is what the user sees first.
    frames->setCurrentWidget(frFindMain);
    layout->addWidget(frames);
    setCentralWidget(client);
    connectFrames();
}

void TFmMain::connectFrames()
{
    connect(frNewRecordMain, &TfrNewRecord::stateChanged, this, &TFmMain::updateCommandStates);
    connect(frNewRecordMain, &TfrNewRecord::editingFinished, this, &TFmMain::finishEditing);
    connect(frNewRecordMain, &TfrNewRecord::changeStored, this, [this] {
        m_templateAfterChange = true;
        updateCommandStates();
    });
    connect(frFindMain, &TfrFind::recordChosen, this, &TFmMain::openRecord);
    connect(frFindMain, &TfrFind::printableChanged, this, [this](bool printable) {
        m_listingShown = true;
        m_printable = printable;
        updateCommandStates();
    });
    connect(frFindMain, &TfrFind::birthdaysFound, this, [this] {
        m_birthdays = true;
        updateCommandStates();
    });
}

void TFmMain::placeOnScreen()
{
    adjustSize();
    if (const QScreen* desktop = screen()) {
        const QRect area = desktop->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void TFmMain::FormCreate()
{
    TrayIcon = new TTrayIcon(this);
    TrayIcon->SetIcon(windowIcon());
    TrayIcon->SetPopupMenu(PopUpTray);
    TrayIcon->SetActOnMinimize(true);

    m_currentUser.clear();
    // An error here skips the rest of the steps; the window is still made.
    guarded(this, [this] {
        frNewRecordMain->InitFrame(m_db);
        selectRussianLayout();
    });
}

bool TFmMain::signIn(const QString& user)
{
    m_currentUser = user;
    frNewRecordMain->setCurrentUser(user);
    bool ready = false;
    guarded(this, [&] { ready = frFindMain->InitFind(m_db, m_currentUser); });
    // Nobody is signed in while the search view is not ready for the user.
    if (!ready) {
        m_currentUser.clear();
        frNewRecordMain->setCurrentUser(QString());
    } else {
        watchChanges();
    }
    updateCommandStates();
    return ready;
}

void TFmMain::watchChanges()
{
    if (m_watcher)
        return;
    m_watcher = new ChangeWatcher(m_db, this);
    connect(m_watcher, &ChangeWatcher::changed, frFindMain, &TfrFind::directoryChanged);
    connect(m_watcher, &ChangeWatcher::changed, frNewRecordMain, &TfrNewRecord::directoryChanged);
    m_watcher->start();
}

void TFmMain::bringFindToFront()
{
    frames->setCurrentWidget(frFindMain);
    m_templateAfterChange = false;
    updateCommandStates();
}

void TFmMain::bringEditorToFront()
{
    frames->setCurrentWidget(frNewRecordMain);
    m_templateAfterChange = false;
    updateCommandStates();
}

CommandTable::Inputs TFmMain::commandInputs() const
{
    CommandTable::Inputs inputs;
    inputs.signedIn = !m_currentUser.isEmpty();
    inputs.editorInFront = frames->currentWidget() == frNewRecordMain;
    inputs.editor = frNewRecordMain->state();
    inputs.listingShown = m_listingShown;
    inputs.printable = m_printable;
    inputs.birthdays = m_birthdays;
    inputs.templateAfterChange = m_templateAfterChange;
    return inputs;
}

void TFmMain::updateCommandStates()
{
    using C = CommandTable::Command;
    const CommandTable::Inputs inputs = commandInputs();
    const auto on = [&inputs](C command) { return CommandTable::isOn(command, inputs); };
    N8->setEnabled(on(C::RecordMenu));
    TBSave->setEnabled(on(C::SaveButton));
    TBPattern->setEnabled(on(C::TemplateButton));
    m_templateAction->setEnabled(on(C::TemplateItem));
    m_clearAction->setVisible(on(C::ClearVisible));
    for (QAction* action : {m_changeAction, m_deleteAction}) {
        action->setVisible(on(C::ChangeVisible));
        action->setEnabled(on(C::ChangeEnabled));
    }
    m_spouseAction->setEnabled(on(C::SpouseItem));
    m_requisitesAction->setEnabled(on(C::RequisitesItem));
    m_privacyAction->setEnabled(on(C::PrivacyItem));
    m_printAction->setEnabled(on(C::PrintItem));
    TBPrint->setEnabled(on(C::PrintButton));
    m_birthdaysAction->setEnabled(on(C::BirthdayItem));
    TBBirth->setVisible(on(C::BirthdayButtonShown));
    m_importAction->setEnabled(on(C::ImportItem));
    m_exportAction->setEnabled(on(C::ExportItem));
    m_deletedAction->setEnabled(on(C::DeletedItem));
    m_historyAction->setEnabled(on(C::HistoryItem));
}

void TFmMain::openRecord(int id)
{
    // A double click on the list leaves the editor as every command does.
    if (!confirmLeavingEditor())
        return;
    bringEditorToFront();
    if (frNewRecordMain->ShowRecord(id)) {
        updateCommandStates();
        return;
    }
    // Hidden from this user since the list was made: the list is made anew.
    finishEditing();
}

void TFmMain::finishEditing()
{
    bringFindToFront();
    guarded(this, [this] { frFindMain->RefreshList(); });
}

template <typename Steps> void TFmMain::command(Steps&& steps)
{
    guarded(this, std::forward<Steps>(steps));
}

bool TFmMain::storeEditor()
{
    bool stored = false;
    guarded(this, [this, &stored] {
        stored = frNewRecordMain->showsRecord() ? frNewRecordMain->BtnChangeClick()
                                                : frNewRecordMain->btnOkClick();
    });
    return stored;
}

bool TFmMain::confirmLeavingEditor()
{
    if (!frNewRecordMain->isModified())
        return true;
    // No Cancel: No drops the edit, any other answer stores it.
    if (Prompts::instance().confirm(this, QStringLiteral("Сохранить изменения?")) ==
        Prompts::Answer::No) {
        frNewRecordMain->setModified(false);
        return true;
    }
    // A record the user may not change is refused with a warning and never
    // written; the command goes on without the edit instead of being held
    // up by it (closing above all).
    if (frNewRecordMain->showsRecord() && !frNewRecordMain->mayChange()) {
        frNewRecordMain->BtnChangeClick();
        frNewRecordMain->setModified(false);
        return true;
    }
    return storeEditor();
}

void TFmMain::newRecord()
{
    if (!confirmLeavingEditor())
        return;
    command([this] {
        bringEditorToFront();
        frNewRecordMain->NewRecord();
    });
}

void TFmMain::newFromTemplate()
{
    if (!confirmLeavingEditor())
        return;
    command([this] {
        bringEditorToFront();
        frNewRecordMain->NewFromTemplate();
        Prompts::instance().information(this, QStringLiteral("Создана запись на основе шаблона"));
    });
}

void TFmMain::showSearch()
{
    if (!confirmLeavingEditor())
        return;
    bringFindToFront();
    frFindMain->EdtRequest->setFocus();
}

void TFmMain::showAllRecords()
{
    if (!confirmLeavingEditor())
        return;
    command([this] {
        bringFindToFront();
        frFindMain->BtnAllClick();
    });
}

void TFmMain::showBirthdays()
{
    if (!confirmLeavingEditor())
        return;
    command([this] {
        bringFindToFront();
        frFindMain->btnBirthClick();
    });
}

void TFmMain::showDeletedRecords()
{
    if (!confirmLeavingEditor())
        return;
    TfmDeleted dialog(m_db, m_currentUser, SettingsStore().deletedDays(), this);
    connect(&dialog, &TfmDeleted::recordRestored, this, &TFmMain::openRecord);
    dialog.exec();
}

void TFmMain::printList()
{
    command([this] { frFindMain->Button1Click(); });
}

void TFmMain::importContacts()
{
    // The list shows the new records at once, as after a change, and the
    // editor's drop-downs offer the new cities and job titles.
    if (!ExchangeFlow::importContacts(this, m_db, m_currentUser))
        return;
    frNewRecordMain->reloadLists();
    command([this] { frFindMain->RefreshList(); });
}

void TFmMain::exportContacts()
{
    const FoundModel* model = frFindMain->foundModel();
    QList<int> listed;
    listed.reserve(model->rowCount());
    for (int row = 0; row < model->rowCount(); ++row)
        listed.append(model->idAt(row));
    ExchangeFlow::exportContacts(this, m_db, m_currentUser, listed);
}

void TFmMain::saveRecord()
{
    if (frNewRecordMain->isModified())
        storeEditor();
}

void TFmMain::editSpouse()
{
    command([this] { frNewRecordMain->BtnSpouceClick(); });
}

void TFmMain::editRequisites()
{
    command([this] { frNewRecordMain->btnReqClick(); });
}

void TFmMain::editPrivacy()
{
    command([this] { frNewRecordMain->btnHideClick(); });
}

void TFmMain::showHistory()
{
    const int id = frNewRecordMain->currentId();
    const RecordWrite write{frNewRecordMain->currentRevision(), m_currentUser};
    TfmHistory dialog(m_db, id, write, frNewRecordMain->mayChange(), this);
    // The editor shows the record as it now stands, with its new revision.
    connect(&dialog, &TfmHistory::versionRestored, this, &TFmMain::openRecord);
    dialog.exec();
}

void TFmMain::clearRecord()
{
    command([this] { frNewRecordMain->btnClearClick(); });
}

void TFmMain::changeRecord()
{
    command([this] { frNewRecordMain->BtnChangeClick(); });
}

void TFmMain::deleteRecord()
{
    command([this] { frNewRecordMain->BtnDeleteClick(); });
}

void TFmMain::closeEvent(QCloseEvent* event)
{
    // A second close while the prompt is up waits for the first one.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    // A failed save keeps the window open with the edit in it.
    const bool mayClose = confirmLeavingEditor();
    m_closing = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    m_closed = true;
    emit closed();
}
