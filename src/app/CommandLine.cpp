// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"
#include "app/AccountCommands.h"
#include "app/BackupCommands.h"
#include "app/CommandArguments.h"
#include "auth/AccountStore.h"
#include "common/DbError.h"
#include "db/DataLink.h"
#include "db/DataLinkFile.h"
#include "db/Database.h"
#include "db/DatabaseCheck.h"
#include "exchange/ContactFile.h"
#include "exchange/ExchangeError.h"
#include "exchange/Exporter.h"
#include "exchange/Importer.h"
#include "exchange/VisibleRecords.h"

#include <QDir>
#include <QTextStream>
#include <iostream>
#include <memory>
#include <string>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace
{

QString dataLinkFile()
{
    return DataLinkFile::find();
}

// sprav --check [--repair]: one line per kind of damage, then a summary.
int checkDatabase(bool repair, CommandLine::Console& console)
{
    try {
        // Only read, the file's schema as it is, unless it is to be mended.
        DataLink link = DataLink::fromFile(dataLinkFile());
        link.readOnly = link.readOnly || !repair;
        const Database database(link, QStringLiteral("sprav-check"));
        const DatabaseCheck check(database.db());
        QList<DatabaseCheck::Finding> found = check.run();
        for (const DatabaseCheck::Finding& f : std::as_const(found))
            console.out << f.what << ": " << f.count << Qt::endl;
        if (!found.isEmpty() && repair) {
            check.repair();
            found = check.run();
            console.out << QStringLiteral("Производные таблицы построены заново.") << Qt::endl;
            for (const DatabaseCheck::Finding& f : std::as_const(found))
                console.out << QStringLiteral("осталось — ") << f.what << ": " << f.count
                            << Qt::endl;
        }
        console.out << (found.isEmpty()
                            ? QStringLiteral("Неполадок не найдено.")
                            : QStringLiteral("Найдено неполадок: %1.").arg(found.size()))
                    << Qt::endl;
        return found.isEmpty() ? CommandLine::Done : CommandLine::DamageFound;
    } catch (const DbError& e) {
        console.err << "sprav: " << e.text() << Qt::endl;
        return CommandLine::DatabaseFailed;
    }
}

struct Options {
    QString importFile;
    QString exportFile;
    QString format;
    QString search;
    bool searching = false;
    QString user;
    bool storeDuplicates = false;
};

Options optionsOf(const CommandArguments& arguments)
{
    Options o;
    o.importFile = arguments.value(QStringLiteral("import"));
    o.exportFile = arguments.value(QStringLiteral("export"));
    o.format = arguments.value(QStringLiteral("format")).toLower();
    o.searching = arguments.isSet(QStringLiteral("search"));
    o.search = arguments.value(QStringLiteral("search"));
    o.user = arguments.value(QStringLiteral("user"));
    o.storeDuplicates = arguments.isSet(QStringLiteral("store-duplicates"));
    return o;
}

class Session
{
public:
    Session(const Options& options, CommandLine::Console& console)
        : m_options(options), m_console(console)
    {
    }

    int run()
    {
        try {
            m_database = std::make_unique<Database>(DataLink::fromFile(dataLinkFile()),
                                                    QStringLiteral("sprav-command-line"));
            if (!signIn())
                return CommandLine::SignInRefused;
            return m_options.importFile.isEmpty() ? exportFile() : importFile();
        } catch (const DbError& e) {
            fail(e.text());
            return CommandLine::DatabaseFailed;
        } catch (const ExchangeError& e) {
            fail(e.text());
            return CommandLine::FileRefused;
        }
    }

private:
    void fail(const QString& text)
    {
        m_console.err << "sprav: " << text;
        if (!m_options.importFile.isEmpty())
            m_console.err << QStringLiteral(" Ничего не сохранено.");
        m_console.err << Qt::endl;
    }

    bool signIn()
    {
        std::optional<QString> password;
        if (qEnvironmentVariableIsSet("SPRAV_PASSWORD"))
            password = qEnvironmentVariable("SPRAV_PASSWORD");
        else if (m_console.password)
            password = m_console.password();
        if (!password) {
            m_console.err << QStringLiteral("sprav: пароль не задан (SPRAV_PASSWORD).") << Qt::endl;
            return false;
        }
        const AccountStore::Login login =
            AccountStore(m_database->db()).login(m_options.user, *password);
        switch (login.outcome) {
        case AccountStore::Outcome::Unknown:
            m_console.err << QStringLiteral("sprav: пользователь «%1» не зарегистрирован.")
                                 .arg(m_options.user)
                          << Qt::endl;
            return false;
        case AccountStore::Outcome::WrongPassword:
            m_console.err << QStringLiteral("sprav: неправильный пароль.") << Qt::endl;
            return false;
        case AccountStore::Outcome::Accepted:
            break;
        }
        m_user = login.user;
        return true;
    }

    int importFile()
    {
        const ContactFile file(m_options.importFile);
        if (file.format() == ContactFile::Format::Csv && !file.knownMapping())
            throw ExchangeError(
                QStringLiteral("Заголовок CSV не распознан: %1. Столбцы такого файла "
                               "сопоставляются в окне «Файл» → «Импорт...».")
                    .arg(file.header().join(QStringLiteral(", ")).left(200)));
        const std::unique_ptr<ContactReader> reader = file.open();
        const Importer::Summary summary =
            Importer(m_database->db(), m_user).run(file, *reader, m_options.storeDuplicates);
        QTextStream& out = m_console.out;
        out << "stored: " << summary.stored << Qt::endl;
        out << "duplicates: " << summary.duplicates << Qt::endl;
        out << "rejected: " << summary.rejections.size() << Qt::endl;
        const char* position = file.format() == ContactFile::Format::VCard ? "card" : "line";
        if (file.format() == ContactFile::Format::Csv) {
            const QStringList skipped = file.knownMapping()->unmapped(file.header());
            if (!skipped.isEmpty())
                out << "not imported: «" << skipped.join(QStringLiteral("», «")) << "»" << Qt::endl;
        }
        for (const Importer::Rejection& r : summary.rejections)
            out << position << ' ' << r.position << ": "
                << (r.field.isEmpty() ? r.reason : r.field + QStringLiteral(" — ") + r.reason)
                << Qt::endl;
        return summary.rejections.isEmpty() ? CommandLine::Done : CommandLine::SomeRejected;
    }

    int exportFile()
    {
        const VisibleRecords records(m_database->db(), m_user);
        QList<int> ids;
        if (m_options.searching) {
            const std::optional<QList<int>> found = records.searchIds(m_options.search);
            if (!found) {
                m_console.err << QStringLiteral("sprav: текст поиска короче трёх знаков.")
                              << Qt::endl;
                return CommandLine::WrongUsage;
            }
            ids = *found;
        } else {
            ids = records.allIds();
        }
        const Exporter::Format format =
            m_options.format.isEmpty()
                ? Exporter::formatFor(m_options.exportFile)
                : (m_options.format == QLatin1String("csv") ? Exporter::Format::Csv
                                                            : Exporter::Format::VCard);
        const Exporter::Result result =
            Exporter(m_database->db(), m_user).write(m_options.exportFile, format, ids);
        m_console.out << "exported: " << result.written << Qt::endl;
        return CommandLine::Done;
    }

    const Options& m_options;
    CommandLine::Console& m_console;
    std::unique_ptr<Database> m_database;
    QString m_user;
};

} // namespace

