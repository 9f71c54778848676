// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QTextStream;

// The program without its windows, for scripts and machines without a
// display (CommandArguments holds the commands and options):
//   sprav --import FILE --user NAME [--store-duplicates]
//   sprav --export FILE --user NAME [--format vcf|csv] [--search TEXT]
//   sprav --list-users, --reset-password USER, --rename-user OLD NEW,
//   sprav --remove-user USER [--force]  (no sign-in: see AccountCommands)
//   sprav --check [--repair]  (no sign-in)
//   sprav --backup FILE, sprav --restore FILE [--force],
//   sprav --copy-to TARGET.udl [--force]  (no sign-in: see BackupCommands)
//   sprav --help, sprav --version
// The data-link file is read from the working directory as at every start;
// the password comes from SPRAV_PASSWORD, else from the terminal without
// echo (or the first line of standard input when that is no terminal).
// Standard output gets lines a script can read ("stored: 3", "line 7: ...");
// standard error a message when something failed.
class CommandLine
{
public:
    enum Exit {
        Done = 0,
        DatabaseFailed = 1, // nothing stored
        WrongUsage = 2,
        SignInRefused = 3,
        FileRefused = 4,    // the file cannot be read or written; nothing stored
        SomeRejected = 5,   // the other records were stored; the rejected are listed
        TargetNotEmpty = 6, // a restore or copy into a database that holds records
        // An account command refused: unknown user, name taken, empty or
        // differing passwords, the only permitted user of records.
        Refused = 7,
        DamageFound = 8, // --check found something wrong (after --repair: left)
        // An unknown option, an option without its value, commands that cannot
        // go together (sysexits' EX_USAGE): nothing was opened or touched.
        UnknownArguments = 64,
        // No command and no display for the windows (sysexits' EX_UNAVAILABLE).
        NoDisplay = 69,
    };

    struct Console {
        QTextStream& out;
        QTextStream& err;
        // Asks for the password; nothing when none could be read.
        std::function<std::optional<QString>()> password;
    };

    // The arguments ask for the command line rather than the windows: a
    // command, or anything the command line refuses.
    static bool wanted(const QStringList& arguments);
    // arguments: the program's, the program name first.
    static int run(const QStringList& arguments, Console& console);
    // With the process's standard streams and terminal.
    static int run(const QStringList& arguments);

    // Reads a line from the terminal with the echo off.
    static std::optional<QString> readPasswordFromTerminal(QTextStream& prompt);
};
