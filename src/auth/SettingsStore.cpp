// SPDX-License-Identifier: MIT
#include "auth/SettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace
{

const QString lastUserValue = QStringLiteral("user");

QString percent(QChar c)
{
    return QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
}

std::unique_ptr<QSettings> userSettings()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Kavelton"),
                                       QSettings::NativeFormat);
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(QDir(folder).filePath(QStringLiteral("Kavelton.ini")),
                                       QSettings::IniFormat);
#endif
}

} // namespace

SettingsStore::SettingsStore() : m_settings(userSettings()) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::valueName(const QString& user)
{
    QString name;
    name.reserve(user.size());
    for (const QChar c : user) {
        if (c == u'%' || c == u'/' || c == u'\\')
            name += percent(c);
        else
            name += c;
    }
    if (user.compare(lastUserValue, Qt::CaseInsensitive) == 0)
        name.replace(0, 1, percent(user.at(0)));
    return name;
}

QString SettingsStore::lastUser() const
{
    return m_settings->value(lastUserValue).toString();
}

void SettingsStore::setLastUser(const QString& user)
{
    m_settings->setValue(lastUserValue, user);
    flush();
}

QString SettingsStore::password(const QString& user) const
{
    // No value has an empty name: nobody has saved a password for it.
    if (user.isEmpty())
        return noPassword();
    return m_settings->value(valueName(user), noPassword()).toString();
}

void SettingsStore::savePassword(const QString& user, const QString& password)
{
    if (user.isEmpty())
        return;
    m_settings->setValue(valueName(user), password);
    flush();
}

void SettingsStore::removePassword(const QString& user)
{
    if (user.isEmpty())
        return;
    m_settings->remove(valueName(user));
    flush();
}

void SettingsStore::flush()
{
    m_settings->sync();
}
