// SPDX-License-Identifier: MIT
#include "editor/ui/TfrNewRecord.h"
#include "common/ui/Guard.h"
#include "common/ui/Prompts.h"
#include "common/ui/ShellOpen.h"
#include "db/DateText.h"
#include "db/HiddenFields.h"
#include "db/StoredText.h"
#include "db/Visibility.h"
#include "editor/ui/ConflictPrompt.h"
#include "editor/ui/TfmHide.h"
#include "editor/ui/TfmSpouce.h"
#include "editor/ui/YourChangesWindow.h"
#include "records/RecordChanges.h"
#include "records/RecordStore.h"

#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

namespace
{

// The message starts with a Latin C, as users have always seen it.
QString tooLongText()
{
    return QStringLiteral("Cлишком длинное поле");
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QComboBox* makeCombo(QWidget* parent, const char* name)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setEditable(true);
    // The typed text stays as typed: no completion, Enter adds nothing.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(8);
    return combo;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QGroupBox* makeBox(QWidget* parent, const char* name, const QString& title)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QGridLayout* boxGrid(QGroupBox* box)
{
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(6, 2, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    return grid;
}

// The label is the field's buddy: warnings name the field by its caption.
void addRow(QGridLayout* grid, QLabel* label, QWidget* field)
{
    label->setBuddy(field);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TfrNewRecord::TfrNewRecord(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("frNewRecordMain"));
    createPersonalBox();
    createPhoneBox();
    createFirmBox();
    createExtraBox();
    createButtons();
    createNotice();
    layOut();
    setTabOrders();
    setKeyFields();
    PhoneEdits = {nullptr,      EdtPhoneRab,    EdtPhoneHome, EdtPhoneMob,
                  EdtPhoneLine, EdtPhoneSecret, EdtPhoneFax};
    btnOk->show();
    btnClear->show();
    BtnChange->hide();
    BtnDelete->hide();
    DTBirthDay->setDate(DateText::noDate());
    setCityCaptionPlain();
}

TfrNewRecord::~TfrNewRecord()
{
    // Children die after this object; their last focus events must not reach it.
    for (QObject* object : std::as_const(m_watched))
        object->removeEventFilter(this);
}

void TfrNewRecord::createPersonalBox()
{
    GroupBox1 = makeBox(this, "GroupBox1", QStringLiteral("Персональные данные"));
    Label1 = makeLabel(GroupBox1, "Label1", QStringLiteral("Фамилия "));
    EdtF = makeEdit(GroupBox1, "EdtF");
    Label2 = makeLabel(GroupBox1, "Label2", QStringLiteral("Имя, Отчество"));
    EdtIO = makeEdit(GroupBox1, "EdtIO");
    Label3 = makeLabel(GroupBox1, "Label3", QStringLiteral("Должность"));
    CmbProf = makeCombo(GroupBox1, "CmbProf");
    Label14 = makeLabel(GroupBox1, "Label14", QStringLiteral("День рождения"));
    DTBirthDay = new QDateEdit(GroupBox1);
    DTBirthDay->setObjectName(QStringLiteral("DTBirthDay"));
    DTBirthDay->setCalendarPopup(true);
    DTBirthDay->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DTBirthDay->setMinimumDate(QDate(1800, 1, 1));
    BtnSpouce = makeButton(GroupBox1, "BtnSpouce", QStringLiteral("Супруг..."));
    btnHide = makeButton(GroupBox1, "btnHide", QStringLiteral("Личное..."));

    QGridLayout* grid = boxGrid(GroupBox1);
    addRow(grid, Label1, EdtF);
    addRow(grid, Label2, EdtIO);
    addRow(grid, Label3, CmbProf);
    addRow(grid, Label14, DTBirthDay);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnSpouce);
    buttons->addWidget(btnHide);
    grid->addLayout(buttons, grid->rowCount(), 0, 1, 2);

    connect(BtnSpouce, &QPushButton::clicked, this, &TfrNewRecord::BtnSpouceClick);
    connect(btnHide, &QPushButton::clicked, this, &TfrNewRecord::btnHideClick);
}

void TfrNewRecord::createPhoneBox()
{
    GroupBox3 = makeBox(this, "GroupBox3", QStringLiteral("Телефоны"));
    Label18 = makeLabel(GroupBox3, "Label18", QStringLiteral("Рабочий"));
    EdtPhoneRab = makeEdit(GroupBox3, "EdtPhoneRab");
    Label16 = makeLabel(GroupBox3, "Label16", QStringLiteral("Домашний"));
    EdtPhoneHome = makeEdit(GroupBox3, "EdtPhoneHome");
    Label17 = makeLabel(GroupBox3, "Label17", QStringLiteral("Мобильный"));
    EdtPhoneMob = makeEdit(GroupBox3, "EdtPhoneMob");
    Label21 = makeLabel(GroupBox3, "Label21", QStringLiteral("Прямой"));
    EdtPhoneLine = makeEdit(GroupBox3, "EdtPhoneLine");
    Label13 = makeLabel(GroupBox3, "Label13", QStringLiteral("Секретарь"));
    EdtPhoneSecret = makeEdit(GroupBox3, "EdtPhoneSecret");
    Label15 = makeLabel(GroupBox3, "Label15", QStringLiteral("Факс"));
    EdtPhoneFax = makeEdit(GroupBox3, "EdtPhoneFax");
    Label24 = makeLabel(GroupBox3, "Label24", QStringLiteral("Другие"));
    EdtOtherPhone = makeEdit(GroupBox3, "EdtOtherPhone");

    QGridLayout* grid = boxGrid(GroupBox3);
    addRow(grid, Label18, EdtPhoneRab);
    addRow(grid, Label16, EdtPhoneHome);
    addRow(grid, Label17, EdtPhoneMob);
    addRow(grid, Label21, EdtPhoneLine);
    addRow(grid, Label13, EdtPhoneSecret);
    addRow(grid, Label15, EdtPhoneFax);
    addRow(grid, Label24, EdtOtherPhone);
    grid->setRowStretch(grid->rowCount(), 1);
}

void TfrNewRecord::createFirmBox()
{
    GroupBox2 = makeBox(this, "GroupBox2", QStringLiteral("Информация о предприятии"));
    Label4 = makeLabel(GroupBox2, "Label4", QStringLiteral("Краткое название п/п"));
    EdtShortPp = makeEdit(GroupBox2, "EdtShortPp");
    Label5 = makeLabel(GroupBox2, "Label5", QStringLiteral("Полное название п/п"));
    EdtLongPp = makeEdit(GroupBox2, "EdtLongPp");
    Label10 = makeLabel(GroupBox2, "Label10", QStringLiteral("Город"));
    // A long telephone code must not widen the form; the caption is cut instead.
    Label10->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CmbCity = makeCombo(GroupBox2, "CmbCity");
    Label6 = makeLabel(GroupBox2, "Label6", QStringLiteral("Юридический адрес"));
    EdtLegalAddress = makeEdit(GroupBox2, "EdtLegalAddress");
    Label7 = makeLabel(GroupBox2, "Label7", QStringLiteral("Физический адрес"));
    EdtFizAddress = makeEdit(GroupBox2, "EdtFizAddress");
    Label8 = makeLabel(GroupBox2, "Label8", QStringLiteral("Почтовый адрес"));
    EdtPostAddress = makeEdit(GroupBox2, "EdtPostAddress");
    Label9 = makeLabel(GroupBox2, "Label9", QStringLiteral("Домашний адрес"));
    EdtHomeAddress = makeEdit(GroupBox2, "EdtHomeAddress");
    Label11 = makeLabel(GroupBox2, "Label11", QStringLiteral("Как доехать"));
    EdtPath = makeEdit(GroupBox2, "EdtPath");
    btnReq = makeButton(GroupBox2, "btnReq", QStringLiteral("Реквизиты..."));

    QGridLayout* grid = boxGrid(GroupBox2);
    addRow(grid, Label4, EdtShortPp);
    addRow(grid, Label5, EdtLongPp);
    addRow(grid, Label10, CmbCity);
    addRow(grid, Label6, EdtLegalAddress);
    addRow(grid, Label7, EdtFizAddress);
    addRow(grid, Label8, EdtPostAddress);
    addRow(grid, Label9, EdtHomeAddress);
    addRow(grid, Label11, EdtPath);
    grid->addWidget(btnReq, grid->rowCount(), 1, Qt::AlignRight);

    connect(btnReq, &QPushButton::clicked, this, &TfrNewRecord::btnReqClick);
    connect(CmbCity->lineEdit(), &QLineEdit::textEdited, this, &TfrNewRecord::CmbCityChange);
    connect(CmbCity, &QComboBox::textActivated, this, &TfrNewRecord::CmbCityChange);
}

void TfrNewRecord::createExtraBox()
{
    GroupBox4 = makeBox(this, "GroupBox4", QStringLiteral("Дополнительно"));
    Label12 = makeLabel(GroupBox4, "Label12", QStringLiteral("Электронная почта"));
    EdtEMail = makeEdit(GroupBox4, "EdtEMail");
    Label19 = makeLabel(GroupBox4, "Label19", QStringLiteral("Веб сайт"));
    EdtWww = makeEdit(GroupBox4, "EdtWww");
    StaticText1 = makeLabel(GroupBox4, "StaticText1", QStringLiteral("Дополнительная информация"));
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    MmInfo = new QPlainTextEdit(GroupBox4);
    MmInfo->setObjectName(QStringLiteral("MmInfo"));
    MmInfo->setTabChangesFocus(true);
    MmInfo->setFixedHeight(71);
    for (QLabel* link : {Label12, Label19}) {
        link->setMouseTracking(true);
        watch(link);
    }

    QGridLayout* grid = boxGrid(GroupBox4);
    addRow(grid, Label12, EdtEMail);
    addRow(grid, Label19, EdtWww);
    addRow(grid, StaticText1, MmInfo);
}

void TfrNewRecord::createButtons()
{
    btnOk = makeButton(this, "btnOk", QStringLiteral("Готово"));
    btnClear = makeButton(this, "btnClear", QStringLiteral("Очистить"));
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("Отмена"));
    BtnChange = makeButton(this, "BtnChange", QStringLiteral("Изменить"));
    BtnDelete = makeButton(this, "BtnDelete", QStringLiteral("Удалить"));
    constexpr int top = 413;
    btnOk->setGeometry(438, top, 75, 25);
    btnClear->setGeometry(518, top, 75, 25);
    BtnCancel->setGeometry(597, top, 75, 25);
    BtnChange->setGeometry(438, top, 75, 25);
    BtnDelete->setGeometry(518, top, 75, 25);

    connect(btnOk, &QPushButton::clicked, this, &TfrNewRecord::btnOkClick);
    connect(btnClear, &QPushButton::clicked, this, &TfrNewRecord::btnClearClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TfrNewRecord::BtnCancelClick);
    connect(BtnChange, &QPushButton::clicked, this, &TfrNewRecord::BtnChangeClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TfrNewRecord::BtnDeleteClick);
}

// Beside the buttons, out of the way of the fields: the user may read on.
void TfrNewRecord::createNotice()
{
    LblChanged = new QLabel(this);
    LblChanged->setObjectName(QStringLiteral("LblChanged"));
    LblChanged->setGeometry(8, 413, 336, 25);
    LblChanged->hide();
    BtnReload = new QPushButton(QStringLiteral("Обновить"), this);
    BtnReload->setObjectName(QStringLiteral("BtnReload"));
    BtnReload->setGeometry(350, 413, 80, 25);
    BtnReload->hide();
    connect(BtnReload, &QPushButton::clicked, this, &TfrNewRecord::reloadRecord);
}

void TfrNewRecord::layOut()
{
    // The group boxes fill the area above the row of buttons.
    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("body"));
    body->setGeometry(0, 0, 685, 410);
    auto* columns = new QHBoxLayout(body);
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
    body->lower();
}

