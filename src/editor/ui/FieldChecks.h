// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;
class RecordForm;

// The checks of what the user typed, each with its warning: a text longer
// than a field takes, and a text that no database stores (a NUL). A refused
// field gets the focus back.
class FieldChecks
{
public:
    explicit FieldChecks(QWidget* frame) : m_frame(frame) {}

    // False, with the warning, when the text is longer than a field takes.
    bool fits(QWidget* field, const QString& text);
    // False, with a warning naming the field, when a database cannot store the text.
    bool storable(QWidget* field, const QString& text);
    // Every text the form would store is storable; the first that is not is named.
    bool allStorable(const RecordForm& form);

private:
    QString captionOf(const QWidget* field) const;

    QWidget* m_frame;
};
