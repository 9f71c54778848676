// SPDX-License-Identifier: MIT
#pragma once

#include "records/RecordChanges.h"

#include <QDialog>
#include <QList>

// A small window beside the editor that keeps the values of an edit in view
// after the editor loaded the stored record in its place: each value can be
// selected and copied back. It closes on its own button or with the program.
class YourChangesWindow : public QDialog
{
    Q_OBJECT

public:
    YourChangesWindow(const QList<TypedValue>& values, QWidget* parent);

    // Shows a window for the values beside parent's window; none when there
    // are no values.
    static YourChangesWindow* showFor(const QList<TypedValue>& values, QWidget* parent);
};
