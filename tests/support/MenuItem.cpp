// SPDX-License-Identifier: MIT
#include "MenuItem.h"

#include <QAction>
#include <QWidget>

QAction* menuItem(const QWidget* window, const char* name)
{
    auto* item = window->findChild<QAction*>(QLatin1String(name));
    if (!item)
        qFatal("no menu item %s", name);
    return item;
}
