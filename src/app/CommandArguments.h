// SPDX-License-Identifier: MIT
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The program's arguments read against the one table of its commands and
// options. Nothing is opened or touched while reading them: a wrong argument
// is refused before any window, file or database.
class CommandArguments
{
public:
    enum class Command {
        Windows, // no command: the windows open
        Help,
        Version,
        Import,
        Export,
        Backup,
        Restore,
        CopyTo,
        ListUsers,
        ResetPassword,
        RenameUser,
        RemoveUser,
        Check,
    };

    // arguments: the program's, the program name first.
    static CommandArguments parse(const QStringList& arguments);

    Command command() const { return m_command; }
    // One line naming the wrong argument; empty when the arguments are right.
    const QString& error() const { return m_error; }
    bool isSet(const QString& option) const { return m_values.contains(option); }
    QString value(const QString& option) const { return m_values.value(option).value(0); }
    // The values of an option that takes several ("--rename-user OLD NEW").
    QStringList values(const QString& option) const { return m_values.value(option); }

    // Every command, option and exit code, for --help.
    static QString help();

private:
    void refuse(const QString& message);

    Command m_command = Command::Windows;
    QMap<QString, QStringList> m_values;
    QString m_error;
};
