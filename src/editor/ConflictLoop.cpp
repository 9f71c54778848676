// SPDX-License-Identifier: MIT
#include "editor/ConflictLoop.h"
#include "records/RecordStore.h"

ConflictLoop::Written ConflictLoop::run(RecordWrite write, const Write& attempt,
                                        const Resolve& resolve, int* rev)
{
    for (;;) {
        try {
            const int stored = attempt(write);
            if (rev)
                *rev = stored;
            return write.overwrite ? Written::Overwritten : Written::Stored;
        } catch (const RecordConflict& conflict) {
            const Written chosen = resolve(conflict);
            // An overwrite is written next; it may find the record deleted by now.
            if (chosen != Written::Overwritten)
                return chosen;
            write.overwrite = true;
        }
    }
}
