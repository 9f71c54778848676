// SPDX-License-Identifier: MIT
#include "editor/ui/TfmSpouce.h"
#include "common/ui/QuietButton.h"
#include "db/DateText.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmSpouce::TfmSpouce(const SpouseData& spouse, QWidget* parent) : QDialog(parent), m_result(spouse)
{
    setObjectName(QStringLiteral("fmSpouce"));
    setWindowTitle(QStringLiteral("Данные о супруге"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    createControls();

    EdtSpIO->setText(spouse.fio);
    // A text that is no date shows as no date.
    const QDate birthday = DateText::fromText(spouse.birthday);
    DTSpBirthDay->setDate(birthday.isValid() ? birthday : DateText::noDate());
    MmSpInfo->setPlainText(spouse.info);
    setFixedSize(363, 248);
}

void TfmSpouce::createControls()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = new QLabel(QStringLiteral("Имя Отчество"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    EdtSpIO = new QLineEdit(GroupBox1);
    EdtSpIO->setObjectName(QStringLiteral("EdtSpIO"));
    Label2 = new QLabel(QStringLiteral("День рождения"), GroupBox1);
    Label2->setObjectName(QStringLiteral("Label2"));
    DTSpBirthDay = new QDateEdit(GroupBox1);
    DTSpBirthDay->setObjectName(QStringLiteral("DTSpBirthDay"));
    DTSpBirthDay->setCalendarPopup(true);
    DTSpBirthDay->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DTSpBirthDay->setMinimumDate(QDate(1800, 1, 1));
    StaticText1 = new QLabel(QStringLiteral("Дополнительная информация"), GroupBox1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MmSpInfo = new QPlainTextEdit(GroupBox1);
    MmSpInfo->setObjectName(QStringLiteral("MmSpInfo"));
    MmSpInfo->setTabChangesFocus(true);
    bntClear = quietButton(this, "bntClear", QStringLiteral("Очистить"));
    btnOk = quietButton(this, "btnOk", QStringLiteral("Ok"));
    btnCancel = quietButton(this, "btnCancel", QStringLiteral("Отмена"));

    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(EdtSpIO, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(DTSpBirthDay, 1, 1, Qt::AlignLeft);
    grid->addWidget(StaticText1, 2, 0);
    grid->addWidget(MmSpInfo, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bntClear);
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 4, 5, 6);
    layout->addWidget(GroupBox1, 1);
    layout->addLayout(buttons);

    setTabOrder(EdtSpIO, DTSpBirthDay);
    setTabOrder(DTSpBirthDay, MmSpInfo);
    setTabOrder(MmSpInfo, bntClear);
    setTabOrder(bntClear, btnOk);
    setTabOrder(btnOk, btnCancel);

    EdtSpIO->installEventFilter(this);
    DTSpBirthDay->installEventFilter(this);
    connect(bntClear, &QPushButton::clicked, this, &TfmSpouce::bntClearClick);
    connect(btnOk, &QPushButton::clicked, this, &TfmSpouce::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmSpouce::btnCancelClick);
}

// EdtSpIOKeyDown: Enter moves on to the birthday. Tab leaves the date picker
// instead of walking through its day, month and year.
bool TfmSpouce::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const int key = keyEvent->key();
    if (watched == EdtSpIO && (key == Qt::Key_Return || key == Qt::Key_Enter))
        DTSpBirthDay->setFocus(Qt::TabFocusReason);
    if (watched == DTSpBirthDay) {
        const bool back = key == Qt::Key_Backtab ||
                          (key == Qt::Key_Tab && keyEvent->modifiers() & Qt::ShiftModifier);
        if (back || key == Qt::Key_Tab) {
            focusNextPrevChild(!back);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSpouce::bntClearClick()
{
    EdtSpIO->clear();
    DTSpBirthDay->setDate(DateText::noDate());
    MmSpInfo->clear();
}

void TfmSpouce::btnOkClick()
{
    m_result = {EdtSpIO->text(), DateText::toText(DTSpBirthDay->date()), MmSpInfo->toPlainText()};
    accept();
}

void TfmSpouce::btnCancelClick()
{
    reject();
}
