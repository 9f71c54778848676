// SPDX-License-Identifier: MIT
#include "auth/SettingsStore.h"
#include "auth/KeychainSecretStore.h"
#include "records/RecordHistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace
{

const QString lastUserValue = QStringLiteral("user");
const QString deletedDaysValue = QStringLiteral("history/deletedDays");

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;

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

SettingsStore::SettingsStore()
    : m_settings(userSettings()),
      m_secrets(std::make_unique<KeychainSecretStore>(QStringLiteral("Kavelton")))
{
    restrictFile();
}

SettingsStore::SettingsStore(const QString& iniFile, std::unique_ptr<SecretStore> secrets)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)),
      m_secrets(std::move(secrets))
{
    restrictFile();
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

QString SettingsStore::userOfValue(const QString& valueName)
{
    QString user;
    user.reserve(valueName.size());
    for (qsizetype i = 0; i < valueName.size(); ++i) {
        bool ok = false;
        const ushort code =
            valueName.at(i) == u'%' ? valueName.mid(i + 1, 2).toUShort(&ok, 16) : ushort(0);
        if (ok) {
            user += QChar(code);
            i += 2;
        } else {
            user += valueName.at(i);
        }
    }
    return user;
}

bool SettingsStore::hasSecretStore() const
{
    return m_secrets && m_secrets->isAvailable();
}

QString SettingsStore::lastUser() const
{
    return m_settings->value(lastUserValue).toString();
}

int SettingsStore::deletedDays() const
{
    bool number = false;
    const int days = m_settings->value(deletedDaysValue).toInt(&number);
    return number && days > 0 ? days : RecordHistory::keptDays;
}

void SettingsStore::setLastUser(const QString& user)
{
    writeValue(lastUserValue, user);
}

QString SettingsStore::password(const QString& user) const
{
    // No value has an empty name: nobody has saved a password for it.
    if (user.isEmpty())
        return noPassword();
    if (hasSecretStore()) {
        if (const std::optional<QString> saved = m_secrets->read(user))
            return *saved;
    }
    return m_settings->value(valueName(user), noPassword()).toString();
}

void SettingsStore::savePassword(const QString& user, const QString& password)
{
    if (user.isEmpty())
        return;
    if (hasSecretStore() && m_secrets->write(user, password))
        removeValue(valueName(user));
    else
        writeValue(valueName(user), password);
}

void SettingsStore::removePassword(const QString& user)
{
    if (user.isEmpty())
        return;
    if (hasSecretStore())
        m_secrets->remove(user);
    removeValue(valueName(user));
}

void SettingsStore::moveSavedPasswords()
{
    if (!hasSecretStore())
        return;
    for (const QString& name : m_settings->childKeys()) {
        if (name.compare(lastUserValue, Qt::CaseInsensitive) == 0)
            continue;
        if (!m_secrets->write(userOfValue(name), m_settings->value(name).toString()))
            return;
        removeValue(name);
    }
}

void SettingsStore::writeValue(const QString& name, const QString& value)
{
    prepareOwnerOnlyFile();
    m_settings->setValue(name, value);
    flush();
}

void SettingsStore::removeValue(const QString& name)
{
    if (!m_settings->contains(name))
        return;
    m_settings->remove(name);
    flush();
}

void SettingsStore::flush()
{
    m_settings->sync();
    // The file is written anew through a temporary file: make sure the new
    // one is the owner's alone too.
    restrictFile();
}

void SettingsStore::restrictFile() const
{
    if (m_settings->format() == QSettings::IniFormat && QFile::exists(m_settings->fileName()))
        QFile::setPermissions(m_settings->fileName(), ownerOnly);
}

void SettingsStore::prepareOwnerOnlyFile() const
{
    if (m_settings->format() != QSettings::IniFormat)
        return;
    const QFileInfo file(m_settings->fileName());
    if (!file.dir().exists()) {
        QDir().mkpath(file.path());
        QFile::setPermissions(file.path(), ownerOnly | QFile::ExeOwner);
    }
    QFile created(file.filePath());
    if (!file.exists() && created.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
        created.close();
}
