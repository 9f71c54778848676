// SPDX-License-Identifier: MIT
#include "app/CommandArguments.h"
#include "app/CommandLine.h"

#include <QList>
#include <QTextStream>
#include <algorithm>
#include <optional>

namespace
{

using Command = CommandArguments::Command;

// One option of the command line: a command of its own, or an option that
// goes with some commands.
struct Option {
    const char* name;  // without the leading "--"
    const char* value; // the value's name in the help; nullptr for a flag
    Command starts;    // the command it is; Windows for an option of commands
    QList<Command> of; // the commands it goes with
    bool required;     // those commands need it
    const char* help;
    int values = 1; // how many values follow it, when it takes any
};

const QList<Option>& options()
{
    static const QList<Option> table = {
        {"import",
         "ФАЙЛ",
         Command::Import,
         {},
         false,
         "импорт записей из файла vCard или CSV (всё или ничего)"},
        {"export",
         "ФАЙЛ",
         Command::Export,
         {},
         false,
         "экспорт записей, видимых пользователю, в файл vCard или CSV"},
        {"backup",
         "ФАЙЛ",
         Command::Backup,
         {},
         false,
         "копия всего справочника в файл SQLite (без входа; другие копии программы "
         "продолжают работать)"},
        {"restore",
         "ФАЙЛ",
         Command::Restore,
         {},
         false,
         "справочник из копии в пустую базу данных (без входа)"},
        {"copy-to",
         "ФАЙЛ.udl",
         Command::CopyTo,
         {},
         false,
         "справочник в пустую базу данных другого файла связи, например PostgreSQL "
         "(без входа)"},
        {"list-users",
         nullptr,
         Command::ListUsers,
         {},
         false,
         "пользователи программы и вид их паролей (без входа)"},
        {"reset-password",
         "ИМЯ",
         Command::ResetPassword,
         {},
         false,
         "новый пароль пользователя: из SPRAV_PASSWORD или дважды с терминала (без входа)"},
        {"rename-user",
         "ИМЯ НОВОЕ_ИМЯ",
         Command::RenameUser,
         {},
         false,
         "переименовать пользователя, и в списках допущенных к записям (без входа)",
         2},
        {"remove-user",
         "ИМЯ",
         Command::RemoveUser,
         {},
         false,
         "удалить пользователя; отказ, если он единственный, кому открыты записи (без входа)"},
        {"check",
         nullptr,
         Command::Check,
         {},
         false,
         "проверить базу данных, ничего не меняя (без входа)"},
        {"help", nullptr, Command::Help, {}, false, "эта справка (также -h)"},
        {"version", nullptr, Command::Version, {}, false, "версия программы"},
        {"user",
         "ИМЯ",
         Command::Windows,
         {Command::Import, Command::Export},
         true,
         "пользователь, от имени которого выполняется команда"},
        {"store-duplicates",
         nullptr,
         Command::Windows,
         {Command::Import},
         false,
         "сохранить и записи, которые уже есть в справочнике"},
        {"format",
         "vcf|csv",
         Command::Windows,
         {Command::Export},
         false,
         "формат файла (по умолчанию — по расширению)"},
        {"search",
         "ТЕКСТ",
         Command::Windows,
         {Command::Export},
         false,
         "только записи, найденные по тексту, как в окне поиска"},
        {"repair",
         nullptr,
         Command::Windows,
         {Command::Check},
         false,
         "построить заново таблицы, которые программа выводит из записей, и убрать телефоны "
         "без записи"},
        {"force",
         nullptr,
         Command::Windows,
         {Command::Restore, Command::CopyTo, Command::RemoveUser},
         false,
         "восстановить или скопировать поверх записей, что уже есть в базе данных; удалить "
         "пользователя, оставив его имя в записях, открытых только ему"},
    };
    return table;
}

const Option* find(const QString& name)
{
    const auto& table = options();
    const auto found = std::find_if(table.begin(), table.end(), [&name](const Option& o) {
        return name == QLatin1String(o.name);
    });
    return found == table.end() ? nullptr : &*found;
}

// Qt's own options of a window start ("-platform offscreen", "-reverse"),
// taken by the application object; true for those that take a value.
const QMap<QString, bool>& windowOptions()
{
    static const QMap<QString, bool> names = {
        {QStringLiteral("-platform"), true},        {QStringLiteral("-platformpluginpath"), true},
        {QStringLiteral("-platformtheme"), true},   {QStringLiteral("-plugin"), true},
        {QStringLiteral("-qwindowgeometry"), true}, {QStringLiteral("-qwindowicon"), true},
        {QStringLiteral("-qwindowtitle"), true},    {QStringLiteral("-session"), true},
        {QStringLiteral("-style"), true},           {QStringLiteral("-stylesheet"), true},
        {QStringLiteral("-display"), true},         {QStringLiteral("-geometry"), true},
        {QStringLiteral("-reverse"), false},        {QStringLiteral("-widgetcount"), false},
    };
    return names;
}

QString spelled(const Option& option)
{
    return QStringLiteral("--") + QLatin1String(option.name);
}

// "--name" or "--name=value" of a known option, or "-h".
bool isKnownOption(const QString& argument)
{
    return argument == QLatin1String("-h") ||
           (argument.startsWith(QLatin1String("--")) &&
            find(argument.mid(2).section(QLatin1Char('='), 0, 0)) != nullptr);
}

} // namespace