void TfrNewRecord::setTabOrders()
{
    const QList<QWidget*> chain = {
        EdtF,           EdtIO,          CmbProf,     DTBirthDay,   BtnSpouce,       btnHide,
        EdtPhoneRab,    EdtPhoneHome,   EdtPhoneMob, EdtPhoneLine, EdtPhoneSecret,  EdtPhoneFax,
        EdtOtherPhone,  EdtShortPp,     EdtLongPp,   CmbCity,      EdtLegalAddress, EdtFizAddress,
        EdtPostAddress, EdtHomeAddress, EdtPath,     btnReq,       EdtEMail,        EdtWww,
        MmInfo,         btnOk,          btnClear,    BtnCancel,    BtnChange,       BtnDelete,
    };
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
}

void TfrNewRecord::setKeyFields()
{
    m_keyFields = {
        {EdtF, {EdtIO}},
        {EdtIO, {CmbProf}},
        {CmbProf, {DTBirthDay}},
        {DTBirthDay, {nullptr}},
        {EdtPhoneRab, {EdtPhoneHome}},
        {EdtPhoneHome, {EdtPhoneMob}},
        {EdtPhoneMob, {EdtPhoneLine}},
        {EdtPhoneLine, {EdtPhoneSecret}},
        {EdtPhoneSecret, {EdtPhoneFax}},
        {EdtPhoneFax, {EdtOtherPhone}},
        {EdtOtherPhone, {EdtShortPp, false}},
        {EdtShortPp, {EdtLongPp}},
        {EdtLongPp, {CmbCity}},
        {CmbCity, {EdtLegalAddress}},
        {EdtLegalAddress, {EdtFizAddress}},
        {EdtFizAddress, {EdtPostAddress}},
        {EdtPostAddress, {EdtHomeAddress}},
        {EdtHomeAddress, {EdtPath}},
        {EdtPath, {EdtEMail}},
        {EdtEMail, {EdtWww}},
        {EdtWww, {MmInfo}},
        {MmInfo, {nullptr}},
    };
    m_checkedEdits = {EdtF,         EdtIO,           EdtPhoneRab,   EdtPhoneHome,   EdtPhoneMob,
                      EdtPhoneLine, EdtPhoneSecret,  EdtPhoneFax,   EdtOtherPhone,  EdtShortPp,
                      EdtLongPp,    EdtLegalAddress, EdtFizAddress, EdtPostAddress, EdtHomeAddress,
                      EdtPath,      EdtEMail,        EdtWww};
    for (auto it = m_keyFields.cbegin(); it != m_keyFields.cend(); ++it)
        watch(it.key());
}

