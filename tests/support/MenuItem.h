// SPDX-License-Identifier: MIT
#pragma once

class QAction;
class QWidget;

// The menu item of a window by its object name ("N17"); fails the test when
// there is none.
QAction* menuItem(const QWidget* window, const char* name);
inline QAction* menuItem(const QWidget& window, const char* name)
{
    return menuItem(&window, name);
}
template <typename Owner>
requires requires(const Owner& owner)
{
    owner.get();
}
QAction* menuItem(const Owner& window, const char* name)
{
    return menuItem(window.get(), name);
}
