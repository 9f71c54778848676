// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QList>
#include <QString>
#include <optional>

// One value of a record as the user typed or chose it, under the caption
// that names it for the user.
struct TypedValue {
    QString caption;
    QString value;

    friend bool operator==(const TypedValue&, const TypedValue&) = default;
};

// What of the user's edit a stored record lacks, so that it can be kept in
// view when the editor loads the stored record instead.
class RecordChanges
{
public:
    // The values the user changed since the record was loaded that the
    // stored record does not hold. When nothing is stored any more (the
    // record was deleted), every value the edit holds counts.
    static QList<TypedValue> unsaved(const RecordData& loaded, const RecordData& typed,
                                     const std::optional<RecordData>& stored);
};
