// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

// Pictures of the tool buttons and menu items, drawn in code:
// 0 new record, 1 save, 2 search, 3 print, 4 birthday, 6 template.
class ToolIcons
{
public:
    static QIcon icon(int index);
    // The window icon, 32 x 32; the tray icon shows the same picture.
    static QIcon windowIcon();
};
