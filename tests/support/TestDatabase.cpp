// SPDX-License-Identifier: MIT
#include "TestDatabase.h"
#include "db/Sql.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSqlError>

namespace
{

QString env(const char* name)
{
    return qEnvironmentVariable(name);
}

QString processDatabaseName()
{
    return QStringLiteral("sprav_test_%1").arg(QCoreApplication::applicationPid());
}

// Creates this process's database once, then empties it for every test.
void resetPostgres(const DataLink& link)
{
    static bool created = false;
    const QString name = QStringLiteral("sprav_test_admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(link.dataSource);
        admin.setPort(link.port);
        admin.setUserName(link.user);
        admin.setPassword(link.password);
        admin.setDatabaseName(created ? link.catalog : QStringLiteral("postgres"));
        if (!admin.open())
            qFatal("cannot connect to the PostgreSQL test server: %s",
                   qPrintable(admin.lastError().text()));
        Sql::run(admin, QStringLiteral("SET client_min_messages TO warning"));
        if (!created) {
            Sql::run(admin, QStringLiteral("DROP DATABASE IF EXISTS %1").arg(link.catalog));
            Sql::run(admin, QStringLiteral("CREATE DATABASE %1").arg(link.catalog));
            created = true;
        } else {
            Sql::run(admin, QStringLiteral("DROP SCHEMA public CASCADE"));
            Sql::run(admin, QStringLiteral("CREATE SCHEMA public"));
        }
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

DataLink TestDatabase::serverLink(const QString& catalog)
{
    DataLink link;
    link.provider = DataLink::Provider::PostgreSQL;
    link.dataSource = env("SPRAV_PG_HOST");
    link.port = env("SPRAV_PG_PORT").isEmpty() ? 5432 : env("SPRAV_PG_PORT").toInt();
    link.user = env("SPRAV_PG_USER");
    link.password = env("SPRAV_PG_PASSWORD");
    link.catalog = catalog;
    return link;
}

QByteArray TestDatabase::dataLinkLine() const
{
    if (!wantsPostgres())
        return "Provider=SQLite;Data Source=" + m_link.databaseFile().toUtf8();
    return QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;"
                          "User ID=%4;Password=%5")
        .arg(m_link.dataSource)
        .arg(m_link.port)
        .arg(m_link.catalog, m_link.user, m_link.password)
        .toUtf8();
}

bool TestDatabase::wantsPostgres()
{
    return env("SPRAV_TEST_ENGINE") == QLatin1String("pgsql");
}

bool TestDatabase::available()
{
    return !wantsPostgres() || !env("SPRAV_PG_HOST").isEmpty();
}

TestDatabase::TestDatabase(const QString& connectionName)
{
    if (wantsPostgres()) {
        m_link = serverLink(processDatabaseName());
        resetPostgres(m_link);
    } else {
        m_link.provider = DataLink::Provider::SQLite;
        m_link.baseDir = m_dir.path();
        m_link.dataSource = QStringLiteral("sprav.db");
    }
    m_database = std::make_unique<Database>(m_link, connectionName);
}

TestDatabase::~TestDatabase() = default;

std::unique_ptr<Database> TestDatabase::connectAgain(const QString& connectionName) const
{
    return std::make_unique<Database>(m_link, connectionName);
}

QProcessEnvironment TestDatabase::childEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SPRAV_TEST_DATABASE"),
                       wantsPostgres() ? m_link.catalog : m_link.databaseFile());
    return environment;
}

DataLink TestDatabase::linkFromEnvironment()
{
    const QString where = env("SPRAV_TEST_DATABASE");
    if (wantsPostgres())
        return serverLink(where);
    DataLink link;
    link.dataSource = where;
    return link;
}

bool TestDatabase::namesFileInRussian(const QString& message, const QString& path)
{
    const QString first = message.section(QLatin1Char('\n'), 0, 0);
    return first.contains(QDir::toNativeSeparators(path)) &&
           first.contains(QRegularExpression(QStringLiteral("[а-яё]{4}")));
}
