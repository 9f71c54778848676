// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>

// Whether the windows can open here; a clear line and an exit code instead of
// Qt's abort when they cannot (a server, an ssh session, cron).
namespace WindowSystem
{

// A display for the windows: on X11 and Wayland desktops DISPLAY or
// WAYLAND_DISPLAY, unless a platform is chosen (QT_QPA_PLATFORM, -platform).
bool available(const QStringList& arguments);

// The line shown when the windows cannot open, with Qt's reason if any.
QString unavailableMessage(const QString& reason);

// While it lives, a window system that fails to start (a display that does
// not answer, a missing platform plugin) ends the program with that line and
// CommandLine::NoDisplay instead of a core dump.
class StartGuard
{
public:
    StartGuard();
    ~StartGuard();
    StartGuard(const StartGuard&) = delete;
    StartGuard& operator=(const StartGuard&) = delete;
};

} // namespace WindowSystem