CommandArguments CommandArguments::parse(const QStringList& arguments)
{
    CommandArguments parsed;
    QList<const Option*> commands;
    for (qsizetype i = 1; i < arguments.size() && parsed.m_error.isEmpty(); ++i) {
        const QString& argument = arguments.at(i);
        if (windowOptions().contains(argument)) {
            if (windowOptions().value(argument) && ++i == arguments.size())
                parsed.refuse(QStringLiteral("У параметра «%1» нет значения.").arg(argument));
            continue;
        }
        QString name = QStringLiteral("help");
        std::optional<QString> inlineValue;
        if (argument != QLatin1String("-h")) {
            if (!argument.startsWith(QLatin1String("--")) || argument.size() == 2) {
                parsed.refuse(QStringLiteral("Неизвестный аргумент «%1».").arg(argument));
                break;
            }
            name = argument.mid(2).section(QLatin1Char('='), 0, 0);
            if (argument.contains(QLatin1Char('=')))
                inlineValue = argument.section(QLatin1Char('='), 1);
        }
        const Option* option = find(name);
        if (!option) {
            parsed.refuse(QStringLiteral("Неизвестный параметр «--%1».").arg(name));
            break;
        }
        QStringList value;
        if (option->value) {
            if (inlineValue)
                value.append(*inlineValue);
            while (value.size() < option->values && i + 1 < arguments.size() &&
                   !isKnownOption(arguments.at(i + 1)))
                value.append(arguments.at(++i));
            if (value.size() < option->values) {
                parsed.refuse(QStringLiteral("У параметра «%1» нет значения: %1 %2.")
                                  .arg(spelled(*option), QString::fromUtf8(option->value)));
                break;
            }
        } else if (inlineValue) {
            parsed.refuse(
                QStringLiteral("Параметр «%1» не принимает значения.").arg(spelled(*option)));
            break;
        }
        if (parsed.m_values.contains(name)) {
            parsed.refuse(QStringLiteral("Параметр «%1» указан дважды.").arg(spelled(*option)));
            break;
        }
        parsed.m_values.insert(name, value);
        if (option->starts != Command::Windows)
            commands.append(option);
    }
    if (!parsed.m_error.isEmpty())
        return parsed;

    for (Command wins : {Command::Help, Command::Version})
        for (const Option* c : commands)
            if (c->starts == wins) {
                parsed.m_command = wins;
                return parsed;
            }
    if (commands.size() > 1) {
        parsed.refuse(QStringLiteral("Команды «%1» и «%2» нельзя выполнить вместе.")
                          .arg(spelled(*commands.at(0)), spelled(*commands.at(1))));
        return parsed;
    }
    if (commands.isEmpty()) {
        if (!parsed.m_values.isEmpty())
            parsed.refuse(QStringLiteral("Параметр «--%1» нужен вместе с командой, "
                                         "например --import или --export.")
                              .arg(parsed.m_values.firstKey()));
        return parsed;
    }
    parsed.m_command = commands.first()->starts;
    for (const Option& option : options()) {
        if (option.starts != Command::Windows)
            continue;
        if (parsed.isSet(QLatin1String(option.name)) && !option.of.contains(parsed.m_command)) {
            parsed.refuse(QStringLiteral("Параметр «%1» не относится к команде «%2».")
                              .arg(spelled(option), spelled(*commands.first())));
            return parsed;
        }
        if (option.required && option.of.contains(parsed.m_command) &&
            parsed.value(QLatin1String(option.name)).isEmpty()) {
            parsed.refuse(QStringLiteral("Не указан параметр «%1»: %1 %2.")
                              .arg(spelled(option), QString::fromUtf8(option.value)));
            return parsed;
        }
    }
    return parsed;
}

