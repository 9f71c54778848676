// SPDX-License-Identifier: MIT
#pragma once

#include "editor/ConflictLoop.h"

#include <functional>
#include <optional>

class QWidget;
struct EditorSession;

// The writes of the shown record, each through the one conflict loop: a
// change (also a dialog's store) and a deletion. When another user changed
// or deleted the record meanwhile, the user is asked; nothing is written
// before. A database error is shown and ends the write.
class RecordWriteFlow
{
public:
    using Written = ConflictLoop::Written;

    // What the editor does for the user's answers to a conflict of a change.
    struct Hooks {
        // «Загрузить запись»: the stored record in place of the edit (none
        // when deleted), the edit shown beside it.
        std::function<void(bool deleted)> reloadKeepingEdit;
        // «Сохранить как новую запись»: the new record's id, or none when
        // the edit cannot be stored.
        std::function<std::optional<int>()> saveAsNew;
    };

    RecordWriteFlow(QWidget* frame, EditorSession& session, Hooks hooks);

    // A write of the shown record on the revision the editor loaded; the
    // session keeps the new revision. newId: the new record's id after SavedAsNew.
    Written change(const ConflictLoop::Write& write, int* newId = nullptr);
    // The deletion, asked again of a record changed meanwhile: true when the
    // record is gone (deleted now or already).
    bool remove();

private:
    Written run(const ConflictLoop::Write& write, const ConflictLoop::Resolve& resolve);
    Written resolveChange(const RecordConflict& conflict, int* newId);
    Written resolveRemove(const RecordConflict& conflict);
    // Before an overwrite: false, with a warning, when the current user may
    // no longer change the stored record.
    bool mayStillChange();

    QWidget* m_frame;
    EditorSession& m_session;
    Hooks m_hooks;
};