void TfrNewRecord::watch(QObject* object)
{
    object->installEventFilter(this);
    m_watched.append(object);
}

// ---------------------------------------------------------------------------
// Set-up, clearing and modes

void TfrNewRecord::InitFrame(const QSqlDatabase& db)
{
    m_db = db;
    guarded(this, [this] { Loadcmbs(); });
}

void TfrNewRecord::Loadcmbs()
{
    CmbProf->clear();
    CmbCity->clear();
    m_profSorted = false;
    m_citySorted = false;
    setCityCaptionPlain();
    RecordStore records = store();
    CmbProf->addItems(records.profTitles());
    CmbProf->setEditText(QString());
    CmbCity->addItems(records.cityNames());
    CmbCity->setEditText(QStringLiteral("Казань"));
    setCityCaption(QStringLiteral("8432"));
}

void TfrNewRecord::reloadLists()
{
    QStringList titles;
    QStringList cities;
    if (!guarded(this, [&] {
            RecordStore records = store();
            titles = records.profTitles();
            cities = records.cityNames();
        }))
        return;
    m_profSorted = false;
    m_citySorted = false;
    for (const auto& [combo, items] : {std::pair{CmbProf, &titles}, std::pair{CmbCity, &cities}}) {
        const QString typed = combo->currentText();
        const QSignalBlocker blocker(combo);
        combo->clear();
        combo->addItems(*items);
        combo->setCurrentIndex(-1);
        combo->setEditText(typed);
    }
}

