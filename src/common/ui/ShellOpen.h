// SPDX-License-Identifier: MIT
#pragma once

#include <QUrl>
#include <functional>

// Opens mailto: and http:// addresses with the desktop's default handler.
// Tests install a handler that records the address instead.
class ShellOpen
{
public:
    using Handler = std::function<void(const QUrl&)>;

    static void open(const QUrl& url);
    // An empty handler restores QDesktopServices::openUrl.
    static void setHandler(Handler handler);
};
