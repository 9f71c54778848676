// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QTextStream;

// The commands that back up, restore and move the whole directory. Whoever
// reaches the database (its file, or the credentials in the data-link file)
// looks after it, so they need no sign-in. Each prints one summary line and
// gives one of CommandLine's exit codes; nothing is ever half-written.
namespace BackupCommands
{
// sprav --backup FILE
int backup(const QString& dataLink, const QString& file, QTextStream& out, QTextStream& err);
// sprav --restore FILE [--force]: into the database of the data link.
int restore(const QString& dataLink, const QString& file, bool force, QTextStream& out,
            QTextStream& err);
// sprav --copy-to TARGET.udl [--force]: the database of the data link into
// the one the other data-link file names.
int copyTo(const QString& dataLink, const QString& target, bool force, QTextStream& out,
           QTextStream& err);
} // namespace BackupCommands
