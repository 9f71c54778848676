// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/Named.h"

#include <QPushButton>

// A named push button that Enter never presses: the editor and its dialogs
// leave Enter to their fields, which move on with it.
inline QPushButton* quietButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}
