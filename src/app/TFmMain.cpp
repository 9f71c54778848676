// SPDX-License-Identifier: MIT
#include "app/TFmMain.h"
#include "app/TTrayIcon.h"
#include "app/ToolIcons.h"
#include "common/Guard.h"
#include "common/Prompts.h"
#include "editor/TfrNewRecord.h"
#include "search/TfrFind.h"

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
    N1 = addItem(A1, "N1", QStringLiteral("Новая запись"));
    N1->setIcon(ToolIcons::icon(0));
    N1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    N15 = addItem(A1, "N15", QStringLiteral("Шаблон"));
    N15->setEnabled(false);
    A1->addSeparator()->setObjectName(QStringLiteral("N13"));
    N3 = addItem(A1, "N3", QStringLiteral("Печать..."));
    N3->setIcon(ToolIcons::icon(3));
    N3->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    N3->setEnabled(false);
    A1->addSeparator()->setObjectName(QStringLiteral("N6"));
    N7 = addItem(A1, "N7", QStringLiteral("Выход"));

    N8 = menuBar()->addMenu(QStringLiteral("Запись"));
    N8->setObjectName(QStringLiteral("N8"));
    N9 = addItem(N8, "N9", QStringLiteral("Супруг..."));
    N10 = addItem(N8, "N10", QStringLiteral("Реквизиты..."));
    N11 = addItem(N8, "N11", QStringLiteral("Личное..."));
    N8->addSeparator()->setObjectName(QStringLiteral("N12"));
    N14 = addItem(N8, "N14", QStringLiteral("Очистить"));
    N8->addSeparator()->setObjectName(QStringLiteral("N16"));
    N17 = addItem(N8, "N17", QStringLiteral("Изменить"));
    N18 = addItem(N8, "N18", QStringLiteral("Удалить"));
    N8->setEnabled(false);

    N19 = menuBar()->addMenu(QStringLiteral("Поиск"));
    N19->setObjectName(QStringLiteral("N19"));
    N2 = addItem(N19, "N2", QStringLiteral("Поиск по записям"));
    N2->setIcon(ToolIcons::icon(2));
    N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    N4 = addItem(N19, "N4", QStringLiteral("Все записи"));
    N5 = addItem(N19, "N5", QStringLiteral("Именинники"));
    N5->setEnabled(false);

    PopUpTray = new QMenu(this);
    PopUpTray->setObjectName(QStringLiteral("PopUpTray"));
    N21 = addItem(PopUpTray, "N21", QStringLiteral("Закрыть"));

    connect(N1, &QAction::triggered, this, &TFmMain::N1Click);
    connect(N15, &QAction::triggered, this, &TFmMain::TBPatternClick);
    connect(N3, &QAction::triggered, this, &TFmMain::N3Click);
    connect(N7, &QAction::triggered, this, &TFmMain::N7Click);
    connect(N9, &QAction::triggered, this, &TFmMain::N9Click);
    connect(N10, &QAction::triggered, this, &TFmMain::N10Click);
    connect(N11, &QAction::triggered, this, &TFmMain::N11Click);
    connect(N14, &QAction::triggered, this, &TFmMain::N14Click);
    connect(N17, &QAction::triggered, this, &TFmMain::N17Click);
    connect(N18, &QAction::triggered, this, &TFmMain::N18Click);
    connect(N2, &QAction::triggered, this, &TFmMain::N2Click);
    connect(N4, &QAction::triggered, this, &TFmMain::N4Click);
    connect(N5, &QAction::triggered, this, &TFmMain::N5Click);
    connect(N21, &QAction::triggered, this, &TFmMain::N21Click);
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
    TBPattern->setEnabled(false);
    TBSave = addButton(row, "TBSave", QStringLiteral("Сохранить"), 1);
    TBSave->setEnabled(false);
    addSeparator(row, "ToolButton5");
    TBPrint = addButton(row, "TBPrint", QStringLiteral("Печать"), 3);
    // Pushes the birthday button to the right end of the toolbar.
    auto* push = new QWidget(row);
    push->setObjectName(QStringLiteral("ToolButton1"));
    push->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    layout->addWidget(push);
    TBBirth = addButton(row, "TBBirth", QStringLiteral("Дни рождения"), 4);
    TBBirth->hide();
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar1->addWidget(row);

    connect(TBFind, &QToolButton::clicked, this, &TFmMain::N2Click);
    connect(TBNew, &QToolButton::clicked, this, &TFmMain::N1Click);
    connect(TBPattern, &QToolButton::clicked, this, &TFmMain::TBPatternClick);
    connect(TBSave, &QToolButton::clicked, this, &TFmMain::TBSaveClick);
    connect(TBPrint, &QToolButton::clicked, this, &TFmMain::N3Click);
    connect(TBBirth, &QToolButton::clicked, this, &TFmMain::N5Click);
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
    frNewRecordMain = new TfrNewRecord(this, frames);
    frFindMain = new TfrFind(this, frames);
    frames->addWidget(frNewRecordMain);
    frames->addWidget(frFindMain);
    // The search view lies above the editor: it is what the user sees first.
    frames->setCurrentWidget(frFindMain);
    layout->addWidget(frames);
    setCentralWidget(client);
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
    setCurrentUser(user);
    bool ready = false;
    guarded(this, [&] { ready = frFindMain->InitFind(m_db); });
    // Nobody is signed in while the search view is not ready for the user.
    if (!ready)
        setCurrentUser(QString());
    return ready;
}

