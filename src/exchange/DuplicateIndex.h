// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordData.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Finds records that are already in the directory: the same surname and the
// same name and patronymic (letter case ignored), and a phone in common (by
// its digits, the last ten of a full number) or the same enterprise. Two records with neither
// phones nor an enterprise match by their names alone, so that a file imported twice adds nothing
// the second time. Only what the user may see takes part.
class DuplicateIndex
{
public:
    // Adds every record the user may see.
    void addVisible(const QSqlDatabase& db, const QString& user);
    void add(const RecordData& record);
    bool contains(const RecordData& record) const;
    qsizetype size() const { return m_size; }

private:
    struct Entry {
        QStringList phones; // digits
        QString shortpp;    // lower case
        QString longpp;
    };

    static QString key(const RecordData& record);
    static Entry entry(const RecordData& record);

    QHash<QString, QList<Entry>> m_entries;
    qsizetype m_size = 0;
};
