// SPDX-License-Identifier: MIT
#include "editor/ui/RecordForm.h"
#include "common/ui/QuietButton.h"
#include "db/DateText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace
{

QComboBox* makeCombo(QWidget* parent, const char* name)
{
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(true);
    // The typed text stays as typed: no completion, Enter adds nothing.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(8);
    return combo;
}

// Fills a group box row by row with a caption and its field. The label is
// the field's buddy: warnings name the field by its caption.
class BoxRows
{
public:
    BoxRows(QWidget* parent, QGroupBox*& box, const char* name, const QString& title)
        : m_box(box = named(new QGroupBox(title, parent), name)), m_grid(new QGridLayout(m_box))
    {
        m_grid->setContentsMargins(6, 2, 6, 4);
        m_grid->setHorizontalSpacing(6);
        m_grid->setVerticalSpacing(2);
    }

    QLabel* label(QLabel*& label, const char* name, const QString& caption)
    {
        return label = named(new QLabel(caption, m_box), name);
    }
    QLineEdit* edit(QLabel*& caption, const char* labelName, const QString& text, const char* name)
    {
        label(caption, labelName, text);
        return add(caption, named(new QLineEdit(m_box), name));
    }
    template <typename Field> Field* add(QLabel* caption, Field* field)
    {
        caption->setBuddy(field);
        const int row = m_grid->rowCount();
        m_grid->addWidget(caption, row, 0);
        m_grid->addWidget(field, row, 1);
        return field;
    }
    QGroupBox* box() const { return m_box; }
    QGridLayout* grid() const { return m_grid; }

private:
    QGroupBox* m_box;
    QGridLayout* m_grid;
};

} // namespace

RecordForm::RecordForm(QWidget* parent) : QWidget(parent)
{
    // The group boxes fill the area above the frame's row of buttons.
    setObjectName(QStringLiteral("body"));
    setGeometry(0, 0, 685, 410);
    createPersonalBox();
    createPhoneBox();
    createFirmBox();
    createExtraBox();
    layOut();
    PhoneEdits = {nullptr,      EdtPhoneRab,    EdtPhoneHome, EdtPhoneMob,
                  EdtPhoneLine, EdtPhoneSecret, EdtPhoneFax};
    DTBirthDay->setDate(DateText::noDate());
}

void RecordForm::createPersonalBox()
{
    BoxRows rows(this, GroupBox1, "GroupBox1", QStringLiteral("Персональные данные"));
    EdtF = rows.edit(Label1, "Label1", QStringLiteral("Фамилия "), "EdtF");
    EdtIO = rows.edit(Label2, "Label2", QStringLiteral("Имя, Отчество"), "EdtIO");
    rows.label(Label3, "Label3", QStringLiteral("Должность"));
    CmbProf = rows.add(Label3, makeCombo(GroupBox1, "CmbProf"));
    rows.label(Label14, "Label14", QStringLiteral("День рождения"));
    DTBirthDay = named(new QDateEdit(GroupBox1), "DTBirthDay");
    DTBirthDay->setCalendarPopup(true);
    DTBirthDay->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DTBirthDay->setMinimumDate(QDate(1800, 1, 1));
    rows.add(Label14, DTBirthDay);
    BtnSpouce = quietButton(GroupBox1, "BtnSpouce", QStringLiteral("Супруг..."));
    btnHide = quietButton(GroupBox1, "btnHide", QStringLiteral("Личное..."));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSpouce);
    buttons->addWidget(btnHide);
    rows.grid()->addLayout(buttons, rows.grid()->rowCount(), 0, 1, 2);
}

void RecordForm::createPhoneBox()
{
    BoxRows rows(this, GroupBox3, "GroupBox3", QStringLiteral("Телефоны"));
    EdtPhoneRab = rows.edit(Label18, "Label18", QStringLiteral("Рабочий"), "EdtPhoneRab");
    EdtPhoneHome = rows.edit(Label16, "Label16", QStringLiteral("Домашний"), "EdtPhoneHome");
    EdtPhoneMob = rows.edit(Label17, "Label17", QStringLiteral("Мобильный"), "EdtPhoneMob");
    EdtPhoneLine = rows.edit(Label21, "Label21", QStringLiteral("Прямой"), "EdtPhoneLine");
    EdtPhoneSecret = rows.edit(Label13, "Label13", QStringLiteral("Секретарь"), "EdtPhoneSecret");
    EdtPhoneFax = rows.edit(Label15, "Label15", QStringLiteral("Факс"), "EdtPhoneFax");
    EdtOtherPhone = rows.edit(Label24, "Label24", QStringLiteral("Другие"), "EdtOtherPhone");
    rows.grid()->setRowStretch(rows.grid()->rowCount(), 1);
}

