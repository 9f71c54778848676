// SPDX-License-Identifier: MIT
#pragma once

#include "auth/SecretStore.h"

#include <QString>
#include <memory>

class QSettings;

// What the login dialog remembers for the signed-in account of the system:
// the last user name (value "user") and, per user name, a saved password.
// On Windows the key Kavelton directly under HKEY_CURRENT_USER; elsewhere
// Kavelton.ini in the user's configuration folder. Every write is flushed at
// once.
//
// Saved passwords go to the desktop's secret store under the user's name.
// Without one they stay in the settings, as values named after the user, in
// a file that only its owner may read or write.
class SettingsStore
{
public:
    // The user's own settings and the desktop's secret store.
    SettingsStore();
    // An INI file elsewhere and, if given, a secret store (tests).
    explicit SettingsStore(const QString& iniFile, std::unique_ptr<SecretStore> secrets = nullptr);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // What a missing password value reads as: one carriage return. Any other
    // text, the empty one included, is a saved password.
    static QString noPassword() { return QStringLiteral("\r"); }

    QString lastUser() const;
    void setLastUser(const QString& user);

    // How many days back the list of deleted records reaches: the value
    // "history/deletedDays", 90 when it is missing or not a positive number.
    int deletedDays() const;

    // The saved password of a user, or noPassword(): from the secret store,
    // else a value still kept in the settings.
    QString password(const QString& user) const;
    void savePassword(const QString& user, const QString& password);
    // Forgets the user's password in the secret store and in the settings.
    void removePassword(const QString& user);
    // Moves the passwords kept in the settings into the secret store, when
    // one is there, and removes them from the settings.
    void moveSavedPasswords();

    // The value name that holds a user's password: the name itself, with
    // '%', '/' and '\' percent-encoded (they would make groups), and the
    // first letter encoded for any spelling of "user" (value names are not
    // case-sensitive in the registry).
    static QString valueName(const QString& user);
    // The user name a value name stands for.
    static QString userOfValue(const QString& valueName);

private:
    bool hasSecretStore() const;
    void writeValue(const QString& name, const QString& value);
    void removeValue(const QString& name);
    void flush();
    // Earlier versions left the file readable by everyone.
    void restrictFile() const;
    // Creates the settings file and its folder readable by the owner alone
    // before anything is written into them.
    void prepareOwnerOnlyFile() const;

    std::unique_ptr<QSettings> m_settings;
    std::unique_ptr<SecretStore> m_secrets;
};
