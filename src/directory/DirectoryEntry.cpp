// SPDX-License-Identifier: MIT
#include "directory/DirectoryEntry.h"

void DirectoryEntry::add(const QString& name, const QStringList& values)
{
    QStringList kept;
    for (const QString& value : values) {
        const QString trimmed = value.trimmed();
        if (!trimmed.isEmpty() && !kept.contains(trimmed))
            kept.append(trimmed);
    }
    if (kept.isEmpty())
        return;
    for (DirectoryAttribute& attribute : attributes)
        if (attribute.name.compare(name, Qt::CaseInsensitive) == 0) {
            for (const QString& value : std::as_const(kept))
                if (!attribute.values.contains(value))
                    attribute.values.append(value);
            return;
        }
    attributes.append({name, kept});
}

QStringList DirectoryEntry::values(const QString& name) const
{
    for (const DirectoryAttribute& attribute : attributes)
        if (attribute.name.compare(name, Qt::CaseInsensitive) == 0)
            return attribute.values;
    return {};
}
