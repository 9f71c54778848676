// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QApplication;

// The program's start-up order: title, translations, database, main window,
// login, message loop.
class Startup
{
public:
    // Returns the program's exit code: 1 when the database cannot be opened.
    // settingsFile names another INI file for the login dialog's settings
    // (tests); empty means the user's own store.
    static int run(QApplication& app, const QString& settingsFile = QString());
};
