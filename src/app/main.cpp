// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"
#include "app/Startup.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Import and export from the command line need no display.
    if (CommandLine::wanted(argc, argv)) {
        QCoreApplication app(argc, argv);
        return CommandLine::run(QCoreApplication::arguments());
    }
    QApplication app(argc, argv);
    return Startup::run(app);
}
