// SPDX-License-Identifier: MIT
#include "editor/ui/TfrNewRecord.h"
#include "common/ui/Guard.h"
#include "common/ui/Prompts.h"
#include "db/HiddenFields.h"
#include "db/Visibility.h"
#include "editor/ui/ChangedElsewhere.h"
#include "editor/ui/EditorButtons.h"
#include "editor/ui/EditorKeys.h"
#include "editor/ui/FieldChecks.h"
#include "editor/ui/LinkLabels.h"
#include "editor/ui/RecordWriteFlow.h"
#include "editor/ui/YourChangesWindow.h"
#include "records/RecordChanges.h"

#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TfrNewRecord::TfrNewRecord(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("frNewRecordMain"));
    m_form = new RecordForm(this);
    static_cast<RecordFormWidgets&>(*this) = *m_form;
    createHelpers();
    connectWidgets();
    setTabOrders();
    notifyState();
}

// The helpers go before the widgets: the fields' last events reach no helper.
TfrNewRecord::~TfrNewRecord() = default;

void TfrNewRecord::createHelpers()
{
    m_buttons = std::make_unique<EditorButtons>(this);
    btnOk = m_buttons->ok;
    btnClear = m_buttons->clear;
    BtnCancel = m_buttons->cancel;
    BtnChange = m_buttons->change;
    BtnDelete = m_buttons->remove;
    m_checks = std::make_unique<FieldChecks>(this);
    m_combos = std::make_unique<LookupCombos>(this, *m_form, *m_checks, m_session);
    m_keys = std::make_unique<EditorKeys>(*m_form, m_form->locks());
    m_links = std::make_unique<LinkLabels>(*m_form);
    m_notice = std::make_unique<ChangedElsewhere>(this, m_session);
    LblChanged = m_notice->label();
    BtnReload = m_notice->reloadButton();
    m_writes = std::make_unique<RecordWriteFlow>(
        this, m_session,
        RecordWriteFlow::Hooks{[this](bool deleted) { reloadKeepingEdit(deleted); },
                               [this] { return saveAsNew(); }});
    m_dialogs = std::make_unique<ExtrasDialogs>(
        this, *m_form, *m_checks, m_session, m_state,
        [this](const ConflictLoop::Write& write) { storeAtOnce(write); });
}

