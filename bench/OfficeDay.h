// SPDX-License-Identifier: MIT
#pragma once

#include "Measure.h"
#include "db/DataLink.h"

#include <QStringList>

// An office's day compressed: workstations, each with its own connection,
// search as the user types, open records, change one in ten (loaded, then
// stored a moment later as the editor does, so another workstation's change
// meanwhile is a conflict) and now and then create and delete one.
class OfficeDay
{
public:
    struct Result {
        Measure::Figures search; // until the first screen of rows
        Measure::Figures show;
        Measure::Figures change;
        int searches = 0;
        int shows = 0;
        int changes = 0;
        int creates = 0;
        int deletes = 0;
        int conflicts = 0; // reported to the user as conflicts: not failures
        // Writes that failed otherwise, and stored changes that later could
        // be found neither in the record nor in its history.
        int failed = 0;
        int lost = 0;
    };
    // typed: texts the users type, each from its third letter on searched.
    static Result run(const DataLink& link, const QString& user, int workstations, int seconds,
                      const QStringList& typed);
};
