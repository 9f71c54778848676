// SPDX-License-Identifier: MIT
#include "app/AccountCommands.h"
#include "auth/AccountAdmin.h"
#include "auth/PasswordHashError.h"
#include "db/DataLink.h"
#include "db/Database.h"

#include <QTextStream>
#include <functional>

namespace
{

// Opens the database and runs the work; a refusal or a failure is one line
// on standard error.
int withDatabase(const QString& dataLink, CommandLine::Console& console,
                 const std::function<int(const AccountAdmin&)>& work, bool onlyRead = false)
{
    try {
        DataLink link = DataLink::fromFile(dataLink);
        link.readOnly = link.readOnly || onlyRead;
        const Database database(link, QStringLiteral("sprav-accounts"));
        return work(AccountAdmin(database.db()));
    } catch (const AccountRefused& e) {
        console.err << "sprav: " << e.text() << Qt::endl;
        return CommandLine::Refused;
    } catch (const DbError& e) {
        console.err << "sprav: " << e.text() << QStringLiteral(" Ничего не изменено.") << Qt::endl;
        return CommandLine::DatabaseFailed;
    } catch (const PasswordHashError& e) {
        console.err << "sprav: " << e.text() << QStringLiteral(" Ничего не изменено.") << Qt::endl;
        return CommandLine::DatabaseFailed;
    }
}

} // namespace

int AccountCommands::listUsers(const QString& dataLink, CommandLine::Console& console)
{
    return withDatabase(
        dataLink, console,
        [&console](const AccountAdmin& admin) {
            const QList<AccountAdmin::User> users = admin.users();
            int plain = 0;
            for (const AccountAdmin::User& user : users) {
                console.out << user.name << '\t'
                            << (user.hashed ? QStringLiteral("хеш")
                                            : QStringLiteral("открытый текст"))
                            << Qt::endl;
                plain += user.hashed ? 0 : 1;
            }
            console.out << QStringLiteral(
                               "Пользователей: %1, из них с паролем открытым текстом: %2 "
                               "(время входа не хранится).")
                               .arg(users.size())
                               .arg(plain)
                        << Qt::endl;
            return int(CommandLine::Done);
        },
        true);
}

int AccountCommands::resetPassword(const QString& dataLink, const QString& user,
                                   CommandLine::Console& console)
{
    std::optional<QString> password;
    if (qEnvironmentVariableIsSet("SPRAV_PASSWORD")) {
        password = qEnvironmentVariable("SPRAV_PASSWORD");
    } else if (console.password) {
        password = console.password();
        const std::optional<QString> again = password ? console.password() : std::nullopt;
        if (password && again != password) {
            console.err << QStringLiteral("sprav: пароли не совпадают. Ничего не изменено.")
                        << Qt::endl;
            return CommandLine::Refused;
        }
    }
    if (!password) {
        console.err << QStringLiteral("sprav: новый пароль не задан (SPRAV_PASSWORD). Ничего не "
                                      "изменено.")
                    << Qt::endl;
        return CommandLine::Refused;
    }
    return withDatabase(dataLink, console, [&](const AccountAdmin& admin) {
        const QString name = admin.resetPassword(user, *password);
        console.out << QStringLiteral("Пароль пользователя «%1» изменён.").arg(name) << Qt::endl;
        return int(CommandLine::Done);
    });
}

int AccountCommands::renameUser(const QString& dataLink, const QString& from, const QString& to,
                                CommandLine::Console& console)
{
    return withDatabase(dataLink, console, [&](const AccountAdmin& admin) {
        const AccountAdmin::Renamed done = admin.rename(from, to);
        console.out << QStringLiteral("Пользователь «%1» теперь «%2»; имя заменено в записях: %3, "
                                      "в истории: %4.")
                           .arg(done.from, to)
                           .arg(done.records)
                           .arg(done.history)
                    << Qt::endl;
        return int(CommandLine::Done);
    });
}

int AccountCommands::removeUser(const QString& dataLink, const QString& user, bool force,
                                CommandLine::Console& console)
{
    return withDatabase(dataLink, console, [&](const AccountAdmin& admin) {
        const AccountAdmin::Removed done = admin.remove(user, force);
        console.out << QStringLiteral("Пользователь «%1» удалён; имя убрано из записей: %2, "
                                      "оставлено в записях, открытых только ему: %3.")
                           .arg(done.name)
                           .arg(done.droppedIn)
                           .arg(done.keptIn)
                    << Qt::endl;
        return int(CommandLine::Done);
    });
}