void TfrNewRecord::ClearRecord()
{
    m_modified = false;
    setTemplateEnabled(true);
    setFieldsReadOnly(false);
    m_unreadBirthday.clear();
    for (QLineEdit* edit :
         {EdtLegalAddress, EdtFizAddress, EdtPostAddress, EdtHomeAddress, EdtPath, EdtEMail})
        UnblankControl(edit);
    UnblankControl(DTBirthDay);
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        UnblankControl(PhoneEdits[kind]);
    UnblankControl(EdtOtherPhone);

    btnHide->setEnabled(true);
    btnReq->setEnabled(true);
    BtnSpouce->setEnabled(true);

    EdtF->clear();
    EdtIO->clear();
    CmbProf->setEditText(QString());
    EdtShortPp->clear();
    EdtLongPp->clear();
    CmbCity->setEditText(QStringLiteral("Казань"));
    setCityCaption(QStringLiteral("8432"));
    for (QLineEdit* edit : {EdtLegalAddress, EdtFizAddress, EdtPostAddress, EdtHomeAddress, EdtPath,
                            EdtOtherPhone, EdtEMail, EdtWww})
        edit->clear();
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        PhoneEdits[kind]->clear();
    MmInfo->clear();
    DTBirthDay->setDate(DateText::noDate());

    m_spouse = {};
    m_privacy = {};
    m_req.clear();
    m_shownRecord.reset();
    hideNotice();
    notifyState();
}

void TfrNewRecord::setNewRecordMode()
{
    m_mode = EditorState::Mode::NewRecord;
    m_curId = 0;
    m_shownRecord.reset();
    hideNotice();
    btnOk->show();
    btnClear->show();
    BtnDelete->hide();
    BtnChange->hide();
    m_modified = false;
    setTemplateEnabled(true);
}

void TfrNewRecord::setShownRecordMode()
{
    m_mode = EditorState::Mode::ShownRecord;
    btnOk->hide();
    btnClear->hide();
    BtnDelete->show();
    BtnChange->show();
    notifyState();
}

void TfrNewRecord::NewRecord()
{
    ClearRecord();
    setNewRecordMode();
}

void TfrNewRecord::NewFromTemplate()
{
    // The new record takes what stands in the fields; a birthday text that
    // could not be shown is not among them.
    m_unreadBirthday.clear();
    setFieldsReadOnly(false);
    setNewRecordMode();
}

void TfrNewRecord::btnClearClick()
{
    ClearRecord();
}

bool TfrNewRecord::showsRecord() const
{
    return !BtnChange->isHidden();
}

void TfrNewRecord::setTemplateEnabled(bool enabled)
{
    m_templateEnabled = enabled;
    notifyState();
}

void TfrNewRecord::setModified(bool modified)
{
    m_modified = modified;
    notifyState();
}

EditorState TfrNewRecord::state() const
{
    EditorState s;
    s.mode = m_mode;
    s.modified = m_modified;
    s.templateEnabled = m_templateEnabled;
    s.mayChange = BtnChange->isEnabled();
    s.privacyEnabled = btnHide->isEnabled();
    s.spouseEnabled = BtnSpouce->isEnabled();
    s.requisitesEnabled = btnReq->isEnabled();
    return s;
}

void TfrNewRecord::notifyState()
{
    const EditorState now = state();
    if (now == m_notified)
        return;
    m_notified = now;
    emit stateChanged();
}

RecordStore TfrNewRecord::store() const
{
    return RecordStore(m_db);
}

// ---------------------------------------------------------------------------
// Blanking

void TfrNewRecord::BlankControl(QWidget* control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(QStringLiteral(" "));
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Active, QPalette::Button));
    control->setPalette(palette);
    control->setEnabled(false);
    m_blanked.insert(control);
}

void TfrNewRecord::UnblankControl(QWidget* control)
{
    control->setPalette(QPalette());
    control->setEnabled(true);
    m_blanked.remove(control);
}

QString TfrNewRecord::fieldText(const QLineEdit* edit) const
{
    return m_blanked.contains(edit) ? QString() : edit->text();
}

// ---------------------------------------------------------------------------
// Showing a record