void CommandArguments::refuse(const QString& message)
{
    m_error = message;
    m_command = Command::Windows;
}

QString CommandArguments::help()
{
    QString text;
    QTextStream out(&text);
    out << "Справочник — телефонный справочник организации. Без команды открывается\n"
           "окно программы; команды работают без окна и без дисплея.\n\nИспользование:\n";
    for (const Option& command : options()) {
        if (command.starts == Command::Windows)
            continue;
        out << "  sprav " << spelled(command);
        if (command.value)
            out << ' ' << QString::fromUtf8(command.value);
        for (const Option& option : options()) {
            if (!option.of.contains(command.starts))
                continue;
            QString part = spelled(option);
            if (option.value)
                part += QLatin1Char(' ') + QString::fromUtf8(option.value);
            out << ' ' << (option.required ? part : QStringLiteral("[%1]").arg(part));
        }
        out << '\n';
    }
    out << "\nКоманды и параметры:\n";
    for (const Option& option : options()) {
        QString part = spelled(option);
        if (option.value)
            part += QLatin1Char(' ') + QString::fromUtf8(option.value);
        // A long option takes a line of its own, so the explanations stay in one column.
        if (part.size() > 24)
            part += QLatin1Char('\n') + QString(26, QLatin1Char(' '));
        out << "  " << part.leftJustified(24) << ' ' << QString::fromUtf8(option.help) << '\n';
    }
    out << "\nПароль берётся из переменной окружения SPRAV_PASSWORD, иначе спрашивается\n"
           "(без терминала — первая строка стандартного ввода); новый пароль --reset-password\n"
           "спрашивается дважды. Команды без входа работают у того, кому доступна база данных.\n"
           "База данных — по файлу связи: SPRAV_DATA_LINK, иначе sprav.udl в рабочей папке,\n"
           "~/.config/sprav/sprav.udl или /etc/sprav/sprav.udl.\n\nКоды завершения:\n";
    const QList<QPair<int, const char*>> codes = {
        {CommandLine::Done, "выполнено"},
        {CommandLine::DatabaseFailed, "ошибка базы данных, ничего не сохранено"},
        {CommandLine::WrongUsage, "неверное значение параметра"},
        {CommandLine::SignInRefused, "вход не выполнен"},
        {CommandLine::FileRefused, "файл не читается или не записывается, ничего не сохранено"},
        {CommandLine::SomeRejected, "часть записей отклонена, остальные сохранены"},
        {CommandLine::TargetNotEmpty, "в базе данных, куда восстанавливается или копируется "
                                      "справочник, уже есть записи; ничего не изменено"},
        {CommandLine::Refused, "отказ: пользователь не найден, имя занято, пароль пуст или "
                               "пароли не совпадают, пользователь — единственный, кому открыты "
                               "записи; ничего не изменено"},
        {CommandLine::DamageFound, "проверка нашла неполадки (после --repair: остались)"},
        {CommandLine::UnknownArguments, "неизвестный параметр, параметр без значения или "
                                        "несовместимые команды"},
        {CommandLine::NoDisplay, "нет дисплея для окна программы"},
    };
    for (const auto& [code, meaning] : codes)
        out << "  " << QString::number(code).leftJustified(3) << ' ' << QString::fromUtf8(meaning)
            << '\n';
    return text;
}
