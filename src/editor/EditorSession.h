// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"
#include "records/RecordStore.h"

#include <QSqlDatabase>
#include <QString>

// What the record editor works on: the database, the user whose rules apply,
// and the record it shows.
struct EditorSession {
    QSqlDatabase db;
    QString user;
    // The shown record's id; 0 in new-record mode.
    int id = 0;
    // The revision of the shown record as loaded or last stored here; the
    // writes check that nobody else stored one since.
    int rev = 0;
    // The shown record as loaded: an edit that meets another user's change
    // is told from it.
    RecordData loaded;

    RecordStore store() const { return RecordStore(db); }
};
