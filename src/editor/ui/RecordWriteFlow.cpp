// SPDX-License-Identifier: MIT
#include "editor/ui/RecordWriteFlow.h"
#include "common/ui/Guard.h"
#include "db/Visibility.h"
#include "editor/EditorSession.h"
#include "editor/ui/ConflictPrompt.h"

RecordWriteFlow::RecordWriteFlow(QWidget* frame, EditorSession& session, Hooks hooks)
    : m_frame(frame), m_session(session), m_hooks(std::move(hooks))
{
}

RecordWriteFlow::Written RecordWriteFlow::run(const ConflictLoop::Write& write,
                                              const ConflictLoop::Resolve& resolve)
{
    Written written = Written::Nothing;
    guarded(m_frame, [&] {
        written =
            ConflictLoop::run({m_session.rev, m_session.user}, write, resolve, &m_session.rev);
    });
    return written;
}

RecordWriteFlow::Written RecordWriteFlow::change(const ConflictLoop::Write& write, int* newId)
{
    return run(write, [this, newId](const RecordConflict& conflict) {
        return resolveChange(conflict, newId);
    });
}

bool RecordWriteFlow::remove()
{
    const int id = m_session.id;
    const Written written = run(
        [this, id](const RecordWrite& write) {
            m_session.store().remove(id, write);
            return write.seenRev;
        },
        [this](const RecordConflict& conflict) { return resolveRemove(conflict); });
    return written == Written::Stored || written == Written::Overwritten ||
           written == Written::Gone;
}

RecordWriteFlow::Written RecordWriteFlow::resolveChange(const RecordConflict& conflict, int* newId)
{
    const bool deleted = conflict.kind == RecordConflict::Deleted;
    switch (ConflictPrompt::ask(m_frame, conflict)) {
    case ConflictPrompt::Choice::Reload:
        m_hooks.reloadKeepingEdit(deleted);
        return Written::Reloaded;
    case ConflictPrompt::Choice::Overwrite:
        return mayStillChange() ? Written::Overwritten : Written::Nothing;
    case ConflictPrompt::Choice::SaveAsNew: {
        const std::optional<int> id = m_hooks.saveAsNew();
        if (!id)
            return Written::Nothing;
        if (newId)
            *newId = *id;
        return Written::SavedAsNew;
    }
    case ConflictPrompt::Choice::KeepEditing:
        break;
    }
    return Written::Nothing;
}

RecordWriteFlow::Written RecordWriteFlow::resolveRemove(const RecordConflict& conflict)
{
    if (conflict.kind == RecordConflict::Deleted) {
        ConflictPrompt::tellDeleted(m_frame, conflict);
        return Written::Gone;
    }
    return ConflictPrompt::deleteAnyway(m_frame, conflict) && mayStillChange()
               ? Written::Overwritten
               : Written::Nothing;
}

// The other user may have taken the record out of this user's hands: then
// it is not overwritten. A deleted record is left to the write to report.
bool RecordWriteFlow::mayStillChange()
{
    RecordStore::Access access = RecordStore::Access::Missing;
    const std::optional<RecordData> stored =
        m_session.store().load(m_session.id, m_session.user, &access);
    if (access == RecordStore::Access::Missing ||
        (stored && Visibility::IsExempt(stored->owns, m_session.user)))
        return true;
    Prompts::instance().warning(m_frame, QStringLiteral("Эту запись вам изменять нельзя"));
    return false;
}
