// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class RecordConflict;
struct RecordWrite;

// The one loop by which the editor writes the record it shows (a change, a
// deletion, a dialog's store): the write runs on the revision the editor
// loaded; when another user changed or deleted the record meanwhile, the
// caller's resolve chooses what happens, and nothing is written before.
class ConflictLoop
{
public:
    // How a write of the shown record ended.
    enum class Written {
        Stored,      // as the editor saw the record
        Overwritten, // over another user's change, as the user chose
        SavedAsNew,  // the record was deleted; the editor's data is a new record
        Reloaded,    // the editor shows the stored record; the edit is kept beside it
        Gone,        // a deletion found the record deleted already
        Nothing,     // back to editing, or refused
    };
    // Writes and gives the record's new revision; throws RecordConflict.
    using Write = std::function<int(const RecordWrite&)>;
    // The user's answer to a conflict. Overwritten writes again over it.
    using Resolve = std::function<Written(const RecordConflict&)>;

    // Runs write until it goes through or resolve stops; *rev takes the new
    // revision. Other database errors pass on to the caller.
    static Written run(RecordWrite write, const Write& attempt, const Resolve& resolve, int* rev);
};
