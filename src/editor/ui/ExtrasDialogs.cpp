// SPDX-License-Identifier: MIT
#include "editor/ui/ExtrasDialogs.h"
#include "common/ui/Guard.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/ui/FieldChecks.h"
#include "editor/ui/RecordForm.h"
#include "editor/ui/TfmHide.h"
#include "editor/ui/TfmSpouce.h"

#include <QPushButton>

ExtrasDialogs::ExtrasDialogs(QWidget* frame, RecordForm& form, FieldChecks& checks,
                             const EditorSession& session, const EditorState& state,
                             StoreAtOnce storeAtOnce)
    : m_frame(frame), m_form(form), m_checks(checks), m_session(session), m_state(state),
      m_storeAtOnce(std::move(storeAtOnce))
{
}

bool ExtrasDialogs::storesAtOnce() const
{
    return m_session.id != 0 && m_state.mayChange;
}

void ExtrasDialogs::editRequisites()
{
    QString text = m_form.requisites();
    if (!Prompts::instance().getText(m_frame, QStringLiteral("Заполнение реквизитов"),
                                     QStringLiteral("Поле для ввода реквизитов:"), text))
        return;
    if (!m_checks.storable(m_form.btnReq, text))
        return;
    m_form.setRequisites(text);
    if (!storesAtOnce())
        return;
    m_storeAtOnce([this](const RecordWrite& write) {
        return m_session.store().updateReq(m_session.id, m_form.requisites(), write);
    });
}

bool ExtrasDialogs::editSpouse()
{
    TfmSpouce dialog(m_form.spouse(), m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const SpouseData spouse = dialog.spouse();
    m_form.setSpouse(spouse);
    if (!storesAtOnce() || !m_checks.storable(m_form.BtnSpouce, spouse.fio + spouse.info))
        return true;
    m_storeAtOnce([this, &spouse](const RecordWrite& write) {
        return m_session.store().updateSpouse(m_session.id, spouse.fio, spouse.birthday,
                                              spouse.info, write);
    });
    return true;
}

bool ExtrasDialogs::editPrivacy()
{
    QStringList users;
    if (!guarded(m_frame, [this, &users] { users = m_session.store().userNames(); }))
        return false;
    TfmHide dialog(m_form.privacy(), users, m_session.user, m_frame);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const Privacy privacy = dialog.privacy();
    m_form.setPrivacy(privacy);
    if (!storesAtOnce())
        return true;
    QList<int> filledKinds;
    for (int kind = RecordData::firstPhoneKind; kind <= RecordData::lastPhoneKind; ++kind)
        if (!m_form.fieldText(m_form.PhoneEdits[kind]).isEmpty())
            filledKinds.append(kind);
    m_storeAtOnce([this, &privacy, &filledKinds](const RecordWrite& write) {
        return m_session.store().updatePrivacy(m_session.id, privacy.owns, privacy.hided,
                                               filledKinds, write);
    });
    return true;
}