bool CommandLine::wanted(const QStringList& arguments)
{
    const CommandArguments parsed = CommandArguments::parse(arguments);
    return parsed.command() != CommandArguments::Command::Windows || !parsed.error().isEmpty();
}

int CommandLine::run(const QStringList& arguments, Console& console)
{
    const CommandArguments parsed = CommandArguments::parse(arguments);
    if (!parsed.error().isEmpty()) {
        console.err << "sprav: " << parsed.error() << QStringLiteral(" Справка: sprav --help")
                    << Qt::endl;
        return UnknownArguments;
    }
    switch (parsed.command()) {
    case CommandArguments::Command::Help:
        console.out << CommandArguments::help() << Qt::flush;
        return Done;
    case CommandArguments::Command::Version:
        console.out << "sprav " << QStringLiteral(SPRAV_VERSION) << Qt::endl;
        return Done;
    case CommandArguments::Command::Windows:
        console.err << QStringLiteral("sprav: команда не указана. Справка: sprav --help")
                    << Qt::endl;
        return UnknownArguments;
    case CommandArguments::Command::ListUsers:
        return AccountCommands::listUsers(dataLinkFile(), console);
    case CommandArguments::Command::ResetPassword:
        return AccountCommands::resetPassword(
            dataLinkFile(), parsed.value(QStringLiteral("reset-password")), console);
    case CommandArguments::Command::RenameUser: {
        const QStringList names = parsed.values(QStringLiteral("rename-user"));
        return AccountCommands::renameUser(dataLinkFile(), names.at(0), names.at(1), console);
    }
    case CommandArguments::Command::RemoveUser:
        return AccountCommands::removeUser(dataLinkFile(),
                                           parsed.value(QStringLiteral("remove-user")),
                                           parsed.isSet(QStringLiteral("force")), console);
    case CommandArguments::Command::Check:
        return checkDatabase(parsed.isSet(QStringLiteral("repair")), console);
    case CommandArguments::Command::Backup:
        return BackupCommands::backup(dataLinkFile(), parsed.value(QStringLiteral("backup")),
                                      console.out, console.err);
    case CommandArguments::Command::Restore:
        return BackupCommands::restore(dataLinkFile(), parsed.value(QStringLiteral("restore")),
                                       parsed.isSet(QStringLiteral("force")), console.out,
                                       console.err);
    case CommandArguments::Command::CopyTo:
        return BackupCommands::copyTo(dataLinkFile(), parsed.value(QStringLiteral("copy-to")),
                                      parsed.isSet(QStringLiteral("force")), console.out,
                                      console.err);
    case CommandArguments::Command::Import:
    case CommandArguments::Command::Export:
        break;
    }
    const Options options = optionsOf(parsed);
    if (!options.format.isEmpty() && options.format != QLatin1String("vcf") &&
        options.format != QLatin1String("csv")) {
        console.err << QStringLiteral("sprav: формат должен быть vcf или csv, а не «%1».")
                           .arg(options.format)
                    << Qt::endl;
        return WrongUsage;
    }
    return Session(options, console).run();
}

int CommandLine::run(const QStringList& arguments)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    Console console{out, err, [&err] { return readPasswordFromTerminal(err); }};
    return run(arguments, console);
}

std::optional<QString> CommandLine::readPasswordFromTerminal(QTextStream& prompt)
{
#ifdef Q_OS_WIN
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode)) {
        prompt << QStringLiteral("Пароль: ") << Qt::flush;
        SetConsoleMode(input, mode & ~ENABLE_ECHO_INPUT);
        wchar_t buffer[512];
        DWORD read = 0;
        const bool ok = ReadConsoleW(input, buffer, 511, &read, nullptr);
        SetConsoleMode(input, mode);
        prompt << Qt::endl;
        if (!ok)
            return std::nullopt;
        QString line = QString::fromWCharArray(buffer, int(read));
        while (line.endsWith(u'\n') || line.endsWith(u'\r'))
            line.chop(1);
        return line;
    }
#else
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        prompt << QStringLiteral("Пароль: ") << Qt::flush;
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
#endif
    // Without a terminal the password is the first line of the input.
    std::string line;
    const bool read = bool(std::getline(std::cin, line));
#ifndef Q_OS_WIN
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        prompt << Qt::endl;
    }
#endif
    if (!read)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line);
}
