// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

// The program's start-up order: title, translations, database, main window,
// login, message loop.
class Startup
{
public:
    static int run(QApplication& app);
};