void TfrNewRecord::connectWidgets()
{
    connect(btnOk, &QPushButton::clicked, this, &TfrNewRecord::btnOkClick);
    connect(btnClear, &QPushButton::clicked, this, &TfrNewRecord::btnClearClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TfrNewRecord::BtnCancelClick);
    connect(BtnChange, &QPushButton::clicked, this, &TfrNewRecord::BtnChangeClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TfrNewRecord::BtnDeleteClick);
    connect(BtnSpouce, &QPushButton::clicked, this, &TfrNewRecord::BtnSpouceClick);
    connect(btnHide, &QPushButton::clicked, this, &TfrNewRecord::btnHideClick);
    connect(btnReq, &QPushButton::clicked, this, &TfrNewRecord::btnReqClick);
    connect(CmbCity->lineEdit(), &QLineEdit::textEdited, this, &TfrNewRecord::CmbCityChange);
    connect(CmbCity, &QComboBox::textActivated, this, &TfrNewRecord::CmbCityChange);
    connect(m_keys.get(), &EditorKeys::typed, this, &TfrNewRecord::fieldTyped);
    connect(m_keys.get(), &EditorKeys::tabbedOut, this,
            [this](bool forward) { focusNextPrevChild(forward); });
    connect(m_keys.get(), &EditorKeys::fieldLeft, this, &TfrNewRecord::fieldLeft);
    connect(BtnReload, &QPushButton::clicked, this, &TfrNewRecord::reloadRecord);
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

// ---------------------------------------------------------------------------
// Set-up, clearing and modes

void TfrNewRecord::InitFrame(const QSqlDatabase& db)
{
    m_session.db = db;
    guarded(this, [this] { Loadcmbs(); });
}

void TfrNewRecord::ClearRecord()
{
    m_state.modified = false;
    m_state.templateEnabled = true;
    m_state.privacyEnabled = true;
    m_state.spouseEnabled = true;
    m_state.requisitesEnabled = true;
    m_form->clear();
    m_combos->showDefaultCity();
    m_notice->forget();
    notifyState();
}

void TfrNewRecord::setNewRecordMode()
{
    m_state.mode = EditorState::Mode::NewRecord;
    m_session.id = 0;
    m_notice->forget();
    m_state.modified = false;
    m_state.templateEnabled = true;
    notifyState();
}

void TfrNewRecord::NewRecord()
{
    ClearRecord();
    setNewRecordMode();
}

void TfrNewRecord::NewFromTemplate()
{
    m_form->keepAsTemplate();
    setNewRecordMode();
}

void TfrNewRecord::btnClearClick()
{
    ClearRecord();
}

void TfrNewRecord::setModified(bool modified)
{
    m_state.modified = modified;
    notifyState();
}

void TfrNewRecord::notifyState()
{
    m_buttons->show(m_state, *m_form);
    if (m_state == m_notified)
        return;
    m_notified = m_state;
    emit stateChanged();
}

// ---------------------------------------------------------------------------
// Showing a record

bool TfrNewRecord::ShowRecord(int id)
{
    m_session.id = id;
    ClearRecord();
    m_state.mode = EditorState::Mode::ShownRecord;
    notifyState();
    RecordStore::Access access = RecordStore::Access::Missing;
    m_session.loaded = {};
    m_session.rev = 0;
    guarded(this, [this, id, &access] {
        RecordRevision revision;
        const std::optional<RecordData> record =
            m_session.store().load(id, currentUser(), &access, &revision);
        m_session.rev = revision.rev;
        if (!record)
            return;
        m_session.loaded = *record;
        m_form->fill(*record);
        m_notice->remember(record);
        applyPermissions();
        m_state.modified = false;
        m_state.templateEnabled = true;
    });
    notifyState();
    if (access != RecordStore::Access::HiddenAsWhole)
        return true;
    Prompts::instance().warning(this, QStringLiteral("Эта запись вам больше не доступна."));
    return false;
}

// A user who is not exempt reads the record without what it hides from him.
void TfrNewRecord::applyPermissions()
{
    const Privacy& privacy = m_form->privacy();
    const bool exempt = Visibility::IsExempt(privacy.owns, currentUser());
    m_state.mayChange = exempt;
    m_state.privacyEnabled = exempt;
    if (exempt)
        return;
    m_form->locks().setReadOnly(true);
    m_form->locks().blankHidden(privacy.hided);
    m_state.spouseEnabled = !HiddenFields::hides(privacy.hided, HiddenPart::Spouse);
    m_state.requisitesEnabled = !HiddenFields::hides(privacy.hided, HiddenPart::Requisites);
}

// ---------------------------------------------------------------------------
// Storing, changing, deleting

bool TfrNewRecord::btnOkClick()
{
    if (!m_checks->allStorable(*m_form))
        return false;
    return guarded(this, [this] {
        m_session.store().insert(m_form->record(), currentUser());
        ClearRecord();
    });
}

bool TfrNewRecord::BtnChangeClick()
{
    // Hidden values show as blanks here; storing them would overwrite the record.
    if (!m_state.mayChange) {
        Prompts::instance().warning(this, QStringLiteral("Эту запись вам изменять нельзя"));
        return false;
    }
    if (!m_checks->allStorable(*m_form))
        return false;
    const RecordData record = m_form->record();
    const int id = m_session.id;
    switch (m_writes->change(
        [&](const RecordWrite& write) { return m_session.store().update(id, record, write); })) {
    case ConflictLoop::Written::Stored:
    case ConflictLoop::Written::Overwritten:
    case ConflictLoop::Written::SavedAsNew:
        break;
    default:
        return false;
    }
    ClearRecord();
    BtnCancelClick();
    m_state.modified = false;
    m_state.templateEnabled = true;
    notifyState();
    emit changeStored();
    return true;
}

void TfrNewRecord::BtnDeleteClick()
{
    if (Prompts::instance().confirm(this,
                                    QStringLiteral("Вы уверенны, что хотите удалить запись?")) !=
        Prompts::Answer::Yes)
        return;
    if (!m_writes->remove())
        return;
    ClearRecord();
    BtnCancelClick();
}

void TfrNewRecord::reloadKeepingEdit(bool deleted)
{
    const RecordData typed = m_form->record();
    const RecordData loaded = m_session.loaded;
    // A record deleted, or hidden from the user as a whole by now, has
    // nothing to show: the list takes over, and the whole edit stays beside it.
    const bool shown = !deleted && ShowRecord(m_session.id);
    if (!shown) {
        ClearRecord();
        BtnCancelClick();
    }
    const std::optional<RecordData> stored = shown ? std::optional(m_session.loaded) : std::nullopt;
    YourChangesWindow::showFor(RecordChanges::unsaved(loaded, typed, stored), this);
}

std::optional<int> TfrNewRecord::saveAsNew()
{
    if (!m_checks->allStorable(*m_form))
        return std::nullopt;
    return m_session.store().insert(m_form->record(), currentUser());
}

void TfrNewRecord::storeAtOnce(const ConflictLoop::Write& write)
{
    int newId = 0;
    switch (m_writes->change(write, &newId)) {
    case ConflictLoop::Written::Stored:
        m_notice->rememberStored();
        break;
    case ConflictLoop::Written::Overwritten:
        reloadKeepingEdit(false);
        break;
    case ConflictLoop::Written::SavedAsNew:
        ShowRecord(newId);
        break;
    default:
        break;
    }
}

void TfrNewRecord::BtnCancelClick()
{
    emit editingFinished();
}

// ---------------------------------------------------------------------------
// Changes made elsewhere

void TfrNewRecord::directoryChanged()
{
    if (m_state.mode != EditorState::Mode::ShownRecord || m_state.modified ||
        !m_session.db.isValid())
        return;
    m_notice->recheck();
}

void TfrNewRecord::reloadRecord()
{
    if (m_state.modified || m_state.mode != EditorState::Mode::ShownRecord)
        return;
    // A record hidden from the user since is not shown: the list takes over.
    if (!ShowRecord(m_session.id))
        emit editingFinished();
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

void TfrNewRecord::fieldTyped()
{
    m_state.modified = true;
    m_notice->userTyped();
    m_state.templateEnabled = false;
    notifyState();
}

void TfrNewRecord::fieldLeft(QWidget* field)
{
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        TooLong(edit);
    else if (field == CmbProf)
        CmbProfExit();
    else if (field == CmbCity)
        CmbCityExit();
}

void TfrNewRecord::TooLong(QLineEdit* edit)
{
    m_checks->fits(edit, edit->text());
}
