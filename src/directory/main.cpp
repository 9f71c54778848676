// SPDX-License-Identifier: MIT
// sprav-directory: the headless directory service over the same database as
// the desktop program.
#include "common/DbError.h"
#include "db/DataLink.h"
#include "db/DataLinkFile.h"
#include "db/Database.h"
#include "directory/DirectoryConfig.h"
#include "directory/DirectoryLog.h"
#include "directory/http/HttpConfig.h"
#include "directory/http/HttpService.h"
#include "directory/ldap/LdapServer.h"

#include <QCoreApplication>
#include <QSettings>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace
{

// sysexits.h: the command was used incorrectly.
constexpr int usageError = 64;

void print(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

QString usage()
{
    return QStringLiteral(
        "Использование: sprav-directory --config ФАЙЛ\n"
        "Служба справочника над базой программы sprav: каталог LDAP (только чтение),\n"
        "определитель номера и телефонные книги для IP-телефонов по HTTP.\n"
        "\n"
        "  --config ФАЙЛ  файл настроек INI (data_link, [ldap], [tls], [http])\n"
        "  --version      показать версию\n"
        "  --help         показать эту справку");
}

// The configuration file named on the command line; empty when the
// arguments asked for something else or were wrong, `exitCode` then set.
QString configFrom(const QStringList& arguments, int& exitCode)
{
    if (arguments == QStringList{QStringLiteral("--version")}) {
        print(stdout, QStringLiteral("sprav-directory %1").arg(QLatin1String(SPRAV_VERSION)));
        exitCode = 0;
        return {};
    }
    if (arguments == QStringList{QStringLiteral("--help")}) {
        print(stdout, usage());
        exitCode = 0;
        return {};
    }
    if (arguments.size() == 2 && arguments.first() == QLatin1String("--config") &&
        !arguments.at(1).isEmpty())
        return arguments.at(1);
    const QString wrong =
        arguments.isEmpty()
            ? QStringLiteral("не указан файл настроек")
            : QStringLiteral("неизвестные аргументы: %1").arg(arguments.join(QLatin1Char(' ')));
    print(stderr, QStringLiteral("sprav-directory: %1.\n\n%2").arg(wrong, usage()));
    exitCode = usageError;
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("sprav-directory"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SPRAV_VERSION));
    int exitCode = 0;
    const QString configPath = configFrom(QCoreApplication::arguments().mid(1), exitCode);
    if (configPath.isEmpty())
        return exitCode;

    DirectoryConfig config;
    DataLink link;
    std::unique_ptr<Database> database;
    try {
        config = DirectoryConfig::fromFile(configPath);
        const QString linkFile = config.dataLink.isEmpty() ? DataLinkFile::find() : config.dataLink;
        link = DataLink::fromFile(linkFile);
        database = std::make_unique<Database>(link, QStringLiteral("sprav-directory"));
    } catch (const DbError& e) {
        print(stderr, QStringLiteral("sprav-directory: %1").arg(e.text()));
        return 1;
    } catch (const std::runtime_error& e) {
        print(stderr, QStringLiteral("sprav-directory: %1").arg(QString::fromUtf8(e.what())));
        return 1;
    }

    LdapServer ldap(config, database->db());
    if (!ldap.listen()) {
        print(stderr, QStringLiteral("sprav-directory: не удаётся запустить LDAP на %1: %2")
                          .arg(config.ldapAddress, ldap.errorString()));
        return 1;
    }
    // The port actually taken (port 0 in the settings: a free one), for
    // whoever started the service.
    print(stdout, QStringLiteral("LDAP %1:%2").arg(config.ldapAddress).arg(ldap.port()));
    if (ldap.tlsPort() != 0)
        print(stdout, QStringLiteral("LDAPS %1:%2").arg(config.ldapAddress).arg(ldap.tlsPort()));

    // Caller ID and the desk phones' phonebooks, when the file has an [http]
    // group: on threads of their own, each with its own connection.
    HttpService http;
    QSettings ini(configPath, QSettings::IniFormat);
    if (HttpConfig::configured(ini)) {
        QString error;
        const std::optional<HttpConfig> httpConfig = HttpConfig::read(ini, &error);
        if (!httpConfig || !http.start(*httpConfig, link, &error)) {
            print(stderr, QStringLiteral("sprav-directory: %1").arg(error));
            return 1;
        }
        print(stdout,
              QStringLiteral("HTTP %1:%2").arg(httpConfig->address.toString()).arg(http.port()));
    }

    return QCoreApplication::exec();
}
