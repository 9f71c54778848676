// SPDX-License-Identifier: MIT
#include "common/ui/ShellOpen.h"

#include <QDesktopServices>

namespace
{
ShellOpen::Handler& handler()
{
    static ShellOpen::Handler h;
    return h;
}
} // namespace

void ShellOpen::open(const QUrl& url)
{
    if (handler())
        handler()(url);
    else
        QDesktopServices::openUrl(url);
}

void ShellOpen::setHandler(Handler h)
{
    handler() = std::move(h);
}
