// SPDX-License-Identifier: MIT
#pragma once

#include <QLatin1String>

// Gives a widget (or any QObject) the name the rest of the program and the
// tests find it by, and hands it back, so controls are created and named in
// one expression.
template <typename T> T* named(T* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}