bool TfrNewRecord::ShowRecord(int id)
{
    m_curId = id;
    ClearRecord();
    setShownRecordMode();
    RecordStore::Access access = RecordStore::Access::Missing;
    m_loaded = {};
    m_curRev = 0;
    guarded(this, [this, id, &access] {
        RecordRevision revision;
        const std::optional<RecordData> record =
            store().load(id, currentUser(), &access, &revision);
        m_curRev = revision.rev;
        if (!record)
            return;
        m_loaded = *record;
        fillFields(*record);
        m_shownRecord = record;
        applyPermissions();
        m_modified = false;
        setTemplateEnabled(true);
    });
    notifyState();
    if (access != RecordStore::Access::HiddenAsWhole)
        return true;
    Prompts::instance().warning(this, QStringLiteral("Эта запись вам больше не доступна."));
    return false;
}

void TfrNewRecord::fillFields(const RecordData& r)
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

void TfrNewRecord::applyPermissions()
{
    const bool exempt = Visibility::IsExempt(m_privacy.owns, currentUser());
    BtnChange->setEnabled(exempt);
    BtnDelete->setEnabled(exempt);
    btnHide->setEnabled(exempt);
    if (exempt)
        return;
    setFieldsReadOnly(true);
    for (HiddenCode code : HiddenFields::codes())
        if (HiddenFields::has(m_privacy.hided, code))
            for (HiddenPart part : HiddenFields::parts(code))
                blankHidden(part);
}

void TfrNewRecord::blankHidden(HiddenPart part)
{
    switch (part) {
    case HiddenPart::LegalAddress:
        return BlankControl(EdtLegalAddress);
    case HiddenPart::FizAddress:
        return BlankControl(EdtFizAddress);
    case HiddenPart::PostAddress:
        return BlankControl(EdtPostAddress);
    case HiddenPart::HomeAddress:
        return BlankControl(EdtHomeAddress);
    case HiddenPart::Path:
        return BlankControl(EdtPath);
    case HiddenPart::Email:
        return BlankControl(EdtEMail);
    case HiddenPart::Birthday:
        BlankControl(DTBirthDay);
        DTBirthDay->setDate(DateText::noDate());
        return;
    case HiddenPart::Spouse:
        return BtnSpouce->setEnabled(false);
    case HiddenPart::Requisites:
        return btnReq->setEnabled(false);
    case HiddenPart::OtherPhones:
        return BlankControl(EdtOtherPhone);
    default:
        for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
            if (part == HiddenFields::phone(kind))
                BlankControl(PhoneEdits[kind]);
    }
}

bool TfrNewRecord::mayChange() const
{
    return BtnChange->isEnabledTo(const_cast<TfrNewRecord*>(this));
}

void TfrNewRecord::setFieldsReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (auto it = m_keyFields.cbegin(); it != m_keyFields.cend(); ++it) {
        if (auto* edit = qobject_cast<QLineEdit*>(it.key()))
            edit->setReadOnly(readOnly);
        else if (auto* combo = qobject_cast<QComboBox*>(it.key()))
            combo->lineEdit()->setReadOnly(readOnly);
    }
    DTBirthDay->setReadOnly(readOnly);
    MmInfo->setReadOnly(readOnly);
}

bool TfrNewRecord::isReadOnlyField(const QObject* field) const
{
    return m_readOnly && m_keyFields.contains(const_cast<QObject*>(field));
}