void RecordForm::createFirmBox()
{
    BoxRows rows(this, GroupBox2, "GroupBox2", QStringLiteral("Информация о предприятии"));
    EdtShortPp = rows.edit(Label4, "Label4", QStringLiteral("Краткое название п/п"), "EdtShortPp");
    EdtLongPp = rows.edit(Label5, "Label5", QStringLiteral("Полное название п/п"), "EdtLongPp");
    rows.label(Label10, "Label10", QStringLiteral("Город"));
    // A long telephone code must not widen the form; the caption is cut instead.
    Label10->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CmbCity = rows.add(Label10, makeCombo(GroupBox2, "CmbCity"));
    EdtLegalAddress =
        rows.edit(Label6, "Label6", QStringLiteral("Юридический адрес"), "EdtLegalAddress");
    EdtFizAddress =
        rows.edit(Label7, "Label7", QStringLiteral("Физический адрес"), "EdtFizAddress");
    EdtPostAddress =
        rows.edit(Label8, "Label8", QStringLiteral("Почтовый адрес"), "EdtPostAddress");
    EdtHomeAddress =
        rows.edit(Label9, "Label9", QStringLiteral("Домашний адрес"), "EdtHomeAddress");
    EdtPath = rows.edit(Label11, "Label11", QStringLiteral("Как доехать"), "EdtPath");
    btnReq = quietButton(GroupBox2, "btnReq", QStringLiteral("Реквизиты..."));
    rows.grid()->addWidget(btnReq, rows.grid()->rowCount(), 1, Qt::AlignRight);
}

void RecordForm::createExtraBox()
{
    BoxRows rows(this, GroupBox4, "GroupBox4", QStringLiteral("Дополнительно"));
    EdtEMail = rows.edit(Label12, "Label12", QStringLiteral("Электронная почта"), "EdtEMail");
    EdtWww = rows.edit(Label19, "Label19", QStringLiteral("Веб сайт"), "EdtWww");
    rows.label(StaticText1, "StaticText1", QStringLiteral("Дополнительная информация"));
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MmInfo = named(new QPlainTextEdit(GroupBox4), "MmInfo");
    MmInfo->setTabChangesFocus(true);
    MmInfo->setFixedHeight(71);
    rows.add(StaticText1, MmInfo);
}

void RecordForm::layOut()
{
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(4, 2, 4, 0);
    columns->setSpacing(4);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    left->addWidget(GroupBox1);
    left->addWidget(GroupBox3, 1);
    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    right->addWidget(GroupBox2);
    right->addWidget(GroupBox4, 1);
    columns->addLayout(left, 45);
    columns->addLayout(right, 55);
}

QString RecordForm::fieldText(const QLineEdit* edit) const
{
    return m_locks.isBlanked(edit) ? QString() : edit->text();
}

RecordData RecordForm::record() const
{
    RecordData r;
    r.f = EdtF->text();
    r.io = EdtIO->text();
    r.prof = CmbProf->currentText();
    r.shortpp = EdtShortPp->text();
    r.longpp = EdtLongPp->text();
    r.legaladdress = fieldText(EdtLegalAddress);
    r.postaddress = fieldText(EdtPostAddress);
    r.fizaddress = fieldText(EdtFizAddress);
    r.homeaddress = fieldText(EdtHomeAddress);
    r.city = CmbCity->currentText();
    r.path = fieldText(EdtPath);
    r.email = fieldText(EdtEMail);
    r.www = EdtWww->text();
    r.birthday = DTBirthDay->date();
    // Unless the user picked a date, an unreadable stored text stays.
    r.unreadBirthday = m_unreadBirthday;
    r.otherphones = fieldText(EdtOtherPhone);
    r.info = MmInfo->toPlainText();
    r.spfio = m_spouse.fio;
    r.spbirthday = m_spouse.birthday;
    r.spinfo = m_spouse.info;
    r.req = m_req;
    r.owns = m_privacy.owns;
    r.hided = m_privacy.hided;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        r.phones[kind] = fieldText(PhoneEdits[kind]);
    return r;
}

void RecordForm::fill(const RecordData& r)
{
    EdtF->setText(r.f);
    EdtIO->setText(r.io);
    EdtShortPp->setText(r.shortpp);
    EdtLongPp->setText(r.longpp);
    EdtLegalAddress->setText(r.legaladdress);
    EdtPostAddress->setText(r.postaddress);
    EdtFizAddress->setText(r.fizaddress);
    EdtHomeAddress->setText(r.homeaddress);
    EdtPath->setText(r.path);
    EdtEMail->setText(r.email);
    EdtWww->setText(r.www);
    EdtOtherPhone->setText(r.otherphones);
    MmInfo->setPlainText(r.info);
    m_spouse = {r.spfio, r.spbirthday, r.spinfo};
    m_req = r.req;
    m_privacy = {r.owns, r.hided};
    if (r.birthday.isValid())
        DTBirthDay->setDate(r.birthday);
    m_unreadBirthday = r.unreadBirthday;
    CmbProf->setEditText(r.prof);
    // The city caption keeps its text until the user touches the combo.
    CmbCity->setEditText(r.city);
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        PhoneEdits[kind]->setText(r.phones[kind]);
}

void RecordForm::clear()
{
    m_unreadBirthday.clear();
    m_locks.reset();
    for (QLineEdit* edit : lineEdits())
        edit->clear();
    CmbProf->setEditText(QString());
    MmInfo->clear();
    DTBirthDay->setDate(DateText::noDate());
    m_spouse = {};
    m_privacy = {};
    m_req.clear();
}

void RecordForm::keepAsTemplate()
{
    m_unreadBirthday.clear();
    m_locks.setReadOnly(false);
}
