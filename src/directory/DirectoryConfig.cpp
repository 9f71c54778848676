// SPDX-License-Identifier: MIT
#include "directory/DirectoryConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <stdexcept>

namespace
{

// The text at key. QSettings reads an unquoted value with commas as a list
// ("base = dc=firma,dc=ru"): its parts are joined again.
QString text(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).trimmed();
    return value.toString().trimmed();
}

// The integer at key when it lies in [low, high]; otherwise the default.
int bounded(const QSettings& settings, const QString& key, int fallback, int low, int high)
{
    bool ok = false;
    const int value = settings.value(key).toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

bool flag(const QSettings& settings, const QString& key, bool fallback)
{
    const QString word = text(settings, key).toLower();
    if (word == QLatin1String("true") || word == QLatin1String("yes") || word == QLatin1String("1"))
        return true;
    if (word == QLatin1String("false") || word == QLatin1String("no") || word == QLatin1String("0"))
        return false;
    return fallback;
}

[[noreturn]] void fail(const QString& message)
{
    throw std::runtime_error(message.toStdString());
}

} // namespace

DirectoryConfig DirectoryConfig::fromFile(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable())
        fail(QStringLiteral("Не удаётся прочитать файл настроек %1.").arg(path));
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        fail(QStringLiteral("Файл настроек %1 не является файлом INI.").arg(path));

    DirectoryConfig c;
    const QString link = text(settings, QStringLiteral("data_link"));
    if (!link.isEmpty())
        c.dataLink = QDir(file.absolutePath()).absoluteFilePath(link);
    c.anonymousProfile = text(settings, QStringLiteral("anonymous_profile"));

    settings.beginGroup(QStringLiteral("ldap"));
    const QString address = text(settings, QStringLiteral("address"));
    if (!address.isEmpty())
        c.ldapAddress = address;
    c.ldapPort = bounded(settings, QStringLiteral("port"), c.ldapPort, 0, 65535);
    const QString base = text(settings, QStringLiteral("base"));
    if (!base.isEmpty())
        c.baseDn = base;
    c.anonymousAllowed = flag(settings, QStringLiteral("anonymous"), c.anonymousAllowed);
    c.maxMessageBytes = bounded(settings, QStringLiteral("max_message_bytes"), c.maxMessageBytes,
                                512, 16 * 1024 * 1024);
    c.maxFilterDepth =
        bounded(settings, QStringLiteral("max_filter_depth"), c.maxFilterDepth, 1, 256);
    c.maxConnections =
        bounded(settings, QStringLiteral("max_connections"), c.maxConnections, 1, 100000);
    c.idleSeconds = bounded(settings, QStringLiteral("idle_seconds"), c.idleSeconds, 1, 86400);
    c.concurrentBinds =
        bounded(settings, QStringLiteral("concurrent_binds"), c.concurrentBinds, 1, 64);
    c.failedBindDelayMs =
        bounded(settings, QStringLiteral("failed_bind_delay_ms"), c.failedBindDelayMs, 0, 60000);
    c.sizeLimit = bounded(settings, QStringLiteral("size_limit"), c.sizeLimit, 1, 1000000);
    settings.endGroup();

    settings.beginGroup(QStringLiteral("tls"));
    const QDir folder(file.absolutePath());
    const QString certificate = text(settings, QStringLiteral("certificate"));
    const QString key = text(settings, QStringLiteral("key"));
    if (!certificate.isEmpty())
        c.tlsCertificate = folder.absoluteFilePath(certificate);
    if (!key.isEmpty())
        c.tlsKey = folder.absoluteFilePath(key);
    c.tlsPort = bounded(settings, QStringLiteral("port"), c.tlsPort, 0, 65535);
    settings.endGroup();
    return c;
}