// A read-only combo box still changes its text from its list: by the arrow,
// the wheel or the arrow keys. Those are swallowed.
bool TfrNewRecord::blocksReadOnlyCombo(QObject* watched, QEvent* event) const
{
    if (!m_readOnly || (watched != CmbProf && watched != CmbCity))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
               key == Qt::Key_PageDown || key == Qt::Key_F4;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Storing, changing, deleting

RecordData TfrNewRecord::recordFromFields() const
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

bool TfrNewRecord::btnOkClick()
{
    if (!fieldsStorable())
        return false;
    return guarded(this, [this] {
        store().insert(recordFromFields(), currentUser());
        ClearRecord();
    });
}

bool TfrNewRecord::BtnChangeClick()
{
    // Hidden values show as blanks here; storing them would overwrite the record.
    if (!mayChange()) {
        Prompts::instance().warning(this, QStringLiteral("Эту запись вам изменять нельзя"));
        return false;
    }
    if (!fieldsStorable())
        return false;
    const RecordData record = recordFromFields();
    switch (writeShown(
        [&](const RecordWrite& write) { return store().update(m_curId, record, write); })) {
    case Written::Stored:
    case Written::Overwritten:
    case Written::SavedAsNew:
        break;
    case Written::Reloaded:
    case Written::Nothing:
        return false;
    }
    ClearRecord();
    BtnCancelClick();
    m_modified = false;
    setTemplateEnabled(true);
    return true;
}

void TfrNewRecord::BtnDeleteClick()
{
    if (Prompts::instance().confirm(this,
                                    QStringLiteral("Вы уверенны, что хотите удалить запись?")) !=
        Prompts::Answer::Yes)
        return;
    guarded(this, [this] {
        RecordWrite write{m_curRev, currentUser()};
        for (;;) {
            try {
                store().remove(m_curId, write);
                break;
            } catch (const RecordConflict& conflict) {
                if (conflict.kind == RecordConflict::Deleted) {
                    ConflictPrompt::tellDeleted(this, conflict);
                    break;
                }
                if (!ConflictPrompt::deleteAnyway(this, conflict) || !mayStillChange())
                    return;
                write.overwrite = true;
            }
        }
        ClearRecord();
        BtnCancelClick();
    });
}

TfrNewRecord::Written TfrNewRecord::writeShown(const std::function<int(const RecordWrite&)>& write,
                                               int* newId)
{
    Written written = Written::Nothing;
    guarded(this, [&] {
        RecordWrite seen{m_curRev, currentUser()};
        for (;;) {
            try {
                m_curRev = write(seen);
                written = seen.overwrite ? Written::Overwritten : Written::Stored;
                return;
            } catch (const RecordConflict& conflict) {
                const Written chosen = resolve(conflict, seen, newId);
                // An overwrite is written next; it may find the record deleted by now.
                if (chosen != Written::Overwritten) {
                    written = chosen;
                    return;
                }
            }
        }
    });
    return written;
}

TfrNewRecord::Written TfrNewRecord::resolve(const RecordConflict& conflict, RecordWrite& write,
                                            int* newId)
{
    const bool deleted = conflict.kind == RecordConflict::Deleted;
    switch (ConflictPrompt::ask(this, conflict)) {
    case ConflictPrompt::Choice::Reload:
        reloadKeepingEdit(deleted);
        return Written::Reloaded;
    case ConflictPrompt::Choice::Overwrite:
        if (!mayStillChange())
            return Written::Nothing;
        write.overwrite = true;
        return Written::Overwritten;
    case ConflictPrompt::Choice::SaveAsNew: {
        if (!fieldsStorable())
            return Written::Nothing;
        const int id = store().insert(recordFromFields(), currentUser());
        if (newId)
            *newId = id;
        return Written::SavedAsNew;
    }
    case ConflictPrompt::Choice::KeepEditing:
        break;
    }
    return Written::Nothing;
}

// The other user may have taken the record out of this user's hands: then
// it is not overwritten. A deleted record is left to the write to report.
bool TfrNewRecord::mayStillChange()
{
    RecordStore::Access access = RecordStore::Access::Missing;
    const std::optional<RecordData> stored = store().load(m_curId, currentUser(), &access);
    if (access == RecordStore::Access::Missing ||
        (stored && Visibility::IsExempt(stored->owns, currentUser())))
        return true;
    Prompts::instance().warning(this, QStringLiteral("Эту запись вам изменять нельзя"));
    return false;
}

void TfrNewRecord::reloadKeepingEdit(bool deleted)
{
    const RecordData typed = recordFromFields();
    const RecordData loaded = m_loaded;
    // A record deleted, or hidden from the user as a whole by now, has
    // nothing to show: the list takes over, and the whole edit stays beside it.
    const bool shown = !deleted && ShowRecord(m_curId);
    if (!shown) {
        ClearRecord();
        BtnCancelClick();
    }
    const std::optional<RecordData> stored = shown ? std::optional(m_loaded) : std::nullopt;
    YourChangesWindow::showFor(RecordChanges::unsaved(loaded, typed, stored), this);
}

void TfrNewRecord::storeAtOnce(const std::function<int(const RecordWrite&)>& write)
{
    int newId = 0;
    const Written written = writeShown(write, &newId);
    if (written == Written::Stored)
        rememberStored();
    else if (written == Written::Overwritten)
        reloadKeepingEdit(false);
    else if (written == Written::SavedAsNew)
        ShowRecord(newId);
}

void TfrNewRecord::btnReqClick()
{
    QString text = m_req;
    if (!Prompts::instance().getText(this, QStringLiteral("Заполнение реквизитов"),
                                     QStringLiteral("Поле для ввода реквизитов:"), text))
        return;
    if (!storable(btnReq, text))
        return;
    m_req = text;
    if (m_curId == 0 || !mayChange())
        return;
    storeAtOnce(
        [this](const RecordWrite& write) { return store().updateReq(m_curId, m_req, write); });
}

bool TfrNewRecord::BtnSpouceClick()
{
    TfmSpouce dialog(m_spouse, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_spouse = dialog.spouse();
    if (m_curId == 0 || !mayChange() || !storable(BtnSpouce, m_spouse.fio + m_spouse.info))
        return true;
    storeAtOnce([this](const RecordWrite& write) {
        return store().updateSpouse(m_curId, m_spouse.fio, m_spouse.birthday, m_spouse.info, write);
    });
    return true;
}

bool TfrNewRecord::btnHideClick()
{
    QStringList users;
    if (!guarded(this, [this, &users] { users = store().userNames(); }))
        return false;
    TfmHide dialog(m_privacy, users, currentUser(), this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_privacy = dialog.privacy();
    if (m_curId == 0 || !mayChange())
        return true;
    QList<int> filledKinds;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (!fieldText(PhoneEdits[kind]).isEmpty())
            filledKinds.append(kind);
    storeAtOnce([this, &filledKinds](const RecordWrite& write) {
        return store().updatePrivacy(m_curId, m_privacy.owns, m_privacy.hided, filledKinds, write);
    });
    return true;
}

void TfrNewRecord::BtnCancelClick()
{
    emit editingFinished();
}

// What this copy stored is no change made elsewhere.
void TfrNewRecord::rememberStored()
{
    try {
        m_shownRecord = store().load(m_curId, currentUser());
    } catch (const DbError&) {
        m_shownRecord.reset(); // no notice then rather than a wrong one
    }
}

void TfrNewRecord::directoryChanged()
{
    if (m_mode != EditorState::Mode::ShownRecord || !m_shownRecord || m_modified || !m_db.isValid())
        return;
    std::optional<RecordData> stored;
    RecordStore::Access access = RecordStore::Access::Missing;
    try {
        stored = store().load(m_curId, currentUser(), &access);
    } catch (const DbError&) {
        return; // nobody asked: the next change or the user's next command tells
    }
    if (access == RecordStore::Access::Missing)
        showNotice(QStringLiteral("Запись удалена на другой рабочей станции."), false);
    else if (stored != m_shownRecord)
        showNotice(QStringLiteral("Запись изменена на другой рабочей станции."), true);
    else
        hideNotice();
}

void TfrNewRecord::reloadRecord()
{
    if (m_modified || m_mode != EditorState::Mode::ShownRecord)
        return;
    // A record hidden from the user since is not shown: the list takes over.
    if (!ShowRecord(m_curId))
        emit editingFinished();
}

void TfrNewRecord::showNotice(const QString& text, bool reloadable)
{
    LblChanged->setText(text);
    LblChanged->show();
    BtnReload->setVisible(reloadable);
}

void TfrNewRecord::hideNotice()
{
    LblChanged->hide();
    BtnReload->hide();
}

// ---------------------------------------------------------------------------
// Keys and leaving fields

void TfrNewRecord::keyPressEvent(QKeyEvent* event)
{
    // Esc anywhere in the frame is "Отмена".
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        BtnCancel->isVisible() && BtnCancel->isEnabled()) {
        BtnCancel->click();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool TfrNewRecord::eventFilter(QObject* watched, QEvent* event)
{
    if (blocksReadOnlyCombo(watched, event))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched == DTBirthDay && leavesByTab(static_cast<QKeyEvent*>(event)))
            return true;
        if (m_keyFields.contains(watched))
            return fieldKeyDown(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
        break;
    case QEvent::FocusOut:
        fieldExit(watched, static_cast<QFocusEvent*>(event));
        break;
    case QEvent::Enter:
    case QEvent::MouseMove:
    case QEvent::Leave:
    case QEvent::MouseButtonRelease:
        if (watched == Label12 || watched == Label19)
            linkEvent(static_cast<QLabel*>(watched), event);
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

// Tab leaves the date picker instead of walking through its day, month and year.
bool TfrNewRecord::leavesByTab(QKeyEvent* event)
{
    const bool back = event->key() == Qt::Key_Backtab ||
                      (event->key() == Qt::Key_Tab && event->modifiers() & Qt::ShiftModifier);
    if (!back && event->key() != Qt::Key_Tab)
        return false;
    focusNextPrevChild(!back);
    return true;
}

bool TfrNewRecord::fieldKeyDown(QWidget* field, QKeyEvent* event)
{
    const int key = event->key();
    // The window uses these to move the focus and to cancel.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Escape)
        return false;
    const KeyField what = m_keyFields.value(field);
    const bool enter = isEnterKey(key);
    if (enter && what.next)
        what.next->setFocus(Qt::TabFocusReason);
    if (what.marksModified && !isReadOnlyField(field)) {
        m_modified = true;
        BtnReload->hide(); // what the user typed is never overwritten
        setTemplateEnabled(false);
    }
    // A combo box would pick a list entry on Enter; here Enter only moves on.
    return enter && qobject_cast<QComboBox*>(field);
}

void TfrNewRecord::fieldExit(QObject* field, QFocusEvent* event)
{
    // Only a move to another control is a leave: not a dialog, a menu or the
    // frame being put behind the search view.
    if (m_inExit)
        return;
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        break;
    }
    auto* widget = qobject_cast<QWidget*>(field);
    if (!widget || !widget->isVisible())
        return;
    m_inExit = true;
    if (auto* edit = qobject_cast<QLineEdit*>(field); edit && m_checkedEdits.contains(edit))
        TooLong(edit);
    else if (field == CmbProf)
        CmbProfExit();
    else if (field == CmbCity)
        CmbCityExit();
    m_inExit = false;
}

void TfrNewRecord::warnTooLong(QWidget* field)
{
    Prompts::instance().warning(this, tooLongText());
    field->setFocus(Qt::OtherFocusReason);
}

// A button's caption names the texts of its dialog; a label's the field it
// is the buddy of (the city's label carries the telephone code in brackets).
QString TfrNewRecord::captionOf(const QWidget* field) const
{
    if (const auto* button = qobject_cast<const QPushButton*>(field))
        return button->text().remove(QStringLiteral("..."));
    for (const QLabel* label : findChildren<QLabel*>())
        if (label->buddy() == field)
            return label->text().section(QStringLiteral(" ("), 0, 0).trimmed();
    return {};
}

bool TfrNewRecord::storable(QWidget* field, const QString& text)
{
    if (StoredText::storable(text))
        return true;
    Prompts::instance().warning(this, StoredText::nulWarning(captionOf(field)));
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

bool TfrNewRecord::fieldsStorable()
{
    for (QLineEdit* edit : std::as_const(m_checkedEdits))
        if (!storable(edit, fieldText(edit)))
            return false;
    return storable(CmbProf, CmbProf->currentText()) && storable(CmbCity, CmbCity->currentText()) &&
           storable(MmInfo, MmInfo->toPlainText()) &&
           storable(BtnSpouce, m_spouse.fio + m_spouse.info) && storable(btnReq, m_req);
}

void TfrNewRecord::TooLong(QLineEdit* edit)
{
    if (FieldLength::of(edit->text()) > maxFieldLength)
        warnTooLong(edit);
}

void TfrNewRecord::CmbProfExit()
{
    if (FieldLength::of(CmbProf->currentText()) > maxFieldLength) {
        warnTooLong(CmbProf);
        return;
    }
    if (!storable(CmbProf, CmbProf->currentText()))
        return;
    const QString title = RecordStore::trimmed(CmbProf->currentText());
    CmbProf->setEditText(title);
    if (title.isEmpty())
        return;
    guarded(this, [this, &title] {
        RecordStore records = store();
        if (records.profId(title) != 0)
            return;
        records.addProf(title);
        addSorted(CmbProf, title, m_profSorted);
    });
}

void TfrNewRecord::CmbCityChange()
{
    const QString name = CmbCity->currentText();
    if (name.isEmpty())
        return;
    guarded(this, [this, &name] {
        const std::optional<QString> code = store().cityCode(name);
        if (code)
            setCityCaption(*code);
        else
            setCityCaptionPlain();
    });
}

void TfrNewRecord::CmbCityExit()
{
    if (FieldLength::of(CmbCity->currentText()) > maxFieldLength) {
        warnTooLong(CmbCity);
        return;
    }
    if (!storable(CmbCity, CmbCity->currentText()))
        return;
    const QString name = RecordStore::trimmed(CmbCity->currentText());
    CmbCity->setEditText(name);
    setCityCaptionPlain();
    if (name.isEmpty())
        return;
    guarded(this, [this, &name] {
        RecordStore records = store();
        if (const std::optional<QString> code = records.cityCode(name)) {
            setCityCaption(*code);
            return;
        }
        QString code;
        if (!Prompts::instance().getText(
                this, QStringLiteral("Добавление города"),
                QStringLiteral("Введите код телефонов города ") + name + QLatin1Char(':'), code)) {
            setCityCaption(QString());
            return;
        }
        records.addCity(name, code);
        setCityCaption(code);
        addSorted(CmbCity, name, m_citySorted);
    });
}

void TfrNewRecord::setCityCaption(const QString& code)
{
    Label10->setText(QStringLiteral("Город (") + code + QLatin1Char(')'));
}

void TfrNewRecord::setCityCaptionPlain()
{
    Label10->setText(QStringLiteral("Город"));
}

// Adds an entry the user typed; from then on the list is kept sorted.
void TfrNewRecord::addSorted(QComboBox* combo, const QString& text, bool& sorted)
{
    QCollator collator(QLocale(QLocale::Russian, QLocale::Russia));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    if (!sorted) {
        std::stable_sort(items.begin(), items.end(), collator);
        sorted = true;
    }
    items.insert(std::upper_bound(items.begin(), items.end(), text, collator), text);

    // Refilling the list must not change what the user typed.
    const QString typed = combo->currentText();
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(typed);
}

// ---------------------------------------------------------------------------
// E-mail and web links

QLineEdit* TfrNewRecord::linkedEdit(QLabel* label) const
{
    return label == Label12 ? EdtEMail : EdtWww;
}

void TfrNewRecord::linkEvent(QLabel* label, QEvent* event)
{
    const QString text = fieldText(linkedEdit(label));
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::MouseMove:
        if (!text.isEmpty())
            showLinkLook(label, true);
        break;
    case QEvent::Leave:
        showLinkLook(label, false);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !text.isEmpty())
            ShellOpen::open(QUrl(
                (label == Label12 ? QStringLiteral("mailto:") : QStringLiteral("http://")) + text));
        break;
    default:
        break;
    }
}

void TfrNewRecord::showLinkLook(QLabel* label, bool link)
{
    QFont font = label->font();
    font.setUnderline(link);
    label->setFont(font);
    if (link) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        label->setPalette(palette);
        label->setCursor(Qt::PointingHandCursor);
    } else {
        label->setPalette(QPalette());
        label->unsetCursor();
    }
}
