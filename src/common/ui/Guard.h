// SPDX-License-Identifier: MIT
#pragma once

#include "common/DbError.h"
#include "common/ui/Prompts.h"

class QWidget;

// Runs a user action; a database error stops it and is shown in an error box.
// Returns true when the action ran to its end.
template <typename Action> bool guarded(QWidget* parent, Action&& action)
{
    try {
        action();
        return true;
    } catch (const DbError& e) {
        Prompts::instance().error(parent, e.text());
        return false;
    }
}
