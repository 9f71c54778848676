// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One attribute of a directory entry with its values, in the order clients
// show them (a desk phone shows the first number of an attribute first).
struct DirectoryAttribute {
    QString name;
    QStringList values;
};

// One entry of the directory tree as a viewer sees it: only values the
// viewer may see are ever put into it, so whatever reads or matches an entry
// cannot reach a hidden one.
struct DirectoryEntry {
    QString dn;
    QList<DirectoryAttribute> attributes;

    // Adds the values that are not blank; an attribute without values is
    // left out, as LDAP has no empty attributes.
    void add(const QString& name, const QStringList& values);
    void add(const QString& name, const QString& value) { add(name, QStringList{value}); }
    // The values of an attribute, its name in any letter case; none when the
    // entry has no such attribute.
    QStringList values(const QString& name) const;
};
