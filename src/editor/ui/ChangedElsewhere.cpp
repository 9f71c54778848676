// SPDX-License-Identifier: MIT
#include "editor/ui/ChangedElsewhere.h"
#include "editor/EditorSession.h"

#include <QLabel>
#include <QPushButton>

// Beside the buttons, out of the way of the fields: the user may read on.
ChangedElsewhere::ChangedElsewhere(QWidget* frame, const EditorSession& session)
    : m_session(session), m_label(new QLabel(frame)),
      m_reload(new QPushButton(QStringLiteral("Обновить"), frame))
{
    m_label->setObjectName(QStringLiteral("LblChanged"));
    m_label->setGeometry(8, 413, 336, 25);
    m_label->hide();
    m_reload->setObjectName(QStringLiteral("BtnReload"));
    m_reload->setGeometry(350, 413, 80, 25);
    m_reload->hide();
}

void ChangedElsewhere::remember(const std::optional<RecordData>& record)
{
    m_shown = record;
}

void ChangedElsewhere::rememberStored()
{
    try {
        m_shown = m_session.store().load(m_session.id, m_session.user);
    } catch (const DbError&) {
        m_shown.reset(); // no notice then rather than a wrong one
    }
}

void ChangedElsewhere::forget()
{
    m_shown.reset();
    hide();
}

void ChangedElsewhere::userTyped()
{
    m_reload->hide();
}

void ChangedElsewhere::recheck()
{
    if (!m_shown)
        return;
    std::optional<RecordData> stored;
    RecordStore::Access access = RecordStore::Access::Missing;
    try {
        stored = m_session.store().load(m_session.id, m_session.user, &access);
    } catch (const DbError&) {
        return; // nobody asked: the next change or the user's next command tells
    }
    if (access == RecordStore::Access::Missing)
        show(QStringLiteral("Запись удалена на другой рабочей станции."), false);
    else if (stored != m_shown)
        show(QStringLiteral("Запись изменена на другой рабочей станции."), true);
    else
        hide();
}

void ChangedElsewhere::show(const QString& text, bool reloadable)
{
    m_label->setText(text);
    m_label->show();
    m_reload->setVisible(reloadable);
}

void ChangedElsewhere::hide()
{
    m_label->hide();
    m_reload->hide();
}