void TFmMain::bringFindToFront()
{
    frames->setCurrentWidget(frFindMain);
}

void TFmMain::bringEditorToFront()
{
    frames->setCurrentWidget(frNewRecordMain);
}

void TFmMain::setRecordCommandsEnabled(bool enabled)
{
    N8->setEnabled(enabled);
    TBSave->setEnabled(enabled);
    TBPattern->setEnabled(enabled);
    N15->setEnabled(enabled);
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

bool TFmMain::frFindBringToFront()
{
    if (!frNewRecordMain->Modified)
        return true;
    // No Cancel: No drops the edit, any other answer stores it.
    if (Prompts::instance().confirm(this, QStringLiteral("Сохранить изменения?")) ==
        Prompts::Answer::No) {
        frNewRecordMain->Modified = false;
        return true;
    }
    return storeEditor();
}

void TFmMain::N1Click()
{
    if (!frFindBringToFront())
        return;
    command([this] {
        bringEditorToFront();
        frNewRecordMain->NewRecord();
        setRecordCommandsEnabled(true);
    });
}

void TFmMain::TBPatternClick()
{
    if (!frFindBringToFront())
        return;
    command([this] {
        bringEditorToFront();
        frNewRecordMain->NewFromTemplate();
        Prompts::instance().information(this, QStringLiteral("Создана запись на основе шаблона"));
        setRecordCommandsEnabled(true);
    });
}

void TFmMain::N2Click()
{
    if (!frFindBringToFront())
        return;
    bringFindToFront();
    frFindMain->EdtRequest->setFocus();
    setRecordCommandsEnabled(false);
}

void TFmMain::N4Click()
{
    if (!frFindBringToFront())
        return;
    command([this] {
        bringFindToFront();
        frFindMain->BtnAllClick();
        setRecordCommandsEnabled(false);
    });
}

void TFmMain::N5Click()
{
    if (!frFindBringToFront())
        return;
    command([this] {
        bringFindToFront();
        frFindMain->btnBirthClick();
        setRecordCommandsEnabled(false);
    });
}

void TFmMain::N3Click()
{
    command([this] { frFindMain->Button1Click(); });
}

void TFmMain::TBSaveClick()
{
    if (frNewRecordMain->Modified)
        storeEditor();
}

void TFmMain::N9Click()
{
    command([this] { frNewRecordMain->BtnSpouceClick(); });
}

void TFmMain::N10Click()
{
    command([this] { frNewRecordMain->btnReqClick(); });
}

void TFmMain::N11Click()
{
    command([this] { frNewRecordMain->btnHideClick(); });
}

void TFmMain::N14Click()
{
    command([this] { frNewRecordMain->btnClearClick(); });
}

void TFmMain::N17Click()
{
    command([this] { frNewRecordMain->BtnChangeClick(); });
}

void TFmMain::N18Click()
{
    command([this] { frNewRecordMain->BtnDeleteClick(); });
}

void TFmMain::N7Click()
{
    close();
}

void TFmMain::N21Click()
{
    close();
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
    const bool mayClose = frFindBringToFront();
    m_closing = false;
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    m_closed = true;
    emit closed();
}
