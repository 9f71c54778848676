// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "app/WindowSystem.h"

#include <QApplication>
#include <cstdio>
#include <optional>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // Commands, and arguments the command line refuses, need no display.
    if (CommandLine::wanted(arguments)) {
        QCoreApplication app(argc, argv);
        return CommandLine::run(QCoreApplication::arguments());
    }
    if (!WindowSystem::available(arguments)) {
        std::fprintf(stderr, "%s\n", WindowSystem::unavailableMessage({}).toUtf8().constData());
        return CommandLine::NoDisplay;
    }
    std::optional<WindowSystem::StartGuard> guard(std::in_place);
    QApplication app(argc, argv);
    guard.reset();
    return Startup::run(app);
}
