// SPDX-License-Identifier: MIT
#include "app/TFmMain.h"
#include "app/ToolIcons.h"
#include "common/Prompts.h"
#include "editor/TfrNewRecord.h"
#include "search/TfrFind.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

QAction* addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QToolButton* addButton(QToolBar* bar, const char* name, const QString& hint, const QIcon& icon)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

void addSpacer(QToolBar* bar, const char* name, int width)
{
    auto* spacer = new QWidget(bar);
    spacer->setObjectName(QLatin1String(name));
    spacer->setFixedWidth(width);
    bar->addWidget(spacer);
}

} // namespace

TFmMain::TFmMain(const QSqlDatabase& db, QWidget* parent) : QMainWindow(parent), m_db(db)
{
    setObjectName(QStringLiteral("FmMain"));
    setWindowTitle(QStringLiteral("Телефонный справочник"));
    setWindowIcon(ToolIcons::windowIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    createMenu();

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolBar();
    layout->addWidget(ToolBar1);

    frames = new QStackedWidget(client);
    frames->setFixedSize(685, 451);
    frNewRecordMain = new TfrNewRecord(this, frames);
    frFindMain = new TfrFind(this, frames);
    frames->addWidget(frNewRecordMain);
    frames->addWidget(frFindMain);
    frames->setCurrentWidget(frFindMain);
    layout->addWidget(frames);
    client->setFixedSize(685, 475);
    setCentralWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

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
    ToolBar1->setFixedHeight(24);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    TBFind = addButton(ToolBar1, "TBFind", QStringLiteral("Поиск"), ToolIcons::icon(2));
    addSpacer(ToolBar1, "ToolButton3", 8);
    TBNew = addButton(ToolBar1, "TBNew", QStringLiteral("Новая запись"), ToolIcons::icon(0));
    TBPattern = addButton(ToolBar1, "TBPattern", QStringLiteral("Шаблон"), ToolIcons::icon(6));
    TBPattern->setEnabled(false);
    TBSave = addButton(ToolBar1, "TBSave", QStringLiteral("Сохранить"), ToolIcons::icon(1));
    TBSave->setEnabled(false);
    addSpacer(ToolBar1, "ToolButton5", 8);
    TBPrint = addButton(ToolBar1, "TBPrint", QStringLiteral("Печать"), ToolIcons::icon(3));
    // Pushes the birthday button to the right end of the toolbar.
    auto* stretch = new QWidget(ToolBar1);
    stretch->setObjectName(QStringLiteral("ToolButton1"));
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ToolBar1->addWidget(stretch);
    TBBirth = addButton(ToolBar1, "TBBirth", QStringLiteral("Дни рождения"), ToolIcons::icon(4));
    // A toolbar hides its widgets through their actions.
    for (QAction* action : ToolBar1->actions())
        if (ToolBar1->widgetForAction(action) == TBBirth)
            action->setVisible(false);

    connect(TBFind, &QToolButton::clicked, this, &TFmMain::N2Click);
    connect(TBNew, &QToolButton::clicked, this, &TFmMain::N1Click);
    connect(TBPattern, &QToolButton::clicked, this, &TFmMain::TBPatternClick);
    connect(TBSave, &QToolButton::clicked, this, &TFmMain::TBSaveClick);
    connect(TBPrint, &QToolButton::clicked, this, &TFmMain::N3Click);
    connect(TBBirth, &QToolButton::clicked, this, &TFmMain::N5Click);
}

void TFmMain::FormCreate()
{
    m_currentUser.clear();
    frNewRecordMain->InitFrame(m_db);
    // The keyboard layout cannot be switched by a program outside Windows.
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

bool TFmMain::storeEditor()
{
    return frNewRecordMain->showsRecord() ? frNewRecordMain->BtnChangeClick()
                                          : frNewRecordMain->btnOkClick();
}

bool TFmMain::frFindBringToFront()
{
    if (!frNewRecordMain->Modified)
        return true;
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
    bringEditorToFront();
    frNewRecordMain->NewRecord();
    setRecordCommandsEnabled(true);
}

void TFmMain::TBPatternClick()
{
    if (!frFindBringToFront())
        return;
    bringEditorToFront();
    frNewRecordMain->NewFromTemplate();
    Prompts::instance().information(this, QStringLiteral("Создана запись на основе шаблона"));
    setRecordCommandsEnabled(true);
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
    bringFindToFront();
    frFindMain->BtnAllClick();
    setRecordCommandsEnabled(false);
}

void TFmMain::N5Click()
{
    if (!frFindBringToFront())
        return;
    bringFindToFront();
    frFindMain->btnBirthClick();
    setRecordCommandsEnabled(false);
}

void TFmMain::N3Click()
{
    frFindMain->Button1Click();
}

void TFmMain::TBSaveClick()
{
    if (frNewRecordMain->Modified)
        storeEditor();
}

void TFmMain::N9Click()
{
    frNewRecordMain->BtnSpouceClick();
}

void TFmMain::N10Click()
{
    frNewRecordMain->btnReqClick();
}

void TFmMain::N11Click()
{
    frNewRecordMain->btnHideClick();
}

void TFmMain::N14Click()
{
    frNewRecordMain->btnClearClick();
}

void TFmMain::N17Click()
{
    frNewRecordMain->BtnChangeClick();
}

void TFmMain::N18Click()
{
    frNewRecordMain->BtnDeleteClick();
}

void TFmMain::N7Click()
{
    close();
}

void TFmMain::N21Click()
{
    close();
}

// FormCloseQuery: the save prompt; the window closes unless the save failed.
void TFmMain::closeEvent(QCloseEvent* event)
{
    if (frFindBringToFront())
        event->accept();
    else
        event->ignore();
}
