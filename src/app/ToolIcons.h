// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>

// Pictures of the tool buttons and menu items, drawn in code (16 x 16):
// 0 new record, 1 save, 2 search, 3 print, 4 birthday, 6 template; index 5 is
// not used by any button and gives an empty icon.
class ToolIcons
{
public:
    static QIcon icon(int index);
    // The window icon, 32 x 32; the tray icon shows the same picture.
    static QIcon windowIcon();
};
