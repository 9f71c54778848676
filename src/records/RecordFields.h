// SPDX-License-Identifier: MIT
#pragma once

#include "db/HiddenFields.h"
#include "records/RecordData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// One field of a record as the history names it ("f", "phone3", "spInfo"):
// its caption as the editor's labels show it, its value as text, and the
// part a privacy code may hide.
struct RecordField {
    QString name;
    QString caption;
    std::function<QString(const RecordData&)> value;
    std::optional<HiddenPart> part;
    // The privacy texts: named when changed, never listed with a value.
    bool privacy = false;
};

// The one table from the history's field names to the editor's captions, in
// the order the editor shows its fields.
class RecordFields
{
public:
    static const QList<RecordField>& all();
    // The field of a name, letter case ignored; nullptr when unknown.
    static const RecordField* find(const QString& name);
    // The captions of field names, each once, in the table's order; what the
    // record's privacy hides from the user is not named.
    static QStringList captions(const QStringList& names, const RecordData& record,
                                const QString& user);
    // The fields of a record a user may see, with values: what the record's
    // privacy hides from a user who is not exempt is left out, names too.
    static QList<const RecordField*> visible(const RecordData& record, const QString& user);
    // The field is hidden from the user by the record's privacy.
    static bool hidden(const RecordField& field, const RecordData& record, const QString& user);
    // The phones of a record the user may see, as the lists show them: kind
    // and number, each closed by "; ".
    static QString phonesText(const RecordData& record, const QString& user);
};
