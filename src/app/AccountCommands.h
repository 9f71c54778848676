// SPDX-License-Identifier: MIT
#pragma once

#include "app/CommandLine.h"

#include <QString>

// The commands on the program's accounts: --list-users, --reset-password,
// --rename-user, --remove-user. Whoever reaches the database looks after it,
// so they need no sign-in. Each prints one summary line and gives one of
// CommandLine's exit codes; nothing is half-written.
namespace AccountCommands
{
int listUsers(const QString& dataLink, CommandLine::Console& console);
// The new password from SPRAV_PASSWORD, or asked twice; never an argument.
int resetPassword(const QString& dataLink, const QString& user, CommandLine::Console& console);
int renameUser(const QString& dataLink, const QString& from, const QString& to,
               CommandLine::Console& console);
int removeUser(const QString& dataLink, const QString& user, bool force,
               CommandLine::Console& console);
} // namespace AccountCommands
