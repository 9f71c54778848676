// SPDX-License-Identifier: MIT
#include "editor/ui/TfmHide.h"
#include "common/ui/QuietButton.h"
#include "db/Visibility.h"
#include "records/RecordStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

QCheckBox* makeBox(QWidget* parent, const char* name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TfmHide::TfmHide(const Privacy& privacy, const QStringList& users, const QString& currentUser,
                 QWidget* parent)
    : QDialog(parent), m_currentUser(currentUser), m_result(privacy)
{
    setObjectName(QStringLiteral("fmHide"));
    setWindowTitle(QStringLiteral("Скрытые поля"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    createControls();
    layOut();
    fillUsers(users);
    preCheck(privacy.owns, privacy.hided);
    setFixedSize(481, 340);
}

void TfmHide::createControls()
{
    ChBAll = makeBox(this, "ChBAll", QStringLiteral("Скрыть всю запись"));
    GBHide = new QGroupBox(QStringLiteral("Частично скрыть"), this);
    GBHide->setObjectName(QStringLiteral("GBHide"));
    ChBPhones = makeBox(GBHide, "ChBPhones", QStringLiteral("Все телефоны"));
    ChBPhoneRab = makeBox(GBHide, "ChBPhoneRab", QStringLiteral("Рабочий"));
    ChBPhoneHome = makeBox(GBHide, "ChBPhoneHome", QStringLiteral("Домашний"));
    ChBPhoneMob = makeBox(GBHide, "ChBPhoneMob", QStringLiteral("Мобильный"));
    ChBPhoneLine = makeBox(GBHide, "ChBPhoneLine", QStringLiteral("Прямой"));
    ChBPhoneSecret = makeBox(GBHide, "ChBPhoneSecret", QStringLiteral("Секретарь"));
    ChBPhoneFax = makeBox(GBHide, "ChBPhoneFax", QStringLiteral("Факс"));
    ChBPhoneOther = makeBox(GBHide, "ChBPhoneOther", QStringLiteral("Дополнительные телефоны"));
    ChBAddress = makeBox(GBHide, "ChBAddress", QStringLiteral("Все адреса"));
    ChBLegal = makeBox(GBHide, "ChBLegal", QStringLiteral("Юридический"));
    ChBFiz = makeBox(GBHide, "ChBFiz", QStringLiteral("Физический"));
    ChBPost = makeBox(GBHide, "ChBPost", QStringLiteral("Почтовый"));
    ChBHome = makeBox(GBHide, "ChBHome", QStringLiteral("Домашний"));
    ChBPath = makeBox(GBHide, "ChBPath", QStringLiteral("Путь"));
    Bevel1 = new QFrame(GBHide);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    ChBMail = makeBox(GBHide, "ChBMail", QStringLiteral("e-mail"));
    ChBBirth = makeBox(GBHide, "ChBBirth", QStringLiteral("День рождения"));
    ChBSpouce = makeBox(GBHide, "ChBSpouce", QStringLiteral("Информация о супруге"));
    ChBReq = makeBox(GBHide, "ChBReq", QStringLiteral("Реквизиты"));
    GBFor = new QGroupBox(QStringLiteral("Разрешить просмотр"), this);
    GBFor->setObjectName(QStringLiteral("GBFor"));
    ChLBUsers = new QListWidget(GBFor);
    ChLBUsers->setObjectName(QStringLiteral("ChLBUsers"));
    btnClear = quietButton(this, "btnClear", QStringLiteral("Очистить"));
    BtnOk = quietButton(this, "BtnOk", QStringLiteral("OK"));
    btnCancel = quietButton(this, "btnCancel", QStringLiteral("Cancel"));

    using C = HiddenCode;
    m_codeBoxes = {
        {C::AllAddresses, ChBAddress},
        {C::LegalAddress, ChBLegal},
        {C::FizAddress, ChBFiz},
        {C::PostAddress, ChBPost},
        {C::HomeAddress, ChBHome},
        {C::Path, ChBPath},
        {C::Email, ChBMail},
        {C::Birthday, ChBBirth},
        {C::Spouse, ChBSpouce},
        {C::Requisites, ChBReq},
        {C::AllPhones, ChBPhones},
        {C::WorkPhone, ChBPhoneRab},
        {C::HomePhone, ChBPhoneHome},
        {C::MobilePhone, ChBPhoneMob},
        {C::DirectPhone, ChBPhoneLine},
        {C::SecretaryPhone, ChBPhoneSecret},
        {C::FaxPhone, ChBPhoneFax},
        {C::OtherPhones, ChBPhoneOther},
    };

    // The handlers follow every change of state, by the user or by the code.
    connect(ChBAll, &QCheckBox::toggled, this, &TfmHide::ChBAllClick);
    connect(ChBAddress, &QCheckBox::toggled, this, &TfmHide::ChBAddressClick);
    connect(ChBPhones, &QCheckBox::toggled, this, &TfmHide::ChBPhonesClick);
    connect(btnClear, &QPushButton::clicked, this, &TfmHide::btnClearClick);
    connect(BtnOk, &QPushButton::clicked, this, &TfmHide::BtnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmHide::btnCancelClick);
}

void TfmHide::layOut()
{
    constexpr int indent = 18;
    auto* grid = new QGridLayout(GBHide);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setVerticalSpacing(1);
    grid->setColumnMinimumWidth(0, indent);
    const QList<QCheckBox*> phones = {ChBPhoneRab,    ChBPhoneHome, ChBPhoneMob,  ChBPhoneLine,
                                      ChBPhoneSecret, ChBPhoneFax,  ChBPhoneOther};
    const QList<QCheckBox*> addresses = {ChBLegal, ChBFiz, ChBPost, ChBHome, ChBPath};
    grid->addWidget(ChBPhones, 0, 0, 1, 2);
    // The last phone box is long; the address column is shorter and leaves it room.
    for (qsizetype i = 0; i < phones.size(); ++i)
        grid->addWidget(phones.at(i), int(i) + 1, 1, 1, phones.at(i) == ChBPhoneOther ? 3 : 1);
    grid->setColumnMinimumWidth(2, indent);
    grid->addWidget(ChBAddress, 0, 2, 1, 2);
    for (qsizetype i = 0; i < addresses.size(); ++i)
        grid->addWidget(addresses.at(i), int(i) + 1, 3);
    int row = int(phones.size()) + 1;
    grid->addWidget(Bevel1, row++, 0, 1, 4);
    for (QCheckBox* box : {ChBMail, ChBBirth, ChBSpouce, ChBReq})
        grid->addWidget(box, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    auto* users = new QVBoxLayout(GBFor);
    users->setContentsMargins(6, 4, 6, 6);
    users->addWidget(ChLBUsers);

    auto* groups = new QHBoxLayout;
    groups->addWidget(GBHide, 305);
    groups->addWidget(GBFor, 165);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(ChBAll);
    layout->addLayout(groups, 1);
    layout->addLayout(buttons);

    QWidget* previous = ChBAll;
    for (QWidget* next : std::initializer_list<QWidget*>{
             ChBPhones,   ChBPhoneRab,   ChBPhoneHome, ChBPhoneMob, ChBPhoneLine, ChBPhoneSecret,
             ChBPhoneFax, ChBPhoneOther, ChBAddress,   ChBLegal,    ChBFiz,       ChBPost,
             ChBHome,     ChBPath,       ChBMail,      ChBBirth,    ChBSpouce,    ChBReq,
             ChLBUsers,   btnClear,      BtnOk,        btnCancel}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void TfmHide::fillUsers(const QStringList& users)
{
    for (const QString& user : users) {
        if (user == m_currentUser)
            continue;
        auto* item = new QListWidgetItem(user, ChLBUsers);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TfmHide::preCheck(const QString& owns, const QString& hided)
{
    if (hided.isEmpty())
        return;
    for (int i = 0; i < ChLBUsers->count(); ++i) {
        QListWidgetItem* item = ChLBUsers->item(i);
        if (Visibility::IsPermitted(owns, item->text()))
            item->setCheckState(Qt::Checked);
    }
    if (HiddenFields::hidesWholeRecord(hided)) {
        ChBAll->setChecked(true);
        return;
    }
    for (HiddenCode code : HiddenFields::codes())
        if (HiddenFields::has(hided, code))
            codeBox(code)->setChecked(true);
}

void TfmHide::setMembersEnabled(HiddenCode group, bool enabled)
{
    for (HiddenCode code : HiddenFields::members(group))
        codeBox(code)->setEnabled(enabled);
}

void TfmHide::ChBAllClick()
{
    const bool enabled = !ChBAll->isChecked();
    for (HiddenCode code : HiddenFields::codes())
        codeBox(code)->setEnabled(enabled);
    Bevel1->setEnabled(enabled);
}

void TfmHide::ChBAddressClick()
{
    setMembersEnabled(HiddenCode::AllAddresses, !ChBAddress->isChecked());
}

void TfmHide::ChBPhonesClick()
{
    setMembersEnabled(HiddenCode::AllPhones, !ChBPhones->isChecked());
}

void TfmHide::btnClearClick()
{
    ChBAll->setChecked(false);
    for (HiddenCode code : HiddenFields::codes())
        codeBox(code)->setChecked(false);
    for (int i = 0; i < ChLBUsers->count(); ++i)
        ChLBUsers->item(i)->setCheckState(Qt::Unchecked);
}

void TfmHide::BtnOkClick()
{
    QString owns = QLatin1Char(' ') + m_currentUser + QLatin1Char(' ');
    for (int i = 0; i < ChLBUsers->count(); ++i) {
        const QListWidgetItem* item = ChLBUsers->item(i);
        if (item->checkState() == Qt::Checked)
            owns += item->text() + QLatin1Char(' ');
    }
    QString hided = QStringLiteral(" ");
    if (ChBAll->isChecked()) {
        hided = HiddenFields::wholeRecord();
    } else {
        // A checked box counts even while it is disabled.
        for (HiddenCode code : HiddenFields::codes())
            if (codeBox(code)->isChecked())
                hided += QString::number(HiddenFields::number(code)) + QLatin1Char(' ');
    }
    if (RecordStore::trimmed(hided).isEmpty())
        owns.clear();
    m_result = {owns, hided};
    accept();
}

void TfmHide::btnCancelClick()
{
    reject();
}
